// Data-series files: header and data layout, messages and line counting, the time axis.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <unistd.h>

#include "num/uauxiliares.h"
#include "series/useriestemporales.h"

namespace fs = std::filesystem;

namespace {

class SeriesArchivo : public ::testing::Test {
protected:
  void SetUp() override {
    carpeta_ = fs::temp_directory_path() / ("aurvend_series_" + std::to_string(::getpid()));
    fs::create_directories(carpeta_);
  }
  void TearDown() override { fs::remove_all(carpeta_); }

  std::string Escribir(const std::string& nombre, const std::string& texto) {
    std::string ruta = (carpeta_ / nombre).string();
    std::ofstream(ruta, std::ios::binary) << texto;
    return ruta;
  }

  std::string MensajeDeLectura(const std::string& texto) {
    std::string ruta = Escribir("mal.sas", texto);
    try {
      TSeriesDeDatos::Create_LeerDeArchivo(ruta);
    } catch (const Exception& e) {
      return e.what();
    }
    return "sin error";
  }

  fs::path carpeta_;
};

TEST_F(SeriesArchivo, VersionTypesSplitRecordsAndExtraNumbers) {
  // CR LF lines, a comment after a header value, the period as an expression, a record over two
  // lines and a record with extra numbers.
  std::string ruta = Escribir("v1.sas", "VERSION_FORMATO_SERIES 1 comentario\r\n"
                                        "2  series\r\n"
                                        "2016 3 5 14 30 0\r\n"
                                        "1/6\r\n"
                                        "3\r\n"
                                        "144 muestras por ciclo\r\n"
                                        "xe\r\n"
                                        "Vel Dir\r\n"
                                        "1 5.5 270\r\n"
                                        "2 6.0\r\n"
                                        "   2.8e2\r\n"
                                        "3 -7.25\t290 99 99\r\n");
  auto s = TSeriesDeDatos::Create_LeerDeArchivo(ruta);
  EXPECT_EQ(s->archivo, ruta);
  EXPECT_EQ(s->version, 1);
  EXPECT_EQ(s->nSeries, 2);
  EXPECT_EQ(s->anio * 10000 + s->mes * 100 + s->dia, 20160305);
  EXPECT_EQ(s->hora * 10000 + s->minuto * 100 + s->segundo, 143000);
  EXPECT_EQ(s->dtEntreMuestras_horas, 1.0 / 6.0);
  EXPECT_EQ(s->dtEntreMuestras_dias, 1.0 / 6.0 / 24);
  EXPECT_EQ(s->nPuntos, 3);
  EXPECT_EQ(s->muestrasPorCiclo, 144);
  EXPECT_EQ(s->tipos, (TDAOfTipoSerie{SALIDA, ENTRADA}));
  EXPECT_EQ(s->nombres, (std::vector<std::string>{"Vel", "Dir"}));
  ASSERT_EQ(s->series.size(), 2u);
  ASSERT_EQ(s->series[0].n(), 3);
  EXPECT_EQ(std::vector<double>(s->series[0].begin(), s->series[0].end()),
            (std::vector<double>{5.5, 6.0, -7.25}));
  EXPECT_EQ(std::vector<double>(s->series[1].begin(), s->series[1].end()),
            (std::vector<double>{270, 280, 290}));
  EXPECT_EQ(s->dtPrimeraMuestra, CodificarFecha(2016, 3, 5) + CodificarHora(14, 30, 0));
}

TEST_F(SeriesArchivo, WithoutVersionLineEverySeriesIsSalida) {
  std::string ruta = Escribir("v0.sas", "9 series medidas\n2020 1 2 0 0 0\n0.1666667\n1\n144\n"
                                        "a b c d e f g h i\n"
                                        "1 1 2 3 4 5 6 7 8 9\n");
  auto s = TSeriesDeDatos::Create_LeerDeArchivo(ruta);
  EXPECT_EQ(s->version, 0);
  EXPECT_EQ(s->nSeries, 9);
  EXPECT_EQ(s->dtEntreMuestras_horas, 0.1666667);
  EXPECT_EQ(s->tipos, TDAOfTipoSerie(9, SALIDA));
  EXPECT_EQ(s->nombres[8], "i");
  EXPECT_EQ(s->series[8].e(1), 9);
}

TEST_F(SeriesArchivo, FailuresReportTheLinesConsumed) {
  const std::string cabecera = "VERSION_FORMATO_SERIES 1\n2\n2016 1 1 0 0 0\n1/6\n3\n144\nxx\nA B\n";
  struct Caso {
    const char* que;
    std::string texto;
    const char* mensaje;
  } casos[] = {
      {"letter as number of samples", "VERSION_FORMATO_SERIES 1\n2\n2016 1 1 0 0 0\n1/6\nX\n144\nxx\nA B\n",
       "Error leyendo línea: 5"},
      {"same without version line", "2\n2016 1 1 0 0 0\n1/6\nX\n144\nA B\n", "Error leyendo línea: 4"},
      {"number of series not a plain integer", "2.5\n2016 1 1 0 0 0\n1/6\n1\n144\nA B\n1 1 1\n",
       "Error leyendo línea: 1"},
      {"period not an expression", "2\n2016 1 1 0 0 0\n1/x\n1\n144\nA B\n1 1 1\n", "Error leyendo línea: 3"},
      {"first sample with five values", "2\n2016 1 1 0 0\n1/6\n1\n144\nA B\n1 1 1\n",
       "Error leyendo línea: 2"},
      {"first sample not a date", "2\n2016 13 1 0 0 0\n1/6\n1\n144\nA B\n1 1 1\n", "Error leyendo línea: 2"},
      {"header ends early", "2\n2016 1 1 0 0 0\n", "Error leyendo línea: 3"},
      {"types line shorter than the series",
       "VERSION_FORMATO_SERIES 1\n2\n2016 1 1 0 0 0\n1/6\n1\n144\nx\nA B\n", "Error leyendo línea: 7"},
      {"hour with two signs", "2\n2016 1 1 +-0 0 0\n1/6\n1\n144\nA B\n1 1 1\n", "Error leyendo línea: 2"},
      // A record counts once complete: a bad number in record 2 reports the line of record 1.
      {"bad number in the second record", cabecera + "1 1 2\n2 1 x\n3 1 2\n", "Error leyendo línea: 9"},
      {"bad number on the second line of a split record", cabecera + "1 1 2\n2 1\n 2,5\n3 1 2\n",
       "Error leyendo línea: 9"},
      {"file ends before the last record", cabecera + "1 1 2\n2 1 2\n", "Error leyendo línea: 10"},
      // An absurd count fails where the data ends instead of claiming memory for it.
      {"number of samples far beyond the data", "2\n2016 1 1 0 0 0\n1/6\n2000000000\n144\nA B\n1 1 2\n",
       "Error leyendo línea: 7"},
      {"negative number of series", "-2\n2016 1 1 0 0 0\n1/6\n1\n144\nA B\n1 1 2\n",
       "Error leyendo línea: 1"},
  };
  for (const Caso& c : casos)
    EXPECT_EQ(MensajeDeLectura(c.texto), c.mensaje) << c.que;
}

TEST_F(SeriesArchivo, NamesLineShorterThanTheSeriesLeavesEmptyNames) {
  auto s = TSeriesDeDatos::Create_LeerDeArchivo(
      Escribir("nombres.sas", "2\n2016 1 1 0 0 0\n1/6\n1\n144\nA\n1 1 2\n"));
  EXPECT_EQ(s->nombres, (std::vector<std::string>{"A", ""}));
  EXPECT_EQ(s->series[1].e(1), 2);
}

TEST_F(SeriesArchivo, MissingFileNamesTheFile) {
  std::string ruta = (carpeta_ / "no_existe.sas").string();
  try {
    TSeriesDeDatos::Create_LeerDeArchivo(ruta);
    FAIL() << "sin error";
  } catch (const Exception& e) {
    EXPECT_EQ(std::string(e.what()), "No puedo abrir el archivo: " + ruta);
  }
}

TEST_F(SeriesArchivo, ReadingRestoresTheNumberFormat) {
  int nivel = NivelFormatosDB();
  MensajeDeLectura("2\n2016 1 1 0 0 0\n1/x\n");
  EXPECT_EQ(NivelFormatosDB(), nivel);
}

TEST(SeriesTiempo, SampleInstants) {
  TSeriesDeDatos s(1, 200, 2016, 3, 5, 0, 0, 0, 1.0 / 6.0);
  EXPECT_EQ(s.dtDeMuestra(1), s.dtPrimeraMuestra);
  EXPECT_EQ(s.dtPrimeraMuestra, CodificarFecha(2016, 3, 5));
  EXPECT_NEAR(s.dtDeMuestra(145), s.dtPrimeraMuestra + 1, 1e-12);
  EXPECT_EQ(FechaCompacta(s.dtDeMuestra(145)), "20160306");
}

TEST(SeriesTiempo, FechaCompacta) {
  const double dia = CodificarFecha(2016, 3, 5);
  struct Caso {
    double t;
    const char* texto;
  } casos[] = {
      {dia, "20160305"},
      {dia + CodificarHora(14, 30, 0), "201603051430"},
      {dia + CodificarHora(0, 30, 0), "201603050030"},
      {dia + CodificarHora(0, 0, 45), "20160305"}, // seconds never appear
      {CodificarFecha(1999, 12, 31) + CodificarHora(23, 59, 0), "199912312359"},
      // 07:00 reached as first + 42 steps of ten minutes lies a hair below 7/24 of the day.
      {dia + 42 * (1.0 / 6.0 / 24), "201603050700"},
  };
  for (const Caso& c : casos)
    EXPECT_EQ(FechaCompacta(c.t), c.texto) << c.texto;
}

} // namespace
