// Empirical model of the reference farm from two years of generated ten-minute samples: the numeric
// construction (filters, both sector passes, outliers, completion) and the whole construction with
// every report and chart.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <iostream>
#include <sstream>

#include "empirical/uparques_modeloempirico.h"
#include "farm/ucarpetas.h"
#include "farm/ucurvasaeros.h"
#include "farm/uparques_modeloteorico.h"
#include "generador/generador_series.h"

namespace {

// The reference farm fixture; built in memory with the same layout and curves when absent.
std::unique_ptr<TParque_ModeloTeorico> CargarParque() {
  const std::string fijo = std::string(AURVEND_DATA_DIR) + "/c1_parque_mt.pmt";
  if (std::filesystem::exists(fijo)) return TParque_ModeloTeorico::CreateLoadFromFile(fijo);
  const std::vector<double> P = {0.02, 0.09, 0.2, 0.35, 0.55, 0.8, 1.1, 1.4, 1.7, 1.9, 2.0};
  TVectR v(23), pw(23);
  for (int i = 1; i <= 23; ++i) {
    v.pon_e(i, 2 + i);
    pw.pon_e(i, i <= 11 ? P[i - 1] : 2.0);
  }
  auto parque = std::make_unique<TParque_ModeloTeorico>();
  parque->nid_central = 1;
  for (int k = 0; k < 25; ++k)
    parque->molinos.emplace_back(100 + k, 1, 1, TCurvaAerogen(1, "2 MW 80 m", 80, v, pw),
                                 TPosicion(500 + 400 * (k % 5), 600 * (k / 5)));
  parque->n_molinos = 25;
  parque->potencia_nominal = parque->potencia_autorizada_mw = 50;
  parque->Inicializar();
  return parque;
}

const TParque_ModeloTeorico& Parque() {
  static auto p = CargarParque();
  return *p;
}

const TSerieGenerada& DosAnios() {
  static TSerieGenerada g = [] {
    TParametrosGenerador p;
    p.nDias = 730;
    p.semilla = 2016;
    return GenerarSerie(p);
  }();
  return g;
}

std::unique_ptr<TSeriesDeDatos> Copia(const TSeriesDeDatos& s) {
  auto c = std::make_unique<TSeriesDeDatos>(s.nSeries, s.nPuntos, s.anio, s.mes, s.dia, s.hora, s.minuto,
                                            s.segundo, s.dtEntreMuestras_horas);
  c->series = s.series;
  c->archivo = s.archivo;
  return c;
}

// Console lines of the construction go to a string, not to the terminal.
struct TSilencio {
  std::ostringstream os;
  std::streambuf* previo = std::cout.rdbuf(os.rdbuf());
  ~TSilencio() { std::cout.rdbuf(previo); }
};

void BM_ConstruccionNumerica(benchmark::State& st) {
  const TSeriesDeDatos& s = *DosAnios().datos;
  for (auto _ : st) {
    st.PauseTiming();
    auto c = Copia(s);
    st.ResumeTiming();
    TSilencio silencio;
    TParque_ModeloEmpirico me(Parque(), std::move(c), 5, 95, false);
    benchmark::DoNotOptimize(me.alfa.e(1));
  }
  st.counters["muestras"] = s.nPuntos;
}
BENCHMARK(BM_ConstruccionNumerica)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_ConstruccionCompletaConInformes(benchmark::State& st) {
  const std::string archivo = ArchiCentral(Parque().nid_central, SUFIJO_SERIES10MIN);
  EscribirArchivoSeries(*DosAnios().datos, archivo);
  for (auto _ : st) {
    TSilencio silencio;
    TParque_ModeloEmpirico me(Parque(), archivo, 5, 95, true);
    benchmark::DoNotOptimize(me.alfa.e(1));
  }
}
BENCHMARK(BM_ConstruccionCompletaConInformes)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace
