// Workflows of the theoretical model for one wind.
#include "workflows/wmodeloteorico.h"

#include "num/uauxiliares.h"

TResultadoSimulacionMT SimularVientoMT(TParque_ModeloTeorico& parque, double dir, double v) {
  TResultadoSimulacionMT r;
  const double dp = DensidadPotencia(v, 1.225);
  parque.Preparar(false, dir, dp, 1.225);
  r.potencia = parque.ResolverMeteo(1.225, dp, parque.potencia_autorizada_mw, r.convergio, r.dp_meteo_modelo,
                                    r.dp_libre);
  r.v_libre = VelocidadDeDensidad(r.dp_libre, 1.225);
  r.v_meteo_modelo = VelocidadDeDensidad(parque.DpEnPunto(0, 0) * parque.etha_meteo_dir, 1.225);
  r.molinos.reserve(parque.molinos.size());
  for (const TMolino& m : parque.molinos)
    r.molinos.push_back({m.nid, m.dp_media, m.potencia});
  return r;
}

TResultadoVientoMT VientoParaPotenciaMT(TParque_ModeloTeorico& parque, double dir, double v, double P) {
  TResultadoVientoMT r;
  parque.Preparar(false, dir, DensidadPotencia(v, 1.225), 1.225);
  r.v = parque.VientoParaPotencia(P, r.dp_libre);
  r.excedeAutorizada = r.v < 0;
  return r;
}

std::string MensajePotenciaAutorizada(double potencia_autorizada_mw) {
  return "La central tiene una potencia autorizada de " + RealATextoGeneral(potencia_autorizada_mw) +
         " MW.\rIngrese nuevamente el valor de potencia.";
}
