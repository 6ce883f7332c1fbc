// aurvend-cli mt simular / mt viento on the reference farm: output lines against the same workflow run
// in-process, the authorised-power message and the errors of a malformed file.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "cli/ejecutar_cli.h"
#include "num/uauxiliares.h"
#include "workflows/wmodeloteorico.h"

namespace {

using TSalida = cli_prueba::TSalidaLineas;

TSalida Ejecutar(const std::string& args) {
  return cli_prueba::EjecutarCliLineas(args);
}

const std::string kPmt = std::string(AURVEND_DATA_DIR) + "/c1_parque_mt.pmt";

TEST(CliMt, SimularImprimeLoQueCalculaElFlujo) {
  for (const char* dir : {"0", "45", "262.5"}) {
    const TSalida s = Ejecutar("mt simular --pmt " + kPmt + " --dir " + dir + " --v 9");
    ASSERT_EQ(s.estado, 0) << s.error;
    auto parque = TParque_ModeloTeorico::Create_LoadFromArchi(kPmt);
    const TResultadoSimulacionMT r = SimularVientoMT(*parque, StrToReal(dir), 9);
    std::vector<std::string> esperado = {RealATexto(r.potencia), RealATexto(r.v_libre),
                                         RealATexto(r.v_meteo_modelo)};
    for (const auto& m : r.molinos)
      esperado.push_back(std::to_string(m.nid) + "\t" + RealATexto(m.dp_media) + "\t" +
                         RealATexto(m.potencia));
    EXPECT_EQ(s.lineas, esperado) << "dir " << dir;
    EXPECT_EQ(s.lineas.size(), 28u);
  }
}

TEST(CliMt, VientoParaPotencia) {
  const TSalida s = Ejecutar("mt viento --pmt " + kPmt + " --dir 90 --v 9 --p 25");
  ASSERT_EQ(s.estado, 0) << s.error;
  auto parque = TParque_ModeloTeorico::Create_LoadFromArchi(kPmt);
  const TResultadoVientoMT r = VientoParaPotenciaMT(*parque, 90, 9, 25);
  EXPECT_EQ(s.lineas, (std::vector<std::string>{RealATexto(r.v), RealATexto(r.dp_libre)}));

  const TSalida alta = Ejecutar("mt viento --pmt " + kPmt + " --dir 90 --v 9 --p 50.001");
  EXPECT_EQ(alta.estado, 1);
  EXPECT_EQ(alta.lineas, (std::vector<std::string>{"La central tiene una potencia autorizada de 50 MW.",
                                                   "Ingrese nuevamente el valor de potencia."}));
}

TEST(CliMt, ErroresDeArchivoYArgumentos) {
  const std::string malo =
      std::string(std::getenv("AURVEND_BASE") ? std::getenv("AURVEND_BASE") : "/tmp") + "/malo_parque_mt.pmt";
  {
    std::ifstream f(kPmt, std::ios::binary);
    std::stringstream ss;
    ss << f.rdbuf();
    std::string t = ss.str();
    const size_t i = t.find("\r\n 4.0000000000000002E-001\r\n"); // gamma_atmosfera, line 8
    ASSERT_NE(i, std::string::npos);
    t.replace(i, 28, "\r\ncuatro\r\n");
    std::ofstream o(malo, std::ios::binary);
    o << t;
  }
  const TSalida s = Ejecutar("mt simular --pmt " + malo + " --dir 0 --v 9");
  EXPECT_EQ(s.estado, 1);
  EXPECT_TRUE(s.lineas.empty());
  EXPECT_NE(s.error.find(malo), std::string::npos) << s.error;
  EXPECT_NE(s.error.find("línea 8"), std::string::npos) << s.error;

  EXPECT_EQ(Ejecutar("mt simular --pmt " + kPmt + " --dir 0").estado, 1);                 // no --v
  EXPECT_EQ(Ejecutar("mt simular --pmt " + kPmt + " --dir norte --v 9").estado, 1);       // bad number
  EXPECT_EQ(Ejecutar("mt viento --pmt /no/existe.pmt --dir 0 --v 9 --p 1").estado, 1);    // no file
  const TSalida negativa = Ejecutar("mt viento --pmt " + kPmt + " --dir 0 --v 9 --p -1"); // no such power
  EXPECT_EQ(negativa.estado, 1);
  EXPECT_NE(negativa.error.find("--p"), std::string::npos) << negativa.error;
}

} // namespace
