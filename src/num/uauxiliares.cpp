// Number and date settings, number and date text forms, and the tokenising helpers.
#include "num/uauxiliares.h"

#include <langinfo.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <climits>
#include <clocale>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <mutex>

#include "num/uevaluador.h"

namespace {

// The settings are per thread: a worker reading a file inside the database style never changes the
// style another thread is formatting with. A new thread starts from the settings last read or set
// and from the user's saved settings, with the counter at 0.
std::mutex mutexGlobales;
TFormatosNumFecha formatosIniciales;
TFormatosNumFecha formatosUsuarioGuardados;

struct TEstadoFormatos {
  TFormatosNumFecha actuales;
  TFormatosNumFecha usuario;
  int nivel = 0;
  TEstadoFormatos() {
    std::lock_guard<std::mutex> l(mutexGlobales);
    actuales = formatosIniciales;
    usuario = formatosUsuarioGuardados;
  }
};

TEstadoFormatos& Estado() {
  thread_local TEstadoFormatos estado;
  return estado;
}

bool EsLocaleC(const char* nombre) {
  if (nombre == nullptr) return true;
  std::string n(nombre);
  return n == "C" || n == "POSIX" || n.rfind("C.", 0) == 0;
}

std::string Rellenar(const std::string& s, int ancho) {
  if (ancho > 0 && static_cast<int>(s.size()) < ancho) return std::string(ancho - s.size(), ' ') + s;
  return s;
}

// Decimal digits and exponent of x rounded to `digitos` significant digits (correctly rounded, and
// independent of the C library's locale).
void Descomponer(double x, int digitos, bool& negativo, std::string& cifras, int& exponente) {
  char buf[64];
  auto r = std::to_chars(buf, buf + sizeof buf, x, std::chars_format::scientific, digitos - 1);
  const char* p = buf;
  negativo = (*p == '-');
  if (negativo) ++p;
  cifras.clear();
  for (; *p != 'e'; ++p)
    if (*p != '.') cifras += *p;
  ++p;
  const bool expNegativo = (*p == '-');
  if (*p == '+' || *p == '-') ++p;
  int e = 0;
  std::from_chars(p, r.ptr, e);
  exponente = expNegativo ? -e : e;
}

std::string TextoNoFinito(double x) {
  if (std::isnan(x)) return "NAN";
  return x < 0 ? "-INF" : "INF";
}

// Replaces "." by the current decimal separator.
std::string ConSeparadorDecimal(std::string s) {
  const std::string& sep = Estado().actuales.separadorDecimal;
  if (sep == ".") return s;
  size_t p = s.find('.');
  if (p != std::string::npos) s.replace(p, 1, sep);
  return s;
}

const char* const kMesesCortos[12] = {"ene", "feb", "mar", "abr", "may", "jun",
                                      "jul", "ago", "sep", "oct", "nov", "dic"};
const char* const kMesesLargos[12] = {"enero", "febrero", "marzo",      "abril",   "mayo",      "junio",
                                      "julio", "agosto",  "septiembre", "octubre", "noviembre", "diciembre"};
const char* const kDiasCortos[7] = {"dom", "lun", "mar", "mié", "jue", "vie", "sáb"};
const char* const kDiasLargos[7] = {"domingo", "lunes", "martes", "miércoles", "jueves", "viernes", "sábado"};

// Days from 1970-01-01 to a civil date (proleptic Gregorian calendar).
long long DiasDesdeCivil(long long y, unsigned m, unsigned d) {
  y -= m <= 2;
  const long long era = (y >= 0 ? y : y - 399) / 400;
  const unsigned yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<long long>(doe) - 719468;
}

void CivilDesdeDias(long long z, int& anio, int& mes, int& dia) {
  z += 719468;
  const long long era = (z >= 0 ? z : z - 146096) / 146097;
  const unsigned doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const long long y = static_cast<long long>(yoe) + era * 400;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  dia = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  mes = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  anio = static_cast<int>(y + (mes <= 2));
}

constexpr long long kDias1899a1970 = 25569; // days from 1899-12-30 to 1970-01-01
constexpr long long kMsPorDia = 86400000;

bool EsBisiesto(int a) {
  return (a % 4 == 0 && a % 100 != 0) || a % 400 == 0;
}
int DiasDelMes(int a, int m) {
  static const int d[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return m == 2 && EsBisiesto(a) ? 29 : d[m - 1];
}

// Splits a date-time into whole days and milliseconds of the day. The day is the integer part toward
// zero and the time the absolute fraction (so -1.25 is 29 December 1899, 06:00); a fraction that rounds
// to a whole day moves on to the next day.
void PartirFechaHora(double t, long long& dias, long long& ms) {
  double entero = std::trunc(t);
  dias = static_cast<long long>(entero);
  ms = std::llround(std::fabs(t - entero) * static_cast<double>(kMsPorDia));
  if (ms >= kMsPorDia) {
    ms -= kMsPorDia;
    dias += (t < 0 ? -1 : 1);
  }
}

std::string DosCifras(int v) {
  char b[16];
  std::snprintf(b, sizeof b, "%02d", v);
  return b;
}

bool EsSeparadorDe(char c, const std::string& separadores) {
  return separadores.find(c) != std::string::npos;
}

} // namespace

// --- Settings ---

const TFormatosNumFecha& FormatosActuales() {
  return Estado().actuales;
}
void FijarFormatos(const TFormatosNumFecha& f) {
  Estado().actuales = f;
  std::lock_guard<std::mutex> l(mutexGlobales);
  formatosIniciales = f;
}

std::string TraducirFormatoC(const std::string& formatoC) {
  std::string r;
  for (size_t i = 0; i < formatoC.size(); ++i) {
    char c = formatoC[i];
    if (c != '%' || i + 1 >= formatoC.size()) {
      r += c;
      continue;
    }
    char e = formatoC[++i];
    if ((e == 'E' || e == 'O') && i + 1 < formatoC.size()) e = formatoC[++i]; // alternative forms
    switch (e) {
    case 'd':
      r += "dd";
      break;
    case 'e':
      r += "d";
      break;
    case 'm':
      r += "mm";
      break;
    case 'Y':
      r += "yyyy";
      break;
    case 'y':
      r += "yy";
      break;
    case 'b':
    case 'h':
      r += "mmm";
      break;
    case 'B':
      r += "mmmm";
      break;
    case 'a':
      r += "ddd";
      break;
    case 'A':
      r += "dddd";
      break;
    case 'D':
      r += "mm/dd/yy";
      break;
    case 'F':
      r += "yyyy-mm-dd";
      break;
    case 'H':
    case 'I':
    case 'k':
    case 'l':
      r += "hh";
      break;
    case 'M':
      r += "nn";
      break;
    case 'S':
      r += "ss";
      break;
    case 'T':
      r += "hh:nn:ss";
      break;
    case 'R':
      r += "hh:nn";
      break;
    case 'r':
      r += "hh:nn:ss";
      break;
    case 'p':
    case 'P':
      break; // 24-hour times: the AM/PM marker is not used
    case '%':
      r += '%';
      break;
    default:
      break;
    }
  }
  return Recortar(r);
}

void LeerFormatosDelSistema() {
  TFormatosNumFecha f; // defaults: the C/POSIX settings
  f.separadorMiles = ",";
  if (std::setlocale(LC_ALL, "") != nullptr) {
    if (!EsLocaleC(std::setlocale(LC_NUMERIC, nullptr))) {
      std::string radix = nl_langinfo(RADIXCHAR);
      std::string miles = nl_langinfo(THOUSEP);
      if (!radix.empty()) f.separadorDecimal = radix;
      f.separadorMiles = miles.empty() ? " " : miles;
    }
    if (!EsLocaleC(std::setlocale(LC_TIME, nullptr))) {
      std::string corta = TraducirFormatoC(nl_langinfo(D_FMT));
      std::string hora = TraducirFormatoC(nl_langinfo(T_FMT));
      if (!corta.empty()) {
        f.formatoFechaCorta = corta;
        f.separadorFecha = "/";
        for (char c : corta)
          if (!std::isalpha(static_cast<unsigned char>(c))) {
            f.separadorFecha = std::string(1, c);
            break;
          }
      }
      if (!hora.empty()) f.formatoHoraLarga = hora;
      f.formatoFechaLarga = f.formatoFechaCorta + " " + f.formatoHoraLarga;
    }
  }
  // The program parses and prints numbers itself; the C library's numeric conventions stay "C".
  std::setlocale(LC_NUMERIC, "C");
  FijarFormatos(f);
}

void GuardarFormatosUsuario() {
  Estado().usuario = Estado().actuales;
  const std::string& corta = Estado().usuario.formatoFechaCorta;
  if (corta.find('/') != std::string::npos)
    Estado().usuario.separadorFecha = "/";
  else if (corta.find('-') != std::string::npos)
    Estado().usuario.separadorFecha = "-";
  else
    Estado().usuario.separadorFecha = Estado().actuales.separadorFecha;
  Estado().nivel = 0;
  std::lock_guard<std::mutex> l(mutexGlobales);
  formatosUsuarioGuardados = Estado().usuario;
}

void FormatosDB_Entrar() {
  ++Estado().nivel;
  Estado().actuales.separadorMiles = " ";
  Estado().actuales.separadorDecimal = ".";
  Estado().actuales.separadorFecha = "-";
  Estado().actuales.formatoFechaCorta = "yyyy-MM-dd";
  Estado().actuales.formatoFechaLarga = "yyyy-MM-dd HH:mm:ss";
}

void FormatosDB_Salir() {
  --Estado().nivel;
  if (Estado().nivel == 0) {
    Estado().actuales.separadorMiles = Estado().usuario.separadorMiles;
    Estado().actuales.separadorDecimal = Estado().usuario.separadorDecimal;
    Estado().actuales.separadorFecha = Estado().usuario.separadorFecha;
    Estado().actuales.formatoFechaCorta = Estado().usuario.formatoFechaCorta;
    Estado().actuales.formatoFechaLarga = Estado().usuario.formatoFechaLarga;
  }
}

int NivelFormatosDB() {
  return Estado().nivel;
}

// --- Reals to text ---

std::string RealATexto(double x) {
  if (!std::isfinite(x)) {
    std::string s = std::isnan(x) ? "Nan" : (x < 0 ? "-Inf" : "+Inf");
    return Rellenar(s, 24);
  }
  bool negativo;
  std::string cifras;
  int exponente;
  Descomponer(x, 17, negativo, cifras, exponente);
  char buf[48];
  std::snprintf(buf, sizeof buf, "%c%c.%sE%c%03d", negativo ? '-' : ' ', cifras[0], cifras.c_str() + 1,
                exponente < 0 ? '-' : '+', std::abs(exponente));
  return buf;
}

std::string RealATextoGeneral(double x, int digitos, int digitosExp) {
  if (!std::isfinite(x)) return TextoNoFinito(x);
  if (x == 0) return "0";
  if (digitos < 1) digitos = 1;
  if (digitos > 17) digitos = 17;
  bool negativo;
  std::string cifras;
  int exponente;
  Descomponer(x, digitos, negativo, cifras, exponente);
  while (cifras.size() > 1 && cifras.back() == '0')
    cifras.pop_back();
  const std::string& sep = Estado().actuales.separadorDecimal;
  std::string r = negativo ? "-" : "";
  if (exponente < -4 || exponente >= digitos) {
    r += cifras[0];
    if (cifras.size() > 1) r += sep + cifras.substr(1);
    r += 'E';
    if (exponente < 0) r += '-';
    std::string e = std::to_string(std::abs(exponente));
    if (static_cast<int>(e.size()) < digitosExp) e = std::string(digitosExp - e.size(), '0') + e;
    r += e;
  } else if (exponente < 0) {
    r += "0" + sep + std::string(-exponente - 1, '0') + cifras;
  } else {
    const size_t enteros = static_cast<size_t>(exponente) + 1;
    if (cifras.size() <= enteros) {
      r += cifras + std::string(enteros - cifras.size(), '0');
    } else {
      r += cifras.substr(0, enteros) + sep + cifras.substr(enteros);
    }
  }
  return r;
}

std::string RealATextoFijo(double x, int decimales, int ancho) {
  if (!std::isfinite(x)) return Rellenar(TextoNoFinito(x), ancho);
  if (decimales < 0) decimales = 0;
  std::vector<char> buf(static_cast<size_t>(decimales) + 340);
  auto r = std::to_chars(buf.data(), buf.data() + buf.size(), x, std::chars_format::fixed, decimales);
  *r.ptr = '\0';
  return Rellenar(ConSeparadorDecimal(buf.data()), ancho);
}

std::string EnteroATexto(long long i, int ancho) {
  return Rellenar(std::to_string(i), ancho);
}

// --- Text to numbers ---

bool IntentarTextoANumero(const std::string& texto, double& x) {
  std::string s = Recortar(texto);
  if (s.empty()) return false;
  const std::string& sep = Estado().actuales.separadorDecimal;
  if (sep != "." && s.find('.') == std::string::npos) {
    size_t p = s.find(sep);
    if (p != std::string::npos) s.replace(p, sep.size(), ".");
  }
  const char* ini = s.data();
  const char* fin = s.data() + s.size();
  bool negativo = false;
  if (*ini == '+' || *ini == '-') {
    negativo = (*ini == '-');
    ++ini;
    if (ini < fin && (*ini == '+' || *ini == '-')) return false;
  }
  auto r = std::from_chars(ini, fin, x, std::chars_format::general);
  if (r.ec == std::errc::result_out_of_range) {
    // Beyond the double range: overflow reads as infinite, underflow as zero.
    long double v = 0;
    auto rl = std::from_chars(ini, fin, v, std::chars_format::general);
    if (rl.ec == std::errc()) {
      x = static_cast<double>(v);
    } else {
      const char* e = std::find_if(ini, fin, [](char c) { return c == 'e' || c == 'E'; });
      x = (e + 1 < fin && e[1] == '-') ? 0.0 : std::numeric_limits<double>::infinity();
    }
    r.ptr = rl.ec == std::errc::invalid_argument ? ini : fin;
  } else if (r.ec != std::errc()) {
    return false;
  }
  if (r.ptr != fin) return false;
  if (negativo) x = -x;
  return true;
}

double TextoANumero(const std::string& s) {
  double x;
  if (!IntentarTextoANumero(s, x)) throw Exception("\"" + s + "\" no es un número real válido");
  return x;
}

int StrToInt(const std::string& texto) {
  std::string s = Recortar(texto);
  const char* p = s.data();
  const char* fin = p + s.size();
  bool negativo = false;
  if (p < fin && (*p == '+' || *p == '-')) negativo = (*p++ == '-');
  int base = 10;
  if (p < fin && *p == '$') {
    base = 16;
    ++p;
  } else if (fin - p > 2 && p[0] == '0' && (p[1] == 'x' || p[1] == 'X')) {
    base = 16;
    p += 2;
  }
  long long v = 0;
  auto r = std::from_chars(p, fin, v, base);
  if (p == fin || r.ec != std::errc() || r.ptr != fin || (negativo ? -v < INT_MIN : v > INT_MAX))
    throw Exception("\"" + texto + "\" is an invalid integer");
  return static_cast<int>(negativo ? -v : v);
}

double StrToReal(const std::string& s) {
  return TextoAReal(s);
}

// --- Dates ---

bool FechaValida(int anio, int mes, int dia) {
  return anio >= 1 && anio <= 9999 && mes >= 1 && mes <= 12 && dia >= 1 && dia <= DiasDelMes(anio, mes);
}

double CodificarFecha(int anio, int mes, int dia) {
  if (!FechaValida(anio, mes, dia))
    throw Exception("Fecha no válida: año " + std::to_string(anio) + ", mes " + std::to_string(mes) +
                    ", día " + std::to_string(dia));
  return static_cast<double>(DiasDesdeCivil(anio, static_cast<unsigned>(mes), static_cast<unsigned>(dia)) +
                             kDias1899a1970);
}

double CodificarHora(int hora, int minuto, int segundo, int milisegundo) {
  if (hora < 0 || hora > 23 || minuto < 0 || minuto > 59 || segundo < 0 || segundo > 59 || milisegundo < 0 ||
      milisegundo > 999)
    throw Exception("Hora no válida: " + std::to_string(hora) + ":" + std::to_string(minuto) + ":" +
                    std::to_string(segundo) + "." + std::to_string(milisegundo));
  return static_cast<double>(hora * 3600000LL + minuto * 60000LL + segundo * 1000LL + milisegundo) /
         static_cast<double>(kMsPorDia);
}

void DecodificarFecha(double t, int& anio, int& mes, int& dia) {
  long long dias, ms;
  PartirFechaHora(t, dias, ms);
  CivilDesdeDias(dias - kDias1899a1970, anio, mes, dia);
}

void DecodificarHora(double t, int& hora, int& minuto, int& segundo, int& milisegundo) {
  long long dias, ms;
  PartirFechaHora(t, dias, ms);
  hora = static_cast<int>(ms / 3600000);
  minuto = static_cast<int>(ms / 60000 % 60);
  segundo = static_cast<int>(ms / 1000 % 60);
  milisegundo = static_cast<int>(ms % 1000);
}

int DiaDeLaSemana(double t) {
  long long dias, ms;
  PartirFechaHora(t, dias, ms);
  // 30 December 1899 was a Saturday (6, counting from Sunday = 0).
  return static_cast<int>(((dias + 6) % 7 + 7) % 7);
}

std::string FormatearFechaHora(const std::string& formato, double t) {
  int anio, mes, dia, hora, minuto, segundo, ms;
  DecodificarFecha(t, anio, mes, dia);
  DecodificarHora(t, hora, minuto, segundo, ms);
  std::string r;
  bool trasHora = false; // the last field written was the hour: "m" then means minutes
  size_t i = 0;
  while (i < formato.size()) {
    const char c = formato[i];
    const char u = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    size_t n = 1;
    while (i + n < formato.size() &&
           std::tolower(static_cast<unsigned char>(formato[i + n])) == static_cast<unsigned char>(u))
      ++n;
    if (c == '"' || c == '\'') { // quoted literal text
      size_t cierre = formato.find(c, i + 1);
      if (cierre == std::string::npos) cierre = formato.size();
      r += formato.substr(i + 1, cierre - i - 1);
      i = cierre + 1;
      continue;
    }
    switch (u) {
    case 'y':
      if (n <= 2)
        r += DosCifras(anio % 100);
      else {
        char b[16];
        std::snprintf(b, sizeof b, "%04d", anio);
        r += b;
      }
      trasHora = false;
      break;
    case 'm':
      if (trasHora && n <= 2) {
        r += n == 1 ? std::to_string(minuto) : DosCifras(minuto);
      } else if (n == 1) {
        r += std::to_string(mes);
      } else if (n == 2) {
        r += DosCifras(mes);
      } else {
        r += n == 3 ? kMesesCortos[mes - 1] : kMesesLargos[mes - 1];
      }
      trasHora = false;
      break;
    case 'd':
      if (n == 1)
        r += std::to_string(dia);
      else if (n == 2)
        r += DosCifras(dia);
      else if (n == 3)
        r += kDiasCortos[DiaDeLaSemana(t)];
      else if (n == 4)
        r += kDiasLargos[DiaDeLaSemana(t)];
      else
        r += FormatearFechaHora(Estado().actuales.formatoFechaCorta, t);
      trasHora = false;
      break;
    case 'h':
      r += n == 1 ? std::to_string(hora) : DosCifras(hora);
      trasHora = true;
      break;
    case 'n':
      r += n == 1 ? std::to_string(minuto) : DosCifras(minuto);
      trasHora = false;
      break;
    case 's':
      r += n == 1 ? std::to_string(segundo) : DosCifras(segundo);
      trasHora = false;
      break;
    case 'z': {
      char b[16];
      std::snprintf(b, sizeof b, n >= 3 ? "%03d" : "%d", ms);
      r += b;
      trasHora = false;
      break;
    }
    case 'c':
      r += FechaHoraATexto(t);
      trasHora = false;
      break;
    case '/':
      for (size_t k = 0; k < n; ++k)
        r += Estado().actuales.separadorFecha;
      break;
    default:
      r += formato.substr(i, n);
      break;
    }
    i += n;
  }
  return r;
}

std::string FechaATexto(double t) {
  return FormatearFechaHora(Estado().actuales.formatoFechaCorta, t);
}
std::string HoraATexto(double t) {
  return FormatearFechaHora(Estado().actuales.formatoHoraLarga, t);
}

std::string FechaHoraATexto(double t) {
  long long dias, ms;
  PartirFechaHora(t, dias, ms);
  std::string r = FechaATexto(t);
  if (ms != 0) r += " " + HoraATexto(t);
  return r;
}

double TextoAFecha(const std::string& texto) {
  std::string s = Recortar(texto);
  int anio = 0, mes = 0, dia = 0, hora = 0, minuto = 0, segundo = 0;
  auto numero = [&](size_t& p, size_t cifras, int& v) {
    if (p + cifras > s.size()) return false;
    v = 0;
    for (size_t k = 0; k < cifras; ++k) {
      char c = s[p + k];
      if (c < '0' || c > '9') return false;
      v = v * 10 + (c - '0');
    }
    p += cifras;
    return true;
  };
  auto literal = [&](size_t& p, char c) {
    if (p >= s.size() || s[p] != c) return false;
    ++p;
    return true;
  };
  size_t p = 0;
  bool ok =
      numero(p, 4, anio) && literal(p, '-') && numero(p, 2, mes) && literal(p, '-') && numero(p, 2, dia);
  if (ok && p < s.size()) { // optional time of day "hh:nn" or "hh:nn:ss"
    ok =
        (literal(p, ' ') || literal(p, 'T')) && numero(p, 2, hora) && literal(p, ':') && numero(p, 2, minuto);
    if (ok && p < s.size()) ok = literal(p, ':') && numero(p, 2, segundo);
    ok = ok && p == s.size() && hora <= 23 && minuto <= 59 && segundo <= 59;
  }
  if (!ok || !FechaValida(anio, mes, dia))
    throw Exception("Fecha no válida: \"" + texto + "\" (se esperaba AAAA-MM-DD o AAAA-MM-DD hh:nn:ss)");
  return CodificarFecha(anio, mes, dia) + CodificarHora(hora, minuto, segundo);
}

// --- Tokenising ---

std::string SiguienteTokenSep(std::string& s, const std::string& separadores) {
  size_t ini = 0;
  while (ini < s.size() && EsSeparadorDe(s[ini], separadores))
    ++ini;
  if (ini >= s.size()) {
    s.clear();
    return "";
  }
  size_t fin = ini;
  while (fin < s.size() && !EsSeparadorDe(s[fin], separadores))
    ++fin;
  std::string token = s.substr(ini, fin - ini);
  s.erase(0, fin < s.size() ? fin + 1 : fin);
  return token;
}

std::string SiguienteToken(std::string& s) {
  return SiguienteTokenSep(s, std::string("\t\n\r ,;"));
}

int SiguienteTokenEnt(std::string& s) {
  return StrToInt(SiguienteToken(s));
}

double SiguienteTokenReal(std::string& s) {
  return StrToReal(SiguienteToken(s));
}

TDAofNInt StrToDAofNInt(const std::string& texto, char separador) {
  TDAofNInt r;
  r.reserve(100);
  std::string s = texto;
  const std::string sep(1, separador);
  while (!s.empty()) {
    std::string token = SiguienteTokenSep(s, sep);
    if (token.empty()) continue;
    if (r.size() == r.capacity()) r.reserve(r.size() + 10);
    r.push_back(StrToInt(token));
  }
  r.shrink_to_fit();
  return r;
}

std::string Recortar(const std::string& s) {
  size_t ini = 0, fin = s.size();
  while (ini < fin && static_cast<unsigned char>(s[ini]) <= ' ')
    ++ini;
  while (fin > ini && static_cast<unsigned char>(s[fin - 1]) <= ' ')
    --fin;
  return s.substr(ini, fin - ini);
}
