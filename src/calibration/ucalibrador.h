#pragma once
// Farm calibrator: pairs the theoretical (wake-grid) model of one farm with the empirical model
// learnt from its measured series, tunes the theoretical model's adjustable parameters against the
// empirical farm power, derives a one-pass station correction table, and stores both models in one
// calibrator file (.clp: the farm-model block, then the empirical block).
//
// Invariants:
// - PtrsParametros, Parametros and ParametrosCandidatos always have the same length: one entry per
//   adjustable parameter of the theoretical model (its ParametrosCalibrables: the station factor
//   table entries, then factor_perdidas as the last entry).
// - The calibrator owns its empirical model. The theoretical model is shared with the caller when
//   the calibrator is built from one (the caller keeps it alive); a calibrator read from a file or
//   copied owns its own theoretical model. The empirical model always reads the farm held here.
// - After Calibrar returns, the theoretical model holds Parametros.
// - FuncionObjetivo depends only on the seed and the parameters: its 25 wind conditions come from a
//   fresh seeded generator on every call. Its conditions run on HilosObjetivo threads, each on its
//   own copy of the theoretical model; the result is bit-identical to a sequential evaluation.
// - A copy is deep: it owns copies of both models and can run on another thread than the original.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "num/matreal.h"
#include "num/xmatdefs.h"

class TParque_ModeloTeorico;
class TParque_ModeloEmpirico;
class TLectorTexto;
class TEscritorTexto;

// The process-wide uniform generator (values in [0, 1)) that perturbs the candidates. Calibrar seeds
// it from the clock; tests may seed it to repeat a sequence.
double AleatorioGlobal();
void SemillaAleatorioGlobal(unsigned long long semilla);
void SemillaAleatorioGlobalDesdeReloj();

class TCalibradorParque {
  // Declared first so that it is released last: the empirical model reads this farm.
  std::unique_ptr<TParque_ModeloTeorico> ModeloTeoricoPropio;

public:
  // Builds the empirical model from the series file with the two S-curve fit percentages (writing its
  // reports and charts unless `conReportes` is false), keeps the theoretical model (not owned) and
  // reads its current parameters into Parametros.
  TCalibradorParque(TParque_ModeloTeorico& ModeloTeorico, const std::string& archivoSeries,
                    int PorcentajeAjusteInf, int PorcentajeAjusteSup, bool conReportes = true);
  static std::unique_ptr<TCalibradorParque> Create(TParque_ModeloTeorico& ModeloTeorico,
                                                   const std::string& archivoSeries, int PorcentajeAjusteInf,
                                                   int PorcentajeAjusteSup, bool conReportes = true);
  // Reads the farm-model block, then the empirical block; the calibrator owns the farm it read.
  // Errors name the file and the line; nothing is left half-built.
  static std::unique_ptr<TCalibradorParque> CreateLoadFromText(TLectorTexto& f);
  // Opens the file and reads it inside the file number format.
  static std::unique_ptr<TCalibradorParque> CreateLoadFromFile(const std::string& archivo);

  TCalibradorParque(const TCalibradorParque& otro); // deep copy (owns copies of both models)
  TCalibradorParque& operator=(const TCalibradorParque&) = delete;
  ~TCalibradorParque();

  // The farm-model block, then the empirical block.
  void WriteToText(TEscritorTexto& f) const;
  // Writes the calibrator file inside the file number format (temporary file renamed at the end).
  void SaveToFile(const std::string& archivo) const;

  // p[i] := *PtrsParametros[i] (p is resized to the parameter count).
  void LeerParametros(TDAofNReal& p) const;
  // *PtrsParametros[i] := p[i].
  void EscribirParametros(const TDAofNReal& p);

  // Sum over 25 seeded wind conditions of (empirical S-curve power - theoretical farm power)^2, MW^2,
  // with the theoretical model holding p (it keeps p afterwards).
  double FuncionObjetivo(int semilla, const TDAofNReal& p);
  // Fills ParametrosCandidatos: every parameter (L empty) or those listed in L (0-based indices)
  // moved by at most +-0.1 * Amplitud from Parametros, rounded to single precision, never below 0.
  void Perturbar(const TDAofNInt& L);
  // The random search with a shrinking step against FuncionObjetivo(31, .); prints one line per
  // step, saves a snapshot of every improvement in the diagnostics folder and returns the final fo.
  double Calibrar(const TDAofNInt& L);
  // The same search against any objective of the parameters (Calibrar passes FuncionObjetivo(31, .)).
  using TObjetivo = std::function<double(const TDAofNReal&)>;
  double CalibrarCon(const TDAofNInt& L, const TObjetivo& objetivo);

  // One-pass station correction: a new 72 x 1 table of (v_empirical / v_theoretical)^3 per sector,
  // also written to "Metha.txt" in the farm's folder. The calibrator's fields are not touched; the
  // caller installs the table in the theoretical model.
  TMatR CalibrarSimpleEthaMeteo();
  // Table of the empirical band-table power per sector against the sum of the turbines' curves.
  void CompararCurvas(const std::string& archivo) const;

  // Snapshot file of improvement number `mejoras` with the index-list tag.
  std::string ArchivoInstantanea(const TDAofNInt& L, int mejoras) const;

  std::unique_ptr<TParque_ModeloEmpirico> ModeloEmpirico; // owned
  TParque_ModeloTeorico* ModeloTeorico = nullptr;         // owned only when ModeloTeoricoPropio holds it
  TDAOfNRealPtr PtrsParametros;
  TDAofNReal Parametros;
  TDAofNReal ParametrosCandidatos;
  double fo = 0;
  double foCandidato = 0;
  double Amplitud = 1.0;

  // Threads that evaluate the 25 conditions of FuncionObjetivo (1: sequential on the model itself).
  int HilosObjetivo = 2;

  bool PoseeModeloTeorico() const { return ModeloTeoricoPropio != nullptr; }

  // Takes the parameter list from the theoretical model, sizes the arrays and reads the current
  // values into Parametros. Run it again after replacing the model's station factor table (the old
  // references die with the old table).
  void TomarParametros();

protected:
  // Reads the two blocks of a calibrator file (the combined model reads its table after them).
  explicit TCalibradorParque(TLectorTexto& f);

private:
  // Working copies of the theoretical model for the other threads of FuncionObjetivo, brought up to
  // date with the model before every evaluation (their grid storage is reused, never copied).
  std::vector<std::unique_ptr<TParque_ModeloTeorico>> copiasObjetivo_;
};

// Runs tarea(modelo, i) for i = 0 .. nTareas - 1 on nHilos threads: the calling thread works on
// `original`, each other thread on its own copy of it (made before the threads start). The last task
// runs on `original` after every other task of the calling thread, so the original ends in the state
// a sequential run leaves. progreso() runs on the calling thread after each of its tasks. The first
// failure of any task is raised once every thread has stopped.
void EjecutarEnCopias(TParque_ModeloTeorico& original, int nTareas, int nHilos,
                      const std::function<void(TParque_ModeloTeorico&, int)>& tarea,
                      const std::function<void()>& progreso = {});
// The same with copies kept by the caller between calls: missing ones are created, existing ones are
// brought up to date with `original` (all but the wake grid's contents, which every task lays again).
void EjecutarEnCopias(TParque_ModeloTeorico& original, int nTareas, int nHilos,
                      const std::function<void(TParque_ModeloTeorico&, int)>& tarea,
                      const std::function<void()>& progreso,
                      std::vector<std::unique_ptr<TParque_ModeloTeorico>>& copias);
// Brings `copia` to the state of `original` except the wake grid, whose storage the copy keeps.
void ActualizarCopiaSinGrilla(TParque_ModeloTeorico& copia, TParque_ModeloTeorico& original);

// Runs `leer` and turns any failure into the reader's error naming the file and the line (messages
// that already name the file pass unchanged).
void LeerConUbicacion(TLectorTexto& f, const std::function<void()>& leer);
