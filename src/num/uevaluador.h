#pragma once
// Expression evaluator: every user or database text that becomes a real goes through it, so such a
// text may be an arithmetic expression (2*0.5, 1/3, SQRT(2)) as well as a plain number.
//
// TMathParser is a table-driven bottom-up (LR) parser with a stack of at most 15 tokens that evaluates
// as it reduces, in extended precision. Syntax and domain errors never raise inside Evaluar: they set
// HayError (and CodigoError for syntax errors); only broken tables raise.
#include <cstdint>
#include <functional>
#include <string>

#include "num/xmatdefs.h"

class TMathParser {
public:
  // Token kinds.
  enum : uint8_t {
    tkMas,
    tkMenos,
    tkPor,
    tkDividir,
    tkPotencia,
    tkAbre,
    tkCierra,
    tkNumero,
    tkFuncion,
    tkFin,
    tkMalo,
    tkError
  };
  // Syntax error codes.
  enum : uint8_t {
    errPilaLlena = 1,
    errFueraDeRango = 2,
    errSeEsperabaOperando = 3,
    errSeEsperabaOperador = 4,
    errSeEsperabaAbre = 5,
    errSeEsperabaOperadorOCierra = 6,
    errNumeroInvalido = 7
  };
  static constexpr int kTamPila = 15;

  struct TToken {
    uint8_t Estado = 0;
    long double Valor = 0;
    std::string Funcion; // at most 5 characters
  };

  // Resolves identifiers that are not function names (sender, name, value out, found out).
  using TBuscarVariable = std::function<void(TMathParser&, const std::string&, long double&, bool&)>;
  // Told the syntax error code when parsing stops on one.
  using TAlError = std::function<void(TMathParser&, int)>;

  TMathParser() = default;
  void Evaluar();

  std::string Texto;
  TBuscarVariable BuscarVariable;
  TAlError AlError;
  TToken Actual;
  bool ErrorMatematico = false;
  TToken Pila[kTamPila];
  uint8_t Tope = 0;
  uint8_t CodigoError = 0;
  uint16_t LargoToken = 0;
  uint8_t TipoToken = tkFin;
  uint16_t Posicion = 1;
  bool HayError = false;
  long double Valor = 0;

private:
  uint8_t SiguienteToken();
  void Apilar(const TToken& t);
  TToken Desapilar();
  void Desplazar(uint8_t estado);
  void Reducir(int produccion);
  uint8_t EstadoGoto(int produccion) const;
};

// Value of a text evaluated as an expression, rounded to double. Raises
// "Error: no se puede evaluar \"<texto>\" a un número real" when it does not evaluate.
double TextoAReal(const std::string& texto);
