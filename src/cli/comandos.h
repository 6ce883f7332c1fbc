#pragma once
// Registry of aurvend-cli commands. Each command family lives in its own source file and registers
// itself with static TRegistroComando objects; main() dispatches on "word1 word2" when registered,
// else on "word1", and hands the remaining arguments to the command.
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace cli {

using TArgs = std::vector<std::string>; // the arguments after the command word

// Exit status 0 on success; errors are raised as Exception and reported by main (status 1).
using TFuncionComando = std::function<int(const TArgs&)>;

struct TComando {
  std::string nombre;      // "evaluar", or family and subcommand: "mt simular", "series info"
  std::string ayuda;       // lines shown by --help, Spanish
  TFuncionComando funcion;
};

std::map<std::string, TComando>& Comandos();

struct TRegistroComando {
  TRegistroComando(std::string nombre, std::string ayuda, TFuncionComando f);
};

// Options of the form "--name value" and flags "--name". Unknown options are an error.
class TOpciones {
public:
  // `conValor`: options taking a value; `banderas`: options without one. Positional words are kept.
  TOpciones(const TArgs& args, const std::vector<std::string>& conValor,
            const std::vector<std::string>& banderas = {});
  bool tiene(const std::string& nombre) const;
  std::string texto(const std::string& nombre) const;                      // required
  std::string texto(const std::string& nombre, const std::string& def) const;
  double real(const std::string& nombre) const;                            // required
  double real(const std::string& nombre, double def) const;
  int entero(const std::string& nombre) const;
  int entero(const std::string& nombre, int def) const;
  const std::vector<std::string>& posicionales() const { return posicionales_; }

private:
  std::map<std::string, std::string> valores_;
  std::vector<std::string> posicionales_;
};

// The default real text form used for every real the CLI prints (24 characters, file form).
std::string RealCLI(double x);

} // namespace cli
