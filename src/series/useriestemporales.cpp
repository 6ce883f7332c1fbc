// Equally spaced measured series and their data-series (.sas) file.
#include "series/useriestemporales.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

#include "num/uauxiliares.h"

namespace {

// Any failure after the file was opened ends the read with the count of lines consumed.
struct TFalloLectura {
  int linea;
};

bool EsSeparadorCabecera(char c) {
  return c == ' ' || c == '\t' || c == ',' || c == ';' || c == '\r' || c == '\n';
}

bool EsBlancoDatos(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// The tokens of a header line, in order.
std::vector<std::string> Tokens(const std::string& linea) {
  std::vector<std::string> t;
  size_t i = 0;
  while (i < linea.size()) {
    while (i < linea.size() && EsSeparadorCabecera(linea[i]))
      ++i;
    size_t j = i;
    while (j < linea.size() && !EsSeparadorCabecera(linea[j]))
      ++j;
    if (j > i) t.push_back(linea.substr(i, j - i));
    i = j;
  }
  return t;
}

// A plain decimal integer (optional sign, digits only, in range).
bool EnteroPlano(const std::string& s, int& valor) {
  const char* p = s.data();
  const char* fin = p + s.size();
  const char* cifras = (p != fin && (*p == '+' || *p == '-')) ? p + 1 : p;
  if (cifras == fin || *cifras < '0' || *cifras > '9') return false;
  if (*p == '+') ++p;
  auto r = std::from_chars(p, fin, valor);
  return r.ec == std::errc() && r.ptr == fin;
}

// A real number of the data block: optional sign, digits with an optional point and exponent.
bool RealDeDatos(const char* p, const char* fin, double& valor) {
  bool mas = p != fin && *p == '+';
  if (mas) ++p;
  const char* q = (p != fin && *p == '-' && !mas) ? p + 1 : p;
  if (q == fin || !((*q >= '0' && *q <= '9') || *q == '.')) return false;
  auto r = std::from_chars(p, fin, valor, std::chars_format::general);
  return r.ec == std::errc() && r.ptr == fin;
}

bool FechaValida(int anio, int mes, int dia, int hora, int minuto, int segundo) {
  static const int diasMes[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (anio < 1 || anio > 9999 || mes < 1 || mes > 12) return false;
  bool bisiesto = (anio % 4 == 0 && anio % 100 != 0) || anio % 400 == 0;
  int dm = diasMes[mes - 1] + ((mes == 2 && bisiesto) ? 1 : 0);
  return dia >= 1 && dia <= dm && hora >= 0 && hora <= 23 && minuto >= 0 && minuto <= 59 && segundo >= 0 &&
         segundo <= 59;
}

// Reader over the whole text of the file, counting the lines consumed.
class TLectorSeries {
public:
  explicit TLectorSeries(std::string texto) : texto_(std::move(texto)) {}

  int Consumidas() const { return consumidas_; }
  [[noreturn]] void Fallar() const { throw TFalloLectura{consumidas_}; }

  // One whole line (without CR LF / LF); counts as consumed. At the end of the file the line is empty.
  std::string LeerLinea() {
    ++consumidas_;
    size_t fin = texto_.find('\n', pos_);
    size_t hasta = fin == std::string::npos ? texto_.size() : fin;
    std::string linea = texto_.substr(pos_, hasta - pos_);
    pos_ = fin == std::string::npos ? texto_.size() : fin + 1;
    if (!linea.empty() && linea.back() == '\r') linea.pop_back();
    return linea;
  }

  // The header tokens of the next line; fails when fewer than `minimo` are there.
  std::vector<std::string> LeerTokens(size_t minimo) {
    std::vector<std::string> t = Tokens(LeerLinea());
    if (t.size() < minimo) Fallar();
    return t;
  }

  int Entero(const std::string& token) const {
    int v = 0;
    if (!EnteroPlano(token, v)) Fallar();
    return v;
  }

  double Real(const std::string& token) const {
    try {
      return StrToReal(token);
    } catch (const std::exception&) {
      Fallar();
    }
  }

  // The next number of the data block, skipping blanks, tabs and line ends.
  double LeerNumero() {
    const size_t n = texto_.size();
    while (pos_ < n && EsBlancoDatos(texto_[pos_]))
      ++pos_;
    size_t ini = pos_;
    while (pos_ < n && !EsBlancoDatos(texto_[pos_]))
      ++pos_;
    double v = 0;
    if (ini == pos_ || !RealDeDatos(texto_.data() + ini, texto_.data() + pos_, v)) Fallar();
    return v;
  }

  // Discards the rest of the physical line and counts the record as one line consumed.
  void TerminarRegistro() {
    size_t fin = texto_.find('\n', pos_);
    pos_ = fin == std::string::npos ? texto_.size() : fin + 1;
    ++consumidas_;
  }

  size_t Restantes() const { return texto_.size() - pos_; }

private:
  std::string texto_;
  size_t pos_ = 0;
  int consumidas_ = 0;
};

} // namespace

TSeriesDeDatos::TSeriesDeDatos(int nSeries_, int nPuntos_, int anio_, int mes_, int dia_, int hora_,
                               int minuto_, int segundo_, double dtEntreMuestras_horas_)
    : version(1), nSeries(nSeries_), anio(anio_), mes(mes_), dia(dia_), hora(hora_), minuto(minuto_),
      segundo(segundo_), dtEntreMuestras_horas(dtEntreMuestras_horas_), nPuntos(nPuntos_) {
  if (nSeries < 0 || nPuntos < 0) throw Exception("TSeriesDeDatos: número de series o de muestras negativo");
  if (!FechaValida(anio, mes, dia, hora, minuto, segundo))
    throw Exception("TSeriesDeDatos: fecha de la primera muestra no válida");
  for (int i = 1; i <= nSeries; ++i) {
    std::string nombre(1, 's');
    nombre += std::to_string(i);
    nombres.push_back(nombre);
  }
  tipos.assign(nSeries, SALIDA);
  series.reserve(nSeries);
  for (int i = 0; i < nSeries; ++i)
    series.emplace_back(nPuntos);
  CalcularTiempos();
}

void TSeriesDeDatos::CalcularTiempos() {
  dtPrimeraMuestra = CodificarFecha(anio, mes, dia) + CodificarHora(hora, minuto, segundo);
  dtEntreMuestras_dias = dtEntreMuestras_horas / 24;
}

std::unique_ptr<TSeriesDeDatos> TSeriesDeDatos::Create_LeerDeArchivo(const std::string& archivo) {
  std::unique_ptr<TSeriesDeDatos> s(new TSeriesDeDatos());
  s->archivo = archivo;

  std::string texto;
  {
    std::error_code ec;
    std::ifstream f;
    if (!std::filesystem::is_directory(archivo, ec)) f.open(archivo, std::ios::binary);
    if (!f.is_open()) throw Exception("No puedo abrir el archivo: " + archivo);
    texto.assign(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
  }

  TEnFormatosDB formatosArchivo;
  TLectorSeries r(std::move(texto));
  try {
    std::string primera = r.LeerLinea();
    std::vector<std::string> t;
    if (primera.find("VERSION_FORMATO_SERIES") != std::string::npos) {
      t = Tokens(primera);
      if (t.size() < 2) r.Fallar();
      s->version = r.Entero(t[1]);
      t = r.LeerTokens(1);
    } else {
      s->version = 0;
      t = Tokens(primera);
      if (t.empty()) r.Fallar();
    }
    s->nSeries = r.Entero(t[0]);
    if (s->nSeries < 0) r.Fallar();

    t = r.LeerTokens(6);
    s->anio = r.Entero(t[0]);
    s->mes = r.Entero(t[1]);
    s->dia = r.Entero(t[2]);
    s->hora = r.Entero(t[3]);
    s->minuto = r.Entero(t[4]);
    s->segundo = r.Entero(t[5]);
    if (!FechaValida(s->anio, s->mes, s->dia, s->hora, s->minuto, s->segundo)) r.Fallar();

    s->dtEntreMuestras_horas = r.Real(r.LeerTokens(1)[0]);
    s->nPuntos = r.Entero(r.LeerTokens(1)[0]);
    if (s->nPuntos < 0) r.Fallar();
    s->muestrasPorCiclo = r.Real(r.LeerTokens(1)[0]);

    s->tipos.assign(s->nSeries, SALIDA);
    if (s->version >= 1) {
      std::string linea = r.LeerLinea();
      if (linea.size() < static_cast<size_t>(s->nSeries)) r.Fallar();
      for (int i = 0; i < s->nSeries; ++i)
        s->tipos[i] = linea[i] == 'x' ? SALIDA : ENTRADA;
    }

    // One token per series; a names line with fewer tokens leaves the missing names empty.
    t = Tokens(r.LeerLinea());
    t.resize(static_cast<size_t>(s->nSeries));
    s->nombres = std::move(t);

    // A record takes at least 2 (nSeries + 1) characters with its separators, so a file too short for
    // nPuntos records fails inside the loop below; size the vectors for what the file can hold.
    long long porRegistro = 2LL * (s->nSeries + 1);
    long long caben = static_cast<long long>(r.Restantes() + 1) / porRegistro + 1;
    int tamano = static_cast<int>(std::min<long long>(s->nPuntos, caben));
    s->series.reserve(s->nSeries);
    for (int i = 0; i < s->nSeries; ++i)
      s->series.emplace_back(tamano);

    for (int k = 1; k <= s->nPuntos; ++k) {
      r.LeerNumero();
      for (int i = 0; i < s->nSeries; ++i)
        s->series[i].pon_e(k, r.LeerNumero());
      r.TerminarRegistro();
    }
  } catch (const TFalloLectura& e) {
    throw Exception("Error leyendo línea: " + std::to_string(e.linea));
  }
  s->CalcularTiempos();
  return s;
}

std::string FechaCompacta(double dt) {
  // Days and milliseconds since 30 December 1899, the time rounded to the nearest millisecond.
  long long ms = std::llround(dt * 86400000.0);
  long long dias = ms >= 0 ? ms / 86400000 : -((-ms + 86400000 - 1) / 86400000);
  long long msDia = ms - dias * 86400000;
  int hora = static_cast<int>(msDia / 3600000);
  int minuto = static_cast<int>(msDia / 60000 % 60);
  // Civil date of a day count (days from 1970-01-01 = dias - 25569).
  long long z = dias - 25569 + 719468;
  long long era = (z >= 0 ? z : z - 146096) / 146097;
  long long doe = z - era * 146097;
  long long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  long long y = yoe + era * 400;
  long long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  long long mp = (5 * doy + 2) / 153;
  int dia = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  int mes = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  if (mes <= 2) ++y;

  char buf[32];
  if (hora + minuto != 0)
    std::snprintf(buf, sizeof buf, "%lld%02d%02d%02d%02d", y, mes, dia, hora, minuto);
  else
    std::snprintf(buf, sizeof buf, "%lld%02d%02d", y, mes, dia);
  return buf;
}
