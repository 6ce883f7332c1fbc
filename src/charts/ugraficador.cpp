#include "charts/ugraficador.h"
#include "charts/uimagenes.h"

#include <QFont>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QImage>
#include <QImageWriter>
#include <QPainter>
#include <QPainterPath>
#include <QPolygon>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <limits>
#include <mutex>

#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

#include "num/uauxiliares.h"

// ---------------------------------------------------------------------------------------------
// Palette and markers

namespace {

struct TEntradaPaleta {
  const char* nombre;
  TColor color;
};

const TEntradaPaleta kPaleta[N_COLORES_PALETA] = {{"Negro", ColorRGB(0, 0, 0)},
                                                  {"Marrón", ColorRGB(128, 0, 0)},
                                                  {"Verde", ColorRGB(0, 128, 0)},
                                                  {"Oliva", ColorRGB(128, 128, 0)},
                                                  {"Azul marino", ColorRGB(0, 0, 128)},
                                                  {"Púrpura", ColorRGB(128, 0, 128)},
                                                  {"Verde azulado", ColorRGB(0, 128, 128)},
                                                  {"Gris", ColorRGB(128, 128, 128)},
                                                  {"Plata", ColorRGB(192, 192, 192)},
                                                  {"Rojo", ColorRGB(255, 0, 0)},
                                                  {"Lima", ColorRGB(0, 255, 0)},
                                                  {"Amarillo", ColorRGB(255, 255, 0)},
                                                  {"Azul", ColorRGB(0, 0, 255)},
                                                  {"Fusia", ColorRGB(255, 0, 255)},
                                                  {"Agua", ColorRGB(0, 255, 255)}};

const char* const kFuenteGraficos = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";

} // namespace

TColor ColorPaleta(int indice) {
  return kPaleta[indice].color;
}

const std::string& NombreColorPaleta(int indice) {
  static const std::vector<std::string> nombres = [] {
    std::vector<std::string> v;
    for (const auto& e : kPaleta)
      v.emplace_back(e.nombre);
    return v;
  }();
  return nombres[size_t(indice)];
}

const std::string& NombreMarcador(TTipoMarcador m) {
  static const std::string nombres[N_TIPOS_MARCADOR] = {"Circulo", "Cuadro", "Rombo", "Cruz", "X"};
  return nombres[int(m)];
}

// ---------------------------------------------------------------------------------------------
// Qt application and the chart font

namespace {
std::string familiaFuente;
}

void AsegurarAplicacionGrafica() {
  // Workers that save charts in parallel may arrive here together: one of them sets up.
  static std::mutex cerrojo;
  const std::lock_guard<std::mutex> guardia(cerrojo);
  if (qGuiApp == nullptr) {
    const bool hayPantalla = std::getenv("DISPLAY") != nullptr || std::getenv("WAYLAND_DISPLAY") != nullptr;
    if (std::getenv("QT_QPA_PLATFORM") == nullptr && !hayPantalla) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    // Without a session the toolkit falls back to a private runtime folder and warns on the console;
    // name that same folder so batch runs stay quiet.
    if (std::getenv("XDG_RUNTIME_DIR") == nullptr) {
      const std::string carpeta = "/tmp/runtime-" + std::to_string(getuid());
      if (mkdir(carpeta.c_str(), 0700) == 0 || errno == EEXIST) setenv("XDG_RUNTIME_DIR", carpeta.c_str(), 1);
    }
    // The application object lives for the rest of the process: fonts and painting need it.
    static int argc = 1;
    static char nombre[] = "aurvend";
    static char* argv[] = {nombre, nullptr};
    new QGuiApplication(argc, argv);
  }
  if (familiaFuente.empty()) {
    const int id = QFontDatabase::addApplicationFont(kFuenteGraficos);
    const QStringList familias = id >= 0 ? QFontDatabase::applicationFontFamilies(id) : QStringList();
    if (familias.isEmpty()) {
      std::printf("Aviso: no se puede cargar la fuente de los gráficos \"%s\"; se usa \"DejaVu Sans\" del "
                  "sistema.\n",
                  kFuenteGraficos);
      familiaFuente = "DejaVu Sans";
    } else {
      familiaFuente = familias.front().toStdString();
    }
  }
}

std::string FamiliaFuenteGraficos() {
  AsegurarAplicacionGrafica();
  return familiaFuente;
}

// ---------------------------------------------------------------------------------------------
// Axis scaling

TEscalaEje EscalarRango(double lo, double hi, int n, bool haciaAfuera) {
  if (lo > hi) std::swap(lo, hi);
  if (hi - lo < 1e-32) {
    hi = std::fabs(lo) <= 1e-10 ? 1e-10 : 1.1 * lo;
    if (lo > hi) std::swap(lo, hi);
  }
  // A count below one (a fixed count of 0 kept from an earlier drawing) has no logarithm.
  if (n < 1) n = 1;
  const double L = std::log10(hi - lo);
  const double k[3] = {1, 2, 5};
  int elegido = 0;
  double mejor = 0, eElegido = 0;
  for (int i = 0; i < 3; ++i) {
    const double c = std::log10(k[i] * n);
    const double e = haciaAfuera ? std::ceil(L - c) : std::floor(L - c);
    const double valor = e + c;
    if (i == 0 || (haciaAfuera ? valor < mejor : valor > mejor)) {
      mejor = valor;
      elegido = i;
      eElegido = e;
    }
  }
  TEscalaEje r;
  r.paso = k[elegido] * std::pow(10.0, eElegido);
  double u, v;
  if (haciaAfuera) {
    u = std::floor(lo / r.paso);
    v = std::ceil(hi / r.paso);
  } else {
    u = std::ceil(lo / r.paso);
    v = std::floor(hi / r.paso);
  }
  r.minMostrado = u * r.paso;
  r.maxMostrado = v * r.paso;
  r.n = int(v - u);
  return r;
}

TEjeGrafico::TEjeGrafico(const std::string& titulo) : titulo(titulo) {}

void TEjeGrafico::SetMin(double v) {
  minManual = v;
  autoMin = false;
}

void TEjeGrafico::SetMax(double v) {
  maxManual = v;
  autoMax = false;
}

void TEjeGrafico::Escalar() {
  const TEscalaEje e = EscalarRango(dataMin, dataMax, nDivisiones, autoMin && autoMax);
  minMostrado = autoMin ? e.minMostrado : minManual;
  maxMostrado = autoMax ? e.maxMostrado : maxManual;
  const int cuenta = autoDivisiones ? e.n : nDivisionesFijo;
  nDivisiones = cuenta;
  primeraDivision = minMostrado;
  pasoDivision = cuenta != 0 ? (maxMostrado - minMostrado) / cuenta : 0;
}

namespace {

// Fixed-point text rounded first to `digitos` significant digits; a value that rounds to zero loses
// its sign (a tick computed as -1e-17 reads "0.00", not "-0.00").
std::string TextoFijo(double v, int digitos, int decimales) {
  if (std::isfinite(v) && v != 0 && digitos > 0 && digitos < 17) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.*e", digitos - 1, v);
    v = std::strtod(buf, nullptr);
  }
  std::string s = RealATextoFijo(v, decimales);
  if (!s.empty() && s[0] == '-' && s.find_first_of("123456789") == std::string::npos) s.erase(0, 1);
  return s;
}

} // namespace

std::string TEjeGrafico::EtiquetaDeDivision(int i) const {
  const double v = primeraDivision + i * pasoDivision;
  switch (tipoEtiqueta) {
  case 1:
    return EnteroATexto((long long)std::nearbyint(v));
  case 2:
    return formatoFecha == "c" ? FechaHoraATexto(v) : FormatearFechaHora(formatoFecha, v);
  default:
    return TextoFijo(v, digitosFormato, decimalesFormato);
  }
}

// ---------------------------------------------------------------------------------------------
// Series and boxes

TSerieGrafico::TSerieGrafico(const std::string& nombreSerie, const TDAofNReal& valores, TSerieGrafico* serieX,
                             TGrafico* grafico, const std::string& formato, bool esX)
    : nombreSerie(nombreSerie), valores(valores), serieX(serieX), formato(formato) {
  rol = esX ? 1 : (serieX != nullptr ? 2 : 0);
  if (grafico != nullptr) {
    colorBase = grafico->SiguienteColor();
    marcador = grafico->SiguienteMarcador();
    tipo = grafico->tipoPorDefecto;
  } else {
    colorBase = clNegro;
    marcador = TM_Cruz;
    tipo = 0;
  }
  colorLinea = colorRelleno = colorMarcador = colorBase;
}

TCajaGraficoXY::TCajaGraficoXY(const std::string& texto, double x1, double y1, double x2, double y2)
    : texto(texto), x1(x1), y1(y1), x2(x2), y2(y2) {}

// ---------------------------------------------------------------------------------------------
// Chart

TGrafico::TGrafico(const std::string& nombreGrafico, int tipoPorDefecto, int logo)
    : nombreGrafico(nombreGrafico), tipoPorDefecto(tipoPorDefecto), logo(logo) {}

TColor TGrafico::SiguienteColor() {
  const TColor c = ColorPaleta(cursorPaleta);
  cursorPaleta = (cursorPaleta + 1) % N_COLORES_PALETA;
  return c;
}

TTipoMarcador TGrafico::SiguienteMarcador() {
  const auto m = TTipoMarcador(cursorMarcador);
  cursorMarcador = (cursorMarcador + 1) % N_TIPOS_MARCADOR;
  return m;
}

TSerieGrafico* TGrafico::AddSerie(std::unique_ptr<TSerieGrafico> serie) {
  TSerieGrafico* s = serie.get();
  if (s->rol == 1) {
    seriesX.push_back(std::move(serie));
  } else {
    if (s->tipo == 2 && s->serieX == nullptr && !seriesX.empty()) {
      s->serieX = seriesX.front().get();
      s->rol = 2;
    }
    seriesY.push_back(std::move(serie));
  }
  return s;
}

TSerieGrafico* TGrafico::NuevaSerie(const std::string& nombreSerie, const TDAofNReal& valores,
                                    TSerieGrafico* serieX, const std::string& formato, bool esX) {
  return AddSerie(std::make_unique<TSerieGrafico>(nombreSerie, valores, serieX, this, formato, esX));
}

TCajaGraficoXY* TGrafico::AddCaja(std::unique_ptr<TCajaGraficoXY> caja) {
  cajas.push_back(std::move(caja));
  return cajas.back().get();
}

void TGrafico::AddLineaVertical(double x, TColor color) {
  lineasVerticales.push_back({x, color});
}

namespace {

// Truncation toward zero, clamped to ±2147483647 (a NaN goes to the far end).
long long Truncar(double z) {
  if (!(z < 2147483647.0)) return 2147483647;
  if (z <= -2147483647.0) return -2147483647;
  return (long long)z;
}

int Acotar(long long v) {
  return int(std::clamp(v, (long long)std::numeric_limits<int>::min() + 1,
                        (long long)std::numeric_limits<int>::max()));
}

QColor AQColor(TColor c) {
  return QColor((c >> 16) & 0xFF, (c >> 8) & 0xFF, c & 0xFF);
}

QString AQString(const std::string& s) {
  return QString::fromStdString(s);
}

// Range accumulator: unset until the first value.
struct TRango {
  bool fijado = false;
  double min = 0, max = 0;
  void Agregar(double v) {
    if (!fijado) {
      min = max = v;
      fijado = true;
    } else {
      if (v < min) min = v;
      if (v > max) max = v;
    }
  }
};

// Text with its top-left corner at (x, y), as canvases place text.
void TextoEn(QPainter& p, int x, int y, const QString& s) {
  p.drawText(x, y + p.fontMetrics().ascent(), s);
}

// Text rotated by 90° (reading upward) whose unrotated top-left corner is at (x, y): it covers
// x … x + height horizontally and y − width … y vertically.
void TextoVerticalEn(QPainter& p, int x, int y, const QString& s) {
  p.save();
  p.translate(x, y);
  p.rotate(-90);
  p.drawText(0, p.fontMetrics().ascent(), s);
  p.restore();
}

void DibujarMarcador(QPainter& p, TTipoMarcador tipo, int px, int py, int r) {
  switch (tipo) {
  case TM_Circulo:
    p.drawEllipse(QRect(QPoint(px - r, py - r), QPoint(px + r, py + r)));
    break;
  case TM_Cuadro:
    p.drawRect(QRect(QPoint(px - r, py - r), QPoint(px + r, py + r)));
    break;
  case TM_Rombo: {
    const QPoint pts[4] = {{px, py - r}, {px - r, py}, {px, py + r}, {px + r, py}};
    p.drawPolygon(pts, 4);
    break;
  }
  case TM_Cruz:
    p.drawLine(px - r, py, px + r, py);
    p.drawLine(px, py - r, px, py + r);
    break;
  case TM_X:
    p.drawLine(px - r, py - r, px + r, py + r);
    p.drawLine(px - r, py + r, px + r, py - r);
    break;
  }
}

QFont FuenteGrafico(int tam) {
  QFont f(AQString(FamiliaFuenteGraficos()));
  f.setPointSize(tam);
  f.setStyleStrategy(QFont::PreferAntialias);
  return f;
}

} // namespace

int TGrafico::PX(double x) const {
  return Acotar(plotIzq + Truncar((x - xMin) * escalaX + 0.5));
}

int TGrafico::PY(double y, bool derecho) const {
  if (derecho) return Acotar(plotInf - Truncar((y - y2Min) * escalaY2 + 0.5));
  return Acotar(plotInf - Truncar((y - yMin) * escalaY + 0.5));
}

void TGrafico::CalcularRangos() {
  TRango rx, ry[2];
  for (const auto& s : seriesX)
    for (double v : s->valores)
      rx.Agregar(v);
  // Stacked areas contribute the extremes of their running sums, one sum per side.
  TDAofNReal suma[2];
  bool hayApiladas[2] = {false, false};
  bool hayPorcentaje = false;
  for (const auto& s : seriesY) {
    const int lado = s->ejeDerecho ? 1 : 0;
    if (s->tipo == 4) hayPorcentaje = true;
    if (s->tipo == 1) {
      hayApiladas[lado] = true;
      if (suma[lado].size() < s->valores.size()) suma[lado].resize(s->valores.size(), 0.0);
      for (size_t j = 0; j < s->valores.size(); ++j)
        suma[lado][j] += s->valores[j];
      for (size_t j = 0; j < s->valores.size(); ++j) {
        if (!ry[lado].fijado) ry[lado].Agregar(0);
        ry[lado].Agregar(suma[lado][j]);
      }
    } else {
      for (double v : s->valores)
        ry[lado].Agregar(v);
    }
  }
  (void)hayApiladas;
  if (hayPorcentaje) {
    if (!ry[0].fijado) ry[0].Agregar(0);
    ry[0].max = 100;
  }
  ejeX.dataMin = rx.min;
  ejeX.dataMax = rx.max;
  ejeY.dataMin = ry[0].min;
  ejeY.dataMax = ry[0].max;
  ejeY2.dataMin = ry[1].min;
  ejeY2.dataMax = ry[1].max;

  // Date axis: an X series whose format is a date pattern turns the X labels into dates.
  for (const auto& s : seriesX) {
    if (s->formato.find_first_of("-/") != std::string::npos || s->formato == "c") {
      ejeX.tipoEtiqueta = 2;
      ejeX.formatoFecha = s->formato;
      break;
    }
  }
  ejeX.Escalar();
  ejeY.Escalar();
  ejeY2.Escalar();
  xMin = ejeX.minMostrado;
  xMax = ejeX.maxMostrado;
  yMin = ejeY.minMostrado;
  yMax = ejeY.maxMostrado;
  y2Min = ejeY2.minMostrado;
  y2Max = ejeY2.maxMostrado;
}

void TGrafico::Draw(QPainter& p, int W, int H) {
  AsegurarAplicacionGrafica();
  p.save();
  CalcularRangos();

  bool hayIzq = false, hayDer = false, hayPorcentaje = false;
  int radioMax = 0;
  for (const auto& s : seriesY) {
    (s->ejeDerecho ? hayDer : hayIzq) = true;
    if (s->tipo == 4) hayPorcentaje = true;
    radioMax = std::max(radioMax, s->radioMarcador);
  }

  // Font and text metrics.
  const QFont fuente = FuenteGrafico(tamFuente);
  p.setFont(fuente);
  const QFontMetrics fm = p.fontMetrics();
  auto ancho = [&](const std::string& s) { return fm.horizontalAdvance(AQString(s)); };
  const int h = fm.height();
  m = h / 2;
  altoTexto = h;

  auto anchoEtiquetas = [&](const TEjeGrafico& e) {
    int w = 0;
    for (int i = 0; i <= e.nDivisiones; ++i)
      w = std::max(w, ancho(e.EtiquetaDeDivision(i)));
    return w;
  };
  const int anchoX = hayPorcentaje ? 0 : anchoEtiquetas(ejeX);
  const int anchoIzq = anchoEtiquetas(ejeY);
  const int anchoDer = anchoEtiquetas(ejeY2);
  int anchoNombres = 0;
  for (const auto& s : seriesY)
    anchoNombres = std::max(anchoNombres, ancho(s->nombreSerie));
  int anchoPorcentaje = 0;
  for (const auto& s : seriesY)
    if (s->tipo == 4)
      for (const auto& e : s->etiquetas)
        anchoPorcentaje = std::max(anchoPorcentaje, ancho(e));

  // Margins.
  margenSup = m;
  if (!titulo.empty() && h > 0) margenSup += h + m;
  margenInf = m;
  if (!ejeX.titulo.empty() && h > 0) margenInf += h + m;
  if (anchoX > 0) margenInf += anchoX + m;
  margenIzq = m;
  if (!ejeY.titulo.empty() && h > 0) margenIzq += h + m;
  if (hayIzq && anchoIzq > 0) margenIzq += anchoIzq + m;
  margenDer = m;
  if (anchoNombres > 0) margenDer += anchoNombres + m;
  if (hayDer && anchoDer > 0) margenDer += anchoDer + m;
  if (2 * radioMax > 0) margenDer += 2 * radioMax + m;
  if (anchoPorcentaje > 0) margenDer += anchoPorcentaje + ancho("## %");

  plotIzq = margenIzq;
  plotDer = W - margenDer;
  plotSup = margenSup;
  plotInf = H - margenInf;
  escalaX = (plotDer - plotIzq) / (xMax - xMin);
  escalaY = (plotInf - plotSup) / (yMax - yMin);
  escalaY2 = (plotInf - plotSup) / (y2Max - y2Min);

  // Background and plot frame.
  p.fillRect(QRect(0, 0, W, H), Qt::white);
  p.setPen(QPen(Qt::black, 1, Qt::SolidLine));
  p.setBrush(Qt::NoBrush);
  p.drawRect(QRect(plotIzq, plotSup, plotDer - plotIzq, plotInf - plotSup));

  // Title.
  p.setPen(Qt::black);
  if (!titulo.empty()) TextoEn(p, plotIzq + (plotDer - plotIzq - ancho(titulo)) / 2, m, AQString(titulo));

  // Legend.
  for (size_t i = 0; i < seriesY.size(); ++i) {
    const TSerieGrafico& s = *seriesY[i];
    const int y = plotSup + m + int(i) * (h + radioMax);
    const int xm = W - m - anchoNombres - s.radioMarcador - m;
    p.setRenderHint(QPainter::Antialiasing, true);
    if (s.colorMarcador != clNinguno) {
      p.setPen(QPen(AQColor(s.colorMarcador), 3));
      p.setBrush(Qt::NoBrush);
      DibujarMarcador(p, s.marcador, xm, y + h / 2, s.radioMarcador);
    }
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(Qt::black);
    TextoEn(p, W - m - anchoNombres, y, AQString(s.nombreSerie));
  }

  // Series, clipped to the plot.
  p.setClipRect(QRect(plotIzq, plotSup, plotDer - plotIzq + 1, plotInf - plotSup + 1));
  for (int lado = 0; lado < 2; ++lado) {
    const bool derecho = lado == 1;
    DibujarApiladas(p, derecho);
    DibujarLineasYMarcadores(p, derecho);
    DibujarBarras(p, derecho);
    DibujarPorcentajes(p, derecho);
  }
  p.setClipping(false);
  p.setFont(fuente);
  p.setPen(Qt::black);

  // X tick labels, reading upward from below the plot.
  if (ejeX.etiquetasVerticales) {
    for (int i = 0; i <= ejeX.nDivisiones; ++i) {
      const QString s = AQString(ejeX.EtiquetaDeDivision(i));
      const int px = PX(ejeX.primeraDivision + i * ejeX.pasoDivision);
      TextoVerticalEn(p, px - h / 2, plotInf + m + fm.horizontalAdvance(s), s);
    }
  }
  // Left tick labels, right-aligned; right tick labels with their dotted red marks.
  if (hayIzq) {
    for (int i = 0; i <= ejeY.nDivisiones; ++i) {
      const std::string s = ejeY.EtiquetaDeDivision(i);
      const int py = PY(ejeY.primeraDivision + i * ejeY.pasoDivision);
      TextoEn(p, plotIzq - m - ancho(s), py - h / 2, AQString(s));
    }
  }
  if (hayDer) {
    for (int i = 0; i <= ejeY2.nDivisiones; ++i) {
      const int py = PY(ejeY2.primeraDivision + i * ejeY2.pasoDivision, true);
      p.setPen(Qt::black);
      TextoEn(p, plotDer + m, py - h / 2, AQString(ejeY2.EtiquetaDeDivision(i)));
      p.setPen(QPen(Qt::red, 1, Qt::DotLine));
      p.drawLine(plotDer - 20, py, plotDer, py);
    }
  }
  // Axis titles.
  p.setPen(Qt::black);
  if (!ejeX.titulo.empty()) TextoEn(p, (W - ancho(ejeX.titulo)) / 2, H - m - h, AQString(ejeX.titulo));
  if (!ejeY.titulo.empty())
    TextoVerticalEn(p, m, plotSup + (plotInf - plotSup + ancho(ejeY.titulo)) / 2, AQString(ejeY.titulo));
  if (!ejeY2.titulo.empty())
    TextoVerticalEn(p, plotDer + anchoDer + 3 * m, plotSup + (plotInf - plotSup + ancho(ejeY2.titulo)) / 2,
                    AQString(ejeY2.titulo));

  // Grid.
  if (ejeX.grilla) {
    p.setPen(QPen(Qt::blue, 1, Qt::DotLine));
    for (int i = 0; i <= ejeX.nDivisiones; ++i) {
      const int px = PX(ejeX.primeraDivision + i * ejeX.pasoDivision);
      p.drawLine(px, plotInf, px, plotSup);
    }
    for (int i = 1; i < ejeY.nDivisiones; ++i) {
      const int py = PY(ejeY.primeraDivision + i * ejeY.pasoDivision);
      p.drawLine(plotIzq, py, plotDer, py);
    }
  }

  DibujarCajas(p);
  if (logo >= 0) DibujarLogo(p, radioMax);
  p.restore();
}

void TGrafico::DibujarLineasYMarcadores(QPainter& p, bool derecho) {
  p.setRenderHint(QPainter::Antialiasing, true);
  auto puntos = [&](const TSerieGrafico& s) {
    QPolygon pol;
    if (s.serieX == nullptr) return pol;
    const size_t n = std::min(s.valores.size(), s.serieX->valores.size());
    pol.reserve(qsizetype(n));
    for (size_t j = 0; j < n; ++j)
      pol.append(QPoint(PX(s.serieX->valores[j]), PY(s.valores[j], derecho)));
    return pol;
  };
  for (const auto& sp : seriesY) {
    const TSerieGrafico& s = *sp;
    if (s.tipo != 2 || s.ejeDerecho != derecho || s.colorLinea == clNinguno) continue;
    p.setPen(QPen(AQColor(s.colorLinea), s.anchoLinea, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    p.drawPolyline(puntos(s));
  }
  for (const auto& sp : seriesY) {
    const TSerieGrafico& s = *sp;
    if (s.tipo != 2 || s.ejeDerecho != derecho || s.colorMarcador == clNinguno) continue;
    // Every marker of a series is the same picture: draw it once (outline 3 pixels wide, hollow, so
    // only the outline shows) and stamp it at each point; a scatter of many samples stays fast.
    const int r = s.radioMarcador, lado = 2 * (r + 3) + 1;
    QImage sello(lado, lado, QImage::Format_ARGB32_Premultiplied);
    sello.fill(Qt::transparent);
    {
      QPainter ps(&sello);
      ps.setRenderHint(QPainter::Antialiasing, true);
      ps.setPen(QPen(AQColor(s.colorMarcador), 3));
      ps.setBrush(Qt::NoBrush);
      DibujarMarcador(ps, s.marcador, r + 3, r + 3, r);
    }
    for (const QPoint& q : puntos(s))
      p.drawImage(q.x() - (r + 3), q.y() - (r + 3), sello);
  }
  p.setRenderHint(QPainter::Antialiasing, false);
}

void TGrafico::DibujarApiladas(QPainter& p, bool derecho) {
  TDAofNReal previa;
  for (const auto& sp : seriesY) {
    const TSerieGrafico& s = *sp;
    if (s.tipo != 1 || s.ejeDerecho != derecho || s.serieX == nullptr) continue;
    const size_t n = std::min(s.valores.size(), s.serieX->valores.size());
    previa.resize(std::max(previa.size(), n), 0.0);
    QPolygon pol;
    for (size_t j = 0; j < n; ++j)
      pol.append(QPoint(PX(s.serieX->valores[j]), PY(previa[j] + s.valores[j], derecho)));
    for (size_t j = n; j-- > 0;)
      pol.append(QPoint(PX(s.serieX->valores[j]), PY(previa[j], derecho)));
    for (size_t j = 0; j < n; ++j)
      previa[j] += s.valores[j];
    if (s.colorBase == clNinguno) continue;
    p.setPen(QPen(AQColor(s.colorBase)));
    p.setBrush(AQColor(s.colorBase));
    p.drawPolygon(pol);
  }
}

void TGrafico::DibujarBarras(QPainter& p, bool derecho) {
  std::vector<const TSerieGrafico*> barras;
  for (const auto& sp : seriesY)
    if (sp->tipo == 3 && sp->ejeDerecho == derecho) barras.push_back(sp.get());
  if (barras.empty()) return;
  size_t categorias = 0;
  for (const auto* s : barras)
    categorias = std::max(categorias, s->valores.size());
  if (categorias == 0) return;
  const double anchoPlot = plotDer - plotIzq;
  const double anchoBarra = 0.9 * anchoPlot / double(barras.size() * categorias);
  const double anchoCategoria = anchoPlot / double(categorias);
  const int y0 = PY(0.0 > (derecho ? y2Min : yMin) ? 0.0 : (derecho ? y2Min : yMin), derecho);
  for (size_t j = 0; j < categorias; ++j) {
    const double centro = plotIzq + (j + 0.5) * anchoCategoria;
    const double x0 = centro - 0.5 * anchoBarra * double(barras.size());
    for (size_t k = 0; k < barras.size(); ++k) {
      const TSerieGrafico& s = *barras[k];
      if (j >= s.valores.size() || s.colorBase == clNinguno) continue;
      const int xa = int(x0 + k * anchoBarra), xb = int(x0 + (k + 1) * anchoBarra);
      const int yv = PY(s.valores[j], derecho);
      p.fillRect(QRect(QPoint(xa, std::min(yv, y0)), QPoint(std::max(xa, xb - 1), std::max(yv, y0))),
                 AQColor(s.colorBase));
    }
  }
  // Category labels below the plot, rotated to 315°; they replace the X tick labels.
  ejeX.etiquetasVerticales = false;
  const TSerieGrafico* conEtiquetas = nullptr;
  for (const auto* s : barras)
    if (!s->etiquetas.empty()) {
      conEtiquetas = s;
      break;
    }
  if (conEtiquetas == nullptr) return;
  p.save();
  p.setClipping(false);
  p.setPen(Qt::black);
  for (size_t j = 0; j < conEtiquetas->etiquetas.size() && j < categorias; ++j) {
    p.save();
    p.translate(plotIzq + (j + 0.5) * anchoCategoria, plotInf + m);
    p.rotate(45);
    p.drawText(0, p.fontMetrics().ascent(), AQString(conEtiquetas->etiquetas[j]));
    p.restore();
  }
  p.restore();
}

void TGrafico::DibujarPorcentajes(QPainter& p, bool derecho) {
  if (derecho) return; // the percentage column runs on the 0 … 100 left axis
  const TSerieGrafico* s = nullptr;
  for (const auto& sp : seriesY)
    if (sp->tipo == 4) {
      s = sp.get();
      break;
    }
  if (s == nullptr) return;
  double acumulado = 0;
  bool primero = true;
  for (size_t j = 0; j < s->valores.size(); ++j) {
    const double v = s->valores[j];
    if (!(v > 1)) continue;
    const TColor c = primero ? s->colorRelleno : SiguienteColor();
    primero = false;
    const int ya = PY(acumulado), yb = PY(acumulado + v);
    if (c != clNinguno) p.fillRect(QRect(QPoint(plotIzq, yb), QPoint(plotDer, ya)), AQColor(c));
    p.save();
    p.setClipping(false);
    p.setPen(Qt::black);
    const std::string etiqueta = (j < s->etiquetas.size() ? s->etiquetas[j] : std::string()) + " " +
                                 EnteroATexto((long long)std::nearbyint(v)) + " %";
    TextoEn(p, plotDer + m, (ya + yb) / 2 - altoTexto / 2, AQString(etiqueta));
    p.restore();
    acumulado += v;
  }
}

void TGrafico::DibujarCajas(QPainter& p) {
  for (const auto& cp : cajas) {
    const TCajaGraficoXY& c = *cp;
    const int xa = PX(c.x1), xb = PX(c.x2);
    const int ya = PY(c.y1, c.ejeDerecho), yb = PY(c.y2, c.ejeDerecho);
    const QRect r(QPoint(std::min(xa, xb), std::min(ya, yb)), QPoint(std::max(xa, xb), std::max(ya, yb)));
    if (c.colorBorde != clNinguno || c.colorRelleno != clNinguno) {
      p.setPen(c.colorBorde != clNinguno ? QPen(AQColor(c.colorBorde), 1) : QPen(Qt::NoPen));
      p.setBrush(c.colorRelleno != clNinguno ? QBrush(AQColor(c.colorRelleno)) : QBrush(Qt::NoBrush));
      p.drawRect(r);
    }
    if (!c.texto.empty()) {
      const QString s = AQString(c.texto);
      const QFontMetrics fm = p.fontMetrics();
      const QRect rt(r.center().x() - fm.horizontalAdvance(s) / 2, r.center().y() - fm.height() / 2,
                     fm.horizontalAdvance(s), fm.height());
      if (c.colorRelleno != clNinguno) p.fillRect(rt, AQColor(c.colorRelleno));
      p.setPen(c.colorTexto != clNinguno ? AQColor(c.colorTexto) : QColor(Qt::black));
      TextoEn(p, rt.x(), rt.y(), s);
    }
  }
  for (const auto& l : lineasVerticales) {
    if (l.color == clNinguno) continue;
    const int px = PX(l.x);
    if (px < plotIzq || px > plotDer) continue;
    p.setPen(QPen(AQColor(l.color), 1));
    p.drawLine(px, plotSup, px, plotInf);
  }
}

void TGrafico::DibujarLogo(QPainter& p, int radioMax) {
  p.save();
  p.setFont(FuenteGrafico(8));
  const QFontMetrics fm = p.fontMetrics();
  const int s = fm.height() / 2;
  const int d = fm.horizontalAdvance(QStringLiteral(".")) / 2;
  const int x0 = plotDer - fm.horizontalAdvance(QStringLiteral("_ZZ_Zorvek__")) - 2 * radioMax - m;
  // The reference line runs half an "S" above the frame; the logo is centred on it.
  const int yRef = plotSup - s;
  const int yArriba = yRef - s - d / 2;
  const int yAbajo = yArriba + s + d;
  p.fillRect(QRect(x0, yArriba, s, s), QColor(255, 211, 32));
  p.fillRect(QRect(x0 + s + d, yArriba, s, s), QColor(131, 202, 254));
  p.fillRect(QRect(x0 + s + d, yAbajo, s, s), QColor(153, 101, 0));
  p.fillRect(QRect(x0, yAbajo, s, s), QColor(101, 204, 0));
  p.setPen(Qt::black);
  p.setBackgroundMode(Qt::TransparentMode);
  TextoEn(p, x0 + 2 * s + 2 * d, yRef - fm.height() / 2, QStringLiteral("Zorvek"));
  p.restore();
}

void TGrafico::SaveToJPG(const std::string& archivo, int ancho, int alto, int calidad) {
  AsegurarAplicacionGrafica();
  QImage imagen(ancho, alto, QImage::Format_RGB32);
  if (imagen.isNull())
    throw Exception("No se puede crear la imagen de " + std::to_string(ancho) + " x " + std::to_string(alto) +
                    " píxeles para \"" + archivo + "\"");
  {
    QPainter p(&imagen);
    Draw(p, ancho, alto);
  }
  GuardarImagen(imagen, archivo, "jpeg", calidad);
}

void GuardarImagen(const QImage& imagen, const std::string& archivo, const char* formato, int calidad) {
  namespace fs = std::filesystem;
  const fs::path destino(archivo);
  std::error_code ec;
  if (destino.has_parent_path()) fs::create_directories(destino.parent_path(), ec);
  const std::string temporal = archivo + ".tmp";
  QImageWriter escritor(AQString(temporal), QByteArray(formato));
  if (std::string(formato) == "jpeg") escritor.setQuality(calidad);
  if (!escritor.write(imagen)) {
    const std::string motivo = escritor.errorString().toStdString();
    fs::remove(temporal, ec);
    throw Exception("No se puede escribir el archivo \"" + archivo + "\": " + motivo);
  }
  fs::rename(temporal, destino, ec);
  if (ec) {
    fs::remove(temporal, ec);
    throw Exception("No se puede escribir el archivo \"" + archivo + "\": " + ec.message());
  }
}
