// Empirical model: construction, sector passes (clusters, S-curves, band tables, completion), the
// outlier filter, the three questions, the model block of the calibrator file and the statistics.
#include "empirical/uparques_modeloempirico.h"

#include <algorithm>
#include <cmath>
#include <iostream>

#include "farm/ucurvasaeros.h"
#include "farm/uparques_modeloteorico.h"
#include "num/fddp.h"
#include "num/uauxiliares.h"
#include "num/utexto_archivos.h"
#include "series/useriestemporales.h"

namespace {

const char* const kMsgSistemaTramo =
    "Atención!!!! sistema lineal no invertible en la aproximación de un tramo!!!";

// Integer part of a fractional index, clamped to [lo, hi] before the conversion so that far
// positions never overflow.
int Acotar(double x, int lo, int hi) {
  if (x < lo) return lo;
  if (x > hi) return hi;
  return static_cast<int>(x);
}

// The S-curves are scaled by the rated power of the farm curve, which a farm without turbines lacks.
void ExigirCurvaParque(const TParque_ModeloTeorico& mt) {
  if (!mt.curva_parque)
    throw Exception("El parque " + std::to_string(mt.nid_central) +
                    " no tiene curva de parque (ningún molino): no se puede construir su modelo empírico");
}

} // namespace

// ---------------------------------------------------------------------------------------------

bool EnSector(double h, double c, double a) {
  double d = std::fabs(a - c);
  while (d > 360)
    d = d - 360;
  return d <= h;
}

void CompletarCiclico(TMatR& X, const TMatR& M) {
  const int n = M.nf();
  // Plain arrays for the sweeps (rows 0..n-1); the result goes to X at the end.
  std::vector<char> conocida(n);
  std::vector<double> x(n, 0.0), q(n);
  for (int i = 0; i < n; ++i) {
    conocida[i] = M.e(i + 1, 1) > 0;
    if (conocida[i]) x[i] = M.e(i + 1, 1);
  }
  int cnt = 0;
  double eps;
  do {
    q = x;
    for (int i = 0; i < n; ++i) {
      if (conocida[i]) continue;
      const int ant = i == 0 ? n - 1 : i - 1;
      const int sig = i == n - 1 ? 0 : i + 1;
      x[i] = (q[ant] + q[sig]) / 2;
    }
    // The largest element of X - Q (the first one kept on ties); known rows contribute 0.
    double mayor = x[0] - q[0];
    for (int i = 1; i < n; ++i)
      if (x[i] - q[i] > mayor) mayor = x[i] - q[i];
    eps = std::fabs(mayor);
    std::cout << "cnt_iter: " << cnt << ", epsilon: " << RealATexto(eps) << "\n";
    ++cnt;
  } while (!(cnt > 10000 || eps < 0.0001));
  X = TMatR(n, 1);
  for (int i = 0; i < n; ++i)
    X.pon_e(i + 1, 1, x[i]);
}

bool EsMuestraDiurna(double t) {
  const double frac = t - std::floor(t);
  const long long seg = std::llround(frac * 86400.0) % 86400;
  return seg >= 7 * 3600 && seg < 20 * 3600;
}

// --- Construction -----------------------------------------------------------------------------

TEstadisticasME::TEstadisticasME() = default;
TEstadisticasME::~TEstadisticasME() = default;
TEstadisticasME::TEstadisticasME(TEstadisticasME&&) noexcept = default;
TEstadisticasME& TEstadisticasME::operator=(TEstadisticasME&&) noexcept = default;

TParque_ModeloEmpirico::~TParque_ModeloEmpirico() = default;

std::unique_ptr<TParque_ModeloEmpirico> TParque_ModeloEmpirico::Create(const TParque_ModeloTeorico& mt,
                                                                       const std::string& archivoSeries,
                                                                       int inf, int sup, bool reportes) {
  return std::make_unique<TParque_ModeloEmpirico>(mt, archivoSeries, inf, sup, reportes);
}

TParque_ModeloEmpirico::TParque_ModeloEmpirico(const TParque_ModeloTeorico& mt,
                                               const std::string& archivoSeries, int inf, int sup,
                                               bool reportes)
    : TParque_ModeloEmpirico(mt, TSeriesDeDatos::Create_LeerDeArchivo(archivoSeries), inf, sup, reportes) {}

TParque_ModeloEmpirico::TParque_ModeloEmpirico(const TParque_ModeloTeorico& mt,
                                               std::unique_ptr<TSeriesDeDatos> series, int inf, int sup,
                                               bool reportes)
    : ModeloTeorico(&mt), Series(std::move(series)), conReportes(reportes) {
  ExigirCurvaParque(mt);
  const TSeriesDeDatos& S = *Series;
  const std::string& archivoSeries = S.archivo;
  if (S.nSeries < 1) {
    throw Exception("El archivo de series " + archivoSeries +
                    " tiene 0 series; el modelo empírico necesita al menos 9");
  }
  N = S.series[0].n();
  dtPrimeraMuestra = S.dtPrimeraMuestra;
  dtEntreMuestras_dias = S.dtEntreMuestras_dias;

  const double e = std::fabs(dtEntreMuestras_dias * 1440 - 10) * 60;
  if (e > 1) {
    throw Exception("ERROR en archivo series, Perioedo Entre Muestras : " +
                    RealATextoGeneral(S.dtEntreMuestras_horas) + " debe ser " + RealATextoGeneral(1.0 / 6.0));
  }
  dtEntreMuestras_dias = 1.0 / 144.0;

  if (S.nSeries < 9) {
    throw Exception("El archivo de series " + archivoSeries + " tiene " + std::to_string(S.nSeries) +
                    " series; el modelo empírico necesita al menos 9 (velocidad, dirección, potencia, "
                    "temperatura, presión, humedad, CGM, disponibilidad y una novena)");
  }
  Vel = &Series->series[0];
  Ang = &Series->series[1];
  PE = &Series->series[2];
  Temp = &Series->series[3];
  Pre = &Series->series[4];
  HumRel = &Series->series[5];
  CGM = &Series->series[6];
  fDisp = &Series->series[7];
  SerieExtra = &Series->series[8];
  AlfaFilt = 0;

  Tiempo = TVectR(N);
  for (int k = 1; k <= N; ++k)
    Tiempo.pon_e(k, dtPrimeraMuestra + (k - 1) * dtEntreMuestras_dias);

  FiltrarMuestras(*ModeloTeorico, *Vel, *Ang, *PE, *CGM, *fDisp, true, Filt_Huecos, Filt_Coherencia, Filt_CGM,
                  Filtro_Distancia, Filt_Disponibilidad);
  AjustarSectores(72, 10, inf, sup, 1, 0.2);
  FiltroDistancia();
  AjustarSectores(72, 10, inf, sup, 2, 0.2);
  if (conReportes) {
    EscribirSeriesFiltradas();
    EscribirCurvasS();
  }
  std::cout << "Fin err2CurvasS: " << RealATexto(errc2.Norma()) << " AlfaFilt: " << RealATexto(AlfaFilt)
            << "\n";
  std::cout.flush();
}

bool TParque_ModeloEmpirico::EsUsable(int k) const {
  return !(Filt_Huecos[k] || Filt_Coherencia[k] || Filt_CGM[k] || Filtro_Distancia[k] ||
           Filt_Disponibilidad[k]);
}

void TParque_ModeloEmpirico::AjustarSectores(int nS, int nB, int inf, int sup, int pasada,
                                             double solapamiento) {
  // 1. The tables of the previous pass are replaced below.
  // 2. Half-width of a sector window.
  const double h = (360.0 / nS) * 0.5 * (1 + solapamiento);

  // Usable samples with their power density and power at standard air density, once per pass.
  std::vector<int> usables;
  usables.reserve(N);
  std::vector<double> pd(N + 1, 0.0), peCorr(N + 1, 0.0);
  for (int k = 1; k <= N; ++k) {
    if (!EsUsable(k)) continue;
    usables.push_back(k);
    const double rho = DensidadAire(Temp->e(k), Pre->e(k), HumRel->e(k));
    pd[k] = DensidadPotencia(Vel->e(k), rho);
    peCorr[k] = PE->e(k) / FactorDensidad(rho);
  }

  // 3, 4. Bands: equal steps of speed up to the fastest usable sample, as power density at 1.225.
  double vmax = 0;
  bool primero = true;
  for (int k : usables) {
    if (primero || Vel->e(k) > vmax) vmax = Vel->e(k);
    primero = false;
  }
  const double dv = vmax / nB;
  BandasPv3 = TVectR(nB + 1);
  for (int j = 1; j <= nB + 1; ++j)
    BandasPv3.pon_e(j, DensidadPotencia((j - 1) * dv, 1.225));
  Pv3Medio = TVectR(nB);
  for (int j = 1; j <= nB; ++j)
    Pv3Medio.pon_e(j, (BandasPv3.e(j) + BandasPv3.e(j + 1)) / 2);

  // 5. Tables.
  Peso = TMatR(nS, nB);
  A0 = TMatR(nS, nB);
  A1 = TMatR(nS, nB);
  F0 = TMatR(nS, nB);
  alfa = TVectR(nS);
  vm = TVectR(nS);
  errc2 = TVectR(nS);
  cntMuestras = TVectE(nS);
  TMatR alfaConocido(nS, 1), vmConocido(nS, 1);
  ClustersOrdenados.assign(nS, TClusterSector{});
  scratchListo_ = false;

  // 6. Sector by sector.
  std::vector<int> sel;
  sel.reserve(usables.size());
  for (int s = 1; s <= nS; ++s) {
    const double c = (360.0 / nS) * (s - 1);
    // 6.1 Cluster.
    sel.clear();
    for (int k : usables)
      if (EnSector(h, c, Ang->e(k))) sel.push_back(k);
    const int n = static_cast<int>(sel.size());
    CL_Pv3 = TVectR(n);
    CL_PE = TVectR(n);
    CL_Extra = TVectR(n);
    CL_Tiempo = TVectR(n);
    for (int i = 1; i <= n; ++i) {
      const int k = sel[i - 1];
      CL_Pv3.pon_e(i, pd[k]);
      CL_PE.pon_e(i, peCorr[k]);
      CL_Extra.pon_e(i, SerieExtra->e(k));
      CL_Tiempo.pon_e(i, Tiempo.e(k));
    }
    // 6.2 Sorted by power density, the other vectors following.
    if (n > 0) {
      TDAofNInt idx(n + 1);
      for (int i = 0; i <= n; ++i)
        idx[i] = i;
      CL_Pv3.SortConIndice(true, idx);
      CL_PE.Permutar(idx);
      CL_Extra.Permutar(idx);
      CL_Tiempo.Permutar(idx);
    }
    ClustersOrdenados[s - 1] = TClusterSector{CL_Pv3, CL_PE, CL_Extra, CL_Tiempo};

    // 6.3, 6.4 S-curve.
    AjustarCurvaS(s, inf, sup);
    if (cntMuestras.e(s) > 50) {
      alfaConocido.pon_e(s, 1, alfa.e(s));
      vmConocido.pon_e(s, 1, vm.e(s));
    }

    // 6.5 Band lines.
    for (int b = 1; b <= nB; ++b) {
      const int i1 = Acotar(std::ceil(CL_Pv3.inv_interpol(BandasPv3.e(b))), 1, std::max(n, 1));
      const int i2 = Acotar(std::trunc(CL_Pv3.inv_interpol(BandasPv3.e(b + 1))), 1, std::max(n, 1));
      double ymedio = 0;
      if (n >= 1 && i2 > i1) {
        const int m = i2 - i1 + 1;
        double sx = 0, sxx = 0, sy = 0, sxy = 0;
        for (int i = i1; i <= i2; ++i) {
          const double x = CL_Pv3.e(i), y = CL_PE.e(i);
          sx += x;
          sxx += x * x;
          sy += y;
          sxy += x * y;
        }
        // All points at one power density: the system is singular even when rounding leaves a
        // tiny last pivot that the elimination would accept.
        if (CL_Pv3.e(i1) == CL_Pv3.e(i2)) throw Exception(kMsgSistemaTramo);
        TMatR A(2, 2), B(2, 1);
        A.pon_e(1, 1, m);
        A.pon_e(1, 2, sx);
        A.pon_e(2, 1, sx);
        A.pon_e(2, 2, sxx);
        B.pon_e(1, 1, sy);
        B.pon_e(2, 1, sxy);
        double det;
        int exponente;
        if (!A.Resolver(B, det, exponente)) throw Exception(kMsgSistemaTramo);
        Peso.pon_e(s, b, m);
        A0.pon_e(s, b, B.e(1, 1));
        A1.pon_e(s, b, B.e(2, 1));
        ymedio = sy / m;
      } else {
        Peso.pon_e(s, b, -1);
        A0.pon_e(s, b, 0);
        A1.pon_e(s, b, 0);
      }
      if (b <= 6)
        F0.pon_e(s, b, A0.e(s, b) + A1.e(s, b) * Pv3Medio.e(b));
      else
        F0.pon_e(s, b, ymedio);
    }
  }

  // 7. Thin sectors take the parameters completed around the circle.
  TMatR alfaCompleto, vmCompleto;
  CompletarCiclico(alfaCompleto, alfaConocido);
  CompletarCiclico(vmCompleto, vmConocido);
  for (int s = 1; s <= nS; ++s) {
    if (cntMuestras.e(s) <= 50) {
      alfa.pon_e(s, alfaCompleto.e(s, 1));
      vm.pon_e(s, vmCompleto.e(s, 1));
    }
  }

  if (!conReportes) return;
  EscribirTablaAjusteCurvaS();
  // 8. Sector charts.
  for (int s = 1; s <= nS; ++s)
    if (ClustersOrdenados[s - 1].Pv3.n() >= 4) GraficarSector(s, pasada);
  // 9. Completed parameters.
  EscribirCurvasSCompletadas(alfaCompleto, vmCompleto);
}

void TParque_ModeloEmpirico::AjustarCurvaS(int s, int inf, int sup) {
  const double PAut = ModeloTeorico->potencia_autorizada_mw;
  const double PMax = ModeloTeorico->curva_parque->potencia_max;
  const double L0 = std::log((PMax - 0.1) / 0.1);
  const double Plo = inf * PAut / 100;
  const double Phi = sup * PAut / 100;
  std::vector<double> xs, ys;
  xs.reserve(CL_PE.n());
  ys.reserve(CL_PE.n());
  for (int k = 1; k <= CL_PE.n(); ++k) {
    const double p = CL_PE.e(k);
    // Points at or beyond the curve's asymptotes have no finite logarithm: they stay out of the fit.
    if (Plo <= p && p <= Phi && p > 0 && p < PMax) {
      xs.push_back(VelocidadDeDensidad(CL_Pv3.e(k), 1.225));
      ys.push_back(std::log(PMax / p - 1) - L0);
    }
  }
  const int n = static_cast<int>(xs.size());
  cntMuestras.pon_e(s, n);
  if (n <= 10) {
    alfa.pon_e(s, -1);
    vm.pon_e(s, -1);
    return;
  }
  double sxy = 0, sxx = 0;
  for (int i = 0; i < n; ++i) {
    sxy += xs[i] * ys[i];
    sxx += xs[i] * xs[i];
  }
  const double m = sxy / sxx;
  const double vmS = -L0 / m;
  const double alfaS = L0 / vmS;
  if (!(std::isfinite(m) && m != 0 && std::isfinite(vmS) && std::isfinite(alfaS) && vmS != 0)) {
    alfa.pon_e(s, -1);
    vm.pon_e(s, -1);
    return;
  }
  vm.pon_e(s, vmS);
  alfa.pon_e(s, alfaS);
  scratchX_ = xs;
  scratchY_ = ys;
  scratchAlfa_ = alfaS;
  scratchVm_ = vmS;
  scratchListo_ = true;
  double e2 = 0;
  for (int i = 0; i < n; ++i) {
    const double r = m * xs[i] - ys[i];
    e2 += r * r;
  }
  errc2.pon_e(s, e2 / n);
}

int TParque_ModeloEmpirico::FiltroDistancia() {
  TVectR err(N);
  for (int k = 1; k <= N; ++k)
    err.pon_e(k, 99999);
  int excluidas = 0;
  for (int k = 1; k <= N; ++k) {
    if (Filt_Huecos[k] || Filt_Coherencia[k] || Filt_CGM[k] || Filt_Disponibilidad[k]) {
      ++excluidas;
      continue;
    }
    const double rho = DensidadAire(Temp->e(k), Pre->e(k), HumRel->e(k));
    const double pd = DensidadPotencia(Vel->e(k), rho);
    const double P = PotenciaCurvaS(Ang->e(k), pd, rho);
    const double d = P - PE->e(k);
    err.pon_e(k, d * d);
  }
  TDAofNInt idx(N + 1);
  for (int i = 0; i <= N; ++i)
    idx[i] = i;
  if (N > 0) err.SortConIndice(true, idx);
  const int validas = N - excluidas;
  const int conservar = static_cast<int>(std::trunc(0.9 * validas));
  for (int pos = conservar + 1; pos <= validas; ++pos)
    Filtro_Distancia[idx[pos]] = true;
  return validas - conservar;
}

// --- Questions ----------------------------------------------------------------------------------

int TParque_ModeloEmpirico::nSectores() const {
  return A0.nf();
}
int TParque_ModeloEmpirico::nBandas() const {
  return BandasPv3.n() - 1;
}
double TParque_ModeloEmpirico::AnguloSector(int s) const {
  return (s - 1) * 360.0 / nSectores();
}

void TParque_ModeloEmpirico::UbicarAngulo(double a, int& s1, int& s2, double& w1, double& w2) const {
  const int nS = nSectores();
  // A negative measured direction would give a sector index below 1: it is taken around the circle
  // first. Directions above 360 degrees need no folding, the remainder of the sector count already
  // brings them round (fmod is exact, and safe for any magnitude).
  if (a < 0) a = a - 360 * std::floor(a / 360);
  const double q = nS * a / 360;
  const double tq = std::trunc(q);
  s1 = static_cast<int>(std::fmod(tq, static_cast<double>(nS))) + 1;
  w2 = q - tq;
  w1 = 1 - w2;
  s2 = (s1 % nS) + 1;
}

TUbicacionAngulo TParque_ModeloEmpirico::UbicarAngulo(double a) const {
  TUbicacionAngulo u;
  UbicarAngulo(a, u.s1, u.s2, u.w1, u.w2);
  return u;
}

double TParque_ModeloEmpirico::PotenciaCurvaS(double a, double pd, double rho) const {
  int s1, s2;
  double w1, w2;
  UbicarAngulo(a, s1, s2, w1, w2);
  const double v = VelocidadDeDensidad(pd, rho);
  const double S1 = 1 / (1 + std::exp(-alfa.e(s1) * (v - vm.e(s1))));
  const double S2 = 1 / (1 + std::exp(-alfa.e(s2) * (v - vm.e(s2))));
  const double PMax = ModeloTeorico->curva_parque->potencia_max;
  const double PAut = ModeloTeorico->potencia_autorizada_mw;
  const double P = FactorDensidad(rho) * PMax * (w1 * S1 + w2 * S2);
  return P >= PAut ? PAut : P;
}

void TParque_ModeloEmpirico::PotenciaRepresentantes(double a, double pd, double rho, double& P,
                                                    double& peso) const {
  int s1, s2;
  double w1, w2;
  UbicarAngulo(a, s1, s2, w1, w2);
  const int nB = nBandas();
  const double pos = Pv3Medio.inv_interpol(pd);
  const double kr = std::trunc(pos);
  double V[2], C[2];
  const int ss[2] = {s1, s2};
  for (int q = 0; q < 2; ++q) {
    const int s = ss[q];
    if (kr < 1) {
      C[q] = Peso.e(s, 1);
      V[q] = F0.e(s, 1) + A1.e(s, 1) * (pd - Pv3Medio.e(1));
    } else if (kr >= nB) {
      C[q] = Peso.e(s, nB);
      V[q] = F0.e(s, nB) + A1.e(s, nB) * (pd - Pv3Medio.e(nB));
    } else {
      const int k = static_cast<int>(kr);
      const double t = pos - kr;
      const double delta = Pv3Medio.e(k + 1) - Pv3Medio.e(k);
      const double c0 = Peso.e(s, k), c1 = Peso.e(s, k + 1);
      if ((t < 0.999 && c0 < 10) || (t > 0.001 && c1 < 10)) {
        C[q] = -1;
        V[q] = 0;
      } else {
        const double y0 = F0.e(s, k), y1 = F0.e(s, k + 1);
        const double m0 = A1.e(s, k), m1 = A1.e(s, k + 1);
        const double t2 = t * t, t3 = t2 * t;
        const double u = 1 - t;
        V[q] = y0 * (2 * t3 - 3 * t2 + 1) + y1 * (3 * t2 - 2 * t3) + delta * (m0 * t * (u * u) - m1 * t2 * u);
        C[q] = u * c0 + t * c1;
      }
    }
  }
  if ((w1 > 0.001 && C[0] < 10) || (w2 > 0.001 && C[1] < 10)) {
    peso = -1;
    P = 0;
    return;
  }
  peso = w1 * C[0] + w2 * C[1];
  P = FactorDensidad(rho) * (w1 * V[0] + w2 * V[1]);
}

TPotenciaRepresentantes TParque_ModeloEmpirico::PotenciaRepresentantes(double a, double pd,
                                                                       double rho) const {
  TPotenciaRepresentantes r;
  PotenciaRepresentantes(a, pd, rho, r.P, r.peso);
  return r;
}

double TParque_ModeloEmpirico::VelocidadCurvaS(int s, double P) const {
  const double PMax = ModeloTeorico->curva_parque->potencia_max;
  return vm.e(s) - std::log(PMax / P - 1) / alfa.e(s);
}

// --- Model block of the calibrator file ------------------------------------------------------

void TParque_ModeloEmpirico::WriteToText(TEscritorTexto& f) const {
  TEnFormatosDB formatos;
  BandasPv3.SaveToText(f);
  Peso.SaveToText(f);
  A0.SaveToText(f);
  A1.SaveToText(f);
  Pv3Medio.SaveToText(f);
  F0.SaveToText(f);
  alfa.SaveToText(f);
  vm.SaveToText(f);
}

std::unique_ptr<TParque_ModeloEmpirico>
TParque_ModeloEmpirico::CreateLoadFromText(TLectorTexto& f, const TParque_ModeloTeorico& mt) {
  ExigirCurvaParque(mt);
  TEnFormatosDB formatos;
  std::unique_ptr<TParque_ModeloEmpirico> me(new TParque_ModeloEmpirico());
  me->ModeloTeorico = &mt;
  me->BandasPv3 = TVectR::Create_LoadFromText(f);
  me->Peso = TMatR::Create_LoadFromText(f);
  me->A0 = TMatR::Create_LoadFromText(f);
  me->A1 = TMatR::Create_LoadFromText(f);
  me->Pv3Medio = TVectR::Create_LoadFromText(f);
  me->F0 = TMatR::Create_LoadFromText(f);
  me->alfa = TVectR::Create_LoadFromText(f);
  me->vm = TVectR::Create_LoadFromText(f);
  return me;
}

std::unique_ptr<TParque_ModeloEmpirico>
TParque_ModeloEmpirico::Create_CopiaTablas(const TParque_ModeloTeorico& mt) const {
  std::unique_ptr<TParque_ModeloEmpirico> me(new TParque_ModeloEmpirico());
  me->ModeloTeorico = &mt;
  me->BandasPv3 = BandasPv3;
  me->Peso = Peso;
  me->A0 = A0;
  me->A1 = A1;
  me->Pv3Medio = Pv3Medio;
  me->F0 = F0;
  me->alfa = alfa;
  me->vm = vm;
  return me;
}

// --- Statistics ---------------------------------------------------------------------------------

TEstadisticasME TParque_ModeloEmpirico::Estadisticas() const {
  if (!Vel) throw Exception("El modelo empírico no tiene muestras: no hay estadísticas que calcular");
  std::vector<int> sel;
  sel.reserve(N);
  for (int k = 1; k <= N; ++k)
    if (!(Filt_Huecos[k] || Filt_Coherencia[k] || Filt_Disponibilidad[k] || Filtro_Distancia[k]))
      sel.push_back(k);
  // With no selected speed the Weibull fit below fails with its own message, before any minimum or
  // maximum of an empty selection is taken.

  TEstadisticasME r;
  std::vector<double> vels;
  for (int k : sel)
    if (!(Vel->e(k) <= 0.001)) vels.push_back(Vel->e(k));
  TVectR vv(static_cast<int>(vels.size()));
  for (int i = 1; i <= vv.n(); ++i)
    vv.pon_e(i, vels[i - 1]);
  vv.Sort(true);
  r.weibullVel = Tf_ddp_Weibull::Create_vmuetras(vv, nullptr, 1);

  const int m = static_cast<int>(sel.size());
  TVectR angs(m);
  for (int i = 1; i <= m; ++i)
    angs.pon_e(i, Ang->e(sel[i - 1]));
  r.ddpAng = std::make_unique<Tf_ddp_VectDeMuestras>(angs, nullptr, 1);

  auto minmax = [&](const TVectR* x, double& mn, double& mx) {
    TVectR v(m);
    for (int i = 1; i <= m; ++i)
      v.pon_e(i, x->e(sel[i - 1]));
    mn = v.min();
    mx = v.max();
  };
  minmax(Pre, r.minPre, r.maxPre);
  minmax(PE, r.minPE, r.maxPE);
  minmax(Vel, r.minVel, r.maxVel);
  minmax(HumRel, r.minHumRel, r.maxHumRel);
  minmax(fDisp, r.minfDisp, r.maxfDisp);
  minmax(Temp, r.minTemp, r.maxTemp);
  minmax(CGM, r.minCGM, r.maxCGM);
  return r;
}
