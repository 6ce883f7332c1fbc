// Bisection inside a bracketing interval and Romberg integration.
#include "num/math01.h"

#include <gtest/gtest.h>

#include <cmath>

#include "num/xmatdefs.h"

TEST(Biseccion, ConvergesWhicheverOrderTheEndsCome) {
  const auto f = [](double x) { return x - 2; };
  for (auto [x1, x2] : {std::pair{0.0, 10.0}, std::pair{10.0, 0.0}}) {
    double x, fx;
    int it;
    EXPECT_TRUE(BuscarCero(f, 100, 1e-6, x1, x2, x, fx, it));
    EXPECT_NEAR(x, 2, 1e-6);
    EXPECT_EQ(fx, x - 2);
    EXPECT_EQ(it, 24); // 10 / 2^24 < 1e-6 <= 10 / 2^23
  }
}

TEST(Biseccion, StatusTable) {
  struct {
    const char* nombre;
    TFuncionReal f;
    uint16_t limite;
    double a, b;
    bool ok;
    int iteraciones;
  } casos[] = {
      {"root at an end brackets", [](double x) { return x; }, 100, 0, 1, true, 20},
      {"no sign change", [](double x) { return x * x + 1; }, 100, -1, 1, false, 0},
      {"limit reached", [](double x) { return x - 0.3; }, 5, 0, 1, false, 5},
  };
  for (const auto& c : casos) {
    double x, fx;
    int it;
    EXPECT_EQ(BuscarCero(c.f, c.limite, 1e-6, c.a, c.b, x, fx, it), c.ok) << c.nombre;
    EXPECT_EQ(it, c.iteraciones) << c.nombre;
    EXPECT_EQ(fx, c.f(x)) << c.nombre;
  }
  // Without a sign change the midpoint is still returned.
  double x, fx;
  int it;
  BuscarCero([](double t) { return t * t + 1; }, 100, 1e-6, -1, 3, x, fx, it);
  EXPECT_EQ(x, 1);
}

TEST(Biseccion, LimitZeroSetsNoLimit) {
  const auto f = [](double x) { return x - 0.3; };
  double x, fx;
  int it;
  EXPECT_TRUE(BuscarCero(f, 0, 1e-6, 0, 1, x, fx, it));
  EXPECT_EQ(it, 20); // 1 / 2^20 < 1e-6 <= 1 / 2^19
  EXPECT_NEAR(x, 0.3, 1e-6);
  // A tolerance of 0 is never reached around 0.3: the search ends once the ends stop moving.
  EXPECT_FALSE(BuscarCero(f, 0, 0, 0, 1, x, fx, it));
  EXPECT_GT(it, 50);
  EXPECT_NEAR(x, 0.3, 1e-15);
}

TEST(Biseccion, ErrorsOfTheFunctionPassThrough) {
  double x, fx;
  int it;
  EXPECT_THROW(BuscarCero([](double) -> double { throw Exception("fallo"); }, 10, 1e-3, 0, 1, x, fx, it),
               Exception);
}

TEST(Romberg, CubicIsExactAfterTwoRefinements) {
  int llamadas = 0;
  const auto f = [&](double x) {
    ++llamadas;
    return x * x * x - 2 * x + 1;
  };
  double I = -1;
  EXPECT_TRUE(Romberg(f, 0, 2, 1e-12, I));
  EXPECT_DOUBLE_EQ(I, 2); // 16/4 - 4 + 2
  EXPECT_EQ(llamadas, 5); // ends, midpoint, two quarter points
}

TEST(Romberg, SmoothFunctionAndFailureAfterTenLevels) {
  double I = -1;
  EXPECT_TRUE(Romberg([](double x) { return std::sin(x); }, 0, M_PI, 1e-10, I));
  EXPECT_NEAR(I, 2, 1e-10);

  // A kink defeats the extrapolation at a tolerance of 0: the integral is left as it was.
  I = -1;
  EXPECT_FALSE(Romberg([](double x) { return std::fabs(x - 0.3); }, 0, 1, 0, I));
  EXPECT_EQ(I, -1);
}
