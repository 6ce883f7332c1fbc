#include "calibration/uparques_modelocombinado.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <iostream>

#include "empirical/uparques_modeloempirico.h"
#include "farm/uparques_modeloteorico.h"
#include "num/uauxiliares.h"
#include "num/utexto_archivos.h"

namespace {

constexpr double RHO_ESTANDAR = 1.225;
constexpr double PESO_MINIMO_CELDA = 10;
constexpr double POTENCIA_TEORICA_MINIMA = 1.0; // MW: below it a ratio is not trusted

} // namespace

// ------------------------------------------------------------------------------------------------
// Smoothing
// ------------------------------------------------------------------------------------------------

double BarridoSuavizado(TMatR& M, const TMatR& A) {
  const int n = M.nf(), m = M.nc();
  const TMatR O = M;
  TMatR dif(n, m);
  for (int k = 1; k <= n; ++k) {
    const int km = (k == 1) ? n : k - 1;
    const int kp = (k == n) ? 1 : k + 1;
    for (int j = 1; j <= m; ++j) {
      if (A.e(k, j) > 0) continue;
      const int jm = (j == 1) ? j : j - 1;
      const int jp = (j == m) ? j : j + 1;
      const double valor = (O.e(k, jm) + O.e(k, jp) + O.e(km, j) + O.e(kp, j)) / 4;
      M.pon_e(k, j, valor);
      dif.pon_e(k, j, valor - O.e(k, j));
    }
  }
  return std::fabs(dif.max());
}

int SuavizarMatriz(TMatR& M, const TMatR& A) {
  if (M.nf() < 2 || M.nc() < 2)
    throw Exception("La tabla de corrección de " + std::to_string(M.nf()) + " x " + std::to_string(M.nc()) +
                    " no se puede suavizar: necesita al menos 2 x 2 celdas");
  int cnt_iter = 0;
  double epsilon = 0;
  do {
    epsilon = BarridoSuavizado(M, A);
    std::cout << "cnt_iter: " << cnt_iter << ", epsilon: " << RealATexto(epsilon) << std::endl;
    ++cnt_iter;
  } while (!(cnt_iter > 10000 || epsilon < 0.0001));
  return cnt_iter;
}

// ------------------------------------------------------------------------------------------------
// Construction and files
// ------------------------------------------------------------------------------------------------

namespace {

// A file opened for reading with the file number format active for as long as the reading lasts.
struct TLecturaEnFormatoArchivo {
  TEnFormatosDB formatos;
  TLectorTexto f;
  explicit TLecturaEnFormatoArchivo(const std::string& archivo) : f(archivo) {}
  TLectorTexto& Lector() { return f; }
};

} // namespace

TParque_ModeloCombinado::TParque_ModeloCombinado(TLectorTexto& f, bool leerTabla) : TCalibradorParque(f) {
  if (!leerTabla) return;
  LeerConUbicacion(f, [&] { MatrizCorreccion = TMatR::Create_LoadFromText(f); });
  const int n = ModeloEmpirico->nSectores(), m = ModeloEmpirico->nBandas();
  if (MatrizCorreccion.nf() != n || MatrizCorreccion.nc() != m)
    f.Error("la tabla de corrección tiene " + std::to_string(MatrizCorreccion.nf()) + " x " +
            std::to_string(MatrizCorreccion.nc()) + " celdas y el modelo empírico tiene " +
            std::to_string(n) + " sectores x " + std::to_string(m) + " bandas");
}

TParque_ModeloCombinado::TParque_ModeloCombinado(const std::string& archivoCalibrador)
    // The temporary reader (and its number format) lives until the calibrator content is read.
    : TParque_ModeloCombinado(TLecturaEnFormatoArchivo(archivoCalibrador).Lector(), false) {
  const int n = ModeloEmpirico->nSectores(), m = ModeloEmpirico->nBandas();
  TMatR A = CalcularRatios();
  MatrizCorreccion = TMatR(n, m);
  MatrizCorreccion.Unos();
  for (int k = 1; k <= n; ++k)
    for (int j = 1; j <= m; ++j)
      if (A.e(k, j) > 0) MatrizCorreccion.pon_e(k, j, A.e(k, j));
  SuavizarMatriz(MatrizCorreccion, A);
}

std::unique_ptr<TParque_ModeloCombinado>
TParque_ModeloCombinado::Create(const std::string& archivoCalibrador) {
  return std::make_unique<TParque_ModeloCombinado>(archivoCalibrador);
}

std::unique_ptr<TParque_ModeloCombinado>
TParque_ModeloCombinado::CreateLoadFromFile(const std::string& archivo) {
  TEnFormatosDB formatos;
  TLectorTexto f(archivo);
  return std::unique_ptr<TParque_ModeloCombinado>(new TParque_ModeloCombinado(f, true));
}

TParque_ModeloCombinado::TParque_ModeloCombinado(const TParque_ModeloCombinado& otro)
    : TCalibradorParque(otro), MatrizCorreccion(otro.MatrizCorreccion) {}

std::unique_ptr<TParque_ModeloCombinado> TParque_ModeloCombinado::Create_Copia() const {
  return std::make_unique<TParque_ModeloCombinado>(*this);
}

TParque_ModeloCombinado::~TParque_ModeloCombinado() = default;

void TParque_ModeloCombinado::SaveToFile(const std::string& archivo) const {
  TEnFormatosDB formatos;
  TEscritorTexto f(archivo);
  WriteToText(f);
  MatrizCorreccion.SaveToText(f);
  f.Cerrar();
}

TMatR TParque_ModeloCombinado::CalcularRatios() {
  const TParque_ModeloEmpirico& me = *ModeloEmpirico;
  const int n = me.nSectores(), m = me.nBandas();
  const double P_aut = ModeloTeorico->potencia_autorizada_mw;
  TMatR A(n, m);

  // The measured cells, in row-major order; every cell is independent of the others.
  struct TCelda {
    int k, j;
  };
  std::vector<TCelda> celdas;
  std::vector<int> pendientesSector(size_t(n) + 1, 0);
  for (int k = 1; k <= n; ++k)
    for (int j = 1; j <= m; ++j)
      if (!(me.Peso.e(k, j) < PESO_MINIMO_CELDA)) {
        celdas.push_back({k, j});
        ++pendientesSector[size_t(k)];
      }
  std::vector<std::atomic<int>> pendientes(size_t(n) + 1);
  for (int k = 1; k <= n; ++k)
    pendientes[size_t(k)] = pendientesSector[size_t(k)];

  // Progress: one console line per sector, in sector order, as soon as its cells are done.
  int sectorImpreso = 0;
  auto imprimirHechos = [&](bool todos) {
    while (sectorImpreso < n && (todos || pendientes[size_t(sectorImpreso) + 1] == 0)) {
      ++sectorImpreso;
      std::cout << "kAng: " << sectorImpreso << " **********************" << std::endl;
      for (int j = 1; j <= m; ++j)
        std::cout << j << ", ";
      std::cout << std::endl;
    }
  };

  // The empirical powers first, on this thread: the workers then touch only their own farm.
  std::vector<double> Pe(celdas.size());
  for (size_t i = 0; i < celdas.size(); ++i) {
    const double dir_k = (celdas[i].k - 1) * 360.0 / n;
    Pe[i] = me.PotenciaRepresentantes(dir_k, me.Pv3Medio.e(celdas[i].j), RHO_ESTANDAR).P;
  }

  EjecutarEnCopias(
      *ModeloTeorico, int(celdas.size()), HilosObjetivo,
      [&](TParque_ModeloTeorico& mt, int i) {
        const int k = celdas[size_t(i)].k, j = celdas[size_t(i)].j;
        const double dir_k = (k - 1) * 360.0 / n;
        const double pd = me.Pv3Medio.e(j);
        mt.Preparar(false, dir_k, pd, RHO_ESTANDAR);
        const double P_e = Pe[size_t(i)];
        const double P_t = mt.ResolverMeteo(RHO_ESTANDAR, pd, P_aut);
        if (std::fabs(P_t) > POTENCIA_TEORICA_MINIMA) A.pon_e(k, j, P_e / P_t);
        --pendientes[size_t(k)];
      },
      [&] { imprimirHechos(false); });
  imprimirHechos(true);
  return A;
}

// ------------------------------------------------------------------------------------------------
// Per-sample estimate
// ------------------------------------------------------------------------------------------------

double TParque_ModeloCombinado::FactorCorreccion(double dir, double z) const {
  const TMatR& M = MatrizCorreccion;
  const int n = M.nf(), m = M.nc();
  const double q = n * dir / 360;
  const double tq = std::trunc(q);
  int k1 = int(static_cast<long long>(tq) % n);
  if (k1 < 0) k1 += n; // directions below 0 are outside the domain; keep the index in the table
  k1 = k1 + 1;
  const int k2 = (k1 % n) + 1;
  const double w = q - tq;

  const double x = ModeloEmpirico->Pv3Medio.inv_interpol(z);
  auto g = [&](int k) {
    if (x <= 1) return M.e(k, 1);
    if (x >= m) return M.e(k, m);
    const int i = int(x);
    const double t = x - i;
    return M.e(k, i) * (1 - t) + M.e(k, i + 1) * t;
  };
  return g(k1) * (1 - w) + g(k2) * w;
}

void TParque_ModeloCombinado::CalcularPotencia(double v, double dir, double rho, double cgm, bool soloTeorico,
                                               double& PConCGM, double& PSinCGM, double& PTeoSinCGM) {
  TParque_ModeloTeorico& mt = *ModeloTeorico;
  const double pd = rho * (v * v * v) / 2 / 1000000.0;
  mt.Preparar(false, dir, pd, rho);
  bool convergio = false;
  double dpMeteo = 0, pdLibre = 0;
  const double P_lim = mt.ResolverMeteo(rho, pd, cgm, convergio, dpMeteo, pdLibre);
  const double P_aut = mt.potencia_autorizada_mw;
  double P_teo, z;
  if (cgm >= 0.99 * P_aut) {
    P_teo = P_lim;
    z = pd;
  } else {
    double zMeteo = 0;
    P_teo = mt.Simular(rho, pdLibre, P_aut, zMeteo);
    z = zMeteo;
  }
  if (soloTeorico) {
    PConCGM = std::min(P_lim, P_aut);
    PSinCGM = std::min(P_teo, P_aut);
  } else {
    const double f = FactorCorreccion(dir, z);
    PConCGM = std::min(P_lim * f, P_aut);
    PSinCGM = std::min(P_teo * f, P_aut);
  }
  PTeoSinCGM = P_teo;
}

TPotenciasMC TParque_ModeloCombinado::CalcularPotencia(double v, double dir, double rho, double cgm,
                                                       bool soloTeorico) {
  TPotenciasMC r;
  CalcularPotencia(v, dir, rho, cgm, soloTeorico, r.PConCGM, r.PSinCGM, r.PTeoSinCGM);
  return r;
}
