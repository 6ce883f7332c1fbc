// The wind field: physics helpers, wakes and their direction, the authorised-power cap, losses, the
// station iteration, the inverse search and the wake factor's bounds.
#include <cmath>
#include <cstdint>

#include <gtest/gtest.h>

#include "farm/parque_referencia.h"
#include "farm/uparques_modeloteorico.h"
#include "num/uauxiliares.h"

namespace {

// Two turbines of the reference curve on a north–south line, 1 km and 1.6 km north of the station.
std::unique_ptr<TParque_ModeloTeorico> ParNorteSur() {
  auto p = std::make_unique<TParque_ModeloTeorico>();
  p->potencia_autorizada_mw = 4;
  p->potencia_nominal = 4;
  const TCurvaAerogen c = CurvaReferencia2MW();
  p->molinos.emplace_back(1, 7, 1, c, TPosicion(0, 1000));
  p->molinos.emplace_back(2, 7, 1, c, TPosicion(0, 1600));
  p->Inicializar();
  return p;
}

double SumaPotencias(const TParque_ModeloTeorico& p) {
  double s = 0;
  for (const auto& m : p.molinos)
    s += m.potencia;
  return s;
}

TEST(Fisica, FuncionesDeDensidad) {
  EXPECT_NEAR(FactorDensidad(1.225), 1.0, 1e-15);
  EXPECT_EQ(DensidadPotencia(10, 1.225), 10.0 * 10.0 * 10.0 * (1.225 * 0.5) / 1000000.0);
  EXPECT_NEAR(VelocidadDeDensidad(DensidadPotencia(8.5, 1.2), 1.2), 8.5, 1e-13);
  const double rho = DensidadAire(15, 1013, 50);
  EXPECT_GT(rho, 1.2);
  EXPECT_LT(rho, 1.23);
  EXPECT_EQ(DensidadAire(15, 500, 50), 1.18);  // below 1.1
  EXPECT_EQ(DensidadAire(-40, 1100, 0), 1.18); // above 1.3
}

TEST(Estela, ElGiroDe180GradosIntercambiaAguasArribaYAbajo) {
  auto p = ParNorteSur();
  const double dp = DensidadPotencia(8, 1.225);
  p->Preparar(true, 0, dp, 1.225); // wind from the north: turbine 2 is upstream
  p->Simular(1.225, dp, 100);
  const double libre2 = p->molinos[1].dp_media, estela1 = p->molinos[0].dp_media;
  EXPECT_NEAR(libre2, dp, dp * 1e-12);
  EXPECT_LT(estela1, 0.95 * dp);
  EXPECT_LT(p->molinos[0].potencia, p->molinos[1].potencia);

  p->Preparar(true, 180, dp, 1.225); // from the south: turbine 1 upstream
  p->Simular(1.225, dp, 100);
  EXPECT_NEAR(p->molinos[0].dp_media, dp, dp * 1e-12);
  EXPECT_NEAR(p->molinos[1].dp_media, estela1, dp * 1e-9);
  EXPECT_GT(p->molinos[0].potencia, p->molinos[1].potencia);
}

TEST(Estela, MolinosAlineadosAtravesDelVientoNoSeEstorban) {
  auto p = ParNorteSur();
  const double dp = DensidadPotencia(8, 1.225);
  p->Preparar(true, 90, dp, 1.225); // from the east: both in one row
  EXPECT_EQ(p->molinos[0].posicion.fila, p->molinos[1].posicion.fila);
  p->Simular(1.225, dp, 100);
  EXPECT_NEAR(p->molinos[0].dp_media, dp, dp * 1e-12);
  EXPECT_NEAR(p->molinos[1].dp_media, dp, dp * 1e-12);
}

TEST(Potencia, TopeDePotenciaAutorizada) {
  // The reference farm at 14 m/s nets about 45 MW before any cap. Under a lower cap the turbine powers
  // are scaled pass after pass; a smaller wake then gives the farm back part of what was removed, so
  // the net power stays above the cap and after 11 passes the result is the cap itself.
  const double dp = DensidadPotencia(14, 1.225);
  for (double cap : {30.0, 44.0}) {
    auto p = ParqueReferencia();
    p->potencia_autorizada_mw = cap;
    p->Preparar(true, 270, dp, 1.225);
    const long long antes = p->nPasadas;
    EXPECT_EQ(p->Simular(1.225, dp, 100), cap);
    EXPECT_EQ(p->nPasadas - antes, 11);
    EXPECT_LT(SumaPotencias(*p), 46.0);
  }
  // The limit argument caps as the authorised power does; without a cap one pass is enough.
  auto p = ParqueReferencia();
  p->Preparar(true, 270, dp, 1.225);
  EXPECT_EQ(p->Simular(1.225, dp, 12.5), 12.5);
  const long long antes = p->nPasadas;
  const double P = p->Simular(1.225, dp, 100);
  EXPECT_EQ(p->nPasadas - antes, 1);
  const double S = SumaPotencias(*p);
  EXPECT_EQ(P, S - p->coef_perdidas * (S * S));
  EXPECT_GT(P, 44.0);
  EXPECT_LT(P, 50.0);
}

TEST(Potencia, SinPerdidasEsLaSumaDeLosMolinos) {
  auto p = ParqueReferencia();
  p->factor_perdidas = 0;
  const double dp = DensidadPotencia(9, 1.225);
  p->Preparar(false, 45, dp, 1.225);
  EXPECT_EQ(p->coef_perdidas, 0.0);
  const double P = p->ResolverMeteo(1.225, dp, 50);
  EXPECT_EQ(P, SumaPotencias(*p));
  EXPECT_GT(P, 10.0);
}

TEST(ResolverMeteo, EstacionAguasArribaConvergeEnLaPrimeraSimulacion) {
  auto p = ParqueReferencia(); // station 500 m west of the farm: upstream for a west wind
  const double dp = DensidadPotencia(9, 1.225);
  p->Preparar(false, 270, dp, 1.225);
  EXPECT_EQ(p->etha_meteo_dir, 1.0);
  bool conv = false;
  double dmet = 0, libre = 0;
  p->ResolverMeteo(1.225, dp, 50, conv, dmet, libre);
  EXPECT_TRUE(conv);
  EXPECT_EQ(libre, dp);
  EXPECT_NEAR(dmet, dp, dp * 1e-12);
}

TEST(ResolverMeteo, DensidadNulaDevuelveCeroSinConverger) {
  auto p = ParqueReferencia();
  p->Preparar(false, 0, 0, 1.225);
  bool conv = true;
  double dmet = -1, libre = -1;
  EXPECT_EQ(p->ResolverMeteo(1.225, 0, 50, conv, dmet, libre), 0.0);
  EXPECT_FALSE(conv);
  EXPECT_EQ(dmet, 0.0);
  EXPECT_EQ(libre, 0.0);
}

TEST(VientoParaPotencia, EnYSobreLaPotenciaAutorizada) {
  auto p = ParqueReferencia();
  p->Preparar(false, 90, DensidadPotencia(9, 1.225), 1.225);
  double libre = -7;
  EXPECT_EQ(p->VientoParaPotencia(std::nextafter(50.0, 100.0), libre), -11.0);
  EXPECT_EQ(libre, -7.0); // untouched
  const double v = p->VientoParaPotencia(50.0, libre);
  EXPECT_GT(v, 0.0);
  EXPECT_GT(libre, 0.0);
  const double v20 = p->VientoParaPotencia(20.0, libre);
  EXPECT_GT(v20, 5.0);
  EXPECT_LT(v20, v);
  // The speed found reproduces the target within the search tolerance.
  p->Preparar(false, 90, DensidadPotencia(v20, 1.225), 1.225);
  EXPECT_NEAR(p->ResolverMeteo(1.225, DensidadPotencia(v20, 1.225), 50), 20.0, 0.05);
}

TEST(FactorEstela, UnRotorQueTomaMasQueElVientoQuedaEnLaCotaInferior) {
  // A 1 m rotor with the 2 MW curve: h ≫ 1, so 1 − h^(2/3) < 0.
  auto p = ParNorteSur();
  TVectR v = p->molinos[1].curva.curva_v, P = p->molinos[1].curva.curva_P;
  p->molinos[1].curva = TCurvaAerogen(8, "chico", 1.0, v, P);
  const double dp = DensidadPotencia(9, 1.225);
  p->Preparar(true, 0, dp, 1.225);
  p->Simular(1.225, dp, 100);
  const TPosicion& pos = p->molinos[1].posicion;
  double suma = 0;
  for (int c = pos.col_ini; c <= pos.col_fin; ++c)
    suma += p->grilla.e(pos.fila, c);
  const double media = suma / (pos.col_fin - pos.col_ini + 1);
  EXPECT_TRUE(std::isfinite(media));
  EXPECT_NEAR(media, p->molinos[1].dp_media * 1e-5, dp * 1e-12);
  EXPECT_TRUE(std::isfinite(p->molinos[0].dp_media));
  EXPECT_TRUE(std::isfinite(p->molinos[0].potencia));
}

TEST(DpEnPunto, FueraDeLaGrillaOAntesDeCalcularEsCero) {
  auto p = ParqueReferencia();
  EXPECT_EQ(p->DpEnPunto(0, 0), 0.0);
  const double dp = DensidadPotencia(9, 1.225);
  p->Preparar(false, 0, dp, 1.225);
  EXPECT_EQ(p->DpEnPunto(0, 0), 0.0); // prepared, not computed
  p->ResolverMeteo(1.225, dp, 50);
  EXPECT_GT(p->DpEnPunto(1000, 1000), 0.0);
  EXPECT_EQ(p->DpEnPunto(-5000, 0), 0.0);
  EXPECT_EQ(p->DpEnPunto(0, 10000), 0.0);
}

TEST(Preparar, ReutilizaLaGrillaYDaLosMismosResultados) {
  auto p = ParqueReferencia();
  const double dp = DensidadPotencia(9, 1.225);
  p->Preparar(false, 45, dp, 1.225);
  const double P45 = p->ResolverMeteo(1.225, dp, 50);
  p->Preparar(false, 90, dp, 1.225);
  p->ResolverMeteo(1.225, dp, 50);
  p->Preparar(false, 45, dp, 1.225);
  EXPECT_EQ(p->ResolverMeteo(1.225, dp, 50), P45);
  auto q = ParqueReferencia();
  q->Preparar(false, 45, dp, 1.225);
  EXPECT_EQ(q->ResolverMeteo(1.225, dp, 50), P45);
}

} // namespace

namespace {

TEST(Preparar, FactorDeEstacionDeLaTabla) {
  auto p = ParqueReferencia();
  p->meteo_etha = TMatR(72, 2); // columns: 3 and 4 m/s
  for (int k = 1; k <= 72; ++k) {
    p->meteo_etha.pon_e(k, 1, 1 + 0.01 * k);
    p->meteo_etha.pon_e(k, 2, 2 + 0.01 * k);
  }
  const double dp3 = DensidadPotencia(3, 1.225), dp9 = DensidadPotencia(9, 1.225);
  const struct {
    double dir, dp, esperado;
  } casos[] = {
      {0, dp3, 1.01},                       // directions 0° … 5° all use row 1; 3 m/s is column 1
      {5, dp3, 1.01},    {7.5, dp3, 1.015}, // half way between rows 1 and 2
      {359, dp3, 1.718},                    // between rows 71 and 72
      {365, dp3, 1.72},                     // beyond the last row
      {0, dp9, 2.01},                       // beyond the last column
  };
  for (const auto& c : casos) {
    p->Preparar(false, c.dir, c.dp, 1.225);
    EXPECT_NEAR(p->etha_meteo_dir, c.esperado, 1e-12) << c.dir;
  }
  p->meteo_etha.PorReal(0.01); // below the floor
  p->Preparar(false, 0, dp3, 1.225);
  EXPECT_EQ(p->etha_meteo_dir, 0.1);
  p->Preparar(true, 0, dp3, 1.225);
  EXPECT_EQ(p->etha_meteo_dir, 1.0);
  p->meteo_etha = TMatR(1, 2); // one direction bin: the speed interpolation alone
  p->meteo_etha.pon_e(1, 1, 0.8);
  p->meteo_etha.pon_e(1, 2, 0.9);
  p->Preparar(false, 200, DensidadPotencia(3.5, 1.225), 1.225);
  EXPECT_NEAR(p->etha_meteo_dir, 0.85, 1e-12);
}

} // namespace

// --- The pass without the stored grid ---
// The reference farm's results for a few winds, as file text: farm power, free and modelled station
// densities, every turbine's dp_media and potencia. The pass that keeps only two rows and the cells
// read afterwards must give these same texts, and so must the pass that stores the whole grid; the
// recorded fingerprints were taken from the whole-grid pass.
namespace {

struct TCasoPasada {
  const char* nombre;
  double dir, v, rho, limite, autorizada;
  bool simularSolo;     // one Simular at the measured density (the capped case) instead of ResolverMeteo
  double P_obj;         // > 0: VientoParaPotencia for this power instead
  int pasadas;          // grid passes expected (0: not checked)
  const char* potencia; // recorded farm power (or station wind), RealATexto
  uint64_t huella;      // recorded FNV-1a of the whole text
};

const TCasoPasada kCasosPasada[] = {
    {"0° 9 m/s", 0, 9, 1.225, 50, 50, false, 0, 0, " 1.9298086569393902E+001", 14946350198672003430ull},
    {"45° 9 m/s", 45, 9, 1.225, 50, 50, false, 0, 0, " 3.1728922886093919E+001", 15175583705184991291ull},
    {"200° 6 m/s, 1.18 kg/m³, tope 20", 200, 6, 1.18, 20, 50, false, 0, 0, " 7.5942396674396866E+000",
     7980955072796538602ull},
    {"270° 14 m/s, autorizada 30: 11 pasadas", 270, 14, 1.225, 100, 30, true, 0, 11,
     " 3.0000000000000000E+001", 12976298324438296368ull},
    {"90°, 20 MW", 90, 9, 1.225, 50, 50, false, 20, 0, " 7.5565437605232253E+000", 1257054164711354479ull},
};

uint64_t Fnv1a(const std::string& s) {
  uint64_t h = 14695981039346656037ull;
  for (unsigned char c : s) {
    h ^= c;
    h *= 1099511628211ull;
  }
  return h;
}

// Runs one case and returns its results as text; the first line is the farm power (or station wind).
std::string ResultadosComoTexto(TParque_ModeloTeorico& p, const TCasoPasada& c) {
  p.potencia_autorizada_mw = c.autorizada;
  const double dp = DensidadPotencia(c.v, c.rho);
  p.Preparar(false, c.dir, dp, c.rho);
  const long long antes = p.nPasadas;
  double P, dmet = 0, libre = 0;
  if (c.P_obj > 0) {
    P = p.VientoParaPotencia(c.P_obj, libre);
    dmet = p.DpEnPunto(0, 0) * p.etha_meteo_dir;
  } else if (c.simularSolo) {
    P = p.Simular(c.rho, dp, c.limite, dmet);
    libre = p.dp_libre;
  } else {
    bool conv;
    P = p.ResolverMeteo(c.rho, dp, c.limite, conv, dmet, libre);
  }
  if (c.pasadas > 0) {
    EXPECT_EQ(p.nPasadas - antes, c.pasadas) << c.nombre;
  }
  std::string s = RealATexto(P) + "\n" + RealATexto(libre) + "\n" + RealATexto(dmet) + "\n" +
                  RealATexto(p.DpEnPunto(0, 0)) + "\n";
  for (const TMolino& m : p.molinos)
    s += RealATexto(m.dp_media) + " " + RealATexto(m.potencia) + "\n";
  return s;
}

std::unique_ptr<TParque_ModeloTeorico> ReferenciaDelArchivo() {
  return TParque_ModeloTeorico::Create_LoadFromArchi(std::string(AURVEND_DATA_DIR) + "/c1_parque_mt.pmt");
}

TEST(PasadaSinGrilla, MismosResultadosQueConLaGrillaEntera) {
  auto completo = ReferenciaDelArchivo();
  auto liviano = ReferenciaDelArchivo();
  liviano->guardarGrilla = false;
  for (const TCasoPasada& c : kCasosPasada) {
    const std::string esperado = ResultadosComoTexto(*completo, c);
    const std::string s = ResultadosComoTexto(*liviano, c);
    EXPECT_EQ(s, esperado) << c.nombre;
    EXPECT_EQ(esperado.substr(0, esperado.find('\n')), c.potencia) << c.nombre;
    EXPECT_EQ(Fnv1a(esperado), c.huella) << c.nombre << "\n" << esperado;
  }
  EXPECT_EQ(liviano->grilla.nf(), 0); // no grid kept
}

TEST(PasadaSinGrilla, LaEstacionSeConoceYOtrosPuntosNo) {
  auto p = ReferenciaDelArchivo();
  p->guardarGrilla = false;
  const double dp = DensidadPotencia(9, 1.225);
  p->Preparar(false, 45, dp, 1.225);
  EXPECT_EQ(p->DpEnPunto(0, 0), 0.0); // prepared, not computed
  p->ResolverMeteo(1.225, dp, 50);
  EXPECT_GT(p->DpEnPunto(0, 0), 0.0);
  EXPECT_EQ(p->DpEnPunto(-5000, 0), 0.0); // outside the grid
  EXPECT_THROW(p->DpEnPunto(1000, 1000), Exception);
  // Back to the whole grid: the map's points are known again after the next computation, with the
  // same values as on a farm that always stored it.
  p->guardarGrilla = true;
  p->ResolverMeteo(1.225, dp, 50);
  auto q = ReferenciaDelArchivo();
  q->Preparar(false, 45, dp, 1.225);
  q->ResolverMeteo(1.225, dp, 50);
  EXPECT_EQ(p->DpEnPunto(1000, 1000), q->DpEnPunto(1000, 1000));
  EXPECT_EQ(p->DpEnPunto(0, 0), q->DpEnPunto(0, 0));
}

} // namespace
