// aurvend-cli evaluar and --help, run as a separate process.
#include <gtest/gtest.h>

#include <string>

#include "cli/ejecutar_cli.h"

namespace {

using cli_prueba::Citar;
using cli_prueba::EjecutarCli;

TEST(CliEvaluar, PrintsTheShortestGeneralForm) {
  struct {
    const char* texto;
    const char* salida;
  } casos[] = {{"2^3^2", "512\n"}, {"2^-2", "0.25\n"}, {"1/3", "0.333333333333333\n"}, {"1E15", "1E15\n"}};
  for (const auto& c : casos) {
    const auto r = EjecutarCli("evaluar " + Citar(c.texto));
    EXPECT_EQ(r.estado, 0) << c.texto;
    EXPECT_EQ(r.salida, c.salida) << c.texto;
  }
}

TEST(CliEvaluar, FailuresPrintTheMessageOnStandardError) {
  for (const char* texto : {"-2^2", "1.2.3", "X+1", ""}) {
    const auto r = EjecutarCli("evaluar " + Citar(texto));
    EXPECT_EQ(r.estado, 1) << texto;
    EXPECT_EQ(r.error, "Error: no se puede evaluar \"" + std::string(texto) + "\" a un número real\n");
    EXPECT_EQ(r.salida, "") << "nothing on standard output";
  }
  EXPECT_EQ(EjecutarCli("evaluar").estado, 1);
}

TEST(CliEvaluar, HelpListsTheCommandsInSpanish) {
  const auto r = EjecutarCli("--help");
  EXPECT_EQ(r.estado, 0);
  EXPECT_NE(r.salida.find("evaluar TEXTO"), std::string::npos);
  EXPECT_NE(r.salida.find("Comandos:"), std::string::npos);
  EXPECT_NE(r.salida.find("muestra esta ayuda"), std::string::npos);
}

} // namespace
