// The filter chain on hand-made samples of the reference farm (authorised power 50 MW, 25 turbines).
#include <gtest/gtest.h>

#include "comun_me.h"
#include "empirical/uparques_modeloempirico.h"
#include "num/uauxiliares.h"

namespace {

struct TCadena {
  TVectR Vel, Ang, PE, CGM, fDisp;
  TDAOfBoolean huecos, coherencia, cgm, distancia, disp;
  std::string salida;
};

// Runs the chain on the samples; sample values not given vary so that no run of repeats forms.
TCadena Filtrar(const std::vector<TMuestra>& m, bool normalizar = true) {
  TCadena c;
  const int n = int(m.size());
  c.Vel = TVectR(n), c.Ang = TVectR(n), c.PE = TVectR(n), c.CGM = TVectR(n), c.fDisp = TVectR(n);
  for (int k = 1; k <= n; ++k) {
    c.Vel.pon_e(k, m[k - 1].vel);
    c.Ang.pon_e(k, m[k - 1].ang);
    c.PE.pon_e(k, m[k - 1].pe);
    c.CGM.pon_e(k, m[k - 1].cgm);
    c.fDisp.pon_e(k, m[k - 1].disp);
  }
  testing::internal::CaptureStdout();
  FiltrarMuestras(ParqueReferencia(), c.Vel, c.Ang, c.PE, c.CGM, c.fDisp, normalizar, c.huecos, c.coherencia,
                  c.cgm, c.distancia, c.disp);
  c.salida = testing::internal::GetCapturedStdout();
  return c;
}

std::vector<TMuestra> Variadas(int n) {
  std::vector<TMuestra> m;
  for (int k = 0; k < n; ++k)
    m.push_back({5.0 + 0.01 * k, 100.0 + k, 10.0 + 0.1 * k});
  return m;
}

} // namespace

TEST(FiltrarMuestras, GapThresholds) {
  struct Caso {
    const char* nombre;
    TMuestra m;
    bool hueco;
  };
  const double PAut = 50;
  const Caso casos[] = {
      {"vel -10", {-10, 100, 10}, false},
      {"vel -10.5", {-10.5, 100, 10}, true},
      {"vel 80", {80, 100, 10}, false},
      {"vel 80.01", {80.01, 100, 10}, true},
      {"ang -1000", {5, -1000, 10}, false},
      {"ang -1000.5", {5, -1000.5, 10}, true},
      {"pe 1.2 PAut", {5, 100, 1.2 * PAut}, false},
      {"pe sobre 1.2 PAut", {5, 100, 60.000001}, true},
      {"pe -99999", {5, 100, -99999}, true},
      {"cgm -99999", {5, 100, 10, 15, 1013, 50, -99999}, true},
  };
  std::vector<TMuestra> m;
  for (const Caso& c : casos)
    m.push_back(c.m);
  const TCadena r = Filtrar(m);
  int huecos = 0;
  for (size_t i = 0; i < std::size(casos); ++i) {
    EXPECT_EQ(r.huecos[i + 1], casos[i].hueco) << casos[i].nombre;
    huecos += casos[i].hueco;
  }
  EXPECT_EQ(r.huecos.size(), m.size() + 1);
  EXPECT_EQ(r.salida.rfind("Filtrado de huecos: " + std::to_string(huecos) + "\n", 0), 0u) << r.salida;
}

TEST(FiltrarMuestras, AvailabilityScaling) {
  struct Caso {
    double maximo;
    std::string aviso;
    double divisor;
  };
  const Caso casos[] = {
      {100, "WARNING!!!: max_fd: 100 Asumo que es porcentaje y divido por este valor.\n", 100},
      {25, "WARNING!!!: max_fd: 25 Asumo que es cantidad de máquinas y divido por este valor.\n", 25},
      {1, "", 1},
  };
  for (const Caso& c : casos) {
    std::vector<TMuestra> m = Variadas(4);
    for (auto& x : m)
      x.disp = c.maximo * 0.9;
    m[2].disp = c.maximo;
    const TCadena r = Filtrar(m);
    EXPECT_EQ(r.salida.find("WARNING") == std::string::npos
                  ? ""
                  : r.salida.substr(r.salida.find("WARNING"), c.aviso.size()),
              c.aviso);
    EXPECT_EQ(r.fDisp.e(3), c.maximo / c.divisor);
    EXPECT_EQ(r.fDisp.e(1), c.maximo * 0.9 / c.divisor);
  }
}

TEST(FiltrarMuestras, AvailabilityLimitsAndNormalisation) {
  std::vector<TMuestra> m = Variadas(7);
  m[0].disp = 0.8;             // passes
  m[1].disp = 0.7999;          // flagged
  m[2].disp = 1.001;           // passes
  m[3].disp = 1.0011;          // flagged
  m[4].pe = 51, m[4].disp = 1; // exactly 1.02 PAut: passes
  m[5].pe = 51.0001;           // above: flagged
  m[6].pe = -99999;            // a gap is never tested here
  m[6].disp = 0.1;
  const TCadena r = Filtrar(m);
  const bool esperado[] = {false, true, false, true, false, true, false};
  for (int k = 1; k <= 7; ++k)
    EXPECT_EQ(r.disp[k], esperado[k - 1]) << k;
  EXPECT_NE(r.salida.find("Filtrado por Disp < 0.8 o PDato/fdisp > PAutorizada: 3\n"), std::string::npos);
  EXPECT_EQ(r.PE.e(1), m[0].pe / 0.8); // normalised
  EXPECT_EQ(r.PE.e(2), m[1].pe);       // flagged: left alone
  EXPECT_EQ(r.PE.e(7), -99999);
  const TCadena sin = Filtrar(m, false);
  EXPECT_EQ(sin.PE.e(1), m[0].pe);
}

TEST(FiltrarMuestras, RepeatedValuesAndCurtailment) {
  std::vector<TMuestra> m = Variadas(41);
  for (int k = 0; k < 9; ++k)
    m[k].vel = 7; // nine equal speeds
  for (int k = 10; k < 19; ++k)
    m[k].ang = 200; // nine equal directions
  for (int k = 20; k < 29; ++k)
    m[k].pe = 30, m[k].cgm = 30.5; // held at the setpoint
  for (int k = 29; k < 39; ++k)
    m[k].pe = 12;        // ten equal powers, free
  m[30].cgm = 0.99 * 50; // exactly 0.99 PAut: not curtailment
  m[31].cgm = 49.49;
  const TCadena r = Filtrar(m);
  EXPECT_NE(r.salida.find("Filtro repetidos vel: 8\n"), std::string::npos) << r.salida;
  EXPECT_NE(r.salida.find("Filtro repetidos dir: 8\n"), std::string::npos);
  EXPECT_NE(r.salida.find("Filtro repetidos Pot: 9\n"), std::string::npos);
  // 20..28 curtailed at 30.5 MW, and 31.
  EXPECT_NE(r.salida.find("Filtro CGM < PAut*0.99: 10\n"), std::string::npos);
  for (int k = 1; k <= 41; ++k) {
    const bool coh = (k >= 1 && k <= 8) || (k >= 11 && k <= 18) || (k >= 30 && k <= 38);
    EXPECT_EQ(r.coherencia[k], coh) << k;
  }
  EXPECT_FALSE(r.cgm[31]);
  EXPECT_TRUE(r.cgm[32]);
  // The console lines in the chain's order.
  const char* lineas[] = {"Filtrado de huecos: ",   "Filtrado por Disp",      "Filtro repetidos vel: ",
                          "Filtro repetidos dir: ", "Filtro repetidos Pot: ", "Filtro CGM < PAut*0.99: "};
  size_t pos = 0;
  for (const char* l : lineas) {
    const size_t p = r.salida.find(l);
    ASSERT_NE(p, std::string::npos) << l;
    EXPECT_GE(p, pos) << l;
    pos = p;
  }
}
