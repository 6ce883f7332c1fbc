// Workflow "empirical model": farm model file and series file in, empirical model with its reports
// and charts in the farm's working folder out.
#include "workflows/wmodeloempirico.h"

std::unique_ptr<TParque_ModeloEmpirico> CrearModeloEmpirico(const TParque_ModeloTeorico& ModeloTeorico,
                                                            const std::string& archivoSeries,
                                                            int PorcentajeAjusteInf,
                                                            int PorcentajeAjusteSup) {
  return TParque_ModeloEmpirico::Create(ModeloTeorico, archivoSeries, PorcentajeAjusteInf,
                                        PorcentajeAjusteSup, true);
}

TModeloEmpiricoConParque CrearModeloEmpiricoDesdeArchivos(const std::string& archivoPmt,
                                                          const std::string& archivoSeries,
                                                          int PorcentajeAjusteInf, int PorcentajeAjusteSup) {
  TModeloEmpiricoConParque r;
  r.ModeloTeorico = TParque_ModeloTeorico::CreateLoadFromFile(archivoPmt);
  r.ModeloEmpirico =
      CrearModeloEmpirico(*r.ModeloTeorico, archivoSeries, PorcentajeAjusteInf, PorcentajeAjusteSup);
  return r;
}
