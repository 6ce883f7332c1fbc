#pragma once
// The reference farm of the tests and benchmarks: 25 turbines in 5 rows of 5, 400 m apart east–west
// and 600 m apart north–south, the meteorological station 500 m west of the south-west turbine; each
// turbine a 2 MW, 80 m rotor; authorised and nominal power 50 MW; every other parameter at the
// defaults of a new model. Read from bench/data/c1_parque_mt.pmt when that file exists.
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "farm/uparques_modeloteorico.h"
#include "num/matreal.h"

namespace prueba {

inline TCurvaAerogen CurvaReferencia(double diametro = 80) {
  const std::vector<double> P = {0.02, 0.09, 0.2, 0.35, 0.55, 0.8, 1.1, 1.4, 1.7, 1.9};
  TVectR v(23), p(23);
  for (int i = 1; i <= 23; ++i) {
    v.pon_e(i, 2 + i); // 3 … 25 m/s
    p.pon_e(i, i <= int(P.size()) ? P[size_t(i - 1)] : 2.0);
  }
  return TCurvaAerogen(1, "Ref 2 MW", diametro, v, p);
}

// A farm with the given station-relative turbine positions (default parameters, reference curve).
inline std::unique_ptr<TParque_ModeloTeorico> ParqueCon(const std::vector<std::pair<double, double>>& xy,
                                                        double potencia = 50, double diametro = 80) {
  auto p = std::make_unique<TParque_ModeloTeorico>();
  p->nid_central = 1;
  p->nombre = "Parque de prueba";
  p->potencia_autorizada_mw = potencia;
  p->potencia_nominal = potencia;
  int nid = 1;
  for (const auto& [x, y] : xy)
    p->molinos.emplace_back(nid++, 1, 1, CurvaReferencia(diametro), TPosicion(x, y));
  p->n_molinos = int(p->molinos.size());
  p->Inicializar();
  return p;
}

inline std::unique_ptr<TParque_ModeloTeorico> ParqueReferencia() {
  const std::string archivo = std::string(AURVEND_DATA_DIR) + "/c1_parque_mt.pmt";
  if (std::filesystem::exists(archivo)) return TParque_ModeloTeorico::Create_LoadFromArchi(archivo);
  std::vector<std::pair<double, double>> xy;
  for (int fila = 0; fila < 5; ++fila)
    for (int col = 0; col < 5; ++col)
      xy.emplace_back(500 + 400 * col, 600 * fila);
  return ParqueCon(xy);
}

// The window's computation for one wind at the standard density.
inline double SimularViento(TParque_ModeloTeorico& p, double dir, double v) {
  const double dp = DensidadPotencia(v, 1.225);
  p.Preparar(false, dir, dp, 1.225);
  return p.ResolverMeteo(1.225, dp, p.potencia_autorizada_mw);
}

} // namespace prueba
