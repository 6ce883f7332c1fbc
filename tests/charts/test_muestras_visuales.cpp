// Sample pictures for a person to judge the look of the charts and the map: written only when the
// environment variable AURVEND_IMAGENES_MUESTRA names a folder.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <random>

#include <QImage>

#include "charts/ugraficador.h"
#include "charts/umapaparque.h"
#include "parque_referencia.h"

namespace {

// The JPEG as decoded, also written as PNG for viewers that show PNG only.
void CopiaPNG(const std::string& jpg) {
  const QImage img(QString::fromStdString(jpg));
  ASSERT_FALSE(img.isNull()) << jpg;
  ASSERT_TRUE(img.save(QString::fromStdString(jpg.substr(0, jpg.size() - 4) + "_jpg.png")));
}

std::string CarpetaMuestras() {
  const char* c = std::getenv("AURVEND_IMAGENES_MUESTRA");
  return c != nullptr ? std::string(c) : std::string();
}

} // namespace

TEST(MuestrasVisuales, GraficoDeLineasConMarcadores) {
  const std::string carpeta = CarpetaMuestras();
  if (carpeta.empty()) GTEST_SKIP() << "AURVEND_IMAGENES_MUESTRA sin definir";
  const TCurvaAerogen curva = prueba::CurvaReferencia();
  TGrafico g("curvas", 2, 0);
  g.titulo = "Curva de potencia del aerogenerador y del parque sin estelas";
  g.ejeX.titulo = "Velocidad de viento [m/s]";
  g.ejeY.titulo = "Potencia [MW]";
  TDAofNReal v, p1, p25;
  for (int i = 1; i <= curva.curva_v.n(); ++i) {
    v.push_back(curva.curva_v.e(i));
    p1.push_back(curva.curva_P.e(i));
    p25.push_back(curva.curva_P.e(i) * 0.8 + 0.05 * std::sin(double(i)));
  }
  TSerieGrafico* x = g.NuevaSerie("v", v, nullptr, "##.##", true);
  TSerieGrafico* a = g.NuevaSerie("Curva del aerogenerador", p1, x);
  a->colorLinea = a->colorMarcador = ColorRGB(0, 128, 0);
  a->marcador = TM_Cuadro;
  a->radioMarcador = 4;
  TSerieGrafico* b = g.NuevaSerie("Curva medida", p25, x);
  b->colorLinea = ColorRGB(255, 0, 0);
  b->colorMarcador = ColorRGB(255, 0, 0);
  b->marcador = TM_Rombo;
  b->radioMarcador = 6;
  b->anchoLinea = 2;
  std::filesystem::create_directories(carpeta);
  g.SaveToJPG(carpeta + "/grafico_lineas.jpg", 2100, 1000, 100);
  CopiaPNG(carpeta + "/grafico_lineas.jpg");
}

TEST(MuestrasVisuales, GraficoDeDispersionConDosEjes) {
  const std::string carpeta = CarpetaMuestras();
  if (carpeta.empty()) GTEST_SKIP() << "AURVEND_IMAGENES_MUESTRA sin definir";
  std::mt19937 gen(7);
  std::normal_distribution<double> ruido(0, 0.06);
  TDAofNReal xs, ys, xb, peso, f0;
  for (int i = 0; i < 1500; ++i) {
    const double dp = 0.0005 + 0.0145 * std::uniform_real_distribution<double>(0, 1)(gen);
    xs.push_back(dp);
    ys.push_back(std::max(0.0, 48 / (1 + std::exp(-450 * (dp - 0.006))) * (1 + ruido(gen))));
  }
  for (int b = 0; b < 12; ++b) {
    const double dp = 0.0006 + b * 0.0012;
    xb.push_back(dp);
    peso.push_back(20 + 100 * std::exp(-std::pow((dp - 0.005) / 0.004, 2)));
    f0.push_back(48 / (1 + std::exp(-450 * (dp - 0.006))));
  }
  TGrafico g("dispersion", 2, 0);
  g.titulo = "Muestras cluster ang: 270.0°";
  g.ejeX.titulo = "Potencia del viento [MW/m2]";
  g.ejeX.digitosFormato = 6;
  g.ejeX.decimalesFormato = 4;
  g.ejeY.titulo = "Potencia eléctrica [MW]";
  g.ejeY2.titulo = "Peso";
  g.ejeY.SetMin(0);
  g.ejeY.SetMax(60);
  TSerieGrafico* x = g.NuevaSerie("Pv3", xs, nullptr, "##.##", true);
  TSerieGrafico* y = g.NuevaSerie("PE_muestras", ys, x);
  y->colorLinea = clNinguno;
  y->colorMarcador = ColorRGB(0, 0, 255);
  y->marcador = TM_Cuadro;
  y->radioMarcador = 2;
  TSerieGrafico* xbs = g.NuevaSerie("Pv3Medio", xb, nullptr, "##.##", true);
  TSerieGrafico* w = g.NuevaSerie("Peso", peso, xbs);
  w->colorLinea = clNinguno;
  w->colorMarcador = ColorRGB(255, 0, 255);
  w->marcador = TM_Cuadro;
  w->radioMarcador = 3;
  w->ejeDerecho = true;
  TSerieGrafico* f = g.NuevaSerie("F0", f0, xbs);
  f->colorLinea = clNinguno;
  f->colorMarcador = ColorRGB(255, 0, 0);
  f->marcador = TM_Rombo;
  f->radioMarcador = 6;
  for (int b = 0; b <= 12; ++b)
    g.AddLineaVertical(b * 0.0012, clNegro);
  std::filesystem::create_directories(carpeta);
  g.SaveToJPG(carpeta + "/grafico_dispersion_dos_ejes.jpg", 2100, 1000, 100);
  CopiaPNG(carpeta + "/grafico_dispersion_dos_ejes.jpg");
}

TEST(MuestrasVisuales, MapaDelParqueDeReferencia) {
  const std::string carpeta = CarpetaMuestras();
  if (carpeta.empty()) GTEST_SKIP() << "AURVEND_IMAGENES_MUESTRA sin definir";
  auto p = prueba::ParqueReferencia();
  prueba::SimularViento(*p, 270, 9);
  std::filesystem::create_directories(carpeta);
  GuardarMapaParque(*p, 978, 616, carpeta + "/mapa_parque_270.png");
}
