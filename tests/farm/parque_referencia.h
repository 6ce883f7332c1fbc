#pragma once
// The reference farm of the tests and benchmarks (bench/data/c1_parque_mt.pmt), built in code: 25
// turbines of 2 MW and 80 m rotor in 5 rows of 5, 400 m apart east–west and 600 m apart north–south,
// the meteorological station 500 m west of the south-west turbine, authorised and nominal power
// 50 MW, every other parameter at the defaults of a new model.
#include <memory>
#include <string>

#include "farm/uparques_modeloteorico.h"

inline TCurvaAerogen CurvaReferencia2MW() {
  const double P[] = {0.02, 0.09, 0.2, 0.35, 0.55, 0.8, 1.1, 1.4, 1.7, 1.9};
  TVectR v(23), p(23);
  for (int i = 1; i <= 23; ++i) {
    v.pon_e(i, 2.0 + i); // 3 … 25 m/s
    p.pon_e(i, i <= 10 ? P[i - 1] : 2.0);
  }
  return TCurvaAerogen(7, "Referencia 2 MW 80 m", 80.0, v, p);
}

inline std::unique_ptr<TParque_ModeloTeorico> ParqueReferencia() {
  auto p = std::make_unique<TParque_ModeloTeorico>();
  p->nid_central = 1;
  p->nid_modelo = 1;
  p->nombre = "Parque de referencia";
  p->potencia_autorizada_mw = 50;
  p->potencia_nominal = 50;
  p->meteo_utm_huso = 21;
  p->meteo_utm_zona = 'H';
  p->meteo_utm_xe = 560000;
  p->meteo_utm_yn = 6180000;
  const TCurvaAerogen curva = CurvaReferencia2MW();
  for (int fila = 0; fila < 5; ++fila)  // south to north
    for (int col = 0; col < 5; ++col) { // west to east
      const double x = 500.0 + 400.0 * col, y = 600.0 * fila;
      TPosicion pos = TPosicion::Create_UTM(21, 'H', p->meteo_utm_xe + x, p->meteo_utm_yn + y);
      pos.x = x;
      pos.y = y;
      p->molinos.emplace_back(101 + 5 * fila + col, 7, 1, curva, pos, 1.0);
    }
  p->n_molinos = 25;
  p->Inicializar();
  return p;
}

inline std::string ArchivoParqueReferencia() {
  return std::string(AURVEND_DATA_DIR) + "/c1_parque_mt.pmt";
}
