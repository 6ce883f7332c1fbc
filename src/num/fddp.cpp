#include "num/fddp.h"

#include <cmath>
#include <cstdlib>

#include "num/math01.h"
#include "num/uauxiliares.h"

namespace {
constexpr int32_t kMBig = 1000000000;
constexpr int32_t kMSeed = 161803398;

int32_t MenosAbsoluto(int32_t s) {
  return s < 0 ? s : -s;
}
} // namespace

// ---------------------------------------------------------------- TMadreUniforme

TMadreUniforme::TMadreUniforme(int32_t semilla_) : semilla(0) {
  SetSemilla(semilla_);
}

void TMadreUniforme::SetSemilla(int32_t s) {
  semilla = MenosAbsoluto(s);
}

double TMadreUniforme::sortear() {
  if (semilla < 0) {
    int32_t mj = kMSeed + semilla;
    while (mj < 0)
      mj += kMBig;
    mj = mj % kMBig;
    ma[55] = mj;
    int32_t mk = 1;
    for (int i = 1; i <= 54; ++i) {
      const int ii = (21 * i) % 55;
      ma[size_t(ii)] = mk;
      mk = mj - mk;
      if (mk < 0) mk += kMBig;
      mj = ma[size_t(ii)];
    }
    for (int vuelta = 1; vuelta <= 4; ++vuelta)
      for (int i = 1; i <= 55; ++i) {
        ma[size_t(i)] = ma[size_t(i)] - ma[size_t(1 + (i + 30) % 55)];
        if (ma[size_t(i)] < 0) ma[size_t(i)] += kMBig;
      }
    inext = 0;
    inextp = 31;
    semilla = -semilla;
  }
  if (++inext == 56) inext = 1;
  if (++inextp == 56) inextp = 1;
  int32_t mj = ma[size_t(inext)] - ma[size_t(inextp)];
  if (mj < 0) mj += kMBig;
  ma[size_t(inext)] = mj;
  return mj * 0.000000001;
}

// ---------------------------------------------------------------- Tf_ddp

Tf_ddp::Tf_ddp(TMadreUniforme* generador_, double x_inf_, double F_inf_, double x_sup_, double F_sup_,
               int32_t semilla_)
    : semilla(MenosAbsoluto(semilla_)), propioGenerador(generador_ == nullptr), generador(generador_),
      dx((x_sup_ - x_inf_) / 100.0), F_inf(F_inf_), x_inf(x_inf_), F_sup(F_sup_), x_sup(x_sup_),
      F_ultimo(F_inf_), x_ultimo(x_inf_), area_buscada(0.0) {
  if (propioGenerador) {
    generadorPropio_ = std::make_unique<TMadreUniforme>(semilla_);
    generador = generadorPropio_.get();
  }
}

double Tf_ddp::densidad(double) const {
  return 0.0;
}

double Tf_ddp::distribucion(double x) const {
  return distribucion_incremental(x);
}

double Tf_ddp::distribucion_directa(double x) const {
  double integral = 0.0;
  Romberg([this](double t) { return densidad(t); }, x_inf, x, AsumaCero, integral);
  return F_inf + integral;
}

double Tf_ddp::distribucion_incremental(double x) const {
  const auto f = [this](double t) { return densidad(t); };
  const double paso = x >= x_ultimo ? std::fabs(dx) : -std::fabs(dx);
  while (paso != 0.0 && (paso > 0 ? x_ultimo + paso < x : x_ultimo + paso > x)) {
    double integral = 0.0;
    Romberg(f, x_ultimo, x_ultimo + paso, 0.0001, integral);
    F_ultimo = F_ultimo + integral;
    x_ultimo = x_ultimo + paso;
  }
  double integral = 0.0;
  Romberg(f, x_ultimo, x, 0.0001, integral);
  F_ultimo = F_ultimo + integral;
  x_ultimo = x;
  return F_ultimo;
}

double Tf_ddp::x_area(double u) const {
  if (u <= F_inf) return x_inf;
  if (u >= F_sup) return x_sup;
  area_buscada = u;
  double x, fx;
  int iteraciones;
  if (!BuscarCero([this](double t) { return distribucion(t) - area_buscada; }, 1000, 0.0001, x_inf, x_sup, x,
                  fx, iteraciones))
    throw Exception(" Problema de convergencia , area: " + RealATextoGeneral(u));
  return x;
}

double Tf_ddp::sortear() {
  return x_area(generador->sortear());
}

void Tf_ddp::SetSemilla(int32_t s) {
  semilla = MenosAbsoluto(s);
}

// ---------------------------------------------------------------- Tf_ddp_Weibull

Tf_ddp_Weibull::Tf_ddp_Weibull(double k_, double lambda_, double x_sup_, TMadreUniforme* generador_,
                               int32_t semilla_)
    : Tf_ddp(generador_, 0.0, 0.0, x_sup_, 1.0, semilla_), k(k_), lambda(lambda_),
      k_sobre_lambda(k_ / lambda_), inv_k(1.0 / k_) {}

std::unique_ptr<Tf_ddp_Weibull> Tf_ddp_Weibull::Create_vmuetras(const TVectR& muestras,
                                                                TMadreUniforme* generador, int32_t semilla) {
  const char* kError = "Imposible invertir sistema Tf_ddp_Weibull.Create_vmuetras en fddp";
  // The plotting positions assume ascending order; sorting an already sorted copy changes nothing.
  TVectR x = muestras;
  x.Sort(true);
  const int n = x.n();
  // With fewer than two distinct values the Weibull plot has no line; rounding may leave a tiny
  // non-zero last pivot that the solver would accept, so this is decided here.
  bool distintos = false;
  for (int i = 2; i <= n && !distintos; ++i)
    distintos = x.e(i) != x.e(1);
  if (!distintos) throw Exception(kError);

  double sX2 = 0.0, sX = 0.0, sXY = 0.0, sY = 0.0, sx = 0.0;
  for (int i = 1; i <= n; ++i) {
    const double F = (i - 0.5) / n;
    const double Y = std::log(std::log(1.0 / (1.0 - F)));
    const double X = std::log(x.e(i));
    sX2 = sX2 + X * X;
    sX = sX + X;
    sXY = sXY + X * Y;
    sY = sY + Y;
    sx = sx + x.e(i);
  }
  const double mediaX = sX / n, mediaY = sY / n;
  TMatR A(2, 2), B(2, 1);
  A.pon_e(1, 1, sX2 / n);
  A.pon_e(1, 2, -mediaX);
  A.pon_e(2, 1, -mediaX);
  A.pon_e(2, 2, 1.0);
  B.pon_e(1, 1, sXY / n);
  B.pon_e(2, 1, -mediaY);
  double det;
  int exponente;
  if (!A.Resolver(B, det, exponente)) throw Exception(kError);
  const double k = B.e(1, 1);
  const double c = B.e(2, 1);
  return std::make_unique<Tf_ddp_Weibull>(k, std::exp(c / k), 1000.0 * (sx / n), generador, semilla);
}

double Tf_ddp_Weibull::densidad(double x) const {
  if (x <= AsumaCero) return 0.0;
  const double z = x / lambda;
  const double p = std::pow(z, k);
  return std::exp(-p) * (p / z) * k_sobre_lambda;
}

double Tf_ddp_Weibull::distribucion(double x) const {
  if (x > 0) return 1.0 - std::exp(-std::pow(x / lambda, k));
  return 0.0;
}

double Tf_ddp_Weibull::x_area(double u) const {
  if (u <= AsumaCero) return 0.0;
  return lambda * std::pow(-std::log(1.0 - u), inv_k);
}

// ---------------------------------------------------------------- Tf_ddp_VectDeMuestras

namespace {
TVectR Ordenadas(const TVectR& muestras) {
  if (muestras.n() < 1) throw Exception("Tf_ddp_VectDeMuestras: no hay muestras");
  TVectR r = muestras;
  r.Sort(true);
  return r;
}
} // namespace

Tf_ddp_VectDeMuestras::Tf_ddp_VectDeMuestras(const TVectR& muestras_, TMadreUniforme* generador_,
                                             int32_t semilla_)
    : Tf_ddp_VectDeMuestras(Ordenadas(muestras_), generador_, semilla_, 0) {}

Tf_ddp_VectDeMuestras::Tf_ddp_VectDeMuestras(TVectR ordenadas, TMadreUniforme* generador_, int32_t semilla_,
                                             int)
    : Tf_ddp(generador_, ordenadas.e(1), 0.0, ordenadas.e(ordenadas.n()), 1.0, semilla_),
      muestras(std::move(ordenadas)) {}

int Tf_ddp_VectDeMuestras::Posicion(double x) const {
  const double* s0 = muestras.datos();
  const auto s = [s0](int i) { return s0[i - 1]; }; // s(1..m)
  const int m = muestras.n();
  if (x < s(1)) return 0;
  // c := number of samples <= x, plus 1.
  int lo = 1, hi = m;
  while (lo <= hi) {
    const int mid = lo + (hi - lo) / 2;
    if (s(mid) > x)
      hi = mid - 1;
    else
      lo = mid + 1;
  }
  const int c = lo;
  if (s(c - 1) != x) return c - 1;
  int p = c - 1;
  while (p > 1 && s(p - 1) == x)
    --p;
  return (p + c - 1) / 2;
}

double Tf_ddp_VectDeMuestras::densidad(double x) const {
  const int a = Posicion(x);
  const int m = muestras.n();
  if (a <= 0 || a >= m) return 0.0;
  const double d = muestras.e(a + 1) - muestras.e(a);
  if (d > AsumaCero) return 1.0 / (d * (m - 1));
  return 1000000.0;
}

double Tf_ddp_VectDeMuestras::distribucion_directa(double x) const {
  const int a = Posicion(x);
  const int m = muestras.n();
  if (a >= m) return 1.0;
  if (a < 1) return 0.0;
  const double d = muestras.e(a + 1) - muestras.e(a);
  if (d > AsumaCero) return (a + (x - muestras.e(a)) / d) / m;
  return double(a) / m;
}

double Tf_ddp_VectDeMuestras::x_area(double u) const {
  if (u < 0) return muestras.e(1);
  const int m = muestras.n();
  const double b = (m - 1) * u;
  const double tb = std::trunc(b);
  if (tb + 1 < m) {
    const int j = int(tb) + 1;
    return muestras.e(j) + (muestras.e(j + 1) - muestras.e(j)) * (b - tb);
  }
  return muestras.e(m);
}
