// The expression evaluator: values, precedence, domains, syntax error codes and the error text.
#include "num/uevaluador.h"

#include <gtest/gtest.h>

#include <cmath>

#include "num/uauxiliares.h"

namespace {

struct TCasoValor {
  const char* texto;
  double valor;
};

TEST(Evaluador, Values) {
  const TCasoValor casos[] = {
      {"1.5", 1.5},        {".5", 0.5},       {"  7  ", 7},      {"2*(3+4)", 14},      {"2^3^2", 512},
      {"2^-2", 0.25},      {"-(2^2)", -4},    {"-2*3", -6},      {"1-2-3", -4},        {"8/4/2", 1},
      {"2+3*4", 14},       {"2*3^2", 18},     {"sqrt(16)", 4},   {"SQRT(16)", 4},      {"Sqr(-3)", 9},
      {"ABS(-2.5)", 2.5},  {"ROUND(2.5)", 2}, {"ROUND(3.5)", 4}, {"ROUND(-2.5)", -2},  {"TRUNC(-2.7)", -2},
      {"1E3", 1000},       {"1e+2", 100},     {"2.5e-1", 0.25},  {"LN(EXP(2))", 2},    {"COS(0)+SIN(0)", 1},
      {"ATAN(1)*4", M_PI}, {"1/3", 1.0 / 3},  {"0.1+0.2", 0.3},  {"((((((1))))))", 1}, {"5-(-3)", 8},
      {"1.", 1},           {"1+.", 1},
  };
  for (const auto& c : casos)
    EXPECT_DOUBLE_EQ(TextoAReal(c.texto), c.valor) << c.texto;
  // Extended precision: 0.1 + 0.2 evaluated in long double rounds to the double nearest 0.3.
  EXPECT_EQ(TextoAReal("0.1+0.2"), 0.3);
  EXPECT_EQ(TextoAReal("2^3^2"), 512);
}

TEST(Evaluador, FailuresGiveTheExactMessage) {
  for (const char* texto :
       {"",    "   ", "-2^2",       "1.2.3",      "X+1", "2!",  "!",    "SQRT(-1)", "LN(0)",
        "1/0", "0^2", "--3",        "+3",         "2 3", "(1",  "1)",   "SQRT 4",   "SQRT(4",
        ".",   "1E",  "EXP(11357)", "ROUND(2E9)", "\t1", "1,5", "1E400"}) {
    try {
      TextoAReal(texto);
      ADD_FAILURE() << "\"" << texto << "\" evaluated";
    } catch (const Exception& e) {
      EXPECT_EQ(e.what(), "Error: no se puede evaluar \"" + std::string(texto) + "\" a un número real");
    }
  }
}

struct TCasoCodigo {
  const char* texto;
  int codigo;
  bool errorMatematico;
};

TEST(Evaluador, SyntaxErrorCodes) {
  const TCasoCodigo casos[] = {
      {"", 3, false},
      {"X+1", 3, false},
      {"2 3", 4, false},
      {"SQRT 4", 5, false},
      {"(1", 6, false},
      {"1.2.3", 7, true},
      {"--3", 3, false},
      {"2!", 4, false},
      {"!", 0, true},
      {"1/0", 0, true},
      {"-2^2", 0, true},
      {".", 3, false},
      {"((((((((((((((((1))))))))))))))))", 1, false},
  };
  for (const auto& c : casos) {
    TMathParser p;
    p.Texto = c.texto;
    p.Evaluar();
    EXPECT_TRUE(p.HayError) << c.texto;
    EXPECT_EQ(p.Valor, 0) << c.texto;
    EXPECT_EQ(p.CodigoError, c.codigo) << c.texto;
    EXPECT_EQ(p.ErrorMatematico, c.errorMatematico) << c.texto;
  }
}

TEST(Evaluador, StackHoldsFifteenEntries) {
  // Above the initial entry each "(" holds one entry, and the innermost expression and its ")" one each.
  auto anidado = [](int n) { return std::string(n, '(') + "1" + std::string(n, ')'); };
  EXPECT_EQ(TextoAReal(anidado(12)), 1);
  TMathParser p;
  p.Texto = anidado(13);
  p.Evaluar();
  EXPECT_EQ(p.CodigoError, 1);
}

TEST(Evaluador, TextLongerThanPositionsCanCountFails) {
  std::string largo = "1";
  while (largo.size() < 70000) largo += "+1";
  EXPECT_THROW(TextoAReal(largo), Exception);
  EXPECT_EQ(TextoAReal(largo.substr(0, 20001)), 10001); // long but countable
}

TEST(Evaluador, ExtendedPrecisionAndPosition) {
  TMathParser p;
  p.Texto = "1/3";
  p.Evaluar();
  EXPECT_FALSE(p.HayError);
  EXPECT_EQ(p.Valor, 1.0L / 3.0L);
  p.Texto = "1+X";
  p.Evaluar();
  EXPECT_EQ(p.CodigoError, 3);
  EXPECT_EQ(p.Posicion, 3); // points at the offending identifier
}

TEST(Evaluador, VariablesAndErrorHook) {
  TMathParser p;
  int codigoVisto = -1;
  p.BuscarVariable = [](TMathParser&, const std::string& nombre, long double& v, bool& encontrada) {
    encontrada = (nombre == "radio_1");
    v = 2;
  };
  p.AlError = [&](TMathParser&, int codigo) { codigoVisto = codigo; };
  p.Texto = "radio_1^2*3";
  p.Evaluar();
  EXPECT_FALSE(p.HayError);
  EXPECT_EQ(p.Valor, 12);
  p.Texto = "otro+1";
  p.Evaluar();
  EXPECT_TRUE(p.HayError);
  EXPECT_EQ(codigoVisto, 3);
}

TEST(Evaluador, DecimalSeparatorFollowsTheSettings) {
  const TFormatosNumFecha previos = FormatosActuales();
  TFormatosNumFecha f;
  f.separadorDecimal = ",";
  FijarFormatos(f);
  GuardarFormatosUsuario();
  EXPECT_EQ(TextoAReal("1,5*2"), 3);
  EXPECT_THROW(TextoAReal("1.5"), Exception);
  {
    TEnFormatosDB db; // files and SQL: the point
    EXPECT_EQ(TextoAReal("1.5*2"), 3);
  }
  FijarFormatos(previos);
  GuardarFormatosUsuario();
}

} // namespace
