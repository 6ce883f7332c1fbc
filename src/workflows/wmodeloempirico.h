#pragma once
// Workflow "empirical model": reads a farm model file and builds the farm's empirical model from a
// ten-minute series file, writing every report and chart in the farm's working folder.
#include <memory>
#include <string>

#include "empirical/uparques_modeloempirico.h"
#include "farm/uparques_modeloteorico.h"

// The farm read from its model file and the empirical model built on it (which refers to the farm,
// so both travel together; members are released in reverse order, the farm last).
struct TModeloEmpiricoConParque {
  std::unique_ptr<TParque_ModeloTeorico> ModeloTeorico;
  std::unique_ptr<TParque_ModeloEmpirico> ModeloEmpirico;
};

// Builds the empirical model of an already loaded farm (reports and charts in the farm's folder).
std::unique_ptr<TParque_ModeloEmpirico> CrearModeloEmpirico(const TParque_ModeloTeorico& ModeloTeorico,
                                                            const std::string& archivoSeries,
                                                            int PorcentajeAjusteInf = 5,
                                                            int PorcentajeAjusteSup = 95);

// Reads the farm model file (.pmt), then builds its empirical model.
TModeloEmpiricoConParque CrearModeloEmpiricoDesdeArchivos(const std::string& archivoPmt,
                                                          const std::string& archivoSeries,
                                                          int PorcentajeAjusteInf = 5,
                                                          int PorcentajeAjusteSup = 95);
