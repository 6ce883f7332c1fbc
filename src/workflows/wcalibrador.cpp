#include "workflows/wcalibrador.h"

#include <iostream>

#include "farm/ucarpetas.h"
#include "farm/uparques_modeloteorico.h"

TCalibradorConParque::TCalibradorConParque() = default;
TCalibradorConParque::TCalibradorConParque(TCalibradorConParque&&) noexcept = default;
TCalibradorConParque::~TCalibradorConParque() {
  Calibrador.reset();
}

TCalibradorConParque CrearCalibradorDesdeArchivos(const std::string& archivoPmt,
                                                  const std::string& archivoSeries, int PorcentajeAjusteInf,
                                                  int PorcentajeAjusteSup, const std::string& archivoSalida,
                                                  std::string& archivoEscrito, bool conReportes) {
  TCalibradorConParque r;
  r.ModeloTeorico = TParque_ModeloTeorico::Create_LoadFromArchi(archivoPmt);
  r.Calibrador = TCalibradorParque::Create(*r.ModeloTeorico, archivoSeries, PorcentajeAjusteInf,
                                           PorcentajeAjusteSup, conReportes);
  archivoEscrito = archivoSalida.empty() ? ArchiCalibrador(r.ModeloTeorico->nid_central) : archivoSalida;
  r.Calibrador->SaveToFile(archivoEscrito);
  return r;
}

double CalibrarParque(TCalibradorParque& calibrador, const std::string& archivoSalida,
                      std::string& archivoEscrito) {
  const double e = calibrador.Calibrar({});
  archivoEscrito =
      archivoSalida.empty()
          ? ArchivoEnCarpeta(CarpetaBasura(), "calibrador_" + calibrador.ModeloTeorico->nombre + "_FIN_.clp")
          : archivoSalida;
  calibrador.SaveToFile(archivoEscrito);
  return e;
}

double CalibrarDesdeArchivo(const std::string& archivoClp, const std::string& archivoSalida,
                            std::string& archivoEscrito) {
  auto cal = TCalibradorParque::CreateLoadFromFile(archivoClp);
  return CalibrarParque(*cal, archivoSalida, archivoEscrito);
}

TMatR CalibracionSimpleEthaMeteo(TCalibradorParque& calibrador) {
  TMatR m = calibrador.CalibrarSimpleEthaMeteo();
  calibrador.ModeloTeorico->meteo_etha = m;
  // The parameter references point into the station table just replaced.
  calibrador.TomarParametros();
  std::cout << "Calibración de EthaMeteo de la Central " << calibrador.ModeloTeorico->nid_central
            << " terminada." << std::endl;
  m.print();
  return m;
}

TMatR CalibracionSimpleEthaMeteoDesdeArchivo(const std::string& archivoClp,
                                             const std::string& archivoSalida) {
  auto cal = TCalibradorParque::CreateLoadFromFile(archivoClp);
  TMatR m = CalibracionSimpleEthaMeteo(*cal);
  if (!archivoSalida.empty()) cal->SaveToFile(archivoSalida);
  return m;
}

double ObjetivoDesdeArchivo(const std::string& archivoClp) {
  auto cal = TCalibradorParque::CreateLoadFromFile(archivoClp);
  return cal->FuncionObjetivo(31, cal->Parametros);
}

std::string CrearModeloCombinadoDesdeArchivo(const std::string& archivoClp,
                                             const std::string& archivoSalida) {
  auto mc = TParque_ModeloCombinado::Create(archivoClp);
  const std::string archivo =
      archivoSalida.empty() ? ArchiModeloMC(mc->ModeloTeorico->nid_central) : archivoSalida;
  mc->SaveToFile(archivo);
  return archivo;
}

TPotenciasMC PotenciaModeloCombinadoDesdeArchivo(const std::string& archivoPmc, double v, double dir,
                                                 double rho, double cgm, bool soloTeorico) {
  auto mc = TParque_ModeloCombinado::CreateLoadFromFile(archivoPmc);
  return mc->CalcularPotencia(v, dir, rho, cgm, soloTeorico);
}
