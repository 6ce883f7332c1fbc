// The farm model and its .pmt file: the reference fixture, round trips, old versions, line ends,
// malformed files and the farm curve.
#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include <gtest/gtest.h>

#include "farm/parque_referencia.h"
#include "farm/uparques_modeloteorico.h"
#include "num/utexto_archivos.h"

namespace {

namespace fs = std::filesystem;

std::string Carpeta() {
  const char* b = std::getenv("AURVEND_BASE");
  const std::string c = std::string(b ? b : "/tmp/aurvend_test_farm") + "/pmt";
  fs::create_directories(c);
  return c;
}

std::string LeerTodo(const std::string& archivo) {
  std::ifstream f(archivo, std::ios::binary);
  std::stringstream ss;
  ss << f.rdbuf();
  return ss.str();
}

void EscribirTodo(const std::string& archivo, const std::string& texto) {
  std::ofstream f(archivo, std::ios::binary | std::ios::trunc);
  f << texto;
}

std::vector<std::string> Lineas(const std::string& texto) {
  std::vector<std::string> v;
  std::string l;
  std::istringstream is(texto);
  while (std::getline(is, l)) {
    if (!l.empty() && l.back() == '\r') l.pop_back();
    v.push_back(l);
  }
  return v;
}

std::string Unir(const std::vector<std::string>& v, const std::string& fin) {
  std::string s;
  for (const auto& l : v)
    s += l + fin;
  return s;
}

// Every field the file stores.
void ExpectMismoModeloGuardado(const TParque_ModeloTeorico& a, const TParque_ModeloTeorico& b) {
  EXPECT_EQ(a.nid_central, b.nid_central);
  EXPECT_EQ(a.nid_modelo, b.nid_modelo);
  EXPECT_EQ(a.nombre, b.nombre);
  EXPECT_EQ(a.n_molinos, b.n_molinos);
  EXPECT_EQ(a.n_sectores_dir, b.n_sectores_dir);
  EXPECT_EQ(a.alfa_terreno, b.alfa_terreno);
  EXPECT_EQ(a.gamma_atmosfera, b.gamma_atmosfera);
  EXPECT_EQ(a.fpv3pe, b.fpv3pe);
  EXPECT_EQ(a.factor_perdidas, b.factor_perdidas);
  EXPECT_EQ(a.potencia_autorizada_mw, b.potencia_autorizada_mw);
  EXPECT_EQ(a.potencia_nominal, b.potencia_nominal);
  ASSERT_EQ(a.meteo_etha.nf(), b.meteo_etha.nf());
  ASSERT_EQ(a.meteo_etha.nc(), b.meteo_etha.nc());
  for (int i = 1; i <= a.meteo_etha.nf(); ++i)
    for (int j = 1; j <= a.meteo_etha.nc(); ++j)
      EXPECT_EQ(a.meteo_etha.e(i, j), b.meteo_etha.e(i, j));
  EXPECT_EQ(a.grilla_rotada_dx, b.grilla_rotada_dx);
  EXPECT_EQ(a.grilla_rotada_dy, b.grilla_rotada_dy);
  EXPECT_EQ(a.grilla_rotada_margen_dx, b.grilla_rotada_margen_dx);
  EXPECT_EQ(a.meteo_utm_zona, b.meteo_utm_zona);
  EXPECT_EQ(a.meteo_utm_huso, b.meteo_utm_huso);
  EXPECT_EQ(a.meteo_utm_xe, b.meteo_utm_xe);
  EXPECT_EQ(a.meteo_utm_yn, b.meteo_utm_yn);
  ASSERT_EQ(a.molinos.size(), b.molinos.size());
  for (size_t i = 0; i < a.molinos.size(); ++i) {
    const TMolino &m = a.molinos[i], &n = b.molinos[i];
    EXPECT_EQ(m.nid, n.nid);
    EXPECT_EQ(m.nid_curvaaero, n.nid_curvaaero);
    EXPECT_EQ(m.nidcentral, n.nidcentral);
    EXPECT_EQ(m.etha, n.etha);
    EXPECT_EQ(m.posicion.x, n.posicion.x);
    EXPECT_EQ(m.posicion.y, n.posicion.y);
    EXPECT_EQ(m.posicion.huso_utm, n.posicion.huso_utm);
    EXPECT_EQ(m.posicion.zona_utm, n.posicion.zona_utm);
    EXPECT_EQ(m.posicion.xe, n.posicion.xe);
    EXPECT_EQ(m.posicion.yn, n.posicion.yn);
    EXPECT_EQ(m.curva.nid, n.curva.nid);
    EXPECT_EQ(m.curva.modelo, n.curva.modelo);
    EXPECT_EQ(m.curva.diametro, n.curva.diametro);
    ASSERT_EQ(m.curva.n_puntos, n.curva.n_puntos);
    for (int k = 1; k <= m.curva.n_puntos; ++k) {
      EXPECT_EQ(m.curva.curva_v.e(k), n.curva.curva_v.e(k));
      EXPECT_EQ(m.curva.curva_P.e(k), n.curva.curva_P.e(k));
    }
  }
}

// A model with values away from the defaults: 3-column station table, blank band letters, values
// the file does not hold (nro, meteo_cota, working state) set.
std::unique_ptr<TParque_ModeloTeorico> ModeloDePrueba() {
  auto p = ParqueReferencia();
  p->nombre = "Prueba ñandú";
  p->n_sectores_dir = 36;
  p->alfa_terreno = 0.123456789012345678;
  p->gamma_atmosfera = 1.0 / 3.0;
  p->fpv3pe = 2.5e-3;
  p->factor_perdidas = 0.0417;
  p->potencia_autorizada_mw = 45.5;
  p->potencia_nominal = 52.25;
  p->meteo_etha = TMatR(72, 3);
  for (int i = 1; i <= 72; ++i)
    for (int j = 1; j <= 3; ++j)
      p->meteo_etha.pon_e(i, j, 0.9 + i * 1e-3 + j * 1e-5);
  p->grilla_rotada_dx = 7.5;
  p->grilla_rotada_dy = 2.0;
  p->grilla_rotada_margen_dx = 800.0;
  p->meteo_utm_zona = ' ';
  p->meteo_cota = 123;
  p->molinos[3].posicion.zona_utm = ' ';
  p->molinos[3].etha = 0.97;
  p->molinos[3].posicion.x = -1234.5678901234567;
  for (auto& m : p->molinos)
    m.nro = 9;
  p->Inicializar();
  return p;
}

TEST(ArchivoPmt, ElParqueDeReferenciaEsElDelArchivo) {
  auto ref = ParqueReferencia();
  if (std::getenv("AURVEND_REGENERAR_FIXTURES")) ref->SaveToArchi(ArchivoParqueReferencia());
  auto leido = TParque_ModeloTeorico::Create_LoadFromArchi(ArchivoParqueReferencia());
  ExpectMismoModeloGuardado(*ref, *leido);
  EXPECT_EQ(leido->n_molinos, 25);
  EXPECT_EQ(leido->curva_parque->potencia_max, 50.0);
  EXPECT_EQ(leido->curva_parque->v_nominal, 13.0);
  // The station is 500 m west of the south-west turbine.
  EXPECT_EQ(leido->molinos[0].posicion.x, 500.0);
  EXPECT_EQ(leido->molinos[0].posicion.y, 0.0);
  EXPECT_EQ(leido->molinos[0].posicion.xe - leido->meteo_utm_xe, 500.0);
  EXPECT_EQ(leido->molinos[24].posicion.x, 2100.0);
  EXPECT_EQ(leido->molinos[24].posicion.y, 2400.0);
}

TEST(ArchivoPmt, IdaYVueltaConservaCadaCampoGuardado) {
  auto p = ModeloDePrueba();
  const std::string archivo = Carpeta() + "/ida_vuelta.pmt";
  p->SaveToArchi(archivo);
  const std::string texto = LeerTodo(archivo);
  EXPECT_EQ(texto.rfind("VERSION=3\r\n", 0), 0u);
  EXPECT_EQ(Lineas(texto).size(), size_t(std::count(texto.begin(), texto.end(), '\r'))); // CR LF only

  auto q = TParque_ModeloTeorico::Create_LoadFromArchi(archivo);
  ExpectMismoModeloGuardado(*p, *q);
  EXPECT_EQ(q->meteo_cota, 0.0);
  for (const auto& m : q->molinos) {
    EXPECT_EQ(m.nro, 0);
    EXPECT_EQ(m.potencia, 0.0);
    EXPECT_EQ(m.posicion.fila, 0);
  }
  EXPECT_EQ(q->coef_perdidas, 0.0417 / 52.25);

  // LF-only line ends read the same.
  const std::string archivoLF = Carpeta() + "/ida_vuelta_lf.pmt";
  EscribirTodo(archivoLF, Unir(Lineas(texto), "\n"));
  ExpectMismoModeloGuardado(*p, *TParque_ModeloTeorico::Create_LoadFromArchi(archivoLF));

  // Writing what was read gives the same bytes.
  const std::string archivo2 = Carpeta() + "/ida_vuelta2.pmt";
  q->SaveToArchi(archivo2);
  EXPECT_EQ(LeerTodo(archivo2), texto);
}

TEST(ArchivoPmt, VersionesAnteriores) {
  auto p = ModeloDePrueba();
  const std::string archivo = Carpeta() + "/v3.pmt";
  p->SaveToArchi(archivo);
  const std::vector<std::string> v3 = Lineas(LeerTodo(archivo));
  // Line 12 is the nominal power, lines 13 … 13 + 2 + 72·4 − 1 the station factor block.
  const size_t inicioMatriz = 12, finMatriz = 12 + 2 + 72 * 4;
  std::vector<std::string> v2(v3.begin(), v3.begin() + inicioMatriz);
  v2.push_back(" 9.5000000000000000E-001");
  v2.insert(v2.end(), v3.begin() + finMatriz, v3.end());
  v2[0] = "VERSION=2";
  std::vector<std::string> v1 = v2;
  v1.erase(v1.begin() + 11);
  v1[0] = "VERSION=1";

  const struct {
    const char* nombre;
    std::vector<std::string> lineas;
    double nominal;
  } casos[] = {{"v2", v2, 52.25}, {"v1", v1, 45.5}};
  for (const auto& c : casos) {
    const std::string a = Carpeta() + "/" + c.nombre + ".pmt";
    EscribirTodo(a, Unir(c.lineas, "\r\n"));
    auto q = TParque_ModeloTeorico::Create_LoadFromArchi(a);
    EXPECT_EQ(q->potencia_autorizada_mw, 45.5) << c.nombre;
    EXPECT_EQ(q->potencia_nominal, c.nominal) << c.nombre;
    ASSERT_EQ(q->meteo_etha.nf(), 72) << c.nombre;
    ASSERT_EQ(q->meteo_etha.nc(), 1) << c.nombre;
    for (int i = 1; i <= 72; ++i)
      EXPECT_EQ(q->meteo_etha.e(i, 1), 1.0);
    EXPECT_EQ(q->molinos.size(), 25u) << c.nombre;
    EXPECT_EQ(q->molinos[3].posicion.x, p->molinos[3].posicion.x) << c.nombre;
    EXPECT_EQ(q->meteo_utm_yn, p->meteo_utm_yn) << c.nombre;
  }
}

TEST(ArchivoPmt, ArchivoMalFormadoNombraArchivoYLinea) {
  const std::string archivo = Carpeta() + "/ref.pmt";
  ParqueReferencia()->SaveToArchi(archivo);
  const std::vector<std::string> buenas = Lineas(LeerTodo(archivo));
  const struct {
    size_t linea; // 1-based
    std::string texto;
    std::string esperado;
  } casos[] = {
      {1, "VERSION=x", "\"x\" is an invalid integer"},
      {7, "medio", "línea 7"},       // alfa_terreno
      {5, "veinticinco", "línea 5"}, // number of turbines
      {166, "1\t2", "línea 166"},    // the first turbine's UTM line
  };
  for (const auto& c : casos) {
    std::vector<std::string> l = buenas;
    l[c.linea - 1] = c.texto;
    const std::string a = Carpeta() + "/malo.pmt";
    EscribirTodo(a, Unir(l, "\r\n"));
    try {
      TParque_ModeloTeorico::Create_LoadFromArchi(a);
      ADD_FAILURE() << "sin error en la línea " << c.linea;
    } catch (const Exception& e) {
      const std::string m = e.what();
      EXPECT_NE(m.find(a), std::string::npos) << m;
      EXPECT_NE(m.find(c.esperado), std::string::npos) << m;
      EXPECT_NE(m.find("línea " + std::to_string(c.linea)), std::string::npos) << m;
    }
  }
  // A truncated file fails too.
  std::vector<std::string> corto(buenas.begin(), buenas.begin() + 400);
  EscribirTodo(Carpeta() + "/corto.pmt", Unir(corto, "\r\n"));
  EXPECT_THROW(TParque_ModeloTeorico::Create_LoadFromArchi(Carpeta() + "/corto.pmt"), Exception);
  EXPECT_THROW(TParque_ModeloTeorico::Create_LoadFromArchi(Carpeta() + "/no_existe.pmt"), Exception);
}

TEST(ArchivoPmt, LineaDePosicionConOtrosSeparadores) {
  const struct {
    std::string linea;
    int huso;
    char zona;
  } casos[] = {{"21\tH\t560500.5\t6180000.25", 21, 'H'}, {"21 H 560500.5 6180000.25", 21, 'H'},
               {"21;H;560500.5;6180000.25", 21, 'H'},    {"21, H, 560500.5, 6180000.25", 21, 'H'},
               {"21\t \t560500.5\t6180000.25", 21, ' '}, // blank band letter as written
               {"21\t\t560500.5\t6180000.25", 21, ' '}};
  for (const auto& c : casos) {
    TLectorTexto f = TLectorTexto::DesdeTexto("1.5\t-2.5\n" + c.linea + "\n", "pos");
    const TPosicion p = TPosicion::Create_LoadFromText(f);
    EXPECT_EQ(p.x, 1.5) << c.linea;
    EXPECT_EQ(p.y, -2.5) << c.linea;
    EXPECT_EQ(p.huso_utm, c.huso) << c.linea;
    EXPECT_EQ(p.zona_utm, c.zona) << c.linea;
    EXPECT_EQ(p.xe, 560500.5) << c.linea;
    EXPECT_EQ(p.yn, 6180000.25) << c.linea;
  }
}

TEST(Inicializar, PotenciaAutorizadaMinimaYParqueSinMolinos) {
  TParque_ModeloTeorico p;
  p.potencia_autorizada_mw = 0;
  p.potencia_nominal = 10;
  p.Inicializar();
  EXPECT_EQ(p.potencia_autorizada_mw, 1e-8);
  EXPECT_FALSE(p.curva_parque);
  const std::string a = Carpeta() + "/vacio.pmt";
  p.SaveToArchi(a);
  auto q = TParque_ModeloTeorico::Create_LoadFromArchi(a);
  EXPECT_EQ(q->n_molinos, 0);
  EXPECT_FALSE(q->curva_parque);
  q->Preparar(false, 90, 0.0005, 1.225);
  EXPECT_EQ(q->ResolverMeteo(1.225, 0.0005, 10), 0.0);
}

TEST(Inicializar, CurvaDeUnSoloMolinoEsLaDelMolino) {
  auto p = ParqueReferencia();
  p->molinos.erase(p->molinos.begin() + 1, p->molinos.end());
  p->Inicializar();
  const TCurvaAerogen &c = *p->curva_parque, &m = p->molinos[0].curva;
  for (int i = 1; i <= m.n_puntos; ++i)
    EXPECT_EQ(c.curva_P.e(i), m.curva_P.e(i));
  EXPECT_EQ(c.alfa, m.alfa);
  EXPECT_EQ(c.vm, m.vm);
}

TEST(ParametrosCalibrables, UnoPorColumnaDeMeteoEthaYFactorDePerdidas) {
  auto p = ModeloDePrueba();
  TDAOfNRealPtr r = p->ParametrosCalibrables();
  ASSERT_EQ(r.size(), 4u);
  for (int j = 1; j <= 3; ++j) {
    *r[size_t(j - 1)] = 2.0 + j;
    EXPECT_EQ(p->meteo_etha.e(1, j), 2.0 + j);
    EXPECT_EQ(p->meteo_etha.e(2, j), 0.9 + 2e-3 + j * 1e-5);
  }
  *r[3] = 0.5;
  EXPECT_EQ(p->factor_perdidas, 0.5);
  EXPECT_EQ(TParque_ModeloTeorico().ParametrosCalibrables().size(), 2u);
}

TEST(Copia, LaCopiaEsIndependienteYCalculaIgual) {
  auto p = ParqueReferencia();
  p->Preparar(false, 45, 0.0004, 1.225);
  p->ResolverMeteo(1.225, 0.0004, 50);
  auto q = p->Create_Copia();
  EXPECT_EQ(q->DpEnPunto(1000, 1000), p->DpEnPunto(1000, 1000));
  q->molinos[0].curva.curva_P.pon_e(5, 0);
  q->factor_perdidas = 0;
  q->Preparar(false, 200, 0.0006, 1.225);
  q->ResolverMeteo(1.225, 0.0006, 50);
  EXPECT_EQ(p->molinos[0].curva.curva_P.e(5), 0.55);
  EXPECT_EQ(p->factor_perdidas, 0.035);
  auto r = ParqueReferencia();
  r->Preparar(false, 45, 0.0004, 1.225);
  const double Pr = r->ResolverMeteo(1.225, 0.0004, 50);
  EXPECT_EQ(p->Create_Copia()->ResolverMeteo(1.225, 0.0004, 50), Pr);
}

} // namespace
