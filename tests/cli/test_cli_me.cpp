// aurvend-cli me crear: the empirical model of the reference farm from a generated series file.
#include <gtest/gtest.h>

#include <QImage>
#include <QImageReader>
#include <QPainter>
#include <algorithm>
#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "charts/ugraficador.h"
#include "cli/ejecutar_cli.h"
#include "empirical/uparques_modeloempirico.h"
#include "farm/ucarpetas.h"
#include "farm/uparques_modeloteorico.h"
#include "generador/generador_series.h"
#include "workflows/westadisticas_me.h"

namespace {

namespace fs = std::filesystem;

// Exit status, standard output, standard error.
struct TSalida {
  int rc;
  std::string out, err;
};

TSalida Ejecutar(const std::string& args) {
  const auto r = cli_prueba::EjecutarCli(args);
  return {r.estado, r.salida, r.error};
}

const std::string kPmt = std::string(AURVEND_DATA_DIR) + "/c1_parque_mt.pmt";

} // namespace

TEST(CliMe, CrearPrintsTheConstructionTheSectorTableAndTheStatistics) {
  TParametrosGenerador p;
  p.nDias = 40;
  p.semilla = 3;
  const std::string sas = CarpetaBasura() + "/cli_me.sas";
  GenerarArchivoSeries(p, sas);
  const std::string graficos = CarpetaBasura() + "/cli_me_graficos";
  const TSalida r = Ejecutar("me crear --pmt " + kPmt + " --sas " + sas + " --graficos " + graficos);
  ASSERT_EQ(r.rc, 0) << r.err;
  const std::string& o = r.out;
  const char* enOrden[] = {"Filtrado de huecos: ",
                           "WARNING!!!: max_fd: 100 Asumo que es porcentaje",
                           "Filtro CGM < PAut*0.99: ",
                           "cnt_iter: 0, epsilon: ",
                           "Fin err2CurvasS: ",
                           "ang\talfa\tvm\tcntMuestras\n",
                           "\tMínimo\tMáximo\n",
                           "Velocidad [m/s]\t",
                           "CGM [MW]\t",
                           "Weibull k: ",
                           "Weibull lambda: "};
  size_t pos = 0;
  for (const char* t : enOrden) {
    const size_t q = o.find(t, pos);
    ASSERT_NE(q, std::string::npos) << t;
    pos = q;
  }
  // 72 sector lines, each starting with the angle in the default real form.
  std::istringstream is(o.substr(o.find("ang\talfa\tvm\tcntMuestras\n")));
  std::string linea;
  std::getline(is, linea);
  for (int s = 1; s <= 72; ++s) {
    ASSERT_TRUE(std::getline(is, linea));
    EXPECT_EQ(linea.substr(0, 24).size(), 24u);
    EXPECT_EQ(std::count(linea.begin(), linea.end(), '\t'), 3) << linea;
  }
  EXPECT_EQ(linea.substr(0, 24), " 3.5500000000000000E+002");
  for (const char* jpg : {"Frecuencia_velocidad_WB.jpg", "Frecuencia_direccion.jpg"}) {
    QImageReader lector(QString::fromStdString(graficos + "/" + jpg));
    EXPECT_EQ(lector.size(), QSize(541, 325)) << jpg;
  }
  // The reports in the farm's folder.
  const std::string carpeta = CarpetaCentral(1);
  for (const char* f : {"series_filtradas.xlt", "curvas_s_.xlt", "curvas_s_completadas_.xlt",
                        "muestras_filtrados_plano_pe_vel_0.jpg", "muestras_filtrados_plano_dir_vel_0.jpg",
                        "0_1_0.jpg", "0_2_0.jpg"})
    EXPECT_TRUE(fs::exists(carpeta + "/" + f)) << f;
}

TEST(CliMe, ASeriesFileWithTooFewSeriesFailsNamingTheFile) {
  const std::string sas = CarpetaBasura() + "/cli_me_cinco.sas";
  {
    std::ofstream f(sas);
    f << "5\n2016 1 1 0 0 0\n0.16666666666667\n2\n144\nv d p t pr\n1 5 180 10 15 1013\n2 6 181 11 15 1013\n";
  }
  const TSalida r = Ejecutar("me crear --pmt " + kPmt + " --sas " + sas);
  EXPECT_EQ(r.rc, 1);
  EXPECT_NE(r.err.find(sas), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("tiene 5 series"), std::string::npos) << r.err;
}

TEST(EstadisticasME, TableRoundsEachQuantityToItsDecimals) {
  TEstadisticasME e;
  e.minVel = 0.123456, e.maxVel = 25.00004;
  e.minPE = -0.05, e.maxPE = 50.60108;
  e.minPre = 1001.1234567, e.maxPre = 1023.4;
  e.minHumRel = 12.34567, e.minfDisp = 0.8399999, e.minTemp = -3.2, e.minCGM = 17;
  const TTablaEstadisticasME t = TablaEstadisticasME(e);
  EXPECT_EQ(t[0][0], "");
  EXPECT_EQ(t[1][0], "Mínimo");
  EXPECT_EQ(t[2][0], "Máximo");
  const char* etiquetas[] = {"Velocidad [m/s]",   "Potencia [MW]",         "Presión [hPa]",
                             "Hum. Relativa [%]", "Disponibilidad [p.u.]", "Temperatura [ºC]",
                             "CGM [MW]"};
  for (int r = 1; r <= 7; ++r)
    EXPECT_EQ(t[0][r], etiquetas[r - 1]);
  EXPECT_EQ(t[1][1], "0.1235");
  EXPECT_EQ(t[2][1], "25");
  EXPECT_EQ(t[1][2], "-0.05");
  EXPECT_EQ(t[2][2], "50.6011");
  EXPECT_EQ(t[1][3], "1001.123457");
  EXPECT_EQ(t[1][4], "12.346");
  EXPECT_EQ(t[1][5], "0.84");
  EXPECT_EQ(t[1][6], "-3.2");
  EXPECT_EQ(t[1][7], "17");
}

TEST(EstadisticasME, ChartsAreDrawnOnAnyPainter) {
  TParametrosGenerador p;
  p.nDias = 30;
  p.semilla = 11;
  const std::string sas = CarpetaBasura() + "/cli_me_pintor.sas";
  GenerarArchivoSeries(p, sas);
  auto mt = TParque_ModeloTeorico::CreateLoadFromFile(kPmt);
  testing::internal::CaptureStdout();
  auto me = TParque_ModeloEmpirico::Create(*mt, sas, 5, 95, false);
  testing::internal::GetCapturedStdout();
  AsegurarAplicacionGrafica();
  QImage vel(541, 325, QImage::Format_RGB32), dir(400, 300, QImage::Format_RGB32);
  vel.fill(Qt::black);
  dir.fill(Qt::black);
  TTablaEstadisticasME t;
  {
    QPainter pv(&vel), pd(&dir);
    t = Graficar_Estadistica_Datos_ME(*me, pv, 541, 325, pd, 400, 300);
  }
  EXPECT_EQ(t[0][1], "Velocidad [m/s]");
  EXPECT_FALSE(t[2][7].empty());
  // The charts paint a white background over the whole canvas.
  EXPECT_EQ(vel.pixelColor(2, 2), QColor(Qt::white));
  EXPECT_EQ(dir.pixelColor(398, 298), QColor(Qt::white));
}
