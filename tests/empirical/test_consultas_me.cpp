// The questions of the empirical model on a hand-made table model read from a model block: sector
// location, S-curve and band-table estimates, inverse S-curve; and the band representatives of a
// built model.
#include <gtest/gtest.h>

#include <cmath>
#include <sstream>

#include "comun_me.h"
#include "empirical/uparques_modeloempirico.h"
#include "num/uauxiliares.h"
#include "num/utexto_archivos.h"

namespace {

const double kAlfa = 0.6;

// Bands of 0.001 MW/m2 from 0 to 0.01 (centres 0.0005, 0.0015, ...); in every sector F0 = b MW and
// A1 = 100 b per band b, 20 points per band, except 9 points in band 3 of sector 2 and a
// representative power of 60 MW (above the authorised power) in band 10.
std::unique_ptr<TParque_ModeloEmpirico> ModeloDeTablas() {
  const int nS = 72, nB = 10;
  std::ostringstream t;
  auto vector = [&](int n, auto f) {
    t << n << "\n";
    for (int i = 1; i <= n; ++i)
      t << RealATexto(f(i)) << "\n";
  };
  auto matriz = [&](auto f) {
    t << nS << "\n" << nB << "\n";
    for (int s = 1; s <= nS; ++s)
      vector(nB, [&](int b) { return f(s, b); });
  };
  const double PMax = ParqueReferencia().curva_parque->potencia_max;
  const double L0 = std::log((PMax - 0.1) / 0.1);
  vector(nB + 1, [](int j) { return (j - 1) * 0.001; });
  matriz([](int s, int b) { return s == 2 && b == 3 ? 9.0 : 20.0; }); // Peso
  matriz([](int, int) { return 0.0; });                               // A0
  matriz([](int, int b) { return 100.0 * b; });                       // A1
  vector(nB, [](int j) { return (j - 1) * 0.001 + 0.0005; });         // Pv3Medio
  matriz([](int, int b) { return b == 10 ? 60.0 : double(b); });      // F0
  vector(nS, [](int) { return kAlfa; });                              // alfa
  vector(nS, [&](int) { return L0 / kAlfa; });                        // vm
  TLectorTexto f = TLectorTexto::DesdeTexto(t.str(), "tablas");
  return TParque_ModeloEmpirico::CreateLoadFromText(f, ParqueReferencia());
}

double Hermite(double t, double y0, double y1, double m0, double m1, double d) {
  return y0 * (2 * t * t * t - 3 * t * t + 1) + y1 * (3 * t * t - 2 * t * t * t) +
         d * (m0 * t * (1 - t) * (1 - t) - m1 * t * t * (1 - t));
}

} // namespace

TEST(ConsultasME, UbicarAnguloGivesTheTwoSectorsAroundADirection) {
  auto me = ModeloDeTablas();
  ASSERT_EQ(me->nSectores(), 72);
  ASSERT_EQ(me->nBandas(), 10);
  struct Caso {
    double a;
    int s1, s2;
    double w1, w2;
  };
  const Caso casos[] = {{0, 1, 2, 1, 0},
                        {2.5, 1, 2, 0.5, 0.5},
                        {5, 2, 3, 1, 0},
                        {357.5, 72, 1, 0.5, 0.5},
                        {360, 1, 2, 1, 0},
                        {181.25, 37, 38, 0.75, 0.25},
                        // outside 0 … 360: around the circle
                        {-2.5, 72, 1, 0.5, 0.5},
                        {365, 2, 3, 1, 0}};
  for (const Caso& c : casos) {
    const TUbicacionAngulo u = me->UbicarAngulo(c.a);
    EXPECT_EQ(u.s1, c.s1) << c.a;
    EXPECT_EQ(u.s2, c.s2) << c.a;
    EXPECT_DOUBLE_EQ(u.w1, c.w1) << c.a;
    EXPECT_DOUBLE_EQ(u.w2, c.w2) << c.a;
  }
  EXPECT_EQ(me->AnguloSector(2), 5);
  EXPECT_EQ(me->AnguloSector(72), 355);
}

TEST(ConsultasME, DirectionsAbove360AreLocatedWithoutFoldingFirst) {
  // Folding 362.7 to 2.7 before scaling would move the weights in their last digits.
  auto me = ModeloDeTablas();
  for (double a : {362.7, 400.1, 719.9}) {
    const double q = 72 * a / 360;
    const TUbicacionAngulo u = me->UbicarAngulo(a);
    EXPECT_EQ(u.s1, int(std::fmod(std::trunc(q), 72)) + 1) << a;
    EXPECT_EQ(u.w2, q - std::trunc(q)) << a;
    EXPECT_EQ(u.w1, 1 - (q - std::trunc(q))) << a;
  }
}

TEST(ConsultasME, BandEstimateInterpolatesBetweenCentresWithHermite) {
  auto me = ModeloDeTablas();
  for (double t : {0.0, 0.25, 0.5, 0.9}) {
    const double pd = 0.0005 + (1 + t) * 0.001; // between centres 2 and 3 of sector 1 only
    const TPotenciaRepresentantes r = me->PotenciaRepresentantes(0, pd, 1.225);
    EXPECT_NEAR(r.P, FactorDensidad(1.225) * Hermite(t, 2, 3, 200, 300, 0.001), 1e-9) << t;
    EXPECT_NEAR(r.peso, 20, 1e-9) << t;
  }
  // Below the first centre and beyond the last: the end band's line.
  EXPECT_NEAR(me->PotenciaRepresentantes(0, 0.0001, 1.225).P, FactorDensidad(1.225) * (1 + 100 * -0.0004),
              1e-12);
  const TPotenciaRepresentantes lejos = me->PotenciaRepresentantes(0, 0.012, 1.225);
  EXPECT_NEAR(lejos.P, FactorDensidad(1.225) * (60 + 1000 * (0.012 - 0.0095)), 1e-9);
  EXPECT_EQ(lejos.peso, 20);
  // Not capped at the authorised power; the S-curve estimate is.
  EXPECT_GT(me->PotenciaRepresentantes(0, 0.0095, 1.225).P, 50);
  EXPECT_EQ(me->PotenciaCurvaS(0, 0.05, 1.3), ParqueReferencia().potencia_autorizada_mw);
}

TEST(ConsultasME, ThinBandsGiveWeightMinusOne) {
  auto me = ModeloDeTablas();
  struct Caso {
    const char* nombre;
    double a, t0; // direction; position between centres 2 and 3 (t0 in 0..1) or 3 and 4 (t0 in 1..2)
    bool delgado;
  };
  const Caso casos[] = {
      {"mitad, banda inferior de 9", 5, 1.5, true},
      {"mitad, banda superior de 9", 5, 0.5, true},
      {"junto al centro 4", 5, 1.9995, false}, // t > 0.999: the 9-point band no longer counts
      {"junto al centro 2", 5, 0.0005, false}, // t < 0.001
      {"sector 2 con la mitad del peso", 2.5, 1.5, true},
      {"sector 2 con peso 0.0001", 0.0005, 1.5, false}, // w2 = 0.0001 <= 0.001
  };
  for (const Caso& c : casos) {
    const double pd = 0.0015 + c.t0 * 0.001;
    const TPotenciaRepresentantes r = me->PotenciaRepresentantes(c.a, pd, 1.225);
    if (c.delgado) {
      EXPECT_EQ(r.peso, -1) << c.nombre;
      EXPECT_EQ(r.P, 0) << c.nombre;
    } else {
      EXPECT_GT(r.peso, 0) << c.nombre;
      EXPECT_GT(r.P, 0) << c.nombre;
    }
  }
}

TEST(ConsultasME, SCurveAndItsInverse) {
  auto me = ModeloDeTablas();
  const double PMax = ParqueReferencia().curva_parque->potencia_max;
  // Through 0.1 MW at zero wind.
  EXPECT_NEAR(me->PotenciaCurvaS(0, 0, 1.225), 0.1 * FactorDensidad(1.225), 1e-12);
  for (double v : {4.0, 8.0, 11.0}) {
    const double P = PotenciaS(v, kAlfa, PMax);
    EXPECT_NEAR(me->PotenciaCurvaS(100, DensidadPotencia(v, 1.225), 1.225), FactorDensidad(1.225) * P, 1e-9);
    EXPECT_NEAR(me->VelocidadCurvaS(21, P), v, 1e-9);
  }
}

TEST(ConsultasME, LowBandsAreRepresentedByTheirLineAndHighBandsByTheirMean) {
  std::vector<TMuestra> m;
  // One sector, speeds 1 to 20 m/s, power growing with a bump so that line and mean differ.
  for (int i = 0; i < 400; ++i) {
    const double v = 1 + 19.0 * i / 399;
    m.push_back({v, 180 + 0.01 * (i % 7), 2.5 * v + (i % 3 == 0 ? 3.0 : 0.0)});
  }
  testing::internal::CaptureStdout();
  TParque_ModeloEmpirico me(ParqueReferencia(), SerieDe(m), 5, 95, false);
  testing::internal::GetCapturedStdout();
  const TClusterSector& cl = me.ClustersOrdenados[36];
  for (int b = 1; b <= 10; ++b) {
    if (me.Peso.e(37, b) < 2) continue;
    double suma = 0;
    int n = 0;
    for (int i = 1; i <= cl.Pv3.n(); ++i)
      if (cl.Pv3.e(i) >= me.BandasPv3.e(b) && cl.Pv3.e(i) <= me.BandasPv3.e(b + 1)) suma += cl.PE.e(i), ++n;
    EXPECT_EQ(me.Peso.e(37, b), n) << b;
    if (b <= 6)
      EXPECT_EQ(me.F0.e(37, b), me.A0.e(37, b) + me.A1.e(37, b) * me.Pv3Medio.e(b)) << b;
    else
      EXPECT_DOUBLE_EQ(me.F0.e(37, b), suma / n) << b;
  }
}
