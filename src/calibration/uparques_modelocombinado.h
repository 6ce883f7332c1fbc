#pragma once
// Combined model: the theoretical farm power corrected by a table of empirical-to-theoretical power
// ratios per direction sector (rows) and power-density band (columns), smoothed where the
// measurements do not support a ratio. It is a calibrator with one more table; its file (.pmc) is a
// calibrator file followed by the table as a matrix block.
//
// Invariants:
// - MatrizCorreccion has nSectores() x nBandas() of the empirical model; sector k is anchored at
//   (k - 1) * 360 / n degrees and band j at the empirical band centre Pv3Medio(j).
// - CalcularPotencia changes the theoretical model's current wind field (callers must not rely on it);
//   everything else it reads is fixed after construction, so copies (Create_Copia) can estimate
//   different samples on different threads, each on its own copy, with identical results.
#include <memory>
#include <string>
#include <vector>

#include "calibration/ucalibrador.h"
#include "num/matreal.h"

// A period of operating restriction (dates as days since 30 December 1899).
struct TRecFechasRestriccion {
  double fechaInicio = 0;
  double fechaFin = 0;
};
using TDAofRecsFechas = std::vector<TRecFechasRestriccion>;

// Energy not supplied in the period that starts at `fecha`, MWh.
struct TRecEnergiaPorFecha {
  double fecha = 0;
  double energia = 0;
};
using TDAofRecsEnergiaPorFecha = std::vector<TRecEnergiaPorFecha>;

// The three estimates of one sample, MW.
struct TPotenciasMC {
  double PConCGM = 0;    // combined model under the setpoint, at most the authorised power
  double PSinCGM = 0;    // combined model without the setpoint, at most the authorised power
  double PTeoSinCGM = 0; // theoretical without the setpoint, uncorrected and not capped
};

class TParque_ModeloCombinado : public TCalibradorParque {
public:
  // Reads the calibrator file and builds the correction table (ratios, then smoothing sweeps), with
  // its console lines.
  explicit TParque_ModeloCombinado(const std::string& archivoCalibrador);
  static std::unique_ptr<TParque_ModeloCombinado> Create(const std::string& archivoCalibrador);
  // Reads a combined-model file: the calibrator content, then the table. Errors name the file and
  // the line; nothing is left half-built.
  static std::unique_ptr<TParque_ModeloCombinado> CreateLoadFromFile(const std::string& archivo);

  TParque_ModeloCombinado(const TParque_ModeloCombinado& otro); // deep copy
  TParque_ModeloCombinado& operator=(const TParque_ModeloCombinado&) = delete;
  std::unique_ptr<TParque_ModeloCombinado> Create_Copia() const;
  ~TParque_ModeloCombinado();

  // Writes the combined-model file inside the file number format: calibrator content, then the table.
  void SaveToFile(const std::string& archivo) const;

  // The per-sample estimate for wind speed v (m/s), direction dir (degrees), air density rho (kg/m3)
  // and setpoint cgm (MW); with soloTeorico the table is not consulted.
  TPotenciasMC CalcularPotencia(double v, double dir, double rho, double cgm, bool soloTeorico);
  void CalcularPotencia(double v, double dir, double rho, double cgm, bool soloTeorico, double& PConCGM,
                        double& PSinCGM, double& PTeoSinCGM);
  // Correction factor at direction dir and mast power density z: linear between the band centres
  // (held at the end columns beyond them), then linear between the two sectors around dir.
  double FactorCorreccion(double dir, double z) const;

  TMatR MatrizCorreccion;

private:
  TParque_ModeloCombinado(TLectorTexto& f, bool leerTabla);
  // The measured ratios A (zero where a cell is empty), computed cell by cell with console progress.
  TMatR CalcularRatios();
};

// One smoothing sweep of M: every cell whose measured ratio A(k, j) is not above 0 becomes the mean
// of its four neighbours in the table before the sweep (sectors circular; at the first and last band
// the cell stands in for its missing neighbour). Returns |largest signed change|, unchanged cells
// counting 0.
double BarridoSuavizado(TMatR& M, const TMatR& A);
// Sweeps until epsilon < 0.0001 or more than 10000 sweeps, printing "cnt_iter: ..., epsilon: ..."
// after each; returns the number of sweeps run. The table needs at least 2 x 2 cells.
int SuavizarMatriz(TMatR& M, const TMatR& A);
