// Construction of the empirical model on hand-made series of the reference farm: period check,
// series count, fit limits, band systems, outliers, statistics.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>

#include "comun_me.h"
#include "empirical/uparques_modeloempirico.h"
#include "farm/ucarpetas.h"
#include "farm/ucurvasaeros.h"
#include "generador/generador_series.h"
#include "num/fddp.h"
#include "num/uauxiliares.h"
#include "num/utexto_archivos.h"

namespace {

namespace fs = std::filesystem;

// A small deterministic generator for scattered samples.
struct TAzar {
  unsigned long long s = 12345;
  double u() {
    s = s * 6364136223846793005ULL + 1442695040888963407ULL;
    return double(s >> 11) / double(1ULL << 53);
  }
};

const double kRho = DensidadAire(15, 1013, 50);

// n samples around direction `ang` whose power at standard density follows an S-curve of slope
// `alfa` through 0.1 MW at v = 0, inside the fit range (speeds 6 to 10 m/s).
void AgregarSector(std::vector<TMuestra>& m, double ang, int n, double alfa, TAzar& az) {
  const double PMax = ParqueReferencia().curva_parque->potencia_max;
  for (int i = 0; i < n; ++i) {
    const double v = 6 + 4 * az.u();
    const double x = VelocidadDeDensidad(DensidadPotencia(v, kRho), 1.225);
    TMuestra s{v, ang - 0.5 + az.u(), PotenciaS(x, alfa, PMax) * FactorDensidad(kRho)};
    m.push_back(s);
  }
}

std::unique_ptr<TParque_ModeloEmpirico> Construir(const std::vector<TMuestra>& m, int inf = 5, int sup = 95,
                                                  bool reportes = false) {
  testing::internal::CaptureStdout();
  try {
    auto me = std::make_unique<TParque_ModeloEmpirico>(ParqueReferencia(), SerieDe(m), inf, sup, reportes);
    testing::internal::GetCapturedStdout();
    return me;
  } catch (...) {
    testing::internal::GetCapturedStdout();
    throw;
  }
}

// Runs one pass again with no outlier excluded, as the first pass saw the samples.
void RepetirPrimeraPasada(TParque_ModeloEmpirico& me, int inf = 5, int sup = 95) {
  me.Filtro_Distancia.assign(me.Filtro_Distancia.size(), false);
  testing::internal::CaptureStdout();
  me.AjustarSectores(72, 10, inf, sup, 1, 0.2);
  testing::internal::GetCapturedStdout();
}

int Contar(const TDAOfBoolean& f) {
  int c = 0;
  for (size_t k = 1; k < f.size(); ++k)
    c += f[k];
  return c;
}

} // namespace

TEST(ModeloEmpirico, PeriodWithinOneSecondOfTenMinutesIsAccepted) {
  TAzar az;
  std::vector<TMuestra> m;
  AgregarSector(m, 90, 30, 0.6, az);
  for (double h : {0.1666, 0.1665}) {
    testing::internal::CaptureStdout();
    TParque_ModeloEmpirico me(ParqueReferencia(), SerieDe(m, h), 5, 95, false);
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(me.dtEntreMuestras_dias, 1.0 / 144.0) << h;
    EXPECT_EQ(me.Tiempo.e(3), me.dtPrimeraMuestra + 2 * (1.0 / 144.0));
  }
  try {
    TParque_ModeloEmpirico me(ParqueReferencia(), SerieDe(m, 0.166), 5, 95, false);
    FAIL() << "0.166 h accepted";
  } catch (const Exception& e) {
    EXPECT_EQ(std::string(e.what()),
              "ERROR en archivo series, Perioedo Entre Muestras : " + RealATextoGeneral(0.166) +
                  " debe ser " + RealATextoGeneral(1.0 / 6.0));
  }
}

TEST(ModeloEmpirico, FewerThanNineSeriesNamesTheFileAndTheCount) {
  TAzar az;
  std::vector<TMuestra> m;
  AgregarSector(m, 90, 20, 0.6, az);
  const std::string archivo = CarpetaBasura() + "/ocho_series.sas";
  EscribirArchivoSeries(*SerieDe(m, 1.0 / 6.0, 8), archivo);
  try {
    TParque_ModeloEmpirico me(ParqueReferencia(), archivo, 5, 95, false);
    FAIL() << "accepted";
  } catch (const Exception& e) {
    const std::string msg = e.what();
    EXPECT_NE(msg.find(archivo), std::string::npos) << msg;
    EXPECT_NE(msg.find("tiene 8 series"), std::string::npos) << msg;
  }
}

TEST(ModeloEmpirico, OutliersAreTheWorstTenthOfTheUsableSamples) {
  for (auto [usables, atipicos] : {std::pair{1000, 100}, std::pair{15, 2}}) {
    TAzar az;
    std::vector<TMuestra> m;
    for (int i = 0; i < usables; ++i)
      AgregarSector(m, 360 * az.u(), 1, 0.6, az);
    for (auto& x : m)
      x.pe += 2 * az.u() - 1;
    // Samples that other filters reject never become outliers.
    m.push_back({-50, 10, 10});
    m.push_back({8, 20, 10, 15, 1013, 50, 20});
    auto me = Construir(m);
    EXPECT_EQ(Contar(me->Filtro_Distancia), atipicos) << usables;
    EXPECT_FALSE(me->Filtro_Distancia[usables + 1]);
    EXPECT_FALSE(me->Filtro_Distancia[usables + 2]);
  }
}

TEST(ModeloEmpirico, ASectorNeedsElevenFitPoints) {
  TAzar az;
  std::vector<TMuestra> m;
  AgregarSector(m, 180, 11, 0.6, az); // sector 37
  AgregarSector(m, 90, 10, 0.6, az);  // sector 19
  auto me = Construir(m);
  RepetirPrimeraPasada(*me);
  EXPECT_EQ(me->cntMuestras.e(37), 11);
  EXPECT_GT(me->errc2.e(37), 0);
  EXPECT_EQ(me->cntMuestras.e(19), 10);
  EXPECT_EQ(me->errc2.e(19), 0);
}

TEST(ModeloEmpirico, SectorsOfFiftyPointsOrFewerTakeTheCompletedParameters) {
  TAzar az;
  std::vector<TMuestra> m;
  AgregarSector(m, 180, 51, 0.6, az); // sector 37: keeps its own fit
  AgregarSector(m, 90, 50, 0.9, az);  // sector 19: completed from sector 37
  auto me = Construir(m);
  RepetirPrimeraPasada(*me);
  const double PMax = ParqueReferencia().curva_parque->potencia_max;
  const double L0 = std::log((PMax - 0.1) / 0.1);
  EXPECT_NEAR(me->alfa.e(37), 0.6, 1e-9);
  EXPECT_NEAR(me->vm.e(37), L0 / 0.6, 1e-8);
  // Completed around the circle from the one known sector (the sweeps stop short of the limit).
  EXPECT_GT(me->alfa.e(19), 0.5);
  EXPECT_LT(me->alfa.e(19), 0.6);
  EXPECT_GT(me->alfa.e(1), 0.5);
  // The fitted S-curve gives 0.1 MW (times the density factor) at zero wind.
  EXPECT_NEAR(me->PotenciaCurvaS(180, 0, 1.225), 0.1, 1e-9);
}

TEST(ModeloEmpirico, PointsWithoutALogarithmStayOutOfTheFit) {
  TAzar az;
  std::vector<TMuestra> m;
  AgregarSector(m, 180, 60, 0.6, az);
  for (int i = 0; i < 5; ++i)
    m.push_back({2 + 0.1 * i, 180.2, 0}); // zero power, lower limit 0 %
  auto me = Construir(m, 0, 95);
  RepetirPrimeraPasada(*me, 0, 95);
  EXPECT_EQ(me->cntMuestras.e(37), 60);
  EXPECT_TRUE(std::isfinite(me->alfa.e(37)));
  EXPECT_NEAR(me->alfa.e(37), 0.6, 1e-9);
}

TEST(ModeloEmpirico, ABandWhosePointsShareOnePowerDensityIsSingular) {
  // Three samples of one speed and weather alone in their band (speeds 10 to 12 m/s of 0 … 20).
  for (int iguales : {2, 3}) {
    std::vector<TMuestra> m;
    for (int v = 1; v <= 20; ++v) {
      if (v == 10 || v == 11 || v == 12) continue;
      m.push_back({double(v), 180 + 0.1 * (v % 5), 1.0 + v});
    }
    for (int i = 0; i < iguales; ++i)
      m.push_back({11.3, 179.7 + 0.2 * i, 20.0 + i});
    try {
      Construir(m);
      FAIL() << iguales << " equal points accepted";
    } catch (const Exception& e) {
      EXPECT_EQ(std::string(e.what()),
                "Atención!!!! sistema lineal no invertible en la aproximación de un tramo!!!");
    }
  }
}

TEST(ModeloEmpirico, StatisticsCountCurtailedAndCalmSamples) {
  TAzar az;
  std::vector<TMuestra> m;
  for (int i = 0; i < 60; ++i)
    AgregarSector(m, 360 * az.u(), 1, 0.6, az);
  for (auto& x : m)
    x.pe += 2 * az.u() - 1;
  m.push_back({0, 45, 0});                          // calm
  m.push_back({25, 50, 20, 15, 1013, 50, 20});      // curtailed only
  m.push_back({30, 55, 10, 15, 1013, 50, 50, 0.5}); // unavailable: not selected
  auto me = Construir(m);
  const int n = int(m.size());
  // Too few samples for real S-curves: keep the outlier filter out of this test.
  me->Filtro_Distancia.assign(me->Filtro_Distancia.size(), false);
  ASSERT_FALSE(me->Filt_Coherencia[n - 2]);
  ASSERT_TRUE(me->Filt_CGM[n - 1]);
  const TEstadisticasME e = me->Estadisticas();
  EXPECT_EQ(e.minVel, 0);
  EXPECT_EQ(e.maxVel, 25);
  EXPECT_EQ(e.minCGM, 20);
  EXPECT_EQ(e.minfDisp, 1);
  EXPECT_GT(e.weibullVel->k, 0);
  EXPECT_EQ(e.weibullVel->densidad(0), 0);
  EXPECT_GT(e.ddpAng->densidad(180), 0);
}

TEST(ModeloEmpirico, StatisticsWithoutSelectedSamplesEndWithTheWeibullMessage) {
  auto me = Construir({{8, 10, 20}, {9, 20, 25}, {10, 30, 30}});
  for (size_t k = 1; k < me->Filt_Disponibilidad.size(); ++k)
    me->Filt_Disponibilidad[k] = true;
  try {
    me->Estadisticas();
    FAIL() << "sin muestras seleccionadas";
  } catch (const Exception& ex) {
    EXPECT_STREQ(ex.what(), "Imposible invertir sistema Tf_ddp_Weibull.Create_vmuetras en fddp");
  }
}

TEST(ModeloEmpirico, WrittenAndReadBackAnswersEveryQuestionExactly) {
  TParametrosGenerador p;
  p.nDias = 45;
  p.semilla = 7;
  TSerieGenerada g = GenerarSerie(p);
  testing::internal::CaptureStdout();
  TParque_ModeloEmpirico me(ParqueReferencia(), std::move(g.datos), 5, 95, false);
  testing::internal::GetCapturedStdout();
  const std::string archivo = CarpetaBasura() + "/modelo_me.txt";
  {
    TEscritorTexto f(archivo);
    me.WriteToText(f);
    f.Cerrar();
  }
  TLectorTexto f(archivo);
  auto leido = TParque_ModeloEmpirico::CreateLoadFromText(f, ParqueReferencia());
  EXPECT_TRUE(f.Fin());
  EXPECT_EQ(leido->nSectores(), 72);
  EXPECT_EQ(leido->nBandas(), 10);
  EXPECT_EQ(leido->N, 0);
  auto copia = me.Create_CopiaTablas(ParqueReferencia());
  for (const TParque_ModeloEmpirico* x : {leido.get(), copia.get()}) {
    for (double a = 0; a <= 360; a += 1.25) {
      EXPECT_EQ(x->UbicarAngulo(a).s1, me.UbicarAngulo(a).s1);
      for (double v = 0; v <= 25; v += 0.7) {
        for (double rho : {1.225, 1.16}) {
          const double pd = DensidadPotencia(v, rho);
          EXPECT_EQ(x->PotenciaCurvaS(a, pd, rho), me.PotenciaCurvaS(a, pd, rho));
          const TPotenciaRepresentantes r1 = x->PotenciaRepresentantes(a, pd, rho);
          const TPotenciaRepresentantes r0 = me.PotenciaRepresentantes(a, pd, rho);
          EXPECT_EQ(r1.P, r0.P);
          EXPECT_EQ(r1.peso, r0.peso);
        }
      }
    }
    for (int s = 1; s <= 72; ++s) {
      EXPECT_EQ(x->AnguloSector(s), me.AnguloSector(s));
      EXPECT_EQ(x->VelocidadCurvaS(s, 25), me.VelocidadCurvaS(s, 25));
    }
  }
}

TEST(ModeloEmpirico, ReportsAndChartsGoToTheFarmFolder) {
  const std::string carpeta = CarpetaCentral(ParqueReferencia().nid_central);
  fs::remove_all(carpeta);
  fs::remove_all(CarpetaBasura() + "/curva_s.xlt");
  fs::remove_all(NombreCarpetaBase() + "/basura"); // the scratch table's folder is created again
  TAzar az;
  std::vector<TMuestra> m;
  AgregarSector(m, 5, 80, 0.6, az);   // sector 2
  AgregarSector(m, 355, 80, 0.7, az); // sector 72
  AgregarSector(m, 90, 3, 0.6, az);   // sector 19: too few points for a chart
  for (auto& x : m)
    x.pe += 0.5 * az.u();
  testing::internal::CaptureStdout();
  TParque_ModeloEmpirico me(ParqueReferencia(), SerieDe(m), 5, 95, true);
  const std::string salida = testing::internal::GetCapturedStdout();

  for (const char* f : {"500_1_0.jpg", "500_2_0.jpg", "35500_1_0.jpg", "35500_2_0.jpg",
                        "muestras_filtrados_plano_pe_vel_0.jpg", "muestras_filtrados_plano_dir_vel_0.jpg"})
    EXPECT_GT(fs::file_size(carpeta + "/" + f), 1000u) << f;
  EXPECT_FALSE(fs::exists(carpeta + "/9000_1_0.jpg"));
  EXPECT_FALSE(fs::exists(carpeta + "/9000_2_0.jpg"));
  EXPECT_TRUE(fs::exists(NombreCarpetaBase() + "/basura/curva_s.xlt"));

  auto lineas = [](const std::string& archivo) {
    std::ifstream f(archivo);
    std::vector<std::string> v;
    for (std::string l; std::getline(f, l);)
      v.push_back(l);
    return v;
  };
  const auto sf = lineas(carpeta + "/series_filtradas.xlt");
  ASSERT_EQ(sf.size(), m.size() + 1);
  EXPECT_EQ(sf[0], "dt\tVel[m/s]\tAng[°]\tPE[MW]\tTemp[°C]\tPre[hPA]\tHumRel[%]\tCGM[MW]\tfDisp[p.u.]\t"
                   "Filt_Huecos\tFilt_Coherencia\tFilt_Disponibilidad\tFilt_CGM\tFiltro_Distancia\r");
  EXPECT_EQ(sf[1].substr(0, FechaHoraATexto(me.dtPrimeraMuestra).size() + 1),
            FechaHoraATexto(me.dtPrimeraMuestra) + "\t");
  const auto cs = lineas(carpeta + "/curvas_s_.xlt");
  ASSERT_EQ(cs.size(), 73u);
  EXPECT_EQ(cs[0], "ang\talfa\tvm\terrc2\tcntMuestras\tMT_alfa\tMT_vm\r");
  EXPECT_EQ(cs[2].substr(0, 25), RealATexto(5) + "\t");
  const auto cc = lineas(carpeta + "/curvas_s_completadas_.xlt");
  ASSERT_EQ(cc.size(), 73u);
  EXPECT_EQ(cc[0], "ang\talfa_completo\tvm_completo\r");

  // The console lines of the construction, in order, ending with the fit error.
  const char* enOrden[] = {"Filtrado de huecos: ",   "Filtro CGM < PAut*0.99: ", "cnt_iter: 0, epsilon: ",
                           "cnt_iter: 0, epsilon: ", "cnt_iter: 0, epsilon: ",   "cnt_iter: 0, epsilon: ",
                           "Fin err2CurvasS: "};
  size_t pos = 0;
  for (const char* t : enOrden) {
    const size_t q = salida.find(t, pos);
    ASSERT_NE(q, std::string::npos) << t;
    pos = q + 1;
  }
  EXPECT_EQ(salida.substr(salida.rfind("Fin err2CurvasS: ")),
            "Fin err2CurvasS: " + RealATexto(me.errc2.Norma()) + " AlfaFilt: " + RealATexto(0) + "\n");
}

TEST(ModeloEmpirico, FiltersFindTheDefectsInjectedInAGeneratedSeries) {
  TParametrosGenerador p;
  p.nDias = 120;
  p.semilla = 21;
  TSerieGenerada g = GenerarSerie(p);
  const std::vector<std::uint8_t> marcas = g.marcas;
  testing::internal::CaptureStdout();
  TParque_ModeloEmpirico me(ParqueReferencia(), std::move(g.datos), 5, 95, false);
  const std::string salida = testing::internal::GetCapturedStdout();
  EXPECT_NE(salida.find("WARNING!!!: max_fd: 100 Asumo que es porcentaje"), std::string::npos);
  int huecos = 0, restringidas = 0, indisponibles = 0, atipicas = 0, atipicasMarcadas = 0;
  for (int k = 1; k <= me.N; ++k) {
    const bool hueco = marcas[k] & MARCA_HUECO;
    EXPECT_EQ(me.Filt_Huecos[k], hueco) << k;
    huecos += hueco;
    if (hueco) continue;
    if (marcas[k] & MARCA_RESTRICCION) {
      EXPECT_TRUE(me.Filt_CGM[k]) << k;
      ++restringidas;
    }
    if (marcas[k] & MARCA_INDISPONIBLE) {
      EXPECT_TRUE(me.Filt_Disponibilidad[k]) << k;
      ++indisponibles;
    }
    if (marcas[k] & MARCA_ATIPICO) {
      ++atipicas;
      atipicasMarcadas +=
          me.Filtro_Distancia[k] || me.Filt_Coherencia[k] || me.Filt_CGM[k] || me.Filt_Disponibilidad[k];
    }
  }
  EXPECT_GT(huecos, 0);
  EXPECT_GT(restringidas, 0);
  // Power outliers stay out of the second pass.
  ASSERT_GT(atipicas, 0);
  EXPECT_GT(double(atipicasMarcadas) / atipicas, 0.6) << atipicasMarcadas << " de " << atipicas;
  // Both passes fitted most sectors on their own data (two years would fit them all).
  int ajustados = 0;
  for (int s = 1; s <= 72; ++s)
    ajustados += me.cntMuestras.e(s) > 50;
  EXPECT_GT(ajustados, 36);
  EXPECT_GT(Contar(me.Filtro_Distancia), 0);
}
