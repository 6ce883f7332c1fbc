#pragma once
// Workflows of the calibrator and the combined model, as the main window runs them: build a
// calibrator from a farm file and its series, calibrate it, derive the simple station correction,
// evaluate its objective, build the combined model and estimate one sample with it.
#include <memory>
#include <string>

#include "calibration/ucalibrador.h"
#include "calibration/uparques_modelocombinado.h"
#include "num/matreal.h"

class TParque_ModeloTeorico;

// A farm read from its model file and the calibrator built on it (the calibrator refers to the farm,
// so both travel together; the farm is released last).
struct TCalibradorConParque {
  std::unique_ptr<TParque_ModeloTeorico> ModeloTeorico;
  std::unique_ptr<TCalibradorParque> Calibrador;
  TCalibradorConParque();
  TCalibradorConParque(TCalibradorConParque&&) noexcept;
  ~TCalibradorConParque();
};

// Reads the farm model file, builds the calibrator from the series file (the empirical model writes
// its reports and charts in the farm's folder unless `conReportes` is false) and saves it to
// `archivoSalida`, or to the farm's calibrator file when it is empty. Returns the calibrator and
// sets `archivoEscrito`.
TCalibradorConParque CrearCalibradorDesdeArchivos(const std::string& archivoPmt,
                                                  const std::string& archivoSeries, int PorcentajeAjusteInf,
                                                  int PorcentajeAjusteSup, const std::string& archivoSalida,
                                                  std::string& archivoEscrito, bool conReportes = true);

// The window's calibration: the search over every parameter, then the calibrator saved to
// `archivoSalida`, or to "calibrador_" + farm name + "_FIN_.clp" in the diagnostics folder when it is
// empty. Returns the final objective.
double CalibrarParque(TCalibradorParque& calibrador, const std::string& archivoSalida,
                      std::string& archivoEscrito);
double CalibrarDesdeArchivo(const std::string& archivoClp, const std::string& archivoSalida,
                            std::string& archivoEscrito);

// The window's simple station-factor calibration: the new table is installed as the theoretical
// model's meteo_etha, the line "Calibración de EthaMeteo de la Central <nid> terminada." and the
// table's printed form go to the console. Returns the table.
TMatR CalibracionSimpleEthaMeteo(TCalibradorParque& calibrador);
// Loads the calibrator, runs the above and saves the calibrator to `archivoSalida` when not empty.
TMatR CalibracionSimpleEthaMeteoDesdeArchivo(const std::string& archivoClp, const std::string& archivoSalida);

// FuncionObjetivo(31) of the calibrator's current parameters.
double ObjetivoDesdeArchivo(const std::string& archivoClp);

// Builds the combined model from a calibrator file and saves it to `archivoSalida`, or to the farm's
// combined-model file when it is empty; returns the file written.
std::string CrearModeloCombinadoDesdeArchivo(const std::string& archivoClp, const std::string& archivoSalida);

// One sample estimated with the combined model read from a .pmc file.
TPotenciasMC PotenciaModeloCombinadoDesdeArchivo(const std::string& archivoPmc, double v, double dir,
                                                 double rho, double cgm, bool soloTeorico);
