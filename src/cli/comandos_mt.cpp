// aurvend-cli family "mt": the theoretical farm model for one wind.
#include <iostream>

#include "cli/comandos.h"
#include "workflows/wmodeloteorico.h"

namespace {

// mt simular --pmt F --dir G --v V: farm power, free wind speed, modelled station wind speed, then
// one line per turbine: nid, dp_media, potencia.
int MtSimular(const cli::TArgs& args) {
  cli::TOpciones op(args, {"pmt", "dir", "v"});
  const std::string archivo = op.texto("pmt");
  const double dir = op.real("dir");
  const double v = op.real("v");
  auto parque = TParque_ModeloTeorico::Create_LoadFromArchi(archivo);
  const TResultadoSimulacionMT r = SimularVientoMT(*parque, dir, v);
  std::cout << cli::RealCLI(r.potencia) << "\n"
            << cli::RealCLI(r.v_libre) << "\n"
            << cli::RealCLI(r.v_meteo_modelo) << "\n";
  for (const TResultadoMolinoMT& m : r.molinos)
    std::cout << m.nid << "\t" << cli::RealCLI(m.dp_media) << "\t" << cli::RealCLI(m.potencia) << "\n";
  return 0;
}

// mt viento --pmt F --dir G --v V --p MW: station wind speed for the target power, then the
// free-stream power density of the last trial; above the authorised power the window's message and
// status 1.
int MtViento(const cli::TArgs& args) {
  cli::TOpciones op(args, {"pmt", "dir", "v", "p"});
  const std::string archivo = op.texto("pmt");
  const double dir = op.real("dir");
  const double v = op.real("v");
  const double P = op.real("p");
  // A negative farm power has no station wind: the search would only run grids of infinities.
  if (!(P >= 0))
    throw Exception("La potencia buscada (--p) debe ser mayor o igual que 0 MW: " + op.texto("p"));
  auto parque = TParque_ModeloTeorico::Create_LoadFromArchi(archivo);
  const TResultadoVientoMT r = VientoParaPotenciaMT(*parque, dir, v, P);
  if (r.excedeAutorizada) {
    std::string m = MensajePotenciaAutorizada(parque->potencia_autorizada_mw);
    for (char& c : m)
      if (c == '\r') c = '\n'; // the message box's line break, as a console line break
    std::cout << m << "\n";
    return 1;
  }
  std::cout << cli::RealCLI(r.v) << "\n" << cli::RealCLI(r.dp_libre) << "\n";
  return 0;
}

cli::TRegistroComando
    regSimular("mt simular",
               "  mt simular --pmt ARCHIVO --dir GRADOS --v M_S\n"
               "                    simula un viento en la estación: potencia del parque,\n"
               "                    velocidad libre, velocidad modelada en la estación y, por\n"
               "                    molino, nid, dp_media y potencia",
               &MtSimular);
cli::TRegistroComando
    regViento("mt viento",
              "  mt viento --pmt ARCHIVO --dir GRADOS --v M_S --p MW\n"
              "                    velocidad en la estación que da la potencia MW y densidad\n"
              "                    de potencia libre del último intento",
              &MtViento);

} // namespace
