// aurvend-cli ro procesar / ro ventana: the same numbers as the workflows run in-process, the files
// written, and the errors (buffer below 1, missing file) reported with status 1 and nothing written.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "calibration/comun_calibrador.h"
#include "cli/ejecutar_cli.h"
#include "generador/generador_series.h"
#include "num/uauxiliares.h"
#include "workflows/wrestricciones.h"

namespace {

using TSalida = cli_prueba::TSalidaLineas;

TSalida Ejecutar(const std::string& args) {
  return cli_prueba::EjecutarCliLineas(args);
}

struct TArchivosRO {
  std::string pmc, sas;
};

const TArchivosRO& Archivos() {
  static TArchivosRO a = [] {
    TArchivosRO x;
    auto mc = std::make_unique<TParque_ModeloCombinado>(fixture::ClpRapido("cli_ro.clp"));
    x.pmc = ArchivoEnCarpeta(CarpetaBasura(), "cli_ro.pmc");
    mc->SaveToFile(x.pmc);
    TParametrosGenerador p;
    p.nDias = 6;
    p.semilla = 11;
    p.restriccionesPorMes = 40;
    x.sas = ArchivoEnCarpeta(CarpetaBasura(), "cli_ro.sas");
    GenerarArchivoSeries(p, x.sas);
    return x;
  }();
  return a;
}

std::vector<std::string> LineasQueEmpiezan(const TSalida& s, const std::string& prefijo) {
  std::vector<std::string> r;
  for (const auto& l : s.lineas)
    if (l.rfind(prefijo, 0) == 0) r.push_back(l);
  return r;
}

TEST(CliRo, ProcesarImprimeLosPeriodosYLosTotalesDelFlujo) {
  const TArchivosRO& a = Archivos();
  const std::string carpeta = CarpetaBase() + "/cli_ro_procesar";
  std::filesystem::remove_all(carpeta);
  TSalida s = Ejecutar("ro procesar --pmc " + a.pmc + " --sas " + a.sas +
                       " --desde 2016-01-01 --hasta 2016-01-05 --buffer 4 --factor 1.1 --carpeta " + carpeta);
  ASSERT_EQ(s.estado, 0) << s.error;

  TResultadoRestricciones r =
      CalcularSoloRestricciones(a.pmc, a.sas, CodificarFecha(2016, 1, 1), CodificarFecha(2016, 1, 5), 4,
                                FactorFijo(1.1), CarpetaBase() + "/cli_ro_procesar_ref", 1);
  ASSERT_FALSE(r.periodos.empty());
  auto periodos = LineasQueEmpiezan(s, "Período\t");
  ASSERT_EQ(periodos.size(), r.periodos.size());
  for (size_t i = 0; i < r.periodos.size(); ++i)
    EXPECT_EQ(periodos[i], "Período\t" + FormatearFechaHora("yyyy-mm-dd hh:nn", r.periodos[i].fechaInicio) +
                               "\t" + FormatearFechaHora("yyyy-mm-dd hh:nn", r.periodos[i].fechaFin) + "\t" +
                               RealATexto(r.ventanas[i].E_aj) + "\t" + RealATexto(1.1 * r.ventanas[i].E_aj));
  auto total = LineasQueEmpiezan(s, "Total\t");
  ASSERT_EQ(total.size(), 1u);
  EXPECT_NE(total[0].find(RealATexto(r.E_total) + "\t" + RealATexto(1.1 * r.E_total)), std::string::npos);
  EXPECT_EQ(LineasQueEmpiezan(s, "Fin cálculo del Modelo Combinado").size(), r.periodos.size());
  EXPECT_TRUE(std::filesystem::exists(carpeta + "/c61_Restricciones_horarias.xlt"));
  // The last chosen day is included whole: nothing is detected after the start of the next day.
  for (const auto& p : r.periodos)
    EXPECT_LT(p.fechaInicio, CodificarFecha(2016, 1, 6));
}

TEST(CliRo, VentanaConMatricesYErrores) {
  const TArchivosRO& a = Archivos();
  const std::string carpeta = CarpetaBase() + "/cli_ro_ventana";
  std::filesystem::remove_all(carpeta);
  TSalida s = Ejecutar("ro ventana --pmc " + a.pmc + " --sas " + a.sas +
                       " --desde 2016-01-02 --hasta 2016-01-03 --matrices --carpeta " + carpeta);
  ASSERT_EQ(s.estado, 0) << s.error;
  EXPECT_TRUE(std::filesystem::exists(carpeta + "/Matrices_Errores.xlt"));
  EXPECT_TRUE(std::filesystem::exists(carpeta + "/ResultadosMC_2016010220160103.xlt"));
  EXPECT_EQ(LineasQueEmpiezan(s, "02/01/2016").size(), 144u); // one console line per sample

  const std::string vacia = CarpetaBase() + "/cli_ro_error";
  std::filesystem::remove_all(vacia);
  TSalida e = Ejecutar("ro ventana --pmc " + a.pmc + " --sas " + a.sas +
                       " --desde 2016-01-02 --hasta 2016-01-03 --buffer 0 --carpeta " + vacia);
  EXPECT_EQ(e.estado, 1);
  EXPECT_NE(e.error.find("buffer"), std::string::npos) << e.error;
  EXPECT_FALSE(std::filesystem::exists(vacia));
  TSalida f = Ejecutar("ro procesar --pmc " + a.pmc + " --sas " + vacia +
                       "/no_existe.sas --desde 2016-01-01 "
                       "--hasta 2016-01-02 --carpeta " +
                       vacia);
  EXPECT_EQ(f.estado, 1);
  EXPECT_NE(f.error.find("no_existe.sas"), std::string::npos) << f.error;
}

} // namespace
