// Working folders and file names: the base folder, farm folders and files, diagnostics folder,
// report names, and creation of missing folders.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <unistd.h>

#include "farm/ucarpetas.h"
#include "num/xmatdefs.h"

namespace fs = std::filesystem;

namespace {

// Points AURVEND_BASE (and HOME) at a fresh temporary tree for one test and restores them after.
class Carpetas : public ::testing::Test {
protected:
  void SetUp() override {
    raiz_ = fs::temp_directory_path() / ("aurvend_carpetas_" + std::to_string(::getpid()));
    fs::remove_all(raiz_);
    fs::create_directories(raiz_);
    Guardar("AURVEND_BASE", base_);
    Guardar("HOME", home_);
  }
  void TearDown() override {
    Restaurar("AURVEND_BASE", base_);
    Restaurar("HOME", home_);
    fs::remove_all(raiz_);
  }
  static void Guardar(const char* var, std::pair<bool, std::string>& g) {
    const char* v = std::getenv(var);
    g = {v != nullptr, v ? v : ""};
  }
  static void Restaurar(const char* var, const std::pair<bool, std::string>& g) {
    if (g.first)
      ::setenv(var, g.second.c_str(), 1);
    else
      ::unsetenv(var);
  }
  std::string Base(const std::string& rel) {
    std::string b = (raiz_ / rel).string();
    ::setenv("AURVEND_BASE", b.c_str(), 1);
    return b;
  }
  fs::path raiz_;
  std::pair<bool, std::string> base_, home_;
};

TEST_F(Carpetas, FileNamesOfAFarmAndItsFolder) {
  std::string b = Base("a/b/modelado"); // parents missing too
  struct Caso {
    std::string nombre, esperado;
  } casos[] = {
      {ArchiModeloMT(7), b + "/c7/c7_parque_mt.pmt"},
      {ArchiModeloMC(7), b + "/c7/c7.pmc"},
      {ArchiCalibrador(7), b + "/c7/c7_calibrador.clp"},
      {ArchiCentral(7, SUFIJO_SERIES10MIN), b + "/c7/c7_series10min.sas"},
      {ArchiCentral(7, SUFIJO_SERIES10MIN), b + "/c7/c7_series10min.sas"}, // asked twice: same name
      {ArchiModeloMT(1000012), b + "/c1000012/c1000012_parque_mt.pmt"},    // a merged farm's own folder
      {CarpetaCentral(42), b + "/c42"},
      {CarpetaBasura(), b + "/basura"},
      {ArchivoEnCarpeta(CarpetaCentral(7), "\\curvas_s_.xlt"), b + "/c7/curvas_s_.xlt"},
      {ArchivoEnCarpeta(b + "/informes/", "/series_filtradas.xlt"), b + "/informes/series_filtradas.xlt"},
      {ArchiEnCarpeta(b + "/otra", 7, "_Restricciones_horarias.xlt"),
       b + "/otra/c7_Restricciones_horarias.xlt"},
  };
  for (const Caso& c : casos) {
    EXPECT_EQ(c.nombre, c.esperado);
    EXPECT_TRUE(fs::is_directory(fs::path(c.esperado).parent_path())) << c.esperado;
  }
  EXPECT_TRUE(fs::is_directory(b + "/c1000012"));
}

TEST_F(Carpetas, DefaultBaseUnderHome) {
  ::unsetenv("AURVEND_BASE");
  std::string home = (raiz_ / "casa").string();
  ::setenv("HOME", home.c_str(), 1);
  EXPECT_EQ(CarpetaBase(), home + "/zorvek/modelado_ro");
  EXPECT_EQ(ArchiModeloMT(7), home + "/zorvek/modelado_ro/c7/c7_parque_mt.pmt");
  EXPECT_TRUE(fs::is_directory(home + "/zorvek/modelado_ro/c7"));
}

TEST_F(Carpetas, AFolderThatCannotBeCreatedIsNamed) {
  std::ofstream(raiz_ / "archivo") << "no soy una carpeta";
  std::string b = Base("archivo/modelado");
  try {
    CarpetaCentral(7);
    FAIL() << "sin error";
  } catch (const Exception& e) {
    std::string m = e.what();
    EXPECT_EQ(m.rfind("No puedo crear la carpeta: " + b + "/c7", 0), 0u) << m;
  }
}

} // namespace
