#include "charts/uescalacolores.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>

namespace {

struct RGB {
  int r, g, b;
};

RGB Comp(const TEscalaColor& e, double x) {
  RGB c;
  e.Componentes(x, c.r, c.g, c.b);
  return c;
}

// The value of t at which the stretched coordinate u(t) reaches the given level (u is increasing).
double TDeU(double nivel) {
  const double pi = 3.14159265358979323846;
  double a = 0, b = 1;
  for (int i = 0; i < 200; ++i) {
    const double t = 0.5 * (a + b);
    const double u = t + std::sin(4 * pi * t) / (4 * pi) / 1.5;
    (u < nivel ? a : b) = t;
  }
  return 0.5 * (a + b);
}

} // namespace

TEST(EscalaColor, ExtremosYCentro) {
  const TEscalaColor e(4, 10);
  EXPECT_EQ(e.vmin, 4);
  EXPECT_EQ(e.rango, 6);
  EXPECT_DOUBLE_EQ(e.Normalizar(7), 0.5);
  struct Caso {
    double x;
    TColor color;
  };
  const Caso casos[] = {{4, ColorRGB(0, 0, 255)},
                        {-20, ColorRGB(0, 0, 255)},
                        {10, ColorRGB(255, 0, 0)},
                        {25, ColorRGB(255, 0, 0)},
                        {7, ColorRGB(0, 255, 0)}};
  for (const Caso& c : casos)
    EXPECT_EQ(e.Color(c.x), c.color) << c.x;
}

TEST(EscalaColor, ContinuaEnLosLimitesDeSegmento) {
  const TEscalaColor e(0, 1);
  for (double nivel : {0.25, 0.5, 0.75}) {
    const double t = TDeU(nivel);
    const RGB a = Comp(e, t - 1e-9), b = Comp(e, t + 1e-9);
    EXPECT_LE(std::abs(a.r - b.r), 1) << nivel;
    EXPECT_LE(std::abs(a.g - b.g), 1) << nivel;
    EXPECT_LE(std::abs(a.b - b.b), 1) << nivel;
  }
  // Cyan at the first boundary, yellow at the last.
  const RGB cian = Comp(e, TDeU(0.25)), amarillo = Comp(e, TDeU(0.75));
  EXPECT_EQ(cian.r, 0);
  EXPECT_GE(cian.g, 254);
  EXPECT_GE(cian.b, 254);
  EXPECT_GE(amarillo.r, 254);
  EXPECT_GE(amarillo.g, 254);
  EXPECT_EQ(amarillo.b, 0);
}

// Along the scale red never falls and blue never rises: the colours run blue → cyan → green →
// yellow → red without turning back.
TEST(EscalaColor, RecorridoMonotono) {
  const TEscalaColor e(4, 10);
  RGB prev = Comp(e, 4);
  for (int i = 1; i <= 600; ++i) {
    const RGB c = Comp(e, 4 + i * 0.01);
    EXPECT_GE(c.r, prev.r);
    EXPECT_LE(c.b, prev.b);
    prev = c;
  }
}
