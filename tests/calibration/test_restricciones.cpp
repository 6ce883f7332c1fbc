// Operating-restriction energy: period detection, the adjustment buffer, energies, hourly grouping
// and the energy report, on small hand-made series with a simple estimator in place of the combined
// model (so every expected number can be worked out by hand).
#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <sstream>

#include "calibration/ucalcrestriccionesoperativas.h"
#include "farm/ucarpetas.h"
#include "farm/uparques_modeloteorico.h"
#include "num/uauxiliares.h"
#include "series/useriestemporales.h"

namespace {

constexpr double PAut = 50;
constexpr double dt = 1.0 / 144.0;

// Unrestricted power = the wind speed (MW), theoretical power = speed + 1. It keeps working state
// between its steps, as the combined model does, so two threads sharing one would corrupt results.
class TEstimadorLineal : public TEstimadorPotencia {
public:
  void CalcularPotencia(double v, double, double, double cgm, bool, double& PCon, double& PSin,
                        double& PTeo) override {
    estado_ = v;
    for (int i = 0; i < 1000; ++i)
      estado_ = estado_ * 1.0; // a little work, so workers interleave
    PCon = std::min(estado_, cgm);
    PSin = estado_;
    PTeo = estado_ + 1;
    std::lock_guard<std::mutex> l(*m_);
    cgmRecibidos_->push_back({v, cgm});
  }
  std::unique_ptr<TEstimadorPotencia> Copia() const override {
    return std::make_unique<TEstimadorLineal>(*this);
  }
  // (v, cgm) of every call, from every copy.
  std::vector<std::pair<double, double>> Llamadas() const {
    std::lock_guard<std::mutex> l(*m_);
    return *cgmRecibidos_;
  }

private:
  double estado_ = 0;
  std::shared_ptr<std::mutex> m_ = std::make_shared<std::mutex>();
  std::shared_ptr<std::vector<std::pair<double, double>>> cgmRecibidos_ =
      std::make_shared<std::vector<std::pair<double, double>>>();
};

// One sample of a hand-made series; the other channels are fixed (15 °C, 1013 hPa, 50 %, availability 1).
struct TMuestra {
  double v, PE, cgm;
};

std::unique_ptr<TSeriesDeDatos> Serie(const std::vector<TMuestra>& m, int nSeries = 9) {
  auto s = std::make_unique<TSeriesDeDatos>(nSeries, int(m.size()), 2016, 1, 1, 0, 0, 0, 1.0 / 6.0);
  s->archivo = "serie_prueba.sas";
  for (int k = 1; k <= int(m.size()); ++k) {
    const double x[9] = {m[k - 1].v, 100.0 + k, m[k - 1].PE, 15, 1013, 50, m[k - 1].cgm, 1, 0.001 * k};
    for (int i = 0; i < std::min(nSeries, 9); ++i)
      s->series[i].pon_e(k, x[i]);
  }
  return s;
}

struct TFila {
  std::string fecha;
  double v, dir, PE, cgm, Paj, R;
};

struct TArchivoResultados {
  std::vector<std::string> lineas;
  std::vector<TFila> filas;
};

TArchivoResultados LeerResultados(const std::string& archivo) {
  std::ifstream f(archivo, std::ios::binary);
  EXPECT_TRUE(f.good()) << archivo;
  TArchivoResultados r;
  std::string l;
  while (std::getline(f, l)) {
    EXPECT_FALSE(l.empty() || l.back() != '\r') << "línea sin CR LF: " << l;
    if (!l.empty() && l.back() == '\r') l.pop_back();
    r.lineas.push_back(l);
  }
  for (size_t i = 1; i < r.lineas.size() && !r.lineas[i].empty(); ++i) {
    std::vector<std::string> c;
    std::stringstream ss(r.lineas[i]);
    std::string x;
    while (std::getline(ss, x, '\t'))
      c.push_back(x);
    EXPECT_EQ(c.size(), 7u) << r.lineas[i];
    if (c.size() != 7) continue;
    r.filas.push_back({c[0], TextoANumero(c[1]), TextoANumero(c[2]), TextoANumero(c[3]), TextoANumero(c[4]),
                       TextoANumero(c[5]), TextoANumero(c[6])});
  }
  return r;
}

std::string LeerTodo(const std::string& archivo) {
  std::ifstream f(archivo, std::ios::binary);
  std::stringstream ss;
  ss << f.rdbuf();
  return ss.str();
}

class Restricciones : public ::testing::Test {
protected:
  void SetUp() override {
    MT.potencia_autorizada_mw = PAut;
    MT.nid_central = 77;
    central.ModeloTeorico = &MT;
    central.nSectores = 72;
    central.nBandas = 10;
    carpeta = CarpetaBase() + "/ro_" + ::testing::UnitTest::GetInstance()->current_test_info()->name();
    std::filesystem::remove_all(carpeta);
  }

  // The window and the interval from sample kIni to the last sample.
  TResultadoVentana Ventana(const TSeriesDeDatos& s, int kIni, int B, TEstimadorPotencia& est, int nHilos = 1,
                            bool matrices = false) {
    TGrupoEstimadores grupo(est, nHilos);
    const double t0 = s.dtDeMuestra(kIni), t1 = s.dtDeMuestra(s.nPuntos);
    return CalcularVentana(central, grupo, s, carpeta, t0, t1, t0, t1, 1.5, energias, B, false, matrices);
  }

  TParque_ModeloTeorico MT;
  TDatosCentral central;
  std::string carpeta;
  TDAofRecsEnergiaPorFecha energias;
};

const double G = -99999; // a missing value

// Samples 1-4 prime the buffer (B = 2), the window starts at sample 5.
const std::vector<TMuestra> kSerieBuffer = {
    {10, 12, 50},   // 1: unrestricted, enters the buffer
    {11, 30, 30},   // 2: curtailed before the window: never enters the buffer
    {20, 15, 50},   // 3: unrestricted, enters the buffer -> F = (12 + 15) / (10 + 20) = 0.9
    {G, 5, 50},     // 4: gap
    {40, 30, 30},   // 5: follows its setpoint: P_aj = 36, R = 6
    {41, 31.5, 30}, // 6: 3 % of PAut away from the setpoint: no energy
    {G, 30, 30},    // 7: gap inside the period: no energy, F unchanged
    {42, 29, 30},   // 8: F still 0.9: P_aj = 37.8
    {25, 20, 50},   // 9: unrestricted: enters the buffer after its own row (F = 0.9)
    {50, 30, 30},   // 10: F = (20 + 15) / (25 + 20)
    {43, 10, -5},   // 11: no setpoint recorded: estimated without setpoint, curtailed, no energy
    {44, 30, 30},   // 12: F unchanged by sample 11
};

TEST_F(Restricciones, BufferFactorYEnergiasMuestraPorMuestra) {
  auto s = Serie(kSerieBuffer);
  TEstimadorLineal est;
  TResultadoVentana r = Ventana(*s, 5, 2, est);
  EXPECT_EQ(r.k0, 1);
  EXPECT_EQ(r.kIni, 5);
  EXPECT_EQ(r.kFin, 12);
  TArchivoResultados a = LeerResultados(r.archivoResultados);
  ASSERT_EQ(a.filas.size(), 8u);

  const double F1 = (12.0 + 15.0) / (10.0 + 20.0), F2 = (20.0 + 15.0) / (25.0 + 20.0);
  struct TEsperado {
    double Paj, R;
  };
  const TEsperado esperado[8] = {
      {std::min(F1 * 40, PAut), double(float(F1 * 40 - 30))},
      {F1 * 41, 0},
      {F1 * -111111, 0},
      {F1 * 42, double(float(F1 * 42 - 29))},
      {F1 * 25, 0},
      {F2 * 50, double(float(F2 * 50 - 30))},
      {F2 * 43, 0},
      {F2 * 44, double(float(F2 * 44 - 30))},
  };
  double E = 0;
  for (int i = 0; i < 8; ++i) {
    SCOPED_TRACE("muestra " + std::to_string(i + 5));
    EXPECT_EQ(a.filas[i].Paj, esperado[i].Paj);
    EXPECT_EQ(a.filas[i].R, esperado[i].R);
    E += esperado[i].R / 6;
  }
  EXPECT_EQ(r.E_aj, E);
  ASSERT_EQ(energias.size(), 4u);
  EXPECT_EQ(energias[0].fecha, s->dtDeMuestra(5));
  EXPECT_EQ(energias[0].energia, esperado[0].R / 6);
  EXPECT_EQ(energias[3].fecha, s->dtDeMuestra(12));

  // The sample without a recorded setpoint was estimated with the authorised power as its limit.
  bool visto = false;
  for (auto [v, cgm] : est.Llamadas())
    if (v == 43) {
      visto = true;
      EXPECT_EQ(cgm, PAut);
    } else {
      EXPECT_GE(cgm, 0);
    }
  EXPECT_TRUE(visto);
  // The curtailed sample before the window was not even estimated; gaps never are.
  for (auto [v, cgm] : est.Llamadas())
    EXPECT_NE(v, 11);
  EXPECT_EQ(r.nEstimaciones, 2 + 7);

  // Rows, empty line, headings and the summary of the interval.
  EXPECT_EQ(a.lineas[0],
            "dt\tVel[m/s]\tDir[gr]\tP_MW_Dato[MW]\tCGM_Dato[MW]\tP_MW_MC_conAjCP\tpRed_conAjCP[MW]");
  EXPECT_EQ(a.filas[0].fecha, FechaHoraATexto(s->dtDeMuestra(5)));
  ASSERT_EQ(a.lineas.size(), 1u + 8 + 3);
  EXPECT_EQ(a.lineas[9], "");
  EXPECT_EQ(a.lineas[10],
            "Fecha inicio\tFecha fin\t Energía no suministrada SCADA [MWh]\t Factor SMEC/SCADA [p.u] \t "
            "Energía no suministrada SMEC [MWh]");
  EXPECT_EQ(a.lineas[11], "01-01-2016 00:40\t01-01-2016 01:40\t" + RealATexto(E) + "\t" + RealATexto(1.5) +
                              "\t" + RealATexto(1.5 * E));
  EXPECT_EQ(std::filesystem::path(r.archivoResultados).filename(),
            "ResultadosMC_201601010040201601010150.xlt");
}

TEST_F(Restricciones, FactorUnoSinMuestrasEnElBufferOSumaModeladaNula) {
  // Window from sample 1: nothing primes the buffer. Sample 2 is unrestricted with a modelled power
  // of 0, so the buffer's modelled sum stays <= 0.0001 and F stays 1.
  auto s = Serie(
      {{30, 25, 20}, {0, 0.5, 50}, {30, 25, 20}, {0.00005, 3, 50}, {30, 25, 20}, {10, 5, 50}, {30, 25, 20}});
  TEstimadorLineal est;
  TResultadoVentana r = Ventana(*s, 1, 3, est);
  EXPECT_EQ(r.k0, 1);
  TArchivoResultados a = LeerResultados(r.archivoResultados);
  ASSERT_EQ(a.filas.size(), 7u);
  EXPECT_EQ(a.filas[0].Paj, 30); // empty buffer
  EXPECT_EQ(a.filas[2].Paj, 30); // modelled sum 0
  EXPECT_EQ(a.filas[4].Paj, 30); // modelled sum 0.00005
  // Then a real sample makes F = (0.5 + 3 + 5) / (0 + 0.00005 + 10).
  EXPECT_EQ(a.filas[6].Paj, (0.5 + 3 + 5) / (0 + 0.00005 + 10) * 30);
}

TEST_F(Restricciones, MuestraExcluidaNoSumaEnergiaConFactorNegativo) {
  // An idle farm drawing power before the window gives F = -0.5 / 10 < 0. The gap sample's marker
  // times F would then be a huge power, capped at PAut: it must still add no energy.
  auto s = Serie({{10, -0.5, 50}, {20, 30, 30}, {G, 30, 30}});
  TEstimadorLineal est;
  TResultadoVentana r = Ventana(*s, 2, 1, est);
  TArchivoResultados a = LeerResultados(r.archivoResultados);
  ASSERT_EQ(a.filas.size(), 2u);
  EXPECT_EQ(a.filas[0].Paj, -0.5 / 10 * 20);
  EXPECT_EQ(a.filas[0].R, 0);
  EXPECT_EQ(a.filas[1].Paj, PAut); // the marker's row as computed
  EXPECT_EQ(a.filas[1].R, 0);
  EXPECT_EQ(r.E_aj, 0);
  EXPECT_TRUE(energias.empty());
}

TEST_F(Restricciones, BufferCortoAntesDeLaSerieYParaleloIgualASecuencial) {
  // A longer series with restrictions, gaps and unrestricted stretches; the window starts after two
  // unrestricted samples only (fewer than B = 6): the zero-filled remainder adds nothing.
  std::vector<TMuestra> m;
  for (int k = 1; k <= 300; ++k) {
    const bool restringida = (k / 20) % 2 == 1;
    const double v = 5 + 0.037 * k + (k % 7);
    if (k % 23 == 0)
      m.push_back({G, G, G});
    else if (restringida)
      m.push_back({v, 20 + 0.01 * (k % 13), 20});
    else
      m.push_back({v, 0.93 * v + 0.01 * (k % 5), 50});
  }
  auto s = Serie(m);
  std::string contenido[3];
  TDAofRecsEnergiaPorFecha lista[3];
  for (int h = 1; h <= 3; ++h) {
    TEstimadorLineal est;
    energias.clear();
    TResultadoVentana r = Ventana(*s, 3, 6, est, h, true);
    EXPECT_EQ(r.k0, 1);
    contenido[h - 1] = LeerTodo(r.archivoResultados) + LeerTodo(carpeta + "/Matrices_Errores.xlt");
    lista[h - 1] = energias;
  }
  ASSERT_FALSE(lista[0].empty());
  for (int h = 2; h <= 3; ++h) {
    EXPECT_EQ(contenido[h - 1], contenido[0]) << h << " hilos";
    ASSERT_EQ(lista[h - 1].size(), lista[0].size());
    for (size_t i = 0; i < lista[0].size(); ++i) {
      EXPECT_EQ(lista[h - 1][i].fecha, lista[0][i].fecha);
      EXPECT_EQ(lista[h - 1][i].energia, lista[0][i].energia);
    }
  }
}

TEST_F(Restricciones, BufferNoValidoYSeriesIncompletasFallanSinEscribir) {
  auto s = Serie(kSerieBuffer);
  TEstimadorLineal est;
  for (int B : {0, -3}) {
    try {
      Ventana(*s, 5, B, est);
      ADD_FAILURE() << "B = " << B;
    } catch (const Exception& e) {
      EXPECT_NE(std::string(e.what()).find("buffer"), std::string::npos) << e.what();
    }
  }
  auto s8 = Serie(kSerieBuffer, 8);
  try {
    Ventana(*s8, 5, 6, est);
    ADD_FAILURE();
  } catch (const Exception& e) {
    EXPECT_NE(std::string(e.what()).find("serie_prueba.sas"), std::string::npos) << e.what();
  }
  double ini = 0, fin = 1e6;
  EXPECT_THROW(DetectarRestricciones(*s8, ini, fin, PAut), Exception);
  EXPECT_FALSE(std::filesystem::exists(carpeta) && !std::filesystem::is_empty(carpeta));
}

TEST_F(Restricciones, VentanaSinMuestrasSoloEncabezadoYResumen) {
  auto s = Serie(kSerieBuffer);
  TEstimadorLineal est;
  TGrupoEstimadores grupo(est, 1);
  const double t = s->dtDeMuestra(12) + 1; // a day after the series
  TResultadoVentana r =
      CalcularVentana(central, grupo, *s, carpeta, t, t + 1, t, t + 1, 0, energias, 6, false, false);
  TArchivoResultados a = LeerResultados(r.archivoResultados);
  EXPECT_EQ(a.filas.size(), 0u);
  ASSERT_EQ(a.lineas.size(), 4u);
  EXPECT_EQ(a.lineas[1], "");
  EXPECT_TRUE(energias.empty());
}

TEST(DetectarRestricciones, UmbralSinConsignaYPeriodoAbiertoAlFinal) {
  const double U = PAut - 0.5; // exactly the threshold: neither starts nor ends a period
  auto s = Serie({{8, 1, 50},
                  {8, 1, U},
                  {8, 1, 40},
                  {8, 1, 40},
                  {8, 1, U},
                  {8, 1, -5},
                  {8, 1, 50},
                  {8, 1, 50},
                  {8, 1, -3},
                  {8, 1, 30},
                  {8, 1, U}});
  double ini = 0, fin = 1e6;
  TDAofRecsFechas p = DetectarRestricciones(*s, ini, fin, PAut);
  EXPECT_EQ(ini, s->dtPrimeraMuestra);
  EXPECT_EQ(fin, s->dtDeMuestra(11));
  ASSERT_EQ(p.size(), 2u);
  EXPECT_EQ(p[0].fechaInicio, s->dtDeMuestra(3));
  EXPECT_EQ(p[0].fechaFin, s->dtDeMuestra(7));
  EXPECT_EQ(p[1].fechaInicio, s->dtDeMuestra(10));
  EXPECT_EQ(p[1].fechaFin, s->dtDeMuestra(12)); // open at the end: one step after the last sample

  // A start date that falls on a sample stamp by the clock finds that sample despite rounding noise.
  double ini2 = CodificarFecha(2016, 1, 1) + CodificarHora(1, 30, 0), fin2 = 1e6;
  TDAofRecsFechas p2 = DetectarRestricciones(*s, ini2, fin2, PAut);
  ASSERT_EQ(p2.size(), 1u);
  EXPECT_EQ(p2[0].fechaInicio, s->dtDeMuestra(10));
  double ini3 = 0, fin3 = s->dtDeMuestra(2);
  EXPECT_TRUE(DetectarRestricciones(*s, ini3, fin3, PAut).empty());
}

TEST(IndiceDeMuestra, TomaLaMarcaRedondeadaAlSegundo) {
  auto s = Serie(std::vector<TMuestra>(300, {8, 1, 50}));
  for (int k : {1, 2, 7, 43, 145, 200, 300}) {
    const double t = s->dtPrimeraMuestra + (k - 1) * dt;
    EXPECT_EQ(IndiceDeMuestra(*s, t), k);
    EXPECT_EQ(IndiceDeMuestra(*s, t - 1e-9), k); // a stamp a fraction of a millisecond early
    EXPECT_EQ(IndiceDeMuestra(*s, t + 5.0 / 1440), k);
  }
  // By the clock: 07:00 of the first day is sample 43.
  EXPECT_EQ(IndiceDeMuestra(*s, CodificarFecha(2016, 1, 1) + CodificarHora(7, 0, 0)), 43);
}

TEST(AgruparPorHora, DiezMinutosAcumulanEnLaHoraQueTerminan) {
  const double d = CodificarFecha(2016, 3, 5);
  auto t = [&](int k) { return d + k * dt; }; // k ten-minute steps after midnight, with rounding noise
  TDAofRecsEnergiaPorFecha e = {{t(1), 1}, {t(6), 2}, {t(7), 4}, {t(12), 8}, {t(13), 16}, {t(20), 32}};
  TDAofRecsEnergiaPorFecha h = AgruparPorHora(e);
  ASSERT_EQ(h.size(), 4u);
  EXPECT_EQ(h[0].fecha, d); // 00:10 and 01:00
  EXPECT_EQ(h[0].energia, 3);
  EXPECT_EQ(h[1].fecha, d + 1.0 / 24); // 01:10 and 02:00
  EXPECT_EQ(h[1].energia, 12);
  EXPECT_EQ(h[2].fecha, d + 2.0 / 24); // 02:10
  EXPECT_EQ(h[2].energia, 16);
  EXPECT_EQ(h[3].fecha, d + 3.0 / 24); // 03:20: a new hour
  EXPECT_EQ(h[3].energia, 32);
  // A record stamped 01:00 by the clock opens the 01:00 hour when it comes first.
  h = AgruparPorHora({{d + 6 * dt, 5}});
  ASSERT_EQ(h.size(), 1u);
  EXPECT_EQ(h[0].fecha, d + 1.0 / 24);
  EXPECT_TRUE(AgruparPorHora({}).empty());
}

TEST(EscribirEnergias, LineasTotalesYFactorNulo) {
  const std::string archivo = CarpetaBase() + "/ro_energias/c77_Restricciones_horarias.xlt";
  const std::string cab =
      "Fecha\t Energía no suministrada SCADA [MWh]\t Factor SMEC/SCADA [p.u] \t Energía no "
      "suministrada SMEC [MWh]\r\n";
  EscribirEnergias(archivo, 0, {{42000.5, 1.25}, {42000.75, 2.5}});
  EXPECT_EQ(LeerTodo(archivo), cab + RealATexto(42000.5) + "\t" + RealATexto(1.25) + "\t" + RealATexto(0) +
                                   "\t" + RealATexto(0) + "\r\n" + RealATexto(42000.75) + "\t" +
                                   RealATexto(2.5) + "\t" + RealATexto(0) + "\t" + RealATexto(0) +
                                   "\r\nE[MWh] totales\t" + RealATexto(3.75) + "\t\t" + RealATexto(0) +
                                   "\r\n");
  EscribirEnergias(archivo, 1.02, {});
  EXPECT_EQ(LeerTodo(archivo), cab + "E[MWh] totales\t" + RealATexto(0) + "\t\t" + RealATexto(0) + "\r\n");
}

} // namespace
