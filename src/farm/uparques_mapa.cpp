// Farm map viewport: the equal-scale transform between the map's pixels (row 0 at the top) and the
// station-relative world coordinates (x east, y north, north up), and the queries the map's pointer
// handlers make through it.
#include <cmath>

#include "farm/uparques_modeloteorico.h"

void TParque_ModeloTeorico::FijarVentana(int px0_, int py0_, int px1_, int py1_) {
  px0 = px0_;
  py0 = py0_;
  px1 = px1_;
  py1 = py1_;
  pw = px1 - px0;
  ph = py1 - py0;

  // The station (origin) is always on the map.
  wxmin = wxmax = wymin = wymax = 0;
  for (const TMolino& m : molinos) {
    const double x = m.posicion.x, y = m.posicion.y;
    if (x < wxmin)
      wxmin = x;
    else if (x > wxmax)
      wxmax = x;
    if (y < wymin)
      wymin = y;
    else if (y > wymax)
      wymax = y;
  }

  wxmin -= 300;
  wxmax += 300;
  wymin -= 300;
  wymax += 300;
  ancho = wxmax - wxmin;
  alto = wymax - wymin;

  // Equal scale on both axes: widen the world along the axis with pixels to spare, centred.
  if (double(ph) / alto >= double(pw) / ancho) {
    const double d = (ancho / pw * ph - alto) * 0.5;
    wymin -= d;
    wymax += d;
    alto = wymax - wymin;
  } else {
    const double d = (alto / ph * pw - ancho) * 0.5;
    wxmin -= d;
    wxmax += d;
    ancho = wxmax - wxmin;
  }
}

void TParque_ModeloTeorico::MundoAPixel(double x, double y, int& columna, int& fila) const {
  columna = px0 + int(std::nearbyint(pw / ancho * (x - wxmin)));
  fila = py1 - int(std::nearbyint(ph / alto * (y - wymin)));
}

void TParque_ModeloTeorico::PixelAMundo(int columna, int fila, double& x, double& y) const {
  x = ancho / pw * (columna - px0) + wxmin;
  y = alto / ph * (py1 - fila) + wymin;
}

const TMolino* TParque_ModeloTeorico::MolinoCercano(int columna, int fila) const {
  if (molinos.empty()) return nullptr;
  double px, py;
  PixelAMundo(columna, fila, px, py);
  const TMolino* candidato = nullptr;
  double distancia = 0;
  for (const TMolino& m : molinos) {
    const double dx = px - m.posicion.x, dy = py - m.posicion.y;
    const double d = std::sqrt(dx * dx + dy * dy);
    if (candidato == nullptr || d < distancia) {
      candidato = &m;
      distancia = d;
    }
  }
  if (distancia > 3 * candidato->curva.diametro) return nullptr;
  return candidato;
}

TMolino* TParque_ModeloTeorico::MolinoCercano(int columna, int fila) {
  return const_cast<TMolino*>(static_cast<const TParque_ModeloTeorico*>(this)->MolinoCercano(columna, fila));
}

double TParque_ModeloTeorico::DpEnPixel(int columna, int fila) const {
  double x, y;
  PixelAMundo(columna, fila, x, y);
  return DpEnPunto(x, y);
}
