// Element access and interpolation of TVectR against a raw array, and the sort of a month of samples.
#include <benchmark/benchmark.h>

#include <vector>

#include "num/fddp.h"
#include "num/matreal.h"

namespace {

constexpr int kPuntos = 26;
constexpr int kConsultas = 4096;

std::vector<double> Consultas() {
  TMadreUniforme g(31);
  std::vector<double> q(kConsultas);
  for (double& x : q)
    x = g.sortear() * (kPuntos + 2) - 1;
  return q;
}

void BM_TVectR_interpol(benchmark::State& state) {
  TVectR curva(kPuntos);
  for (int i = 1; i <= kPuntos; ++i)
    curva.pon_e(i, i * i * 0.01);
  const std::vector<double> q = Consultas();
  for (auto _ : state) {
    double s = 0;
    for (double x : q)
      s += curva.interpol(x);
    benchmark::DoNotOptimize(s);
  }
  state.SetItemsProcessed(state.iterations() * kConsultas);
}
BENCHMARK(BM_TVectR_interpol);

// The same interpolation written on a plain array: the reference for the cost of TVectR.
void BM_ArregloCrudo_interpol(benchmark::State& state) {
  std::vector<double> v(kPuntos);
  for (int i = 1; i <= kPuntos; ++i)
    v[size_t(i - 1)] = i * i * 0.01;
  const std::vector<double> q = Consultas();
  for (auto _ : state) {
    double s = 0;
    for (double x : q) {
      double r;
      if (!(x >= 1.0))
        r = v[0];
      else if (x >= kPuntos)
        r = v[kPuntos - 1];
      else {
        const int a = int(x);
        r = v[size_t(a - 1)] + (x - a) * (v[size_t(a)] - v[size_t(a - 1)]);
      }
      s += r;
    }
    benchmark::DoNotOptimize(s);
  }
  state.SetItemsProcessed(state.iterations() * kConsultas);
}
BENCHMARK(BM_ArregloCrudo_interpol);

void BM_TVectR_acum_e(benchmark::State& state) {
  TVectR v(1 << 16);
  for (auto _ : state) {
    for (int i = 1; i <= v.n(); ++i)
      v.acum_e(i, v.e(i) * 0.5 + 1.0);
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * v.n());
}
BENCHMARK(BM_TVectR_acum_e);

void BM_ArregloCrudo_acum(benchmark::State& state) {
  std::vector<double> v(1 << 16);
  for (auto _ : state) {
    for (double& x : v)
      x += x * 0.5 + 1.0;
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * int64_t(v.size()));
}
BENCHMARK(BM_ArregloCrudo_acum);

// A month of ten-minute samples with many repeated values, sorted carrying their indices.
void BM_SortConIndice_Mes(benchmark::State& state) {
  const int n = 4464;
  TMadreUniforme g(31);
  TVectR base(n);
  for (int i = 1; i <= n; ++i)
    base.pon_e(i, i % 3 == 0 ? 99999.0 : double(int(g.sortear() * 200)));
  for (auto _ : state) {
    TVectR v = base;
    TDAofNInt idx(size_t(n) + 1);
    for (int i = 0; i <= n; ++i)
      idx[size_t(i)] = i;
    v.SortConIndice(true, idx);
    benchmark::DoNotOptimize(idx.data());
  }
  state.SetItemsProcessed(state.iterations() * n);
}
BENCHMARK(BM_SortConIndice_Mes);

} // namespace
