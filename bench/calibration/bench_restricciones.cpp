// Operating-restriction energy on the reference farm: the restriction periods of the first 80 days of
// a generated two-year series (with a combined model built from that series), on one worker and on
// both cores. Reported: samples per second, wake-grid passes per sample, and the ratio of the
// per-sample time to (passes per sample) x (one pass's time), one pass being timed on the same samples.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <sstream>

#include "calibration/ucalcrestriccionesoperativas.h"
#include "calibration/ucalibrador.h"
#include "calibration/uparques_modelocombinado.h"
#include "empirical/uparques_modeloempirico.h"
#include "farm/ucarpetas.h"
#include "farm/uparques_modeloteorico.h"
#include "generador/generador_series.h"
#include "num/uauxiliares.h"

namespace {

// Console lines (one per sample) go to a string while the computation runs.
struct TSilencioRO {
  std::stringstream ss;
  std::streambuf* antes;
  TSilencioRO() : antes(std::cout.rdbuf(ss.rdbuf())) {}
  ~TSilencioRO() { std::cout.rdbuf(antes); }
};

struct TEscenarioRO {
  std::unique_ptr<TParque_ModeloTeorico> parque;
  std::unique_ptr<TParque_ModeloCombinado> mc;
  std::unique_ptr<TSeriesDeDatos> series;
  TDAofRecsFechas periodos;
  std::string carpeta;
  double segundosPorPasada = 0; // one wake-grid pass, averaged over the samples of the periods
};

TEscenarioRO& EscenarioRO() {
  static TEscenarioRO e = [] {
    if (!std::getenv("AURVEND_BASE"))
      setenv("AURVEND_BASE", (std::filesystem::temp_directory_path() / "aurvend_bench_calibracion").c_str(),
             1);
    TEscenarioRO r;
    r.parque =
        TParque_ModeloTeorico::Create_LoadFromArchi(std::string(AURVEND_DATA_DIR) + "/c1_parque_mt.pmt");
    const int nid = r.parque->nid_central;
    TParametrosGenerador p; // two years
    const std::string sas = ArchiCentral(nid, SUFIJO_SERIES10MIN);
    GenerarArchivoSeries(p, sas);
    {
      TSilencioRO s;
      auto cal = TCalibradorParque::Create(*r.parque, sas, 5, 95, false);
      const std::string clp = ArchiEnCarpeta(CarpetaBasura(), nid, "_bench_ro.clp");
      cal->SaveToFile(clp);
      r.mc = TParque_ModeloCombinado::Create(clp);
    }
    r.series = TSeriesDeDatos::Create_LeerDeArchivo(sas);
    double ini = r.series->dtPrimeraMuestra, fin = ini + 80;
    r.periodos = DetectarRestricciones(*r.series, ini, fin, r.mc->ModeloTeorico->potencia_autorizada_mw);
    r.carpeta = CarpetaBasura() + "/bench_ro";

    // One pass: Simular on the prepared grid of each sample of the periods, divided by its passes.
    auto modelo = r.mc->Create_Copia();
    TParque_ModeloTeorico& mt = *modelo->ModeloTeorico;
    mt.guardarGrilla = false; // as the job's estimators run their passes
    const TSeriesDeDatos& s = *r.series;
    double segundos = 0;
    long long pasadas = 0;
    for (const auto& per : r.periodos)
      for (int k = IndiceDeMuestra(s, per.fechaInicio);
           k < IndiceDeMuestra(s, per.fechaFin) && k <= s.nPuntos; ++k) {
        const double v = s.series[0].e(k), dir = s.series[1].e(k);
        if (v < 0 || v > 80 || dir < 0) continue;
        const double rho = DensidadAire(s.series[3].e(k), s.series[4].e(k), s.series[5].e(k));
        const double dp = DensidadPotencia(v, rho);
        mt.Preparar(false, dir, dp, rho);
        const long long p0 = mt.nPasadas;
        const auto t0 = std::chrono::steady_clock::now();
        benchmark::DoNotOptimize(mt.Simular(rho, dp / mt.etha_meteo_dir, mt.potencia_autorizada_mw));
        segundos += std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
        pasadas += mt.nPasadas - p0;
      }
    r.segundosPorPasada = pasadas > 0 ? segundos / double(pasadas) : 0;
    return r;
  }();
  return e;
}

// The restriction periods of 80 days, each with its window widened by four hours, as the whole job
// runs them (buffer of 6 samples).
void BM_RestriccionesOchentaDias(benchmark::State& st) {
  TEscenarioRO& e = EscenarioRO();
  TEstimadorModeloCombinado est(*e.mc);
  TGrupoEstimadores grupo(est, int(st.range(0)));
  TDatosCentral central;
  central.ModeloTeorico = e.mc->ModeloTeorico;
  central.nSectores = e.mc->ModeloEmpirico->nSectores();
  central.nBandas = e.mc->ModeloEmpirico->nBandas();
  auto pasadasTotales = [&] {
    long long n = 0;
    for (int i = 0; i < grupo.n(); ++i)
      n += static_cast<TEstimadorModeloCombinado&>(grupo[i]).Modelo().ModeloTeorico->nPasadas;
    return n;
  };
  long long muestras = 0;
  const long long p0 = pasadasTotales();
  double segundos = 0;
  for (auto _ : st) {
    TSilencioRO s;
    TDAofRecsEnergiaPorFecha energias;
    const auto t0 = std::chrono::steady_clock::now();
    for (const auto& p : e.periodos)
      muestras +=
          CalcularVentana(central, grupo, *e.series, e.carpeta, p.fechaInicio - 4.0 / 24,
                          p.fechaFin + 4.0 / 24, p.fechaInicio, p.fechaFin, 1.0, energias, 6, false, false)
              .nEstimaciones;
    segundos += std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
  }
  const double pasadasPorMuestra = double(pasadasTotales() - p0) / double(muestras);
  st.counters["periodos"] = double(e.periodos.size());
  st.counters["muestras_por_s"] = double(muestras) / segundos;
  st.counters["pasadas_por_muestra"] = pasadasPorMuestra;
  st.counters["us_por_pasada"] = e.segundosPorPasada * 1e6;
  // Per-sample wall time per worker against the wake grid's own cost for that sample.
  st.counters["razon_vs_grilla"] =
      (segundos * double(grupo.n()) / double(muestras)) / (pasadasPorMuestra * e.segundosPorPasada);
}
BENCHMARK(BM_RestriccionesOchentaDias)
    ->Arg(1)
    ->Arg(2)
    ->ArgName("hilos")
    ->Unit(benchmark::kSecond)
    ->Iterations(1);

} // namespace
