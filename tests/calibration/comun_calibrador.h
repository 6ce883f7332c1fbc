#pragma once
// Shared fixtures of the calibrator and combined-model tests: the reference farm layout on a coarse
// wake grid (fast), and a calibrator file whose empirical block is written by hand, so that every
// table cell is known.
#include <cmath>
#include <memory>
#include <string>

#include <unistd.h>

#include "farm/ucarpetas.h"
#include "farm/uparques_modeloteorico.h"
#include "num/matreal.h"
#include "num/uauxiliares.h"
#include "num/utexto_archivos.h"

namespace fixture {

// 25 turbines of 2 MW (80 m rotor, 3 to 25 m/s) in 5 rows of 5, 400 m apart east-west and 600 m
// north-south, the station 500 m west of the south-west turbine, 50 MW, farm `nid`; a 25 m grid with a
// 400 m margin. `columnasEtha` columns of station factors (one calibrated parameter per column).
inline std::unique_ptr<TParque_ModeloTeorico> ParqueRapido(int nid = 61, int columnasEtha = 1) {
  const double P[] = {0.02, 0.09, 0.2, 0.35, 0.55, 0.8, 1.1, 1.4, 1.7, 1.9, 2.0};
  TVectR v(23), p(23);
  for (int i = 1; i <= 23; ++i) {
    v.pon_e(i, 2.0 + i);
    p.pon_e(i, i <= 11 ? P[i - 1] : 2.0);
  }
  auto parque = std::make_unique<TParque_ModeloTeorico>();
  parque->nid_central = nid;
  parque->nid_modelo = 3;
  parque->nombre = "Parque rapido";
  for (int k = 0; k < 25; ++k) {
    TCurvaAerogen c(7, "2 MW 80 m", 80, v, p);
    const double x = 500.0 + 400.0 * (k % 5), y = 600.0 * (k / 5);
    TPosicion pos = TPosicion::Create_UTM(21, 'H', 560000 + x, 6180000 + y);
    pos.x = x;
    pos.y = y;
    parque->molinos.emplace_back(100 + k, 7, nid, c, pos);
  }
  parque->n_molinos = 25;
  parque->potencia_nominal = 50;
  parque->potencia_autorizada_mw = 50;
  parque->grilla_rotada_dx = 25;
  parque->grilla_rotada_dy = 25;
  parque->grilla_rotada_margen_dx = 400;
  parque->meteo_etha = TMatR(72, columnasEtha);
  parque->meteo_etha.Unos();
  parque->Inicializar();
  return parque;
}

struct TOpcionesBloque {
  double pesoBanda1 = 5;  // samples behind band 1 of every sector (below 10: an empty cell)
  double pesoOtras = 100; // samples behind every other band
  int sectorRalo = 10;    // a sector with 3 samples in every band (0: none)
};

inline void EscribirVector(TEscritorTexto& f, const TVectR& v) {
  f.EscribirEntero(v.n());
  for (int i = 1; i <= v.n(); ++i)
    f.EscribirReal(v.e(i));
}
inline void EscribirMatriz(TEscritorTexto& f, const TMatR& m) {
  f.EscribirEntero(m.nf());
  f.EscribirEntero(m.nc());
  for (int i = 1; i <= m.nf(); ++i)
    EscribirVector(f, m.fila(i));
}

// A calibrator file: the farm block, then an empirical block of 72 sectors and 10 bands (2.5 m/s
// wide) whose representative powers follow the farm curve scaled by a factor that varies with the
// direction, with zero slopes, and S-curves around the farm curve's logistic approximation.
inline std::string EscribirClp(const TParque_ModeloTeorico& parque, const std::string& archivo,
                               const TOpcionesBloque& o = {}) {
  const int nS = 72, nB = 10;
  TVectR bandas(nB + 1), centros(nB), alfa(nS), vm(nS);
  for (int j = 1; j <= nB + 1; ++j)
    bandas.pon_e(j, DensidadPotencia((j - 1) * 2.5, 1.225));
  for (int j = 1; j <= nB; ++j)
    centros.pon_e(j, (bandas.e(j) + bandas.e(j + 1)) / 2);
  TMatR peso(nS, nB), a0(nS, nB), a1(nS, nB), f0(nS, nB);
  for (int s = 1; s <= nS; ++s) {
    const double ang = (s - 1) * 5.0 * 3.14159265358979 / 180;
    const double factor = 0.9 + 0.08 * std::cos(ang) + 0.03 * std::sin(2 * ang);
    alfa.pon_e(s, parque.curva_parque->alfa * (1 + 0.05 * std::sin(ang)));
    vm.pon_e(s, parque.curva_parque->vm * (1 + 0.04 * std::cos(ang)));
    for (int j = 1; j <= nB; ++j) {
      const double P = parque.curva_parque->PotenciaDeDp(centros.e(j)) * factor;
      peso.pon_e(s, j, s == o.sectorRalo ? 3 : (j == 1 ? o.pesoBanda1 : o.pesoOtras));
      a0.pon_e(s, j, P);
      f0.pon_e(s, j, P);
    }
  }
  TEnFormatosDB formatos;
  TEscritorTexto f(archivo);
  parque.SaveToText(f);
  EscribirVector(f, bandas);
  EscribirMatriz(f, peso);
  EscribirMatriz(f, a0);
  EscribirMatriz(f, a1);
  EscribirVector(f, centros);
  EscribirMatriz(f, f0);
  EscribirVector(f, alfa);
  EscribirVector(f, vm);
  f.Cerrar();
  return archivo;
}

// A calibrator file of the fast farm in this process's own folder under the diagnostics folder (test
// programs run side by side).
inline std::string ClpRapido(const std::string& nombre, int columnasEtha = 1, const TOpcionesBloque& o = {},
                             int nid = 61) {
  auto parque = ParqueRapido(nid, columnasEtha);
  const std::string carpeta = CarpetaBasura() + "/p" + std::to_string(::getpid());
  return EscribirClp(*parque, ArchivoEnCarpeta(carpeta, nombre), o);
}

inline std::string LeerArchivo(const std::string& archivo) {
  TLectorTexto f(archivo);
  std::string s;
  while (!f.Fin())
    s += f.LeerLinea() + "\n";
  return s;
}

} // namespace fixture
