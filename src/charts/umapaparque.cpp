#include "charts/umapaparque.h"
#include "charts/uimagenes.h"

#include <QFont>
#include <QFontMetrics>
#include <QImage>
#include <QImageWriter>
#include <QPainter>

#include <algorithm>
#include <cmath>
#include <filesystem>

#include "charts/uescalacolores.h"
#include "charts/ugraficador.h"
#include "farm/uparques_modeloteorico.h"
#include "num/uauxiliares.h"

namespace {

constexpr double kVelMinMapa = 4, kVelMaxMapa = 10;
constexpr double kRhoEstandar = 1.225;

QRgb ARgb(TColor c) {
  return qRgb((c >> 16) & 0xFF, (c >> 8) & 0xFF, c & 0xFF);
}

// The map's small texts: the canvas default size, written over a white background.
QFont FuenteMapa() {
  QFont f(QString::fromStdString(FamiliaFuenteGraficos()));
  f.setPixelSize(10);
  return f;
}

void TextoEn(QPainter& p, int x, int y, const QString& s) {
  const QFontMetrics fm = p.fontMetrics();
  p.fillRect(QRect(x, y, fm.horizontalAdvance(s), fm.height()), Qt::white);
  p.drawText(x, y + fm.ascent(), s);
}

} // namespace

void PintarCampoViento(QImage& imagen, TParque_ModeloTeorico& parque) {
  const int W = imagen.width(), H = imagen.height();
  if (W <= 0 || H <= ALTO_BARRA_COLORES) return;
  if (imagen.format() != QImage::Format_RGB32 && imagen.format() != QImage::Format_ARGB32)
    imagen = imagen.convertToFormat(QImage::Format_RGB32);
  parque.FijarVentana(0, ALTO_BARRA_COLORES, W, H);
  const TParque_ModeloTeorico& modelo = parque;
  const TEscalaColor escala(kVelMinMapa, kVelMaxMapa);
  const QRgb blanco = qRgb(255, 255, 255);
  uchar* const bits = imagen.bits();
  const qsizetype bytesPorFila = imagen.bytesPerLine();

  // Tiles of 32 × 32 pixels: the grid cells behind one tile stay in cache whatever the wind direction
  // (pixel rows run along the wind for east and west winds, across it for north and south winds).
  constexpr int kTesela = 32;
  double dpAnterior = std::nan("");
  QRgb colorAnterior = blanco;
  for (int r0 = ALTO_BARRA_COLORES; r0 < H; r0 += kTesela) {
    const int r1 = std::min(r0 + kTesela, H);
    for (int c0 = 0; c0 < W; c0 += kTesela) {
      const int c1 = std::min(c0 + kTesela, W);
      for (int r = r0; r < r1; ++r) {
        QRgb* fila = reinterpret_cast<QRgb*>(bits + r * bytesPorFila);
        for (int c = c0; c < c1; ++c) {
          const double dp = modelo.DpEnPixel(c, r);
          if (dp != dpAnterior) { // the free stream repeats one density over large areas
            const double v = VelocidadDeDensidad(dp, kRhoEstandar);
            colorAnterior = v > 0 ? ARgb(escala.Color(v)) : blanco; // outside the wake grid: white
            dpAnterior = dp;
          }
          fila[c] = colorAnterior;
        }
      }
    }
  }
}

void VelocidadesMT_To_PB(QPainter& p, TParque_ModeloTeorico& parque, int W, int H) {
  AsegurarAplicacionGrafica();
  p.save();
  const TEscalaColor escala(kVelMinMapa, kVelMaxMapa);

  // Wind field below the colour bar (the viewport is fitted to the canvas with the bar reserved).
  QImage campo(std::max(W, 1), std::max(H, 1), QImage::Format_RGB32);
  campo.fill(Qt::white);
  PintarCampoViento(campo, parque);
  p.drawImage(0, 0, campo);

  // Colour bar 4 … 10 m/s over the top rows.
  const int altoBarra = std::min(ALTO_BARRA_COLORES, H);
  for (int i = 0; i < W; ++i) {
    const TColor c = escala.Color(i * 6.0 / W + 4);
    p.setPen(QColor(ARgb(c)));
    p.drawLine(i, 0, i, altoBarra - 1);
  }
  p.setFont(FuenteMapa());
  for (int k = 1; k <= 5; ++k) {
    const int x = int(std::trunc(double(W) * k / 6));
    p.setPen(Qt::black);
    p.drawLine(x, 0, x, altoBarra - 1);
    TextoEn(p, x + 2, 0, QString::fromStdString(RealATextoGeneral(std::round((k + 4) * 10.0) / 10.0)));
  }
  p.setPen(Qt::black);
  TextoEn(p, 0, 0, QStringLiteral("4"));
  TextoEn(p, 0, 15, QStringLiteral("Vel (m/s)"));
  TextoEn(p, W - 13, 0, QStringLiteral("10"));

  // The meteorological station.
  if (W > 0 && H > ALTO_BARRA_COLORES) {
    int c, r;
    parque.MundoAPixel(0, 0, c, r);
    TextoEn(p, c, r, QStringLiteral("(A)"));
  }
  p.restore();
}

QImage ImagenMapaParque(TParque_ModeloTeorico& parque, int W, int H) {
  AsegurarAplicacionGrafica();
  QImage imagen(W, H, QImage::Format_RGB32);
  if (imagen.isNull())
    throw Exception("No se puede crear la imagen del mapa de " + std::to_string(W) + " x " +
                    std::to_string(H) + " píxeles");
  imagen.fill(Qt::white);
  QPainter p(&imagen);
  VelocidadesMT_To_PB(p, parque, W, H);
  p.end();
  return imagen;
}

std::string FormatoImagenMapa(const std::string& archivo) {
  std::string ext = std::filesystem::path(archivo).extension().string();
  std::transform(ext.begin(), ext.end(), ext.begin(),
                 [](unsigned char ch) { return char(std::tolower(ch)); });
  if (ext == ".png") return "png";
  if (ext == ".jpg" || ext == ".jpeg") return "jpeg";
  throw Exception("El archivo \"" + archivo + "\" debe terminar en .png, .jpg o .jpeg");
}

void GuardarMapaParque(TParque_ModeloTeorico& parque, int W, int H, const std::string& archivo) {
  const std::string formato = FormatoImagenMapa(archivo);
  if (W <= 0 || H <= ALTO_BARRA_COLORES)
    throw Exception("El mapa necesita un ancho positivo y un alto mayor que " +
                    std::to_string(ALTO_BARRA_COLORES) + " píxeles");

  GuardarImagen(ImagenMapaParque(parque, W, H), archivo, formato.c_str(), 100);
}

std::string TextoCoordenadasXY(const TParque_ModeloTeorico& parque, int X, int Y) {
  double x, y;
  parque.PixelAMundo(X, Y, x, y);
  return "x: " + RealATextoGeneral(x) + ", y: " + RealATextoGeneral(y);
}

bool TextoMolino(const TParque_ModeloTeorico& parque, int X, int Y, std::string& texto) {
  const TMolino* m = parque.MolinoCercano(X, Y);
  if (m == nullptr) return false;
  texto = "v: " + RealATextoFijo(VelocidadDeDensidad(m->dp_media, kRhoEstandar), 1) +
          ", P:" + RealATextoFijo(m->potencia, 1);
  return true;
}

QImage ImagenEntornoMolino(const QImage& mapa, const TParque_ModeloTeorico& parque, const TMolino& molino) {
  const double x = molino.posicion.x, y = molino.posicion.y, D = molino.curva.diametro;
  int c1, r1, c2, r2;
  parque.MundoAPixel(x - D, y + 6 * D, c1, r1);
  parque.MundoAPixel(x + 15 * D, y - 6 * D, c2, r2);
  QImage entorno(std::max(c2 - c1 + 1, 1), std::max(r2 - r1 + 1, 1), QImage::Format_RGB32);
  entorno.fill(Qt::white);
  QPainter p(&entorno);
  p.setRenderHint(QPainter::SmoothPixmapTransform, false);
  // The source rectangle (c1, r1)–(c2, r2) stretched into the whole bitmap; parts beyond the map stay
  // white.
  const QRectF origen(c1, r1, c2 - c1, r2 - r1);
  const QRectF visible = origen.intersected(QRectF(mapa.rect()));
  if (!visible.isEmpty() && origen.width() > 0 && origen.height() > 0) {
    const double ex = entorno.width() / origen.width(), ey = entorno.height() / origen.height();
    const QRectF destino((visible.x() - c1) * ex, (visible.y() - r1) * ey, visible.width() * ex,
                         visible.height() * ey);
    p.drawImage(destino, mapa, visible);
  }
  p.end();
  return entorno;
}
