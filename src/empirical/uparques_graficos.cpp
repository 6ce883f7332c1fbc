// Charts of the empirical model: the two scatter charts of the filtered samples and the chart of
// every sector's cluster with its S-curve and band table.
#include <algorithm>
#include <cmath>

#include "charts/ugraficador.h"
#include "empirical/uparques_modeloempirico.h"
#include "farm/ucarpetas.h"
#include "farm/uparques_modeloteorico.h"
#include "num/uauxiliares.h"

namespace {

const int kAnchoJPG = 2100, kAltoJPG = 1000, kCalidadJPG = 100;

// A series drawn as markers only: marker colour, kind and half-size, no joining line.
void Marcadores(TSerieGrafico* s, TColor color, TTipoMarcador marcador, int radio) {
  s->colorLinea = clNinguno;
  s->colorMarcador = color;
  s->colorRelleno = color;
  s->marcador = marcador;
  s->radioMarcador = radio;
}

// Adds an x series and a y series bound to it.
TSerieGrafico* Par(TGrafico& g, const std::string& nx, const TDAofNReal& x, const std::string& ny,
                   const TDAofNReal& y) {
  TSerieGrafico* sx = g.NuevaSerie(nx, x, nullptr, "##.##", true);
  return g.NuevaSerie(ny, y, sx, "##.##", false);
}

std::string SufijoAlfaFilt(double AlfaFilt) {
  return std::to_string(static_cast<long long>(std::trunc(100 * AlfaFilt)));
}

} // namespace

void TParque_ModeloEmpirico::GraficarFiltrados() const {
  AsegurarAplicacionGrafica();
  const double PAut = ModeloTeorico->potencia_autorizada_mw;
  const std::string carpeta = Carpeta();

  struct TPar {
    const TDAOfBoolean* flags;
    std::string vxPE, yPE, vxDir, yDir;
    TColor color;
    TTipoMarcador marcador;
    int radio;
  };
  const TPar pares[] = {
      {nullptr, "vel", "PE", "vel", "Dir", ColorRGB(0, 128, 0), TM_Cuadro, 2},
      {&Filt_Coherencia, "vel_filtrados_por_coherencia", "PE_filtrados_por_Coherencia",
       "vel_filtrados_por_coherencia_", "Dir_filtrados_por_Coherencia", ColorRGB(255, 0, 255), TM_Rombo, 4},
      {&Filt_CGM, "vel_filtrados_por_cgm", "PE_filtrados_por_cgm", "vel_filtrados_por_cgm",
       "Dir_filtrados_por_cgm", ColorRGB(255, 0, 0), TM_Rombo, 4},
      {&Filt_Disponibilidad, "vel_filtrados_por_disp", "PE_filtrados_por_disp",
       "vel_filtrados_por_disponibilidad", "Dir_filtrados_por_disponibilidad", ColorRGB(0, 0, 255), TM_Rombo,
       4},
      {&Filtro_Distancia, "vel_filtrados_por_dist", "PE_filtrados_por_dist", "vel_filtrados_por_distancia",
       "Dir_filtrados_por_distancia", clNegro, TM_Rombo, 4},
  };

  TGrafico gpv("gfiltrados_pv", 2, 0);
  gpv.titulo = "Muestras y filtrados (plano PE-Velocidad)";
  gpv.ejeX.titulo = "Velocidad de viento [m/s]";
  gpv.ejeY.titulo = "Potencia eléctrica [MW]";
  TGrafico gdv("gfiltrados_dirvel", 2, 0);
  gdv.titulo = "Muestras y filtrados (plano Dir-Velocidad)";
  gdv.ejeX.titulo = "Velocidad de viento [m/s]";
  gdv.ejeY.titulo = "Dirección [°]";

  TDAofNReal v, p, a;
  for (const TPar& par : pares) {
    v.clear();
    p.clear();
    a.clear();
    for (int k = 1; k <= N; ++k) {
      // The first pair shows every sample; the others what a filter flagged, gaps left out.
      if (par.flags && (Filt_Huecos[k] || !(*par.flags)[k])) continue;
      v.push_back(Vel->e(k));
      p.push_back(PE->e(k));
      a.push_back(Ang->e(k));
    }
    Marcadores(Par(gpv, par.vxPE, v, par.yPE, p), par.color, par.marcador, par.radio);
    Marcadores(Par(gdv, par.vxDir, v, par.yDir, a), par.color, par.marcador, par.radio);
  }
  gpv.ejeX.SetMin(0);
  gpv.ejeX.SetMax(25);
  gpv.ejeY.SetMin(0);
  gpv.ejeY.SetMax(10 * (std::trunc(PAut / 10) + 1));
  gdv.ejeX.SetMin(0);
  gdv.ejeX.SetMax(25);
  gdv.ejeY.SetMin(0);
  gdv.ejeY.SetMax(360);
  const std::string suf = SufijoAlfaFilt(AlfaFilt);
  gpv.SaveToJPG(ArchivoEnCarpeta(carpeta, "\\muestras_filtrados_plano_pe_vel_" + suf + ".jpg"), kAnchoJPG,
                kAltoJPG, kCalidadJPG);
  gdv.SaveToJPG(ArchivoEnCarpeta(carpeta, "\\muestras_filtrados_plano_dir_vel_" + suf + ".jpg"), kAnchoJPG,
                kAltoJPG, kCalidadJPG);
}

std::string NombreGraficoSector(double anguloSector, int pasada, double AlfaFilt) {
  return std::to_string(static_cast<long long>(std::trunc(100 * anguloSector))) + "_" +
         std::to_string(pasada) + "_" + SufijoAlfaFilt(AlfaFilt) + ".jpg";
}

void TParque_ModeloEmpirico::GraficarSector(int s, int pasada) const {
  AsegurarAplicacionGrafica();
  const TClusterSector& cl = ClustersOrdenados[s - 1];
  const double ang = AnguloSector(s);
  const double PAut = ModeloTeorico->potencia_autorizada_mw;
  const double yMax = 10 * std::trunc(std::max(ModeloTeorico->potencia_nominal, PAut) / 10 + 1);
  const int nB = nBandas();

  TGrafico g("gfiltrados_pv", 2, 0);
  g.titulo = "Muestras cluster ang: " + RealATextoFijo(ang, 1) + "°";
  g.ejeX.titulo = "Potencia del viento [MW/m2]";
  g.ejeX.digitosFormato = 6;
  g.ejeX.decimalesFormato = 8;
  g.ejeY.titulo = "Potencia eléctrica [MW]";
  g.ejeY.SetMin(0);
  g.ejeY.SetMax(yMax);

  // Day (07:00 to 19:59:59) and night samples.
  TDAofNReal xd, yd, xn, yn;
  for (int i = 1; i <= cl.Pv3.n(); ++i) {
    if (EsMuestraDiurna(cl.Tiempo.e(i))) {
      xd.push_back(cl.Pv3.e(i));
      yd.push_back(cl.PE.e(i));
    } else {
      xn.push_back(cl.Pv3.e(i));
      yn.push_back(cl.PE.e(i));
    }
  }
  Marcadores(Par(g, "Pv3_7a19hs", xd, "PE_muestras_7a19hs", yd), ColorRGB(0, 0, 255), TM_Cuadro, 2);
  Marcadores(Par(g, "Pv3_20a6hs", xn, "PE_muestras_20a6hs", yn), clNegro, TM_Cuadro, 2);

  // Band edges.
  for (int j = 1; j <= nB + 1; ++j)
    g.AddLineaVertical(BandasPv3.e(j) + 0.000005, clNegro);

  // S-curve at the band centres and as a line.
  TDAofNReal xc(nB), yc(nB);
  for (int b = 1; b <= nB; ++b) {
    xc[b - 1] = Pv3Medio.e(b);
    yc[b - 1] = PotenciaCurvaS(ang, xc[b - 1], 1.225);
  }
  Marcadores(Par(g, "Pv3Medio", xc, "F0_s", yc), ColorRGB(255, 0, 0), TM_Rombo, 6);
  TDAofNReal xl, yl;
  for (int b = 1; b <= nB; ++b) {
    for (int i = 0; i <= 9; ++i) {
      const double x = BandasPv3.e(b) + (BandasPv3.e(b + 1) - BandasPv3.e(b)) * i / 10;
      xl.push_back(x);
      yl.push_back(PotenciaCurvaS(ang, x, 1.225));
    }
  }
  TSerieGrafico* curva = Par(g, "Pv3_Hermit", xl, "PE_Curva_s", yl);
  curva->colorLinea = ColorRGB(255, 0, 0);
  curva->colorMarcador = clNinguno;
  curva->colorRelleno = clNinguno;
  curva->radioMarcador = 0;

  // Band points: counts on the right axis, representative powers on the left.
  TDAofNReal peso(nB), f0(nB);
  for (int b = 1; b <= nB; ++b) {
    peso[b - 1] = Peso.e(s, b);
    f0[b - 1] = F0.e(s, b);
  }
  TSerieGrafico* sp = Par(g, "Pv3Medio", xc, "Peso", peso);
  Marcadores(sp, ColorRGB(255, 0, 255), TM_Cuadro, 3);
  sp->ejeDerecho = true;
  Marcadores(Par(g, "Pv3Medio", xc, "F0", f0), ColorRGB(255, 0, 0), TM_Rombo, 3);

  g.SaveToJPG(ArchivoEnCarpeta(Carpeta(), NombreGraficoSector(ang, pasada, AlfaFilt)), kAnchoJPG, kAltoJPG,
              kCalidadJPG);
}
