#pragma once
// Line-oriented text files of the models and reports.
//
// TLectorTexto reads a whole file, accepts CR LF and LF line ends, counts lines from 1, and raises
// errors that name the file and the line. TEscritorTexto writes CR LF lines to a temporary file and
// renames it over the target only on Cerrar(), so a failed writer never leaves a half-written file.
#include <fstream>
#include <string>
#include <vector>

#include "num/xmatdefs.h"

class TLectorTexto {
public:
  explicit TLectorTexto(const std::string& archivo); // raises when the file cannot be opened
  // From text in memory (tests, database columns); `nombre` is used in messages.
  static TLectorTexto DesdeTexto(const std::string& texto, const std::string& nombre);

  bool Fin() const;                    // no line left
  std::string LeerLinea();             // next line without its line end; raises at end of file
  double LeerReal();                   // next line as one real (any standard number form)
  int LeerEntero();                    // next line as one integer
  int Linea() const { return linea_; } // number of the last line read (0 before the first)
  const std::string& Archivo() const { return archivo_; }
  // Raises Exception "Archivo <file>, línea <n>: <mensaje>".
  [[noreturn]] void Error(const std::string& mensaje) const;

private:
  TLectorTexto() = default;
  std::string archivo_;
  std::vector<std::string> lineas_;
  size_t siguiente_ = 0;
  int linea_ = 0;
};

class TEscritorTexto {
public:
  explicit TEscritorTexto(const std::string& archivo); // creates missing parent folders
  ~TEscritorTexto();                                   // without Cerrar(): discards the temporary
  TEscritorTexto(const TEscritorTexto&) = delete;
  TEscritorTexto& operator=(const TEscritorTexto&) = delete;

  void Escribir(const std::string& texto);           // no line end
  void EscribirLinea(const std::string& texto = ""); // text then CR LF
  void EscribirReal(double x);                       // one real in the default form on its own line
  void EscribirEntero(long long i);                  // one integer on its own line
  void Cerrar();                                     // flushes and renames over the target; raises on failure
  const std::string& Archivo() const { return archivo_; }

private:
  std::string archivo_, temporal_;
  std::ofstream os_;
  bool cerrado_ = false;
};

// Creates a folder and its parents when missing; raises naming the folder when it cannot.
void CrearCarpeta(const std::string& carpeta);
