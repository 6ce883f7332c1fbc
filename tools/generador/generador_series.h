#pragma once
// Seeded generator of realistic ten-minute measured series of a wind farm, for tests and benchmarks.
//
// Invariants:
// - The same parameters (seed included) give bit-identical series on every run and platform: the
//   generator draws from its own std::mt19937_64 and turns its integers into uniforms, normals and
//   Weibull values by hand, never through the standard library's distributions.
// - The generated container holds the nine channels the empirical model reads, in its order:
//   Vel (m/s), Dir (degrees), PE (MW), Temp (°C), Pre (hPa), HumRel (%), CGM (MW), fDisp
//   (availability: per unit, per cent or turbine count), and a ninth carried channel (nacelle
//   speed, m/s). Every value is rounded to the decimals written to the file, so the container in
//   memory equals what Create_LeerDeArchivo reads back from the written file.
// - A missing value is VALOR_HUECO (-99999). Outside curtailment periods CGM is the authorised power.
// - The side outputs (true unrestricted power, air density, what was injected at each sample) are
//   not in the file; tests compare against them.
#include <cstdint>
#include <iosfwd>
#include <memory>
#include <string>
#include <vector>

#include "num/matreal.h"
#include "series/useriestemporales.h"

inline constexpr double VALOR_HUECO = -99999.0;

// Farm power (MW, at standard air density 1.225) against direction (degrees) and wind speed (m/s):
// a table over nDir equally spaced directions from 0 and speeds 0, dv, 2 dv, ... (nV of them),
// interpolated linearly in both (cyclically in direction); 0 beyond the last speed.
class TCurvaParqueDireccional {
public:
  TCurvaParqueDireccional(int nDir, double dv, int nV, std::vector<double> tabla); // tabla[iDir * nV + iV]
  double Potencia(double dir, double v) const;
  int nDir() const { return nDir_; }
  int nV() const { return nV_; }
  double dv() const { return dv_; }
  double Tabla(int iDir, int iV) const { return tabla_[iDir * nV_ + iV]; }

private:
  int nDir_, nV_;
  double dv_;
  std::vector<double> tabla_;
};

// The reference farm's curve approximated without the wake grid: 25 turbines of 2 MW (80 m rotor,
// 3 to 25 m/s) in 5 rows of 5, 400 m apart east-west and 600 m north-south, with a wake loss that
// depends on the direction (largest along the rows, wind from east or west, smallest diagonally)
// and 3.5 % losses. Instant to build; CurvaParqueDesdeModelo gives the wake grid's own curve.
TCurvaParqueDireccional CurvaParqueReferencia();

class TParque_ModeloTeorico;

// The curve of a theoretical farm model: for each direction and speed the main window's sequence
// (Preparar at standard density, then ResolverMeteo capped at the authorised power). Costs one wind
// field solution per table entry; prints one progress line per direction.
TCurvaParqueDireccional CurvaParqueDesdeModelo(TParque_ModeloTeorico& modelo, int nDir = 24, double dv = 1.0,
                                               int nV = 27);

enum class TFormatoDisponibilidad { PorUnidad, Porcentaje, Maquinas };

struct TParametrosGenerador {
  int anio = 2016, mes = 1, dia = 1; // first sample at 00:00 of this day
  int nDias = 730;                   // 144 samples per day
  std::uint64_t semilla = 1;
  double potenciaAutorizada = 50; // MW
  int nMolinos = 25;
  TFormatoDisponibilidad formatoDisponibilidad = TFormatoDisponibilidad::Porcentaje;
  // Farm power table; null: CurvaParqueReferencia().
  std::shared_ptr<const TCurvaParqueDireccional> curva;
  double velocidadMedia = 7.5; // long-term mean wind speed, m/s
  double kWeibull = 2.0;
  // Frequencies of the injected defects (per month or fraction of samples); 0 switches one off.
  double restriccionesPorMes = 4;     // curtailment periods, 1 to 8 hours each
  double fraccionHuecos = 0.01;       // samples in communication gaps (every channel missing)
  double fraccionHuecosCanal = 0.003; // single-channel gaps (speed, direction, power or setpoint)
  double fraccionAtipicos = 0.004;    // power outliers
  double repetidosPorMes = 3;         // stuck-value episodes (speed, direction or power frozen)
  double paradasPorMes = 6;           // turbine outages (1 to 4 turbines) and, rarely, the whole farm
};

// What was injected at a sample (bit flags).
enum : std::uint8_t {
  MARCA_HUECO = 1,         // speed, direction, power or setpoint missing or out of range
  MARCA_REPETIDO = 2,      // inside a stuck-value episode
  MARCA_RESTRICCION = 4,   // the setpoint is below the authorised power
  MARCA_ATIPICO = 8,       // power outlier
  MARCA_INDISPONIBLE = 16, // availability below 0.8
  MARCA_HUECO_OTRO = 32,   // a weather, availability or ninth-channel value missing
};

struct TSerieGenerada {
  std::unique_ptr<TSeriesDeDatos> datos; // the nine channels as written to the file
  // The power the farm would have delivered without any setpoint (available turbines, measurement
  // noise included, before outliers and gaps), MW; equals PE wherever the farm was not curtailed
  // and the sample carries no other defect.
  TVectR PSinRestriccion;
  TVectR PPlena;                    // the same with every turbine available, MW
  TVectR Rho;                       // air density of each sample, kg/m3
  TVectR Disponibilidad;            // available fraction of the turbines, per unit
  std::vector<std::uint8_t> marcas; // nPuntos + 1 entries, entry 0 unused
};

// Names of the nine channels, in file order.
const std::vector<std::string>& NombresCanalesGenerados();

// The series in memory.
TSerieGenerada GenerarSerie(const TParametrosGenerador& p);
// Writes a container as a data-series file (version 1, CR LF lines, each record on one line led by
// its sample number, reals in their shortest exact form); nothing is left behind on failure.
void EscribirArchivoSeries(const TSeriesDeDatos& s, const std::string& archivo);
// Generates and writes; returns what it wrote with the side outputs (datos->archivo is the file).
TSerieGenerada GenerarArchivoSeries(const TParametrosGenerador& p, const std::string& archivo);

// Parameters from command-line texts (an empty text keeps the default): desde "aaaa-mm-dd", dias,
// semilla (unsigned integer), disp ("porcentaje", "maquinas" or "pu"), pmt (a theoretical model file
// whose curve, authorised power and turbine count replace the reference farm's). Raises a Spanish
// message naming the option on a bad value.
TParametrosGenerador ParametrosDeTextos(const std::string& desde, const std::string& dias,
                                        const std::string& semilla, const std::string& disp,
                                        const std::string& pmt);
// One console line per kind of injected defect, with the count of samples that carry it.
void ImprimirResumen(const TSerieGenerada& g, std::ostream& os);
