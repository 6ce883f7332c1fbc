// The wake grid, the program's hot loop, on the reference farm at 9 m/s for four directions:
// Preparar, one Simular pass and a whole ResolverMeteo, in cells per second, against a plain
// streaming kernel (one multiply–add per element) over as many doubles as the grid has cells.
// Counters: "celdas/s" (grid cells per second) and, for the pass, "razon_vs_kernel" = time per cell
// of the pass / time per element of the kernel, both measured in the same run.
// The pass without the stored grid (guardarGrilla false: two rows in cache, the station's cells
// captured) is measured next to the pass that stores it: "razon_con_vs_sin_grilla" = best time of the
// stored-grid pass / best time of the two-row pass, both measured in the same run.
#include <benchmark/benchmark.h>

#include <chrono>
#include <memory>
#include <vector>

#include "farm/uparques_modeloteorico.h"

namespace {

std::unique_ptr<TParque_ModeloTeorico> Referencia() {
  static const std::unique_ptr<TParque_ModeloTeorico> p =
      TParque_ModeloTeorico::Create_LoadFromArchi(std::string(AURVEND_DATA_DIR) + "/c1_parque_mt.pmt");
  return p->Create_Copia();
}

const double kDp = DensidadPotencia(9, 1.225);

// Cells of the grid laid by the last Preparar (stored or not).
double Celdas(const TParque_ModeloTeorico& p) {
  return double(p.rot_ny + 1) * double(p.rot_nx + 1);
}

// Best time of one Simular pass over several repetitions.
double MejorSegundosPasada(TParque_ModeloTeorico& p) {
  double d, mejor = 1e30;
  for (int rep = 0; rep < 30; ++rep) {
    const auto t0 = std::chrono::steady_clock::now();
    benchmark::DoNotOptimize(p.Simular(1.225, kDp, 100, d));
    const auto t1 = std::chrono::steady_clock::now();
    mejor = std::min(mejor, std::chrono::duration<double>(t1 - t0).count());
  }
  return mejor;
}

// x[i] := a · x[i] + b over n doubles, the machine's streaming limit for a read-modify-write pass.
void Kernel(double* __restrict x, size_t n, double a, double b) {
  for (size_t i = 0; i < n; ++i)
    x[i] = a * x[i] + b;
}

// Seconds per element of the kernel over n doubles (best of several repetitions).
double SegundosPorElementoKernel(size_t n) {
  std::vector<double> x(n, 1.0);
  double mejor = 1e30;
  for (int rep = 0; rep < 30; ++rep) {
    const auto t0 = std::chrono::steady_clock::now();
    Kernel(x.data(), n, 0.999999, 1e-7);
    benchmark::ClobberMemory();
    const auto t1 = std::chrono::steady_clock::now();
    mejor = std::min(mejor, std::chrono::duration<double>(t1 - t0).count());
  }
  benchmark::DoNotOptimize(x.data());
  return mejor / double(n);
}

void BM_Preparar(benchmark::State& st) {
  auto p = Referencia();
  const double dir = double(st.range(0));
  p->Preparar(false, dir, kDp, 1.225);
  for (auto _ : st) {
    p->Preparar(false, dir, kDp, 1.225);
    benchmark::ClobberMemory();
  }
  st.counters["celdas"] = Celdas(*p);
}

// Times one Simular pass of the reference farm in the benchmark loop and sets the common counters;
// returns the prepared model for the per-cell comparisons.
std::unique_ptr<TParque_ModeloTeorico> TiempoPasada(benchmark::State& st, bool guardarGrilla) {
  auto p = Referencia();
  p->guardarGrilla = guardarGrilla;
  p->Preparar(false, double(st.range(0)), kDp, 1.225);
  double d;
  p->Simular(1.225, kDp, 100, d);
  const long long antes = p->nPasadas;
  for (auto _ : st)
    benchmark::DoNotOptimize(p->Simular(1.225, kDp, 100, d));
  const double pasadas = double(p->nPasadas - antes);
  const double celdas = Celdas(*p);
  st.counters["celdas"] = celdas;
  st.counters["pasadas_por_iter"] = pasadas / double(st.iterations());
  st.counters["celdas/s"] = benchmark::Counter(celdas * pasadas, benchmark::Counter::kIsRate);
  return p;
}

void BM_PasadaSimular(benchmark::State& st) {
  auto p = TiempoPasada(st, true);
  const double celdas = Celdas(*p);
  // Best-case time per cell of a pass, measured here to compare with the kernel in the same run.
  const double porCelda = MejorSegundosPasada(*p) / celdas;
  const double porElemento = SegundosPorElementoKernel(size_t(celdas));
  st.counters["ns_por_celda"] = porCelda * 1e9;
  st.counters["ns_por_elem_kernel"] = porElemento * 1e9;
  st.counters["razon_vs_kernel"] = porCelda / porElemento;
}

void BM_PasadaSimularSinGrilla(benchmark::State& st) {
  auto p = TiempoPasada(st, false);
  // The same pass storing the grid, on another copy, in the same run.
  auto q = Referencia();
  double d;
  q->Preparar(false, double(st.range(0)), kDp, 1.225);
  q->Simular(1.225, kDp, 100, d);
  const double sin = MejorSegundosPasada(*p), con = MejorSegundosPasada(*q);
  st.counters["ns_por_celda"] = sin / Celdas(*p) * 1e9;
  st.counters["razon_con_vs_sin_grilla"] = con / sin;
}

// A whole station iteration, with or without the stored grid.
void ResolverMeteoCon(benchmark::State& st, bool guardarGrilla) {
  auto p = Referencia();
  p->guardarGrilla = guardarGrilla;
  const double dir = double(st.range(0));
  p->Preparar(false, dir, kDp, 1.225);
  const long long antes = p->nPasadas;
  for (auto _ : st)
    benchmark::DoNotOptimize(p->ResolverMeteo(1.225, kDp, 50));
  const double pasadas = double(p->nPasadas - antes);
  st.counters["celdas"] = Celdas(*p);
  st.counters["pasadas_por_iter"] = pasadas / double(st.iterations());
  st.counters["celdas/s"] = benchmark::Counter(Celdas(*p) * pasadas, benchmark::Counter::kIsRate);
}

void BM_ResolverMeteoSinGrilla(benchmark::State& st) {
  ResolverMeteoCon(st, false);
}

void BM_ResolverMeteo(benchmark::State& st) {
  ResolverMeteoCon(st, true);
}

void BM_KernelStreaming(benchmark::State& st) {
  auto p = Referencia();
  p->Preparar(false, double(st.range(0)), kDp, 1.225);
  const size_t n = size_t(Celdas(*p));
  std::vector<double> x(n, 1.0);
  for (auto _ : st) {
    Kernel(x.data(), n, 0.999999, 1e-7);
    benchmark::ClobberMemory();
  }
  st.counters["elementos/s"] = benchmark::Counter(double(n), benchmark::Counter::kIsIterationInvariantRate);
}

#define DIRECCIONES Arg(0)->Arg(45)->Arg(90)->Arg(270)->Unit(benchmark::kMillisecond)
BENCHMARK(BM_Preparar)->DIRECCIONES;
BENCHMARK(BM_PasadaSimular)->DIRECCIONES;
BENCHMARK(BM_PasadaSimularSinGrilla)->DIRECCIONES;
BENCHMARK(BM_ResolverMeteo)->DIRECCIONES;
BENCHMARK(BM_ResolverMeteoSinGrilla)->DIRECCIONES;
BENCHMARK(BM_KernelStreaming)->DIRECCIONES;

} // namespace
