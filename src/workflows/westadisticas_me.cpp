// Statistics view of the empirical model: two frequency charts and the table of minima and maxima.
#include "workflows/westadisticas_me.h"

#include <QPainter>
#include <cmath>

#include "charts/ugraficador.h"
#include "farm/ucarpetas.h"
#include "num/fddp.h"
#include "num/uauxiliares.h"

namespace {

std::string Redondeado(double x, int decimales) {
  const double f = std::pow(10.0, decimales);
  return RealATextoGeneral(std::round(x * f) / f);
}

// A frequency curve: x series "v", an unnamed y series drawn as a line with square markers.
std::unique_ptr<TGrafico> GraficoFrecuencia(const std::string& nombre, const std::string& titulo,
                                            const std::string& tituloX, const TDAofNReal& x,
                                            const TDAofNReal& y, TColor color) {
  auto g = std::make_unique<TGrafico>(nombre, 2, 0);
  g->titulo = titulo;
  g->ejeX.titulo = tituloX;
  g->ejeY.titulo = "Frecuencia [p.u]";
  TSerieGrafico* sx = g->NuevaSerie("v", x, nullptr, "##.##", true);
  TSerieGrafico* sy = g->NuevaSerie("", y, sx, "##.##", false);
  sy->colorLinea = color;
  sy->colorMarcador = color;
  sy->colorRelleno = color;
  sy->marcador = TM_Cuadro;
  sy->radioMarcador = 2;
  return g;
}

} // namespace

TTablaEstadisticasME TablaEstadisticasME(const TEstadisticasME& e) {
  TTablaEstadisticasME t;
  t[0][0] = "";
  t[1][0] = "Mínimo";
  t[2][0] = "Máximo";
  struct TFila {
    const char* etiqueta;
    double mn, mx;
    int decimales;
  };
  const TFila filas[7] = {
      {"Velocidad [m/s]", e.minVel, e.maxVel, 4},
      {"Potencia [MW]", e.minPE, e.maxPE, 4},
      {"Presión [hPa]", e.minPre, e.maxPre, 6},
      {"Hum. Relativa [%]", e.minHumRel, e.maxHumRel, 3},
      {"Disponibilidad [p.u.]", e.minfDisp, e.maxfDisp, 3},
      {"Temperatura [ºC]", e.minTemp, e.maxTemp, 3},
      {"CGM [MW]", e.minCGM, e.maxCGM, 3},
  };
  for (int r = 1; r <= 7; ++r) {
    const TFila& f = filas[r - 1];
    t[0][r] = f.etiqueta;
    t[1][r] = Redondeado(f.mn, f.decimales);
    t[2][r] = Redondeado(f.mx, f.decimales);
  }
  return t;
}

std::unique_ptr<TGrafico> GraficoFrecuenciaVelocidad(const TEstadisticasME& e) {
  TDAofNReal x, y;
  for (int v = 0; v <= 25; ++v) {
    x.push_back(v);
    y.push_back(e.weibullVel->densidad(v));
  }
  return GraficoFrecuencia("Frecuencia_velocidad_WB", "Frecuencia velocidad Weibull",
                           "Velocidad de viento [m/s]", x, y, ColorRGB(0, 128, 0));
}

std::unique_ptr<TGrafico> GraficoFrecuenciaDireccion(const TEstadisticasME& e) {
  TDAofNReal x, y;
  for (int a = 0; a <= 359; ++a) {
    x.push_back(a);
    y.push_back(e.ddpAng->densidad(a));
  }
  return GraficoFrecuencia("Frecuencia_direccion", "Frecuencia Dirección", "Dirección del viento [º]", x, y,
                           ColorRGB(255, 0, 0));
}

TTablaEstadisticasME Graficar_Estadistica_Datos_ME(const TParque_ModeloEmpirico& me, QPainter& lienzoVel,
                                                   int wVel, int hVel, QPainter& lienzoDir, int wDir,
                                                   int hDir) {
  AsegurarAplicacionGrafica();
  const TEstadisticasME e = me.Estadisticas();
  GraficoFrecuenciaVelocidad(e)->Draw(lienzoVel, wVel, hVel);
  GraficoFrecuenciaDireccion(e)->Draw(lienzoDir, wDir, hDir);
  return TablaEstadisticasME(e);
}

TTablaEstadisticasME GuardarGraficosEstadisticaME(const TEstadisticasME& e, const std::string& carpeta,
                                                  int ancho, int alto) {
  AsegurarAplicacionGrafica();
  GraficoFrecuenciaVelocidad(e)->SaveToJPG(ArchivoEnCarpeta(carpeta, "Frecuencia_velocidad_WB.jpg"), ancho,
                                           alto, 100);
  GraficoFrecuenciaDireccion(e)->SaveToJPG(ArchivoEnCarpeta(carpeta, "Frecuencia_direccion.jpg"), ancho, alto,
                                           100);
  return TablaEstadisticasME(e);
}
