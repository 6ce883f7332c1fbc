#include "charts/uescalacolores.h"

#include <cmath>

namespace {
constexpr double kPi = 3.14159265358979323846;

int A255(double c) {
  return int(std::nearbyint(c * 255));
} // halves to even
} // namespace

void TEscalaColor::Componentes(double x, int& r, int& g, int& b) const {
  double t = Normalizar(x);
  if (t < 0) t = 0;
  if (t > 1) t = 1;
  // Stretch the middle of the scale: more of it goes to the cyan-to-yellow colours.
  const double u = t + std::sin(4 * kPi * t) / (4 * kPi) / 1.5;
  int s = int(4 * u);
  if (s > 3) s = 3;
  if (s < 0) s = 0;
  auto frac = [](double z) { return z - std::trunc(z); };
  double cr = 0, cg = 0, cb = 0;
  switch (s) {
  case 0:
    cr = 0, cg = 4 * frac(u), cb = 1;
    break;
  case 1:
    cr = 0, cg = 1, cb = 1 - 4 * frac(u - 0.25);
    break;
  case 2:
    cr = 4 * frac(u - 0.5), cg = 1, cb = 0;
    break;
  default:
    cr = 1, cg = 1 - 4 * frac(u - 0.75), cb = 0;
    break;
  }
  r = A255(cr);
  g = A255(cg);
  b = A255(cb);
}

TColor TEscalaColor::Color(double x) const {
  int r, g, b;
  Componentes(x, r, g, b);
  return ColorRGB(r, g, b);
}
