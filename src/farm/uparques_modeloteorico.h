#pragma once
// The theoretical (wake-grid) model of one wind farm: the farm, its turbines and their positions, the
// .pmt model file, the wind field with wakes and the farm power, and the farm map's coordinate
// transform.
//
// Ownership: a TParque_ModeloTeorico owns, by value, its turbines (each owning its power curve and
// position), its farm curve, its wake grid and its station factor table. Copying a farm (copy
// constructor or Create_Copia) copies all of them, working state included, so two threads can each
// compute on their own copy; the model itself is never shared between threads.
//
// Lifecycle: a model is complete after construction (Inicializar has run). Preparar lays the grid for
// one direction, station density and air density; Simular, ResolverMeteo, VientoParaPotencia and
// DpEnPunto then read that state and overwrite the grid, the turbines' dp_media/potencia and dp_libre.
// The results of the last computation stay in the model for the farm map.
//
// Grid storage: with guardarGrilla (the default) a pass stores every row, so DpEnPunto and the farm
// map read any point of the field. Without it a pass keeps only the row being computed and the one
// upstream (a few kilobytes, which stay in the processor's cache) and captures the four cells around
// the station that DpEnPunto(0, 0) interpolates; the turbines' results are computed during the pass
// either way, so powers, densities and the station value are the same to the last bit. Callers that
// run many computations and read only those results (calibration, restrictions) clear it.
//
// Units: positions in metres (UTM, or relative to the meteorological station), power in MW, wind power
// density in MW/m², directions in degrees (where the wind comes from), air density in kg/m³.
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "farm/ucurvasaeros.h"
#include "num/matreal.h"
#include "num/xmatdefs.h"

class TLectorTexto;
class TEscritorTexto;

// --- Physical quantities (shared by the theoretical, empirical and combined models) ---
// v³ · (ρ · 0.5) / 1 000 000, MW/m².
double DensidadPotencia(double v, double rho);
// (dp / (ρ · 0.5) · 1 000 000)^(1/3), m/s.
double VelocidadDeDensidad(double dp, double rho);
// (1 − exp(−2.17 ρ)) / 0.92992926169656980727: multiplier on turbine power, 1 at ρ = 1.225.
double FactorDensidad(double rho);
// Air density from temperature (°C), pressure (hPa) and relative humidity (%); 1.18 when the result
// falls below 1.1 or above 1.3.
double DensidadAire(double t, double p, double hr);

// An owned object or none, copied deeply with its holder (used for the farm curve so the farm stays
// copyable). Reads like std::unique_ptr.
template <class T> class TPropio {
public:
  TPropio() = default;
  TPropio(std::nullptr_t) {}
  TPropio(std::unique_ptr<T> p) : p_(std::move(p)) {}
  TPropio(const TPropio& o) : p_(o.p_ ? std::make_unique<T>(*o.p_) : nullptr) {}
  TPropio(TPropio&&) noexcept = default;
  TPropio& operator=(const TPropio& o) {
    if (this != &o) p_ = o.p_ ? std::make_unique<T>(*o.p_) : nullptr;
    return *this;
  }
  TPropio& operator=(TPropio&&) noexcept = default;
  TPropio& operator=(std::unique_ptr<T> p) {
    p_ = std::move(p);
    return *this;
  }
  TPropio& operator=(std::nullptr_t) {
    p_.reset();
    return *this;
  }
  T* get() const { return p_.get(); }
  T* operator->() const { return p_.get(); }
  T& operator*() const { return *p_; }
  explicit operator bool() const { return bool(p_); }
  void reset() { p_.reset(); }

private:
  std::unique_ptr<T> p_;
};

// The wake grid: nf() rows (along the wind, row 1 upstream) by nc() columns (across the wind) of wind
// power densities, stored row after row in one contiguous block. Redimensionar keeps the storage when
// it is large enough, so laying a grid for a new direction allocates (and fills) nothing in the usual
// case; cells are undefined until a computation writes them.
class TGrillaRotada {
public:
  TGrillaRotada() = default;
  TGrillaRotada(const TGrillaRotada& o);
  TGrillaRotada& operator=(const TGrillaRotada& o);
  TGrillaRotada(TGrillaRotada&& o) noexcept { *this = std::move(o); }
  TGrillaRotada& operator=(TGrillaRotada&& o) noexcept {
    datos_ = std::move(o.datos_);
    capacidad_ = std::exchange(o.capacidad_, 0);
    nf_ = std::exchange(o.nf_, 0);
    nc_ = std::exchange(o.nc_, 0);
    return *this;
  }

  void Redimensionar(int nf, int nc); // contents undefined afterwards
  int nf() const { return nf_; }
  int nc() const { return nc_; }
  // Row i (1-based); fila(i)[0] is column 1.
  double* fila(int i) { return datos_.get() + size_t(i - 1) * size_t(nc_); }
  const double* fila(int i) const { return datos_.get() + size_t(i - 1) * size_t(nc_); }
  double e(int i, int j) const { return fila(i)[j - 1]; }
  void pon_e(int i, int j, double x) { fila(i)[j - 1] = x; }
  // A copy as a matrix (reports, tests).
  TMatR ComoMatriz() const;

private:
  std::unique_ptr<double[]> datos_;
  size_t capacidad_ = 0;
  int nf_ = 0, nc_ = 0;
};

class TPosicion {
public:
  int huso_utm = 0;
  char zona_utm = ' ';
  double xe = 0, yn = 0;        // UTM easting, northing
  double x = 0, y = 0;          // relative to the meteorological station
  double x_rot = 0;             // across the wind (working state of the wind field)
  double y_rot = 0;             // along the wind, growing downstream (working state)
  int fila = 0;                 // grid row of the turbine (working state)
  int col_ini = 0, col_fin = 0; // grid columns covered by the rotor (working state)

  TPosicion() = default;
  TPosicion(double x, double y); // Create: relative position only
  static TPosicion Create_UTM(int huso_utm, char zona_utm, double xe, double yn);
  // Two lines: "x TAB y", then "huso TAB zona TAB xe TAB yn". Tokens may also be separated by blanks,
  // commas or semicolons; a line with three tokens has a blank band letter.
  static TPosicion Create_LoadFromText(TLectorTexto& f);
  void SaveToText(TEscritorTexto& f) const;
};

class TMolino {
public:
  int nid = 0;
  int nro = 0; // number within the farm (database only, not in the .pmt file)
  int nid_curvaaero = 0;
  int nidcentral = 0;
  TCurvaAerogen curva;
  double etha = 1; // multiplies the wind power density the turbine sees
  TPosicion posicion;
  double dp_media = 0; // last computation: mean power density over the rotor's cells
  double potencia = 0; // last computation: turbine power, MW

  TMolino(int nid, int nid_curvaaero, int nidcentral, TCurvaAerogen curva, TPosicion posicion,
          double etha = 1.0);
  // nid, nid_curvaaero, nidcentral, the position block, the curve block, etha.
  static TMolino Create_LoadFromText(TLectorTexto& f);
  void SaveToText(TEscritorTexto& f) const;

  // The turbine's step in grid row r (whose cells are fila_r[0..nc-1], column c at fila_r[c-1]):
  // mean density over its columns, power, wake factor applied to those cells.
  void CalcularFila(int r, double* fila_r, double rho, double fpv3pe, double escala);
};

using TDAOFMolino = std::vector<TMolino>;

class TParque_ModeloTeorico {
public:
  int nid_central = 0;
  int nid_modelo = 0;
  std::string nombre;
  int n_molinos = 0; // always molinos.size()
  int n_sectores_dir = 72;
  TDAOFMolino molinos;
  TPropio<TCurvaAerogen> curva_parque; // no-wake sum of the turbines' curves; none without turbines

  // Map viewport (farm map drawing): pixel rectangle, world size, pixel size, world bounds in the
  // station-relative x (east) and y (north) coordinates.
  int px0 = 0, py0 = 0, px1 = 0, py1 = 0;
  double ancho = 0, alto = 0;
  int pw = 0, ph = 0;
  double wxmin = 0, wxmax = 0, wymin = 0, wymax = 0;

  int meteo_utm_huso = 0;
  char meteo_utm_zona = ' ';
  double meteo_utm_xe = 0, meteo_utm_yn = 0;
  double meteo_cota = 0; // database only

  // Rotated-grid bounds (working state of Preparar): across-wind and along-wind extent, cell width
  // and length, cosine and sine of the flow angle; nX, nY: the grid has nY + 1 rows, nX + 1 columns.
  double rot_xmin = 0, rot_xmax = 0, rot_ymin = 0, rot_ymax = 0;
  double rot_dx = 0, rot_dy = 0, rot_cos = 1, rot_sin = 0;
  int rot_nx = 0, rot_ny = 0;

  double grilla_rotada_dx = 9.0;           // target cell width across the wind, m
  double grilla_rotada_dy = 1.0;           // target step along the wind, m
  double grilla_rotada_margen_dx = 1000.0; // margin around the turbines, m
  TGrillaRotada grilla;                    // the wake grid (working state)
  bool grilla_valida = false;              // the grid holds a computed field of the current Preparar
  TMatR meteo_etha;                        // station factors: rows 5° direction bins, columns 1 m/s bins
  double alfa_terreno = 0.5;
  double gamma_atmosfera = 0.4;
  double fpv3pe = 1.8;
  double factor_perdidas = 0.035;
  double dp_libre = 0; // working state: free-stream density of the current computation
  double coef_perdidas = 0;
  double potencia_nominal = 0;
  double potencia_autorizada_mw = 0;
  double etha_meteo_dir = 1; // working state: station factor for the current direction and speed
  double peso_lateral = 0, peso_central = 0, peso_recuperacion = 0, peso_retencion = 0;

  // Store the whole grid in each pass (farm map, DpEnPunto at any point); false: only the turbines'
  // results and the station's cells are kept, the grid's storage is released by Preparar, and
  // DpEnPunto raises an Exception for points other than the station inside the grid.
  bool guardarGrilla = true;

  long long nPasadas = 0; // grid passes run by Simular since construction (statistics)

  // A farm with the default model parameters (72 sectors, alfa 0.5, gamma 0.4, fpv3pe 1.8, losses
  // 0.035, 72 × 1 station table of ones, 9 m / 1 m cells, 1000 m margin) and no turbines. Callers
  // that add turbines set n_molinos and run Inicializar.
  TParque_ModeloTeorico();
  TParque_ModeloTeorico(const TParque_ModeloTeorico&) = default;
  TParque_ModeloTeorico& operator=(const TParque_ModeloTeorico&) = default;
  TParque_ModeloTeorico(TParque_ModeloTeorico&&) noexcept = default;
  TParque_ModeloTeorico& operator=(TParque_ModeloTeorico&&) noexcept = default;

  // --- Model file (.pmt, versions 1 to 3 read, version 3 written) ---
  static std::unique_ptr<TParque_ModeloTeorico> Create_LoadFromArchi(const std::string& archivo);
  static std::unique_ptr<TParque_ModeloTeorico> CreateLoadFromFile(const std::string& archivo) {
    return Create_LoadFromArchi(archivo);
  }
  static std::unique_ptr<TParque_ModeloTeorico> Create_LoadFromText(TLectorTexto& f);
  void SaveToArchi(const std::string& archivo) const;
  void SaveToText(TEscritorTexto& f) const;
  // A deep copy (turbines, curves, grid, station table and working state).
  std::unique_ptr<TParque_ModeloTeorico> Create_Copia() const;

  // Normalisation: authorised power at least 1e-8, coef_perdidas, farm curve rebuilt.
  void Inicializar();

  // --- Wind field ---
  // Lays the grid for direction dir and fixes etha_meteo_dir (1 when etha_meteo_unitario).
  void Preparar(bool etha_meteo_unitario, double dir, double dp_meteo, double rho);
  // Farm power for free-stream density dp_libre, capped at min(limite, potencia_autorizada_mw);
  // dp_meteo_modelo receives the modelled station density.
  double Simular(double rho, double dp_libre, double limite, double& dp_meteo_modelo);
  double Simular(double rho, double dp_libre, double limite) {
    double d;
    return Simular(rho, dp_libre, limite, d);
  }
  // Farm power for the measured station density dp_medida: iterates the free stream until the
  // modelled station density matches within 1 % (at most 101 simulations). Below 1e-10 it returns 0
  // at once, with convergio false and both densities 0.
  double ResolverMeteo(double rho, double dp_medida, double limite, bool& convergio, double& dp_meteo_modelo,
                       double& dp_libre_hallado);
  double ResolverMeteo(double rho, double dp_medida, double limite) {
    bool c;
    double d, f;
    return ResolverMeteo(rho, dp_medida, limite, c, d, f);
  }
  // Station wind speed (m/s) giving farm power P_obj at 1.225 kg/m³, or −11 when P_obj exceeds the
  // authorised power (dp_libre_salida then untouched); dp_libre_salida: free stream of the last trial.
  double VientoParaPotencia(double P_obj, double& dp_libre_salida);
  // Grid density at (x, y) relative to the station; 0 outside the grid or before any computation.
  // After a pass without the stored grid only the station (0, 0) is known (Exception elsewhere).
  double DpEnPunto(double x, double y) const;
  // References to the calibrated values: row 1 of each column of meteo_etha, then factor_perdidas.
  // They stay valid until meteo_etha is replaced or reshaped.
  TDAOfNRealPtr ParametrosCalibrables();

  // --- Farm map (bodies in uparques_mapa.cpp) ---
  void FijarVentana(int px0, int py0, int px1, int py1);
  void MundoAPixel(double x, double y, int& columna, int& fila) const;
  void PixelAMundo(int columna, int fila, double& x, double& y) const;
  // The turbine nearest to the pixel, or nullptr when farther than three rotor diameters.
  TMolino* MolinoCercano(int columna, int fila);
  const TMolino* MolinoCercano(int columna, int fila) const;
  double DpEnPixel(int columna, int fila) const;

private:
  // Turbine indices ordered by grid row (molinos order within a row), built by Preparar; the grid
  // pass walks it alongside the rows.
  std::vector<int> orden_por_fila_;
  void PasadaGrilla(double rho, double escala); // one pass: boundary, propagation, turbine steps

  // The cells DpEnPunto interpolates for one point: rows P and N, columns V and S, and the fractions
  // along (fr) and across (fc) the wind.
  struct TCeldasPunto {
    int P = 0, N = 0, V = 0, S = 0;
    double fr = 0, fc = 0;
  };
  // False when the point lies outside the grid laid by Preparar.
  bool CeldasDePunto(double x, double y, TCeldasPunto& k) const;

  std::vector<double> filas_pasada_; // the two rows of a pass without the stored grid
  bool grilla_guardada_ = false;     // the last pass stored the whole grid
  bool meteo_en_grilla_ = false;     // the station lies inside the grid of the current Preparar
  TCeldasPunto celdas_meteo_;        // its cells (Preparar)
  double meteo_PV_ = 0, meteo_PS_ = 0, meteo_NV_ = 0, meteo_NS_ = 0; // their values after the last pass
};

// The 72 × 1 station factor table of ones of a new model.
TMatR MeteoEthaUnitaria();
