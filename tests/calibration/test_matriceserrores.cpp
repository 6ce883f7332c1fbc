// Error matrices of the theoretical model: cell classification (sector, band, day or night), the
// statistics and the report's blocks.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "calibration/ucalcrestriccionesoperativas.h"
#include "farm/ucarpetas.h"
#include "num/uauxiliares.h"

namespace {

const double kDia = CodificarFecha(2016, 6, 1);
const double kPaso = 1.0 / 144.0; // ten minutes

// The only populated cell of a fresh 72 x 10 set after one sample.
struct TCelda {
  int i, j;
  bool dia;
};

TCelda CeldaDe(double t, double dir, double v) {
  TMatricesConErroresModelos m(72, 25, 360, 10, 7, 20, 50);
  m.AgregarMuestra(t, dir, v, 1);
  TCelda c{0, 0, false};
  for (int i = 1; i <= 72; ++i)
    for (int j = 1; j <= 10; ++j)
      if (m.cantTotal.e(i, j) == 1) c = {i, j, m.cantDia.e(i, j) == 1};
  EXPECT_EQ(m.cantTotal.SumaTotal(), 1);
  EXPECT_EQ(m.cantDia.SumaTotal() + m.cantNoche.SumaTotal(), 1);
  return c;
}

TEST(MatricesErrores, SectorBandaYHoraDelDia) {
  struct {
    double t, dir, v;
    TCelda celda;
  } casos[] = {
      {kDia + 42 * kPaso, 0, 2.5, {1, 2, true}}, // 07:00:00 (stamp with rounding noise): day
      {kDia + 42 * kPaso - 1e-9, 4.999, 2.4999, {1, 1, true}},
      {kDia + 120 * kPaso, 360, 24.9995, {1, 10, false}}, // 20:00:00: night; 360° is row 1
      {kDia + 119 * kPaso, 359.99, 30, {72, 10, true}},   // speeds above vMax: last band
      {kDia + 41 * kPaso, 5, 25, {2, 10, false}},         // 06:50
      {kDia, -5, -1, {72, 1, false}},                     // out-of-range input stays inside the tables
  };
  for (const auto& c : casos) {
    SCOPED_TRACE(FormatearFechaHora("hh:nn:ss", c.t) + " dir " + std::to_string(c.dir) + " v " +
                 std::to_string(c.v));
    TCelda r = CeldaDe(c.t, c.dir, c.v);
    EXPECT_EQ(r.i, c.celda.i);
    EXPECT_EQ(r.j, c.celda.j);
    EXPECT_EQ(r.dia, c.celda.dia);
  }
}

std::vector<std::string> Lineas(const std::string& archivo) {
  std::ifstream f(archivo, std::ios::binary);
  std::vector<std::string> r;
  std::string l;
  while (std::getline(f, l)) {
    EXPECT_TRUE(!l.empty() && l.back() == '\r');
    if (!l.empty() && l.back() == '\r') l.pop_back();
    r.push_back(l);
  }
  return r;
}

TEST(MatricesErrores, ErrorConstanteCeldasVaciasYBloques) {
  const double pAut = 40, e = 2.5;
  TMatricesConErroresModelos m(4, 20, 360, 2, 7, 20, pAut);
  // Cell (1, 1): three day samples; cell (3, 2): one night sample; the rest stay empty.
  for (int k = 0; k < 3; ++k)
    m.AgregarMuestra(kDia + (60 + k) * kPaso, 10 + k, 3 + k, e);
  m.AgregarMuestra(kDia + 3 * kPaso, 200, 15, e);
  const std::string archivo = CarpetaBase() + "/matrices/Matrices_Errores.xlt";
  m.Escribir(archivo);

  EXPECT_EQ(m.medioTotal.e(1, 1), (e + e + e) / 3 / pAut);
  EXPECT_EQ(m.desvTotal.e(1, 1), 0);
  EXPECT_EQ(m.desvDia.e(1, 1), 0);
  EXPECT_EQ(m.medioNoche.e(1, 1), -99999999);
  EXPECT_EQ(m.desvNoche.e(1, 1), -99999999);
  EXPECT_EQ(m.cantNoche.e(1, 1), 0);
  EXPECT_EQ(m.acumNoche.e(1, 1), 0);
  EXPECT_EQ(m.medioDia.e(3, 2), -99999999);
  EXPECT_EQ(m.medioNoche.e(3, 2), e / 1 / pAut);
  EXPECT_EQ(m.medioTotal.e(2, 2), -99999999);
  EXPECT_EQ(m.acumTotal.e(1, 1), (e + e + e) * (1.0 / 6.0));
  EXPECT_EQ(m.eAcumTotal, (e + e + e) * (1.0 / 6.0) + e * (1.0 / 6.0));
  EXPECT_EQ(m.eAcumNoche, e * (1.0 / 6.0));
  EXPECT_DOUBLE_EQ(m.eMedioTotal, e / pAut);
  EXPECT_EQ(m.eDesvTotal, 0); // never the square root of a negative rounding residue

  std::vector<std::string> l = Lineas(archivo);
  // Twelve blocks of: title with scalar, size line, column numbers, 4 rows, empty line.
  ASSERT_EQ(l.size(), 12u * 8);
  const char* titulos[12] = {"Errores Acumulados - Total [MWh]",
                             "Errores Acumulados - Día [MWh]",
                             "Errores Acumulados - Noche [MWh]",
                             "Errores Medios Respecto a PAutorizada - Total [p.u]",
                             "Errores Medios Respecto a PAutorizada - Día [p.u]",
                             "Errores Medios Respecto a PAutorizada - Noche [p.u]",
                             "Desviación estándar del error respecto a la PAutorizada - Total [p.u]",
                             "Desviación estándar del error respecto a la PAutorizada - Día [p.u]",
                             "Desviación estándar del error respecto a la PAutorizada - Noche [p.u]",
                             "Cantidad de datos por sector y tramo - Total [cant]",
                             "Cantidad de datos por sector y tramo - Día [cant]",
                             "Cantidad de datos por sector y tramo - Noche [cant]"};
  for (int b = 0; b < 12; ++b) {
    EXPECT_EQ(l[b * 8].substr(0, l[b * 8].find('\t')), titulos[b]);
    EXPECT_EQ(l[b * 8 + 1], "NFilas: \t4\tNColumnas: \t2");
    EXPECT_EQ(l[b * 8 + 2], " \t1\t2");
    EXPECT_EQ(l[b * 8 + 7], "");
  }
  EXPECT_EQ(l[0], std::string(titulos[0]) + "\t" + RealATexto(m.eAcumTotal));
  EXPECT_EQ(l[9 * 8], std::string(titulos[9]) + "\t" + RealATexto(4));
  EXPECT_EQ(l[9 * 8 + 3], "1\t" + RealATexto(3) + "\t" + RealATexto(0));
  EXPECT_EQ(l[5 * 8 + 3], "1\t" + RealATexto(-99999999) + "\t" + RealATexto(-99999999));
}

TEST(MatricesErrores, GrupoSinMuestrasNoDaValoresIndefinidos) {
  TMatricesConErroresModelos m(2, 25, 360, 2, 7, 20, 50);
  m.AgregarMuestra(kDia + 60 * kPaso, 10, 5, -3); // day only
  m.Escribir(CarpetaBase() + "/matrices/Matrices_Errores_noche_vacia.xlt");
  EXPECT_EQ(m.eMedioNoche, -99999999);
  EXPECT_EQ(m.eDesvNoche, -99999999);
  EXPECT_EQ(m.eAcumNoche, 0);
  EXPECT_EQ(m.eMedioDia, -3.0 / 50);
}

} // namespace
