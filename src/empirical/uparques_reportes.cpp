// Report files of the empirical model: filtered series, S-curves, completed parameters and the
// fit's scratch table.
#include <cmath>
#include <iostream>

#include "empirical/uparques_modeloempirico.h"
#include "farm/ucarpetas.h"
#include "farm/ucurvasaeros.h"
#include "farm/uparques_modeloteorico.h"
#include "num/uauxiliares.h"
#include "num/utexto_archivos.h"

namespace {
const char kTab = '\t';
}

std::string TParque_ModeloEmpirico::Carpeta() const {
  return CarpetaCentral(ModeloTeorico->nid_central);
}

void TParque_ModeloEmpirico::EscribirSeriesFiltradas() const {
  TEscritorTexto f(ArchivoEnCarpeta(Carpeta(), "\\series_filtradas.xlt"));
  f.EscribirLinea("dt\tVel[m/s]\tAng[°]\tPE[MW]\tTemp[°C]\tPre[hPA]\tHumRel[%]\tCGM[MW]\tfDisp[p.u.]\t"
                  "Filt_Huecos\tFilt_Coherencia\tFilt_Disponibilidad\tFilt_CGM\tFiltro_Distancia");
  const TVectR* columnas[8] = {Vel, Ang, PE, Temp, Pre, HumRel, CGM, fDisp};
  std::string linea;
  for (int k = 1; k <= N; ++k) {
    linea = FechaHoraATexto(dtPrimeraMuestra + (k - 1) * dtEntreMuestras_dias);
    for (const TVectR* c : columnas) {
      linea += kTab;
      linea += RealATexto(c->e(k));
    }
    for (const TDAOfBoolean* fl :
         {&Filt_Huecos, &Filt_Coherencia, &Filt_Disponibilidad, &Filt_CGM, &Filtro_Distancia}) {
      linea += kTab;
      linea += (*fl)[k] ? '1' : '0';
    }
    f.EscribirLinea(linea);
  }
  f.Cerrar();
  GraficarFiltrados();
}

void TParque_ModeloEmpirico::EscribirCurvasS() const {
  TEscritorTexto f(ArchivoEnCarpeta(Carpeta(), "\\curvas_s_.xlt"));
  f.EscribirLinea("ang\talfa\tvm\terrc2\tcntMuestras\tMT_alfa\tMT_vm");
  const TCurvaAerogen& cp = *ModeloTeorico->curva_parque;
  for (int s = 1; s <= nSectores(); ++s) {
    f.EscribirLinea(RealATexto(AnguloSector(s)) + kTab + RealATexto(alfa.e(s)) + kTab + RealATexto(vm.e(s)) +
                    kTab + RealATexto(errc2.n() >= s ? errc2.e(s) : 0) + kTab +
                    std::to_string(cntMuestras.n() >= s ? cntMuestras.e(s) : 0) + kTab + RealATexto(cp.alfa) +
                    kTab + RealATexto(cp.vm));
  }
  f.Cerrar();
}

void TParque_ModeloEmpirico::EscribirCurvasSCompletadas(const TMatR& alfaCompleto,
                                                        const TMatR& vmCompleto) const {
  TEscritorTexto f(ArchivoEnCarpeta(Carpeta(), "\\curvas_s_completadas_.xlt"));
  f.EscribirLinea("ang\talfa_completo\tvm_completo");
  for (int s = 1; s <= alfaCompleto.nf(); ++s)
    f.EscribirLinea(RealATexto(AnguloSector(s)) + kTab + RealATexto(alfaCompleto.e(s, 1)) + kTab +
                    RealATexto(vmCompleto.e(s, 1)));
  f.Cerrar();
}

// The scratch table of the S-curve fit holds the last sector fitted: its pairs, the measured curve
// and the fitted one. It is a diagnostic: failing to write it never spoils a good fit.
void TParque_ModeloEmpirico::EscribirTablaAjusteCurvaS() const {
  if (!scratchListo_) return;
  const std::string archivo = ArchivoEnCarpeta(CarpetaBasura(), "\\curva_s.xlt");
  try {
    const double PMax = ModeloTeorico->curva_parque->potencia_max;
    TEscritorTexto f(archivo);
    f.EscribirLinea("x\ty\ts");
    for (size_t i = 0; i < scratchX_.size(); ++i) {
      const double x = scratchX_[i], y = scratchY_[i];
      f.EscribirLinea(RealATexto(x) + kTab + RealATexto(PMax / (std::exp(y) + 1)) + kTab +
                      RealATexto(PMax / (std::exp(-scratchAlfa_ * (x - scratchVm_)) + 1)));
    }
    f.Cerrar();
  } catch (const std::exception& e) {
    std::cout << "Aviso: no se pudo escribir la tabla de ajuste " << archivo << ": " << e.what() << "\n";
  }
}
