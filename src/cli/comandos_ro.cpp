// aurvend-cli: the operating-restriction family ("ro procesar", "ro ventana").
#include <iostream>

#include "cli/comandos.h"
#include "farm/uparques_modeloteorico.h"
#include "num/uauxiliares.h"
#include "workflows/wrestricciones.h"

namespace {

std::string FechaMinutos(double t) {
  return FormatearFechaHora("yyyy-mm-dd hh:nn", t);
}

// "Calcular solo las R.O.": every results file and the hourly report, then one line per period
// (start, end, energy SCADA, energy SMEC) and the totals.
int RoProcesar(const cli::TArgs& args) {
  cli::TOpciones o(args, {"pmc", "sas", "desde", "hasta", "buffer", "factor", "carpeta", "hilos"});
  const std::string pmc = o.texto("pmc"), sas = o.texto("sas");
  const double desde = TextoAFecha(o.texto("desde"));
  const double hasta = TextoAFecha(o.texto("hasta"));
  const int B = o.entero("buffer", 6);
  const double factor = o.real("factor", 0);
  TResultadoRestricciones r = CalcularSoloRestricciones(pmc, sas, desde, hasta, B, FactorFijo(factor),
                                                        o.texto("carpeta", ""), o.entero("hilos", 0));
  std::cout << "Reporte horario: " << r.archivoHorario << "\n";
  for (size_t i = 0; i < r.periodos.size(); ++i)
    std::cout << "Período\t" << FechaMinutos(r.periodos[i].fechaInicio) << "\t"
              << FechaMinutos(r.periodos[i].fechaFin) << "\t" << cli::RealCLI(r.ventanas[i].E_aj) << "\t"
              << cli::RealCLI(r.factorSMEC * r.ventanas[i].E_aj) << "\n";
  std::cout << "Total\t" << r.periodos.size() << " períodos\t\t" << cli::RealCLI(r.E_total) << "\t"
            << cli::RealCLI(r.factorSMEC * r.E_total) << "\n";
  return 0;
}

// "Calcular con todos los datos": the whole range as one interval.
int RoVentana(const cli::TArgs& args) {
  cli::TOpciones o(args, {"pmc", "sas", "desde", "hasta", "buffer", "factor", "carpeta", "hilos"},
                   {"matrices", "solo-teorico"});
  auto MC = TParque_ModeloCombinado::CreateLoadFromFile(o.texto("pmc"));
  const double desde = TextoAFecha(o.texto("desde"));
  const double hasta = TextoAFecha(o.texto("hasta"));
  TDAofRecsEnergiaPorFecha energias;
  TResultadoVentana r = CalcularConTodosLosDatos(
      *MC, o.texto("sas"), desde, hasta, o.entero("buffer", 6), FactorFijo(o.real("factor", 0)),
      o.tiene("solo-teorico"), o.tiene("matrices"), energias, o.texto("carpeta", ""), o.entero("hilos", 0));
  std::cout << "Resultados: " << r.archivoResultados << "\n";
  std::cout << "Energía no suministrada SCADA [MWh]\t" << cli::RealCLI(r.E_aj) << "\n";
  std::cout << "Energía no suministrada SMEC [MWh]\t" << cli::RealCLI(r.factorSMEC * r.E_aj) << "\n";
  return 0;
}

cli::TRegistroComando regProcesar(
    "ro procesar",
    "  ro procesar --pmc ARCHIVO --sas ARCHIVO --desde AAAA-MM-DD --hasta AAAA-MM-DD [--buffer 6]\n"
    "              [--factor F] [--carpeta DIR] [--hilos N]\n"
    "                                    energía no suministrada en los períodos de restricción\n"
    "                                    (hasta el final del día --hasta); factor SMEC/SCADA por omisión 0",
    &RoProcesar);

cli::TRegistroComando
    regVentana("ro ventana",
               "  ro ventana --pmc ARCHIVO --sas ARCHIVO --desde AAAA-MM-DD --hasta AAAA-MM-DD [--buffer 6]\n"
               "             [--factor F] [--matrices] [--solo-teorico] [--carpeta DIR] [--hilos N]\n"
               "                                    modelo combinado sobre todo el rango como un intervalo\n"
               "                                    (con --matrices, también Matrices_Errores.xlt)",
               &RoVentana);

} // namespace
