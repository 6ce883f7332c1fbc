// Real vectors and matrices: interpolation, sorting order, text forms, file blocks, printed forms
// and the linear-system solver with its determinant.
#include "num/matreal.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "num/MatEnt.h"
#include "num/uauxiliares.h"
#include "num/utexto_archivos.h"

namespace fs = std::filesystem;

namespace {

TVectR Vec(std::initializer_list<double> xs) {
  return TVectR::Create_FromDA(TDAofNReal(xs), 1);
}

TMatR Mat(std::initializer_list<std::initializer_list<double>> filas) {
  TMatR m(int(filas.size()), int(filas.begin()->size()));
  int i = 1;
  for (const auto& f : filas) {
    int j = 1;
    for (double x : f)
      m.pon_e(i, j++, x);
    ++i;
  }
  return m;
}

fs::path Archivo(const std::string& nombre) {
  const char* base = std::getenv("AURVEND_BASE");
  fs::path p = fs::path(base ? base : fs::temp_directory_path().string()) / "matreal" / nombre;
  fs::remove_all(p);
  return p;
}

std::string Contenido(const fs::path& p) {
  std::ifstream is(p, std::ios::binary);
  std::ostringstream os;
  os << is.rdbuf();
  return os.str();
}

} // namespace

TEST(AsumaCero, IsTheDoubleEpsilon) {
  EXPECT_EQ(AsumaCero, std::ldexp(1.0, -52));
  EXPECT_TRUE(EsCero(AsumaCero / 2));
  EXPECT_FALSE(EsCero(AsumaCero));
  EXPECT_EQ(dos_pi, 2 * M_PI);
}

TEST(TVectR, InterpolClampsBothEndsAndInterpolatesInside) {
  const TVectR v = Vec({10, 20, 40, 80});
  struct {
    double x, esperado;
  } casos[] = {{0.5, 10}, {-3, 10}, {1, 10}, {2.25, 20 + 0.25 * (40 - 20)}, {3.5, 60}, {4, 80}, {7, 80}};
  for (const auto& c : casos)
    EXPECT_EQ(v.interpol(c.x), c.esperado) << "x = " << c.x;
}

TEST(TVectR, InvInterpolExtrapolatesOutsideAndHitsExactValues) {
  const TVectR v = Vec({1, 2, 4, 8});
  struct {
    double y, esperado;
  } casos[] = {{0, 0}, {1, 1}, {2, 2}, {4, 3}, {8, 4}, {3, 2.5}, {10, 4.5}, {0.5, 0.5}};
  for (const auto& c : casos)
    EXPECT_DOUBLE_EQ(v.inv_interpol(c.y), c.esperado) << "y = " << c.y;

  EXPECT_EQ(TVectR().inv_interpol(1), -1);
  const TVectR uno = Vec({5});
  EXPECT_EQ(uno.inv_interpol(4), -1);
  EXPECT_EQ(uno.inv_interpol(6), 2);
  EXPECT_EQ(uno.inv_interpol(5), 1);
  // A flat start answers 1 on its value and -1 elsewhere; a flat end n or n + 1.
  EXPECT_EQ(Vec({3, 3, 5}).inv_interpol(3), 1);
  EXPECT_EQ(Vec({3, 3, 5}).inv_interpol(2), -1);
  EXPECT_EQ(Vec({1, 5, 5}).inv_interpol(5.0), 2);
  EXPECT_EQ(Vec({1, 5, 5}).inv_interpol(6.0), 4);
}

TEST(TVectR, MinMaxKeepsFirstOfTies) {
  const TVectR v = Vec({3, 1, 7, 1, 7, 2});
  double vmin, vmax;
  int imin, imax;
  v.MinMax(vmin, imin, vmax, imax);
  EXPECT_EQ(vmin, 1);
  EXPECT_EQ(imin, 2);
  EXPECT_EQ(vmax, 7);
  EXPECT_EQ(imax, 3);
  EXPECT_EQ(v.min(), 1);
  EXPECT_EQ(v.max(), 7);
}

TEST(TVectR, AproximacionLinealThroughTwoPoints) {
  const TVectR x = Vec({1, 3, 10});
  const TVectR y = Vec({5, 11, 99});
  double a, b, res;
  EXPECT_EQ(y.AproximacionLineal(x, 0, 10, a, b, res), 2); // x = 10 lies outside [0, 10)
  EXPECT_NEAR(a, 3, 1e-12);
  EXPECT_NEAR(b, 2, 1e-12);
  EXPECT_NEAR(res, 0, 1e-10);

  EXPECT_EQ(y.AproximacionLineal(x, 20, 30, a, b, res), -1);
  EXPECT_EQ(a, 0);
  EXPECT_EQ(b, 0);
}

TEST(TVectR, AproximacionLinealOnOneAbscissaRaises) {
  {
    // The normal equations of two points at x = 19.58 pass the solver's own singularity test.
    const double x0 = 19.58;
    TMatR A(2, 2), B(2, 1);
    A.pon_e(1, 1, (x0 * x0 + x0 * x0) / 2);
    A.pon_e(1, 2, (x0 + x0) / 2);
    A.pon_e(2, 1, (x0 + x0) / 2);
    A.pon_e(2, 2, 1);
    double det;
    int exponente;
    EXPECT_TRUE(A.Resolver(B, det, exponente));
  }
  // x = 19.58 leaves a last pivot of 1.1e-16 that the solver accepts; x = 3 an exact zero pivot;
  // x = 0 a zero first column.
  for (double x0 : {19.58, 3.0, 0.0}) {
    const TVectR x = Vec({x0, x0});
    const TVectR y = Vec({1, 2});
    double a, b, res;
    try {
      y.AproximacionLineal(x, -1, 100, a, b, res);
      ADD_FAILURE() << "no error for x = " << x0;
    } catch (const Exception& ex) {
      EXPECT_STREQ(ex.what(), "TVectR.AproximacionLineal res= 0");
    }
  }
}

TEST(TVectR, SortOrderOfEqualValuesFollowsTheMiddlePivotQuicksort) {
  struct {
    bool ascendente;
    std::vector<double> valores;
    std::vector<int> indices;
  } casos[] = {
      {true, {0, 1, 1, 1, 2, 2, 2, 2, 2, 3, 3}, {7, 5, 9, 2, 11, 8, 3, 1, 6, 10, 4}},
      {false, {3, 3, 2, 2, 2, 2, 2, 1, 1, 1, 0}, {4, 10, 6, 11, 8, 3, 1, 2, 5, 9, 7}},
  };
  for (const auto& c : casos) {
    TVectR v = Vec({2, 1, 2, 3, 1, 2, 0, 2, 1, 3, 2});
    TDAofNInt idx(12);
    for (int i = 0; i < 12; ++i)
      idx[size_t(i)] = i;
    v.SortConIndice(c.ascendente, idx);
    EXPECT_EQ(v.ToDA(), c.valores);
    EXPECT_EQ(std::vector<int>(idx.begin() + 1, idx.end()), c.indices);
  }

  // A longer run with many ties checks the recursion as a whole.
  TVectR v = Vec({9, 4, 5, 8, 0, 7, 3, 0, 2, 1, 5, 7, 3, 6, 8, 1, 9, 3, 0, 3,
                  6, 4, 2, 6, 2, 1, 2, 9, 9, 7, 2, 2, 0, 0, 3, 3, 2, 2, 4, 5});
  TDAofNInt idx(41);
  for (int i = 0; i < 41; ++i)
    idx[size_t(i)] = i;
  v.SortConIndice(true, idx);
  const std::vector<int> esperado = {34, 5,  33, 19, 8,  16, 26, 10, 25, 27, 23, 37, 38, 9,
                                     32, 31, 20, 35, 36, 7,  13, 18, 39, 2,  22, 40, 11, 3,
                                     24, 21, 14, 6,  30, 12, 15, 4,  17, 1,  29, 28};
  EXPECT_EQ(std::vector<int>(idx.begin() + 1, idx.end()), esperado);

  TDAofNInt corto(3);
  EXPECT_THROW(v.SortConIndice(true, corto), Exception);
}

TEST(TVectR, PermutarAndDesPermutarAreInverse) {
  TVectR v = Vec({10, 20, 30, 40});
  const TDAofNInt p = {0, 3, 1, 4, 2};
  v.Permutar(p);
  EXPECT_EQ(v.ToDA(), (TDAofNReal{30, 10, 40, 20}));
  v.DesPermutar(p);
  EXPECT_EQ(v.ToDA(), (TDAofNReal{10, 20, 30, 40}));
}

TEST(TVectR, ArithmeticAndRanges) {
  TVectR v = Vec({1, 2, 3, 4});
  const TVectR w = Vec({1, 1, 1, 1});
  EXPECT_EQ(v.PEscalar(w), 10);
  EXPECT_EQ(v.Suma2(), 30);
  EXPECT_EQ(v.Promedio(), 2.5);
  EXPECT_EQ(v.SumaDesdeHasta(2, 3), 5);
  EXPECT_EQ(v.SumaDesdeHasta(3, 2), 0);
  EXPECT_EQ(v.ToDA(2, 3), (TDAofNReal{2, 3}));
  v.SumaRango(2, 3, 10, w);
  v.PorReal(3, 2);
  EXPECT_EQ(v.ToDA(), (TDAofNReal{1, 12, 26, 8}));
  v.Resize(6);
  EXPECT_EQ(v.ToDA(), (TDAofNReal{1, 12, 26, 8, 0, 0}));
  v.Resize(2);
  EXPECT_EQ(v.ProdElemento(Vec({2, 3})).ToDA(), (TDAofNReal{2, 36}));
}

TEST(TVectR, TextFormParsesExpressionsAndRoundTrips) {
  const TVectR v = TVectR::Create_FromStr("vector: [3| 1 ; 2*2 ;\t-0.5 ]");
  EXPECT_EQ(v.ToDA(), (TDAofNReal{1, 4, -0.5}));
  EXPECT_EQ(TVectR::Create_FromStr("[1|7.25]").ToDA(), (TDAofNReal{7.25}));
  EXPECT_EQ(TVectR::Create_FromStr("[0|]").n(), 0);

  const TVectR w = Vec({1.0 / 3, -2.5e-7, 12345});
  const TVectR r = TVectR::Create_FromStr(w.ToStr());
  for (int i = 1; i <= 3; ++i)
    EXPECT_NEAR(r.e(i), w.e(i), 1e-14 * std::fabs(w.e(i)));
}

TEST(TVectR, TextFormErrorsNameTheBadPiece) {
  struct {
    const char* texto;
    const char* mensaje;
  } casos[] = {
      {"[x|1]", "\"x\" is an invalid integer"},
      {"[2|1;X+1]", "Error: no se puede evaluar \"X+1\" a un número real"},
  };
  for (const auto& c : casos) {
    try {
      TVectR::Create_FromStr(c.texto);
      ADD_FAILURE() << c.texto;
    } catch (const Exception& ex) {
      EXPECT_STREQ(ex.what(), c.mensaje);
    }
  }
  EXPECT_THROW(TVectR::Create_FromStr("[-2|1;2]"), Exception);
}

TEST(TVectR, FileBlockRoundTripsExactly) {
  const fs::path p = Archivo("vector.txt");
  const TVectR v = Vec({1, -0.035, 1.0 / 3});
  {
    TEscritorTexto f(p.string());
    v.SaveToText(f);
    f.Cerrar();
  }
  EXPECT_EQ(Contenido(p), "3\r\n 1.0000000000000000E+000\r\n-3.5000000000000003E-002\r\n"
                          " 3.3333333333333331E-001\r\n");
  TLectorTexto l(p.string());
  EXPECT_EQ(TVectR::Create_LoadFromText(l).ToDA(), v.ToDA());

  TLectorTexto malo = TLectorTexto::DesdeTexto("2\n1.5\nuno\n", "malo.txt");
  EXPECT_THROW(TVectR::Create_LoadFromText(malo), Exception);
}

TEST(TVectR, PrintForms) {
  testing::internal::CaptureStdout();
  Vec({1.5, -22.123456}).print();
  EXPECT_EQ(testing::internal::GetCapturedStdout(), " TVectR.print.inicio\n"
                                                    " N:      1 :       1.5000\n"
                                                    " N:      2 :     -22.1235\n"
                                                    " TVectR.print.fin\n");
  TVectE e(2);
  e.pon_e(2, -7);
  testing::internal::CaptureStdout();
  e.print();
  EXPECT_EQ(testing::internal::GetCapturedStdout(), " TVectE.print.inicio\n"
                                                    " N:      1 :            0\n"
                                                    " N:      2 :           -7\n"
                                                    " TVectE.print.fin\n");
  testing::internal::CaptureStdout();
  Mat({{1, -2.5}, {1000.25, 0}}).print();
  EXPECT_EQ(testing::internal::GetCapturedStdout(), " TVectR.print.inicio\n"
                                                    "        1.000       -2.500\n"
                                                    "     1000.250        0.000\n"
                                                    " TVectR.print.fin\n");
}

TEST(ArrayHelpers, BuscarPosicionAndExtremes) {
  const TDAofNReal a = {1, 2, 2, 3, 5};
  struct {
    double x;
    int esperado;
  } casos[] = {{0, 0}, {1, 1}, {2, 3}, {2.5, 3}, {5, 5}, {9, 5}};
  for (const auto& c : casos)
    EXPECT_EQ(BuscarPosicion(a, 0, 4, c.x), c.esperado) << c.x;
  EXPECT_EQ(MinDA({3, 1, 1, 4}), 1);
  EXPECT_EQ(MaxDA({3, 1, 4, 4}), 4);
  TDAofNReal x = {1}, y = {2, 3};
  SwapDA(x, y);
  EXPECT_EQ(x, (TDAofNReal{2, 3}));
  TDAOfBoolean b(3);
  PonerTodos(b, true);
  EXPECT_EQ(b, (TDAOfBoolean{true, true, true}));
  TDAofNInt z = {4, 5};
  PonerACeros(z);
  EXPECT_EQ(z, (TDAofNInt{0, 0}));
}

// ---------------------------------------------------------------- TMatR

TEST(TMatR, ResolverSolvesWithDeterminant) {
  TMatR A = Mat({{2, 1}, {1, 3}});
  TMatR B = Mat({{3}, {5}});
  double det;
  int exponente;
  ASSERT_TRUE(A.Resolver(B, det, exponente));
  EXPECT_NEAR(B.e(1, 1), 0.8, 1e-15);
  EXPECT_NEAR(B.e(2, 1), 1.4, 1e-15);
  EXPECT_DOUBLE_EQ(det * std::pow(10.0, exponente), 5);
}

TEST(TMatR, ResolverDeterminantSignAndScale) {
  struct {
    TMatR A;
    double mantisa;
    int exponente;
  } casos[] = {
      {Mat({{1, 2}, {3, 4}}), -2, 0},                   // one row exchange
      {Mat({{1e5, 0}, {0, 1e5}}), 1000, 7},             // normalised running product
      {Mat({{0, 0, 2}, {0, 3, 0}, {4, 0, 0}}), -24, 0}, // anti-diagonal
      {Mat({{1e-4, 0}, {0, 1e-4}}), 0.001, -5},         // small determinant
  };
  for (auto& c : casos) {
    TMatR B(c.A.nf(), 2);
    B.Unos();
    double det;
    int exponente;
    ASSERT_TRUE(c.A.Resolver(B, det, exponente));
    EXPECT_NEAR(det, c.mantisa, 1e-12 * std::fabs(c.mantisa));
    EXPECT_EQ(exponente, c.exponente);
  }
}

TEST(TMatR, ResolverSurvivesAnOverflowingDeterminant) {
  // 999 * 1e306 overflows the running product; the solution does not depend on it.
  TMatR A = Mat({{999, 0}, {0, 1e306}});
  TMatR B = Mat({{999}, {2e306}});
  double det;
  int exponente;
  ASSERT_TRUE(A.Resolver(B, det, exponente));
  EXPECT_TRUE(std::isinf(det));
  EXPECT_EQ(B.e(1, 1), 1);
  EXPECT_EQ(B.e(2, 1), 2);
}

TEST(TMatR, ResolverReportsSingularSystems) {
  struct {
    const char* nombre;
    TMatR A;
  } casos[] = {
      {"equal rows", Mat({{1, 2, 3}, {1, 2, 3}, {0, 1, 5}})},
      {"last pivot exactly 0", Mat({{1, 2}, {2, 4}})},
      {"zero column", Mat({{0, 1}, {0, 2}})},
  };
  for (auto& c : casos) {
    TMatR B(c.A.nf(), 1);
    double det;
    int exponente;
    EXPECT_FALSE(c.A.Resolver(B, det, exponente)) << c.nombre;
  }
}

TEST(TMatR, IntercambiarFilasSwapsTheRowObjects) {
  TMatR m = Mat({{1, 2}, {3, 4}});
  const double* fila1 = m.fila(1).datos();
  m.IntercambiarFilas(1, 2);
  EXPECT_EQ(m.fila(2).datos(), fila1);
  EXPECT_EQ(m.e(1, 1), 3);
  m.fila(1).pon_e(2, 9);
  EXPECT_EQ(m.e(1, 2), 9);
}

TEST(TMatR, TextForm) {
  TMatR id(2, 2);
  id.pon_e(1, 1, 1);
  id.pon_e(2, 2, 1);
  EXPECT_EQ(id.ToStr(), "[2|2][1;0][0;1]");
  EXPECT_EQ(Mat({{1.23456e-7, 0.98765432}}).ToStr(), "[1|2][1.2346E-0007;0.98765]");

  const TMatR m = Mat({{1.0 / 3, -123456.789}, {2.5e-9, 7}, {0.1, 1e20}});
  const TMatR r = TMatR::Create_FromStr(m.ToStr());
  ASSERT_EQ(r.nf(), 3);
  ASSERT_EQ(r.nc(), 2);
  for (int i = 1; i <= 3; ++i)
    for (int j = 1; j <= 2; ++j)
      EXPECT_NEAR(r.e(i, j), m.e(i, j), 5e-5 * std::fabs(m.e(i, j)));

  const TMatR p = TMatR::Create_FromStr("tabla [2 | 3 ]\n[1;2;3]\n [4; 2^2 ;6]");
  EXPECT_EQ(p.fila(2).ToDA(), (TDAofNReal{4, 4, 6}));
  EXPECT_THROW(TMatR::Create_FromStr("[2|2][1;2]"), Exception); // missing row: empty pieces
}

TEST(TMatR, Interpol2OnStationTable) {
  TMatR t(72, 1);
  for (int i = 1; i <= 72; ++i)
    t.pon_e(i, 1, i * 10.0);
  EXPECT_EQ(t.interpol2(0.2, 1), 10);
  EXPECT_EQ(t.interpol2(71.5, 1), (710 + 720) / 2.0);
  EXPECT_EQ(t.interpol2(80, 5), 720);

  const TMatR b = Mat({{0, 10, 20}, {100, 110, 120}});
  EXPECT_DOUBLE_EQ(b.interpol2(1.5, 2.5), 65);
  EXPECT_DOUBLE_EQ(b.interpol2(1.25, 0), 25);
  EXPECT_DOUBLE_EQ(b.interpol2(1.25, 9), 45);
}

TEST(TMatR, WholeMatrixOperations) {
  TMatR m = Mat({{1, 5}, {5, -2}});
  EXPECT_EQ(m.max(), 5);
  EXPECT_EQ(m.SumaTotal(), 9);
  m.PorReal(2);
  m.ProdElemento(Mat({{1, 0}, {2, 1}}));
  EXPECT_EQ(m.fila(1).ToDA(), (TDAofNReal{2, 0}));
  EXPECT_EQ(m.fila(2).ToDA(), (TDAofNReal{20, -4}));
  TMatR s(2, 2);
  s.Suma(m, m);
  EXPECT_EQ(s.SumaTotal(), 36);
}

TEST(TMatR, FileBlockAndTable) {
  const fs::path p = Archivo("matriz.txt");
  const TMatR m = Mat({{1, 2.5}, {-3, 0}});
  {
    TEscritorTexto f(p.string());
    m.SaveToText(f);
    m.WriteTabla(f);
    f.Cerrar();
  }
  EXPECT_EQ(Contenido(p), "2\r\n2\r\n"
                          "2\r\n 1.0000000000000000E+000\r\n 2.5000000000000000E+000\r\n"
                          "2\r\n-3.0000000000000000E+000\r\n 0.0000000000000000E+000\r\n"
                          "NFilas: \t2\tNColumnas: \t2\r\n"
                          " \t1\t2\r\n"
                          "1\t 1.0000000000000000E+000\t 2.5000000000000000E+000\r\n"
                          "2\t-3.0000000000000000E+000\t 0.0000000000000000E+000\r\n");
  TLectorTexto l(p.string());
  const TMatR r = TMatR::Create_LoadFromText(l);
  EXPECT_EQ(r.ToStr(), m.ToStr());

  // A row whose count disagrees with the column count names the line.
  TLectorTexto malo = TLectorTexto::DesdeTexto("1\n2\n1\n5\n", "malo.pmt");
  try {
    TMatR::Create_LoadFromText(malo);
    ADD_FAILURE();
  } catch (const Exception& ex) {
    EXPECT_NE(std::string(ex.what()).find("malo.pmt"), std::string::npos) << ex.what();
  }
}
