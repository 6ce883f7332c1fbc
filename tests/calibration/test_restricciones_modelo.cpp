// The whole restriction job with a real combined model (the reference layout on a coarse grid) over a
// generated series with curtailment periods: parallel estimates give exactly the files and energies
// of a sequential run, and the reconstruction stays close to the generator's true unrestricted power.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "calibration/comun_calibrador.h"
#include "calibration/ucalcrestriccionesoperativas.h"
#include "farm/ucarpetas.h"
#include "generador/generador_series.h"
#include "num/uauxiliares.h"

namespace {

std::map<std::string, std::string> ArchivosDe(const std::string& carpeta) {
  std::map<std::string, std::string> r;
  for (const auto& e : std::filesystem::directory_iterator(carpeta)) {
    std::ifstream f(e.path(), std::ios::binary);
    std::stringstream ss;
    ss << f.rdbuf();
    r[e.path().filename().string()] = ss.str();
  }
  return r;
}

struct TEscenario {
  std::string pmc, sas;
  TSerieGenerada serie;
};

const TEscenario& Escenario() {
  static TEscenario e = [] {
    TEscenario x;
    auto mc = std::make_unique<TParque_ModeloCombinado>(fixture::ClpRapido("ro_modelo.clp"));
    x.pmc = ArchivoEnCarpeta(CarpetaBasura(), "ro_modelo.pmc");
    mc->SaveToFile(x.pmc);
    TParametrosGenerador p;
    p.nDias = 12;
    p.semilla = 7;
    p.restriccionesPorMes = 25;
    p.formatoDisponibilidad = TFormatoDisponibilidad::PorUnidad;
    x.sas = ArchivoEnCarpeta(CarpetaBasura(), "ro_modelo.sas");
    x.serie = GenerarArchivoSeries(p, x.sas);
    return x;
  }();
  return e;
}

TEST(RestriccionesConModelo, ParaleloIgualASecuencialYEnergiaCercanaALaVerdad) {
  const TEscenario& e = Escenario();
  const double desde = CodificarFecha(2016, 1, 1), hasta = CodificarFecha(2016, 1, 13);
  std::map<std::string, std::string> archivos[2];
  TDAofRecsEnergiaPorFecha energias[2];
  for (int h = 1; h <= 2; ++h) {
    const std::string carpeta = CarpetaBase() + "/ro_modelo_" + std::to_string(h);
    std::filesystem::remove_all(carpeta);
    TResultadoRestricciones r = ProcesarRestricciones([](int nid) { return nid == 61 ? 1.02 : -1.0; }, e.pmc,
                                                      e.sas, desde, hasta, 6, carpeta, h);
    ASSERT_GE(r.periodos.size(), 3u);
    ASSERT_EQ(r.ventanas.size(), r.periodos.size());
    EXPECT_EQ(r.factorSMEC, 1.02);
    EXPECT_EQ(std::filesystem::path(r.archivoHorario).filename(), "c61_Restricciones_horarias.xlt");
    EXPECT_GT(r.E_total, 0);
    archivos[h - 1] = ArchivosDe(carpeta);
    energias[h - 1] = r.energias;
    EXPECT_EQ(archivos[h - 1].size(), r.periodos.size() + 1);

    // Energy not supplied against the generator's truth over the samples that follow their setpoint.
    if (h == 2) {
      const TSeriesDeDatos& s = *e.serie.datos;
      double verdad = 0;
      for (const auto& en : r.energias) {
        const int k = IndiceDeMuestra(s, en.fecha);
        verdad += std::max(0.0, e.serie.PSinRestriccion.e(k) - s.series[2].e(k)) / 6;
      }
      EXPECT_NEAR(r.E_total, verdad, 0.25 * verdad);
    }
  }
  EXPECT_EQ(archivos[1], archivos[0]);
  ASSERT_EQ(energias[1].size(), energias[0].size());
  for (size_t i = 0; i < energias[0].size(); ++i) {
    EXPECT_EQ(energias[1][i].fecha, energias[0][i].fecha);
    EXPECT_EQ(energias[1][i].energia, energias[0][i].energia);
  }
}

TEST(RestriccionesConModelo, SinPeriodosSoloElReporteHorarioVacio) {
  const TEscenario& e = Escenario();
  const std::string carpeta = CarpetaBase() + "/ro_sin_periodos";
  std::filesystem::remove_all(carpeta);
  // A range after the series: nothing to detect.
  TResultadoRestricciones r = ProcesarRestricciones(nullptr, e.pmc, e.sas, CodificarFecha(2017, 1, 1),
                                                    CodificarFecha(2017, 2, 1), 6, carpeta, 2);
  EXPECT_TRUE(r.periodos.empty());
  EXPECT_EQ(r.factorSMEC, 0);
  auto archivos = ArchivosDe(carpeta);
  ASSERT_EQ(archivos.size(), 1u);
  EXPECT_EQ(archivos.begin()->second,
            "Fecha\t Energía no suministrada SCADA [MWh]\t Factor SMEC/SCADA [p.u] \t "
            "Energía no suministrada SMEC [MWh]\r\nE[MWh] totales\t" +
                RealATexto(0) + "\t\t" + RealATexto(0) + "\r\n");
  EXPECT_THROW(ProcesarRestricciones(nullptr, e.pmc, e.sas, 0, 1e6, 0, carpeta, 1), Exception);
}

} // namespace
