#pragma once
// Workflows of the restriction computations on the user's page:
// - "Calcular solo las R.O.": the energy not supplied over the restriction periods between two days
//   (the last day included whole), with the central's combined-model file;
// - "Calcular con todos los datos": the combined model over a whole date range taken as one
//   restriction interval, with the model held by the caller.
// The SMEC/SCADA factor comes from the source passed in (the central database when connected).
#include <string>

#include "calibration/ucalcrestriccionesoperativas.h"

// "Calcular solo las R.O.": ProcesarRestricciones from the start of `desde` to the start of the day
// after `hasta`. An empty `carpeta` is the central's working folder.
TResultadoRestricciones CalcularSoloRestricciones(const std::string& archivoMC,
                                                  const std::string& archivoSeries, double desde,
                                                  double hasta, int B, const TFuenteFactorSMEC& factor,
                                                  const std::string& carpeta = "", int nHilos = 0);

// "Calcular con todos los datos": CalcularVentana with window and interval from `desde` to `hasta`, a
// new energy list (returned in `energias`), the results in `carpeta` (empty: the central's folder).
TResultadoVentana CalcularConTodosLosDatos(TParque_ModeloCombinado& MC, const std::string& archivoSeries,
                                           double desde, double hasta, int B, const TFuenteFactorSMEC& factor,
                                           bool soloTeorico, bool conMatricesErrores,
                                           TDAofRecsEnergiaPorFecha& energias,
                                           const std::string& carpeta = "", int nHilos = 0);

// A fixed factor as source (the caller supplies the number).
TFuenteFactorSMEC FactorFijo(double factor);
