// Filter chain of the measured samples: gaps, availability, repeated values and curtailment.
#include <cmath>
#include <iostream>

#include "empirical/uparques_modeloempirico.h"
#include "farm/uparques_modeloteorico.h"
#include "num/uauxiliares.h"

void NormalizarDisponibilidad(TVectR& fDisp, const TParque_ModeloTeorico& ModeloTeorico) {
  if (fDisp.n() < 1) return;
  const double m = fDisp.max();
  const double nm = ModeloTeorico.n_molinos;
  // The maximum lies nearer the number of turbines than 1: the series is not per unit.
  if (std::fabs(m - 1) > std::fabs(m - nm)) {
    double divisor;
    std::string nota;
    if (m > 2 * nm) {
      divisor = 100;
      nota = " Asumo que es porcentaje y divido por este valor.";
    } else {
      divisor = nm;
      nota = " Asumo que es cantidad de máquinas y divido por este valor.";
    }
    std::cout << "WARNING!!!: max_fd: " << RealATextoGeneral(divisor) << nota << "\n";
    for (int k = 1; k <= fDisp.n(); ++k)
      fDisp.pon_e(k, fDisp.e(k) / divisor);
  }
}

int FiltroRepetidos(TDAOfBoolean& flags, const TVectR& x, int w, const TDAOfBoolean& mascara) {
  const int n = x.n();
  const int N = static_cast<int>(mascara.size()) - 1; // highest index of the mask
  int i = 1;
  while (i < N && mascara[i])
    ++i;
  if (i >= N) return 0;
  int inicio = i;
  double ref = x.e(i);
  int racha = 0;
  int total = 0;
  // The last sample is not examined.
  for (int j = i + 1; j <= n - 1; ++j) {
    if (mascara[j] || x.e(j) != ref) {
      if (racha >= w) total += racha;
      ref = x.e(j);
      inicio = j;
      racha = 0;
    } else {
      ++racha;
      if (racha >= w) {
        for (int q = inicio; q <= j - 1; ++q)
          flags[q] = true;
        inicio = j;
      }
    }
  }
  return total;
}

void FiltrarMuestras(const TParque_ModeloTeorico& ModeloTeorico, const TVectR& Vel, const TVectR& Ang,
                     TVectR& PE, const TVectR& CGM, TVectR& fDisp, bool normalizar, TDAOfBoolean& Filt_Huecos,
                     TDAOfBoolean& Filt_Coherencia, TDAOfBoolean& Filt_CGM, TDAOfBoolean& Filtro_Distancia,
                     TDAOfBoolean& Filt_Disponibilidad) {
  const int N = Vel.n();
  for (TDAOfBoolean* f : {&Filt_Huecos, &Filt_Coherencia, &Filt_CGM, &Filtro_Distancia, &Filt_Disponibilidad})
    f->assign(N + 1, false);
  const double PAut = ModeloTeorico.potencia_autorizada_mw;

  // Gaps: missing or absurd values.
  int cnt = 0;
  for (int k = 1; k <= N; ++k) {
    const double v = Vel.e(k), p = PE.e(k);
    if (v < -10 || v > 80 || Ang.e(k) < -1000 || p < -1000 || p > 1.2 * PAut || CGM.e(k) < -1000) {
      Filt_Huecos[k] = true;
      ++cnt;
    }
  }
  std::cout << "Filtrado de huecos: " << cnt << "\n";

  NormalizarDisponibilidad(fDisp, ModeloTeorico);

  // Availability: partly available farm or power beyond what the available turbines can give.
  cnt = 0;
  for (int k = 1; k <= N; ++k) {
    if (Filt_Huecos[k]) continue;
    const double fd = fDisp.e(k);
    if (fd < 0.8 || fd > 1.001 || PE.e(k) / fd > 1.02 * PAut) {
      Filt_Disponibilidad[k] = true;
      ++cnt;
    } else if (normalizar) {
      PE.pon_e(k, PE.e(k) / fd);
    }
  }
  std::cout << "Filtrado por Disp < 0.8 o PDato/fdisp > PAutorizada: " << cnt << "\n";

  std::cout << "Filtro repetidos vel: " << FiltroRepetidos(Filt_Coherencia, Vel, 8, Filt_Huecos) << "\n";
  std::cout << "Filtro repetidos dir: " << FiltroRepetidos(Filt_Coherencia, Ang, 8, Filt_Huecos) << "\n";

  // At its setpoint the farm holds a constant power: such stretches are not stuck measurements.
  TDAOfBoolean mascaraPot(N + 1, false);
  for (int k = 1; k <= N; ++k)
    mascaraPot[k] = Filt_Huecos[k] || std::fabs(PE.e(k) - CGM.e(k)) <= 0.03 * PAut;
  std::cout << "Filtro repetidos Pot: " << FiltroRepetidos(Filt_Coherencia, PE, 8, mascaraPot) << "\n";

  cnt = 0;
  for (int k = 1; k <= N; ++k) {
    if (Filt_Huecos[k]) continue;
    if (CGM.e(k) < 0.99 * PAut) {
      Filt_CGM[k] = true;
      ++cnt;
    }
  }
  std::cout << "Filtro CGM < PAut*0.99: " << cnt << "\n";
}
