// aurvend-cli family "mc": the combined model (.pmc).
#include <iostream>

#include "cli/comandos.h"
#include "workflows/wcalibrador.h"

namespace {

// mc crear --clp F [--out F.pmc]
int McCrear(const cli::TArgs& args) {
  cli::TOpciones op(args, {"clp", "out"});
  const std::string archivo = CrearModeloCombinadoDesdeArchivo(op.texto("clp"), op.texto("out", ""));
  std::cout << "Modelo combinado guardado en: " << archivo << "\n";
  return 0;
}

// mc potencia --pmc F --v M_S --dir GRADOS --rho KG_M3 --cgm MW [--solo-teorico]
int McPotencia(const cli::TArgs& args) {
  cli::TOpciones op(args, {"pmc", "v", "dir", "rho", "cgm"}, {"solo-teorico"});
  const TPotenciasMC p =
      PotenciaModeloCombinadoDesdeArchivo(op.texto("pmc"), op.real("v"), op.real("dir"), op.real("rho"),
                                          op.real("cgm"), op.tiene("solo-teorico"));
  std::cout << cli::RealCLI(p.PConCGM) << "\n"
            << cli::RealCLI(p.PSinCGM) << "\n"
            << cli::RealCLI(p.PTeoSinCGM) << "\n";
  return 0;
}

cli::TRegistroComando regCrear("mc crear",
                               "  mc crear --clp ARCHIVO [--out ARCHIVO.pmc]\n"
                               "                    construye el modelo combinado desde un calibrador y lo "
                               "guarda\n"
                               "                    (por omisión en el archivo .pmc del parque)",
                               &McCrear);
cli::TRegistroComando
    regPotencia("mc potencia",
                "  mc potencia --pmc ARCHIVO --v M_S --dir GRADOS --rho KG_M3 --cgm MW [--solo-teorico]\n"
                "                    imprime PConCGM, PSinCGM y PTeoSinCGM de una muestra",
                &McPotencia);

} // namespace
