// aurvend-cli family "me": the empirical model of a farm.
#include <iostream>

#include "cli/comandos.h"
#include "num/fddp.h"
#include "num/uauxiliares.h"
#include "workflows/westadisticas_me.h"
#include "workflows/wmodeloempirico.h"

namespace {

// me crear --pmt F --sas F [--inf 5] [--sup 95] [--graficos CARPETA]
int MeCrear(const cli::TArgs& args) {
  cli::TOpciones op(args, {"pmt", "sas", "inf", "sup", "graficos"});
  const int inf = op.entero("inf", 5);
  const int sup = op.entero("sup", 95);
  TModeloEmpiricoConParque r = CrearModeloEmpiricoDesdeArchivos(op.texto("pmt"), op.texto("sas"), inf, sup);
  const TParque_ModeloEmpirico& me = *r.ModeloEmpirico;

  std::cout << "ang\talfa\tvm\tcntMuestras\n";
  for (int s = 1; s <= me.nSectores(); ++s)
    std::cout << cli::RealCLI(me.AnguloSector(s)) << "\t" << cli::RealCLI(me.alfa.e(s)) << "\t"
              << cli::RealCLI(me.vm.e(s)) << "\t" << me.cntMuestras.e(s) << "\n";

  const TEstadisticasME e = me.Estadisticas();
  std::cout << "\tMínimo\tMáximo\n";
  const struct {
    const char* etiqueta;
    double mn, mx;
  } filas[] = {{"Velocidad [m/s]", e.minVel, e.maxVel},
               {"Potencia [MW]", e.minPE, e.maxPE},
               {"Presión [hPa]", e.minPre, e.maxPre},
               {"Hum. Relativa [%]", e.minHumRel, e.maxHumRel},
               {"Disponibilidad [p.u.]", e.minfDisp, e.maxfDisp},
               {"Temperatura [ºC]", e.minTemp, e.maxTemp},
               {"CGM [MW]", e.minCGM, e.maxCGM}};
  for (const auto& f : filas)
    std::cout << f.etiqueta << "\t" << cli::RealCLI(f.mn) << "\t" << cli::RealCLI(f.mx) << "\n";
  std::cout << "Weibull k: " << cli::RealCLI(e.weibullVel->k) << "\n";
  std::cout << "Weibull lambda: " << cli::RealCLI(e.weibullVel->lambda) << "\n";

  if (op.tiene("graficos")) GuardarGraficosEstadisticaME(e, op.texto("graficos"), 541, 325);
  return 0;
}

cli::TRegistroComando
    reg("me crear",
        "  me crear --pmt ARCHIVO --sas ARCHIVO [--inf 5] [--sup 95] [--graficos CARPETA]\n"
        "                    construye el modelo empírico (informes y gráficos en la carpeta\n"
        "                    del parque), imprime la tabla por sector y las estadísticas",
        &MeCrear);

} // namespace
