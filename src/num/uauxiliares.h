#pragma once
// Text and date helpers, and the one module that owns the process-wide number and date settings.
//
// Invariant: every conversion between text and numbers or dates in the system goes through this
// unit. Outside a database-style scope the user's regional settings (read from the system locale at
// start-up) are in force; inside, the database style ("." decimals, blank thousands separator,
// "-" dates, "yyyy-MM-dd", "yyyy-MM-dd HH:mm:ss"). The nesting counter restores the user's style
// only when the outermost scope leaves. Settings and counter belong to each thread: a new thread starts
// from the settings last read or set (FijarFormatos, LeerFormatosDelSistema) with the counter at 0.
#include <string>

#include "num/xmatdefs.h"

// The settings the switch affects, plus the long time format used for date-time text.
struct TFormatosNumFecha {
  std::string separadorDecimal = ".";
  std::string separadorMiles = ",";
  std::string separadorFecha = "/";
  std::string formatoFechaCorta = "dd/mm/yyyy";
  std::string formatoFechaLarga = "dd/mm/yyyy hh:nn:ss";
  std::string formatoHoraLarga = "hh:nn:ss";
};

// The settings in force now.
const TFormatosNumFecha& FormatosActuales();
// Replaces the settings in force (tests and start-up use it; workflows use the switch).
void FijarFormatos(const TFormatosNumFecha& f);
// Reads the user's settings from the system locale (setlocale/nl_langinfo); C/POSIX gives the defaults.
void LeerFormatosDelSistema();
// Translates a C library date or time format ("%d/%m/%Y", "%H:%M:%S") to the token style ("dd/mm/yyyy").
std::string TraducirFormatoC(const std::string& formatoC);

void GuardarFormatosUsuario();
void FormatosDB_Entrar();
void FormatosDB_Salir();
int NivelFormatosDB(); // the nesting counter

// Scope guard: enters the database style on construction and always leaves it on destruction.
class TEnFormatosDB {
public:
  TEnFormatosDB() { FormatosDB_Entrar(); }
  ~TEnFormatosDB() { FormatosDB_Salir(); }
  TEnFormatosDB(const TEnFormatosDB&) = delete;
  TEnFormatosDB& operator=(const TEnFormatosDB&) = delete;
};

// --- Reals to text ---
// Default real text form, always with ".": " 1.0000000000000000E+000" (24 characters).
std::string RealATexto(double x);
// General form with up to `digitos` significant digits and the current decimal separator
// (15 by default: edit boxes, SQL, console); `digitosExp` pads the exponent (matrix text form: 5, 4).
std::string RealATextoGeneral(double x, int digitos = 15, int digitosExp = 0);
// Fixed notation with `decimales` decimals, right-aligned in `ancho` characters (0: no padding),
// current decimal separator.
std::string RealATextoFijo(double x, int decimales, int ancho = 0);
// Integer right-aligned in `ancho` characters.
std::string EnteroATexto(long long i, int ancho = 0);

// --- Text to numbers ---
// Any standard number form (files). Raises Exception on a malformed number.
double TextoANumero(const std::string& s);
// As TextoANumero, without raising: false when the text is not a number.
bool IntentarTextoANumero(const std::string& s, double& x);
// Standard integer conversion: raises "\"%s\" is an invalid integer".
int StrToInt(const std::string& s);
// The expression evaluator's value of a text (user input, database fields, vector elements).
double StrToReal(const std::string& s);

// --- Dates: doubles counting days since 30 December 1899, the fraction being the time of day ---
bool FechaValida(int anio, int mes, int dia);      // years 1..9999
double CodificarFecha(int anio, int mes, int dia); // raises on an invalid date
double CodificarHora(int hora, int minuto, int segundo, int milisegundo = 0);
void DecodificarFecha(double t, int& anio, int& mes, int& dia);
void DecodificarHora(double t, int& hora, int& minuto, int& segundo, int& milisegundo);
// Formats a date-time with the tokens d, dd, m, mm, yy, yyyy, h, hh, n, nn, s, ss (m after h is
// minutes) and the current separators.
std::string FormatearFechaHora(const std::string& formato, double t);
// Regional short date, a blank and the long time (the time omitted at exactly midnight).
std::string FechaHoraATexto(double t);
std::string FechaATexto(double t);
std::string HoraATexto(double t);
int DiaDeLaSemana(double t); // 0 = Sunday
// Reads "AAAA-MM-DD", optionally followed by " hh:nn" or " hh:nn:ss"; raises "Fecha no válida: ...".
double TextoAFecha(const std::string& s);

// --- Tokenising ---
std::string SiguienteToken(std::string& s);
int SiguienteTokenEnt(std::string& s);
double SiguienteTokenReal(std::string& s);
std::string SiguienteTokenSep(std::string& s, const std::string& separadores);
TDAofNInt StrToDAofNInt(const std::string& s, char separador);

// Trims blanks and control characters at both ends.
std::string Recortar(const std::string& s);
