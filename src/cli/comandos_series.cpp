// aurvend-cli: the data-series family ("series info", "series generar").
#include <cstdio>
#include <iostream>

#include "cli/comandos.h"
#include "num/uauxiliares.h"
#include "series/useriestemporales.h"

#if __has_include("generador/generador_series.h")
#include "generador/generador_series.h"
#define AURVEND_CON_GENERADOR 1
#endif

namespace {

std::string DosCifras(int x) {
  char b[16];
  std::snprintf(b, sizeof b, "%02d", x);
  return b;
}

// Version, number of series, first sample, period (h), number of samples, then one line per series
// with its number, name and type.
int SeriesInfo(const cli::TArgs& args) {
  cli::TOpciones o(args, {"sas"});
  auto s = TSeriesDeDatos::Create_LeerDeArchivo(o.texto("sas"));
  std::cout << "version: " << s->version << "\n";
  std::cout << "nSeries: " << s->nSeries << "\n";
  std::cout << "primera muestra: " << s->anio << "-" << DosCifras(s->mes) << "-" << DosCifras(s->dia) << " "
            << DosCifras(s->hora) << ":" << DosCifras(s->minuto) << ":" << DosCifras(s->segundo) << "\n";
  std::cout << "dtEntreMuestras_horas: " << cli::RealCLI(s->dtEntreMuestras_horas) << "\n";
  std::cout << "nPuntos: " << s->nPuntos << "\n";
  for (int i = 0; i < s->nSeries; ++i)
    std::cout << "serie " << i + 1 << ": " << s->nombres[i] << " "
              << (s->tipos[i] == SALIDA ? "SALIDA" : "ENTRADA") << "\n";
  return 0;
}

cli::TRegistroComando
    regInfo("series info",
            "  series info --sas ARCHIVO         versión, series, primera muestra, período,\n"
            "                                    muestras, nombres y tipos de un archivo .sas",
            &SeriesInfo);

#ifdef AURVEND_CON_GENERADOR
// Writes a seeded realistic ten-minute series and prints what it injected.
int SeriesGenerar(const cli::TArgs& args) {
  cli::TOpciones o(args, {"sas", "desde", "dias", "semilla", "disp", "pmt"});
  std::string archivo = o.texto("sas");
  TParametrosGenerador p =
      ParametrosDeTextos(o.texto("desde", ""), o.texto("dias", ""), o.texto("semilla", ""),
                         o.texto("disp", ""), o.texto("pmt", ""));
  std::cout << "Generando " << p.nDias * 144 << " muestras diezminutales..." << std::endl;
  TSerieGenerada g = GenerarArchivoSeries(p, archivo);
  std::cout << "archivo: " << archivo << "\n";
  ImprimirResumen(g, std::cout);
  return 0;
}

cli::TRegistroComando regGenerar(
    "series generar",
    "  series generar --sas ARCHIVO [--desde aaaa-mm-dd] [--dias 730] [--semilla 1]\n"
    "                 [--disp porcentaje|maquinas|pu] [--pmt ARCHIVO]\n"
    "                                    escribe una serie diezminutal realista (parque de referencia,\n"
    "                                    o el modelo teórico de --pmt)",
    &SeriesGenerar);
#endif

} // namespace
