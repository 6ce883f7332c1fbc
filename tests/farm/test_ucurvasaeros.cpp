// Power curves: derived values, the power-density lookup, the farm-curve sum and the logistic fit.
#include <cmath>

#include <gtest/gtest.h>

#include "farm/parque_referencia.h"
#include "farm/ucurvasaeros.h"

namespace {

TVectR Vec(std::initializer_list<double> xs) {
  TVectR v(int(xs.size()));
  int i = 1;
  for (double x : xs)
    v.pon_e(i++, x);
  return v;
}

TEST(CurvaAerogen, ValoresDerivadosDeLaCurvaDeReferencia) {
  const TCurvaAerogen c = CurvaReferencia2MW();
  EXPECT_EQ(c.n_puntos, 23);
  EXPECT_EQ(c.potencia_max, 2.0);
  EXPECT_EQ(c.i_nominal, 11); // 2.0 MW first reached at 13 m/s
  EXPECT_EQ(c.v_nominal, 13.0);
  EXPECT_EQ(c.i_1pc, 1); // 0.02 MW is exactly 1 % of rated power
  EXPECT_EQ(c.v_1pc, 3.0);
  EXPECT_EQ(c.curva_dp.e(5), 7.0 * 7.0 * 7.0 * (1.225 * 0.5) / 1000000.0);
  EXPECT_EQ(c.dp_min, c.curva_dp.e(1));
  EXPECT_EQ(c.dp_max, c.curva_dp.e(23));
  EXPECT_EQ(c.dp_nominal, c.curva_dp.e(11));
  EXPECT_DOUBLE_EQ(c.area, 3.14159265358979323846 * 1600.0);
  // Fitting range [4.1, 11.7): the seven points 5 … 11 m/s.
  EXPECT_EQ(c.n_ajuste, 7);
  EXPECT_GT(c.alfa, 0.3);
  EXPECT_LT(c.alfa, 1.5);
  EXPECT_GT(c.vm, 7.0);
  EXPECT_LT(c.vm, 10.0);
  EXPECT_NEAR(c.PotenciaLogistica(c.vm), 1.0, 1e-12);
}

TEST(CurvaAerogen, PotenciaDeDpEnBordesYEntrePuntos) {
  const TCurvaAerogen c = CurvaReferencia2MW();
  const double d5 = c.curva_dp.e(5), d6 = c.curva_dp.e(6);
  const struct {
    double dp, P;
  } casos[] = {
      {c.dp_min, 0.02},                      // first point
      {c.dp_max, 2.0},                       // last point
      {std::nextafter(c.dp_min, 0.0), 0.0},  // just below cut-in
      {std::nextafter(c.dp_max, 1.0), 0.0},  // just above cut-out
      {0.5 * (d5 + d6), 0.5 * (0.55 + 0.8)}, // half way in power density
      {c.curva_dp.e(8), 1.4},                // on a point
  };
  for (const auto& k : casos)
    EXPECT_NEAR(c.PotenciaDeDp(k.dp), k.P, 1e-14) << "dp = " << k.dp;
  EXPECT_EQ(c.PotenciaDeDp(std::nextafter(c.dp_min, 0.0)), 0.0);
}

TEST(CurvaAerogen, NominalEnVariosPuntosTomaElPrimero) {
  const TCurvaAerogen c(1, "m", 50, Vec({3, 5, 7, 9, 11, 13}), Vec({0.1, 0.4, 1.0, 1.5, 1.5, 1.5}));
  EXPECT_EQ(c.i_nominal, 4);
  EXPECT_EQ(c.v_nominal, 9.0);
}

TEST(CurvaAerogen, SinPuntosEnElRangoDeAjusteSigueSirviendo) {
  // lo = 3 + 1.1 = 4.1 and hi = 0.9 · 4 = 3.6: no point is fitted.
  const TCurvaAerogen c(1, "corta", 40, Vec({3, 4}), Vec({1, 2}));
  EXPECT_EQ(c.n_ajuste, 0);
  EXPECT_EQ(c.res_ajuste, -1.0); // the fit's value without points
  EXPECT_EQ(c.alfa, 0.0);
  EXPECT_EQ(c.vm, 0.0);
  EXPECT_TRUE(std::isfinite(c.PotenciaLogistica(5)));
  EXPECT_NEAR(c.PotenciaDeDp(0.5 * (c.dp_min + c.dp_max)), 1.5, 1e-14);
}

TEST(CurvaAerogen, UnSoloPuntoEnElRangoNoConstruyeLaCurva) {
  // lo = 4.1, hi = 0.9 · 6 = 5.4: only 5 m/s is in range.
  try {
    TCurvaAerogen c(1, "m", 40, Vec({3, 5, 6}), Vec({0.1, 0.5, 1.0}));
    FAIL() << "se esperaba un error";
  } catch (const Exception& e) {
    EXPECT_STREQ(e.what(), "TVectR.AproximacionLineal res= 0");
  }
}

TEST(CurvaAerogen, SumaDeDosCurvasIgualesDuplicaLasPotencias) {
  const TCurvaAerogen uno = CurvaReferencia2MW();
  TCurvaAerogen suma = TCurvaAerogen::Create_Copia(uno);
  suma.SumarCurvas({&uno});
  for (int i = 1; i <= uno.n_puntos; ++i)
    EXPECT_EQ(suma.curva_P.e(i), 2 * uno.curva_P.e(i)) << i;
  EXPECT_EQ(suma.potencia_max, 4.0);
  EXPECT_EQ(suma.v_nominal, uno.v_nominal);
  EXPECT_EQ(suma.n_ajuste, uno.n_ajuste);
}

TEST(CurvaAerogen, TablasVaciasODesigualesSonUnError) {
  EXPECT_THROW(TCurvaAerogen(1, "m", 40, TVectR(), TVectR()), Exception);
  EXPECT_THROW(TCurvaAerogen(1, "m", 40, Vec({3, 4, 5}), Vec({1, 2})), Exception);
}

} // namespace
