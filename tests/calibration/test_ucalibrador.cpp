// The farm calibrator: perturbation, the seeded objective, the search, the calibrator file, the simple
// station correction.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "calibration/comun_calibrador.h"
#include "calibration/ucalibrador.h"
#include "empirical/uparques_modeloempirico.h"
#include "farm/ucarpetas.h"
#include "farm/uparques_modeloteorico.h"
#include "generador/generador_series.h"
#include "num/fddp.h"
#include "num/uauxiliares.h"
#include "num/utexto_archivos.h"

namespace {

namespace fs = std::filesystem;

// A calibrator of the fast farm with 3 station-factor columns: 4 parameters (3 factors, the losses).
std::unique_ptr<TCalibradorParque> CalibradorRapido(const std::string& nombre = "cal_rapido.clp",
                                                    int nid = 61) {
  return TCalibradorParque::CreateLoadFromFile(fixture::ClpRapido(nombre, 3, {}, nid));
}

int ContarSnapshots(const std::string& prefijo) {
  int n = 0;
  for (const auto& e : fs::directory_iterator(CarpetaBasura()))
    if (e.path().filename().string().rfind(prefijo, 0) == 0) ++n;
  return n;
}

void BorrarSnapshots(const std::string& prefijo) {
  for (const auto& e : fs::directory_iterator(CarpetaBasura()))
    if (e.path().filename().string().rfind(prefijo, 0) == 0) fs::remove(e.path());
}

} // namespace

TEST(Calibrador, TakesTheFarmParametersStationFactorsThenLosses) {
  auto cal = CalibradorRapido();
  ASSERT_EQ(cal->Parametros.size(), 4u);
  EXPECT_EQ(cal->ParametrosCandidatos.size(), 4u);
  EXPECT_EQ(cal->PtrsParametros.back(), &cal->ModeloTeorico->factor_perdidas);
  EXPECT_EQ(cal->Parametros, (TDAofNReal{1, 1, 1, 0.035}));
  EXPECT_TRUE(cal->PoseeModeloTeorico());
}

TEST(Calibrador, PerturbarMovesTheListedParametersWithinTheStepAndNeverBelowZero) {
  auto cal = CalibradorRapido();
  SemillaAleatorioGlobal(7);
  cal->Amplitud = 0.5;
  cal->Parametros = {1.0, 0.0, 2.0, 0.035};
  for (int vez = 0; vez < 200; ++vez) {
    cal->ParametrosCandidatos = {-9, -9, -9, -9};
    cal->Perturbar({});
    for (size_t i = 0; i < 4; ++i) {
      const double c = cal->ParametrosCandidatos[i];
      EXPECT_GE(c, 0.0);
      EXPECT_EQ(c, double(float(c))) << "single precision";
      if (cal->Parametros[i] > 0.05) {
        EXPECT_NE(c, cal->Parametros[i]);
        EXPECT_LE(std::fabs(c - cal->Parametros[i]), 0.05 + 1e-7);
      }
    }
  }

  // Only index 1 (the parameter at 0) moves; it can only stay at 0 or rise.
  bool subio = false;
  for (int vez = 0; vez < 200; ++vez) {
    cal->Perturbar({1});
    EXPECT_EQ(cal->ParametrosCandidatos[0], 1.0);
    EXPECT_EQ(cal->ParametrosCandidatos[2], 2.0);
    EXPECT_EQ(cal->ParametrosCandidatos[3], 0.035);
    EXPECT_GE(cal->ParametrosCandidatos[1], 0.0);
    subio = subio || cal->ParametrosCandidatos[1] > 0;
  }
  EXPECT_TRUE(subio);
  EXPECT_THROW(cal->Perturbar({4}), Exception);
}

TEST(Calibrador, ObjectiveIsTheSeededSumAndParallelEqualsSequential) {
  auto cal = CalibradorRapido();
  const TDAofNReal p = {0.95, 1.05, 1.0, 0.04};

  // The 25 conditions evaluated one by one in the draw order, on a separate copy of the farm.
  auto mt = cal->ModeloTeorico->Create_Copia();
  mt->meteo_etha.fila(1).pon_e(1, 0.95);
  mt->meteo_etha.fila(1).pon_e(2, 1.05);
  mt->factor_perdidas = 0.04;
  TMadreUniforme g(31);
  double esperado = 0;
  for (int i = 0; i < 5; ++i) {
    const double d = 360 * g.sortear();
    for (int j = 0; j < 5; ++j) {
      const double pd = DensidadPotencia(12 * g.sortear() + 3, 1.225);
      mt->Preparar(false, d, pd, 1.225);
      const double Pt = mt->ResolverMeteo(1.225, pd, 50);
      const double Pe = cal->ModeloEmpirico->PotenciaCurvaS(d, pd, 1.225);
      esperado = esperado + (Pe - Pt) * (Pe - Pt);
    }
  }

  cal->HilosObjetivo = 2;
  const double paralelo = cal->FuncionObjetivo(31, p);
  // The model keeps p, and its last wind field is the last condition's, as a sequential run leaves it.
  EXPECT_EQ(cal->ModeloTeorico->factor_perdidas, 0.04);
  EXPECT_EQ(cal->ModeloTeorico->dp_libre, mt->dp_libre);
  const double otraVez = cal->FuncionObjetivo(31, p);
  cal->HilosObjetivo = 1;
  const double secuencial = cal->FuncionObjetivo(31, p);
  EXPECT_EQ(paralelo, esperado);
  EXPECT_EQ(otraVez, paralelo);
  EXPECT_EQ(secuencial, paralelo);
  EXPECT_GT(paralelo, 0);
  EXPECT_NE(cal->FuncionObjetivo(32, p), paralelo);

  // The working copies of the other thread follow every change of the model between evaluations.
  const TDAofNReal p2 = {1.1, 0.9, 1.2, 0.02};
  cal->HilosObjetivo = 2;
  cal->FuncionObjetivo(31, p);
  cal->ModeloTeorico->alfa_terreno = 0.3;
  const double paralelo2 = cal->FuncionObjetivo(31, p2);
  cal->HilosObjetivo = 1;
  EXPECT_EQ(paralelo2, cal->FuncionObjetivo(31, p2));
  EXPECT_NE(paralelo2, paralelo);
}

TEST(Calibrador, ConstantObjectiveMakesExactly100MoreEvaluationsAndNoSnapshot) {
  auto cal = CalibradorRapido();
  cal->ModeloTeorico->nombre = "Constante";
  BorrarSnapshots("calibrado_Constante");
  const TDAofNReal inicial = cal->Parametros;
  int evaluaciones = 0;
  testing::internal::CaptureStdout();
  const double fo = cal->CalibrarCon({}, [&](const TDAofNReal&) {
    ++evaluaciones;
    return 2.5; // every candidate ties with the best: rejected
  });
  const std::string salida = testing::internal::GetCapturedStdout();
  EXPECT_EQ(evaluaciones, 101);
  EXPECT_EQ(fo, 2.5);
  EXPECT_EQ(std::count(salida.begin(), salida.end(), '\n'), 100);
  EXPECT_EQ(salida.substr(0, salida.find('\n')), "     0, E:1.0000, fo: 2.5000, cntfs:      0");
  EXPECT_NE(salida.find("     9, E:0.0404, fo: 2.5000, cntfs:      9\n"), std::string::npos);
  EXPECT_EQ(ContarSnapshots("calibrado_Constante"), 0);
  EXPECT_EQ(cal->Parametros, inicial);
  TDAofNReal enModelo;
  cal->LeerParametros(enModelo);
  EXPECT_EQ(enModelo, inicial);
}

TEST(Calibrador, ImprovementsAreKeptSnapshottedAndLeftInTheModel) {
  auto cal = CalibradorRapido();
  cal->ModeloTeorico->nombre = "Mejoras";
  BorrarSnapshots("calibrado_Mejoras");
  // Distance of parameter 1 from 0.7: the search walks towards it.
  auto objetivo = [](const TDAofNReal& p) { return std::fabs(p[1] - 0.7); };
  testing::internal::CaptureStdout();
  const double fo = cal->CalibrarCon({1}, objetivo);
  testing::internal::GetCapturedStdout();
  EXPECT_LT(fo, 0.3);
  EXPECT_EQ(fo, objetivo(cal->Parametros));
  EXPECT_EQ(cal->Parametros[0], 1.0);
  EXPECT_EQ(cal->Parametros[3], 0.035);
  TDAofNReal enModelo;
  cal->LeerParametros(enModelo);
  EXPECT_EQ(enModelo, cal->Parametros);

  // One snapshot per improvement, tagged with the index list ("01"), each a readable calibrator.
  const int n = ContarSnapshots("calibrado_Mejoras01");
  ASSERT_GE(n, 1);
  const std::string ultimo = CarpetaBasura() + "/calibrado_Mejoras01" + std::to_string(n) + ".clp";
  ASSERT_TRUE(fs::exists(ultimo));
  auto leido = TCalibradorParque::CreateLoadFromFile(ultimo);
  EXPECT_EQ(leido->Parametros, cal->Parametros);
}

TEST(Calibrador, SavedAndReloadedCalibratorAnswersExactlyAsBefore) {
  // Built from a generated series through the empirical model's own construction.
  auto parque = fixture::ParqueRapido(62);
  TParametrosGenerador pg;
  pg.nDias = 60;
  pg.semilla = 11;
  const std::string sas = ArchivoEnCarpeta(CarpetaBasura(), "cal_62.sas");
  GenerarArchivoSeries(pg, sas);
  testing::internal::CaptureStdout();
  auto cal = TCalibradorParque::Create(*parque, sas, 5, 95, false);
  testing::internal::GetCapturedStdout();
  EXPECT_FALSE(cal->PoseeModeloTeorico());
  EXPECT_EQ(cal->ModeloTeorico, parque.get());

  const std::string clp = ArchivoEnCarpeta(CarpetaBasura(), "cal_62.clp");
  cal->SaveToFile(clp);
  auto leido = TCalibradorParque::CreateLoadFromFile(clp);
  EXPECT_EQ(leido->Parametros, cal->Parametros);
  EXPECT_EQ(leido->FuncionObjetivo(31, leido->Parametros), cal->FuncionObjetivo(31, cal->Parametros));
  for (double dir : {0.0, 2.5, 93.0, 359.0})
    for (double v : {4.0, 8.5, 13.0}) {
      const double pd = DensidadPotencia(v, 1.2);
      EXPECT_EQ(leido->ModeloEmpirico->PotenciaCurvaS(dir, pd, 1.2),
                cal->ModeloEmpirico->PotenciaCurvaS(dir, pd, 1.2));
      EXPECT_EQ(leido->ModeloEmpirico->PotenciaRepresentantes(dir, pd, 1.2).P,
                cal->ModeloEmpirico->PotenciaRepresentantes(dir, pd, 1.2).P);
    }
  // Writing the loaded calibrator gives the same file.
  const std::string otra = ArchivoEnCarpeta(CarpetaBasura(), "cal_62_b.clp");
  leido->SaveToFile(otra);
  EXPECT_EQ(fixture::LeerArchivo(otra), fixture::LeerArchivo(clp));

  // A copy is independent and answers the same.
  TCalibradorParque copia(*leido);
  EXPECT_NE(copia.ModeloTeorico, leido->ModeloTeorico);
  EXPECT_EQ(copia.FuncionObjetivo(31, copia.Parametros), leido->FuncionObjetivo(31, leido->Parametros));
}

TEST(Calibrador, MalformedFilesFailNamingTheFileAndTheLine) {
  const std::string bueno = fixture::LeerArchivo(fixture::ClpRapido("cal_bueno.clp"));
  std::vector<std::string> lineas;
  {
    std::istringstream is(bueno);
    for (std::string l; std::getline(is, l);)
      lineas.push_back(l);
  }
  const size_t n = lineas.size();
  struct TCaso {
    const char* nombre;
    size_t linea; // 1-based line to damage (0: truncate after 'cortar' lines)
    std::string texto;
    size_t cortar;
  };
  const TCaso casos[] = {
      {"real ilegible en el bloque empirico", n - 3, "1.2.3x", 0},
      {"archivo truncado", 0, "", n - 40},
      {"numero de molinos ilegible", 5, "veinticinco", 0},
  };
  for (const TCaso& c : casos) {
    const std::string archivo = ArchivoEnCarpeta(CarpetaBasura(), "cal_malo.clp");
    {
      std::ofstream os(archivo, std::ios::binary);
      const size_t hasta = c.cortar ? c.cortar : n;
      for (size_t i = 0; i < hasta; ++i)
        os << (i + 1 == c.linea ? c.texto : lineas[i]) << "\r\n";
    }
    try {
      TCalibradorParque::CreateLoadFromFile(archivo);
      ADD_FAILURE() << c.nombre << ": no falló";
    } catch (const Exception& e) {
      const std::string m = e.what();
      EXPECT_NE(m.find(archivo), std::string::npos) << c.nombre << ": " << m;
      EXPECT_NE(m.find("línea"), std::string::npos) << c.nombre << ": " << m;
      if (c.linea) {
        EXPECT_NE(m.find("línea " + std::to_string(c.linea)), std::string::npos) << c.nombre << ": " << m;
      }
    }
  }
  EXPECT_THROW(TCalibradorParque::CreateLoadFromFile(CarpetaBasura() + "/no_existe.clp"), Exception);
}

TEST(Calibrador, SimpleStationCorrectionWritesMethaAndLeavesTheCalibratorAlone) {
  auto cal = CalibradorRapido();
  const TDAofNReal antes = cal->Parametros;
  testing::internal::CaptureStdout();
  const TMatR m = cal->CalibrarSimpleEthaMeteo();
  const std::string consola = testing::internal::GetCapturedStdout();
  // The sector numbers, each followed by a space, on one line left open.
  std::string sectores;
  for (int i = 1; i <= 72; ++i)
    sectores += std::to_string(i) + " ";
  EXPECT_EQ(consola, sectores);
  ASSERT_EQ(m.nf(), 72);
  ASSERT_EQ(m.nc(), 1);
  EXPECT_EQ(cal->Parametros, antes);

  // Sector 19 (90 degrees) recomputed: (v_e / v_t)^3.
  const double P80 = 0.8 * cal->ModeloTeorico->curva_parque->potencia_max;
  const double ve = cal->ModeloEmpirico->VelocidadCurvaS(19, P80);
  auto mt = cal->ModeloTeorico->Create_Copia();
  mt->Preparar(true, 90, DensidadPotencia(ve, 1.225), 1.225);
  double dpl;
  const double r = ve / mt->VientoParaPotencia(P80, dpl);
  EXPECT_EQ(m.e(19, 1), r * r * r);

  std::ifstream is(CarpetaCentral(61) + "/Metha.txt", std::ios::binary);
  std::stringstream ss;
  ss << is.rdbuf();
  const std::string t = ss.str();
  EXPECT_EQ(t.substr(0, 18), "sector\tvelocidad\n\n");
  EXPECT_EQ(std::count(t.begin(), t.end(), '\n'), 73);
  EXPECT_EQ(t.find('\r'), std::string::npos);
  EXPECT_NE(t.find("\n19\t" + RealATextoGeneral(m.e(19, 1)) + "\n"), std::string::npos);
  EXPECT_EQ(t.substr(t.rfind('\n') + 1), "72\t" + RealATextoGeneral(m.e(72, 1)));
}

TEST(Calibrador, SimpleStationCorrectionRefusesATargetAboveTheAuthorisedPower) {
  // 80 % of the 50 MW farm curve is 40 MW: above an authorised 30 MW the inverse search has no answer.
  auto cal = CalibradorRapido("cal_etha_30.clp", 64);
  cal->ModeloTeorico->potencia_autorizada_mw = 30;
  const std::string metha = CarpetaCentral(64) + "/Metha.txt";
  std::filesystem::remove(metha);
  try {
    cal->CalibrarSimpleEthaMeteo();
    ADD_FAILURE() << "no falló";
  } catch (const Exception& e) {
    EXPECT_NE(std::string(e.what()).find("supera la potencia autorizada de 30 MW"), std::string::npos)
        << e.what();
  }
  EXPECT_FALSE(std::filesystem::exists(metha));
}

TEST(Calibrador, SnapshotNamesCarryTheIndexTag) {
  auto cal = CalibradorRapido();
  EXPECT_EQ(cal->ArchivoInstantanea({}, 3), CarpetaBasura() + "/calibrado_Parque rapido3.clp");
  EXPECT_EQ(cal->ArchivoInstantanea({1, 10, 300}, 12),
            CarpetaBasura() + "/calibrado_Parque rapido010A12C12.clp");
  // The farm's name enters the name as it stands.
  cal->ModeloTeorico->nombre = "Norte/Sur";
  EXPECT_EQ(cal->ArchivoInstantanea({2}, 1), CarpetaBasura() + "/calibrado_Norte/Sur021.clp");
}

TEST(Calibrador, CurveComparisonTableHasOneLinePerSectorAndTheTurbineSum) {
  auto cal = CalibradorRapido();
  const std::string archivo = ArchivoEnCarpeta(CarpetaBasura(), "compartivacurvas.xlt");
  cal->CompararCurvas(archivo);
  std::istringstream is(fixture::LeerArchivo(archivo));
  std::vector<std::string> l;
  for (std::string x; std::getline(is, x);)
    l.push_back(x);
  ASSERT_EQ(l.size(), 74u);
  EXPECT_EQ(l[0].substr(0, 26), "\t       0.000\t       0.500");
  EXPECT_EQ(l[1].substr(0, 25), RealATexto(0) + "\t");
  EXPECT_EQ(l[73].substr(0, 3), "A0\t");
  // 10 m/s: 25 turbines of the reference curve at 1.4 MW.
  std::istringstream a0(l[73]);
  std::string celda;
  for (int k = 0; k <= 21; ++k)
    std::getline(a0, celda, '\t');
  EXPECT_NEAR(TextoANumero(celda), 35.0, 1e-9);
}
