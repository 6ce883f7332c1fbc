// aurvend-cli evaluar and --help, run as a separate process.
#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <sys/wait.h>

namespace {

struct TResultado {
  int estado;
  std::string salida; // standard output and standard error, in that order
};

std::string Citar(const std::string& s) {
  std::string r = "'";
  for (char c : s)
    r += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return r + "'";
}

TResultado Ejecutar(const std::string& argumentos, bool conError) {
  std::string orden =
      std::string(AURVEND_CLI_PATH) + " " + argumentos + (conError ? " 2>&1 >/dev/null" : " 2>/dev/null");
  FILE* f = popen(orden.c_str(), "r");
  std::string salida;
  std::array<char, 256> buf;
  while (fgets(buf.data(), buf.size(), f))
    salida += buf.data();
  int st = pclose(f);
  return {WIFEXITED(st) ? WEXITSTATUS(st) : -1, salida};
}

TEST(CliEvaluar, PrintsTheShortestGeneralForm) {
  struct {
    const char* texto;
    const char* salida;
  } casos[] = {{"2^3^2", "512\n"}, {"2^-2", "0.25\n"}, {"1/3", "0.333333333333333\n"}, {"1E15", "1E15\n"}};
  for (const auto& c : casos) {
    TResultado r = Ejecutar("evaluar " + Citar(c.texto), false);
    EXPECT_EQ(r.estado, 0) << c.texto;
    EXPECT_EQ(r.salida, c.salida) << c.texto;
  }
}

TEST(CliEvaluar, FailuresPrintTheMessageOnStandardError) {
  for (const char* texto : {"-2^2", "1.2.3", "X+1", ""}) {
    TResultado r = Ejecutar("evaluar " + Citar(texto), true);
    EXPECT_EQ(r.estado, 1) << texto;
    EXPECT_EQ(r.salida, "Error: no se puede evaluar \"" + std::string(texto) + "\" a un número real\n");
    EXPECT_EQ(Ejecutar("evaluar " + Citar(texto), false).salida, "") << "nothing on standard output";
  }
  EXPECT_EQ(Ejecutar("evaluar", true).estado, 1);
}

TEST(CliEvaluar, HelpListsTheCommandsInSpanish) {
  TResultado r = Ejecutar("--help", false);
  EXPECT_EQ(r.estado, 0);
  EXPECT_NE(r.salida.find("evaluar TEXTO"), std::string::npos);
  EXPECT_NE(r.salida.find("Comandos:"), std::string::npos);
  EXPECT_NE(r.salida.find("muestra esta ayuda"), std::string::npos);
}

} // namespace
