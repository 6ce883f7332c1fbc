#pragma once
// Empirical model of a wind farm: farm power against the wind's power density per direction sector,
// learnt from the farm's measured ten-minute samples.
//
// Invariants:
// - A constructed model has nS = 72 direction sectors and nB = 10 power-density bands; sector s is
//   centred on AnguloSector(s) = (s - 1) * 360 / nS degrees. nS is the row count of A0, nB the length
//   of BandasPv3 minus one.
// - Every flag array has N + 1 entries (entry 0 unused); a flag set to true rejects its sample. A
//   sample is usable for fitting when none of its five flags is set.
// - After construction (or loading) the tables never change: every query is const, keeps no scratch
//   state and may run concurrently from several threads on the same model.
// - The model reads the farm (authorised power, nominal power, farm curve, identifier) from the
//   theoretical model it was given; it does not own it, and the farm must outlive the model.
// - A model loaded from a calibrator file has no samples (null sample vectors, empty flag arrays, no
//   clusters, empty errc2 and cntMuestras) but answers every question exactly as the model written.
#include <memory>
#include <string>
#include <vector>

#include "num/MatEnt.h"
#include "num/matreal.h"
#include "num/xmatdefs.h"

class TParque_ModeloTeorico;
class TSeriesDeDatos;
class TLectorTexto;
class TEscritorTexto;
class Tf_ddp_Weibull;
class Tf_ddp_VectDeMuestras;

// ---------------------------------------------------------------------------------------------
// Sample filters (also used by the operating-restriction computation on its own series).
// ---------------------------------------------------------------------------------------------

// Scales an availability series that is not per unit (per cent or turbine count) to per unit, in
// place, printing "WARNING!!!: max_fd: ..." when it does; leaves it alone otherwise.
void NormalizarDisponibilidad(TVectR& fDisp, const TParque_ModeloTeorico& ModeloTeorico);

// Marks in `flags` the runs of exactly equal values of x longer than w (all but the last sample of a
// run of at least w + 1 values); masked samples end a run. Returns the count of closed runs' flags.
int FiltroRepetidos(TDAOfBoolean& flags, const TVectR& x, int w, const TDAOfBoolean& mascara);

// The filter chain on one set of sample vectors of equal length N. Resizes the five flag arrays to
// N + 1 entries, clears them and sets gaps, availability, repeated values and curtailment (the outlier
// flags stay clear); scales fDisp in place and, with `normalizar`, divides the power of every sample
// that passes the availability test by its availability. Prints one console line per filter.
void FiltrarMuestras(const TParque_ModeloTeorico& ModeloTeorico, const TVectR& Vel, const TVectR& Ang,
                     TVectR& PE, const TVectR& CGM, TVectR& fDisp, bool normalizar, TDAOfBoolean& Filt_Huecos,
                     TDAOfBoolean& Filt_Coherencia, TDAOfBoolean& Filt_CGM, TDAOfBoolean& Filtro_Distancia,
                     TDAOfBoolean& Filt_Disponibilidad);

// Sector membership: |a - c| reduced by whole turns while above 360, then compared with h (not folded
// to the shorter arc, so 359 degrees is not in the sector centred on 0).
bool EnSector(double h, double c, double a);

// Cyclic completion of a one-column matrix M (rows with a value > 0 are known): unknown rows become
// the mean of their two neighbours around the circle, swept until the largest rise is below 1e-4 (at
// most 10001 sweeps), printing "cnt_iter: ..., epsilon: ..." after every sweep. X is resized.
void CompletarCiclico(TMatR& X, const TMatR& M);

// Day sample of the sector charts: time of day, rounded to the nearest second, in [07:00, 20:00).
bool EsMuestraDiurna(double t);

// File name of a sector chart: trunc(100 * angle) "_" pass "_" trunc(100 * AlfaFilt) ".jpg".
std::string NombreGraficoSector(double anguloSector, int pasada, double AlfaFilt);

// The two sectors around a direction and their weights.
struct TUbicacionAngulo {
  int s1 = 1, s2 = 2;
  double w1 = 1, w2 = 0;
};

// Band-table estimate: power and the weight of data behind it (-1 with power 0 when too thin).
struct TPotenciaRepresentantes {
  double P = 0;
  double peso = -1;
};

// Statistical summary of the selected samples (not gaps, no repeated-value, availability or outlier
// flag; curtailed samples count). The caller owns both distributions.
struct TEstadisticasME {
  std::unique_ptr<Tf_ddp_Weibull> weibullVel;
  std::unique_ptr<Tf_ddp_VectDeMuestras> ddpAng;
  double minVel = 0, maxVel = 0, minPE = 0, maxPE = 0, minPre = 0, maxPre = 0, minHumRel = 0, maxHumRel = 0,
         minfDisp = 0, maxfDisp = 0, minTemp = 0, maxTemp = 0, minCGM = 0, maxCGM = 0;
  TEstadisticasME();
  ~TEstadisticasME();
  TEstadisticasME(TEstadisticasME&&) noexcept;
  TEstadisticasME& operator=(TEstadisticasME&&) noexcept;
};

// The sorted cluster of one sector, kept for its chart.
struct TClusterSector {
  TVectR Pv3, PE, Extra, Tiempo;
};

class TParque_ModeloEmpirico {
public:
  // Builds the whole model from a series file: read, period check, filter chain, two sector passes
  // with the outlier filter between them, reports and charts in the farm's working folder.
  // `conReportes` false skips every file (reports, charts, the fit's scratch table): the numeric
  // construction alone.
  TParque_ModeloEmpirico(const TParque_ModeloTeorico& ModeloTeorico, const std::string& archivoSeries,
                         int PorcentajeAjusteInf, int PorcentajeAjusteSup, bool conReportes = true);
  // The same construction on a series container already in memory (taken over by the model);
  // `archivoSeries` above is read into such a container first.
  TParque_ModeloEmpirico(const TParque_ModeloTeorico& ModeloTeorico, std::unique_ptr<TSeriesDeDatos> series,
                         int PorcentajeAjusteInf, int PorcentajeAjusteSup, bool conReportes = true);
  static std::unique_ptr<TParque_ModeloEmpirico> Create(const TParque_ModeloTeorico& ModeloTeorico,
                                                        const std::string& archivoSeries,
                                                        int PorcentajeAjusteInf, int PorcentajeAjusteSup,
                                                        bool conReportes = true);
  // Reads the model block of a calibrator file (eight items) inside the file number format.
  static std::unique_ptr<TParque_ModeloEmpirico>
  CreateLoadFromText(TLectorTexto& f, const TParque_ModeloTeorico& ModeloTeorico);
  // A copy of the tables (no samples) on the given farm: answers every question as this model.
  std::unique_ptr<TParque_ModeloEmpirico>
  Create_CopiaTablas(const TParque_ModeloTeorico& ModeloTeorico) const;
  ~TParque_ModeloEmpirico();
  TParque_ModeloEmpirico(const TParque_ModeloEmpirico&) = delete;
  TParque_ModeloEmpirico& operator=(const TParque_ModeloEmpirico&) = delete;

  // Writes the model block of a calibrator file inside the file number format.
  void WriteToText(TEscritorTexto& f) const;

  // --- Questions (const, thread-safe) ---
  // S-curve estimate in MW for a direction (degrees), power density (MW/m2) and air density (kg/m3),
  // never above the authorised power.
  double PotenciaCurvaS(double a, double pd, double rho) const;
  // Band-table estimate (not capped).
  TPotenciaRepresentantes PotenciaRepresentantes(double a, double pd, double rho) const;
  void PotenciaRepresentantes(double a, double pd, double rho, double& P, double& peso) const;
  // Speed (m/s) at which the S-curve of sector s gives P; P strictly between 0 and PMax.
  double VelocidadCurvaS(int s, double P) const;
  TUbicacionAngulo UbicarAngulo(double a) const;
  void UbicarAngulo(double a, int& s1, int& s2, double& w1, double& w2) const;
  int nSectores() const;
  int nBandas() const;
  double AnguloSector(int s) const;

  // Statistical summary of the samples (needs samples: not for a loaded model).
  TEstadisticasME Estadisticas() const;

  // --- Steps of the construction (public for the reports and the tests) ---
  // One sector pass: clusters, S-curves, band tables, completion, sector charts, completed report.
  void AjustarSectores(int nS, int nB, int PorcentajeAjusteInf, int PorcentajeAjusteSup, int pasada,
                       double solapamiento);
  // Sets Filtro_Distancia on the 10 % of usable samples farthest from the S-curves; returns how many.
  int FiltroDistancia();
  void EscribirSeriesFiltradas() const;
  void EscribirCurvasS() const;
  void GraficarSector(int s, int pasada) const;
  // The farm's working folder (created when missing), without a trailing separator.
  std::string Carpeta() const;

  // --- The farm and the samples ---
  const TParque_ModeloTeorico* ModeloTeorico = nullptr; // not owned
  int N = 0;
  double dtPrimeraMuestra = 0;
  double dtEntreMuestras_dias = 0;
  std::unique_ptr<TSeriesDeDatos> Series; // owned; the sample vectors below are its own vectors
  TVectR* Ang = nullptr;
  TVectR* Vel = nullptr;
  TVectR* PE = nullptr;
  TVectR* Temp = nullptr;
  TVectR* Pre = nullptr;
  TVectR* HumRel = nullptr;
  TVectR* fDisp = nullptr;
  TVectR* CGM = nullptr;
  TVectR* SerieExtra = nullptr;
  TVectR Tiempo;
  TDAOfBoolean Filt_Huecos, Filt_Coherencia, Filt_CGM, Filtro_Distancia, Filt_Disponibilidad;
  double AlfaFilt = 0;

  // --- Clusters and tables ---
  TVectR CL_Pv3, CL_PE, CL_Extra, CL_Tiempo;     // the last sector processed
  TVectR BandasPv3;                              // nB + 1 band edges (MW/m2)
  TMatR Peso, A0, A1, F0;                        // nS x nB
  TVectR Pv3Medio;                               // nB band centres
  TVectR alfa, vm;                               // nS S-curve parameters
  TVectR errc2;                                  // nS mean squared residuals of the fits (log scale)
  TVectE cntMuestras;                            // nS points that entered each fit
  std::vector<TClusterSector> ClustersOrdenados; // the sorted cluster of every sector, last pass

  bool conReportes = true;

private:
  TParque_ModeloEmpirico() = default;
  bool EsUsable(int k) const;
  void AjustarCurvaS(int s, int PorcentajeAjusteInf, int PorcentajeAjusteSup);
  void EscribirTablaAjusteCurvaS() const;
  void EscribirCurvasSCompletadas(const TMatR& alfaCompleto, const TMatR& vmCompleto) const;
  void GraficarFiltrados() const;
  // Scratch table of the last fitted sector (pairs and parameters), written once per pass.
  std::vector<double> scratchX_, scratchY_;
  double scratchAlfa_ = 0, scratchVm_ = 0;
  bool scratchListo_ = false;
};
