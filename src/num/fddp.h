#pragma once
// Probability distributions of one real variable behind one abstract class, and the seeded uniform
// generator every distribution draws from.
//
// TMadreUniforme is a small copyable value: Knuth's subtractive generator on [0, 1) (modulus 10^9,
// table of 55, lag 31), which is also the uniform distribution on [0, 1). The same seed always gives
// the same sequence; a copy continues the sequence independently. A distribution either shares a
// generator given to it (not owned: every user advances it) or owns one it created from its seed.
// Queries do not change a distribution, except sortear (the generator) and the incremental
// cumulative function (its last point).
#include <array>
#include <cstdint>
#include <memory>

#include "num/matreal.h"

class TMadreUniforme {
public:
  explicit TMadreUniforme(int32_t semilla);

  // The uniform distribution on [0, 1).
  double densidad(double x) const { return (x >= 0.0 && x < 1.0) ? 1.0 : 0.0; }
  double distribucion(double x) const { return x < 0.0 ? 0.0 : (x > 1.0 ? 1.0 : x); }
  double distribucion_directa(double x) const { return distribucion(x); }
  double distribucion_incremental(double x) const { return distribucion(x); }
  double x_area(double u) const { return u < 0.0 ? 0.0 : (u > 1.0 ? 1.0 : u); }
  // The next value of the sequence: an integer times 0.000000001 in [0, 1).
  double sortear();
  // Restarts the sequence of seed s (semilla := -|s|).
  void SetSemilla(int32_t s);

  int32_t semilla; // negative: the table is not yet initialised
  double x_inf = 0.0, F_inf = 0.0, x_sup = 1.0, F_sup = 1.0;
  int32_t inext = 0;
  int32_t inextp = 0;
  std::array<int32_t, 56> ma{}; // ma[1..55]; item 0 is not used
};

class Tf_ddp {
public:
  // With a generator it is used and not owned; with none, a TMadreUniforme(semilla) is created and owned.
  Tf_ddp(TMadreUniforme* generador, double x_inf, double F_inf, double x_sup, double F_sup, int32_t semilla);
  virtual ~Tf_ddp() = default;
  Tf_ddp(const Tf_ddp&) = delete;
  Tf_ddp& operator=(const Tf_ddp&) = delete;

  virtual double densidad(double x) const;
  // The cumulative function; by default the incremental one.
  virtual double distribucion(double x) const;
  // F_inf plus the Romberg integral of densidad from x_inf to x.
  virtual double distribucion_directa(double x) const;
  // Walks from the last point reached to x in steps of dx, adding integrals of densidad.
  virtual double distribucion_incremental(double x) const;
  // Quantile: x in [x_inf, x_sup] with distribucion(x) = u, by bisection; raises
  // " Problema de convergencia , area: <u>" when the search does not converge.
  virtual double x_area(double u) const;
  virtual double sortear();
  virtual void SetSemilla(int32_t s);

  int32_t semilla;
  bool propioGenerador;
  TMadreUniforme* generador;
  double dx; // (x_sup - x_inf) / 100 unless a caller sets it
  double F_inf, x_inf;
  double F_sup, x_sup;
  mutable double F_ultimo, x_ultimo;
  mutable double area_buscada;

private:
  std::unique_ptr<TMadreUniforme> generadorPropio_;
};

class Tf_ddp_Weibull : public Tf_ddp {
public:
  // A Weibull of shape k and scale lambda on [0, x_sup].
  Tf_ddp_Weibull(double k, double lambda, double x_sup, TMadreUniforme* generador, int32_t semilla);
  // Fits k and lambda to positive samples (least-squares line on the Weibull plot of the samples in
  // ascending order; an unsorted vector is sorted in a copy).
  // Raises "Imposible invertir sistema Tf_ddp_Weibull.Create_vmuetras en fddp" when the samples hold
  // fewer than two distinct values or the system is singular.
  static std::unique_ptr<Tf_ddp_Weibull> Create_vmuetras(const TVectR& muestras, TMadreUniforme* generador,
                                                         int32_t semilla);

  double densidad(double x) const override;
  double distribucion(double x) const override;
  double distribucion_directa(double x) const override { return distribucion(x); }
  double distribucion_incremental(double x) const override { return distribucion(x); }
  double x_area(double u) const override;

  double k, lambda, k_sobre_lambda, inv_k;
};

class Tf_ddp_VectDeMuestras : public Tf_ddp {
public:
  // Copies and sorts the samples (at least one).
  Tf_ddp_VectDeMuestras(const TVectR& muestras, TMadreUniforme* generador, int32_t semilla);

  double densidad(double x) const override;
  double distribucion_directa(double x) const override;
  double x_area(double u) const override;
  // 0 below the first sample; else the index of the last sample <= x, or the middle of the run of
  // samples equal to x.
  int Posicion(double x) const;

  TVectR muestras; // sorted ascending

private:
  Tf_ddp_VectDeMuestras(TVectR ordenadas, TMadreUniforme* generador, int32_t semilla, int);
};
