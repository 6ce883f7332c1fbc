#include "charts/ugraficador.h"

#include <gtest/gtest.h>

#include <QFont>
#include <QFontMetrics>
#include <QImage>
#include <QImageReader>
#include <QPainter>

#include <algorithm>
#include <filesystem>

#include "num/uauxiliares.h"

namespace {

QImage Dibujar(TGrafico& g, int W, int H) {
  QImage img(W, H, QImage::Format_RGB32);
  QPainter p(&img);
  g.Draw(p, W, H);
  return img;
}

int AnchoTexto(const std::string& s, int tam) {
  QImage img(10, 10, QImage::Format_RGB32);
  QPainter p(&img);
  QFont f(QString::fromStdString(FamiliaFuenteGraficos()));
  f.setPointSize(tam);
  p.setFont(f);
  return p.fontMetrics().horizontalAdvance(QString::fromStdString(s));
}

bool EsBlanco(QRgb c) {
  return qRed(c) > 250 && qGreen(c) > 250 && qBlue(c) > 250;
}

// True when some pixel of the (2r+1)² square around (x, y) is not white.
bool HayTinta(const QImage& img, int x, int y, int r) {
  for (int dy = -r; dy <= r; ++dy)
    for (int dx = -r; dx <= r; ++dx)
      if (!EsBlanco(img.pixel(x + dx, y + dy))) return true;
  return false;
}

class Graficador : public ::testing::Test {
protected:
  void SetUp() override { AsegurarAplicacionGrafica(); }
};

} // namespace

// Scaling cases: outward when both ends are automatic, widened empty ranges.
TEST_F(Graficador, EscalarRangoCasos) {
  struct Caso {
    double lo, hi;
    int n;
    bool afuera;
    double min, max, paso;
    int nDiv;
  };
  const Caso casos[] = {
      {0, 7.3, 10, true, 0, 8, 1, 8},
      {7.3, 0, 10, true, 0, 8, 1, 8}, // ends given the other way round
      {0, 0.95, 10, true, 0, 1, 0.1, 10},
      {0, 0.95, 8, true, 0, 1, 0.2, 5},       // the count found last time changes the step
      {0.5, 7.3, 10, false, 0.5, 7, 0.5, 13}, // inward
      {-37, 212, 10, true, -50, 250, 50, 6},
  };
  for (const Caso& c : casos) {
    SCOPED_TRACE(testing::Message() << c.lo << " … " << c.hi << " n=" << c.n);
    const TEscalaEje e = EscalarRango(c.lo, c.hi, c.n, c.afuera);
    EXPECT_DOUBLE_EQ(e.minMostrado, c.min);
    EXPECT_DOUBLE_EQ(e.maxMostrado, c.max);
    EXPECT_DOUBLE_EQ(e.paso, c.paso);
    EXPECT_EQ(e.n, c.nDiv);
  }
}

TEST_F(Graficador, RangoDeUnSoloValorSeEnsanchaAntesDeEscalar) {
  for (bool afuera : {true, false}) {
    const TEscalaEje a = EscalarRango(3, 3, 10, afuera), b = EscalarRango(3, 3.3, 10, afuera);
    EXPECT_EQ(a.minMostrado, b.minMostrado);
    EXPECT_EQ(a.maxMostrado, b.maxMostrado);
    EXPECT_EQ(a.n, b.n);
    const TEscalaEje c = EscalarRango(0, 0, 10, afuera), d = EscalarRango(0, 1e-10, 10, afuera);
    EXPECT_EQ(c.minMostrado, d.minMostrado);
    EXPECT_EQ(c.maxMostrado, d.maxMostrado);
    EXPECT_EQ(c.n, d.n);
    // A negative single value widens downward: −3 … −3 is −3.3 … −3.
    const TEscalaEje e = EscalarRango(-3, -3, 10, afuera), f = EscalarRango(-3.3, -3, 10, afuera);
    EXPECT_EQ(e.minMostrado, f.minMostrado);
    EXPECT_EQ(e.maxMostrado, f.maxMostrado);
  }
  const TEscalaEje c = EscalarRango(0, 0, 10, true);
  EXPECT_EQ(c.minMostrado, 0);
  EXPECT_DOUBLE_EQ(c.paso, 1e-11);
  EXPECT_GE(c.maxMostrado, 1e-10); // 1e-10 / 1e-11 rounds just above 10, so one more division
  EXPECT_LE(c.n, 11);
  const TEscalaEje a = EscalarRango(3, 3, 10, true);
  EXPECT_NEAR(a.paso, 0.05, 1e-15);
  EXPECT_LE(a.minMostrado, 3);
  EXPECT_GE(a.maxMostrado, 3.3 - 1e-12);
}

// The axis keeps the count found, so a second scaling starts from it.
TEST_F(Graficador, EjeConservaLaCuentaDeDivisiones) {
  TEjeGrafico e;
  e.dataMin = 0;
  e.dataMax = 7.3;
  e.Escalar();
  EXPECT_EQ(e.minMostrado, 0);
  EXPECT_EQ(e.maxMostrado, 8);
  EXPECT_EQ(e.nDivisiones, 8);
  EXPECT_EQ(e.pasoDivision, 1);
  e.dataMax = 0.95;
  e.Escalar();
  EXPECT_EQ(e.nDivisiones, 5); // a fresh axis would give 10 divisions of 0.1
  EXPECT_DOUBLE_EQ(e.pasoDivision, 0.2);
}

TEST_F(Graficador, SoloSetMinRedondeaHaciaAdentroYEmpiezaEnElValor) {
  TEjeGrafico e;
  e.SetMin(0);
  EXPECT_FALSE(e.autoMin);
  EXPECT_TRUE(e.autoMax);
  e.dataMin = 0.5;
  e.dataMax = 7.3;
  e.Escalar();
  EXPECT_EQ(e.minMostrado, 0);
  EXPECT_EQ(e.primeraDivision, 0);
  EXPECT_DOUBLE_EQ(e.maxMostrado, 7);
  EXPECT_EQ(e.nDivisiones, 13);
  EXPECT_DOUBLE_EQ(e.pasoDivision, 7.0 / 13);

  TEjeGrafico fijo;
  fijo.SetMin(-1);
  fijo.SetMax(9);
  fijo.autoDivisiones = false;
  fijo.nDivisionesFijo = 4;
  fijo.dataMin = 0.5;
  fijo.dataMax = 7.3;
  fijo.Escalar();
  EXPECT_EQ(fijo.minMostrado, -1);
  EXPECT_EQ(fijo.maxMostrado, 9);
  EXPECT_EQ(fijo.nDivisiones, 4);
  EXPECT_EQ(fijo.pasoDivision, 2.5);
}

TEST_F(Graficador, EtiquetasDeDivision) {
  TEjeGrafico e;
  e.primeraDivision = -0.3;
  e.pasoDivision = 0.1;
  EXPECT_EQ(e.EtiquetaDeDivision(0), "-0.30");
  EXPECT_EQ(e.EtiquetaDeDivision(3), "0.00"); // -5.55e-17, without a minus sign
  EXPECT_EQ(e.EtiquetaDeDivision(5), "0.20");
  e.tipoEtiqueta = 1;
  EXPECT_EQ(e.EtiquetaDeDivision(0), "0");
  e.primeraDivision = 2.5;
  e.pasoDivision = 1;
  EXPECT_EQ(e.EtiquetaDeDivision(0), "2"); // halves to even
  EXPECT_EQ(e.EtiquetaDeDivision(1), "4");
  e.tipoEtiqueta = 0;
  e.primeraDivision = 0.0125;
  e.digitosFormato = 6;
  e.decimalesFormato = 8;
  EXPECT_EQ(e.EtiquetaDeDivision(0), "0.01250000");
}

// A date pattern in an X series' format turns the X labels into dates written with that pattern.
TEST_F(Graficador, EjeDeFechas) {
  const double t0 = CodificarFecha(2024, 3, 5) + CodificarHora(14, 30, 0);
  for (const std::string formato : {"dd/mm/yyyy hh:nn", "yyyy-mm-dd", "##.##"}) {
    SCOPED_TRACE(formato);
    TGrafico g("fechas", 2, 0);
    TSerieGrafico* x = g.NuevaSerie("t", {t0, t0 + 2}, nullptr, formato, true);
    g.NuevaSerie("y", {1, 2}, x);
    Dibujar(g, 900, 500);
    const std::string etiqueta = g.ejeX.EtiquetaDeDivision(0);
    if (formato == "##.##") {
      EXPECT_EQ(g.ejeX.tipoEtiqueta, 0);
      EXPECT_EQ(etiqueta, RealATextoFijo(g.ejeX.primeraDivision, 2));
    } else {
      EXPECT_EQ(g.ejeX.tipoEtiqueta, 2);
      EXPECT_EQ(g.ejeX.formatoFecha, formato);
      EXPECT_EQ(etiqueta, FormatearFechaHora(formato, g.ejeX.primeraDivision));
    }
  }
  TEjeGrafico e;
  e.tipoEtiqueta = 2;
  e.primeraDivision = t0;
  EXPECT_EQ(e.EtiquetaDeDivision(0), FormatearFechaHora("yyyy/mm/dd hh:mm", t0));
  EXPECT_EQ(e.EtiquetaDeDivision(0).substr(11), "14:30"); // "mm" after "hh" is minutes
}

TEST_F(Graficador, PaletaYMarcadoresDeSeriesNuevas) {
  TGrafico g("paleta", 2, 0);
  std::vector<TSerieGrafico*> s;
  for (int i = 0; i < 16; ++i)
    s.push_back(g.NuevaSerie("s", {1}, nullptr));
  EXPECT_EQ(NombreColorPaleta(0), "Negro");
  EXPECT_EQ(s[0]->colorBase, ColorPaleta(kcp_Negro));
  EXPECT_EQ(s[1]->colorBase, ColorRGB(128, 0, 0));
  EXPECT_EQ(NombreColorPaleta(1), "Marrón");
  EXPECT_EQ(s[2]->colorBase, ColorRGB(0, 128, 0));
  EXPECT_EQ(NombreColorPaleta(2), "Verde");
  EXPECT_EQ(s[14]->colorBase, ColorRGB(0, 255, 255)); // "Agua"
  EXPECT_EQ(s[15]->colorBase, ColorRGB(0, 0, 0));     // the palette wraps after 15
  EXPECT_EQ(s[0]->marcador, TM_Circulo);
  EXPECT_EQ(s[1]->marcador, TM_Cuadro);
  EXPECT_EQ(s[2]->marcador, TM_Rombo);
  EXPECT_EQ(s[4]->marcador, TM_X);
  EXPECT_EQ(s[5]->marcador, TM_Circulo); // markers wrap after 5
  EXPECT_EQ(NombreMarcador(s[2]->marcador), "Rombo");
  for (auto* x : s) {
    EXPECT_EQ(x->tipo, 2);
    EXPECT_EQ(x->colorLinea, x->colorBase);
    EXPECT_EQ(x->colorRelleno, x->colorBase);
    EXPECT_EQ(x->colorMarcador, x->colorBase);
  }
  // Without a chart: black, a cross, kind 0.
  TSerieGrafico suelta("s", {1}, nullptr, nullptr, "##.##", false);
  EXPECT_EQ(suelta.colorBase, clNegro);
  EXPECT_EQ(suelta.marcador, TM_Cruz);
  EXPECT_EQ(suelta.tipo, 0);
  EXPECT_EQ(suelta.rol, 0);
}

TEST_F(Graficador, AddSerieLigaLasSeriesDeLineaALaPrimeraX) {
  TGrafico g("ligar", 2, 0);
  TSerieGrafico* x = g.NuevaSerie("x", {0, 1}, nullptr, "##.##", true);
  TSerieGrafico* y = g.NuevaSerie("y", {0, 1}, nullptr);
  EXPECT_EQ(x->rol, 1);
  ASSERT_EQ(g.seriesX.size(), 1u);
  ASSERT_EQ(g.seriesY.size(), 1u);
  EXPECT_EQ(y->serieX, x);
  EXPECT_EQ(y->rol, 2);
  auto z = std::make_unique<TSerieGrafico>("z", TDAofNReal{1}, nullptr, &g, "##.##", false);
  z->tipo = 0;
  TSerieGrafico* zp = g.AddSerie(std::move(z));
  EXPECT_EQ(zp->serieX, nullptr); // only kind 2 is bound
}

// Without titles the top margin is m and the bottom margin m plus the tick-label band.
TEST_F(Graficador, MargenesSinTitulos) {
  TGrafico g("margenes", 2, 0);
  TSerieGrafico* x = g.NuevaSerie("x", {0, 7.3}, nullptr, "##.##", true);
  TSerieGrafico* y = g.NuevaSerie("", {0, 1234.5}, x);
  y->radioMarcador = 0;
  Dibujar(g, 800, 400);
  const int m = g.m;
  EXPECT_GT(m, 0);
  EXPECT_EQ(m, g.altoTexto / 2);
  int anchoX = 0, anchoY = 0;
  for (int i = 0; i <= g.ejeX.nDivisiones; ++i)
    anchoX = std::max(anchoX, AnchoTexto(g.ejeX.EtiquetaDeDivision(i), 14));
  for (int i = 0; i <= g.ejeY.nDivisiones; ++i)
    anchoY = std::max(anchoY, AnchoTexto(g.ejeY.EtiquetaDeDivision(i), 14));
  EXPECT_EQ(g.margenSup, m);
  EXPECT_EQ(g.margenInf, m + anchoX + m);
  EXPECT_EQ(g.margenIzq, m + anchoY + m);
  EXPECT_EQ(g.margenDer, m); // no names, no marker, no right axis
  EXPECT_EQ(g.plotDer, 800 - m);
  EXPECT_EQ(g.plotInf, 400 - g.margenInf);

  g.titulo = "Título";
  g.ejeX.titulo = "x";
  g.ejeY.titulo = "y";
  Dibujar(g, 800, 400);
  EXPECT_EQ(g.margenSup, m + g.altoTexto + m);
  EXPECT_EQ(g.margenInf, m + g.altoTexto + m + anchoX + m);
  EXPECT_EQ(g.margenIzq, m + g.altoTexto + m + anchoY + m);
}

TEST_F(Graficador, MapeoDeValoresAPixeles) {
  TGrafico g("mapeo", 2, 0);
  TSerieGrafico* x = g.NuevaSerie("x", {0, 10}, nullptr, "##.##", true);
  g.NuevaSerie("y", {0, 100}, x);
  Dibujar(g, 1000, 600);
  EXPECT_EQ(g.PX(0), g.plotIzq);
  EXPECT_EQ(g.PX(10), g.plotDer);
  EXPECT_EQ(g.PY(0), g.plotInf);
  EXPECT_EQ(g.PY(100), g.plotSup);
  EXPECT_EQ(g.PX(1e300), 2147483647); // clamped, not overflowed
  EXPECT_LT(g.PY(1e300), -2000000000);
}

// A series whose line colour is "none" shows its markers only.
TEST_F(Graficador, SerieSinLineaMuestraSoloMarcadores) {
  for (bool conLinea : {false, true}) {
    SCOPED_TRACE(conLinea);
    TGrafico g("marcadores", 2, -1);
    g.ejeX.grilla = false;
    TSerieGrafico* x = g.NuevaSerie("x", {0.13, 0.87}, nullptr, "##.##", true);
    TSerieGrafico* y = g.NuevaSerie("y", {0.17, 0.71}, x);
    y->colorLinea = conLinea ? ColorRGB(0, 0, 255) : clNinguno;
    y->colorMarcador = ColorRGB(255, 0, 0);
    y->marcador = TM_Cuadro;
    y->radioMarcador = 6;
    const QImage img = Dibujar(g, 900, 600);
    // A third of the way along the segment, far from both markers.
    const double xm = 0.13 + 0.74 / 3, ym = 0.17 + 0.54 / 3;
    EXPECT_EQ(HayTinta(img, g.PX(xm), g.PY(ym), 2), conLinea);
    // The square's outline at the first point is red; its inside stays unfilled.
    const QRgb borde = img.pixel(g.PX(0.87) - 6, g.PY(0.71));
    EXPECT_GT(qRed(borde), 200);
    EXPECT_LT(qGreen(borde), 60);
    EXPECT_TRUE(EsBlanco(img.pixel(g.PX(0.13) + 3, g.PY(0.17) - 3)) || conLinea);
  }
}

TEST_F(Graficador, SaveToJPGEscribeUnJPEGDelTamanoPedido) {
  namespace fs = std::filesystem;
  const fs::path carpeta =
      fs::path(std::getenv("AURVEND_BASE") ? std::getenv("AURVEND_BASE") : "/tmp") / "graficos";
  const fs::path archivo = carpeta / "sub" / "curva.jpg";
  fs::remove_all(carpeta);
  TGrafico g("curva", 2, 0);
  g.titulo = "Curva";
  TSerieGrafico* x = g.NuevaSerie("x", {3, 4, 5, 6}, nullptr, "##.##", true);
  g.NuevaSerie("P", {0.1, 0.3, 0.7, 1.2}, x);
  g.SaveToJPG(archivo.string(), 2100, 1000, 100);
  QImageReader lector(QString::fromStdString(archivo.string()));
  EXPECT_EQ(lector.format(), "jpeg");
  const QImage img = lector.read();
  ASSERT_FALSE(img.isNull());
  EXPECT_EQ(img.width(), 2100);
  EXPECT_EQ(img.height(), 1000);
  EXPECT_FALSE(fs::exists(archivo.string() + ".tmp"));

  // A file that cannot be written raises an error naming it and leaves nothing behind.
  fs::create_directories(carpeta / "ocupado.jpg.tmp" / "x"); // the temporary's name is taken by a folder
  try {
    g.SaveToJPG((carpeta / "ocupado.jpg").string(), 200, 100, 100);
    FAIL() << "se esperaba un error";
  } catch (const Exception& e) {
    EXPECT_NE(std::string(e.what()).find("ocupado.jpg"), std::string::npos) << e.what();
  }
  EXPECT_FALSE(fs::exists(carpeta / "ocupado.jpg"));
}

// Drawing does not validate, but it must not read past a short X series nor fail on an empty chart.
TEST_F(Graficador, DibujoSinDatosOConSeriesDesparejas) {
  TGrafico vacio("vacio", 2, 0);
  Dibujar(vacio, 400, 300);
  EXPECT_EQ(vacio.xMin, 0);
  EXPECT_GT(vacio.xMax, 0);

  TGrafico g("desparejas", 2, 0);
  TSerieGrafico* x = g.NuevaSerie("x", {0, 1}, nullptr, "##.##", true);
  g.NuevaSerie("y", {0, 1, 2, 3, 4}, x);
  TSerieGrafico* sola = g.NuevaSerie("sin x", {7, 8}, nullptr);
  sola->serieX = nullptr; // a line series left without X is not drawn
  Dibujar(g, 400, 300);
  EXPECT_EQ(g.yMax, 8);
}

// Stacked areas take the range of their running sums and fill between them; bars and the percentage
// column are drawn in their palette colours.
TEST_F(Graficador, AreasApiladasBarrasYPorcentajes) {
  TGrafico g("apiladas", 1, -1);
  g.ejeX.grilla = false;
  TSerieGrafico* x = g.NuevaSerie("x", {0, 1, 2, 3}, nullptr, "##.##", true);
  TSerieGrafico* a = g.NuevaSerie("a", {1, 2, 1, 2}, x);
  TSerieGrafico* b = g.NuevaSerie("b", {2, 2, 3, 6}, x);
  a->serieX = b->serieX = x;
  const QImage img = Dibujar(g, 600, 400);
  EXPECT_EQ(g.yMin, 0);
  EXPECT_EQ(g.yMax, 8);
  const QRgb bajo = img.pixel(g.PX(1.5), g.PY(0.7)), alto = img.pixel(g.PX(1.5), g.PY(3.2));
  EXPECT_EQ(bajo & 0xFFFFFF, QRgb(a->colorBase));
  EXPECT_EQ(alto & 0xFFFFFF, QRgb(b->colorBase));
  EXPECT_TRUE(EsBlanco(img.pixel(g.PX(1.5), g.PY(6.5))));

  TGrafico barras("barras", 3, -1);
  barras.ejeX.grilla = false;
  TSerieGrafico* bx = barras.NuevaSerie("x", {1, 2, 3}, nullptr, "##.##", true);
  TSerieGrafico* b1 = barras.NuevaSerie("b1", {3, 5, 4}, bx);
  b1->etiquetas = {"uno", "dos", "tres"};
  b1->colorBase = ColorRGB(0, 0, 255);
  const QImage ib = Dibujar(barras, 600, 400);
  EXPECT_FALSE(barras.ejeX.etiquetasVerticales);
  // The axis runs from the smallest value (3): the second category's bar rises to 5.
  const int xc = (barras.plotIzq + barras.plotDer) / 2;
  EXPECT_EQ(barras.yMin, 3);
  EXPECT_EQ(ib.pixel(xc, barras.PY(4)) & 0xFFFFFF, QRgb(b1->colorBase));
  const int xc3 = barras.plotIzq + 5 * (barras.plotDer - barras.plotIzq) / 6; // third bar rises to 4
  EXPECT_EQ(ib.pixel(xc3, barras.PY(3.5)) & 0xFFFFFF, QRgb(b1->colorBase));
  EXPECT_TRUE(EsBlanco(ib.pixel(xc3, barras.PY(4.5))));

  TGrafico pc("porcentajes", 4, -1);
  TSerieGrafico* px = pc.NuevaSerie("x", {0, 1}, nullptr, "##.##", true);
  TSerieGrafico* p = pc.NuevaSerie("p", {60, 0.5, 39.5}, px);
  p->etiquetas = {"libre", "nada", "restringido"};
  p->colorRelleno = ColorRGB(0, 128, 0);
  const QImage ip = Dibujar(pc, 600, 400);
  EXPECT_EQ(pc.yMax, 100);
  EXPECT_EQ(pc.margenInf, pc.m); // no X tick-label band with a percentage column
  EXPECT_EQ(ip.pixel((pc.plotIzq + pc.plotDer) / 2, pc.PY(30)) & 0xFFFFFF, QRgb(ColorRGB(0, 128, 0)));
}
