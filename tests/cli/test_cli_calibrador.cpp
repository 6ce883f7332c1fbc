// aurvend-cli families "calibrador" and "mc": the printed numbers are those of the models in memory.
#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <vector>

#include <unistd.h>

#include "calibration/comun_calibrador.h"
#include "calibration/ucalibrador.h"
#include "calibration/uparques_modelocombinado.h"
#include "cli/ejecutar_cli.h"
#include "farm/ucarpetas.h"
#include "farm/uparques_modeloteorico.h"
#include "generador/generador_series.h"
#include "num/uauxiliares.h"

namespace {

// Exit status, standard output and standard error of one run.
struct TSalida {
  int rc;
  std::string out, err;
  std::vector<std::string> lineas() const { return cli_prueba::TSalidaCli{rc, out, err}.lineas(); }
};

TSalida Ejecutar(const std::string& args) {
  const auto r = cli_prueba::EjecutarCli(args);
  return {r.estado, r.salida, r.error};
}

} // namespace

TEST(CliCalibrador, CrearThenObjetivoPrintTheCalibratorsObjective) {
  auto parque = fixture::ParqueRapido(63);
  const std::string pmt = ArchivoEnCarpeta(CarpetaBasura(), "cli_c63.pmt");
  parque->SaveToArchi(pmt);
  TParametrosGenerador pg;
  pg.nDias = 45;
  pg.semilla = 5;
  const std::string sas = ArchivoEnCarpeta(CarpetaBasura(), "cli_c63.sas");
  GenerarArchivoSeries(pg, sas);

  const TSalida c = Ejecutar("calibrador crear --pmt '" + pmt + "' --sas '" + sas + "' --sin-informes");
  ASSERT_EQ(c.rc, 0) << c.err;
  const std::string clp = ArchiCalibrador(63);
  EXPECT_NE(c.out.find("Calibrador guardado en: " + clp + "\n"), std::string::npos);

  const TSalida o = Ejecutar("calibrador objetivo --clp '" + clp + "'");
  ASSERT_EQ(o.rc, 0) << o.err;
  auto cal = TCalibradorParque::CreateLoadFromFile(clp);
  EXPECT_EQ(o.out, RealATexto(cal->FuncionObjetivo(31, cal->Parametros)) + "\n");
}

TEST(CliCalibrador, CalibrarPrintsTheSearchAndSavesTheBestParameters) {
  const std::string clp = fixture::ClpRapido("cli_calibrar.clp");
  const std::string fin = ArchivoEnCarpeta(CarpetaBasura(), "cli_calibrado_fin.clp");
  const TSalida r = Ejecutar("calibrador calibrar --clp '" + clp + "' --out '" + fin + "'");
  ASSERT_EQ(r.rc, 0) << r.err;
  const auto l = r.lineas();
  ASSERT_GE(l.size(), 102u);
  EXPECT_EQ(l[0].substr(0, 22), "     0, E:1.0000, fo: ");
  EXPECT_EQ(l[l.size() - 2], "Calibrador guardado en: " + fin);
  auto cal = TCalibradorParque::CreateLoadFromFile(fin);
  EXPECT_EQ(l.back(), RealATexto(cal->FuncionObjetivo(31, cal->Parametros)));
}

TEST(CliCalibrador, EthaInstallsTheStationTableInTheSavedCalibrator) {
  const std::string clp = fixture::ClpRapido("cli_etha.clp", 1, {}, 65);
  const std::string salida = ArchivoEnCarpeta(CarpetaBasura(), "cli_etha_out.clp");
  const TSalida r = Ejecutar("calibrador etha --clp '" + clp + "' --out '" + salida + "'");
  ASSERT_EQ(r.rc, 0) << r.err;
  EXPECT_NE(r.out.find("Calibración de EthaMeteo de la Central 65 terminada.\n TVectR.print.inicio\n"),
            std::string::npos);
  auto cal = TCalibradorParque::CreateLoadFromFile(salida);
  const auto l = r.lineas();
  ASSERT_GE(l.size(), 72u);
  for (int i = 1; i <= 72; ++i)
    EXPECT_EQ(l[l.size() - 73 + size_t(i)], RealATexto(cal->ModeloTeorico->meteo_etha.e(i, 1))) << i;
  EXPECT_EQ(cal->Parametros[0], cal->ModeloTeorico->meteo_etha.e(1, 1));
}

TEST(CliMc, CrearAndPotenciaPrintTheThreeEstimates) {
  const std::string clp = fixture::ClpRapido("cli_mc.clp");
  const std::string pmc = ArchivoEnCarpeta(CarpetaBasura(), "cli_mc.pmc");
  const TSalida c = Ejecutar("mc crear --clp '" + clp + "' --out '" + pmc + "'");
  ASSERT_EQ(c.rc, 0) << c.err;
  EXPECT_NE(c.out.find("kAng: 72 **********************"), std::string::npos);
  EXPECT_NE(c.out.find("Modelo combinado guardado en: " + pmc + "\n"), std::string::npos);

  auto mc = TParque_ModeloCombinado::CreateLoadFromFile(pmc);
  const struct {
    double v, dir, rho, cgm;
    bool solo;
  } casos[] = {{9.5, 250, 1.21, 50, false},
               {12.25, 37.5, 1.18, 21.5, false},
               {12.25, 37.5, 1.18, 21.5, true},
               {7, 360, 1.225, 50, false}};
  for (const auto& k : casos) {
    std::ostringstream args;
    args << "mc potencia --pmc '" << pmc << "' --v " << k.v << " --dir " << k.dir << " --rho " << k.rho
         << " --cgm " << k.cgm << (k.solo ? " --solo-teorico" : "");
    const TSalida r = Ejecutar(args.str());
    ASSERT_EQ(r.rc, 0) << r.err;
    const TPotenciasMC p = mc->CalcularPotencia(k.v, k.dir, k.rho, k.cgm, k.solo);
    EXPECT_EQ(r.out,
              RealATexto(p.PConCGM) + "\n" + RealATexto(p.PSinCGM) + "\n" + RealATexto(p.PTeoSinCGM) + "\n")
        << args.str();
  }
}

TEST(CliMc, MalformedFilesFailWithTheFileAndTheLine) {
  const std::string malo =
      ArchivoEnCarpeta(CarpetaBasura(), "cli_malo_" + std::to_string(::getpid()) + ".clp");
  {
    std::ofstream os(malo, std::ios::binary);
    os << "VERSION=3\r\n61\r\n3\r\nParque\r\nmuchos\r\n";
  }
  for (const std::string& args : {"calibrador objetivo --clp '" + malo + "'", "mc crear --clp '" + malo + "'",
                                  "mc potencia --pmc '" + malo + "' --v 8 --dir 0 --rho 1.2 --cgm 50"}) {
    const TSalida r = Ejecutar(args);
    EXPECT_EQ(r.rc, 1) << args;
    EXPECT_NE(r.err.find(malo + ", línea 5"), std::string::npos) << args << ": " << r.err;
    EXPECT_EQ(r.out, "") << args;
  }
}
