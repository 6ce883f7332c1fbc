// "aurvend-cli mt mapa": the map of one simulated wind written as an image.
#include <gtest/gtest.h>

#include <QImageReader>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "charts/ugraficador.h"

namespace {

namespace fs = std::filesystem;

struct TSalida {
  int estado;
  std::string texto; // stdout and stderr
};

TSalida Ejecutar(const std::string& argumentos) {
  TSalida s{-1, ""};
  FILE* f = popen((std::string(AURVEND_CLI_PATH) + " " + argumentos + " 2>&1").c_str(), "r");
  if (f == nullptr) return s;
  char buf[512];
  while (std::fgets(buf, sizeof buf, f) != nullptr)
    s.texto += buf;
  const int st = pclose(f);
  s.estado = WIFEXITED(st) ? WEXITSTATUS(st) : -1;
  return s;
}

} // namespace

TEST(ComandoMapa, EscribeElMapaDelParqueDeReferencia) {
  if (!fs::exists(AURVEND_CLI_PATH)) GTEST_SKIP() << "aurvend-cli sin compilar";
  AsegurarAplicacionGrafica();
  const fs::path carpeta =
      fs::path(std::getenv("AURVEND_BASE") ? std::getenv("AURVEND_BASE") : "/tmp") / "cli";
  fs::create_directories(carpeta);
  const std::string pmt = std::string(AURVEND_DATA_DIR) + "/c1_parque_mt.pmt";
  struct Caso {
    std::string opciones, archivo, formato;
    QSize tam;
  };
  const Caso casos[] = {{"", "mapa270.png", "png", {978, 616}},
                        {"--ancho 400 --alto 300", "mapa270.jpg", "jpeg", {400, 300}}};
  for (const Caso& c : casos) {
    SCOPED_TRACE(c.archivo);
    const fs::path salida = carpeta / c.archivo;
    fs::remove(salida);
    const TSalida r =
        Ejecutar("mt mapa --pmt " + pmt + " --dir 270 --v 9 --out " + salida.string() + " " + c.opciones);
    EXPECT_EQ(r.estado, 0) << r.texto;
    EXPECT_NE(r.texto.find("Mapa del parque escrito en " + salida.string()), std::string::npos) << r.texto;
    QImageReader lector(QString::fromStdString(salida.string()));
    EXPECT_EQ(lector.format(), QByteArray(c.formato.c_str()));
    EXPECT_EQ(lector.size(), c.tam);
  }
  const TSalida mal =
      Ejecutar("mt mapa --pmt " + pmt + " --dir 270 --v 9 --out " + (carpeta / "m.gif").string());
  EXPECT_EQ(mal.estado, 1);
  EXPECT_NE(mal.texto.find("debe terminar en .png, .jpg o .jpeg"), std::string::npos) << mal.texto;
  EXPECT_FALSE(fs::exists(carpeta / "m.gif"));
}
