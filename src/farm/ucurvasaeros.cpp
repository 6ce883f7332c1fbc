#include "farm/ucurvasaeros.h"

#include <cmath>
#include <utility>

#include "num/uauxiliares.h"
#include "num/utexto_archivos.h"

namespace {
constexpr double PI = 3.14159265358979323846;
}

TCurvaAerogen::TCurvaAerogen(int nid_, std::string modelo_, double diametro_, TVectR curva_v_,
                             TVectR curva_P_)
    : nid(nid_), modelo(std::move(modelo_)), diametro(diametro_), curva_v(std::move(curva_v_)),
      curva_P(std::move(curva_P_)) {
  if (curva_v.n() < 1)
    throw Exception("La curva de potencia " + std::to_string(nid) + " (" + modelo + ") no tiene puntos");
  if (curva_v.n() != curva_P.n())
    throw Exception("La curva de potencia " + std::to_string(nid) + " (" + modelo + ") tiene " +
                    std::to_string(curva_v.n()) + " velocidades y " + std::to_string(curva_P.n()) +
                    " potencias");
  CalcularDerivados();
}

TCurvaAerogen TCurvaAerogen::Create_Copia(const TCurvaAerogen& c) {
  return TCurvaAerogen(c.nid, c.modelo, c.diametro, TVectR::Create_Copia(c.curva_v),
                       TVectR::Create_Copia(c.curva_P));
}

TCurvaAerogen TCurvaAerogen::Create_LoadFromText(TLectorTexto& f) {
  TEnFormatosDB formatos;
  const int nid = f.LeerEntero();
  std::string modelo = f.LeerLinea();
  const double diametro = f.LeerReal();
  TVectR v = TVectR::Create_LoadFromText(f);
  TVectR p = TVectR::Create_LoadFromText(f);
  try {
    return TCurvaAerogen(nid, std::move(modelo), diametro, std::move(v), std::move(p));
  } catch (const Exception& e) {
    f.Error(e.what());
  }
}

void TCurvaAerogen::SaveToText(TEscritorTexto& f) const {
  TEnFormatosDB formatos;
  f.EscribirEntero(nid);
  f.EscribirLinea(modelo);
  f.EscribirReal(diametro);
  curva_v.SaveToText(f);
  curva_P.SaveToText(f);
}

void TCurvaAerogen::CalcularDerivados() {
  area = PI * ((0.5 * diametro) * (0.5 * diametro));
  n_puntos = curva_v.n();
  curva_dp = TVectR(n_puntos);
  for (int i = 1; i <= n_puntos; ++i) {
    const double v = curva_v.e(i);
    curva_dp.pon_e(i, v * v * v * (1.225 * 0.5) / 1000000.0);
  }
  dp_min = curva_dp.e(1);
  dp_max = dp_min;
  for (int i = 2; i <= n_puntos; ++i) {
    const double d = curva_dp.e(i);
    if (d < dp_min)
      dp_min = d;
    else if (d > dp_max)
      dp_max = d;
  }
  CalcularNominalesYLogistica();
}

void TCurvaAerogen::CalcularNominalesYLogistica() {
  potencia_max = curva_P.e(1);
  for (int i = 2; i <= n_puntos; ++i)
    if (curva_P.e(i) > potencia_max) potencia_max = curva_P.e(i);

  i_nominal = 1;
  for (int i = 1; i <= n_puntos; ++i)
    if (std::fabs(curva_P.e(i) - potencia_max) <= 1e-10) {
      i_nominal = i;
      break;
    }
  v_nominal = curva_v.e(i_nominal);
  dp_nominal = curva_dp.e(i_nominal);

  i_1pc = 1;
  for (int i = 1; i <= n_puntos; ++i)
    if (curva_P.e(i) >= 0.01 * potencia_max) {
      i_1pc = i;
      break;
    }
  v_1pc = curva_v.e(i_1pc);
  dp_1pc = curva_dp.e(i_1pc);

  // Logistic approximation: ln(Pmax / P − 1) is linear in v for a logistic curve.
  const double lo = v_1pc + 1.1;
  const double hi = 0.9 * v_nominal;
  TVectR y(n_puntos);
  for (int i = i_1pc; i <= i_nominal; ++i) {
    const double v = curva_v.e(i);
    if (lo <= v && v < hi) y.pon_e(i, std::log(potencia_max / curva_P.e(i) - 1));
  }
  double a = 0, b = 0, res = 0;
  const int n = y.AproximacionLineal(curva_v, lo, hi, a, b, res);
  if (n <= 0) {
    // No point in the fitting range: the fit's value is -1 and there is no logistic reference;
    // lookups are unaffected.
    res_ajuste = -1;
    n_ajuste = 0;
    alfa = 0;
    vm = 0;
    return;
  }
  res_ajuste = res;
  n_ajuste = n;
  alfa = -a;
  vm = b / alfa;
}

double TCurvaAerogen::PotenciaDeDp(double dp) const {
  if (dp < dp_min || dp > dp_max) return 0;
  const double p = curva_dp.inv_interpol(dp);
  return curva_P.interpol(p);
}

void TCurvaAerogen::SumarCurvas(const std::vector<const TCurvaAerogen*>& curvas) {
  for (const TCurvaAerogen* c : curvas)
    for (int i = 1; i <= n_puntos; ++i)
      curva_P.acum_e(i, c->PotenciaDeDp(curva_dp.e(i)));
  CalcularNominalesYLogistica();
}

double TCurvaAerogen::PotenciaLogistica(double v) const {
  return potencia_max / (1 + std::exp(-alfa * (v - vm)));
}
