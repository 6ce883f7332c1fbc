// Free functions of the empirical model: repeated-value runs, sector membership, cyclic completion,
// day and night of a sample, chart file names.
#include <gtest/gtest.h>

#include "empirical/uparques_modeloempirico.h"
#include "num/uauxiliares.h"

namespace {

TVectR Vector(const std::vector<double>& v) {
  return TVectR::Create_FromDA(v, 1);
}

std::string Marcas(const TDAOfBoolean& f) {
  std::string s;
  for (size_t k = 1; k < f.size(); ++k)
    s += f[k] ? '1' : '0';
  return s;
}

} // namespace

TEST(FiltroRepetidos, RunsLongerThanTheWindowAreFlaggedButTheirLastSample) {
  struct Caso {
    const char* nombre;
    std::vector<double> x;
    std::string marcas;
    int cuenta;
  };
  const Caso casos[] = {
      // nine equal values: the first eight flagged, counted when the run ends
      {"nueve", {1, 5, 5, 5, 5, 5, 5, 5, 5, 5, 2, 3}, "011111111000", 8},
      // eight equal values: nothing
      {"ocho", {1, 5, 5, 5, 5, 5, 5, 5, 5, 2, 3}, "00000000000", 0},
      // ten equal values flag nine
      {"diez", {1, 5, 5, 5, 5, 5, 5, 5, 5, 5, 5, 2, 3}, "0111111111000", 9},
      // a run still open when the scan reaches sample n - 1 is flagged but not counted
      {"abierta", {1, 5, 5, 5, 5, 5, 5, 5, 5, 5, 5}, "01111111100", 0},
  };
  for (const Caso& c : casos) {
    const TVectR x = Vector(c.x);
    TDAOfBoolean mascara(x.n() + 1, false), flags(x.n() + 1, false);
    EXPECT_EQ(FiltroRepetidos(flags, x, 8, mascara), c.cuenta) << c.nombre;
    EXPECT_EQ(Marcas(flags), c.marcas) << c.nombre;
  }
}

TEST(FiltroRepetidos, AMaskedSampleEndsTheRun) {
  // Nine equal values with a masked one in the middle: two runs of four and four.
  const TVectR x = Vector({1, 5, 5, 5, 5, 5, 5, 5, 5, 5, 2, 3});
  TDAOfBoolean mascara(x.n() + 1, false), flags(x.n() + 1, false);
  mascara[5] = true;
  EXPECT_EQ(FiltroRepetidos(flags, x, 8, mascara), 0);
  EXPECT_EQ(Marcas(flags), "000000000000");
  // Everything masked: nothing to examine.
  TDAOfBoolean todo(x.n() + 1, true);
  EXPECT_EQ(FiltroRepetidos(flags, x, 8, todo), 0);
}

TEST(EnSector, SeventyTwoSectorsWithOverlapShareOneDegree) {
  const double h = (360.0 / 72) * 0.5 * (1 + 0.2);
  struct Caso {
    double a;
    std::vector<int> sectores;
  };
  const Caso casos[] = {{0, {1}}, {2.5, {1, 2}}, {3, {1, 2}}, {3.5, {2}}, {358, {72}}, {359, {}}, {360, {}}};
  for (const Caso& c : casos) {
    std::vector<int> en;
    for (int s = 1; s <= 72; ++s)
      if (EnSector(h, (360.0 / 72) * (s - 1), c.a)) en.push_back(s);
    EXPECT_EQ(en, c.sectores) << c.a;
  }
  EXPECT_TRUE(EnSector(3, 5, 726));  // more than a turn away is reduced by whole turns
  EXPECT_FALSE(EnSector(3, 5, 365)); // exactly a turn is not reduced
}

TEST(CompletarCiclico, UnknownRowsTakeTheMeanOfTheirNeighboursAroundTheCircle) {
  TMatR M(72, 1);
  M.pon_e(1, 1, 1);
  M.pon_e(3, 1, 3);
  TMatR X;
  testing::internal::CaptureStdout();
  CompletarCiclico(X, M);
  const std::string salida = testing::internal::GetCapturedStdout();
  EXPECT_EQ(X.nf(), 72);
  EXPECT_EQ(X.e(1, 1), 1);
  EXPECT_EQ(X.e(2, 1), 2);
  EXPECT_EQ(X.e(3, 1), 3);
  // Between sector 3 and sector 1 the long way round, close to a straight line.
  EXPECT_NEAR(X.e(37, 1), 3 - 2.0 * 34 / 70, 0.1);
  EXPECT_EQ(salida.rfind("cnt_iter: 0, epsilon: " + RealATexto(2) + "\n", 0), 0u) << salida.substr(0, 80);
}

TEST(CompletarCiclico, NoKnownRowStopsAfterOneSweep) {
  TMatR M(72, 1), X;
  M.pon_e(5, 1, -1); // a failed fit is not a known value
  testing::internal::CaptureStdout();
  CompletarCiclico(X, M);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "cnt_iter: 0, epsilon: " + RealATexto(0) + "\n");
  for (int i = 1; i <= 72; ++i)
    EXPECT_EQ(X.e(i, 1), 0);
}

TEST(EsMuestraDiurna, SevenOClockIsDayAndEightPmIsNight) {
  // Instants as the model builds them: first sample + (k - 1) * 1/144, which lands a hair off.
  const double t0 = CodificarFecha(2016, 3, 5);
  const double dt = 1.0 / 144.0;
  EXPECT_FALSE(EsMuestraDiurna(t0 + 41 * dt));  // 06:50
  EXPECT_TRUE(EsMuestraDiurna(t0 + 42 * dt));   // 07:00
  EXPECT_TRUE(EsMuestraDiurna(t0 + 119 * dt));  // 19:50
  EXPECT_FALSE(EsMuestraDiurna(t0 + 120 * dt)); // 20:00
  EXPECT_FALSE(EsMuestraDiurna(t0));            // midnight
  for (int dia = 0; dia < 800; ++dia) {
    const int k = dia * 144;
    EXPECT_TRUE(EsMuestraDiurna(t0 + (k + 42) * dt)) << dia;
    EXPECT_FALSE(EsMuestraDiurna(t0 + (k + 120) * dt)) << dia;
  }
}

TEST(NombreGraficoSector, AngleTimesHundredPassAndAlfaFilt) {
  EXPECT_EQ(NombreGraficoSector(5, 1, 0), "500_1_0.jpg");
  EXPECT_EQ(NombreGraficoSector(355, 2, 0), "35500_2_0.jpg");
  EXPECT_EQ(NombreGraficoSector(0, 1, 0), "0_1_0.jpg");
}
