#pragma once
// Colour scale: maps a value in vmin … vmin + rango to a colour running from blue through cyan,
// green and yellow to red, spending more of the scale on the middle colours than a linear map.
//
// Invariant: rango != 0 (the callers never create a scale with equal ends).
#include "charts/ugraficador.h"

class TEscalaColor {
public:
  TEscalaColor(double vmin, double vmax) : vmin(vmin), rango(vmax - vmin) {}
  virtual ~TEscalaColor() = default;

  double vmin;
  double rango;

  double Normalizar(double x) const { return (x - vmin) / rango; }
  // Colour 0xRRGGBB of the value (components rounded half to even).
  virtual TColor Color(double x) const;
  // The same colour as components 0..255.
  void Componentes(double x, int& r, int& g, int& b) const;
};
