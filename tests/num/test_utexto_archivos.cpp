// Text files: line ends, line numbers in messages, and the all-or-nothing writer.
#include "num/utexto_archivos.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "num/uauxiliares.h"

namespace fs = std::filesystem;

namespace {

fs::path Carpeta(const std::string& nombre) {
  const char* base = std::getenv("AURVEND_BASE");
  fs::path p = fs::path(base ? base : fs::temp_directory_path().string()) / "texto_archivos" / nombre;
  fs::remove_all(p);
  return p;
}

std::string Contenido(const fs::path& p) {
  std::ifstream is(p, std::ios::binary);
  std::ostringstream os;
  os << is.rdbuf();
  return os.str();
}

std::string MensajeDe(const std::function<void()>& f) {
  try {
    f();
  } catch (const Exception& e) {
    return e.what();
  }
  return "(sin error)";
}

TEST(LectorTexto, LineEndsAndNumbers) {
  auto l = TLectorTexto::DesdeTexto("3\r\n 1.5000000000000000E+000\n\r\nfin", "c1.pmt");
  EXPECT_EQ(l.LeerEntero(), 3);
  EXPECT_EQ(l.LeerReal(), 1.5);
  EXPECT_EQ(l.LeerLinea(), "");
  EXPECT_EQ(l.Linea(), 3);
  EXPECT_FALSE(l.Fin());
  EXPECT_EQ(l.LeerLinea(), "fin");
  EXPECT_TRUE(l.Fin());
  EXPECT_EQ(MensajeDe([&] { l.LeerLinea(); }),
            "Archivo c1.pmt, línea 5: el archivo termina antes de lo esperado");
  EXPECT_TRUE(TLectorTexto::DesdeTexto("", "vacio").Fin());
  EXPECT_TRUE(TLectorTexto::DesdeTexto("a\r\n", "x").LeerLinea() == "a");
}

TEST(LectorTexto, MessagesNameFileAndLine) {
  std::string texto = std::string(11 * 3, ' ');
  texto.clear();
  for (int i = 0; i < 11; ++i)
    texto += "1\r\n";
  auto l = TLectorTexto::DesdeTexto(texto + "abc\r\n2.5\r\n", "c1.pmt");
  for (int i = 0; i < 11; ++i)
    l.LeerReal();
  EXPECT_EQ(MensajeDe([&] { l.LeerReal(); }),
            "Archivo c1.pmt, línea 12: se esperaba un número real y se encontró \"abc\"");
  EXPECT_EQ(MensajeDe([&] { l.LeerEntero(); }),
            "Archivo c1.pmt, línea 13: se esperaba un número entero y se encontró \"2.5\"");
  EXPECT_NE(MensajeDe([] { TLectorTexto l("/nonexistent/no.pmt"); }).find("/nonexistent/no.pmt"),
            std::string::npos);
}

TEST(EscritorTexto, WritesCrLfLinesOnlyOnCerrar) {
  const fs::path carpeta = Carpeta("escribir");
  const fs::path archivo = carpeta / "sub" / "c7.pmt"; // missing parents are created
  {
    TEscritorTexto w(archivo.string());
    w.EscribirEntero(3);
    w.EscribirReal(-0.035);
    w.Escribir("a\t");
    w.EscribirLinea("b");
    EXPECT_FALSE(fs::exists(archivo));
    EXPECT_TRUE(fs::exists(archivo.string() + ".tmp"));
    w.Cerrar();
  }
  EXPECT_EQ(Contenido(archivo), "3\r\n-3.5000000000000003E-002\r\na\tb\r\n");
  EXPECT_FALSE(fs::exists(archivo.string() + ".tmp"));
  TLectorTexto l(archivo.string());
  EXPECT_EQ(l.LeerEntero(), 3);
  EXPECT_EQ(l.LeerReal(), -0.035);
}

TEST(EscritorTexto, FailureLeavesThePreviousFileUntouched) {
  const fs::path archivo = Carpeta("fallo") / "c7.pmt";
  {
    TEscritorTexto w(archivo.string());
    w.EscribirLinea("versión buena");
    w.Cerrar();
  }
  try {
    TEscritorTexto w(archivo.string());
    w.EscribirLinea("a medias");
    throw Exception("fallo al escribir");
  } catch (const Exception&) {
  }
  EXPECT_EQ(Contenido(archivo), "versión buena\r\n");
  EXPECT_FALSE(fs::exists(archivo.string() + ".tmp"));
}

TEST(Carpetas, CreatesParentsAndReportsFailures) {
  const fs::path carpeta = Carpeta("carpetas");
  CrearCarpeta((carpeta / "a" / "b").string());
  EXPECT_TRUE(fs::is_directory(carpeta / "a" / "b"));
  CrearCarpeta((carpeta / "a").string()); // already there
  std::ofstream(carpeta / "archivo") << "x";
  const std::string destino = (carpeta / "archivo" / "c").string();
  EXPECT_EQ(
      MensajeDe([&] { CrearCarpeta(destino); }).rfind("No se pudo crear la carpeta " + destino + ": ", 0),
      0u);
  EXPECT_THROW(TEscritorTexto((carpeta / "archivo" / "c" / "x.pmt").string()), Exception);
}

} // namespace
