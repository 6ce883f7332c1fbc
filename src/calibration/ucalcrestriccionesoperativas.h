#pragma once
// Operating-restriction energy: the periods in which a grid operator's setpoint (CGM) capped a farm
// below its authorised power, the power the farm would have produced without it (combined-model
// estimate times a short-term adjustment factor) and the energy not supplied, per sample, per period
// and per hour, on the SCADA scale and (times the SMEC/SCADA factor) on the SMEC scale. Also the error
// matrices of the theoretical model against the measured power.
//
// Invariants:
// - Sample k (from 1) of a series is stamped first + (k - 1) * dt. Wherever a stamp is classified
//   (the sample index of a date, the clock hour, day or night, the interval test) it is taken to the
//   nearest second first, so rounding noise of that sum never moves a sample across a boundary.
// - The per-sample estimates are independent of each other; only the adjustment buffer runs in
//   sample order. CalcularVentana computes the estimates on several workers (each with its own copy
//   of the model) and then runs the buffer, rows, energies and files in sample order, so every
//   output equals that of a sequential run.
// - Nothing is written when the computation fails: the results file is written to a temporary and
//   renamed only when complete; the buffer length is checked before any file is touched.
// - Energy per sample is power x 1/6 h (ten-minute samples).
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "calibration/uparques_modelocombinado.h"
#include "num/matreal.h"
#include "num/xmatdefs.h"

class TParque_ModeloTeorico;
class TSeriesDeDatos;

// ---------------------------------------------------------------------------------------------
// Error matrices of the theoretical model, by direction sector (row), speed band (column) and time of
// day (day from horaDiaIni o'clock inclusive to horaDiaFin exclusive, night otherwise).
// ---------------------------------------------------------------------------------------------
class TMatricesConErroresModelos {
public:
  TMatricesConErroresModelos(int nSect, double vMax, double rangoAng, int nBandas, int horaDiaIni,
                             int horaDiaFin, double pAutorizada);

  // One error sample: t date-time, dir degrees (>= 0; rangoAng falls into row 1), v m/s (speeds at or
  // above vMax fall into the last band), err MW (theoretical minus measured power).
  void AgregarMuestra(double t, double dir, double v, double err);
  // Turns the sums into the statistics and writes the twelve blocks. Call once.
  void Escribir(const std::string& archivo);

  int nSect, nBandas;
  double vMax, rangoAng;
  int horaDiaIni, horaDiaFin;
  double pAutorizada, anchoSector, anchoBanda;

  TMatR acumTotal, acumDia, acumNoche;    // error sums; MWh after Escribir
  TMatR medioTotal, medioDia, medioNoche; // mean error per cell, p.u. (after Escribir)
  TMatR desvTotal, desvDia, desvNoche;    // squared-error sums; standard deviations p.u. after Escribir
  TMatR cantTotal, cantDia, cantNoche;    // sample counts
  double eAcumTotal = 0, eAcumDia = 0, eAcumNoche = 0;
  double eMedioTotal = 0, eMedioDia = 0, eMedioNoche = 0;
  double eDesvTotal = 0, eDesvDia = 0, eDesvNoche = 0;
};

// ---------------------------------------------------------------------------------------------
// The per-sample estimate.
// ---------------------------------------------------------------------------------------------

// The unrestricted-power estimate of one sample. The combined model is the one estimator of the
// system; tests put simple ones in its place. A Copia answers exactly as the original and shares no
// working state with it (one per worker thread).
class TEstimadorPotencia {
public:
  virtual ~TEstimadorPotencia() = default;
  // PConCGM, PSinCGM, PTeoSinCGM in MW (see the combined model's CalcularPotencia).
  virtual void CalcularPotencia(double v, double dir, double rho, double cgm, bool soloTeorico,
                                double& PConCGM, double& PSinCGM, double& PTeoSinCGM) = 0;
  virtual std::unique_ptr<TEstimadorPotencia> Copia() const = 0;
};

// The combined model as estimator. Does not own the model it was given; its copies own theirs.
class TEstimadorModeloCombinado : public TEstimadorPotencia {
public:
  // While the estimator exists its model's wake passes keep no grid (only the turbines and the
  // station are read back), which keeps each pass in cache; the previous setting comes back after.
  explicit TEstimadorModeloCombinado(TParque_ModeloCombinado& MC);
  explicit TEstimadorModeloCombinado(std::unique_ptr<TParque_ModeloCombinado> propio);
  ~TEstimadorModeloCombinado() override;
  void CalcularPotencia(double v, double dir, double rho, double cgm, bool soloTeorico, double& PConCGM,
                        double& PSinCGM, double& PTeoSinCGM) override;
  std::unique_ptr<TEstimadorPotencia> Copia() const override;
  TParque_ModeloCombinado& Modelo() const { return *MC_; }

private:
  std::unique_ptr<TParque_ModeloCombinado> propio_;
  TParque_ModeloCombinado* MC_;
  bool guardarGrillaPrevio_;
};

// The workers' estimators: the caller's one first, then copies of it. nHilos 0 means one per core
// (at most 8);
// 1 means a sequential computation on the caller's estimator alone.
class TGrupoEstimadores {
public:
  TGrupoEstimadores(TEstimadorPotencia& principal, int nHilos = 0);
  ~TGrupoEstimadores();
  int n() const { return static_cast<int>(todos_.size()); }
  TEstimadorPotencia& operator[](int i) const { return *todos_[i]; }

private:
  std::vector<std::unique_ptr<TEstimadorPotencia>> copias_;
  std::vector<TEstimadorPotencia*> todos_;
};

// The farm values a window computation needs besides the estimator.
struct TDatosCentral {
  const TParque_ModeloTeorico* ModeloTeorico = nullptr; // filters, authorised power, nid
  int nSectores = 72; // error matrices: the empirical model's sectors and power-density bands
  int nBandas = 10;
};

// What one window computation produced (besides the files and the energy list).
struct TResultadoVentana {
  std::string archivoResultados;         // the "ResultadosMC_..." file written
  double ventanaIni = 0, ventanaFin = 0; // the window clipped to the series
  int kIni = 0, kFin = 0, k0 = 0;        // first and last sample written; first sample computed
  int nFilas = 0;                        // rows written
  int nEstimaciones = 0;                 // CalcularPotencia calls
  double E_aj = 0;                       // energy not supplied with adjustment, SCADA, MWh
  double E_sin = 0;                      // the same without adjustment (not reported in the file)
  double factorSMEC = 0;
  double segundos = 0; // elapsed time
};

// The SMEC/SCADA factor of a central, by nid (the central database's factor_smec_scada; a null field
// gives 0). The computation never asks the database itself.
using TFuenteFactorSMEC = std::function<double(int nid)>;

// ---------------------------------------------------------------------------------------------
// Operations.
// ---------------------------------------------------------------------------------------------

// The restriction periods of a series between two dates for authorised power PAut: a period starts at
// a sample with -1 < cgm < PAut - 0.5 and ends (exclusive) at the first later sample with cgm > -1 and
// cgm > PAut - 0.5, or one step after the last sample. fechaIni and fechaFin come back clipped to the
// series.
TDAofRecsFechas DetectarRestricciones(const std::string& archivoSeries, double& fechaIni, double& fechaFin,
                                      double PAut);
TDAofRecsFechas DetectarRestricciones(const TSeriesDeDatos& series, double& fechaIni, double& fechaFin,
                                      double PAut);

// The combined model over a window of a series: filters, the adjustment buffer primed with up to B
// unrestricted samples before the window, one row per sample of the window in folder/
// "ResultadosMC_<stamp><stamp>.xlt" with the summary of the interval, the energy of every sample of
// the interval where the farm follows its setpoint appended to `energias`, optionally the error
// matrices in folder/"Matrices_Errores.xlt", console lines. Raises for B < 1 (before any file is
// written) and for a series without the nine channels.
TResultadoVentana CalcularVentana(TParque_ModeloCombinado& MC, const std::string& archivoSeries,
                                  const std::string& carpeta, double ventanaIni, double ventanaFin,
                                  double intervaloIni, double intervaloFin, double factorSMEC,
                                  TDAofRecsEnergiaPorFecha& energias, int B, bool soloTeorico,
                                  bool conMatricesErrores, int nHilos = 0);
// The same on a series in memory (left unchanged) with the given estimators.
TResultadoVentana CalcularVentana(const TDatosCentral& central, const TGrupoEstimadores& estimadores,
                                  const TSeriesDeDatos& series, const std::string& carpeta, double ventanaIni,
                                  double ventanaFin, double intervaloIni, double intervaloFin,
                                  double factorSMEC, TDAofRecsEnergiaPorFecha& energias, int B,
                                  bool soloTeorico, bool conMatricesErrores);

// Ten-minute energies grouped by clock hour: a record stamped H + 10 min ... H + 60 min belongs to
// hour H (records taken in list order).
TDAofRecsEnergiaPorFecha AgruparPorHora(const TDAofRecsEnergiaPorFecha& energias);

// The energy report: header, one line per record, the totals line.
void EscribirEnergias(const std::string& archivo, double factorSMEC,
                      const TDAofRecsEnergiaPorFecha& energias);

// What ProcesarRestricciones produced.
struct TResultadoRestricciones {
  std::unique_ptr<TParque_ModeloCombinado> ModeloMC; // the model it loaded, left to the caller
  double factorSMEC = 0;
  double fechaIni = 0, fechaFin = 0; // clipped to the series
  TDAofRecsFechas periodos;
  std::vector<TResultadoVentana> ventanas; // one per period
  TDAofRecsEnergiaPorFecha energias;       // every ten-minute energy, in order
  TDAofRecsEnergiaPorFecha energiasHorarias;
  std::string archivoHorario; // folder/"c<nid>_Restricciones_horarias.xlt"
  double E_total = 0;         // SCADA, MWh
  double segundos = 0;
};

// The whole restriction job: loads the combined model, takes the factor from `factor`, detects the
// periods between fechaIni and fechaFin, computes each period's window (period widened by four hours)
// and writes the hourly report. An empty `carpeta` is the central's working folder.
TResultadoRestricciones ProcesarRestricciones(const TFuenteFactorSMEC& factor, const std::string& archivoMC,
                                              const std::string& archivoSeries, double fechaIni,
                                              double fechaFin, int B, const std::string& carpeta,
                                              int nHilos = 0);

// --- Helpers of the time axis (public for the workflows and the tests) ---
// A date-time in whole seconds since the date origin, to the nearest second.
long long SegundosRedondeados(double t);
// The sample index trunc((t - first) / dt) + 1 taken on stamps rounded to the nearest second: the
// largest k whose stamp is not later than t (may be below 1 or above N).
int IndiceDeMuestra(const TSeriesDeDatos& series, double t);
// Start of the clock hour containing t (t to the nearest second).
double HoraDe(double t);
