// aurvend-cli: the batch front end over the same workflows as the main window.
#include <cstdio>
#include <iostream>

#include "cli/comandos.h"
#include "num/uauxiliares.h"
#include "num/xmatdefs.h"

namespace cli {

std::map<std::string, TComando>& Comandos() {
  static std::map<std::string, TComando> comandos;
  return comandos;
}

TRegistroComando::TRegistroComando(std::string nombre, std::string ayuda, TFuncionComando f) {
  Comandos()[nombre] = TComando{nombre, std::move(ayuda), std::move(f)};
}

TOpciones::TOpciones(const TArgs& args, const std::vector<std::string>& conValor,
                     const std::vector<std::string>& banderas) {
  auto esDe = [](const std::vector<std::string>& v, const std::string& s) {
    for (const auto& x : v)
      if (x == s) return true;
    return false;
  };
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a.size() > 2 && a.compare(0, 2, "--") == 0) {
      std::string nombre = a.substr(2);
      if (esDe(conValor, nombre)) {
        if (i + 1 >= args.size()) throw Exception("Falta el valor de la opción --" + nombre);
        valores_[nombre] = args[++i];
      } else if (esDe(banderas, nombre)) {
        valores_[nombre] = "";
      } else {
        throw Exception("Opción desconocida: " + a);
      }
    } else {
      posicionales_.push_back(a);
    }
  }
}

bool TOpciones::tiene(const std::string& nombre) const { return valores_.count(nombre) > 0; }

std::string TOpciones::texto(const std::string& nombre) const {
  auto it = valores_.find(nombre);
  if (it == valores_.end()) throw Exception("Falta la opción obligatoria --" + nombre);
  return it->second;
}

std::string TOpciones::texto(const std::string& nombre, const std::string& def) const {
  return tiene(nombre) ? texto(nombre) : def;
}

double TOpciones::real(const std::string& nombre) const { return StrToReal(texto(nombre)); }
double TOpciones::real(const std::string& nombre, double def) const {
  return tiene(nombre) ? real(nombre) : def;
}
int TOpciones::entero(const std::string& nombre) const { return StrToInt(texto(nombre)); }
int TOpciones::entero(const std::string& nombre, int def) const {
  return tiene(nombre) ? entero(nombre) : def;
}

std::string RealCLI(double x) { return RealATexto(x); }

} // namespace cli

static void Ayuda() {
  std::cout << "aurvend-cli: estimación de la producción de parques eólicos (procesos por lotes)\n\n"
               "Uso: aurvend-cli COMANDO [opciones]\n\nComandos:\n";
  for (const auto& [nombre, c] : cli::Comandos()) std::cout << c.ayuda << "\n";
  std::cout << "  --help            muestra esta ayuda\n";
}

int main(int argc, char** argv) {
  std::ios::sync_with_stdio(true);
  LeerFormatosDelSistema();
  GuardarFormatosUsuario();
  if (argc < 2 || std::string(argv[1]) == "--help" || std::string(argv[1]) == "-h" ||
      std::string(argv[1]) == "ayuda") {
    Ayuda();
    return argc < 2 ? 1 : 0;
  }
  // A family may register "familia subcomando" entries ("mt simular") or one entry for the word.
  int consumidos = 1;
  auto it = cli::Comandos().end();
  if (argc >= 3) {
    it = cli::Comandos().find(std::string(argv[1]) + " " + argv[2]);
    if (it != cli::Comandos().end()) consumidos = 2;
  }
  if (it == cli::Comandos().end()) it = cli::Comandos().find(argv[1]);
  if (it == cli::Comandos().end()) {
    std::cerr << "Comando desconocido: " << argv[1] << " (aurvend-cli --help lista los comandos)\n";
    return 1;
  }
  try {
    cli::TArgs args(argv + 1 + consumidos, argv + argc);
    int rc = it->second.funcion(args);
    std::cout.flush();
    return rc;
  } catch (const std::exception& e) {
    std::cout.flush();
    std::cerr << e.what() << "\n";
    return 1;
  }
}
