// Seeded generator of realistic ten-minute measured series of a wind farm.
//
// The series is built in layers, each drawing from the one random stream in a fixed order:
// weather (wind speed and direction, temperature, pressure, humidity), the farm's power from its
// direction-dependent curve with measurement noise, turbine outages (availability), curtailment
// periods (setpoint below the authorised power, the farm follows it), stuck values, outliers and
// gaps. Every value is finally rounded to the decimals the file carries.
#include "generador/generador_series.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <random>

#include "farm/uparques_modeloteorico.h"
#include "num/uauxiliares.h"
#include "num/utexto_archivos.h"
#include "num/xmatdefs.h"

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr int kMuestrasDia = 144;

// The generator's own random stream: mt19937_64 integers turned into uniforms and normals by hand.
class TAleatorio {
public:
  explicit TAleatorio(std::uint64_t semilla) : g_(semilla) {}
  double Uniforme() { return static_cast<double>(g_() >> 11) * 0x1.0p-53; }                // [0, 1)
  double UniformeAbierto() { return (static_cast<double>(g_() >> 11) + 0.5) * 0x1.0p-53; } // (0, 1)
  double Uniforme(double a, double b) { return a + (b - a) * Uniforme(); }
  int Entero(int a, int b) { return a + static_cast<int>(Uniforme() * (b - a + 1)); } // a..b
  bool Bernoulli(double p) { return Uniforme() < p; }
  double Exponencial(double media) { return -media * std::log(UniformeAbierto()); }
  // Marsaglia's polar method; the second value of each pair is kept for the next call.
  double Normal() {
    if (hayGuardada_) {
      hayGuardada_ = false;
      return guardada_;
    }
    double u, v, s;
    do {
      u = 2 * Uniforme() - 1;
      v = 2 * Uniforme() - 1;
      s = u * u + v * v;
    } while (s >= 1 || s == 0);
    double f = std::sqrt(-2 * std::log(s) / s);
    guardada_ = v * f;
    hayGuardada_ = true;
    return u * f;
  }
  // Number of events of a Poisson process of the given mean (inversion; means stay small).
  int Poisson(double media) {
    if (media <= 0) return 0;
    if (media > 500) return static_cast<int>(std::lround(media + std::sqrt(media) * Normal()));
    double l = std::exp(-media), p = 1;
    int k = 0;
    do {
      ++k;
      p *= Uniforme();
    } while (p > l);
    return k - 1;
  }

private:
  std::mt19937_64 g_;
  double guardada_ = 0;
  bool hayGuardada_ = false;
};

// First-order autoregressive process of unit variance with correlation time tau (samples).
class TProcesoAR {
public:
  explicit TProcesoAR(double tau) : phi_(std::exp(-1.0 / tau)), s_(std::sqrt(1 - phi_ * phi_)) {}
  double Paso(TAleatorio& r) { return x_ = phi_ * x_ + s_ * r.Normal(); }
  void Iniciar(TAleatorio& r) { x_ = r.Normal(); }

private:
  double phi_, s_, x_ = 0;
};

// Rounds to `decimales` decimals: an integer count of 10^-decimales divided by 10^decimales is the
// double nearest to that short decimal, so the file carries it in a few digits and reads it back
// exactly.
double Cuantizar(double x, int decimales) {
  static const double escala[] = {1, 10, 100, 1000, 10000};
  double y = std::nearbyint(x * escala[decimales]) / escala[decimales];
  return y == 0 ? 0.0 : y; // no negative zero in the file
}

double DifAngular(double a, double b) { // a - b folded to (-180, 180]
  double d = std::fmod(a - b, 360.0);
  if (d > 180) d -= 360;
  if (d <= -180) d += 360;
  return d;
}

double Envolver360(double a) {
  double x = std::fmod(a, 360.0);
  if (x < 0) x += 360;
  return x;
}

// The reference turbine: 2 MW, 3 to 25 m/s.
double PotenciaMolinoReferencia(double v) {
  static const double P[] = {0.02, 0.09, 0.2, 0.35, 0.55, 0.8, 1.1, 1.4, 1.7, 1.9, 2.0}; // 3..13 m/s
  if (v < 3 || v > 25) return 0;
  if (v >= 13) return 2.0;
  int i = static_cast<int>(v) - 3;
  double f = v - (i + 3);
  return P[i] + f * (P[i + 1] - P[i]);
}

struct TEvento {
  int ini, fin; // samples ini..fin-1 (0-based)
};

// Channels of the container, 0-based.
enum { C_VEL, C_DIR, C_PE, C_TEMP, C_PRE, C_HUM, C_CGM, C_DISP, C_EXTRA, N_CANALES };

} // namespace

// ---------------------------------------------------------------------------------------------

TCurvaParqueDireccional::TCurvaParqueDireccional(int nDir, double dv, int nV, std::vector<double> tabla)
    : nDir_(nDir), nV_(nV), dv_(dv), tabla_(std::move(tabla)) {
  if (nDir < 1 || nV < 2 || !(dv > 0) || tabla_.size() != static_cast<size_t>(nDir) * nV)
    throw Exception("TCurvaParqueDireccional: dimensiones de la tabla no válidas");
}

double TCurvaParqueDireccional::Potencia(double dir, double v) const {
  if (!(v >= 0)) return 0;
  double x = v / dv_;
  if (x >= nV_ - 1) return x > nV_ - 1 ? 0.0 : Tabla(0, nV_ - 1);
  double a = Envolver360(dir) / (360.0 / nDir_);
  int i0 = static_cast<int>(a) % nDir_, i1 = (i0 + 1) % nDir_;
  double fa = a - std::floor(a);
  int j = static_cast<int>(x);
  double fv = x - j;
  double p0 = Tabla(i0, j) + fv * (Tabla(i0, j + 1) - Tabla(i0, j));
  double p1 = Tabla(i1, j) + fv * (Tabla(i1, j + 1) - Tabla(i1, j));
  return p0 + fa * (p1 - p0);
}

TCurvaParqueDireccional CurvaParqueReferencia() {
  // Wake deficit of the mean speed over the farm: rows of 5 turbines 400 m apart along east-west
  // (5 rotor diameters) lose most, 600 m north-south less, diagonals least. The deficit fades at
  // high wind, where the turbines run at rated power and their thrust falls. The farm loses 3.5 % more
  // in its collection network, as the theoretical model's default loss factor says.
  const int nDir = 72, nV = 27;
  const double dv = 1.0;
  const double perdidas = 0.035; // electrical and availability-independent losses of the farm
  std::vector<double> tabla(nDir * nV);
  for (int i = 0; i < nDir; ++i) {
    double th = i * 5.0 * kPi / 180;
    double s = std::fabs(std::sin(th)), c = std::fabs(std::cos(th));
    double deficit = 0.02 + 0.07 * std::pow(s, 8) + 0.045 * std::pow(c, 8);
    for (int j = 0; j < nV; ++j) {
      double v = j * dv;
      double atenuacion = v <= 10 ? 1.0 : std::max(0.0, 1 - (v - 10) / 8);
      double ve = v * (1 - deficit * atenuacion);
      tabla[i * nV + j] = v > 25 ? 0.0 : 25 * PotenciaMolinoReferencia(ve) * (1 - perdidas);
    }
  }
  return TCurvaParqueDireccional(nDir, dv, nV, std::move(tabla));
}

TCurvaParqueDireccional CurvaParqueDesdeModelo(TParque_ModeloTeorico& modelo, int nDir, double dv, int nV) {
  std::vector<double> tabla(static_cast<size_t>(nDir) * nV, 0.0);
  for (int i = 0; i < nDir; ++i) {
    double dir = i * (360.0 / nDir);
    for (int j = 1; j < nV; ++j) {
      double dp = DensidadPotencia(j * dv, 1.225);
      modelo.Preparar(false, dir, dp, 1.225);
      tabla[static_cast<size_t>(i) * nV + j] = modelo.ResolverMeteo(1.225, dp, modelo.potencia_autorizada_mw);
    }
    std::cout << "Curva del parque: dirección " << RealATextoGeneral(dir) << " (" << i + 1 << " de " << nDir
              << ")" << std::endl;
  }
  return TCurvaParqueDireccional(nDir, dv, nV, std::move(tabla));
}

const std::vector<std::string>& NombresCanalesGenerados() {
  static const std::vector<std::string> n = {"Vel",    "Dir", "PE",    "Temp",      "Pre",
                                             "HumRel", "CGM", "fDisp", "VelGondola"};
  return n;
}

// ---------------------------------------------------------------------------------------------

TSerieGenerada GenerarSerie(const TParametrosGenerador& p) {
  if (p.nDias < 1) throw Exception("Generador de series: el número de días debe ser al menos 1");
  if (p.nMolinos < 1 || !(p.potenciaAutorizada > 0))
    throw Exception("Generador de series: el parque necesita molinos y potencia autorizada");
  const int N = p.nDias * kMuestrasDia;
  const double PAut = p.potenciaAutorizada;
  const double meses = p.nDias / 30.4375;
  std::shared_ptr<const TCurvaParqueDireccional> curva = p.curva;
  if (!curva) curva = std::make_shared<TCurvaParqueDireccional>(CurvaParqueReferencia());

  TAleatorio r(p.semilla);
  std::vector<std::vector<double>> c(N_CANALES, std::vector<double>(N));
  std::vector<double> pSin(N), pPlena(N), rho(N), disp(N);
  std::vector<std::uint8_t> marcas(N + 1, 0);
  auto marcar = [&](int i, std::uint8_t m) { marcas[i + 1] |= m; };

  // Day of year of the first sample.
  static const int acumMes[12] = {0, 31, 59, 90, 120, 151, 181, 212, 243, 273, 304, 334};
  const int mes = std::clamp(p.mes, 1, 12);
  const double diaInicial = acumMes[mes - 1] + p.dia - 1;

  // --- Weather ---
  const double lambda0 = p.velocidadMedia / std::tgamma(1 + 1 / p.kWeibull);
  TProcesoAR zLento(60), zRapido(3), zDir(18), zTemp(144), zPre(288), zHum(72), zPot(2);
  zLento.Iniciar(r);
  zTemp.Iniciar(r);
  zPre.Iniciar(r);
  zHum.Iniciar(r);
  // Prevailing wind regimes: centre (degrees), weight, spread.
  struct TRegimen {
    double centro, peso, dispersion;
  };
  const TRegimen regimenes[] = {{275, 0.42, 18}, {20, 0.26, 22}, {160, 0.20, 28}, {95, 0.12, 32}};
  auto elegirRegimen = [&]() {
    double u = r.Uniforme(), acum = 0;
    for (int i = 0; i < 4; ++i) {
      acum += regimenes[i].peso;
      if (u < acum) return i;
    }
    return 3;
  };
  int regimen = elegirRegimen();
  double centro = regimenes[regimen].centro;
  for (int i = 0; i < N; ++i) {
    double dias = diaInicial + static_cast<double>(i) / kMuestrasDia;
    double hora = (i % kMuestrasDia) / 6.0;
    double estacion = std::cos(2 * kPi * (dias - 15) / 365.25); // 1 in mid-winter
    double diurno = std::sin(2 * kPi * (hora - 9) / 24);        // peak in mid-afternoon

    double g = 0.95 * zLento.Paso(r) + 0.312 * zRapido.Paso(r);
    double u = 0.5 * std::erfc(-g / std::sqrt(2.0));
    u = std::clamp(u, 1e-12, 1 - 1e-12);
    double lambda = lambda0 * (1 + 0.12 * estacion) * (1 + 0.08 * diurno);
    double v = lambda * std::pow(-std::log(1 - u), 1 / p.kWeibull);
    v = std::clamp(v * (1 + 0.03 * r.Normal()), 0.0, 40.0);

    if (r.Bernoulli(1.0 / (kMuestrasDia * 1.5))) regimen = elegirRegimen();
    centro = Envolver360(centro + 0.04 * DifAngular(regimenes[regimen].centro, centro));
    double dispersion = regimenes[regimen].dispersion * (1 + 2.0 / (1 + v));
    double dir = Envolver360(centro + dispersion * zDir.Paso(r) + 2 * r.Normal());

    double T = 14 - 8 * std::cos(2 * kPi * (dias - 20) / 365.25) + 4 * diurno + 2.5 * zTemp.Paso(r);
    double pre = 1008 + 8 * zPre.Paso(r) - 0.35 * (v - p.velocidadMedia);
    double hum = std::clamp(70 - 2.2 * (4 * diurno) + 12 * zHum.Paso(r), 12.0, 100.0);

    c[C_VEL][i] = Cuantizar(v, 2);
    c[C_DIR][i] = Cuantizar(dir, 1);
    if (c[C_DIR][i] >= 360) c[C_DIR][i] = 0;
    c[C_TEMP][i] = Cuantizar(T, 1);
    c[C_PRE][i] = Cuantizar(pre, 1);
    c[C_HUM][i] = Cuantizar(hum, 1);
    c[C_EXTRA][i] = Cuantizar(std::max(0.0, 0.93 * v + 0.3 + 0.25 * r.Normal()), 2);
    double t = c[C_TEMP][i], pr = c[C_PRE][i], h = c[C_HUM][i];
    rho[i] = (0.34848 * pr - 0.009 * h * std::exp(0.061 * t)) / (t + 273.16);
  }

  // --- Availability: turbine outages (1 to 4 turbines, hours to days) and rare farm stops ---
  std::vector<int> cambio(N + 1, 0);
  int nParadas = r.Poisson(p.paradasPorMes * meses);
  for (int e = 0; e < nParadas; ++e) {
    int ini = r.Entero(0, N - 1);
    bool parque = r.Bernoulli(0.05);
    int molinos = parque ? p.nMolinos : std::min(p.nMolinos, 1 + static_cast<int>(r.Exponencial(0.7)));
    int dur = 6 + static_cast<int>(r.Exponencial(parque ? 24 : 72));
    int fin = std::min(N, ini + dur);
    cambio[ini] += molinos;
    cambio[fin] -= molinos;
  }
  std::vector<double> enMarcha(N);
  for (int i = 0, parados = 0; i < N; ++i) {
    parados += cambio[i];
    enMarcha[i] = std::max(0, p.nMolinos - parados);
  }
  // A turbine that stops or starts within a ten-minute interval counts for part of it.
  for (int i = 0; i < N; ++i) {
    double d = enMarcha[i];
    if (i > 0 && enMarcha[i - 1] != enMarcha[i]) d = 0.5 * (enMarcha[i - 1] + enMarcha[i]);
    disp[i] = d / p.nMolinos;
    if (disp[i] < 0.8) marcar(i, MARCA_INDISPONIBLE);
  }
  for (int i = 0; i < N; ++i) {
    double d = disp[i] * p.nMolinos;
    switch (p.formatoDisponibilidad) {
    case TFormatoDisponibilidad::PorUnidad:
      c[C_DISP][i] = Cuantizar(disp[i], 4);
      break;
    case TFormatoDisponibilidad::Porcentaje:
      c[C_DISP][i] = Cuantizar(100 * disp[i], 2);
      break;
    case TFormatoDisponibilidad::Maquinas:
      c[C_DISP][i] = Cuantizar(d, 1);
      break;
    }
  }

  // --- Farm power from the curve at the sample's power density, with measurement noise ---
  zPot.Iniciar(r);
  for (int i = 0; i < N; ++i) {
    double v = c[C_VEL][i];
    double ve = v * std::cbrt(rho[i] / 1.225);
    double P = curva->Potencia(c[C_DIR][i], ve);
    double ruidoRel = 0.025 * zPot.Paso(r), ruidoAbs = 0.04 * r.Normal();
    double consumo = -0.03 + 0.01 * r.Uniforme(); // auxiliary consumption in calm wind
    auto medida = [&](double Pm) {
      if (Pm <= 0) return consumo;
      return std::clamp(Pm * (1 + ruidoRel) + ruidoAbs, -0.05, PAut);
    };
    pPlena[i] = Cuantizar(medida(P), 3);
    pSin[i] = Cuantizar(medida(P * disp[i]), 3);
    c[C_PE][i] = pSin[i];
    c[C_CGM][i] = PAut;
  }

  // --- Curtailment: setpoint below the authorised power, the farm follows it ---
  int nRestr = r.Poisson(p.restriccionesPorMes * meses);
  std::vector<TEvento> restricciones;
  // The grid operator curtails mostly when the wind is strong: a start is drawn until the farm
  // produces well (at most 20 draws), and the setpoint is a fraction of what it produces then.
  auto consigna = [&](double P) {
    double nivel = P > 0.2 * PAut ? P * r.Uniforme(0.3, 0.85) : PAut * r.Uniforme(0.2, 0.8);
    return Cuantizar(std::clamp(nivel, 0.05 * PAut, 0.9 * PAut), 1);
  };
  for (int e = 0; e < nRestr; ++e) {
    int ini = r.Entero(0, N - 1);
    for (int intento = 0; intento < 20 && !r.Bernoulli(std::max(0.0, pSin[ini]) / (0.5 * PAut)); ++intento)
      ini = r.Entero(0, N - 1);
    int fin = std::min(N, ini + r.Entero(6, 48));
    double nivel = consigna(pSin[ini]);
    int mitad = r.Bernoulli(0.3) ? (ini + fin) / 2 : fin;
    double nivel2 = consigna(pSin[mitad < fin ? mitad : ini]);
    for (int i = ini; i < fin; ++i) {
      double cgm = i < mitad ? nivel : nivel2;
      c[C_CGM][i] = cgm;
      marcar(i, MARCA_RESTRICCION);
      if (pSin[i] > cgm) {
        double desvio = std::min(1.2, std::fabs(0.25 * r.Normal()));
        double pe = cgm - desvio;
        // The first sample of a deep cut is still ramping down.
        if (i == ini && pSin[i] - cgm > 3) pe = 0.5 * (pSin[i] + cgm);
        c[C_PE][i] = Cuantizar(std::max(pe, 0.0), 3);
      }
    }
    restricciones.push_back({ini, fin});
  }

  // --- Stuck values: a frozen anemometer, vane or power reading ---
  int nRep = r.Poisson(p.repetidosPorMes * meses);
  for (int e = 0; e < nRep; ++e) {
    int canal = r.Entero(0, 2); // C_VEL, C_DIR or C_PE
    int ini = r.Entero(0, N - 1);
    int fin = std::min(N, ini + r.Entero(10, 72));
    double valor = c[canal][ini];
    for (int i = ini; i < fin; ++i) {
      c[canal][i] = valor;
      marcar(i, MARCA_REPETIDO);
    }
  }

  // --- Outliers: unexplained under-production, reading glitches and spikes out of range ---
  int nAtip = static_cast<int>(std::lround(p.fraccionAtipicos * N));
  for (int e = 0; e < nAtip; ++e) {
    int i = r.Entero(0, N - 1);
    double u = r.Uniforme();
    if (u < 0.55) {
      c[C_PE][i] = Cuantizar(c[C_PE][i] * r.Uniforme(0.0, 0.5), 3);
    } else if (u < 0.9) {
      c[C_PE][i] = Cuantizar(std::min(PAut, c[C_PE][i] + r.Uniforme(5, 15)), 3);
    } else if (u < 0.95) {
      c[C_PE][i] = Cuantizar(PAut * r.Uniforme(1.25, 2.0), 3);
      marcar(i, MARCA_HUECO);
    } else {
      c[C_VEL][i] = Cuantizar(r.Uniforme(81, 99.9), 2);
      marcar(i, MARCA_HUECO);
    }
    marcar(i, MARCA_ATIPICO);
  }

  // --- Gaps: communication outages (every channel) and single missing channels ---
  if (p.fraccionHuecos > 0) {
    double mediaBloque = 12;
    int nBloques = r.Poisson(p.fraccionHuecos * N / mediaBloque);
    for (int e = 0; e < nBloques; ++e) {
      int ini = r.Entero(0, N - 1);
      int fin = std::min(N, ini + 1 + static_cast<int>(r.Exponencial(mediaBloque - 1)));
      for (int i = ini; i < fin; ++i) {
        for (int k = 0; k < N_CANALES; ++k)
          c[k][i] = VALOR_HUECO;
        marcar(i, MARCA_HUECO | MARCA_HUECO_OTRO);
      }
    }
  }
  int nSueltos = static_cast<int>(std::lround(p.fraccionHuecosCanal * N));
  for (int e = 0; e < nSueltos; ++e) {
    int i = r.Entero(0, N - 1);
    static const int canales[] = {C_VEL, C_DIR, C_PE, C_CGM, C_TEMP, C_PRE, C_HUM, C_DISP, C_EXTRA};
    int k = canales[r.Entero(0, 8)];
    c[k][i] = VALOR_HUECO;
    bool filtrado = k == C_VEL || k == C_DIR || k == C_PE || k == C_CGM;
    marcar(i, filtrado ? MARCA_HUECO : MARCA_HUECO_OTRO);
  }

  // --- The container and the side outputs ---
  TSerieGenerada res;
  res.datos = std::make_unique<TSeriesDeDatos>(N_CANALES, N, p.anio, mes, p.dia, 0, 0, 0, 1.0 / 6.0);
  TSeriesDeDatos& s = *res.datos;
  s.muestrasPorCiclo = kMuestrasDia;
  s.nombres = NombresCanalesGenerados();
  for (int k = 0; k < N_CANALES; ++k) {
    s.tipos[k] = k == C_PE ? SALIDA : ENTRADA;
    for (int i = 0; i < N; ++i)
      s.series[k].pon_e(i + 1, c[k][i]);
  }
  res.PSinRestriccion = TVectR(N);
  res.PPlena = TVectR(N);
  res.Rho = TVectR(N);
  res.Disponibilidad = TVectR(N);
  for (int i = 0; i < N; ++i) {
    res.PSinRestriccion.pon_e(i + 1, pSin[i]);
    res.PPlena.pon_e(i + 1, pPlena[i]);
    res.Rho.pon_e(i + 1, rho[i]);
    res.Disponibilidad.pon_e(i + 1, disp[i]);
  }
  res.marcas = std::move(marcas);
  return res;
}

// ---------------------------------------------------------------------------------------------

namespace {

void AgregarReal(std::string& linea, double x) {
  char buf[40];
  auto r = std::to_chars(buf, buf + sizeof buf, x);
  linea.append(buf, r.ptr);
}

} // namespace

void EscribirArchivoSeries(const TSeriesDeDatos& s, const std::string& archivo) {
  TEscritorTexto f(archivo);
  auto real = [](double x) {
    if (x == 1.0 / 6.0) return std::string("1/6");
    std::string t;
    AgregarReal(t, x);
    return t;
  };
  if (s.version >= 1) f.EscribirLinea("VERSION_FORMATO_SERIES " + std::to_string(s.version));
  f.EscribirLinea(std::to_string(s.nSeries) + "\tseries");
  f.EscribirLinea(std::to_string(s.anio) + " " + std::to_string(s.mes) + " " + std::to_string(s.dia) + " " +
                  std::to_string(s.hora) + " " + std::to_string(s.minuto) + " " + std::to_string(s.segundo) +
                  "\tprimera muestra");
  f.EscribirLinea(real(s.dtEntreMuestras_horas) + "\thoras entre muestras");
  f.EscribirLinea(std::to_string(s.nPuntos) + "\tmuestras");
  f.EscribirLinea(real(s.muestrasPorCiclo) + "\tmuestras por ciclo");
  if (s.version >= 1) {
    std::string tipos;
    for (int i = 0; i < s.nSeries; ++i)
      tipos += s.tipos[i] == SALIDA ? 'x' : 'e';
    f.EscribirLinea(tipos);
  }
  std::string nombres;
  for (int i = 0; i < s.nSeries; ++i) {
    if (i > 0) nombres += '\t';
    nombres += s.nombres[i];
  }
  f.EscribirLinea(nombres);
  std::string linea;
  for (int k = 1; k <= s.nPuntos; ++k) {
    linea.clear();
    linea += std::to_string(k);
    for (int i = 0; i < s.nSeries; ++i) {
      linea += '\t';
      AgregarReal(linea, s.series[i].e(k));
    }
    f.EscribirLinea(linea);
  }
  f.Cerrar();
}

TSerieGenerada GenerarArchivoSeries(const TParametrosGenerador& p, const std::string& archivo) {
  TSerieGenerada g = GenerarSerie(p);
  EscribirArchivoSeries(*g.datos, archivo);
  g.datos->archivo = archivo;
  return g;
}

// ---------------------------------------------------------------------------------------------

TParametrosGenerador ParametrosDeTextos(const std::string& desde, const std::string& dias,
                                        const std::string& semilla, const std::string& disp,
                                        const std::string& pmt) {
  TParametrosGenerador p;
  if (!desde.empty()) {
    char resto = 0;
    static const int diasMes[12] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    bool leida = std::sscanf(desde.c_str(), "%d-%d-%d%c", &p.anio, &p.mes, &p.dia, &resto) == 3;
    bool bisiesto = (p.anio % 4 == 0 && p.anio % 100 != 0) || p.anio % 400 == 0;
    if (!leida || p.anio < 1 || p.anio > 9999 || p.mes < 1 || p.mes > 12 || p.dia < 1 ||
        p.dia > diasMes[p.mes - 1] || (p.mes == 2 && p.dia == 29 && !bisiesto))
      throw Exception("Fecha no válida en --desde: \"" + desde + "\" (se espera aaaa-mm-dd)");
  }
  auto entero = [](const std::string& t, const char* opcion, long long minimo) {
    long long v = 0;
    auto r = std::from_chars(t.data(), t.data() + t.size(), v);
    if (r.ec != std::errc() || r.ptr != t.data() + t.size() || v < minimo || v > 100000)
      throw Exception(std::string("Valor no válido en --") + opcion + ": \"" + t + "\"");
    return v;
  };
  if (!dias.empty()) p.nDias = static_cast<int>(entero(dias, "dias", 1));
  if (!semilla.empty()) {
    auto r = std::from_chars(semilla.data(), semilla.data() + semilla.size(), p.semilla);
    if (r.ec != std::errc() || r.ptr != semilla.data() + semilla.size())
      throw Exception("Valor no válido en --semilla: \"" + semilla + "\" (se espera un entero sin signo)");
  }
  if (disp.empty() || disp == "porcentaje")
    p.formatoDisponibilidad = TFormatoDisponibilidad::Porcentaje;
  else if (disp == "maquinas")
    p.formatoDisponibilidad = TFormatoDisponibilidad::Maquinas;
  else if (disp == "pu")
    p.formatoDisponibilidad = TFormatoDisponibilidad::PorUnidad;
  else
    throw Exception("Valor no válido en --disp: \"" + disp + "\" (porcentaje, maquinas o pu)");
  if (!pmt.empty()) {
    auto modelo = TParque_ModeloTeorico::Create_LoadFromArchi(pmt);
    p.potenciaAutorizada = modelo->potencia_autorizada_mw;
    p.nMolinos = modelo->n_molinos;
    p.curva = std::make_shared<TCurvaParqueDireccional>(CurvaParqueDesdeModelo(*modelo));
  }
  return p;
}

void ImprimirResumen(const TSerieGenerada& g, std::ostream& os) {
  static const char* nombres[] = {"huecos",   "repetidos",     "restringidas",
                                  "atipicas", "indisponibles", "huecos otros canales"};
  os << "nPuntos: " << g.datos->nPuntos << "\n";
  for (int b = 0; b < 6; ++b) {
    int cuenta = 0;
    for (size_t k = 1; k < g.marcas.size(); ++k)
      cuenta += (g.marcas[k] >> b) & 1;
    os << nombres[b] << ": " << cuenta << "\n";
  }
}
