// The seeded ten-minute series generator: reproducible, reads back exactly, realistic defects.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <unistd.h>

#include "farm/uparques_modeloteorico.h"
#include "generador/generador_series.h"

namespace fs = std::filesystem;

namespace {

enum { VEL = 0, DIR, PE, TEMP, PRE, HUM, CGM, DISP, EXTRA };

TParametrosGenerador Parametros(int dias, std::uint64_t semilla) {
  TParametrosGenerador p;
  p.nDias = dias;
  p.semilla = semilla;
  return p;
}

bool Iguales(const TVectR& a, const TVectR& b) {
  if (a.n() != b.n()) return false;
  for (int i = 1; i <= a.n(); ++i)
    if (std::memcmp(&a.datos()[i - 1], &b.datos()[i - 1], sizeof(double)) != 0) return false;
  return true;
}

TEST(GeneradorSeries, SameSeedSameSeriesOtherSeedOtherSeries) {
  TSerieGenerada a = GenerarSerie(Parametros(30, 7));
  TSerieGenerada b = GenerarSerie(Parametros(30, 7));
  TSerieGenerada c = GenerarSerie(Parametros(30, 8));
  ASSERT_EQ(a.datos->nSeries, 9);
  for (int i = 0; i < 9; ++i)
    EXPECT_TRUE(Iguales(a.datos->series[i], b.datos->series[i])) << "serie " << i + 1;
  EXPECT_TRUE(Iguales(a.PSinRestriccion, b.PSinRestriccion));
  EXPECT_EQ(a.marcas, b.marcas);
  EXPECT_FALSE(Iguales(a.datos->series[VEL], c.datos->series[VEL]));
}

TEST(GeneradorSeries, WrittenFileReadsBackExactly) {
  fs::path carpeta = fs::temp_directory_path() / ("aurvend_gen_" + std::to_string(::getpid()));
  std::string archivo = (carpeta / "c1_series10min.sas").string();
  TParametrosGenerador p = Parametros(20, 3);
  p.anio = 2017, p.mes = 6, p.dia = 15;
  TSerieGenerada g = GenerarArchivoSeries(p, archivo);
  auto s = TSeriesDeDatos::Create_LeerDeArchivo(archivo);
  fs::remove_all(carpeta);
  EXPECT_EQ(s->version, 1);
  EXPECT_EQ(s->nSeries, 9);
  EXPECT_EQ(s->nPuntos, 20 * 144);
  EXPECT_EQ(s->dtEntreMuestras_horas, 1.0 / 6.0);
  EXPECT_EQ(s->dtPrimeraMuestra, g.datos->dtPrimeraMuestra);
  EXPECT_EQ(s->anio * 10000 + s->mes * 100 + s->dia, 20170615);
  EXPECT_EQ(s->nombres, NombresCanalesGenerados());
  EXPECT_EQ(s->tipos, g.datos->tipos);
  for (int i = 0; i < 9; ++i)
    EXPECT_TRUE(Iguales(s->series[i], g.datos->series[i])) << "serie " << i + 1;
}

// Two years of the reference farm: every filter of the empirical model has work to do.
TEST(GeneradorSeries, TwoYearsCarryEveryKindOfDefect) {
  TSerieGenerada g = GenerarSerie(Parametros(730, 1));
  const TSeriesDeDatos& s = *g.datos;
  const int N = s.nPuntos;
  ASSERT_EQ(N, 105120);
  const double PAut = 50;
  auto x = [&](int serie, int k) { return s.series[serie].e(k); };

  int huecos = 0, restringidas = 0, capaces = 0, siguiendo = 0, limpias = 0, rachaMax = 0, racha = 0,
      indisponibles = 0;
  double sumaV = 0, maxDisp = 0;
  int nV = 0;
  for (int k = 1; k <= N; ++k) {
    bool hueco = x(VEL, k) < -10 || x(VEL, k) > 80 || x(DIR, k) < -1000 || x(PE, k) < -1000 ||
                 x(PE, k) > 1.2 * PAut || x(CGM, k) < -1000;
    EXPECT_EQ(hueco, (g.marcas[k] & MARCA_HUECO) != 0) << k;
    huecos += hueco;
    if (hueco) continue;
    EXPECT_GE(x(DIR, k), 0);
    EXPECT_LT(x(DIR, k), 360);
    sumaV += x(VEL, k), ++nV;
    maxDisp = std::max(maxDisp, x(DISP, k));
    indisponibles += x(DISP, k) >= 0 && x(DISP, k) < 80;
    if (x(CGM, k) < PAut - 0.5) {
      ++restringidas;
      // Where the wind allows more than the setpoint the farm follows it (but on a ramp-down sample).
      if (g.PSinRestriccion.e(k) > x(CGM, k) + 0.03 * PAut &&
          !(g.marcas[k] & (MARCA_ATIPICO | MARCA_REPETIDO))) {
        ++capaces;
        siguiendo += std::fabs(x(PE, k) - x(CGM, k)) < 0.03 * PAut;
      }
    } else {
      EXPECT_EQ(x(CGM, k), PAut);
    }
    if (g.marcas[k] == 0) {
      ++limpias;
      EXPECT_EQ(x(PE, k), g.PSinRestriccion.e(k)) << k;
    }
    if (k > 1 && x(VEL, k) == x(VEL, k - 1))
      rachaMax = std::max(rachaMax, ++racha);
    else
      racha = 0;
  }
  EXPECT_GT(huecos, N / 200);
  EXPECT_LT(huecos, N / 20);
  EXPECT_GT(restringidas, 500);
  EXPECT_GT(capaces, restringidas / 2);
  EXPECT_GT(siguiendo, capaces * 9 / 10);
  EXPECT_GT(limpias, N * 8 / 10);
  EXPECT_GE(rachaMax, 9); // a frozen anemometer
  EXPECT_GT(indisponibles, 0);
  EXPECT_EQ(maxDisp, 100); // per cent
  double vMedia = sumaV / nV;
  EXPECT_GT(vMedia, 6);
  EXPECT_LT(vMedia, 9);
}

TEST(GeneradorSeries, AvailabilityFormats) {
  struct Caso {
    TFormatoDisponibilidad formato;
    double maximo;
  } casos[] = {{TFormatoDisponibilidad::Porcentaje, 100},
               {TFormatoDisponibilidad::Maquinas, 25},
               {TFormatoDisponibilidad::PorUnidad, 1}};
  for (const Caso& c : casos) {
    TParametrosGenerador p = Parametros(60, 5);
    p.formatoDisponibilidad = c.formato;
    TSerieGenerada g = GenerarSerie(p);
    const TVectR& d = g.datos->series[DISP];
    double m = d.e(1);
    for (int k = 2; k <= d.n(); ++k)
      m = std::max(m, d.e(k));
    EXPECT_EQ(m, c.maximo);
    for (int k = 1; k <= d.n(); ++k) {
      if (d.e(k) > -1000) {
        EXPECT_NEAR(d.e(k) / c.maximo, g.Disponibilidad.e(k), 0.01) << k;
      }
    }
  }
}

} // namespace

namespace {

// The farm curve of the reference farm's theoretical model drives the generated power.
TEST(GeneradorSeries, PowerFromTheTheoreticalModel) {
  auto modelo =
      TParque_ModeloTeorico::Create_LoadFromArchi(std::string(AURVEND_DATA_DIR) + "/c1_parque_mt.pmt");
  TCurvaParqueDireccional curva = CurvaParqueDesdeModelo(*modelo, 2, 2.0, 14);
  for (int i = 0; i < 2; ++i) {
    EXPECT_EQ(curva.Tabla(i, 0), 0);
    for (int j = 1; j < 12; ++j)
      EXPECT_GE(curva.Tabla(i, j), curva.Tabla(i, j - 1)) << i << " " << j;
    EXPECT_GT(curva.Tabla(i, 8), 0.95 * modelo->potencia_autorizada_mw * (1 - modelo->factor_perdidas));
    EXPECT_LE(curva.Tabla(i, 12), modelo->potencia_autorizada_mw);
  }
  TParametrosGenerador p = Parametros(10, 2);
  p.curva = std::make_shared<TCurvaParqueDireccional>(curva);
  TSerieGenerada g = GenerarSerie(p);
  for (int k = 1; k <= g.datos->nPuntos; ++k) {
    double v = g.datos->series[VEL].e(k) * std::cbrt(g.Rho.e(k) / 1.225);
    double esperado = curva.Potencia(g.datos->series[DIR].e(k), v) * g.Disponibilidad.e(k);
    if (g.marcas[k] == 0 && esperado > 1) {
      EXPECT_NEAR(g.datos->series[PE].e(k), esperado, 0.12 * esperado) << k;
    }
  }
}

} // namespace
