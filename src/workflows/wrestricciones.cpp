// Workflows of the restriction computations.
#include "workflows/wrestricciones.h"

#include "farm/ucarpetas.h"
#include "farm/uparques_modeloteorico.h"

TResultadoRestricciones CalcularSoloRestricciones(const std::string& archivoMC,
                                                  const std::string& archivoSeries, double desde,
                                                  double hasta, int B, const TFuenteFactorSMEC& factor,
                                                  const std::string& carpeta, int nHilos) {
  // The end is the start of the day after the last chosen day, so that whole day is included.
  return ProcesarRestricciones(factor, archivoMC, archivoSeries, desde, hasta + 1, B, carpeta, nHilos);
}

TResultadoVentana CalcularConTodosLosDatos(TParque_ModeloCombinado& MC, const std::string& archivoSeries,
                                           double desde, double hasta, int B, const TFuenteFactorSMEC& factor,
                                           bool soloTeorico, bool conMatricesErrores,
                                           TDAofRecsEnergiaPorFecha& energias, const std::string& carpeta,
                                           int nHilos) {
  const int nid = MC.ModeloTeorico->nid_central;
  const double f = factor ? factor(nid) : 0.0;
  const std::string carpetaSalida = carpeta.empty() ? CarpetaCentral(nid) : carpeta;
  return CalcularVentana(MC, archivoSeries, carpetaSalida, desde, hasta, desde, hasta, f, energias, B,
                         soloTeorico, conMatricesErrores, nHilos);
}

TFuenteFactorSMEC FactorFijo(double factor) {
  return [factor](int) { return factor; };
}
