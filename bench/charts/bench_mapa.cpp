// Farm map of the reference farm at 978 × 616 pixels (the window's map boxes): the per-pixel grid
// evaluation alone and the whole drawing; and a scatter chart of 5 000 and 100 000 samples saved as
// a 2100 × 1000 JPEG (the empirical model writes dozens of those).
#include <benchmark/benchmark.h>

#include <QImage>
#include <QPainter>

#include <cmath>
#include <filesystem>

#include "charts/ugraficador.h"
#include "charts/umapaparque.h"
#include "farm/uparques_modeloteorico.h"

namespace {

std::unique_ptr<TParque_ModeloTeorico> ParqueCalculado(double dir) {
  AsegurarAplicacionGrafica();
  auto p = TParque_ModeloTeorico::Create_LoadFromArchi(std::string(AURVEND_DATA_DIR) + "/c1_parque_mt.pmt");
  const double dp = DensidadPotencia(9, 1.225);
  p->Preparar(false, dir, dp, 1.225);
  p->ResolverMeteo(1.225, dp, p->potencia_autorizada_mw);
  return p;
}

void BM_CampoVientoMapa(benchmark::State& st) {
  auto p = ParqueCalculado(double(st.range(0)));
  QImage img(978, 616, QImage::Format_RGB32);
  for (auto _ : st) {
    PintarCampoViento(img, *p);
    benchmark::DoNotOptimize(img.constBits());
  }
  st.counters["pixeles/s"] = benchmark::Counter(978.0 * (616 - ALTO_BARRA_COLORES) * double(st.iterations()),
                                                benchmark::Counter::kIsRate);
}
BENCHMARK(BM_CampoVientoMapa)->Arg(270)->Arg(45)->Unit(benchmark::kMillisecond);

void BM_MapaCompleto(benchmark::State& st) {
  auto p = ParqueCalculado(270);
  QImage img(978, 616, QImage::Format_RGB32);
  for (auto _ : st) {
    QPainter q(&img);
    VelocidadesMT_To_PB(q, *p, 978, 616);
    q.end();
    benchmark::DoNotOptimize(img.constBits());
  }
}
BENCHMARK(BM_MapaCompleto)->Unit(benchmark::kMillisecond);

void BM_GraficoJPG(benchmark::State& st) {
  AsegurarAplicacionGrafica();
  const std::string archivo = (std::filesystem::temp_directory_path() / "aurvend_bench_grafico.jpg").string();
  TDAofNReal x, y;
  for (int i = 0; i < st.range(0); ++i) {
    const double v = 25.0 * i / double(st.range(0));
    x.push_back(v);
    y.push_back(40 / (1 + std::exp(-0.5 * (v - 7))) + 3 * std::sin(i * 0.37));
  }
  for (auto _ : st) {
    TGrafico g("bench", 2, 0);
    g.titulo = "Muestras";
    g.ejeX.titulo = "x";
    g.ejeY.titulo = "y";
    TSerieGrafico* sx = g.NuevaSerie("x", x, nullptr, "##.##", true);
    TSerieGrafico* sy = g.NuevaSerie("y", y, sx);
    sy->colorLinea = clNinguno;
    sy->radioMarcador = 2;
    g.SaveToJPG(archivo, 2100, 1000, 100);
  }
  std::filesystem::remove(archivo);
}
BENCHMARK(BM_GraficoJPG)->Arg(5000)->Arg(100000)->Unit(benchmark::kMillisecond);

} // namespace
