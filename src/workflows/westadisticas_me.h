#pragma once
// Statistics view of an empirical model: the Weibull frequency of the wind speed, the frequency of
// the wind direction and the table of minima and maxima of the selected samples.
#include <array>
#include <memory>
#include <string>

#include "empirical/uparques_modeloempirico.h"

class QPainter;
class TGrafico;

// Cells of the 3 × 8 table, indexed [column][row]: row 0 holds "", "Mínimo", "Máximo"; rows 1 … 7 a
// label, the minimum and the maximum, rounded to the row's decimals and written as general real text.
using TTablaEstadisticasME = std::array<std::array<std::string, 8>, 3>;

TTablaEstadisticasME TablaEstadisticasME(const TEstadisticasME& e);
// Speed frequency chart "Frecuencia_velocidad_WB": the Weibull density at 0, 1, … 25 m/s.
std::unique_ptr<TGrafico> GraficoFrecuenciaVelocidad(const TEstadisticasME& e);
// Direction frequency chart "Frecuencia_direccion": the sample density at 0, 1, … 359 degrees.
std::unique_ptr<TGrafico> GraficoFrecuenciaDireccion(const TEstadisticasME& e);

// Computes the statistics of the model, draws the speed chart on `lienzoVel` (wVel × hVel pixels)
// and the direction chart on `lienzoDir` (wDir × hDir), and returns the table for the grid.
TTablaEstadisticasME Graficar_Estadistica_Datos_ME(const TParque_ModeloEmpirico& me, QPainter& lienzoVel,
                                                   int wVel, int hVel, QPainter& lienzoDir, int wDir,
                                                   int hDir);

// Writes both frequency charts as JPEG images (quality 100) "Frecuencia_velocidad_WB.jpg" and
// "Frecuencia_direccion.jpg" in `carpeta` (created when missing); returns the table.
TTablaEstadisticasME GuardarGraficosEstadisticaME(const TEstadisticasME& e, const std::string& carpeta,
                                                  int ancho = 541, int alto = 325);
