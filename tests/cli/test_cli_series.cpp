// aurvend-cli series info: the header of a series file, and the error path.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <unistd.h>

#include "cli/ejecutar_cli.h"

namespace fs = std::filesystem;

namespace {

// Standard output and standard error together, in that order.
struct TSalida {
  int estado;
  std::string texto;
};

TSalida Ejecutar(const std::string& argumentos) {
  const auto r = cli_prueba::EjecutarCli(argumentos);
  return {r.estado, r.salida + r.error};
}

TEST(CliSeries, InfoPrintsTheHeader) {
  fs::path dir = fs::temp_directory_path() / ("aurvend_cli_series_" + std::to_string(::getpid()));
  fs::create_directories(dir);
  std::string archivo = (dir / "c1_series10min.sas").string();
  std::ofstream(archivo, std::ios::binary)
      << "VERSION_FORMATO_SERIES 1\r\n2\r\n2016 3 5 14 30 0\r\n1/6\r\n2\r\n144\r\n"
         "xe\r\nVel Dir\r\n1 5.5 270\r\n2 6 280\r\n";
  TSalida s = Ejecutar("series info --sas " + archivo);
  EXPECT_EQ(s.estado, 0) << s.texto;
  EXPECT_EQ(s.texto, "version: 1\n"
                     "nSeries: 2\n"
                     "primera muestra: 2016-03-05 14:30:00\n"
                     "dtEntreMuestras_horas:  1.6666666666666666E-001\n"
                     "nPuntos: 2\n"
                     "serie 1: Vel SALIDA\n"
                     "serie 2: Dir ENTRADA\n");

  std::ofstream(archivo, std::ios::binary) << "2\n2016 3 5 14 30 0\n1/6\nX\n";
  s = Ejecutar("series info --sas " + archivo);
  EXPECT_EQ(s.estado, 1);
  EXPECT_NE(s.texto.find("Error leyendo línea: 4"), std::string::npos) << s.texto;
  fs::remove_all(dir);
}

} // namespace
