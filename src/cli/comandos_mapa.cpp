// aurvend-cli "mt mapa": the farm map of one simulated wind, written as an image.
#include <iostream>

#include "cli/comandos.h"
#include "workflows/wmapa.h"

namespace {

// mt mapa --pmt F --dir G --v V --out F.png [--ancho 978 --alto 616]: simulates as "mt simular" does,
// prints the farm power and writes the map (PNG or JPEG by the extension).
int MtMapa(const cli::TArgs& args) {
  cli::TOpciones op(args, {"pmt", "dir", "v", "out", "ancho", "alto"});
  const std::string archivo = op.texto("pmt");
  const double dir = op.real("dir");
  const double v = op.real("v");
  const std::string salida = op.texto("out");
  const int ancho = op.entero("ancho", ANCHO_MAPA_VENTANA);
  const int alto = op.entero("alto", ALTO_MAPA_VENTANA);
  auto parque = TParque_ModeloTeorico::Create_LoadFromArchi(archivo);
  const TResultadoSimulacionMT r = SimularYGuardarMapaMT(*parque, dir, v, salida, ancho, alto);
  std::cout << cli::RealCLI(r.potencia) << "\n";
  std::cout << "Mapa del parque escrito en " << salida << "\n";
  return 0;
}

cli::TRegistroComando regMapa("mt mapa",
                              "  mt mapa --pmt ARCHIVO --dir GRADOS --v M_S --out ARCHIVO.png\n"
                              "          [--ancho 978 --alto 616]\n"
                              "                    simula un viento como mt simular y escribe el mapa\n"
                              "                    del campo de viento (PNG o JPEG según la extensión)",
                              &MtMapa);

} // namespace
