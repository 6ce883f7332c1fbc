#include "charts/umapaparque.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QImageReader>

#include <cmath>
#include <filesystem>

#include "charts/uescalacolores.h"
#include "charts/ugraficador.h"
#include "num/uauxiliares.h"
#include "parque_referencia.h"

namespace {

class MapaParque : public ::testing::Test {
protected:
  void SetUp() override { AsegurarAplicacionGrafica(); }
};

bool EsBlanco(QRgb c) {
  return qRed(c) == 255 && qGreen(c) == 255 && qBlue(c) == 255;
}

} // namespace

// The world fits the pixel box at one scale on both axes, the station always on the map, 300 m of
// margin around the turbines and the spare extent split evenly on the widened axis.
TEST_F(MapaParque, FijarVentanaCasos) {
  struct Caso {
    const char* nombre;
    std::vector<std::pair<double, double>> xy;
    int px0, py0, px1, py1;
    bool ensanchaVertical;
    double xmin, xmax, ymin, ymax; // bounds before the aspect fit
  };
  const Caso casos[] = {
      {"todos al norte, caja ancha", {{0, 1000}, {200, 1500}}, 0, 30, 978, 616, false, -300, 500, -300, 1800},
      {"parque ancho, caja alta", {{-2000, 0}, {3000, 100}}, 0, 30, 400, 900, true, -2300, 3300, -300, 400},
      {"todos al sur y al oeste",
       {{-700, -900}, {-100, -400}},
       10,
       20,
       510,
       520,
       false,
       -1000,
       300,
       -1200,
       300},
  };
  for (const Caso& c : casos) {
    SCOPED_TRACE(c.nombre);
    auto p = prueba::ParqueCon(c.xy);
    p->FijarVentana(c.px0, c.py0, c.px1, c.py1);
    EXPECT_EQ(p->pw, c.px1 - c.px0);
    EXPECT_EQ(p->ph, c.py1 - c.py0);
    EXPECT_NEAR(p->ancho / p->pw, p->alto / p->ph, 1e-12); // metres per pixel, both axes
    EXPECT_DOUBLE_EQ(p->ancho, p->wxmax - p->wxmin);
    EXPECT_DOUBLE_EQ(p->alto, p->wymax - p->wymin);
    if (c.ensanchaVertical) {
      EXPECT_EQ(p->wxmin, c.xmin);
      EXPECT_EQ(p->wxmax, c.xmax);
      EXPECT_LT(p->wymin, c.ymin);
      EXPECT_DOUBLE_EQ(p->wymin + p->wymax, c.ymin + c.ymax); // centred
    } else {
      EXPECT_EQ(p->wymin, c.ymin);
      EXPECT_EQ(p->wymax, c.ymax);
      EXPECT_LT(p->wxmin, c.xmin);
      EXPECT_DOUBLE_EQ(p->wxmin + p->wxmax, c.xmin + c.xmax);
    }
  }
}

TEST_F(MapaParque, PixelesYMundo) {
  auto p = prueba::ParqueCon({{0, 1000}, {200, 1500}});
  p->FijarVentana(0, 30, 978, 616);
  // The lower edge of the map is the southern bound, 300 m south of the station.
  double x, y;
  p->PixelAMundo(0, 616, x, y);
  EXPECT_EQ(y, -300);
  EXPECT_EQ(x, p->wxmin);
  int c, r;
  p->MundoAPixel(p->wxmin, p->wymin, c, r);
  EXPECT_EQ(c, 0);
  EXPECT_EQ(r, 616);
  // Round trip within half a pixel.
  const double mpp = p->ancho / p->pw;
  for (auto [wx, wy] : {std::pair{0.0, 0.0}, {200.0, 1500.0}, {-123.4, 987.6}}) {
    p->MundoAPixel(wx, wy, c, r);
    p->PixelAMundo(c, r, x, y);
    EXPECT_LE(std::fabs(x - wx), 0.5 * mpp + 1e-9);
    EXPECT_LE(std::fabs(y - wy), 0.5 * mpp + 1e-9);
  }
  // North is up.
  int c2, r2;
  p->MundoAPixel(0, 1000, c2, r2);
  p->MundoAPixel(0, 0, c, r);
  EXPECT_LT(r2, r);
  EXPECT_EQ(c2, c);
}

TEST_F(MapaParque, MolinoCercanoYTextosDelPuntero) {
  auto p = prueba::ParqueCon({{0, 1000}, {200, 1500}});
  p->FijarVentana(0, 30, 978, 616);
  p->molinos[0].dp_media = DensidadPotencia(7.26, 1.225);
  p->molinos[0].potencia = 1.26;
  int c, r;
  p->MundoAPixel(200, 1500, c, r);
  EXPECT_EQ(p->MolinoCercano(c, r), &p->molinos[1]);
  p->MundoAPixel(230, 1000, c, r); // 230 m from the first turbine: within 3 diameters (240 m)
  EXPECT_EQ(p->MolinoCercano(c, r), &p->molinos[0]);
  std::string texto = "anterior";
  EXPECT_TRUE(TextoMolino(*p, c, r, texto));
  EXPECT_EQ(texto, "v: 7.3, P:1.3");

  // Far from every turbine: only the coordinates change.
  p->MundoAPixel(252, 1000, c, r);
  EXPECT_EQ(p->MolinoCercano(c, r), nullptr);
  texto = "anterior";
  EXPECT_FALSE(TextoMolino(*p, c, r, texto));
  EXPECT_EQ(texto, "anterior");
  double x, y;
  p->PixelAMundo(c, r, x, y);
  EXPECT_EQ(TextoCoordenadasXY(*p, c, r), "x: " + RealATextoGeneral(x) + ", y: " + RealATextoGeneral(y));

  auto vacio = prueba::ParqueCon({});
  vacio->FijarVentana(0, 30, 978, 616);
  EXPECT_EQ(vacio->MolinoCercano(400, 300), nullptr);
}

// Every pixel of the field shows the colour of the grid's speed there; beyond the grid it stays white.
TEST_F(MapaParque, CampoFueraDeLaGrillaQuedaBlanco) {
  auto p = prueba::ParqueCon({{0, 1000}, {200, 1500}});
  p->grilla_rotada_margen_dx = 100; // a grid tighter than the map
  prueba::SimularViento(*p, 270, 9);
  const int W = 978, H = 616;
  const QImage img = ImagenMapaParque(*p, W, H);
  ASSERT_EQ(img.width(), W);
  ASSERT_EQ(img.height(), H);
  const TEscalaColor escala(4, 10);
  int cs, rs;
  p->MundoAPixel(0, 0, cs, rs); // "(A)" is written there
  int blancos = 0, coloreados = 0;
  for (int r = ALTO_BARRA_COLORES; r < H; ++r)
    for (int c = 0; c < W; ++c) {
      if (c >= cs && c < cs + 30 && r >= rs && r < rs + 16) continue;
      const double dp = p->DpEnPixel(c, r);
      const QRgb px = img.pixel(c, r);
      if (dp == 0) {
        ASSERT_TRUE(EsBlanco(px)) << c << "," << r;
        ++blancos;
      } else {
        const TColor esperado = escala.Color(VelocidadDeDensidad(dp, 1.225));
        ASSERT_EQ(px & 0xFFFFFF, QRgb(esperado)) << c << "," << r;
        ++coloreados;
      }
    }
  EXPECT_GT(blancos, 10000);
  EXPECT_GT(coloreados, 10000);
  EXPECT_TRUE(EsBlanco(img.pixel(0, H - 1)));

  // Colour bar: the colour of i · 6 / W + 4 below the texts, black ticks at W·k/6.
  EXPECT_EQ(img.pixel(100, 29) & 0xFFFFFF, QRgb(escala.Color(100 * 6.0 / W + 4)));
  EXPECT_EQ(img.pixel(W - 30, 29) & 0xFFFFFF, QRgb(escala.Color((W - 30) * 6.0 / W + 4)));
  for (int k = 1; k <= 5; ++k)
    EXPECT_EQ(img.pixel(W * k / 6, 29) & 0xFFFFFF, 0u) << k;
}

TEST_F(MapaParque, EntornoDeUnMolino) {
  auto p = prueba::ParqueReferencia();
  prueba::SimularViento(*p, 270, 9);
  const QImage mapa = ImagenMapaParque(*p, 978, 616);
  const TMolino& m = p->molinos[0];
  const double D = m.curva.diametro;
  int c1, r1, c2, r2;
  p->MundoAPixel(m.posicion.x - D, m.posicion.y + 6 * D, c1, r1);
  p->MundoAPixel(m.posicion.x + 15 * D, m.posicion.y - 6 * D, c2, r2);
  const QImage entorno = ImagenEntornoMolino(mapa, *p, m);
  EXPECT_EQ(entorno.width(), c2 - c1 + 1);
  EXPECT_EQ(entorno.height(), r2 - r1 + 1);
  EXPECT_GT(entorno.width(), 20);

  // The wake: downstream (east, for a west wind) of a turbine the wind is slower than upstream.
  const TMolino& centro = p->molinos[12];
  const double arriba = p->DpEnPunto(centro.posicion.x - 2 * D, centro.posicion.y);
  const double abajo = p->DpEnPunto(centro.posicion.x + 2 * D, centro.posicion.y);
  EXPECT_LT(abajo, 0.95 * arriba);
  int ca, ra, cb, rb;
  p->MundoAPixel(centro.posicion.x - 2 * D, centro.posicion.y, ca, ra);
  p->MundoAPixel(centro.posicion.x + 2 * D, centro.posicion.y, cb, rb);
  EXPECT_NE(mapa.pixel(ca, ra), mapa.pixel(cb, rb));
}

TEST_F(MapaParque, GuardarPorExtension) {
  namespace fs = std::filesystem;
  const fs::path carpeta =
      fs::path(std::getenv("AURVEND_BASE") ? std::getenv("AURVEND_BASE") : "/tmp") / "mapas";
  fs::remove_all(carpeta);
  auto p = prueba::ParqueCon({{0, 0}, {400, 0}});
  prueba::SimularViento(*p, 270, 8);
  for (const char* nombre : {"mapa.png", "mapa.jpg"}) {
    const fs::path archivo = carpeta / nombre;
    GuardarMapaParque(*p, 300, 200, archivo.string());
    QImageReader lector(QString::fromStdString(archivo.string()));
    EXPECT_EQ(lector.format(), fs::path(nombre).extension() == ".png" ? "png" : "jpeg");
    EXPECT_EQ(lector.size(), QSize(300, 200));
  }
  EXPECT_THROW(GuardarMapaParque(*p, 300, 200, (carpeta / "mapa.bmp").string()), Exception);
  EXPECT_FALSE(fs::exists(carpeta / "mapa.bmp"));
}
