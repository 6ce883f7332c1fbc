// Table-driven evaluation of arithmetic expressions in extended precision.
#include "num/uevaluador.h"

#include <cctype>
#include <cfenv>
#include <charconv>
#include <cmath>
#include <limits>

#include "num/uauxiliares.h"

namespace {

constexpr long double kLimiteExp = 11356.0L; // |ln| beyond which e^x leaves the extended range

const char* const kFunciones[10] = {"ABS",   "ATAN", "COS",  "EXP", "LN",
                                    "ROUND", "SIN",  "SQRT", "SQR", "TRUNC"};

bool EsLetra(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}
bool EsCifra(char c) {
  return c >= '0' && c <= '9';
}

// The runtime's text-to-real conversion of a number text in which "." is the decimal point.
bool ConvertirNumero(const std::string& s, long double& v) {
  const char* ini = s.data();
  const char* fin = ini + s.size();
  auto r = std::from_chars(ini, fin, v, std::chars_format::general);
  if (r.ec == std::errc::result_out_of_range) {
    // Beyond the extended range: 4 exponent digits can exceed it; treat as not a number.
    return false;
  }
  return r.ec == std::errc() && r.ptr == fin;
}

// Value of a function of the table at x; false outside its domain.
bool AplicarFuncion(const std::string& f, long double x, long double& r) {
  if (f == "ABS") {
    r = std::fabs(x);
  } else if (f == "ATAN") {
    r = std::atan(x);
  } else if (f == "COS") {
    if (std::fabs(x) > 9e18L) return false;
    r = std::cos(x);
  } else if (f == "EXP") {
    if (std::fabs(x) > kLimiteExp) return false;
    r = std::exp(x);
  } else if (f == "LN") {
    if (x <= 0) return false;
    r = std::log(x);
  } else if (f == "ROUND") {
    if (std::fabs(x) > 1e9L) return false;
    const int modo = std::fegetround();
    std::fesetround(FE_TONEAREST);
    r = std::nearbyint(x); // halves go to the even neighbour
    std::fesetround(modo);
  } else if (f == "SIN") {
    if (std::fabs(x) > 9e18L) return false;
    r = std::sin(x);
  } else if (f == "SQRT") {
    if (x < 0) return false;
    r = std::sqrt(x);
  } else if (f == "SQR") {
    if (std::fabs(x) > 1e2466L) return false;
    r = x * x;
  } else if (f == "TRUNC") {
    if (std::fabs(x) > 1e9L) return false;
    r = std::trunc(x);
  } else {
    return false;
  }
  return true;
}

} // namespace

void TMathParser::Apilar(const TToken& t) {
  if (Tope == kTamPila) {
    CodigoError = errPilaLlena;
    return;
  }
  Pila[Tope++] = t;
}

TMathParser::TToken TMathParser::Desapilar() {
  return Pila[--Tope];
}

uint8_t TMathParser::SiguienteToken() {
  const std::string& t = Texto;
  const size_t n = t.size();
  while (Posicion <= n && t[Posicion - 1] == ' ')
    ++Posicion;
  const size_t inicio = Posicion;
  if (inicio > n) {
    LargoToken = 0;
    return tkFin;
  }
  const char c = static_cast<char>(std::toupper(static_cast<unsigned char>(t[inicio - 1])));
  if (c == '!') {
    LargoToken = 0;
    return tkError;
  }
  const std::string& sd = FormatosActuales().separadorDecimal;
  const char sep = sd.empty() ? '.' : sd[0];
  if (EsCifra(c) || c == sep) {
    size_t p = inicio - 1; // 0-based index of the next character
    std::string numero;
    const bool empiezaConSeparador = (c == sep);
    bool separadorVisto = false;
    while (p < n && (EsCifra(t[p]) || t[p] == sep)) {
      if (t[p] == sep) {
        if (empiezaConSeparador && separadorVisto) break;
        separadorVisto = true;
        numero += '.';
      } else {
        numero += t[p];
      }
      ++p;
    }
    if (numero == "." && inicio == 1) {
      LargoToken = 0;
      return tkMalo;
    }
    if (p < n && (t[p] == 'E' || t[p] == 'e')) {
      numero += 'E';
      ++p;
      if (p < n && (t[p] == '+' || t[p] == '-')) numero += t[p++];
      for (int k = 0; k < 4 && p < n && EsCifra(t[p]); ++k)
        numero += t[p++];
    }
    if (numero[0] == '.') numero = "0" + numero;
    long double v;
    if (!ConvertirNumero(numero, v)) {
      ErrorMatematico = true;
      CodigoError = errNumeroInvalido;
      ++Posicion;
      LargoToken = 0;
      return tkError;
    }
    Actual.Valor = v;
    LargoToken = static_cast<uint16_t>(p + 1 - inicio);
    Posicion = static_cast<uint16_t>(p + 1);
    return tkNumero;
  }
  if (EsLetra(c)) {
    size_t p = inicio - 1;
    std::string nombre;
    while (p < n && (EsLetra(t[p]) || EsCifra(t[p]) || t[p] == '_'))
      nombre += t[p++];
    LargoToken = static_cast<uint16_t>(nombre.size());
    Posicion = static_cast<uint16_t>(p + 1);
    std::string mayusculas = nombre;
    for (char& ch : mayusculas)
      ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
    for (const char* f : kFunciones)
      if (mayusculas == f) {
        Actual.Funcion = f;
        return tkFuncion;
      }
    if (BuscarVariable) {
      long double v = 0;
      bool encontrada = false;
      BuscarVariable(*this, nombre, v, encontrada);
      if (encontrada) {
        Actual.Valor = v;
        return tkNumero;
      }
    }
    return tkMalo;
  }
  LargoToken = 1;
  ++Posicion;
  switch (c) {
  case '+':
    return tkMas;
  case '-':
    return tkMenos;
  case '*':
    return tkPor;
  case '/':
    return tkDividir;
  case '^':
    return tkPotencia;
  case '(':
    return tkAbre;
  case ')':
    return tkCierra;
  default:
    --Posicion;
    LargoToken = 0;
    return tkMalo;
  }
}

void TMathParser::Desplazar(uint8_t estado) {
  Actual.Estado = estado;
  Apilar(Actual);
  TipoToken = SiguienteToken();
}

uint8_t TMathParser::EstadoGoto(int produccion) const {
  const uint8_t s = Pila[Tope - 1].Estado;
  const bool operando = s == 0 || s == 9 || (s >= 12 && s <= 16) || s == 20;
  int grupo;
  if (produccion <= 3) {
    grupo = 1;
    if (s == 0) return 1;
    if (s == 9) return 19;
    if (s == 20) return 28;
  } else if (produccion <= 6) {
    grupo = 2;
    if (s == 0 || s == 9 || s == 20) return 2;
    if (s == 12) return 21;
    if (s == 13) return 22;
  } else if (produccion <= 8) {
    grupo = 3;
    if (s == 0 || s == 9 || s == 12 || s == 13 || s == 20) return 3;
    if (s == 14) return 23;
    if (s == 15) return 24;
    if (s == 16) return 25;
  } else if (produccion <= 10) {
    grupo = 4;
    if (operando) return 4;
  } else if (produccion <= 12) {
    grupo = 5;
    if (operando) return 6;
    if (s == 5) return 17;
  } else {
    grupo = 6;
    if (operando || s == 5) return 8;
  }
  throw Exception("uevaluador.GotoState INDEFINIDO " + std::to_string(grupo));
}

void TMathParser::Reducir(int produccion) {
  switch (produccion) {
  case 1: { // E -> E + T
    TToken t = Desapilar();
    Desapilar();
    TToken e = Desapilar();
    Actual.Valor = e.Valor + t.Valor;
    break;
  }
  case 2: { // E -> E - T
    TToken t = Desapilar();
    Desapilar();
    TToken e = Desapilar();
    Actual.Valor = e.Valor - t.Valor;
    break;
  }
  case 4: { // T -> T * F
    TToken f = Desapilar();
    Desapilar();
    TToken t = Desapilar();
    Actual.Valor = t.Valor * f.Valor;
    break;
  }
  case 5: { // T -> T / F
    TToken f = Desapilar();
    Desapilar();
    TToken t = Desapilar();
    if (f.Valor == 0)
      ErrorMatematico = true;
    else
      Actual.Valor = t.Valor / f.Valor;
    break;
  }
  case 7: { // F -> K ^ F
    TToken f = Desapilar();
    Desapilar();
    TToken k = Desapilar();
    if (k.Valor <= 0) {
      ErrorMatematico = true;
    } else {
      const long double exponente = std::log(k.Valor) * f.Valor;
      if (exponente < -kLimiteExp || exponente > kLimiteExp)
        ErrorMatematico = true;
      else
        Actual.Valor = std::exp(exponente);
    }
    break;
  }
  case 9: { // K -> - L
    TToken l = Desapilar();
    Desapilar();
    Actual.Valor = -l.Valor;
    break;
  }
  case 3:  // E -> T
  case 6:  // T -> F
  case 8:  // F -> K
  case 10: // K -> L
  case 12: // L -> P
  case 15: // P -> number
    Actual.Valor = Desapilar().Valor;
    break;
  case 14: { // P -> ( E )
    Desapilar();
    TToken e = Desapilar();
    Desapilar();
    Actual.Valor = e.Valor;
    break;
  }
  case 16: { // P -> function ( E )
    Desapilar();
    TToken e = Desapilar();
    Desapilar();
    TToken f = Desapilar();
    long double r;
    if (AplicarFuncion(f.Funcion, e.Valor, r))
      Actual.Valor = r;
    else
      ErrorMatematico = true;
    break;
  }
  default:
    throw Exception("Invalid reduction");
  }
  Actual.Estado = EstadoGoto(produccion);
  Apilar(Actual);
}

void TMathParser::Evaluar() {
  Posicion = 1;
  Tope = 0;
  CodigoError = 0;
  ErrorMatematico = false;
  Actual = TToken{};
  HayError = true;
  Valor = 0;
  // Positions are 16-bit: a longer text cannot be scanned and does not evaluate.
  if (Texto.size() >= std::numeric_limits<uint16_t>::max()) {
    CodigoError = errSeEsperabaOperando;
    return;
  }
  Apilar(Actual);
  TipoToken = SiguienteToken();
  bool aceptado = false;
  auto error = [&](uint8_t codigo) {
    CodigoError = codigo;
    Posicion = static_cast<uint16_t>(Posicion - LargoToken);
  };
  while (!aceptado && CodigoError == 0) {
    switch (Pila[Tope - 1].Estado) {
    case 0:
    case 9:
    case 12:
    case 13:
    case 14:
    case 15:
    case 16:
    case 20:
      if (TipoToken == tkNumero)
        Desplazar(10);
      else if (TipoToken == tkFuncion)
        Desplazar(11);
      else if (TipoToken == tkMenos)
        Desplazar(5);
      else if (TipoToken == tkAbre)
        Desplazar(9);
      else if (TipoToken == tkError) {
        ErrorMatematico = true;
        aceptado = true; // stop
      } else
        error(errSeEsperabaOperando);
      break;
    case 1:
      if (TipoToken == tkFin)
        aceptado = true;
      else if (TipoToken == tkMas)
        Desplazar(12);
      else if (TipoToken == tkMenos)
        Desplazar(13);
      else
        error(errSeEsperabaOperador);
      break;
    case 2:
      if (TipoToken == tkPor)
        Desplazar(14);
      else if (TipoToken == tkDividir)
        Desplazar(15);
      else
        Reducir(3);
      break;
    case 3:
      Reducir(6);
      break;
    case 4:
      if (TipoToken == tkPotencia)
        Desplazar(16);
      else
        Reducir(8);
      break;
    case 5:
      if (TipoToken == tkNumero)
        Desplazar(10);
      else if (TipoToken == tkFuncion)
        Desplazar(11);
      else if (TipoToken == tkAbre)
        Desplazar(9);
      else
        error(errSeEsperabaOperando);
      break;
    case 6:
      Reducir(10);
      break;
    case 7:
      Reducir(13);
      break;
    case 8:
      Reducir(12);
      break;
    case 10:
      Reducir(15);
      break;
    case 11:
      if (TipoToken == tkAbre)
        Desplazar(20);
      else
        error(errSeEsperabaAbre);
      break;
    case 17:
      Reducir(9);
      break;
    case 19:
    case 28:
      if (TipoToken == tkMas)
        Desplazar(12);
      else if (TipoToken == tkMenos)
        Desplazar(13);
      else if (TipoToken == tkCierra)
        Desplazar(Pila[Tope - 1].Estado == 19 ? 27 : 29);
      else
        error(errSeEsperabaOperadorOCierra);
      break;
    case 21:
    case 22:
      if (TipoToken == tkPor)
        Desplazar(14);
      else if (TipoToken == tkDividir)
        Desplazar(15);
      else
        Reducir(Pila[Tope - 1].Estado == 21 ? 1 : 2);
      break;
    case 23:
      Reducir(4);
      break;
    case 24:
      Reducir(5);
      break;
    case 25:
      Reducir(7);
      break;
    case 26:
      Reducir(11);
      break;
    case 27:
      Reducir(14);
      break;
    case 29:
      Reducir(16);
      break;
    default:
      throw Exception("Bad token state");
    }
  }
  if (CodigoError != 0) {
    if (CodigoError == errFueraDeRango) Posicion = static_cast<uint16_t>(Posicion - LargoToken);
    if (AlError) AlError(*this, CodigoError);
  }
  if (ErrorMatematico || CodigoError != 0) {
    HayError = true;
    Valor = 0;
  } else {
    HayError = false;
    Valor = Pila[Tope - 1].Valor;
  }
}

double TextoAReal(const std::string& texto) {
  TMathParser parser;
  parser.Texto = texto;
  parser.Evaluar();
  const double v = static_cast<double>(parser.Valor);
  // A value beyond the range of a double does not evaluate to a real either.
  if (parser.HayError || !std::isfinite(v))
    throw Exception("Error: no se puede evaluar \"" + texto + "\" a un número real");
  return v;
}
