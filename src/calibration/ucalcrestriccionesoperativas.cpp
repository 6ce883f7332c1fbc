// Operating-restriction energy and the model error matrices.
#include "calibration/ucalcrestriccionesoperativas.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <exception>
#include <iostream>
#include <mutex>
#include <thread>

#include "empirical/uparques_modeloempirico.h"
#include "farm/ucarpetas.h"
#include "farm/uparques_modeloteorico.h"
#include "num/uauxiliares.h"
#include "num/utexto_archivos.h"
#include "series/useriestemporales.h"

namespace {

constexpr double kMarcaExcluida = -111111; // P_sin of a gap or incoherent sample
constexpr double kSinDatos = -99999999;    // mean and deviation of an empty cell
constexpr double kHorasAmpliacion = 4.0 / 24.0;
constexpr int kCanalesNecesarios = 9;

// Channels of a data series by position.
enum { cVel = 0, cDir = 1, cPE = 2, cTemp = 3, cPre = 4, cHum = 5, cCGM = 6, cDisp = 7 };

void ComprobarSeries(const TSeriesDeDatos& s) {
  if (s.nSeries < kCanalesNecesarios)
    throw Exception("El archivo de series " + s.archivo + " tiene " + std::to_string(s.nSeries) +
                    " series; el cálculo de restricciones necesita al menos " +
                    std::to_string(kCanalesNecesarios) +
                    " (velocidad, dirección, potencia, temperatura, presión, humedad, CGM, "
                    "disponibilidad y la novena serie)");
  if (!(s.dtEntreMuestras_dias > 0))
    throw Exception("El archivo de series " + s.archivo + " tiene un período entre muestras no positivo: " +
                    RealATextoGeneral(s.dtEntreMuestras_horas) + " horas");
}

void ComprobarBuffer(int B) {
  if (B < 1)
    throw Exception("Largo del buffer de ajuste no válido: " + std::to_string(B) +
                    " (debe ser al menos 1 muestra)");
}

double Segundos(std::chrono::steady_clock::time_point desde) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - desde).count();
}

// Second of the day (0 .. 86399) of a date-time taken to the nearest second.
long long SegundoDelDia(double t) {
  long long s = SegundosRedondeados(t);
  long long d = s / 86400;
  if (s - d * 86400 < 0) --d;
  return s - d * 86400;
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Time axis
// ---------------------------------------------------------------------------------------------

long long SegundosRedondeados(double t) {
  return std::llround(t * 86400.0);
}

int IndiceDeMuestra(const TSeriesDeDatos& series, double t) {
  const double x = (t - series.dtPrimeraMuestra) / series.dtEntreMuestras_dias;
  int k = static_cast<int>(std::trunc(x)) + 1;
  const long long st = SegundosRedondeados(t);
  // Rounding noise of the stamps may put the estimate one sample off either way.
  while (SegundosRedondeados(series.dtDeMuestra(k + 1)) <= st)
    ++k;
  while (k > 1 && SegundosRedondeados(series.dtDeMuestra(k)) > st)
    --k;
  return k;
}

double HoraDe(double t) {
  const long long s = SegundosRedondeados(t);
  long long dia = s / 86400;
  if (s - dia * 86400 < 0) --dia;
  const long long hora = (s - dia * 86400) / 3600;
  return static_cast<double>(dia) + static_cast<double>(hora) / 24.0;
}

// ---------------------------------------------------------------------------------------------
// Error matrices
// ---------------------------------------------------------------------------------------------

TMatricesConErroresModelos::TMatricesConErroresModelos(int nSect_, double vMax_, double rangoAng_,
                                                       int nBandas_, int horaDiaIni_, int horaDiaFin_,
                                                       double pAutorizada_)
    : nSect(nSect_), nBandas(nBandas_), vMax(vMax_), rangoAng(rangoAng_), horaDiaIni(horaDiaIni_),
      horaDiaFin(horaDiaFin_), pAutorizada(pAutorizada_), anchoSector(rangoAng_ / nSect_),
      anchoBanda(vMax_ / nBandas_), acumTotal(nSect_, nBandas_), acumDia(nSect_, nBandas_),
      acumNoche(nSect_, nBandas_), medioTotal(nSect_, nBandas_), medioDia(nSect_, nBandas_),
      medioNoche(nSect_, nBandas_), desvTotal(nSect_, nBandas_), desvDia(nSect_, nBandas_),
      desvNoche(nSect_, nBandas_), cantTotal(nSect_, nBandas_), cantDia(nSect_, nBandas_),
      cantNoche(nSect_, nBandas_) {
  if (nSect_ < 1 || nBandas_ < 1)
    throw Exception("Matrices de errores: se necesita al menos un sector y una banda (sectores: " +
                    std::to_string(nSect_) + ", bandas: " + std::to_string(nBandas_) + ")");
}

void TMatricesConErroresModelos::AgregarMuestra(double t, double dir, double v, double err) {
  if (std::isnan(dir) || std::isnan(v) || std::isnan(err)) return;
  // A direction below 0 is taken by whole turns into the range, a speed below 0 into the first band,
  // so no sample can fall outside the tables.
  if (dir < 0) dir -= std::floor(dir / rangoAng) * rangoAng;
  int i = static_cast<int>(static_cast<long long>(std::trunc(dir / anchoSector)) % nSect) + 1;
  double u = std::min(v, vMax - 0.001);
  if (u < 0) u = 0;
  int j = static_cast<int>(std::trunc(u / anchoBanda)) + 1;
  if (j > nBandas) j = nBandas;

  const double err2 = err * err;
  cantTotal.acum_e(i, j, 1);
  acumTotal.acum_e(i, j, err);
  desvTotal.acum_e(i, j, err2);
  const long long s = SegundoDelDia(t);
  if (horaDiaIni * 3600LL <= s && s < horaDiaFin * 3600LL) {
    cantDia.acum_e(i, j, 1);
    acumDia.acum_e(i, j, err);
    desvDia.acum_e(i, j, err2);
  } else {
    cantNoche.acum_e(i, j, 1);
    acumNoche.acum_e(i, j, err);
    desvNoche.acum_e(i, j, err2);
  }
}

void TMatricesConErroresModelos::Escribir(const std::string& archivo) {
  struct TGrupo {
    TMatR *acum, *medio, *desv, *cant;
    double *eAcum, *eMedio, *eDesv;
    double sumaQ = 0;
  };
  TGrupo grupos[3] = {
      {&acumDia, &medioDia, &desvDia, &cantDia, &eAcumDia, &eMedioDia, &eDesvDia},
      {&acumNoche, &medioNoche, &desvNoche, &cantNoche, &eAcumNoche, &eMedioNoche, &eDesvNoche},
      {&acumTotal, &medioTotal, &desvTotal, &cantTotal, &eAcumTotal, &eMedioTotal, &eDesvTotal}};
  const double pAut2 = pAutorizada * pAutorizada;

  for (int i = 1; i <= nSect; ++i)
    for (int j = 1; j <= nBandas; ++j)
      for (TGrupo& g : grupos) {
        const double n = g.cant->e(i, j);
        const double S = g.acum->e(i, j);
        const double Q = g.desv->e(i, j);
        if (n < 0.999) {
          g.medio->pon_e(i, j, kSinDatos);
          g.desv->pon_e(i, j, kSinDatos);
        } else {
          const double medio = S / n / pAutorizada;
          g.medio->pon_e(i, j, medio);
          g.sumaQ += Q;
          double varianza = static_cast<float>((Q / n) / pAut2 - medio * medio);
          if (varianza < 0) varianza = 0;
          g.desv->pon_e(i, j, std::sqrt(varianza));
        }
      }

  for (TGrupo& g : grupos)
    g.acum->PorReal(1.0 / 6.0);

  for (TGrupo& g : grupos) {
    double eAcum = 0, sumaMedio = 0, sumaCant = 0;
    for (int i = 1; i <= nSect; ++i)
      for (int j = 1; j <= nBandas; ++j) {
        eAcum += g.acum->e(i, j);
        sumaMedio += g.medio->e(i, j) * g.cant->e(i, j);
        sumaCant += g.cant->e(i, j);
      }
    *g.eAcum = eAcum;
    if (sumaCant < 0.999) { // no sample in the group: no mean or dispersion to show
      *g.eMedio = kSinDatos;
      *g.eDesv = kSinDatos;
    } else {
      *g.eMedio = sumaMedio / sumaCant;
      const double varianza = (g.sumaQ / pAut2) / sumaCant - *g.eMedio * *g.eMedio;
      *g.eDesv = std::sqrt(varianza > 0 ? varianza : 0.0);
    }
  }

  struct TBloque {
    const char* titulo;
    double escalar;
    const TMatR* m;
  };
  const TBloque bloques[12] = {
      {"Errores Acumulados - Total [MWh]", eAcumTotal, &acumTotal},
      {"Errores Acumulados - Día [MWh]", eAcumDia, &acumDia},
      {"Errores Acumulados - Noche [MWh]", eAcumNoche, &acumNoche},
      {"Errores Medios Respecto a PAutorizada - Total [p.u]", eMedioTotal, &medioTotal},
      {"Errores Medios Respecto a PAutorizada - Día [p.u]", eMedioDia, &medioDia},
      {"Errores Medios Respecto a PAutorizada - Noche [p.u]", eMedioNoche, &medioNoche},
      {"Desviación estándar del error respecto a la PAutorizada - Total [p.u]", eDesvTotal, &desvTotal},
      {"Desviación estándar del error respecto a la PAutorizada - Día [p.u]", eDesvDia, &desvDia},
      {"Desviación estándar del error respecto a la PAutorizada - Noche [p.u]", eDesvNoche, &desvNoche},
      {"Cantidad de datos por sector y tramo - Total [cant]", cantTotal.SumaTotal(), &cantTotal},
      {"Cantidad de datos por sector y tramo - Día [cant]", cantDia.SumaTotal(), &cantDia},
      {"Cantidad de datos por sector y tramo - Noche [cant]", cantNoche.SumaTotal(), &cantNoche}};

  TEscritorTexto f(archivo);
  for (const TBloque& b : bloques) {
    f.EscribirLinea(std::string(b.titulo) + "\t" + RealATexto(b.escalar));
    b.m->WriteTabla(f);
    f.EscribirLinea();
  }
  f.Cerrar();
}

// ---------------------------------------------------------------------------------------------
// Estimators
// ---------------------------------------------------------------------------------------------

TEstimadorModeloCombinado::TEstimadorModeloCombinado(TParque_ModeloCombinado& MC)
    : MC_(&MC), guardarGrillaPrevio_(MC.ModeloTeorico->guardarGrilla) {
  MC_->ModeloTeorico->guardarGrilla = false;
}

TEstimadorModeloCombinado::TEstimadorModeloCombinado(std::unique_ptr<TParque_ModeloCombinado> propio)
    : propio_(std::move(propio)), MC_(propio_.get()),
      guardarGrillaPrevio_(MC_->ModeloTeorico->guardarGrilla) {
  MC_->ModeloTeorico->guardarGrilla = false;
}

TEstimadorModeloCombinado::~TEstimadorModeloCombinado() {
  MC_->ModeloTeorico->guardarGrilla = guardarGrillaPrevio_;
}

void TEstimadorModeloCombinado::CalcularPotencia(double v, double dir, double rho, double cgm,
                                                 bool soloTeorico, double& PConCGM, double& PSinCGM,
                                                 double& PTeoSinCGM) {
  MC_->CalcularPotencia(v, dir, rho, cgm, soloTeorico, PConCGM, PSinCGM, PTeoSinCGM);
}

std::unique_ptr<TEstimadorPotencia> TEstimadorModeloCombinado::Copia() const {
  return std::make_unique<TEstimadorModeloCombinado>(MC_->Create_Copia());
}

TGrupoEstimadores::TGrupoEstimadores(TEstimadorPotencia& principal, int nHilos) {
  // One worker per core, at most 8 (each holds a whole copy of the model and its wake grid).
  if (nHilos <= 0) nHilos = std::clamp(static_cast<int>(std::thread::hardware_concurrency()), 1, 8);
  todos_.push_back(&principal);
  for (int i = 1; i < nHilos; ++i) {
    copias_.push_back(principal.Copia());
    todos_.push_back(copias_.back().get());
  }
}

TGrupoEstimadores::~TGrupoEstimadores() = default;

// ---------------------------------------------------------------------------------------------
// Restriction periods
// ---------------------------------------------------------------------------------------------

TDAofRecsFechas DetectarRestricciones(const std::string& archivoSeries, double& fechaIni, double& fechaFin,
                                      double PAut) {
  auto series = TSeriesDeDatos::Create_LeerDeArchivo(archivoSeries);
  return DetectarRestricciones(*series, fechaIni, fechaFin, PAut);
}

TDAofRecsFechas DetectarRestricciones(const TSeriesDeDatos& series, double& fechaIni, double& fechaFin,
                                      double PAut) {
  ComprobarSeries(series);
  const int N = series.nPuntos;
  fechaIni = std::max(fechaIni, series.dtPrimeraMuestra);
  fechaFin = std::min(fechaFin, series.dtDeMuestra(N));
  const int kIni = IndiceDeMuestra(series, fechaIni);
  const int kFin = std::min(IndiceDeMuestra(series, fechaFin), N);
  const TVectR& CGM = series.series[cCGM];
  const double umbral = PAut - 0.5;

  TDAofRecsFechas periodos;
  int k = std::max(kIni, 1);
  while (true) {
    int s = k;
    while (s <= kFin && !(CGM.e(s) > -1 && CGM.e(s) < umbral))
      ++s;
    if (s > kFin) break;
    int e = s + 1;
    while (e <= N && !(CGM.e(e) > -1 && CGM.e(e) > umbral))
      ++e;
    periodos.push_back({series.dtDeMuestra(s), series.dtDeMuestra(e)});
    k = e + 1;
    if (e >= kFin) break;
  }
  return periodos;
}

// ---------------------------------------------------------------------------------------------
// The window computation
// ---------------------------------------------------------------------------------------------

namespace {

// The estimates of the samples that need one, computed by the workers in any order and consumed in
// sample order by the caller's thread.
class TEstimacionesEnParalelo {
public:
  struct TMuestra {
    double v, dir, T, p, h, cgm;
  };

  TEstimacionesEnParalelo(const TGrupoEstimadores& est, std::vector<TMuestra> muestras, double PAut,
                          bool soloTeorico)
      : est_(est), muestras_(std::move(muestras)), PAut_(PAut), soloTeorico_(soloTeorico),
        PSin_(muestras_.size()), PTeo_(muestras_.size()),
        listo_(new std::atomic<unsigned char>[muestras_.size()]()) {
    if (est_.n() > 1 && muestras_.size() > 1)
      for (int w = 0; w < est_.n(); ++w)
        hilos_.emplace_back([this, w] { Trabajar(est_[w]); });
  }

  ~TEstimacionesEnParalelo() {
    abortar_.store(true);
    for (auto& h : hilos_)
      h.join();
  }

  // Estimate i (in submission order): waits for its worker, or computes it here when sequential.
  void Obtener(size_t i, double& PSin, double& PTeo) {
    if (hilos_.empty()) {
      Calcular(est_[0], i);
    } else {
      unsigned char estado;
      while ((estado = listo_[i].load(std::memory_order_acquire)) == 0)
        listo_[i].wait(0, std::memory_order_acquire);
      if (estado == 2) {
        std::lock_guard<std::mutex> l(mError_);
        std::rethrow_exception(error_);
      }
    }
    PSin = PSin_[i];
    PTeo = PTeo_[i];
  }

private:
  void Calcular(TEstimadorPotencia& e, size_t i) {
    const TMuestra& m = muestras_[i];
    const double rho = DensidadAire(m.T, m.p, m.h);
    // No recorded setpoint: estimated as an unrestricted sample. A setpoint cannot be negative.
    const double limite = m.cgm <= -1 ? PAut_ : std::max(m.cgm, 0.0);
    double PCon, PSin, PTeo;
    e.CalcularPotencia(m.v, m.dir, rho, limite, soloTeorico_, PCon, PSin, PTeo);
    PSin_[i] = PSin;
    PTeo_[i] = PTeo;
  }

  void Trabajar(TEstimadorPotencia& e) {
    while (!abortar_.load(std::memory_order_relaxed)) {
      const size_t i = siguiente_.fetch_add(1);
      if (i >= muestras_.size()) return;
      unsigned char estado = 1;
      try {
        Calcular(e, i);
      } catch (...) {
        std::lock_guard<std::mutex> l(mError_);
        if (!error_) error_ = std::current_exception();
        estado = 2;
        abortar_.store(true);
      }
      listo_[i].store(estado, std::memory_order_release);
      listo_[i].notify_all();
      if (estado == 2) {
        // The caller stops at the first failed sample: mark every later claimed sample as failed too.
        return;
      }
    }
  }

  const TGrupoEstimadores& est_;
  std::vector<TMuestra> muestras_;
  double PAut_;
  bool soloTeorico_;
  std::vector<double> PSin_, PTeo_;
  std::unique_ptr<std::atomic<unsigned char>[]> listo_;
  std::atomic<size_t> siguiente_{0};
  std::atomic<bool> abortar_{false};
  std::mutex mError_;
  std::exception_ptr error_;
  std::vector<std::thread> hilos_;
};

std::string NombreResultados(const std::string& carpeta, double ventanaIni, double ventanaFin) {
  return ArchivoEnCarpeta(carpeta,
                          "ResultadosMC_" + FechaCompacta(ventanaIni) + FechaCompacta(ventanaFin) + ".xlt");
}

} // namespace

// What the window computation needs of a combined model's farm.
static TDatosCentral DatosCentral(const TParque_ModeloCombinado& MC) {
  TDatosCentral central;
  central.ModeloTeorico = MC.ModeloTeorico;
  central.nSectores = MC.ModeloEmpirico->nSectores();
  central.nBandas = MC.ModeloEmpirico->nBandas();
  return central;
}

TResultadoVentana CalcularVentana(TParque_ModeloCombinado& MC, const std::string& archivoSeries,
                                  const std::string& carpeta, double ventanaIni, double ventanaFin,
                                  double intervaloIni, double intervaloFin, double factorSMEC,
                                  TDAofRecsEnergiaPorFecha& energias, int B, bool soloTeorico,
                                  bool conMatricesErrores, int nHilos) {
  ComprobarBuffer(B);
  auto series = TSeriesDeDatos::Create_LeerDeArchivo(archivoSeries);
  TEstimadorModeloCombinado estimador(MC);
  TGrupoEstimadores grupo(estimador, nHilos);
  const TDatosCentral central = DatosCentral(MC);
  return CalcularVentana(central, grupo, *series, carpeta, ventanaIni, ventanaFin, intervaloIni, intervaloFin,
                         factorSMEC, energias, B, soloTeorico, conMatricesErrores);
}

TResultadoVentana CalcularVentana(const TDatosCentral& central, const TGrupoEstimadores& estimadores,
                                  const TSeriesDeDatos& series, const std::string& carpeta, double ventanaIni,
                                  double ventanaFin, double intervaloIni, double intervaloFin,
                                  double factorSMEC, TDAofRecsEnergiaPorFecha& energias, int B,
                                  bool soloTeorico, bool conMatricesErrores) {
  const auto inicio = std::chrono::steady_clock::now();
  ComprobarBuffer(B);
  ComprobarSeries(series);
  const TParque_ModeloTeorico& MT = *central.ModeloTeorico;
  const double PAut = MT.potencia_autorizada_mw;
  const int N = series.nPuntos;

  // 1. The window clipped to the series.
  TResultadoVentana r;
  r.factorSMEC = factorSMEC;
  ventanaIni = std::max(ventanaIni, series.dtPrimeraMuestra);
  ventanaFin = std::min(ventanaFin, series.dtDeMuestra(N));
  r.ventanaIni = ventanaIni;
  r.ventanaFin = ventanaFin;
  const int kIni = std::max(IndiceDeMuestra(series, ventanaIni), 1);
  const int kFin = std::min(IndiceDeMuestra(series, ventanaFin), N);

  // 2. The sample filters over the whole series, power not normalised (on copies: the series is
  //    left as it was read).
  const TVectR& Vel = series.series[cVel];
  const TVectR& Dir = series.series[cDir];
  const TVectR& PE = series.series[cPE];
  const TVectR& Temp = series.series[cTemp];
  const TVectR& Pre = series.series[cPre];
  const TVectR& Hum = series.series[cHum];
  const TVectR& CGM = series.series[cCGM];
  TVectR PEFiltro = PE;
  TVectR fDisp = series.series[cDisp];
  TDAOfBoolean Filt_Huecos, Filt_Coherencia, Filt_CGM, Filtro_Distancia, Filt_Disponibilidad;
  FiltrarMuestras(MT, Vel, Dir, PEFiltro, CGM, fDisp, false, Filt_Huecos, Filt_Coherencia, Filt_CGM,
                  Filtro_Distancia, Filt_Disponibilidad);
  auto excluida = [&](int k) { return Filt_Huecos[k] || Filt_Coherencia[k]; };

  // 3. The results file (written to a temporary, renamed when complete).
  std::unique_ptr<TMatricesConErroresModelos> matrices;
  if (conMatricesErrores)
    matrices = std::make_unique<TMatricesConErroresModelos>(central.nSectores, 25, 360, central.nBandas, 7,
                                                            20, PAut);
  r.archivoResultados = NombreResultados(carpeta, ventanaIni, ventanaFin);
  TEscritorTexto f(r.archivoResultados);
  f.EscribirLinea("dt\tVel[m/s]\tDir[gr]\tP_MW_Dato[MW]\tCGM_Dato[MW]\tP_MW_MC_conAjCP\tpRed_conAjCP[MW]");

  // 5. Buffer start: back from the window until B unrestricted valid samples are counted.
  int k = std::min(kIni - 1, N), contados = 0;
  while (k >= 1 && contados < B) {
    if (!excluida(k) && !Filt_CGM[k]) ++contados;
    --k;
  }
  const int k0 = k + 1;
  r.kIni = kIni;
  r.kFin = kFin;
  r.k0 = k0;

  // The estimates: every valid sample of the window and every unrestricted valid sample before it
  // (a curtailed sample before the window neither enters the buffer nor writes a row).
  std::vector<TEstimacionesEnParalelo::TMuestra> muestras;
  std::vector<int> indiceEstimacion(kFin >= k0 ? size_t(kFin - k0 + 1) : 0, -1);
  for (int j = k0; j <= kFin; ++j)
    if (!excluida(j) && (j >= kIni || !Filt_CGM[j])) {
      indiceEstimacion[size_t(j - k0)] = static_cast<int>(muestras.size());
      muestras.push_back({Vel.e(j), Dir.e(j), Temp.e(j), Pre.e(j), Hum.e(j), CGM.e(j)});
    }
  r.nEstimaciones = static_cast<int>(muestras.size());
  TEstimacionesEnParalelo estimaciones(estimadores, std::move(muestras), PAut, soloTeorico);

  // 4, 6. The adjustment buffer and the rows, in sample order.
  std::vector<double> M(size_t(B), 0.0), Q(size_t(B), 0.0);
  int pos = 0;
  double F = 1, E_sin = 0, E_aj = 0;
  TDAofRecsEnergiaPorFecha nuevas;
  const long long sIntIni = SegundosRedondeados(intervaloIni);
  const long long sIntFin = SegundosRedondeados(intervaloFin);
  for (int j = k0; j <= kFin; ++j) {
    const double t = series.dtDeMuestra(j);
    const double v = Vel.e(j), dir = Dir.e(j), pe = PE.e(j), cgm = CGM.e(j);
    double P_sin = kMarcaExcluida, P_teo = 0;
    const bool valida = !excluida(j);
    if (valida) {
      // A curtailed sample before the window has no estimate: it neither enters the buffer nor
      // writes a row, and F does not depend on it.
      const int ie = indiceEstimacion[size_t(j - k0)];
      if (ie >= 0) estimaciones.Obtener(size_t(ie), P_sin, P_teo);
      if (pos >= 1) {
        double S_M = 0, S_Q = 0;
        for (int b = 0; b < B; ++b) {
          S_M += M[size_t(b)];
          S_Q += Q[size_t(b)];
        }
        F = S_Q > 0.0001 ? S_M / S_Q : 1;
      } else {
        F = 1;
      }
      if (!Filt_CGM[j]) {
        pos = (pos % B) + 1;
        M[size_t(pos - 1)] = pe;
        Q[size_t(pos - 1)] = P_sin;
        if (matrices && j >= kIni) matrices->AgregarMuestra(t, dir, v, P_teo - pe);
      }
    }
    if (j < kIni) continue;

    const std::string fecha = FechaHoraATexto(t);
    std::cout << fecha << '\n';
    const double P_aj = std::min(F * P_sin, PAut);
    double R = 0;
    const long long st = SegundosRedondeados(t);
    // An excluded sample has no estimate: with F <= 0 its marker would turn into a power capped at PAut
    // and into spurious energy, so it never adds any.
    if (valida && sIntIni <= st && st <= sIntFin && cgm > -1 && cgm < PAut - 0.5 && cgm - 0.03 * PAut < pe &&
        pe < cgm + 0.03 * PAut) {
      const double R_sin = std::max(0.0, static_cast<double>(static_cast<float>(P_sin - pe)));
      R = std::max(0.0, static_cast<double>(static_cast<float>(P_aj - pe)));
      if (R > 0) nuevas.push_back({t, R / 6});
      E_sin = E_sin + R_sin / 6;
      E_aj = E_aj + R / 6;
    }
    f.EscribirLinea(fecha + "\t" + RealATexto(v) + "\t" + RealATexto(dir) + "\t" + RealATexto(pe) + "\t" +
                    RealATexto(cgm) + "\t" + RealATexto(P_aj) + "\t" + RealATexto(R));
    ++r.nFilas;
  }

  // 7. The summary of the interval.
  f.EscribirLinea();
  f.EscribirLinea(
      "Fecha inicio\tFecha fin\t Energía no suministrada SCADA [MWh]\t Factor SMEC/SCADA [p.u] \t "
      "Energía no suministrada SMEC [MWh]");
  f.EscribirLinea(FormatearFechaHora("dd-mm-yyyy hh:mm", intervaloIni) + "\t" +
                  FormatearFechaHora("dd-mm-yyyy hh:mm", intervaloFin - 10.0 / 1440.0) + "\t" +
                  RealATexto(E_aj) + "\t" + RealATexto(factorSMEC) + "\t" + RealATexto(factorSMEC * E_aj));
  f.Cerrar();

  // 8. The error matrices.
  if (matrices) matrices->Escribir(ArchivoEnCarpeta(carpeta, "Matrices_Errores.xlt"));

  energias.insert(energias.end(), nuevas.begin(), nuevas.end());
  r.E_aj = E_aj;
  r.E_sin = E_sin;
  r.segundos = Segundos(inicio);
  std::cout << "Muestras calculadas: " << r.nEstimaciones << ", filas escritas: " << r.nFilas
            << ", tiempo: " << RealATextoFijo(r.segundos, 2) << " s" << '\n';
  // 9.
  std::cout << "Fin cálculo del Modelo Combinado" << std::endl;
  return r;
}

// ---------------------------------------------------------------------------------------------
// Hourly grouping and the energy report
// ---------------------------------------------------------------------------------------------

TDAofRecsEnergiaPorFecha AgruparPorHora(const TDAofRecsEnergiaPorFecha& energias) {
  TDAofRecsEnergiaPorFecha horas;
  if (energias.empty()) return horas;
  TRecEnergiaPorFecha abierta{HoraDe(energias[0].fecha), energias[0].energia};
  for (size_t i = 1; i < energias.size(); ++i) {
    const double t = energias[i].fecha;
    if (abierta.fecha + 5.0 / 1440.0 < t && t < abierta.fecha + 65.0 / 1440.0) {
      abierta.energia += energias[i].energia;
    } else {
      horas.push_back(abierta);
      abierta = {HoraDe(t), energias[i].energia};
    }
  }
  horas.push_back(abierta);
  return horas;
}

void EscribirEnergias(const std::string& archivo, double factorSMEC,
                      const TDAofRecsEnergiaPorFecha& energias) {
  TEscritorTexto f(archivo);
  f.EscribirLinea("Fecha\t Energía no suministrada SCADA [MWh]\t Factor SMEC/SCADA [p.u] \t Energía no "
                  "suministrada SMEC [MWh]");
  double total = 0;
  for (const TRecEnergiaPorFecha& e : energias) {
    f.EscribirLinea(RealATexto(e.fecha) + "\t" + RealATexto(e.energia) + "\t" + RealATexto(factorSMEC) +
                    "\t" + RealATexto(factorSMEC * e.energia));
    total += e.energia;
  }
  f.EscribirLinea("E[MWh] totales\t" + RealATexto(total) + "\t\t" + RealATexto(factorSMEC * total));
  f.Cerrar();
}

// ---------------------------------------------------------------------------------------------
// The whole restriction job
// ---------------------------------------------------------------------------------------------

TResultadoRestricciones ProcesarRestricciones(const TFuenteFactorSMEC& factor, const std::string& archivoMC,
                                              const std::string& archivoSeries, double fechaIni,
                                              double fechaFin, int B, const std::string& carpeta,
                                              int nHilos) {
  const auto inicio = std::chrono::steady_clock::now();
  ComprobarBuffer(B);
  TResultadoRestricciones r;
  // 1. The combined model.
  r.ModeloMC = TParque_ModeloCombinado::CreateLoadFromFile(archivoMC);
  TParque_ModeloCombinado& MC = *r.ModeloMC;
  const TParque_ModeloTeorico& MT = *MC.ModeloTeorico;
  const int nid = MT.nid_central;
  // 2. The SMEC/SCADA factor of the central.
  r.factorSMEC = factor ? factor(nid) : 0.0;
  const std::string carpetaSalida = carpeta.empty() ? CarpetaCentral(nid) : carpeta;
  // 3. The periods (the series is read once and shared by every period's computation).
  auto series = TSeriesDeDatos::Create_LeerDeArchivo(archivoSeries);
  r.fechaIni = fechaIni;
  r.fechaFin = fechaFin;
  r.periodos = DetectarRestricciones(*series, r.fechaIni, r.fechaFin, MT.potencia_autorizada_mw);
  std::cout << "Períodos de restricción: " << r.periodos.size() << '\n';

  // 4. One window per period.
  TEstimadorModeloCombinado estimador(MC);
  TGrupoEstimadores grupo(estimador, nHilos);
  const TDatosCentral central = DatosCentral(MC);
  int nEstimaciones = 0;
  for (const TRecFechasRestriccion& p : r.periodos) {
    r.ventanas.push_back(CalcularVentana(
        central, grupo, *series, carpetaSalida, p.fechaInicio - kHorasAmpliacion,
        p.fechaFin + kHorasAmpliacion, p.fechaInicio, p.fechaFin, r.factorSMEC, r.energias, B, false, false));
    nEstimaciones += r.ventanas.back().nEstimaciones;
    r.E_total += r.ventanas.back().E_aj;
  }

  // 5. The hourly report.
  r.energiasHorarias = AgruparPorHora(r.energias);
  r.archivoHorario =
      ArchivoEnCarpeta(carpetaSalida, "c" + std::to_string(nid) + "_Restricciones_horarias.xlt");
  EscribirEnergias(r.archivoHorario, r.factorSMEC, r.energiasHorarias);
  r.segundos = Segundos(inicio);
  std::cout << "Restricciones procesadas: " << r.periodos.size() << " períodos, " << nEstimaciones
            << " muestras calculadas en " << RealATextoFijo(r.segundos, 2) << " s" << std::endl;
  return r;
}
