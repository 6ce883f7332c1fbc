#pragma once
// Turbine power curves.
//
// A TCurvaAerogen is the power of one turbine model against the wind at its hub. The wake model looks
// powers up by wind power density (MW/m², at the standard density 1.225), never by speed, so the curve
// keeps its speeds converted to power densities in `curva_dp`.
//
// Invariants: `curva_v` and `curva_P` have `n_puntos` >= 1 elements, `curva_v` strictly increasing
// (the density lookup relies on it); every derived value (`curva_dp`, `dp_min`/`dp_max`, rated values,
// 1 % values, `area` and the logistic approximation) is recomputed by every constructor and by
// SumarCurvas, so a curve is always consistent. A curve is a plain value: copying it copies its three
// vectors.
#include <string>
#include <vector>

#include "num/matreal.h"

class TLectorTexto;
class TEscritorTexto;

class TCurvaAerogen {
public:
  int nid = 0;
  std::string modelo;
  double diametro = 0; // rotor diameter, m
  int n_puntos = 0;
  TVectR curva_v;  // wind speeds, m/s, increasing
  TVectR curva_P;  // power at each speed, MW
  TVectR curva_dp; // wind power density of each speed at 1.225 kg/m³, MW/m²
  double dp_min = 0, dp_max = 0;
  double potencia_max = 0; // rated power, MW
  int i_nominal = 0;       // first point (1-based) at rated power within 1e-10
  double v_nominal = 0, dp_nominal = 0;
  int i_1pc = 0; // first point at 1 % of rated power or more
  double v_1pc = 0, dp_1pc = 0;
  double area = 0; // rotor swept area, m²
  // Logistic approximation P(v) = potencia_max / (1 + exp(-alfa (v - vm))). When no curve point lies
  // in the fitting range, alfa = vm = 0, n_ajuste = 0 and res_ajuste = -1 (the curve still answers
  // power lookups).
  double alfa = 0, vm = 0;
  double res_ajuste = 0; // residual of the fit behind the logistic approximation
  int n_ajuste = 0;      // points used by that fit

  // Create: takes the two tables and computes the derived values. Raises when the tables are empty,
  // of different lengths, or when the logistic fit's points do not fix a line
  // ("TVectR.AproximacionLineal res= 0").
  TCurvaAerogen(int nid, std::string modelo, double diametro, TVectR curva_v, TVectR curva_P);

  // The curve block: nid, model name (whole line), diameter, speed vector block, power vector block.
  static TCurvaAerogen Create_LoadFromText(TLectorTexto& f);
  void SaveToText(TEscritorTexto& f) const;
  // New vectors with the same values; derived values recomputed.
  static TCurvaAerogen Create_Copia(const TCurvaAerogen& c);

  // Power, MW, at wind power density dp: 0 outside [dp_min, dp_max], otherwise the power table
  // interpolated linearly in power density.
  double PotenciaDeDp(double dp) const;
  // Adds, for each curve in order and each point i of this curve, curvas[k]->PotenciaDeDp(curva_dp[i])
  // to curva_P[i]; then rated values and the logistic approximation are recomputed.
  void SumarCurvas(const std::vector<const TCurvaAerogen*>& curvas);
  // The logistic approximation at speed v.
  double PotenciaLogistica(double v) const;

private:
  void CalcularDerivados();           // every derived value (steps 1 to 8)
  void CalcularNominalesYLogistica(); // rated, 1 % values and logistic fit (steps 5 to 8)
};
