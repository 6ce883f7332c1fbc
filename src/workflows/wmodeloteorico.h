#pragma once
// Workflows of the theoretical model for one wind: the main window's simulation of a wind entered by
// the user, and the inverse search of the station wind that gives a target farm power.
#include <string>
#include <vector>

#include "farm/uparques_modeloteorico.h"

struct TResultadoMolinoMT {
  int nid = 0;
  double dp_media = 0; // mean wind power density over the rotor, MW/m²
  double potencia = 0; // MW
};

struct TResultadoSimulacionMT {
  double potencia = 0;        // farm power, MW
  double v_libre = 0;         // free wind speed, m/s
  double v_meteo_modelo = 0;  // station wind speed the model reproduces, m/s
  double dp_libre = 0;        // free-stream power density found, MW/m²
  double dp_meteo_modelo = 0; // modelled station power density, MW/m²
  bool convergio = false;
  std::vector<TResultadoMolinoMT> molinos; // in the farm's turbine order
};

// The main window's sequence for wind speed v (m/s) from direction dir (degrees) at the station:
// dp := DensidadPotencia(v, 1.225); Preparar(false, dir, dp, 1.225); ResolverMeteo(1.225, dp,
// authorised power). The grid and turbine results stay in the farm for the map.
TResultadoSimulacionMT SimularVientoMT(TParque_ModeloTeorico& parque, double dir, double v);

struct TResultadoVientoMT {
  double v = 0; // station wind speed, m/s; −11 when the target exceeds the authorised power
  bool excedeAutorizada = false; // the target power exceeds the authorised power
  double dp_libre = 0;           // free-stream power density of the last trial, MW/m²
};

// Preparar(false, dir, DensidadPotencia(v, 1.225), 1.225), then VientoParaPotencia(P).
TResultadoVientoMT VientoParaPotenciaMT(TParque_ModeloTeorico& parque, double dir, double v, double P);

// "La central tiene una potencia autorizada de " P " MW." CR "Ingrese nuevamente el valor de potencia."
std::string MensajePotenciaAutorizada(double potencia_autorizada_mw);
