#pragma once
// Scalar services on a real function of one real variable: a zero by bisection inside a bracketing
// interval, and the integral over an interval by Romberg's method.
#include <cstdint>
#include <functional>

using TFuncionReal = std::function<double(double)>;

// A root-finding problem: f is the function whose zero is sought.
class T_ProblemaFx_Cero {
public:
  virtual ~T_ProblemaFx_Cero() = default;
  virtual double f(double x) = 0;
  // Bisection of [x1, x2] (either order). True only when the interval shrank to the tolerance;
  // false when the ends do not bracket a zero (iteraciones 0) or the limit was reached. In every
  // case x is the midpoint of the final interval and fx = f(x). A limit of 0 sets no limit (the
  // search then also stops, not converged, when a halving no longer moves either end).
  bool Biseccion(uint16_t NMaxIter, double tolerancia, double x1, double x2, double& x, double& fx,
                 int& iteraciones);
};

// A problem on an outside function.
class T_ProblemaFx_Cero_externa : public T_ProblemaFx_Cero {
public:
  explicit T_ProblemaFx_Cero_externa(TFuncionReal fx) : fx_(std::move(fx)) {}
  double f(double x) override { return fx_(x); }

private:
  TFuncionReal fx_;
};

// Bisection on an outside function (see T_ProblemaFx_Cero::Biseccion).
bool BuscarCero(const TFuncionReal& f, uint16_t NMaxIter, double tolerancia, double x1, double x2, double& x,
                double& fx, int& iteraciones);

// Romberg integral of f over [a, b]: true when two successive best estimates differ by at most the
// tolerance within 10 halvings; integral is set only then.
bool Romberg(const TFuncionReal& f, double a, double b, double tolerancia, double& integral);
