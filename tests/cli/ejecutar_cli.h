#pragma once
// Runs aurvend-cli as a separate process and captures its exit status, standard output and standard
// error (the latter through a file of this process in the test base folder).
#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace cli_prueba {

struct TSalidaCli {
  int estado = -1;    // exit status, -1 when the process did not exit normally
  std::string salida; // standard output
  std::string error;  // standard error
  std::vector<std::string> lineas() const {
    std::vector<std::string> l;
    std::istringstream is(salida);
    for (std::string x; std::getline(is, x);)
      l.push_back(x);
    return l;
  }
};

// A shell word holding `s` verbatim.
inline std::string Citar(const std::string& s) {
  std::string r = "'";
  for (char c : s)
    r += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return r + "'";
}

// `argumentos` is appended to the program's path as shell text (quote file names with Citar).
inline TSalidaCli EjecutarCli(const std::string& argumentos) {
  const char* base = std::getenv("AURVEND_BASE");
  const std::filesystem::path carpeta = base ? base : "/tmp";
  std::filesystem::create_directories(carpeta);
  const std::string archivoError = (carpeta / ("cli_stderr_" + std::to_string(::getpid()) + ".txt")).string();
  TSalidaCli s;
  FILE* p =
      ::popen((std::string(AURVEND_CLI_PATH) + " " + argumentos + " 2>" + Citar(archivoError)).c_str(), "r");
  if (!p) return s;
  std::array<char, 4096> buf;
  size_t n;
  while ((n = std::fread(buf.data(), 1, buf.size(), p)) > 0)
    s.salida.append(buf.data(), n);
  const int st = ::pclose(p);
  s.estado = WIFEXITED(st) ? WEXITSTATUS(st) : -1;
  std::ifstream fe(archivoError);
  std::stringstream ss;
  ss << fe.rdbuf();
  s.error = ss.str();
  std::filesystem::remove(archivoError);
  return s;
}

// The same run with standard output split into lines.
struct TSalidaLineas {
  int estado = -1;
  std::vector<std::string> lineas;
  std::string error;
};

inline TSalidaLineas EjecutarCliLineas(const std::string& argumentos) {
  const TSalidaCli r = EjecutarCli(argumentos);
  return {r.estado, r.lineas(), r.error};
}

} // namespace cli_prueba
