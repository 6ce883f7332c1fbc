// Line-oriented text files: whole-file reader with line numbers, and an all-or-nothing writer.
#include "num/utexto_archivos.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <sstream>
#include <system_error>

#include "num/uauxiliares.h"

namespace fs = std::filesystem;

namespace {

void PartirEnLineas(const std::string& texto, std::vector<std::string>& lineas) {
  size_t ini = 0;
  while (ini < texto.size()) {
    size_t fin = texto.find('\n', ini);
    if (fin == std::string::npos) fin = texto.size();
    size_t largo = fin - ini;
    if (largo > 0 && texto[ini + largo - 1] == '\r') --largo;
    lineas.push_back(texto.substr(ini, largo));
    ini = fin + 1;
  }
}

} // namespace

TLectorTexto::TLectorTexto(const std::string& archivo) : archivo_(archivo) {
  std::ifstream is(archivo, std::ios::binary);
  if (!is) throw Exception("No se pudo abrir el archivo " + archivo + ": " + std::strerror(errno));
  std::ostringstream contenido;
  contenido << is.rdbuf();
  if (is.bad()) throw Exception("No se pudo leer el archivo " + archivo);
  PartirEnLineas(contenido.str(), lineas_);
}

TLectorTexto TLectorTexto::DesdeTexto(const std::string& texto, const std::string& nombre) {
  TLectorTexto r;
  r.archivo_ = nombre;
  PartirEnLineas(texto, r.lineas_);
  return r;
}

bool TLectorTexto::Fin() const {
  return siguiente_ >= lineas_.size();
}

std::string TLectorTexto::LeerLinea() {
  if (Fin()) {
    linea_ = static_cast<int>(lineas_.size()) + 1;
    Error("el archivo termina antes de lo esperado");
  }
  ++linea_;
  return lineas_[siguiente_++];
}

double TLectorTexto::LeerReal() {
  std::string s = LeerLinea();
  double x;
  if (!IntentarTextoANumero(s, x)) Error("se esperaba un número real y se encontró \"" + s + "\"");
  return x;
}

int TLectorTexto::LeerEntero() {
  std::string s = LeerLinea();
  try {
    return StrToInt(s);
  } catch (const Exception&) {
    Error("se esperaba un número entero y se encontró \"" + s + "\"");
  }
}

void TLectorTexto::Error(const std::string& mensaje) const {
  throw Exception("Archivo " + archivo_ + ", línea " + std::to_string(linea_) + ": " + mensaje);
}

TEscritorTexto::TEscritorTexto(const std::string& archivo) : archivo_(archivo), temporal_(archivo + ".tmp") {
  const fs::path padre = fs::path(archivo).parent_path();
  if (!padre.empty()) CrearCarpeta(padre.string());
  os_.open(temporal_, std::ios::binary | std::ios::trunc);
  if (!os_) throw Exception("No se pudo crear el archivo " + archivo + ": " + std::strerror(errno));
}

TEscritorTexto::~TEscritorTexto() {
  if (!cerrado_) {
    os_.close();
    std::error_code ec;
    fs::remove(temporal_, ec);
  }
}

void TEscritorTexto::Escribir(const std::string& texto) {
  if (cerrado_) throw Exception("El archivo " + archivo_ + " ya está cerrado");
  os_ << texto;
}

void TEscritorTexto::EscribirLinea(const std::string& texto) {
  Escribir(texto);
  os_ << "\r\n";
}

void TEscritorTexto::EscribirReal(double x) {
  EscribirLinea(RealATexto(x));
}

void TEscritorTexto::EscribirEntero(long long i) {
  EscribirLinea(std::to_string(i));
}

void TEscritorTexto::Cerrar() {
  if (cerrado_) return;
  os_.flush();
  const bool ok = static_cast<bool>(os_);
  os_.close();
  std::error_code ec;
  if (!ok || os_.fail()) {
    fs::remove(temporal_, ec);
    cerrado_ = true;
    throw Exception("No se pudo escribir el archivo " + archivo_);
  }
  fs::rename(temporal_, archivo_, ec);
  cerrado_ = true;
  if (ec) {
    std::error_code ec2;
    fs::remove(temporal_, ec2);
    throw Exception("No se pudo escribir el archivo " + archivo_ + ": " + ec.message());
  }
}

void CrearCarpeta(const std::string& carpeta) {
  std::error_code ec;
  if (fs::is_directory(carpeta, ec)) return;
  fs::create_directories(carpeta, ec);
  if (ec || !fs::is_directory(carpeta))
    throw Exception("No se pudo crear la carpeta " + carpeta + ": " +
                    (ec ? ec.message() : std::string("existe un archivo con ese nombre")));
}
