// The subtractive uniform generator, the Weibull fit and the empirical distribution of samples.
#include "num/fddp.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

TVectR Vec(std::initializer_list<double> xs) {
  return TVectR::Create_FromDA(TDAofNReal(xs), 1);
}

} // namespace

TEST(TMadreUniforme, SeedFixesTheSequence) {
  TMadreUniforme g(31), h(31);
  const int esperado[] = {227332288, 478430118, 990534977, 328416390, 851939204};
  for (int e : esperado)
    EXPECT_EQ(g.sortear(), e * 0.000000001);
  for (int i = 0; i < 5; ++i)
    h.sortear();
  for (int i = 6; i <= 2000; ++i) {
    const double u = g.sortear();
    ASSERT_EQ(u, h.sortear());
    ASSERT_GE(u, 0.0);
    ASSERT_LT(u, 1.0);
    ASSERT_EQ(std::round(u * 1e9) * 0.000000001, u);
    if (i == 200) {
      EXPECT_EQ(u, 15897921 * 0.000000001);
    }
  }
}

TEST(TMadreUniforme, SetSemillaRestartsAndCopiesContinueIndependently) {
  TMadreUniforme g(7);
  const double a = g.sortear(), b = g.sortear();
  for (int s : {7, -7}) {
    g.SetSemilla(s);
    EXPECT_EQ(g.semilla, -7);
    EXPECT_EQ(g.sortear(), a);
    EXPECT_EQ(g.sortear(), b);
  }
  TMadreUniforme copia = g;
  const double c = g.sortear();
  EXPECT_EQ(copia.sortear(), c);

  TMadreUniforme cero(0);
  for (int i = 0; i < 3; ++i)
    EXPECT_EQ(cero.sortear(), 0.0);
  EXPECT_NE(TMadreUniforme(32).sortear(), TMadreUniforme(31).sortear());
}

TEST(Tf_ddp, SharedGeneratorIsAdvancedByEachUser) {
  TMadreUniforme compartido(31), referencia(31);
  Tf_ddp_Weibull w1(2, 8, 8000, &compartido, 0), w2(3, 5, 5000, &compartido, 0);
  EXPECT_FALSE(w1.propioGenerador);
  EXPECT_EQ(w1.sortear(), w1.x_area(referencia.sortear()));
  EXPECT_EQ(w2.sortear(), w2.x_area(referencia.sortear()));

  Tf_ddp_Weibull propio(2, 8, 8000, nullptr, 31);
  EXPECT_TRUE(propio.propioGenerador);
  TMadreUniforme g(31);
  EXPECT_EQ(propio.sortear(), propio.x_area(g.sortear()));
}

TEST(Tf_ddp_Weibull, FitRecoversShapeAndScale) {
  Tf_ddp_Weibull origen(2, 8, 8000, nullptr, 31);
  TVectR v(5000);
  for (int i = 1; i <= v.n(); ++i)
    v.pon_e(i, origen.sortear());
  const auto desordenadas = Tf_ddp_Weibull::Create_vmuetras(v, nullptr, 31);
  v.Sort(true);
  const auto w = Tf_ddp_Weibull::Create_vmuetras(v, nullptr, 31);
  EXPECT_EQ(desordenadas->k, w->k);
  EXPECT_EQ(desordenadas->lambda, w->lambda);
  EXPECT_NEAR(w->k, 2, 0.08);
  EXPECT_NEAR(w->lambda, 8, 0.2);
  EXPECT_DOUBLE_EQ(w->inv_k, 1 / w->k);
  EXPECT_DOUBLE_EQ(w->k_sobre_lambda, w->k / w->lambda);
  EXPECT_EQ(w->x_inf, 0);
  EXPECT_DOUBLE_EQ(w->x_sup, 1000 * v.Promedio());
  EXPECT_NEAR(w->distribucion(w->x_area(0.5)), 0.5, 1e-15);
}

TEST(Tf_ddp_Weibull, DensityCumulativeAndQuantile) {
  const Tf_ddp_Weibull w(2, 8, 8000, nullptr, 1);
  EXPECT_EQ(w.densidad(0), 0);
  EXPECT_EQ(w.distribucion(-1), 0);
  EXPECT_EQ(w.x_area(0), 0);
  const double x = 5;
  EXPECT_NEAR(w.densidad(x), 2.0 / 8 * (x / 8) * std::exp(-(x / 8) * (x / 8)), 1e-16);
  EXPECT_NEAR(w.distribucion(8), 1 - std::exp(-1.0), 1e-16);
  EXPECT_NEAR(w.x_area(1 - std::exp(-1.0)), 8, 1e-12);
}

TEST(Tf_ddp_Weibull, FewerThanTwoDistinctSamplesCannotBeFitted) {
  // The normal equations of [3, 3, 3] leave a last pivot of -2.2e-16, which the solver accepts.
  {
    const double X = std::log(3.0);
    TMatR A(2, 2), B(2, 1);
    A.pon_e(1, 1, (X * X + X * X + X * X) / 3);
    A.pon_e(1, 2, -((X + X + X) / 3));
    A.pon_e(2, 1, -((X + X + X) / 3));
    A.pon_e(2, 2, 1);
    double det;
    int exponente;
    EXPECT_TRUE(A.Resolver(B, det, exponente));
  }
  for (const TVectR& v : {Vec({3, 3, 3}), Vec({1, 1}), Vec({2.5}), TVectR()}) {
    try {
      Tf_ddp_Weibull::Create_vmuetras(v, nullptr, 31);
      ADD_FAILURE() << v.ToStr();
    } catch (const Exception& ex) {
      EXPECT_STREQ(ex.what(), "Imposible invertir sistema Tf_ddp_Weibull.Create_vmuetras en fddp");
    }
  }
  EXPECT_NO_THROW(Tf_ddp_Weibull::Create_vmuetras(Vec({3, 3, 4}), nullptr, 31));
}

TEST(Tf_ddp_VectDeMuestras, EmpiricalDistribution) {
  const Tf_ddp_VectDeMuestras d(Vec({5, 1, 3, 3, 3, 8}), nullptr, 31); // sorted: 1 3 3 3 5 8
  EXPECT_EQ(d.muestras.ToDA(), (TDAofNReal{1, 3, 3, 3, 5, 8}));
  EXPECT_EQ(d.x_inf, 1);
  EXPECT_EQ(d.x_sup, 8);
  struct {
    double x;
    int posicion;
    double densidad, acumulada;
  } casos[] = {
      {0.5, 0, 0, 0},
      {1, 1, 1 / (2.0 * 5), 1 / 6.0},
      {1.5, 1, 1 / (2.0 * 5), 1.25 / 6},
      {3, 3, 1000000, 3 / 6.0},
      {4, 4, 1 / (2.0 * 5), 4.5 / 6},
      {8, 6, 0, 1},
      {9, 6, 0, 1},
  };
  for (const auto& c : casos) {
    EXPECT_EQ(d.Posicion(c.x), c.posicion) << c.x;
    EXPECT_DOUBLE_EQ(d.densidad(c.x), c.densidad) << c.x;
    EXPECT_DOUBLE_EQ(d.distribucion_directa(c.x), c.acumulada) << c.x;
  }
  struct {
    double u, x;
  } cuantiles[] = {{-0.2, 1}, {0, 1}, {0.5, 3}, {0.9, 6.5}, {1, 8}, {1.5, 8}};
  for (const auto& c : cuantiles)
    EXPECT_DOUBLE_EQ(d.x_area(c.u), c.x) << c.u;
}

namespace {
// Uniform density on [0, 2]: exercises the default cumulative functions and quantile search.
class TUniformeDos : public Tf_ddp {
public:
  TUniformeDos() : Tf_ddp(nullptr, 0, 0, 2, 1, 5) {}
  double densidad(double x) const override { return (x >= 0 && x <= 2) ? 0.5 : 0.0; }
};
} // namespace

TEST(Tf_ddp, DefaultCumulativeAndQuantileSearch) {
  TUniformeDos u;
  EXPECT_DOUBLE_EQ(u.distribucion_directa(1), 0.5);
  EXPECT_NEAR(u.distribucion_incremental(1.5), 0.75, 1e-12);
  EXPECT_NEAR(u.distribucion_incremental(0.5), 0.25, 1e-12); // walks back from the last point
  EXPECT_NEAR(u.x_area(0.25), 0.5, 1e-4);
  EXPECT_EQ(u.x_area(0), 0);
  EXPECT_EQ(u.x_area(1), 2);

  const Tf_ddp plano(nullptr, 0, 0, 1, 1, 5); // zero density: the cumulative never reaches 0.5
  try {
    plano.x_area(0.5);
    ADD_FAILURE();
  } catch (const Exception& ex) {
    EXPECT_STREQ(ex.what(), " Problema de convergencia , area: 0.5");
  }
}
