// Number and date text forms, the database-style switch and the tokenising helpers.
#include "num/uauxiliares.h"

#include <gtest/gtest.h>

#include <cmath>
#include <future>
#include <limits>
#include <stdexcept>
#include <thread>

namespace {

// Runs each test with known user settings and puts the previous ones back afterwards.
class Formatos : public ::testing::Test {
protected:
  void SetUp() override {
    previos_ = FormatosActuales();
    FijarFormatos(TFormatosNumFecha{});
    GuardarFormatosUsuario();
  }
  void TearDown() override {
    FijarFormatos(previos_);
    GuardarFormatosUsuario();
  }
  // A user whose regional style uses a decimal comma and "." between thousands.
  static void UsuarioConComa() {
    TFormatosNumFecha f;
    f.separadorDecimal = ",";
    f.separadorMiles = ".";
    f.separadorFecha = ".";
    f.formatoFechaCorta = "dd.mm.yyyy";
    f.formatoFechaLarga = "dd.mm.yyyy hh:nn:ss";
    FijarFormatos(f);
    GuardarFormatosUsuario();
  }

private:
  TFormatosNumFecha previos_;
};

using Textos = Formatos;

TEST_F(Textos, DefaultRealFormIs24CharactersWithPoint) {
  struct {
    double x;
    const char* texto;
  } casos[] = {
      {1.0, " 1.0000000000000000E+000"},       {-0.035, "-3.5000000000000003E-002"},
      {0.0, " 0.0000000000000000E+000"},       {1e300, " 1.0000000000000001E+300"},
      {-2.5e-310, "-2.5000000000000171E-310"}, {123.456, " 1.2345600000000000E+002"},
  };
  UsuarioConComa(); // the file form ignores the regional separator
  for (const auto& c : casos) {
    EXPECT_EQ(RealATexto(c.x), c.texto) << c.x;
    EXPECT_EQ(RealATexto(c.x).size(), 24u);
    EXPECT_EQ(TextoANumero(RealATexto(c.x)), c.x) << "round trip of " << c.x;
  }
}

TEST_F(Textos, ShortestGeneralFormWith15Digits) {
  struct {
    double x;
    const char* texto;
  } casos[] = {
      {0.1, "0.1"},
      {9.9, "9.9"},
      {100, "100"},
      {0.0001, "0.0001"},
      {0.00005, "5E-5"},
      {123456789012345.0, "123456789012345"},
      {1e15, "1E15"},
      {1.5e20, "1.5E20"},
      {1.0 / 3, "0.333333333333333"},
      {0, "0"},
      {-0.0, "0"},
      {-2.5, "-2.5"},
      {0.1 + 0.2, "0.3"},
      {-1.25e-7, "-1.25E-7"},
      {999999999999999.9, "1E15"},
      {2.0 / 3, "0.666666666666667"},
  };
  for (const auto& c : casos)
    EXPECT_EQ(RealATextoGeneral(c.x), c.texto) << c.x;
}

TEST_F(Textos, GeneralFormWith5DigitsPadsTheExponent) {
  struct {
    double x;
    const char* texto;
  } casos[] = {
      {1.23456e-7, "1.2346E-0007"},
      {0.98765432, "0.98765"},
      {1, "1"},
      {0, "0"},
      {123456, "1.2346E0005"},
      {12345, "12345"},
      {0.00012345, "0.00012345"},
      {99999.5, "1E0005"},
  };
  for (const auto& c : casos)
    EXPECT_EQ(RealATextoGeneral(c.x, 5, 4), c.texto) << c.x;
}

TEST_F(Textos, RegionalDecimalSeparatorOutsideTheDatabaseStyle) {
  UsuarioConComa();
  EXPECT_EQ(RealATextoGeneral(2.5), "2,5");
  EXPECT_EQ(RealATextoGeneral(1.5e-7), "1,5E-7");
  EXPECT_EQ(RealATextoFijo(-3.14159, 2, 8), "   -3,14");
  EXPECT_EQ(TextoANumero("2,5"), 2.5);
  EXPECT_EQ(TextoANumero("2.5"), 2.5); // files always hold the point
  {
    TEnFormatosDB db;
    EXPECT_EQ(RealATextoGeneral(2.5), "2.5");
    EXPECT_EQ(RealATextoFijo(2.5, 1), "2.5");
  }
  EXPECT_EQ(RealATextoGeneral(2.5), "2,5");
}

TEST_F(Textos, FixedFormRightAligned) {
  EXPECT_EQ(RealATextoFijo(3.14159, 3, 10), "     3.142");
  EXPECT_EQ(RealATextoFijo(-0.5, 0), "-0");
  EXPECT_EQ(RealATextoFijo(2.5, 0), "2");             // halves of the exact binary value go to even
  EXPECT_EQ(RealATextoFijo(1234.5, 2, 3), "1234.50"); // wider than the width: not cut
  EXPECT_EQ(EnteroATexto(42, 5), "   42");
}

TEST_F(Textos, ReadersAcceptStandardFormsAndRejectTheRest) {
  struct {
    const char* texto;
    double x;
  } buenos[] = {{"1", 1},       {"-1.5", -1.5}, {"+2", 2}, {" 3.25 ", 3.25},    {"1e3", 1000},
                {"1E-2", 0.01}, {".5", 0.5},    {"5.", 5}, {"1e400", HUGE_VAL}, {"1e-400", 0}};
  for (const auto& c : buenos)
    EXPECT_EQ(TextoANumero(c.texto), c.x) << c.texto;
  EXPECT_TRUE(std::isnan(TextoANumero("Nan")));
  EXPECT_EQ(TextoANumero(RealATexto(-HUGE_VAL)), -HUGE_VAL);
  for (const char* malo : {"", "abc", "1.2.3", "--1", "1e", "2*3", "1 2"})
    EXPECT_THROW(TextoANumero(malo), Exception) << malo;
}

TEST_F(Textos, IntegerConversion) {
  EXPECT_EQ(StrToInt("42"), 42);
  EXPECT_EQ(StrToInt(" -7"), -7);
  EXPECT_EQ(StrToInt("+3"), 3);
  EXPECT_EQ(StrToInt("$1F"), 31);
  EXPECT_EQ(StrToInt("-2147483648"), std::numeric_limits<int>::min());
  for (const char* malo : {"", "abc", "1.5", "12x", "2147483648", "- 1"}) {
    try {
      StrToInt(malo);
      ADD_FAILURE() << malo;
    } catch (const Exception& e) {
      EXPECT_EQ(e.what(), "\"" + std::string(malo) + "\" is an invalid integer");
    }
  }
}

TEST_F(Textos, StrToRealEvaluatesExpressions) {
  EXPECT_EQ(StrToReal("2*0.25"), 0.5);
  EXPECT_EQ(StrToReal("1/2"), 0.5);
  EXPECT_THROW(StrToReal("abc"), Exception);
}

// --- The database-style switch ---

using Interruptor = Formatos;

TEST_F(Interruptor, NestedScopesRestoreOnlyAtTheOutermost) {
  UsuarioConComa();
  FormatosDB_Entrar();
  FormatosDB_Entrar();
  FormatosDB_Salir();
  EXPECT_EQ(FormatosActuales().separadorDecimal, ".");
  EXPECT_EQ(FormatosActuales().separadorMiles, " ");
  EXPECT_EQ(FormatosActuales().separadorFecha, "-");
  EXPECT_EQ(FormatosActuales().formatoFechaCorta, "yyyy-MM-dd");
  EXPECT_EQ(FormatosActuales().formatoFechaLarga, "yyyy-MM-dd HH:mm:ss");
  FormatosDB_Salir();
  EXPECT_EQ(FormatosActuales().separadorDecimal, ",");
  EXPECT_EQ(FormatosActuales().formatoFechaCorta, "dd.mm.yyyy");
  EXPECT_EQ(NivelFormatosDB(), 0);
}

TEST_F(Interruptor, ExtraLeaveRestoresNothing) {
  UsuarioConComa();
  FormatosDB_Salir();  // unbalanced: -1
  FormatosDB_Entrar(); // back to 0, database style set
  EXPECT_EQ(FormatosActuales().separadorDecimal, ".");
  FormatosDB_Salir(); // -1: not exactly 0, nothing restored
  EXPECT_EQ(FormatosActuales().separadorDecimal, ".");
  GuardarFormatosUsuario(); // resets the counter
  EXPECT_EQ(NivelFormatosDB(), 0);
}

TEST_F(Interruptor, ScopeGuardRestoresTheUserStyleWhenAnExceptionLeavesIt) {
  UsuarioConComa();
  try {
    TEnFormatosDB fuera;
    {
      TEnFormatosDB dentro;
      EXPECT_EQ(NivelFormatosDB(), 2);
      throw Exception("lectura interrumpida");
    }
  } catch (const Exception&) {
  }
  EXPECT_EQ(NivelFormatosDB(), 0);
  EXPECT_EQ(FormatosActuales().separadorDecimal, ",");
  EXPECT_EQ(RealATextoGeneral(0.5), "0,5");
}

TEST_F(Interruptor, EachThreadHasItsOwnStyle) {
  UsuarioConComa();
  std::string enElHilo, trasElHilo;
  std::promise<void> dentro, salir;
  std::thread lector([&] {
    enElHilo = RealATextoGeneral(0.5); // starts from the user's style
    TEnFormatosDB db;
    dentro.set_value();
    salir.get_future().wait();
  });
  dentro.get_future().wait();
  trasElHilo = RealATextoGeneral(0.5); // the worker's database style does not reach this thread
  salir.set_value();
  lector.join();
  EXPECT_EQ(enElHilo, "0,5");
  EXPECT_EQ(trasElHilo, "0,5");
}

TEST_F(Interruptor, SavedDateSeparatorFollowsTheShortDateFormat) {
  struct {
    const char* corta;
    const char* separadorActual;
    const char* guardado;
  } casos[] = {{"dd/mm/yyyy", "-", "/"}, {"yyyy-mm-dd", "/", "-"}, {"dd.mm.yyyy", ".", "."}};
  for (const auto& c : casos) {
    TFormatosNumFecha f;
    f.formatoFechaCorta = c.corta;
    f.separadorFecha = c.separadorActual;
    FijarFormatos(f);
    GuardarFormatosUsuario();
    FormatosDB_Entrar();
    FormatosDB_Salir();
    EXPECT_EQ(FormatosActuales().separadorFecha, c.guardado) << c.corta;
  }
}

TEST_F(Interruptor, CLocaleGivesTheDefaultSettings) {
  LeerFormatosDelSistema(); // tests run with LC_ALL=C
  EXPECT_EQ(FormatosActuales().separadorDecimal, ".");
  EXPECT_EQ(FormatosActuales().separadorFecha, "/");
  EXPECT_EQ(FormatosActuales().formatoFechaCorta, "dd/mm/yyyy");
  EXPECT_EQ(FormatosActuales().formatoHoraLarga, "hh:nn:ss");
  EXPECT_EQ(TraducirFormatoC("%d.%m.%Y"), "dd.mm.yyyy");
  EXPECT_EQ(TraducirFormatoC("%m/%d/%y"), "mm/dd/yy");
  EXPECT_EQ(TraducirFormatoC("%H:%M:%S"), "hh:nn:ss");
  EXPECT_EQ(TraducirFormatoC("%I:%M:%S %p"), "hh:nn:ss");
}

// --- Dates ---

using Fechas = Formatos;

TEST_F(Fechas, DaysSince30December1899) {
  EXPECT_EQ(CodificarFecha(1899, 12, 30), 0);
  EXPECT_EQ(CodificarFecha(1900, 1, 1), 2);
  EXPECT_EQ(CodificarFecha(1899, 12, 29), -1);
  EXPECT_EQ(CodificarFecha(2000, 2, 29), 36585);
  EXPECT_EQ(CodificarHora(6, 0, 0), 0.25);
  EXPECT_THROW(CodificarFecha(2023, 2, 29), Exception);
  EXPECT_THROW(CodificarHora(24, 0, 0), Exception);
  int a, m, d, h, n, s, ms;
  for (int anio : {1, 1600, 1899, 1900, 2024, 9999})
    for (int mes : {1, 2, 12}) {
      DecodificarFecha(CodificarFecha(anio, mes, 28), a, m, d);
      EXPECT_EQ(a * 10000 + m * 100 + d, anio * 10000 + mes * 100 + 28);
    }
  const double t = CodificarFecha(2024, 3, 5) + CodificarHora(13, 7, 9, 250);
  DecodificarHora(t, h, n, s, ms);
  EXPECT_EQ(h * 10000000 + n * 100000 + s * 1000 + ms, 130709250);
  // A time that rounds to midnight belongs to the next day.
  DecodificarFecha(CodificarFecha(2024, 12, 31) + 0.9999999999, a, m, d);
  DecodificarHora(CodificarFecha(2024, 12, 31) + 0.9999999999, h, n, s, ms);
  EXPECT_EQ(a * 10000 + m * 100 + d, 20250101);
  EXPECT_EQ(h + n + s + ms, 0);
  // Before the origin the day is counted toward zero and the time forward from midnight.
  DecodificarFecha(-1.25, a, m, d);
  DecodificarHora(-1.25, h, n, s, ms);
  EXPECT_EQ(a * 10000 + m * 100 + d, 18991229);
  EXPECT_EQ(h, 6);
  EXPECT_EQ(DiaDeLaSemana(CodificarFecha(2024, 3, 5)), 2); // a Tuesday
}

TEST_F(Fechas, FormatTokens) {
  const double t = CodificarFecha(2024, 3, 5) + CodificarHora(13, 7, 9, 45);
  struct {
    const char* formato;
    const char* texto;
  } casos[] = {
      {"dd/mm/yyyy", "05/03/2024"},
      {"d/m/yy", "5/3/24"},
      {"hh:nn:ss", "13:07:09"},
      {"hh:mm", "13:07"},
      {"HH:mm:ss", "13:07:09"},
      {"yyyy-MM-dd HH:mm:ss", "2024-03-05 13:07:09"},
      {"h:n:s.zzz", "13:7:9.045"},
      {"dd mmm yyyy", "05 mar 2024"},
      {"dddd d 'de' mmmm", "martes 5 de marzo"},
      {"yyyymmdd_hhnn", "20240305_1307"},
  };
  for (const auto& c : casos)
    EXPECT_EQ(FormatearFechaHora(c.formato, t), c.texto) << c.formato;
  TFormatosNumFecha f;
  f.separadorFecha = "-";
  FijarFormatos(f);
  EXPECT_EQ(FormatearFechaHora("dd/mm/yyyy", t), "05-03-2024"); // "/" is the date separator
}

TEST_F(Fechas, DateTimeTextOmitsMidnight) {
  const double dia = CodificarFecha(2024, 3, 5);
  EXPECT_EQ(FechaHoraATexto(dia), "05/03/2024");
  EXPECT_EQ(FechaHoraATexto(dia + CodificarHora(0, 0, 1)), "05/03/2024 00:00:01");
  TEnFormatosDB db;
  EXPECT_EQ(FechaHoraATexto(dia + 0.5), "2024-03-05 12:00:00");
}

TEST_F(Fechas, IsoDateText) {
  EXPECT_EQ(TextoAFecha("2024-03-05"), CodificarFecha(2024, 3, 5));
  EXPECT_EQ(TextoAFecha(" 2024-03-05 12:00 "), CodificarFecha(2024, 3, 5) + 0.5);
  EXPECT_EQ(TextoAFecha("2024-03-05 06:00:00"), CodificarFecha(2024, 3, 5) + 0.25);
  for (const char* malo :
       {"", "2024-3-5", "05/03/2024", "2024-02-30", "2024-13-01", "2024-03-05x", "2024-03-05 25:00"}) {
    try {
      TextoAFecha(malo);
      ADD_FAILURE() << malo;
    } catch (const Exception& e) {
      EXPECT_NE(std::string(e.what()).find("Fecha no válida: \"" + std::string(malo) + "\""),
                std::string::npos);
    }
  }
}

// --- Tokenising ---

TEST(Tokens, SiguienteTokenSkipsLeadingSeparators) {
  std::string s = "  12;; 7";
  EXPECT_EQ(SiguienteToken(s), "12");
  EXPECT_EQ(s, "; 7");
  EXPECT_EQ(SiguienteToken(s), "7");
  EXPECT_EQ(s, "");
  EXPECT_EQ(SiguienteToken(s), "");
  std::string soloSeparadores = " \t,\r\n";
  EXPECT_EQ(SiguienteToken(soloSeparadores), "");
  EXPECT_EQ(soloSeparadores, "");
  std::string dos = "a,b c";
  EXPECT_EQ(SiguienteToken(dos), "a");
  EXPECT_EQ(dos, "b c"); // only the one separator that ended the token goes with it
}

TEST(Tokens, TypedTokensAndOwnSeparators) {
  std::string s = "3\t2*0.5 x";
  EXPECT_EQ(SiguienteTokenEnt(s), 3);
  EXPECT_EQ(SiguienteTokenReal(s), 1.0);
  EXPECT_THROW(SiguienteTokenEnt(s), Exception);
  std::string t = "a|b c||d";
  EXPECT_EQ(SiguienteTokenSep(t, "|"), "a");
  EXPECT_EQ(SiguienteTokenSep(t, "|"), "b c");
  EXPECT_EQ(SiguienteTokenSep(t, "|"), "d");
  EXPECT_EQ(t, "");
}

TEST(Tokens, StrToDAofNIntSkipsEmptyItems) {
  EXPECT_EQ(StrToDAofNInt("1;2;;3;", ';'), (TDAofNInt{1, 2, 3}));
  EXPECT_EQ(StrToDAofNInt("", ';'), TDAofNInt{});
  EXPECT_EQ(StrToDAofNInt(";;", ';'), TDAofNInt{});
  EXPECT_THROW(StrToDAofNInt("1;x;3", ';'), Exception);
  TDAofNInt largo = StrToDAofNInt(std::string(250, ',').replace(0, 0, "5") + "6", ',');
  EXPECT_EQ(largo, (TDAofNInt{5, 6}));
}

TEST(Tokens, Recortar) {
  EXPECT_EQ(Recortar(" \t a b \r\n"), "a b");
  EXPECT_EQ(Recortar("   "), "");
}

} // namespace
