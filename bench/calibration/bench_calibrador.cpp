// Calibrator and combined model on the reference farm, with the empirical model built from a generated
// two-year series: one objective evaluation (both cores and one), the combined-model build, the
// per-sample estimate (curtailed and free sample) and a whole calibration search.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <sstream>

#include "calibration/ucalibrador.h"
#include "calibration/uparques_modelocombinado.h"
#include "empirical/uparques_modeloempirico.h"
#include "farm/ucarpetas.h"
#include "farm/uparques_modeloteorico.h"
#include "generador/generador_series.h"

namespace {

// Console lines of the models go to a string while they are built or searched.
struct TSilencio {
  std::stringstream ss;
  std::streambuf* antes;
  TSilencio() : antes(std::cout.rdbuf(ss.rdbuf())) {}
  ~TSilencio() { std::cout.rdbuf(antes); }
};

struct TEscenario {
  std::unique_ptr<TParque_ModeloTeorico> parque;
  std::unique_ptr<TCalibradorParque> calibrador;
  std::string clp;
  std::unique_ptr<TParque_ModeloCombinado> mc;
};

TEscenario& Escenario() {
  static TEscenario e = [] {
    if (!std::getenv("AURVEND_BASE"))
      setenv("AURVEND_BASE", (std::filesystem::temp_directory_path() / "aurvend_bench_calibracion").c_str(),
             1);
    TEscenario r;
    r.parque =
        TParque_ModeloTeorico::Create_LoadFromArchi(std::string(AURVEND_DATA_DIR) + "/c1_parque_mt.pmt");
    TParametrosGenerador p; // two years
    const std::string sas = ArchiCentral(r.parque->nid_central, SUFIJO_SERIES10MIN);
    GenerarArchivoSeries(p, sas);
    TSilencio s;
    r.calibrador = TCalibradorParque::Create(*r.parque, sas, 5, 95, false);
    r.clp = ArchiCalibrador(r.parque->nid_central);
    r.calibrador->SaveToFile(r.clp);
    r.mc = TParque_ModeloCombinado::Create(r.clp);
    return r;
  }();
  return e;
}

void BM_FuncionObjetivo(benchmark::State& st) {
  TCalibradorParque& cal = *Escenario().calibrador;
  cal.HilosObjetivo = int(st.range(0));
  for (auto _ : st)
    benchmark::DoNotOptimize(cal.FuncionObjetivo(31, cal.Parametros));
  cal.HilosObjetivo = 2;
}
BENCHMARK(BM_FuncionObjetivo)->Arg(1)->Arg(2)->ArgName("hilos")->Unit(benchmark::kMillisecond);

void BM_ConstruirModeloCombinado(benchmark::State& st) {
  const std::string clp = Escenario().clp;
  for (auto _ : st) {
    TSilencio s;
    benchmark::DoNotOptimize(TParque_ModeloCombinado::Create(clp));
  }
}
BENCHMARK(BM_ConstruirModeloCombinado)->Unit(benchmark::kMillisecond);

// One sample at 9 m/s from 250 degrees: free (setpoint at the authorised power) and curtailed.
void BM_CalcularPotencia(benchmark::State& st) {
  TParque_ModeloCombinado& mc = *Escenario().mc;
  const double cgm = st.range(0) ? 20.0 : 50.0;
  const long long pasadas0 = mc.ModeloTeorico->nPasadas;
  for (auto _ : st)
    benchmark::DoNotOptimize(mc.CalcularPotencia(9.0, 250.0, 1.2, cgm, false));
  st.counters["pasadas_por_muestra"] =
      double(mc.ModeloTeorico->nPasadas - pasadas0) / double(std::max<int64_t>(1, st.iterations()));
}
BENCHMARK(BM_CalcularPotencia)->Arg(0)->Arg(1)->ArgName("restringida")->Unit(benchmark::kMillisecond);

void BM_CalibrarCompleto(benchmark::State& st) {
  for (auto _ : st) {
    auto cal = TCalibradorParque::CreateLoadFromFile(Escenario().clp);
    int evaluaciones = 0;
    TSilencio s;
    benchmark::DoNotOptimize(cal->CalibrarCon({}, [&](const TDAofNReal& p) {
      ++evaluaciones;
      return cal->FuncionObjetivo(31, p);
    }));
    st.counters["evaluaciones"] = evaluaciones;
  }
}
BENCHMARK(BM_CalibrarCompleto)->Iterations(1)->Unit(benchmark::kSecond);

} // namespace
