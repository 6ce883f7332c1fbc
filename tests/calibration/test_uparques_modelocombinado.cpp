// The combined model: ratio table and smoothing, the correction factor, the per-sample estimate and
// the combined-model file.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <thread>

#include "calibration/comun_calibrador.h"
#include "calibration/uparques_modelocombinado.h"
#include "empirical/uparques_modeloempirico.h"
#include "farm/ucarpetas.h"
#include "farm/uparques_modeloteorico.h"
#include "num/uauxiliares.h"

namespace {

TMatR Matriz(std::initializer_list<std::initializer_list<double>> filas) {
  TMatR m(int(filas.size()), int(filas.begin()->size()));
  int i = 0;
  for (const auto& f : filas) {
    int j = 0;
    ++i;
    for (double x : f)
      m.pon_e(i, ++j, x);
  }
  return m;
}

// The combined model of the fast farm, built once (its console lines kept).
struct TConstruido {
  std::string clp, consola;
  std::unique_ptr<TParque_ModeloCombinado> mc;
};
const TConstruido& Construido() {
  static TConstruido c = [] {
    TConstruido r;
    r.clp = fixture::ClpRapido("mc_rapido.clp");
    testing::internal::CaptureStdout();
    r.mc = TParque_ModeloCombinado::Create(r.clp);
    r.consola = testing::internal::GetCapturedStdout();
    return r;
  }();
  return c;
}

} // namespace

TEST(SuavizadoMC, OneSweepAveragesTheFourNeighboursOfTheTableBeforeTheSweep) {
  // 3 sectors x 3 bands; the cells marked 0 in A are empty.
  TMatR M = Matriz({{1, 2, 3}, {4, 1, 6}, {7, 8, 9}});
  const TMatR A = Matriz({{0, 2, 3}, {4, 0, 6}, {7, 8, 9}});
  const double eps = BarridoSuavizado(M, A);
  // (1,1): itself for the missing band below, band 2, sector 3 (circular), sector 2.
  EXPECT_EQ(M.e(1, 1), (1.0 + 2 + 7 + 4) / 4);
  // (2,2) reads the old (1,2), (3,2), (2,1), (2,3), never the new (1,1).
  EXPECT_EQ(M.e(2, 2), (4.0 + 6 + 2 + 8) / 4);
  EXPECT_EQ(M.e(3, 3), 9);
  EXPECT_EQ(eps, 4.0); // (2,2): 5 - 1
}

TEST(SuavizadoMC, EpsilonIsTheLargestRiseAndTheSweepsStopAsDescribed) {
  struct TCaso {
    const char* nombre;
    TMatR M, A;
    int barridos; // -1: more than one
  };
  const TCaso casos[] = {
      {"every cell measured", Matriz({{1.1, 0.9}, {0.8, 1.2}}), Matriz({{1.1, 0.9}, {0.8, 1.2}}), 1},
      {"every change a decrease", Matriz({{2, 0.5}, {0.5, 0.5}}), Matriz({{0, 0.5}, {0.5, 0.5}}), 1},
      {"empty cells converge", Matriz({{1, 1, 1}, {1, 1, 1}, {2, 3, 4}}),
       Matriz({{0, 0, 0}, {0, 0, 0}, {2, 3, 4}}), -1},
  };
  for (const TCaso& c : casos) {
    TMatR M = c.M;
    testing::internal::CaptureStdout();
    const int n = SuavizarMatriz(M, c.A);
    const std::string salida = testing::internal::GetCapturedStdout();
    EXPECT_EQ(salida.substr(0, 22), "cnt_iter: 0, epsilon: ") << c.nombre;
    EXPECT_EQ(std::count(salida.begin(), salida.end(), '\n'), n) << c.nombre;
    if (c.barridos > 0) {
      EXPECT_EQ(n, c.barridos) << c.nombre;
      EXPECT_EQ(salida, "cnt_iter: 0, epsilon: " + RealATexto(0) + "\n") << c.nombre;
    } else {
      EXPECT_GT(n, 1) << c.nombre;
    }
    for (int k = 1; k <= M.nf(); ++k)
      for (int j = 1; j <= M.nc(); ++j)
        if (c.A.e(k, j) > 0) {
          EXPECT_EQ(M.e(k, j), c.A.e(k, j)) << c.nombre;
        }
  }
  TMatR fila = Matriz({{1, 0, 1}});
  EXPECT_THROW(SuavizarMatriz(fila, Matriz({{1, 0, 1}})), Exception);
}

TEST(ModeloCombinado, BuildsMeasuredRatiosAndSmoothsTheEmptyCells) {
  const TConstruido& c = Construido();
  const TParque_ModeloCombinado& mc = *c.mc;
  ASSERT_EQ(mc.MatrizCorreccion.nf(), 72);
  ASSERT_EQ(mc.MatrizCorreccion.nc(), 10);
  const std::string inicio = "kAng: 1 **********************\n1, 2, 3, 4, 5, 6, 7, 8, 9, 10, \nkAng: 2 ";
  EXPECT_EQ(c.consola.substr(0, inicio.size()), inicio);
  EXPECT_NE(c.consola.find("kAng: 72 **********************\n1, 2, 3, 4, 5, 6, 7, 8, 9, 10, \ncnt_iter: 0, "),
            std::string::npos);

  // Every cell with at least 10 samples and a theoretical power above 1 MW holds P_e / P_t, computed
  // here one cell after another on a copy of the farm.
  auto mt = mc.ModeloTeorico->Create_Copia();
  const TParque_ModeloEmpirico& me = *mc.ModeloEmpirico;
  int medidas = 0;
  double minMedido = 1e300, maxMedido = -1e300;
  for (int k = 1; k <= 72; ++k)
    for (int j = 1; j <= 10; ++j) {
      if (me.Peso.e(k, j) < 10) continue;
      const double dir = (k - 1) * 360.0 / 72, pd = me.Pv3Medio.e(j);
      mt->Preparar(false, dir, pd, 1.225);
      const double Pt = mt->ResolverMeteo(1.225, pd, 50);
      if (std::fabs(Pt) <= 1) continue;
      const double ratio = me.PotenciaRepresentantes(dir, pd, 1.225).P / Pt;
      if (ratio <= 0) continue;
      ++medidas;
      minMedido = std::min(minMedido, ratio);
      maxMedido = std::max(maxMedido, ratio);
      EXPECT_EQ(mc.MatrizCorreccion.e(k, j), ratio) << k << ", " << j;
    }
  EXPECT_GT(medidas, 300);
  // Band 1 (5 samples) and sector 10 (3 samples) are empty: filled from their neighbours, so within
  // the range of the measured ratios.
  for (int j = 1; j <= 10; ++j) {
    EXPECT_GE(mc.MatrizCorreccion.e(10, j), minMedido - 1e-3) << j;
    EXPECT_LE(mc.MatrizCorreccion.e(10, j), maxMedido + 1e-3) << j;
  }
  EXPECT_NE(mc.MatrizCorreccion.e(10, 5), 1.0);
}

TEST(ModeloCombinado, CorrectionFactorInterpolatesSectorsAndBands) {
  auto mc = std::make_unique<TParque_ModeloCombinado>(*Construido().mc);
  for (int k = 1; k <= 72; ++k)
    for (int j = 1; j <= 10; ++j)
      mc->MatrizCorreccion.pon_e(k, j, k + 100.0 * j);
  const TVectR& c = mc->ModeloEmpirico->Pv3Medio;
  EXPECT_EQ(mc->FactorCorreccion(360, c.e(3)), mc->FactorCorreccion(0, c.e(3)));
  EXPECT_EQ(mc->FactorCorreccion(0, c.e(3)), 301);
  EXPECT_DOUBLE_EQ(mc->FactorCorreccion(357.5, c.e(3)), 0.5 * 372 + 0.5 * 301);
  EXPECT_DOUBLE_EQ(mc->FactorCorreccion(7.5, c.e(3)), 302.5);
  EXPECT_EQ(mc->FactorCorreccion(0, c.e(1) * 0.5), 101); // below the first centre: column 1
  EXPECT_EQ(mc->FactorCorreccion(0, c.e(10) * 3), 1001); // beyond the last: column m
  EXPECT_DOUBLE_EQ(mc->FactorCorreccion(0, (c.e(4) + c.e(5)) / 2), 451);
}

TEST(ModeloCombinado, PerSampleEstimate) {
  auto mc = std::make_unique<TParque_ModeloCombinado>(*Construido().mc);
  const double v = 11, dir = 250, rho = 1.19;
  const double pd = rho * (v * v * v) / 2 / 1000000.0;

  // A setpoint at or above 0.99 P_aut: both combined outputs coincide, corrected at the mast density.
  for (double cgm : {49.5, 50.0, 1000000.0}) {
    const TPotenciasMC p = mc->CalcularPotencia(v, dir, rho, cgm, false);
    EXPECT_EQ(p.PConCGM, p.PSinCGM) << cgm;
    EXPECT_EQ(p.PSinCGM, std::min(p.PTeoSinCGM * mc->FactorCorreccion(dir, pd), 50.0)) << cgm;
  }

  // Curtailed: the setpoint caps the first output only.
  const TPotenciasMC lim = mc->CalcularPotencia(v, dir, rho, 20, false);
  const TPotenciasMC libre = mc->CalcularPotencia(v, dir, rho, 50, false);
  EXPECT_LT(lim.PConCGM, lim.PSinCGM);
  EXPECT_NEAR(lim.PTeoSinCGM, libre.PTeoSinCGM, 0.02 * libre.PTeoSinCGM);

  // Only the theoretical model: the table is not consulted.
  const TPotenciasMC t1 = mc->CalcularPotencia(v, dir, rho, 20, true);
  mc->MatrizCorreccion.PorReal(3.0);
  const TPotenciasMC t2 = mc->CalcularPotencia(v, dir, rho, 20, true);
  EXPECT_EQ(t1.PConCGM, t2.PConCGM);
  EXPECT_EQ(t1.PSinCGM, t2.PSinCGM);
  EXPECT_EQ(t1.PSinCGM, std::min(t1.PTeoSinCGM, 50.0));
  EXPECT_LE(t1.PConCGM, 20.0);
  const TPotenciasMC capado = mc->CalcularPotencia(v, dir, rho, 50, false);
  EXPECT_EQ(capado.PSinCGM, 50.0); // tripled factors: capped at the authorised power
  EXPECT_EQ(mc->CalcularPotencia(0, dir, rho, 50, false).PSinCGM, 0.0);
}

TEST(ModeloCombinado, SavedAndReloadedModelAndCopiesAnswerExactlyAsBefore) {
  const TConstruido& c = Construido();
  const std::string pmc = ArchivoEnCarpeta(CarpetaBasura(), "mc_rapido.pmc");
  c.mc->SaveToFile(pmc);
  // The calibrator's content, then the table.
  const std::string texto = fixture::LeerArchivo(pmc);
  EXPECT_EQ(texto.substr(0, fixture::LeerArchivo(c.clp).size()), fixture::LeerArchivo(c.clp));

  auto leido = TParque_ModeloCombinado::CreateLoadFromFile(pmc);
  auto original = c.mc->Create_Copia();
  for (int k = 1; k <= 72; ++k)
    for (int j = 1; j <= 10; ++j)
      ASSERT_EQ(leido->MatrizCorreccion.e(k, j), original->MatrizCorreccion.e(k, j));
  const double muestras[][4] = {
      {9, 250, 1.2, 50}, {12, 10, 1.23, 18}, {6.5, 359.9, 1.17, 49.6}, {15, 90, 1.22, 30}};
  std::vector<TPotenciasMC> enHilo(4);
  std::thread h([&] {
    auto copia = leido->Create_Copia();
    for (int i = 0; i < 4; ++i)
      enHilo[size_t(i)] =
          copia->CalcularPotencia(muestras[i][0], muestras[i][1], muestras[i][2], muestras[i][3], false);
  });
  h.join();
  for (int i = 0; i < 4; ++i) {
    const auto& m = muestras[i];
    const TPotenciasMC a = original->CalcularPotencia(m[0], m[1], m[2], m[3], false);
    const TPotenciasMC b = leido->CalcularPotencia(m[0], m[1], m[2], m[3], false);
    EXPECT_EQ(a.PConCGM, b.PConCGM) << i;
    EXPECT_EQ(a.PSinCGM, b.PSinCGM) << i;
    EXPECT_EQ(a.PTeoSinCGM, b.PTeoSinCGM) << i;
    EXPECT_EQ(a.PSinCGM, enHilo[size_t(i)].PSinCGM) << i;
    EXPECT_EQ(a.PConCGM, enHilo[size_t(i)].PConCGM) << i;
  }
}

TEST(ModeloCombinado, MalformedFilesFailNamingTheFileAndTheLine) {
  const TConstruido& c = Construido();
  const std::string pmc = ArchivoEnCarpeta(CarpetaBasura(), "mc_bueno.pmc");
  c.mc->SaveToFile(pmc);
  std::vector<std::string> l;
  {
    std::istringstream is(fixture::LeerArchivo(pmc));
    for (std::string x; std::getline(is, x);)
      l.push_back(x);
  }
  const size_t inicioTabla = l.size() - (2 + 72 * 11); // the table's row-count line, 0-based
  struct TCaso {
    const char* nombre;
    std::vector<std::string> lineas;
    const char* mensaje;
  };
  auto cambiar = [&](size_t i, const std::string& t) {
    auto x = l;
    x[i] = t;
    return x;
  };
  const TCaso casos[] = {
      {"table without its last rows", std::vector<std::string>(l.begin(), l.end() - 5), "termina"},
      {"table of another shape", cambiar(inicioTabla, "71"), "tabla de corrección"},
      {"unreadable factor", cambiar(inicioTabla + 4, "uno"), "número"},
      {"a calibrator without table", std::vector<std::string>(l.begin(), l.begin() + long(inicioTabla)),
       "termina"},
  };
  for (const TCaso& cs : casos) {
    const std::string archivo = ArchivoEnCarpeta(CarpetaBasura(), "mc_malo.pmc");
    {
      std::ofstream os(archivo, std::ios::binary);
      for (const auto& x : cs.lineas)
        os << x << "\r\n";
    }
    try {
      TParque_ModeloCombinado::CreateLoadFromFile(archivo);
      ADD_FAILURE() << cs.nombre << ": no falló";
    } catch (const Exception& e) {
      const std::string m = e.what();
      EXPECT_NE(m.find("Archivo " + archivo + ", línea "), std::string::npos) << cs.nombre << ": " << m;
      EXPECT_NE(m.find(cs.mensaje), std::string::npos) << cs.nombre << ": " << m;
    }
  }
}
