// aurvend-cli evaluar: the value of an arithmetic expression, as the window's edit boxes read it.
#include <iostream>

#include "cli/comandos.h"
#include "num/uauxiliares.h"
#include "num/uevaluador.h"

namespace {

int Evaluar(const cli::TArgs& args) {
  if (args.size() != 1)
    throw Exception("Uso: aurvend-cli evaluar TEXTO (un solo argumento; entre comillas si lleva blancos)");
  std::cout << RealATextoGeneral(TextoAReal(args[0])) << "\n";
  return 0;
}

cli::TRegistroComando
    reg("evaluar",
        "  evaluar TEXTO     evalúa una expresión aritmética (+ - * / ^, paréntesis, ABS, ATAN,\n"
        "                    COS, EXP, LN, ROUND, SIN, SQRT, SQR, TRUNC) y escribe su valor",
        &Evaluar);

} // namespace
