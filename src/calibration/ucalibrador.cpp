#include "calibration/ucalibrador.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <exception>
#include <iostream>
#include <mutex>
#include <random>
#include <thread>

#include "empirical/uparques_modeloempirico.h"
#include "farm/ucarpetas.h"
#include "farm/uparques_modeloteorico.h"
#include "num/fddp.h"
#include "num/uauxiliares.h"
#include "num/utexto_archivos.h"

namespace {

constexpr double RHO_ESTANDAR = 1.225;
constexpr int SEMILLA_OBJETIVO = 31;
constexpr int DIRECCIONES_OBJETIVO = 5;
constexpr int VELOCIDADES_POR_DIRECCION = 5;
constexpr int SECTORES_METHA = 72;

std::mt19937_64& GeneradorGlobal() {
  static std::mt19937_64 g(5489u);
  return g;
}

} // namespace

double AleatorioGlobal() {
  // 53 random bits: a uniform value in [0, 1).
  return double(GeneradorGlobal()() >> 11) * 0x1.0p-53;
}

void SemillaAleatorioGlobal(unsigned long long semilla) {
  GeneradorGlobal().seed(semilla);
}

void SemillaAleatorioGlobalDesdeReloj() {
  const auto t = std::chrono::system_clock::now().time_since_epoch();
  SemillaAleatorioGlobal(
      static_cast<unsigned long long>(std::chrono::duration_cast<std::chrono::nanoseconds>(t).count()));
}

void LeerConUbicacion(TLectorTexto& f, const std::function<void()>& leer) {
  try {
    leer();
  } catch (const Exception& e) {
    const std::string m = e.what();
    if (m.find(f.Archivo()) != std::string::npos) throw;
    f.Error(m);
  } catch (const std::exception& e) {
    f.Error(e.what());
  }
}

void ActualizarCopiaSinGrilla(TParque_ModeloTeorico& copia, TParque_ModeloTeorico& original) {
  // Both grids step aside (swapped with empty ones) so that the assignment copies no cell.
  TGrillaRotada grillaOriginal, grillaCopia;
  std::swap(grillaOriginal, original.grilla);
  std::swap(grillaCopia, copia.grilla);
  try {
    copia = original;
  } catch (...) {
    std::swap(grillaOriginal, original.grilla);
    throw;
  }
  std::swap(grillaOriginal, original.grilla);
  std::swap(grillaCopia, copia.grilla);
  copia.grilla_valida = false;
}

void EjecutarEnCopias(TParque_ModeloTeorico& original, int nTareas, int nHilos,
                      const std::function<void(TParque_ModeloTeorico&, int)>& tarea,
                      const std::function<void()>& progreso) {
  std::vector<std::unique_ptr<TParque_ModeloTeorico>> copias;
  EjecutarEnCopias(original, nTareas, nHilos, tarea, progreso, copias);
}

void EjecutarEnCopias(TParque_ModeloTeorico& original, int nTareas, int nHilos,
                      const std::function<void(TParque_ModeloTeorico&, int)>& tarea,
                      const std::function<void()>& progreso,
                      std::vector<std::unique_ptr<TParque_ModeloTeorico>>& copias) {
  if (nTareas <= 0) return;
  // The tasks read back only turbine and station values: their passes keep no grid, so each pass
  // stays in cache. The original gets its own setting back when the tasks end.
  struct TSinGrilla {
    TParque_ModeloTeorico& m;
    bool previo;
    explicit TSinGrilla(TParque_ModeloTeorico& m) : m(m), previo(m.guardarGrilla) { m.guardarGrilla = false; }
    ~TSinGrilla() { m.guardarGrilla = previo; }
  } sinGrilla(original);
  const int nOtros = std::clamp(nHilos, 1, nTareas) - 1;
  if (nOtros == 0) {
    for (int i = 0; i < nTareas; ++i) {
      tarea(original, i);
      if (progreso) progreso();
    }
    return;
  }
  // Tasks 0 .. nTareas - 2 are shared out on demand; the last one is kept for the original.
  const int nRepartidas = nTareas - 1;
  for (auto& c : copias)
    ActualizarCopiaSinGrilla(*c, original);
  while (int(copias.size()) < nOtros)
    copias.push_back(original.Create_Copia());
  for (auto& c : copias)
    c->guardarGrilla = false;

  std::atomic<int> siguiente{0};
  std::atomic<bool> abortar{false};
  std::mutex mError;
  std::exception_ptr primerError;
  auto registrar = [&](std::exception_ptr e) {
    std::lock_guard<std::mutex> l(mError);
    if (!primerError) primerError = e;
    abortar = true;
  };
  auto trabajar = [&](TParque_ModeloTeorico& modelo, bool principal) {
    try {
      for (;;) {
        if (abortar) return;
        const int i = siguiente.fetch_add(1);
        if (i >= nRepartidas) return;
        tarea(modelo, i);
        if (principal && progreso) progreso();
      }
    } catch (...) {
      registrar(std::current_exception());
    }
  };

  std::vector<std::thread> hilos;
  hilos.reserve(size_t(nOtros));
  try {
    for (int h = 0; h < nOtros; ++h)
      hilos.emplace_back(trabajar, std::ref(*copias[size_t(h)]), false);
  } catch (...) {
    registrar(std::current_exception());
  }
  trabajar(original, true);
  for (auto& t : hilos)
    t.join();
  if (primerError) std::rethrow_exception(primerError);
  tarea(original, nTareas - 1);
  if (progreso) progreso();
}

// ------------------------------------------------------------------------------------------------
// Construction, files
// ------------------------------------------------------------------------------------------------

TCalibradorParque::TCalibradorParque(TParque_ModeloTeorico& modeloTeorico, const std::string& archivoSeries,
                                     int PorcentajeAjusteInf, int PorcentajeAjusteSup, bool conReportes)
    : ModeloTeorico(&modeloTeorico) {
  ModeloEmpirico = TParque_ModeloEmpirico::Create(modeloTeorico, archivoSeries, PorcentajeAjusteInf,
                                                  PorcentajeAjusteSup, conReportes);
  TomarParametros();
}

std::unique_ptr<TCalibradorParque> TCalibradorParque::Create(TParque_ModeloTeorico& modeloTeorico,
                                                             const std::string& archivoSeries,
                                                             int PorcentajeAjusteInf, int PorcentajeAjusteSup,
                                                             bool conReportes) {
  return std::make_unique<TCalibradorParque>(modeloTeorico, archivoSeries, PorcentajeAjusteInf,
                                             PorcentajeAjusteSup, conReportes);
}

namespace {

// The empirical block must describe one table shape: nS sectors by nB bands.
void ValidarBloqueEmpirico(TLectorTexto& f, const TParque_ModeloEmpirico& me) {
  const int nS = me.A0.nf();
  const int nB = me.BandasPv3.n() - 1;
  auto forma = [&](const TMatR& m, const char* nombre) {
    if (m.nf() != nS || m.nc() != nB)
      f.Error(std::string("la tabla ") + nombre + " del modelo empírico tiene " + std::to_string(m.nf()) +
              " x " + std::to_string(m.nc()) + " elementos y se esperaban " + std::to_string(nS) + " x " +
              std::to_string(nB));
  };
  auto largo = [&](const TVectR& v, int n, const char* nombre) {
    if (v.n() != n)
      f.Error(std::string("el vector ") + nombre + " del modelo empírico tiene " + std::to_string(v.n()) +
              " elementos y se esperaban " + std::to_string(n));
  };
  if (nS < 1 || nB < 1)
    f.Error("el modelo empírico no tiene sectores o bandas (" + std::to_string(nS) + " sectores, " +
            std::to_string(nB) + " bandas)");
  forma(me.Peso, "Peso");
  forma(me.A1, "A1");
  forma(me.F0, "F0");
  largo(me.Pv3Medio, nB, "Pv3Medio");
  largo(me.alfa, nS, "alfa");
  largo(me.vm, nS, "vm");
}

} // namespace

TCalibradorParque::TCalibradorParque(TLectorTexto& f) {
  LeerConUbicacion(f, [&] {
    ModeloTeoricoPropio = TParque_ModeloTeorico::Create_LoadFromText(f);
    ModeloTeorico = ModeloTeoricoPropio.get();
    ModeloEmpirico = TParque_ModeloEmpirico::CreateLoadFromText(f, *ModeloTeorico);
  });
  ValidarBloqueEmpirico(f, *ModeloEmpirico);
  TomarParametros();
}

std::unique_ptr<TCalibradorParque> TCalibradorParque::CreateLoadFromText(TLectorTexto& f) {
  return std::unique_ptr<TCalibradorParque>(new TCalibradorParque(f));
}

std::unique_ptr<TCalibradorParque> TCalibradorParque::CreateLoadFromFile(const std::string& archivo) {
  TEnFormatosDB formatos;
  TLectorTexto f(archivo);
  return CreateLoadFromText(f);
}

TCalibradorParque::TCalibradorParque(const TCalibradorParque& otro)
    : ModeloTeoricoPropio(otro.ModeloTeorico->Create_Copia()), ModeloTeorico(ModeloTeoricoPropio.get()),
      Parametros(otro.Parametros), ParametrosCandidatos(otro.ParametrosCandidatos), fo(otro.fo),
      foCandidato(otro.foCandidato), Amplitud(otro.Amplitud), HilosObjetivo(otro.HilosObjetivo) {
  ModeloEmpirico = otro.ModeloEmpirico->Create_CopiaTablas(*ModeloTeorico);
  PtrsParametros = ModeloTeorico->ParametrosCalibrables();
}

TCalibradorParque::~TCalibradorParque() = default;

void TCalibradorParque::TomarParametros() {
  PtrsParametros = ModeloTeorico->ParametrosCalibrables();
  Parametros.assign(PtrsParametros.size(), 0.0);
  ParametrosCandidatos.assign(PtrsParametros.size(), 0.0);
  LeerParametros(Parametros);
}

void TCalibradorParque::WriteToText(TEscritorTexto& f) const {
  ModeloTeorico->SaveToText(f);
  ModeloEmpirico->WriteToText(f);
}

void TCalibradorParque::SaveToFile(const std::string& archivo) const {
  TEnFormatosDB formatos;
  TEscritorTexto f(archivo);
  WriteToText(f);
  f.Cerrar();
}

// ------------------------------------------------------------------------------------------------
// Parameters and objective
// ------------------------------------------------------------------------------------------------

void TCalibradorParque::LeerParametros(TDAofNReal& p) const {
  p.resize(PtrsParametros.size());
  for (size_t i = 0; i < PtrsParametros.size(); ++i)
    p[i] = *PtrsParametros[i];
}

void TCalibradorParque::EscribirParametros(const TDAofNReal& p) {
  for (size_t i = 0; i < PtrsParametros.size(); ++i)
    *PtrsParametros[i] = p[i];
}

double TCalibradorParque::FuncionObjetivo(int semilla, const TDAofNReal& p) {
  EscribirParametros(p);

  // The 25 conditions, drawn in order: each direction just before its five speeds.
  constexpr int nCond = DIRECCIONES_OBJETIVO * VELOCIDADES_POR_DIRECCION;
  std::array<double, nCond> dir{}, pd{}, Pe{}, Pt{};
  {
    TMadreUniforme generador(semilla);
    int c = 0;
    for (int i = 0; i < DIRECCIONES_OBJETIVO; ++i) {
      const double d = 360.0 * generador.sortear();
      for (int j = 0; j < VELOCIDADES_POR_DIRECCION; ++j, ++c) {
        const double v = 12.0 * generador.sortear() + 3.0;
        dir[size_t(c)] = d;
        pd[size_t(c)] = DensidadPotencia(v, RHO_ESTANDAR);
      }
    }
  }
  for (int c = 0; c < nCond; ++c)
    Pe[size_t(c)] = ModeloEmpirico->PotenciaCurvaS(dir[size_t(c)], pd[size_t(c)], RHO_ESTANDAR);

  EjecutarEnCopias(
      *ModeloTeorico, nCond, HilosObjetivo,
      [&](TParque_ModeloTeorico& mt, int c) {
        mt.Preparar(false, dir[size_t(c)], pd[size_t(c)], RHO_ESTANDAR);
        Pt[size_t(c)] = mt.ResolverMeteo(RHO_ESTANDAR, pd[size_t(c)], mt.potencia_autorizada_mw);
      },
      {}, copiasObjetivo_);

  double suma = 0;
  for (int c = 0; c < nCond; ++c) {
    const double d = Pe[size_t(c)] - Pt[size_t(c)];
    suma = suma + d * d;
  }
  return suma;
}

void TCalibradorParque::Perturbar(const TDAofNInt& L) {
  auto candidato = [&](size_t i) {
    const double u = AleatorioGlobal();
    const double cand = double(float((u - 0.5) * 2.0 * 0.1 * Amplitud + Parametros[i]));
    ParametrosCandidatos[i] = cand > 0 ? cand : 0.0;
  };
  if (L.empty()) {
    for (size_t i = 0; i < Parametros.size(); ++i)
      candidato(i);
    return;
  }
  ParametrosCandidatos = Parametros;
  for (int i : L) {
    if (i < 0 || size_t(i) >= Parametros.size())
      throw Exception("Índice de parámetro fuera de rango: " + std::to_string(i) + " (hay " +
                      std::to_string(Parametros.size()) + " parámetros)");
    candidato(size_t(i));
  }
}

// ------------------------------------------------------------------------------------------------
// Search
// ------------------------------------------------------------------------------------------------

std::string TCalibradorParque::ArchivoInstantanea(const TDAofNInt& L, int mejoras) const {
  std::string etiqueta;
  for (int i : L) {
    char h[16];
    std::snprintf(h, sizeof h, "%02X", unsigned(i)); // at least two digits
    etiqueta += h;
  }
  return ArchivoEnCarpeta(CarpetaBasura(),
                          "calibrado_" + ModeloTeorico->nombre + etiqueta + std::to_string(mejoras) + ".clp");
}

double TCalibradorParque::Calibrar(const TDAofNInt& L) {
  return CalibrarCon(L, [this](const TDAofNReal& p) { return FuncionObjetivo(SEMILLA_OBJETIVO, p); });
}

double TCalibradorParque::CalibrarCon(const TDAofNInt& L, const TObjetivo& objetivo) {
  SemillaAleatorioGlobalDesdeReloj();
  fo = objetivo(Parametros);
  Amplitud = 1.0;
  int fallos = 0, mejoras = 0, reducciones = 0;
  while (reducciones < 10) {
    std::cout << EnteroATexto(reducciones, 6) << ", E:" << RealATextoFijo(Amplitud, 4, 6)
              << ", fo: " << RealATextoFijo(fo, 4, 6) << ", cntfs: " << EnteroATexto(fallos, 6) << std::endl;
    Perturbar(L);
    foCandidato = objetivo(ParametrosCandidatos);
    if (foCandidato < fo) {
      std::swap(Parametros, ParametrosCandidatos);
      fo = foCandidato;
      fallos = 0;
      ++mejoras;
      // The snapshot stores the new best values (the objective of Calibrar has just written them into
      // the model; any other objective may not have).
      EscribirParametros(Parametros);
      SaveToFile(ArchivoInstantanea(L, mejoras));
    } else {
      ++fallos;
    }
    if (fallos >= 10) {
      Amplitud = Amplitud * 0.7;
      fallos = 0;
      ++reducciones;
    }
  }
  EscribirParametros(Parametros);
  return fo;
}

// ------------------------------------------------------------------------------------------------
// Simple station correction and curve comparison
// ------------------------------------------------------------------------------------------------

TMatR TCalibradorParque::CalibrarSimpleEthaMeteo() {
  TParque_ModeloTeorico& mt = *ModeloTeorico;
  const TParque_ModeloEmpirico& me = *ModeloEmpirico;
  const int n = me.nSectores();
  if (n < SECTORES_METHA)
    throw Exception("La calibración simple de EthaMeteo necesita " + std::to_string(SECTORES_METHA) +
                    " sectores de dirección y el modelo empírico tiene " + std::to_string(n));
  if (!mt.curva_parque) throw Exception("La central " + std::to_string(mt.nid_central) + " no tiene molinos");
  const double P80 = 0.8 * mt.curva_parque->potencia_max;
  if (P80 > mt.potencia_autorizada_mw)
    throw Exception(
        "La calibración simple de EthaMeteo busca el 80 % de la potencia de la curva del parque (" +
        RealATextoGeneral(P80) + " MW), que supera la potencia autorizada de " +
        RealATextoGeneral(mt.potencia_autorizada_mw) + " MW");

  TMatR resultado(SECTORES_METHA, 1);
  TEscritorTexto f(ArchivoEnCarpeta(CarpetaCentral(mt.nid_central), "Metha.txt"));
  f.Escribir("sector\tvelocidad\n");
  for (int i = 1; i <= SECTORES_METHA; ++i) {
    std::cout << i << " " << std::flush;
    f.Escribir("\n" + std::to_string(i));
    const double v_e = me.VelocidadCurvaS(i, P80);
    const double pd = DensidadPotencia(v_e, RHO_ESTANDAR);
    const double d = (i - 1) * 360.0 / n;
    mt.Preparar(true, d, pd, RHO_ESTANDAR);
    double dpLibre = 0;
    const double v_t = mt.VientoParaPotencia(P80, dpLibre);
    const double r = v_e / v_t;
    const double etha = r * r * r;
    resultado.pon_e(i, 1, etha);
    f.Escribir("\t" + RealATextoGeneral(etha));
  }
  std::cout << std::flush; // the sector numbers stay on one open console line
  f.Cerrar();
  return resultado;
}

void TCalibradorParque::CompararCurvas(const std::string& archivo) const {
  TEnFormatosDB formatos;
  const TParque_ModeloEmpirico& me = *ModeloEmpirico;
  const TParque_ModeloTeorico& mt = *ModeloTeorico;
  TEscritorTexto f(archivo);
  std::string linea;
  for (int k = 0; k <= 40; ++k)
    linea += "\t" + RealATextoFijo(k * 0.5, 3, 12);
  f.EscribirLinea(linea);
  const int n = me.nSectores();
  for (int j = 1; j <= n; ++j) {
    const double dir = (j - 1) * 360.0 / n;
    linea = RealATexto(dir);
    for (int k = 0; k <= 40; ++k) {
      const double pd = DensidadPotencia(k * 0.5, RHO_ESTANDAR);
      linea += "\t" + RealATexto(me.PotenciaRepresentantes(dir, pd, RHO_ESTANDAR).P);
    }
    f.EscribirLinea(linea);
  }
  linea = "A0";
  for (int k = 0; k <= 40; ++k) {
    const double pd = DensidadPotencia(k * 0.5, RHO_ESTANDAR);
    const double P = mt.molinos.empty() ? 0.0 : mt.molinos[0].curva.PotenciaDeDp(pd) * mt.n_molinos;
    linea += "\t" + RealATexto(P);
  }
  f.EscribirLinea(linea);
  f.Cerrar();
}
