// The wind field of the theoretical model: the wake grid laid along the wind, its propagation from the
// upstream edge, each turbine's extraction and wake, the farm power with losses and the authorised
// power cap, the search for the free stream that reproduces the station's wind, and the inverse search
// of the station wind for a target power.
#include <algorithm>
#include <cmath>

#include "farm/uparques_modeloteorico.h"

// --- Physical quantities ---

double DensidadPotencia(double v, double rho) {
  return v * v * v * (rho * 0.5) / 1000000.0;
}

double VelocidadDeDensidad(double dp, double rho) {
  return std::pow(dp / (rho * 0.5) * 1000000.0, 1.0 / 3.0);
}

double FactorDensidad(double rho) {
  return (1 - std::exp(-2.17 * rho)) / 0.92992926169656980727;
}

double DensidadAire(double t, double p, double hr) {
  const double rho = (0.34848 * p - 0.009 * hr * std::exp(0.061 * t)) / (t + 273.16);
  if (rho < 1.1 || rho > 1.3) return 1.18;
  return rho;
}

// --- Turbine step ---

void TMolino::CalcularFila(int /*r*/, double* fila_r, double rho, double fpv3pe, double escala) {
  const int c0 = posicion.col_ini, c1 = posicion.col_fin;
  double suma = 0;
  for (int c = c0; c <= c1; ++c)
    suma += fila_r[c - 1];
  dp_media = suma / double(c1 - c0 + 1);
  potencia = curva.PotenciaDeDp(etha * dp_media) * FactorDensidad(rho) * escala;
  double h;
  if (dp_media < 1e-15)
    h = 0.01;
  else
    h = fpv3pe * (potencia / curva.area) / dp_media;
  // A rotor that would take more than the wind brings (h > 1) leaves the lower bound of the factor.
  if (!(h >= 0)) h = 0;
  if (h > 1) h = 1;
  double f = std::pow(1 - std::pow(h, 2.0 / 3.0), 1.5);
  if (!(f < 0.999999)) f = 0.999999;
  if (!(f > 1e-5)) f = 1e-5;
  for (int c = c0; c <= c1; ++c)
    fila_r[c - 1] *= f;
}

// --- Grid layout ---

namespace {
int Redondear(double z) {
  return int(std::nearbyint(z));
} // halves to even
int Acotar(int i, int lo, int hi) {
  return i < lo ? lo : (i > hi ? hi : i);
}
} // namespace

void TParque_ModeloTeorico::Preparar(bool etha_meteo_unitario, double dir, double dp_meteo, double rho) {
  Inicializar();

  // Station factor for this direction and speed.
  if (etha_meteo_unitario) {
    etha_meteo_dir = 1;
  } else {
    const double v = VelocidadDeDensidad(dp_meteo, rho);
    double e;
    if (meteo_etha.nf() >= 2)
      e = meteo_etha.interpol2(dir * 0.2, v - 2);
    else if (meteo_etha.nf() == 1 && meteo_etha.nc() >= 1)
      e = meteo_etha.fila(1).interpol(v - 2); // one direction bin: the speed interpolation alone
    else
      e = 1;
    etha_meteo_dir = e > 0.1 ? e : 0.1;
  }

  const double theta = (dir + 180) * dos_pi / 360;
  rot_cos = std::cos(theta);
  rot_sin = std::sin(theta);

  double xmin = 0, xmax = 0, ymin = 0, ymax = 0;
  for (TMolino& m : molinos) {
    TPosicion& p = m.posicion;
    p.x_rot = rot_cos * p.x - rot_sin * p.y;
    p.y_rot = rot_sin * p.x + rot_cos * p.y;
    if (p.x_rot < xmin)
      xmin = p.x_rot;
    else if (p.x_rot > xmax)
      xmax = p.x_rot;
    if (p.y_rot < ymin)
      ymin = p.y_rot;
    else if (p.y_rot > ymax)
      ymax = p.y_rot;
  }
  const double m = grilla_rotada_margen_dx;
  xmin -= m;
  xmax += m;
  ymin -= 0.5 * m;
  ymax += 0.5 * m;

  // At least one cell each way, so that a degenerate extent never divides by zero.
  int nX = int((xmax - xmin) / grilla_rotada_dx + 0.999);
  if (nX < 1) nX = 1;
  const double dX = (xmax - xmin) / nX;
  int nY = int((ymax - ymin) / grilla_rotada_dy + 0.999);
  if (nY < 1) nY = 1;
  const double dY = (ymax - ymin) / nY;
  rot_xmin = xmin;
  rot_xmax = xmax;
  rot_ymin = ymin;
  rot_ymax = ymax;
  rot_dx = dX;
  rot_dy = dY;
  rot_nx = nX;
  rot_ny = nY;

  peso_lateral = 0.5 * (1 - std::exp(-alfa_terreno * dY / dX));
  peso_central = 1 - 2 * peso_lateral;
  peso_recuperacion = 1 - std::exp(-gamma_atmosfera * dY / 500);
  peso_retencion = 1 - peso_recuperacion;

  if (guardarGrilla)
    grilla.Redimensionar(nY + 1, nX + 1);
  else
    grilla = TGrillaRotada();
  grilla_valida = false;
  meteo_en_grilla_ = CeldasDePunto(0, 0, celdas_meteo_);

  // Rows and rotor columns of every turbine, kept inside the grid (small margins could otherwise put
  // a rotor past its edges).
  for (TMolino& t : molinos) {
    TPosicion& p = t.posicion;
    const double D = t.curva.diametro;
    p.fila = Acotar(Redondear((p.y_rot - ymin) / dY) + 1, 1, nY + 1);
    p.col_ini = Acotar(Redondear((p.x_rot - 0.5 * D - xmin) / dX) + 1, 1, nX + 1);
    p.col_fin = Acotar(Redondear((p.x_rot + 0.5 * D - xmin) / dX) + 1, 1, nX + 1);
    if (p.col_fin < p.col_ini) p.col_fin = p.col_ini;
  }
  orden_por_fila_.resize(molinos.size());
  for (size_t i = 0; i < molinos.size(); ++i)
    orden_por_fila_[i] = int(i);
  std::stable_sort(orden_por_fila_.begin(), orden_por_fila_.end(), [this](int a, int b) {
    return molinos[size_t(a)].posicion.fila < molinos[size_t(b)].posicion.fila;
  });
}

// --- One pass over the grid ---

namespace {
// Inner columns of one row from the row upstream: n cells, ant[-1] and ant[n] being the neighbours
// of the first and last. The arithmetic of each cell is exactly
// (pl·(left + right) + pc·centre)·pret + rec. The wider vectors of processors that have them are
// used when the row is in cache (same operations per cell, no fused multiply–add).
__attribute__((target_clones("avx2", "default"))) void PropagarFila(const double* __restrict ant,
                                                                    double* __restrict act, int n, double pl,
                                                                    double pc, double pret, double rec) {
#pragma GCC ivdep
  for (int j = 0; j < n; ++j)
    act[j] = (pl * (ant[j - 1] + ant[j + 1]) + pc * ant[j]) * pret + rec;
}
} // namespace

void TParque_ModeloTeorico::PasadaGrilla(double rho, double escala) {
  const int nf = rot_ny + 1, nc = rot_nx + 1;
  const double dpl = dp_libre;
  const double pl = peso_lateral, pc = peso_central, pret = peso_retencion;
  const double rec = peso_recuperacion * dpl;
  const int* turno = orden_por_fila_.data();
  const int* const fin = turno + orden_por_fila_.size();
  TMolino* const mol = molinos.data();

  // Rows are written one after the other into the grid, or alternately into two buffer rows.
  const bool guardar = guardarGrilla;
  double* base;
  if (guardar) {
    if (grilla.nf() != nf || grilla.nc() != nc) grilla.Redimensionar(nf, nc);
    base = grilla.fila(1);
  } else {
    filas_pasada_.resize(2 * size_t(nc));
    base = filas_pasada_.data();
  }
  // The station's cells are taken from their rows once the rows are final (after the turbine steps).
  const int mP = meteo_en_grilla_ ? celdas_meteo_.P : 0, mN = meteo_en_grilla_ ? celdas_meteo_.N : 0;
  const int mV = celdas_meteo_.V, mS = celdas_meteo_.S;

  double* fila = base;
  std::fill(fila, fila + nc, dpl);
  for (; turno != fin && mol[*turno].posicion.fila == 1; ++turno)
    mol[*turno].CalcularFila(1, fila, rho, fpv3pe, escala);
  if (mP == 1) {
    meteo_PV_ = fila[mV - 1];
    meteo_PS_ = fila[mS - 1];
  }
  if (mN == 1) {
    meteo_NV_ = fila[mV - 1];
    meteo_NS_ = fila[mS - 1];
  }

  for (int r = 2; r <= nf; ++r) {
    const double* ant = fila;
    fila = guardar ? fila + nc : (fila == base ? base + nc : base);
    fila[0] = dpl;
    fila[nc - 1] = dpl;
    PropagarFila(ant + 1, fila + 1, nc - 2, pl, pc, pret, rec);
    for (; turno != fin && mol[*turno].posicion.fila == r; ++turno)
      mol[*turno].CalcularFila(r, fila, rho, fpv3pe, escala);
    if (r == mP) {
      meteo_PV_ = fila[mV - 1];
      meteo_PS_ = fila[mS - 1];
    }
    if (r == mN) {
      meteo_NV_ = fila[mV - 1];
      meteo_NS_ = fila[mS - 1];
    }
  }
  grilla_guardada_ = guardar;
  grilla_valida = true;
  ++nPasadas;
}

// --- Farm power ---

double TParque_ModeloTeorico::Simular(double rho, double dp_libre_, double limite, double& dp_meteo_modelo) {
  const double Plim = limite < potencia_autorizada_mw ? limite : potencia_autorizada_mw;
  dp_libre = dp_libre_;
  double s = 1;
  int k = 0;
  double resultado;
  for (;;) {
    PasadaGrilla(rho, s);
    double S = 0;
    for (const TMolino& m : molinos)
      S += m.potencia;
    double Pnet = S - coef_perdidas * (S * S);
    if (Pnet < 0) Pnet = 0;
    if (Pnet <= Plim) {
      resultado = Pnet;
      break;
    }
    s = s * Plim / Pnet;
    if (k < 10) {
      ++k;
      continue;
    }
    // Eleven passes still above the limit: scale the last powers and deliver the limit itself.
    for (TMolino& m : molinos)
      m.potencia *= s;
    resultado = Plim;
    break;
  }
  dp_meteo_modelo = DpEnPunto(0, 0) * etha_meteo_dir;
  return resultado;
}

double TParque_ModeloTeorico::ResolverMeteo(double rho, double dp_medida, double limite, bool& convergio,
                                            double& dp_meteo_modelo, double& dp_libre_hallado) {
  if (dp_medida < 1e-10) {
    convergio = false;
    dp_meteo_modelo = 0;
    dp_libre_hallado = 0;
    return 0;
  }
  double f = dp_medida / etha_meteo_dir;
  convergio = false;
  int k = 0;
  double P = 0, d = 0;
  for (;;) {
    P = Simular(rho, f, limite, d);
    const double g = dp_medida / d;
    if (std::fabs(g - 1) < 0.01) {
      convergio = true;
    } else {
      ++k;
      f = f * g;
    }
    if (convergio || k > 100) break;
  }
  dp_meteo_modelo = d;
  dp_libre_hallado = f;
  return P;
}

double TParque_ModeloTeorico::VientoParaPotencia(double P_obj, double& dp_libre_salida) {
  if (P_obj > potencia_autorizada_mw) return -11;
  double v_lo = 0, P_lo = 0;
  double v_hi = 20, P_hi = potencia_autorizada_mw;
  double v = 20;
  double err = std::fabs(P_hi - P_lo);
  int k = 0;
  bool listo = false;
  while (!listo && err > 0.01) {
    v = v_lo + (P_obj - P_lo) * (v_hi - v_lo) / (P_hi - P_lo);
    bool conv;
    double dmet;
    const double P =
        ResolverMeteo(1.225, DensidadPotencia(v, 1.225), potencia_autorizada_mw, conv, dmet, dp_libre_salida);
    err = std::fabs(P_obj - P);
    ++k;
    if (P > P_obj) {
      v_hi = v;
      P_hi = P;
    } else {
      v_lo = v;
      P_lo = P;
    }
    if (P > potencia_autorizada_mw) {
      listo = true;
      v = 20;
    }
    if (k > 300 || v_hi == v_lo) listo = true;
  }
  return v;
}

bool TParque_ModeloTeorico::CeldasDePunto(double x, double y, TCeldasPunto& k) const {
  const double xr = rot_cos * x - rot_sin * y;
  const double yr = rot_sin * x + rot_cos * y;
  if (xr < rot_xmin || xr > rot_xmax || yr < rot_ymin || yr > rot_ymax) return false;
  const double J = (yr - rot_ymin) / rot_dy;
  const double Q = (xr - rot_xmin) / rot_dx;
  const double tJ = std::trunc(J), tQ = std::trunc(Q);
  // Rounding may put a point on the far edge one cell past the last row or column.
  k.P = std::min(int(tJ) + 1, rot_ny + 1);
  k.N = std::min(k.P + 1, rot_ny + 1);
  k.V = std::min(int(tQ) + 1, rot_nx + 1);
  k.S = std::min(k.V + 1, rot_nx + 1);
  k.fr = J - tJ;
  k.fc = Q - tQ;
  return true;
}

double TParque_ModeloTeorico::DpEnPunto(double x, double y) const {
  if (!grilla_valida) return 0;
  TCeldasPunto k;
  if (!CeldasDePunto(x, y, k)) return 0;
  double PV, PS, NV, NS;
  if (grilla_guardada_) {
    PV = grilla.e(k.P, k.V);
    PS = grilla.e(k.P, k.S);
    NV = grilla.e(k.N, k.V);
    NS = grilla.e(k.N, k.S);
  } else if (meteo_en_grilla_ && k.P == celdas_meteo_.P && k.N == celdas_meteo_.N && k.V == celdas_meteo_.V &&
             k.S == celdas_meteo_.S) {
    PV = meteo_PV_;
    PS = meteo_PS_;
    NV = meteo_NV_;
    NS = meteo_NS_;
  } else {
    throw Exception("El campo de viento del parque \"" + nombre +
                    "\" se calculó sin guardar la grilla de estelas: solo se conoce la densidad en la "
                    "estación meteorológica.");
  }
  const double fr = k.fr, fc = k.fc;
  return (PV * (1 - fc) + PS * fc) * (1 - fr) + (NV * (1 - fc) + NS * fc) * fr;
}
