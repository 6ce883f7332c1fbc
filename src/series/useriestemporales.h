#pragma once
// Equally spaced simultaneous measured series (one vector per measured quantity), read from a
// data-series (.sas) file.
//
// Invariants:
// - series has nSeries vectors of nPuntos values each (index 1 = first sample); nombres and tipos
//   have nSeries entries.
// - dtPrimeraMuestra = date(anio, mes, dia) + time(hora, minuto, segundo) and
//   dtEntreMuestras_dias = dtEntreMuestras_horas / 24, both kept in step by CalcularTiempos().
// - The container owns its vectors; consumers read (and the filters modify) them in place and may
//   keep pointers to them while the container lives: the vector array is never resized after
//   construction.
// - A missing measurement is a large negative number; each consumer decides what counts as a gap.
//
// File layout: an optional first line containing "VERSION_FORMATO_SERIES" (second token: version),
// then one line each for the number of series, the first sample (year month day hour minute second),
// the period in hours (an expression: 1/6 is accepted), the number of samples and the samples per
// cycle; for version >= 1 a types line ("x" = SALIDA, other = ENTRADA, one character per series); a
// names line; then nPuntos records, each a discarded leading number and one number per series, which
// may run over several lines, the rest of the line after the record's last number being discarded.
#include <memory>
#include <string>
#include <vector>

#include "num/matreal.h"
#include "num/xmatdefs.h"

enum TIPO_SERIE { SALIDA = 0, ENTRADA = 1 };
using TDAOfTipoSerie = std::vector<TIPO_SERIE>;

class TSeriesDeDatos {
public:
  // An in-memory container of nSeries series of nPuntos zeros (names "s1", "s2", ..., all SALIDA),
  // with the first sample at the given date and time and the given period; version 1.
  TSeriesDeDatos(int nSeries, int nPuntos, int anio, int mes, int dia, int hora, int minuto, int segundo,
                 double dtEntreMuestras_horas);

  // Reads a whole data-series file. Fails with "No puedo abrir el archivo: <file>" when it cannot be
  // opened, and with "Error leyendo línea: <n>" (n = lines consumed so far: header lines as soon as
  // read, data records once complete) on any other failure. Runs inside the file number format.
  static std::unique_ptr<TSeriesDeDatos> Create_LeerDeArchivo(const std::string& archivo);

  // Date-time of sample k (1-based): dtPrimeraMuestra + (k - 1) * dtEntreMuestras_dias.
  double dtDeMuestra(int k) const { return dtPrimeraMuestra + (k - 1) * dtEntreMuestras_dias; }

  // Recomputes dtPrimeraMuestra and dtEntreMuestras_dias from the six integers and the period.
  void CalcularTiempos();

  int version = 0;
  std::string archivo;
  int nSeries = 0;
  int anio = 0, mes = 0, dia = 0, hora = 0, minuto = 0, segundo = 0;
  double dtEntreMuestras_horas = 0;
  int nPuntos = 0;
  double muestrasPorCiclo = 0;
  std::vector<std::string> nombres;
  std::vector<TVectR> series; // series[i - 1] is series i
  TDAOfTipoSerie tipos;
  double dtPrimeraMuestra = 0;
  double dtEntreMuestras_dias = 0;

  TSeriesDeDatos(const TSeriesDeDatos&) = delete;
  TSeriesDeDatos& operator=(const TSeriesDeDatos&) = delete;

private:
  TSeriesDeDatos() = default;
};

// Compact date stamp of a date-time: yyyymmdd, followed by hhnn when hour + minute is not zero
// (20160305 for 5 March 2016 at 00:00, 201603051430 at 14:30). Seconds never appear. The time is
// taken to the nearest millisecond, as the runtime's date decoding does.
std::string FechaCompacta(double dt);
