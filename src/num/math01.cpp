#include "num/math01.h"

#include <cmath>
#include <utility>
#include <vector>

bool T_ProblemaFx_Cero::Biseccion(uint16_t NMaxIter, double tolerancia, double x1, double x2, double& x,
                                  double& fx, int& iteraciones) {
  if (x1 > x2) std::swap(x1, x2);
  double a = x1, b = x2;
  double fa = f(a);
  const double fb = f(b);
  iteraciones = 0;
  bool convergio = false;
  if (!(fa * fb > 0)) {
    for (;;) {
      ++iteraciones;
      const double aAntes = a, bAntes = b;
      const double m = (a + b) * 0.5;
      const double fm = f(m);
      if (fm * fa > 0) {
        a = m;
        fa = fm;
      } else {
        b = m;
      }
      if (b - a <= tolerancia) {
        convergio = true;
        break;
      }
      if (iteraciones == int(NMaxIter)) break;
      // A limit of 0 sets no limit. A halving that changed neither end would repeat for ever (the
      // tolerance is finer than the spacing of the doubles there): the search stops, not converged.
      if (NMaxIter == 0 && a == aAntes && b == bAntes) break;
    }
  }
  x = (a + b) * 0.5;
  fx = f(x);
  return convergio;
}

bool BuscarCero(const TFuncionReal& f, uint16_t NMaxIter, double tolerancia, double x1, double x2, double& x,
                double& fx, int& iteraciones) {
  T_ProblemaFx_Cero_externa problema(f);
  return problema.Biseccion(NMaxIter, tolerancia, x1, x2, x, fx, iteraciones);
}

bool Romberg(const TFuncionReal& f, double a, double b, double tolerancia, double& integral) {
  constexpr int kNivelesMax = 10;
  double h = (b - a) * 0.5;
  double T = (f(a) + f(b)) * h;
  // anterior[j]: extrapolation of order j from the previous refinement.
  std::vector<double> anterior{T}, actual;
  anterior.reserve(kNivelesMax + 1);
  actual.reserve(kNivelesMax + 1);
  int nuevos = 1;
  for (int L = 1;; ++L) {
    double s = 0.0;
    for (int k = 1; k <= nuevos; ++k)
      s = s + f(a + h * (2 * k - 1));
    T = h * s + 0.5 * T;
    actual.assign(1, T);
    double factor = 1.0;
    for (int j = 1; j <= L; ++j) {
      factor = factor * 4.0;
      actual.push_back((factor * actual[size_t(j - 1)] - anterior[size_t(j - 1)]) / (factor - 1.0));
    }
    if (std::fabs(actual[size_t(L)] - anterior[size_t(L - 1)]) <= tolerancia) {
      integral = actual[size_t(L)];
      return true;
    }
    if (L == kNivelesMax) return false;
    std::swap(anterior, actual);
    h = h * 0.5;
    nuevos = 2 * nuevos;
  }
}
