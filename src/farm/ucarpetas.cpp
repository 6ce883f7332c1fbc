// Working folders and file names of the farms.
#include "farm/ucarpetas.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "num/xmatdefs.h"

namespace fs = std::filesystem;

namespace {

std::string Unir(const std::string& carpeta, const std::string& nombre) {
  if (carpeta.empty()) return nombre;
  if (carpeta.back() == '/') return carpeta + nombre;
  return carpeta + "/" + nombre;
}

std::string SinSeparadorFinal(std::string s) {
  while (s.size() > 1 && s.back() == '/')
    s.pop_back();
  return s;
}

std::string NombreCentral(int nid) {
  std::string n(1, 'c');
  n += std::to_string(nid);
  return n;
}

} // namespace

void AsegurarCarpeta(const std::string& carpeta) {
  if (carpeta.empty()) return;
  std::error_code ec;
  if (fs::is_directory(carpeta, ec)) return;
  fs::create_directories(carpeta, ec);
  // create_directories reports no error when another process created it meanwhile; check the result.
  if (!fs::is_directory(carpeta)) {
    std::string motivo = ec ? ec.message() : "existe y no es una carpeta";
    throw Exception("No puedo crear la carpeta: " + carpeta + " (" + motivo + ")");
  }
}

std::string NombreCarpetaBase() {
  const char* base = std::getenv("AURVEND_BASE");
  if (base != nullptr && *base != '\0') return SinSeparadorFinal(base);
  const char* home = std::getenv("HOME");
  std::string h = (home != nullptr && *home != '\0') ? SinSeparadorFinal(home) : std::string(".");
  return Unir(h, "zorvek/modelado_ro");
}

std::string CarpetaBase() {
  std::string base = NombreCarpetaBase();
  AsegurarCarpeta(base);
  return base;
}

std::string CarpetaCentral(int nid) {
  std::string carpeta = Unir(NombreCarpetaBase(), NombreCentral(nid));
  AsegurarCarpeta(carpeta);
  return carpeta;
}

std::string ArchiCentral(int nid, const std::string& sufijo) {
  return Unir(CarpetaCentral(nid), NombreCentral(nid) + sufijo);
}

std::string ArchiModeloMT(int nid) {
  return ArchiCentral(nid, SUFIJO_MODELO_MT);
}
std::string ArchiModeloMC(int nid) {
  return ArchiCentral(nid, SUFIJO_MODELO_MC);
}
std::string ArchiCalibrador(int nid) {
  return ArchiCentral(nid, SUFIJO_CALIBRADOR);
}

std::string ArchiEnCarpeta(const std::string& carpeta, int nid, const std::string& sufijo) {
  CarpetaCentral(nid);
  return ArchivoEnCarpeta(carpeta, NombreCentral(nid) + sufijo);
}

std::string CarpetaBasura() {
  std::string carpeta = Unir(NombreCarpetaBase(), "basura");
  AsegurarCarpeta(carpeta);
  return carpeta;
}

std::string ArchivoEnCarpeta(const std::string& carpeta, const std::string& nombre) {
  std::string n = nombre;
  for (char& c : n)
    if (c == '\\') c = '/';
  size_t i = 0;
  while (i < n.size() && n[i] == '/')
    ++i;
  n.erase(0, i);
  std::string c = SinSeparadorFinal(carpeta);
  AsegurarCarpeta(c);
  return Unir(c, n);
}
