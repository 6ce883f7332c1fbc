#pragma once
// Shared fixtures of the empirical-model tests: the reference farm and small hand-made series.
#include <cmath>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "farm/ucurvasaeros.h"
#include "farm/uparques_modeloteorico.h"
#include "num/matreal.h"
#include "series/useriestemporales.h"

// The reference farm built in memory: 25 turbines of 2 MW (80 m rotor, 3 to 25 m/s) in 5 rows of 5,
// 400 m apart east-west and 600 m north-south, the station 500 m west of the south-west turbine,
// authorised and nominal power 50 MW, farm 1.
inline std::unique_ptr<TParque_ModeloTeorico> CrearParqueReferencia(int nMolinos = 25) {
  const std::vector<double> P = {0.02, 0.09, 0.2, 0.35, 0.55, 0.8, 1.1, 1.4, 1.7, 1.9, 2.0};
  TVectR v(23), p(23);
  for (int i = 1; i <= 23; ++i) {
    v.pon_e(i, 2 + i);
    p.pon_e(i, i <= 11 ? P[i - 1] : 2.0);
  }
  auto parque = std::make_unique<TParque_ModeloTeorico>();
  parque->nid_central = 1;
  parque->nombre = "Parque de referencia";
  for (int k = 0; k < nMolinos; ++k) {
    TCurvaAerogen c(1, "2 MW 80 m", 80, v, p);
    parque->molinos.emplace_back(100 + k, 1, 1, c, TPosicion(500 + 400 * (k % 5), 600 * (k / 5)));
  }
  parque->n_molinos = nMolinos;
  parque->potencia_nominal = 2.0 * nMolinos;
  parque->potencia_autorizada_mw = 2.0 * nMolinos;
  parque->Inicializar();
  return parque;
}

inline const TParque_ModeloTeorico& ParqueReferencia() {
  static std::unique_ptr<TParque_ModeloTeorico> p = CrearParqueReferencia();
  return *p;
}

// The reference farm's model file: the repository fixture, or the in-memory farm written once.
inline std::string ArchivoParqueReferencia(const std::string& carpeta) {
  const std::string fijo = std::string(AURVEND_DATA_DIR) + "/c1_parque_mt.pmt";
  if (std::filesystem::exists(fijo)) return fijo;
  const std::string archivo = carpeta + "/c1_parque_mt.pmt";
  ParqueReferencia().SaveToArchi(archivo);
  return archivo;
}

// One hand-made sample: speed, direction, power; standard weather, the setpoint at the authorised
// power and full availability unless given.
struct TMuestra {
  double vel, ang, pe;
  double temp = 15, pre = 1013, hum = 50;
  double cgm = 50, disp = 1, extra = 0;
};

// A container of the samples (nine series unless fewer are asked), first sample at 2016-01-01 00:00.
inline std::unique_ptr<TSeriesDeDatos> SerieDe(const std::vector<TMuestra>& m,
                                               double periodo_horas = 1.0 / 6.0, int nSeries = 9) {
  auto s = std::make_unique<TSeriesDeDatos>(nSeries, int(m.size()), 2016, 1, 1, 0, 0, 0, periodo_horas);
  for (int k = 1; k <= int(m.size()); ++k) {
    const TMuestra& x = m[k - 1];
    const double val[9] = {x.vel, x.ang, x.pe, x.temp, x.pre, x.hum, x.cgm, x.disp, x.extra};
    for (int i = 0; i < nSeries && i < 9; ++i)
      s->series[i].pon_e(k, val[i]);
  }
  return s;
}

// S-curve power (MW) at speed v of slope alfa through 0.1 MW at v = 0.
inline double PotenciaS(double v, double alfa, double PMax) {
  const double L0 = std::log((PMax - 0.1) / 0.1);
  return PMax / (1 + std::exp(-alfa * (v - L0 / alfa)));
}
