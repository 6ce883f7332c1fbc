#pragma once
// XY charts: a chart with an X axis, a left and a right Y axis, any number of series and boxes,
// laid out and scaled by its own algorithm and drawn in one pass onto any 2D canvas (a QPainter), or
// saved as a JPEG image.
//
// Invariants: the chart owns its axes, its series and its boxes; a Y series refers to an X series of
// the same chart (never owned by the Y series). Drawing does not validate: a line series needs an
// X series with at least as many values. Drawing stores the layout (plot rectangle, ranges, scales,
// margins) and each axis keeps the division count found, so a second drawing starts from it.
// The data API is free of Qt types so the numeric models can build charts; only Draw takes a canvas.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "num/xmatdefs.h"

class QPainter;

// A 24-bit colour 0xRRGGBB, or clNinguno: nothing is painted in that colour.
using TColor = std::int32_t;
constexpr TColor clNinguno = -1;
constexpr TColor clNegro = 0x000000;
constexpr TColor clBlanco = 0xFFFFFF;
constexpr TColor ColorRGB(int r, int g, int b) {
  return (r << 16) | (g << 8) | b;
}

// Index into the chart palette.
enum TkColorPaleta : int {
  kcp_Negro = 0,
  kcp_Marron,
  kcp_Verde,
  kcp_Oliva,
  kcp_AzulMarino,
  kcp_Purpura,
  kcp_VerdeAzulado,
  kcp_Gris,
  kcp_Plata,
  kcp_Rojo,
  kcp_Lima,
  kcp_Amarillo,
  kcp_Azul,
  kcp_Fusia,
  kcp_Agua
};
constexpr int N_COLORES_PALETA = 15;
TColor ColorPaleta(int indice);                   // indice 0 … 14
const std::string& NombreColorPaleta(int indice); // "Negro", "Marrón", …

enum TTipoMarcador : int { TM_Circulo = 0, TM_Cuadro, TM_Rombo, TM_Cruz, TM_X };
constexpr int N_TIPOS_MARCADOR = 5;
const std::string& NombreMarcador(TTipoMarcador m); // "Circulo", "Cuadro", "Rombo", "Cruz", "X"

// One scaling of a range lo … hi into about n "round" divisions. `haciaAfuera` rounds the ends
// outward (both ends automatic), else inward.
struct TEscalaEje {
  double minMostrado = 0;
  double maxMostrado = 0;
  double paso = 0;
  int n = 0;
};
TEscalaEje EscalarRango(double lo, double hi, int n, bool haciaAfuera);

class TEjeGrafico {
public:
  explicit TEjeGrafico(const std::string& titulo = "");

  std::string titulo;
  double dataMin = 0, dataMax = 0; // set by Draw from the series
  bool autoMin = true, autoMax = true;
  double minManual = 0, maxManual = 0; // used when the matching auto flag is false
  // Results of the scaling.
  double minMostrado = 0, maxMostrado = 0, primeraDivision = 0, pasoDivision = 0;
  int nDivisiones = 10; // target of the scaling, then its result
  bool autoDivisiones = true;
  int nDivisionesFijo = 0;
  bool grilla = true;
  bool etiquetasVerticales = true;
  int tipoEtiqueta = 0; // 0 number, 1 integer, 2 date and time
  // Number format of tipoEtiqueta 0: fixed point, rounded to digitosFormato significant digits and
  // written with decimalesFormato decimals.
  int digitosFormato = 12, decimalesFormato = 2;
  std::string formatoFecha = "yyyy/mm/dd hh:mm";

  void SetMin(double v);
  void SetMax(double v);
  // Scales the axis from the data range dataMin … dataMax and applies the flags.
  void Escalar();
  std::string EtiquetaDeDivision(int i) const;
};

class TGrafico;

class TSerieGrafico {
public:
  // esX gives an X series (rol 1); otherwise rol 2 with serieX, else 0. With a chart the series takes
  // the chart's next palette colour, next marker and default kind; without one, black, TM_Cruz, kind 0.
  TSerieGrafico(const std::string& nombreSerie, const TDAofNReal& valores, TSerieGrafico* serieX,
                TGrafico* grafico, const std::string& formato, bool esX);

  std::string nombreSerie;
  int rol = 0;
  TDAofNReal valores;
  TSerieGrafico* serieX = nullptr;
  std::string formato;
  TColor colorBase = clNegro, colorLinea = clNegro, colorRelleno = clNegro, colorMarcador = clNegro;
  TTipoMarcador marcador = TM_Cruz;
  int tipo = 0; // 0 not drawn, 1 stacked areas, 2 lines and markers, 3 bars, 4 percentage column
  int radioMarcador = 3;
  int anchoLinea = 1;
  bool ejeDerecho = false;
  std::vector<std::string> etiquetas;
};

// A box in data coordinates, optionally filled and labelled.
class TCajaGraficoXY {
public:
  TCajaGraficoXY(const std::string& texto, double x1, double y1, double x2, double y2);

  std::string texto;
  double x1, y1, x2, y2;
  TColor colorRelleno = clNinguno;
  TColor colorBorde = clNegro;
  TColor colorTexto = clNegro;
  bool ejeDerecho = false;
};

class TGrafico {
public:
  TGrafico(const std::string& nombreGrafico, int tipoPorDefecto, int logo);
  TGrafico(const TGrafico&) = delete;
  TGrafico& operator=(const TGrafico&) = delete;

  std::string nombreGrafico;
  std::string titulo;
  TEjeGrafico ejeX, ejeY, ejeY2;
  std::vector<std::unique_ptr<TSerieGrafico>> seriesY;
  std::vector<std::unique_ptr<TSerieGrafico>> seriesX;
  std::vector<std::unique_ptr<TCajaGraficoXY>> cajas;
  struct TLineaVertical {
    double x;
    TColor color;
  };
  std::vector<TLineaVertical> lineasVerticales;
  int tipoPorDefecto;
  int tamFuente = 14;
  int logo;
  int cursorPaleta = 0, cursorMarcador = 0;

  // Layout results of the last Draw.
  int margenSup = 0, margenInf = 0, margenIzq = 0, margenDer = 0;
  int plotIzq = 0, plotSup = 0, plotDer = 0, plotInf = 0; // plot rectangle, pixels
  int altoTexto = 0, m = 0;                               // height of "M" and its half
  double xMin = 0, xMax = 0, yMin = 0, yMax = 0, y2Min = 0, y2Max = 0;
  double escalaX = 0, escalaY = 0, escalaY2 = 0; // pixels per unit

  // Palette colour and marker for a new series; each cursor advances.
  TColor SiguienteColor();
  TTipoMarcador SiguienteMarcador();

  // Takes the series: X series to seriesX, others to seriesY (a kind-2 series without serieX is first
  // bound to the first X series). Returns the series kept by the chart.
  TSerieGrafico* AddSerie(std::unique_ptr<TSerieGrafico> serie);
  // Creates a series for this chart and adds it.
  TSerieGrafico* NuevaSerie(const std::string& nombreSerie, const TDAofNReal& valores, TSerieGrafico* serieX,
                            const std::string& formato = "##.##", bool esX = false);
  TCajaGraficoXY* AddCaja(std::unique_ptr<TCajaGraficoXY> caja);
  // A vertical line at x (data units) over the whole plot height, drawn with the boxes.
  void AddLineaVertical(double x, TColor color = clNegro);

  // Draws the whole chart on a canvas of W × H pixels.
  void Draw(QPainter& canvas, int W, int H);
  // Draws into a W × H bitmap and writes it as a JPEG of the given quality; raises Exception naming
  // the file when it cannot be written (nothing is left behind).
  void SaveToJPG(const std::string& archivo, int ancho, int alto, int calidad);

  // Value → pixel, as the drawing maps points (t truncates toward zero, clamped to ±2147483647).
  int PX(double x) const;
  int PY(double y, bool derecho = false) const;

private:
  void CalcularRangos();
  void DibujarApiladas(QPainter& p, bool derecho);
  void DibujarLineasYMarcadores(QPainter& p, bool derecho);
  void DibujarBarras(QPainter& p, bool derecho);
  void DibujarPorcentajes(QPainter& p, bool derecho);
  void DibujarCajas(QPainter& p);
  void DibujarLogo(QPainter& p, int radioMax);
};

// Makes sure a Qt GUI application object exists so that fonts and painting work (creates one on
// the offscreen platform when there is no display), and loads the chart font face.
void AsegurarAplicacionGrafica();
// Family name of the fixed chart font face (DejaVu Sans).
std::string FamiliaFuenteGraficos();
