// The farm model's data, its .pmt model file and the normalisation run after every load.
#include "farm/uparques_modeloteorico.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "num/uauxiliares.h"
#include "num/utexto_archivos.h"

namespace {

// The first blank-delimited word of a line (numbers are read from the start of their line and the
// rest of the line is skipped).
std::string PrimeraPalabra(const std::string& linea) {
  size_t i = 0;
  while (i < linea.size() && (linea[i] == ' ' || linea[i] == '\t'))
    ++i;
  size_t j = i;
  while (j < linea.size() && linea[j] != ' ' && linea[j] != '\t')
    ++j;
  return linea.substr(i, j - i);
}

int LeerEnteroDeLinea(TLectorTexto& f) {
  const std::string linea = f.LeerLinea();
  const std::string p = PrimeraPalabra(linea);
  try {
    return StrToInt(p);
  } catch (const Exception&) {
    f.Error("se esperaba un número entero y se encontró \"" + linea + "\"");
  }
}

double LeerRealDeLinea(TLectorTexto& f) {
  const std::string linea = f.LeerLinea();
  const std::string p = PrimeraPalabra(linea);
  try {
    return TextoANumero(p);
  } catch (const Exception&) {
    f.Error("se esperaba un número real y se encontró \"" + linea + "\"");
  }
}

// Tokens separated by TAB, blank, comma, semicolon, CR or LF; empty tokens are skipped.
std::vector<std::string> Tokens(std::string s) {
  std::vector<std::string> t;
  for (;;) {
    std::string tok = SiguienteToken(s);
    if (tok.empty()) break;
    t.push_back(std::move(tok));
  }
  return t;
}

char CaracterEscribible(char c) {
  return (c == '\0' || c == '\r' || c == '\n') ? ' ' : c;
}

} // namespace

// --- TGrillaRotada ---

TGrillaRotada::TGrillaRotada(const TGrillaRotada& o) : nf_(o.nf_), nc_(o.nc_) {
  const size_t n = size_t(nf_) * size_t(nc_);
  if (n > 0) {
    datos_ = std::make_unique_for_overwrite<double[]>(n);
    capacidad_ = n;
    std::memcpy(datos_.get(), o.datos_.get(), n * sizeof(double));
  }
}

TGrillaRotada& TGrillaRotada::operator=(const TGrillaRotada& o) {
  if (this != &o) {
    TGrillaRotada c(o);
    *this = std::move(c);
  }
  return *this;
}

void TGrillaRotada::Redimensionar(int nf, int nc) {
  const size_t n = size_t(std::max(nf, 0)) * size_t(std::max(nc, 0));
  if (n > capacidad_) {
    datos_.reset();
    capacidad_ = 0;
    datos_ = std::make_unique_for_overwrite<double[]>(n);
    capacidad_ = n;
  }
  nf_ = std::max(nf, 0);
  nc_ = std::max(nc, 0);
}

TMatR TGrillaRotada::ComoMatriz() const {
  TMatR m(nf_, nc_);
  for (int i = 1; i <= nf_; ++i)
    for (int j = 1; j <= nc_; ++j)
      m.pon_e(i, j, e(i, j));
  return m;
}

// --- TPosicion ---

TPosicion::TPosicion(double x_, double y_) : x(x_), y(y_) {}

TPosicion TPosicion::Create_UTM(int huso_utm, char zona_utm, double xe, double yn) {
  TPosicion p;
  p.huso_utm = huso_utm;
  p.zona_utm = zona_utm;
  p.xe = xe;
  p.yn = yn;
  return p;
}

TPosicion TPosicion::Create_LoadFromText(TLectorTexto& f) {
  TPosicion p;
  {
    const std::string linea = f.LeerLinea();
    const std::vector<std::string> t = Tokens(linea);
    try {
      if (t.size() < 2) throw Exception("");
      p.x = TextoANumero(t[0]);
      p.y = TextoANumero(t[1]);
    } catch (const Exception&) {
      f.Error("se esperaban las coordenadas x, y de un molino y se encontró \"" + linea + "\"");
    }
  }
  const std::string linea = f.LeerLinea();
  const std::vector<std::string> t = Tokens(linea);
  // A blank band letter leaves only three tokens: huso, xe, yn.
  if (t.size() < 3)
    f.Error("se esperaba la posición UTM de un molino (huso, zona, xe, yn) y se encontró \"" + linea + "\"");
  const bool sinZona = t.size() == 3;
  try {
    p.huso_utm = StrToInt(t[0]);
    p.zona_utm = sinZona ? ' ' : t[1][0];
    p.xe = StrToReal(t[sinZona ? 1 : 2]);
    p.yn = StrToReal(t[sinZona ? 2 : 3]);
  } catch (const Exception& e) {
    f.Error(std::string("posición UTM de un molino no válida: ") + e.what());
  }
  return p;
}

void TPosicion::SaveToText(TEscritorTexto& f) const {
  f.EscribirLinea(RealATexto(x) + "\t" + RealATexto(y));
  f.EscribirLinea(std::to_string(huso_utm) + "\t" + std::string(1, CaracterEscribible(zona_utm)) + "\t" +
                  RealATexto(xe) + "\t" + RealATexto(yn));
}

// --- TMolino ---

TMolino::TMolino(int nid_, int nid_curvaaero_, int nidcentral_, TCurvaAerogen curva_, TPosicion posicion_,
                 double etha_)
    : nid(nid_), nid_curvaaero(nid_curvaaero_), nidcentral(nidcentral_), curva(std::move(curva_)),
      etha(etha_), posicion(posicion_) {}

TMolino TMolino::Create_LoadFromText(TLectorTexto& f) {
  const int nid = LeerEnteroDeLinea(f);
  const int nid_curvaaero = LeerEnteroDeLinea(f);
  const int nidcentral = LeerEnteroDeLinea(f);
  TPosicion pos = TPosicion::Create_LoadFromText(f);
  TCurvaAerogen curva = TCurvaAerogen::Create_LoadFromText(f);
  const double etha = LeerRealDeLinea(f);
  return TMolino(nid, nid_curvaaero, nidcentral, std::move(curva), pos, etha);
}

void TMolino::SaveToText(TEscritorTexto& f) const {
  f.EscribirEntero(nid);
  f.EscribirEntero(nid_curvaaero);
  f.EscribirEntero(nidcentral);
  posicion.SaveToText(f);
  curva.SaveToText(f);
  f.EscribirReal(etha);
}

// --- TParque_ModeloTeorico: construction, file, normalisation ---

TMatR MeteoEthaUnitaria() {
  TMatR m(72, 1);
  m.Unos();
  return m;
}

TParque_ModeloTeorico::TParque_ModeloTeorico() : meteo_etha(MeteoEthaUnitaria()) {}

std::unique_ptr<TParque_ModeloTeorico> TParque_ModeloTeorico::Create_Copia() const {
  return std::make_unique<TParque_ModeloTeorico>(*this);
}

std::unique_ptr<TParque_ModeloTeorico>
TParque_ModeloTeorico::Create_LoadFromArchi(const std::string& archivo) {
  TLectorTexto f(archivo);
  return Create_LoadFromText(f);
}

std::unique_ptr<TParque_ModeloTeorico> TParque_ModeloTeorico::Create_LoadFromText(TLectorTexto& f) {
  TEnFormatosDB formatos;
  auto m = std::make_unique<TParque_ModeloTeorico>();
  const std::string cabecera = f.LeerLinea();
  int version = 0;
  try {
    version = StrToInt(cabecera.size() > 8 ? cabecera.substr(8) : std::string());
  } catch (const Exception& e) {
    f.Error(e.what());
  }
  m->nid_central = LeerEnteroDeLinea(f);
  m->nid_modelo = LeerEnteroDeLinea(f);
  m->nombre = f.LeerLinea();
  const int n = LeerEnteroDeLinea(f);
  if (n < 0) f.Error("número de molinos negativo: " + std::to_string(n));
  m->n_sectores_dir = LeerEnteroDeLinea(f);
  m->alfa_terreno = LeerRealDeLinea(f);
  m->gamma_atmosfera = LeerRealDeLinea(f);
  m->fpv3pe = LeerRealDeLinea(f);
  m->factor_perdidas = LeerRealDeLinea(f);
  m->potencia_autorizada_mw = LeerRealDeLinea(f);
  m->potencia_nominal = version < 2 ? m->potencia_autorizada_mw : LeerRealDeLinea(f);
  if (version >= 3) {
    m->meteo_etha = TMatR::Create_LoadFromText(f);
  } else {
    LeerRealDeLinea(f); // single station factor of the old formats, not used
    m->meteo_etha = MeteoEthaUnitaria();
  }
  m->grilla_rotada_dx = LeerRealDeLinea(f);
  m->grilla_rotada_dy = LeerRealDeLinea(f);
  m->grilla_rotada_margen_dx = LeerRealDeLinea(f);
  m->molinos.reserve(size_t(std::min(n, 100000)));
  for (int i = 0; i < n; ++i)
    m->molinos.push_back(TMolino::Create_LoadFromText(f));
  m->n_molinos = n;
  const std::string zona = f.LeerLinea();
  m->meteo_utm_zona = zona.empty() ? ' ' : zona[0];
  m->meteo_utm_huso = LeerEnteroDeLinea(f);
  m->meteo_utm_xe = LeerRealDeLinea(f);
  m->meteo_utm_yn = LeerRealDeLinea(f);
  m->Inicializar();
  return m;
}

void TParque_ModeloTeorico::SaveToArchi(const std::string& archivo) const {
  TEscritorTexto f(archivo);
  SaveToText(f);
  f.Cerrar();
}

void TParque_ModeloTeorico::SaveToText(TEscritorTexto& f) const {
  TEnFormatosDB formatos;
  f.EscribirLinea("VERSION=3");
  f.EscribirEntero(nid_central);
  f.EscribirEntero(nid_modelo);
  // A line break inside the name would shift every later line of the file.
  std::string n = nombre;
  std::replace(n.begin(), n.end(), '\r', ' ');
  std::replace(n.begin(), n.end(), '\n', ' ');
  f.EscribirLinea(n);
  f.EscribirEntero(int(molinos.size()));
  f.EscribirEntero(n_sectores_dir);
  f.EscribirReal(alfa_terreno);
  f.EscribirReal(gamma_atmosfera);
  f.EscribirReal(fpv3pe);
  f.EscribirReal(factor_perdidas);
  f.EscribirReal(potencia_autorizada_mw);
  f.EscribirReal(potencia_nominal);
  meteo_etha.SaveToText(f);
  f.EscribirReal(grilla_rotada_dx);
  f.EscribirReal(grilla_rotada_dy);
  f.EscribirReal(grilla_rotada_margen_dx);
  for (const TMolino& m : molinos)
    m.SaveToText(f);
  f.EscribirLinea(std::string(1, CaracterEscribible(meteo_utm_zona)));
  f.EscribirEntero(meteo_utm_huso);
  f.EscribirReal(meteo_utm_xe);
  f.EscribirReal(meteo_utm_yn);
}

void TParque_ModeloTeorico::Inicializar() {
  n_molinos = int(molinos.size());
  if (!(potencia_autorizada_mw > 1e-8)) potencia_autorizada_mw = 1e-8;
  coef_perdidas = factor_perdidas / potencia_nominal;
  if (molinos.empty()) {
    curva_parque = nullptr;
    return;
  }
  auto cp = std::make_unique<TCurvaAerogen>(TCurvaAerogen::Create_Copia(molinos[0].curva));
  if (molinos.size() > 1) {
    std::vector<const TCurvaAerogen*> otras;
    otras.reserve(molinos.size() - 1);
    for (size_t i = 1; i < molinos.size(); ++i)
      otras.push_back(&molinos[i].curva);
    cp->SumarCurvas(otras);
  }
  curva_parque = std::move(cp);
}

TDAOfNRealPtr TParque_ModeloTeorico::ParametrosCalibrables() {
  TDAOfNRealPtr p;
  if (meteo_etha.nf() >= 1)
    for (int j = 1; j <= meteo_etha.nc(); ++j)
      p.push_back(meteo_etha.fila(1).datos() + (j - 1));
  p.push_back(&factor_perdidas);
  return p;
}
