// aurvend-cli family "calibrador": the farm calibrator (.clp).
#include <iostream>

#include "cli/comandos.h"
#include "workflows/wcalibrador.h"

namespace {

// calibrador crear --pmt F --sas F [--inf 5 --sup 95] [--out F.clp] [--sin-informes]
int CalibradorCrear(const cli::TArgs& args) {
  cli::TOpciones op(args, {"pmt", "sas", "inf", "sup", "out"}, {"sin-informes"});
  std::string archivo;
  CrearCalibradorDesdeArchivos(op.texto("pmt"), op.texto("sas"), op.entero("inf", 5), op.entero("sup", 95),
                               op.texto("out", ""), archivo, !op.tiene("sin-informes"));
  std::cout << "Calibrador guardado en: " << archivo << "\n";
  return 0;
}

// calibrador calibrar --clp F [--out F.clp]
int CalibradorCalibrar(const cli::TArgs& args) {
  cli::TOpciones op(args, {"clp", "out"});
  std::string archivo;
  const double fo = CalibrarDesdeArchivo(op.texto("clp"), op.texto("out", ""), archivo);
  std::cout << "Calibrador guardado en: " << archivo << "\n";
  std::cout << cli::RealCLI(fo) << "\n";
  return 0;
}

// calibrador etha --clp F [--out F.clp]
int CalibradorEtha(const cli::TArgs& args) {
  cli::TOpciones op(args, {"clp", "out"});
  const TMatR m = CalibracionSimpleEthaMeteoDesdeArchivo(op.texto("clp"), op.texto("out", ""));
  for (int i = 1; i <= m.nf(); ++i)
    std::cout << cli::RealCLI(m.e(i, 1)) << "\n";
  return 0;
}

// calibrador objetivo --clp F
int CalibradorObjetivo(const cli::TArgs& args) {
  cli::TOpciones op(args, {"clp"});
  std::cout << cli::RealCLI(ObjetivoDesdeArchivo(op.texto("clp"))) << "\n";
  return 0;
}

cli::TRegistroComando regCrear(
    "calibrador crear",
    "  calibrador crear --pmt ARCHIVO --sas ARCHIVO [--inf 5 --sup 95] [--out ARCHIVO.clp] [--sin-informes]\n"
    "                    construye el calibrador (modelo empírico con sus informes) y lo guarda\n"
    "                    (por omisión en el archivo .clp del parque)",
    &CalibradorCrear);
cli::TRegistroComando regCalibrar(
    "calibrador calibrar",
    "  calibrador calibrar --clp ARCHIVO [--out ARCHIVO.clp]\n"
    "                    búsqueda aleatoria de los parámetros; imprime sus líneas y el objetivo final\n"
    "                    (por omisión guarda en basura/calibrador_<nombre>_FIN_.clp)",
    &CalibradorCalibrar);
cli::TRegistroComando regEtha("calibrador etha",
                              "  calibrador etha --clp ARCHIVO [--out ARCHIVO.clp]\n"
                              "                    calibración simple de EthaMeteo instalada en el modelo\n"
                              "                    (escribe Metha.txt; guarda el calibrador solo con --out)",
                              &CalibradorEtha);
cli::TRegistroComando regObjetivo("calibrador objetivo",
                                  "  calibrador objetivo --clp ARCHIVO\n"
                                  "                    imprime la función objetivo (semilla 31) de los "
                                  "parámetros actuales",
                                  &CalibradorObjetivo);

} // namespace
