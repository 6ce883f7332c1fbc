#include "workflows/wmapa.h"

#include "charts/umapaparque.h"

TResultadoSimulacionMT SimularYGuardarMapaMT(TParque_ModeloTeorico& parque, double dir, double v,
                                             const std::string& archivoImagen, int ancho, int alto) {
  FormatoImagenMapa(archivoImagen); // a wrong name fails before the computation
  TResultadoSimulacionMT r = SimularVientoMT(parque, dir, v);
  GuardarMapaParque(parque, ancho, alto, archivoImagen);
  return r;
}
