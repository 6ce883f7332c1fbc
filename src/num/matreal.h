#pragma once
// Real vectors and matrices, the small linear-system solver of the curve fits, and the array
// helpers shared by every unit.
//
// Invariants: a TVectR holds n() doubles contiguously, indexed 1..n(), zero when created. A TMatR
// owns nf() rows, each a TVectR of nc() elements, indexed (1,1)..(nf(),nc()); exchanging two rows
// swaps the row objects and copies no element. Indices are never validated in release builds (an
// assert guards them in debug builds): callers keep them in range. Element access, pon_e and
// interpol sit in the innermost loops of the models and stay free of checks and allocations.
#include <cassert>
#include <cmath>
#include <string>
#include <utility>
#include <vector>

#include "num/xmatdefs.h"

class TLectorTexto;
class TEscritorTexto;

// Machine epsilon: halving a = 1 until 1 + a rounds to 1 (at most 500 000 halvings), then doubling
// the last a; 2^-52 for IEEE doubles. Computed once at start-up, before any global that uses it.
double CalcularAsumaCero();
inline const double AsumaCero = CalcularAsumaCero();
inline const double dos_pi = 2.0 * 3.14159265358979323846;

// True when |x| < AsumaCero.
inline bool EsCero(double x) {
  return std::fabs(x) < AsumaCero;
}

class TVectR {
public:
  TVectR() = default;
  explicit TVectR(int n) : v_(n > 0 ? size_t(n) : 0, 0.0) {}

  static TVectR Create_Copia(const TVectR& w) { return w; }
  // Element k + j takes item j of a (k is 1 in every use: element i = item i - 1).
  static TVectR Create_FromDA(const TDAofNReal& a, int k = 1);
  // Vector block: the count on one line, then one element per line.
  static TVectR Create_LoadFromText(TLectorTexto& f);
  // Text form "[" n "|" e1 ";" ... ";" en "]"; each element goes through the expression evaluator.
  static TVectR Create_FromStr(const std::string& s);
  void SaveToText(TEscritorTexto& f) const;
  // Text form with the shortest general form of each element (15 significant digits).
  std::string ToStr() const;

  int n() const { return int(v_.size()); }
  double e(int i) const {
    assert(i >= 1 && i <= n());
    return v_[size_t(i - 1)];
  }
  void pon_e(int i, double x) {
    assert(i >= 1 && i <= n());
    v_[size_t(i - 1)] = x;
  }
  void acum_e(int i, double x) {
    assert(i >= 1 && i <= n());
    v_[size_t(i - 1)] += x;
  }
  // Contiguous storage: datos()[0] is element 1, datos()[n()-1] element n.
  double* datos() { return v_.data(); }
  const double* datos() const { return v_.data(); }
  double* begin() { return v_.data(); }
  double* end() { return v_.data() + v_.size(); }
  const double* begin() const { return v_.data(); }
  const double* end() const { return v_.data() + v_.size(); }

  void Ceros();
  void Unos();
  // New length m: elements 1..min(n, m) keep their values, new ones are 0.
  void Resize(int m) { v_.resize(m > 0 ? size_t(m) : 0, 0.0); }
  // Copy of elements first..last into a 0-based array; last = -1 means up to n.
  TDAofNReal ToDA(int first = 1, int last = -1) const;
  // Element i := w[i] for i = 1..w.n().
  void Copiar(const TVectR& w);
  // Element i := a[i] + b[i] for i = 1..n().
  void Suma(const TVectR& a, const TVectR& b);
  // Elements k..n multiplied by x.
  void PorReal(int k, double x);
  void PorReal(double x) { PorReal(1, x); }
  // Elements k..m increased by x * w[i].
  void SumaRango(int k, int m, double x, const TVectR& w);
  TVectR ProdElemento(const TVectR& w) const;
  double PEscalar(const TVectR& w) const;
  double Suma2() const;
  double Norma() const { return std::sqrt(Suma2()); }
  double Promedio() const;
  // Sum of elements k..m (0 when m < k).
  double SumaDesdeHasta(int k, int m) const;
  double min() const;
  double max() const;
  // Smallest and largest value and their indices; a value only replaces the minimum when strictly
  // below it, otherwise the maximum when strictly above it.
  void MinMax(double& vmin, int& imin, double& vmax, int& imax) const;

  // Forward interpolation at a fractional 1-based index x: e(1) below index 1, e(n) from index n on.
  double interpol(double x) const {
    const double* v = v_.data();
    const int nn = n();
    if (!(x >= 1.0)) return v[0];
    if (x >= double(nn)) return v[nn - 1];
    const int a = int(x);
    return v[a - 1] + (x - a) * (v[a] - v[a - 1]);
  }
  // Fractional index at which an increasing vector takes the value y (may fall outside 1..n).
  double inv_interpol(double y) const;
  // Least-squares line y = a x + b through the points (w(i), e(i)) with lo <= w(i) < hi. Returns the
  // number of points, or -1 (a = b = 0) when there is none; raises "TVectR.AproximacionLineal res= 0"
  // when the points do not fix a line.
  int AproximacionLineal(const TVectR& w, double lo, double hi, double& a, double& b, double& residuo) const;

  // In-place quicksort with the middle pivot (fixes the order of equal values).
  void Sort(bool ascendente);
  // As Sort, moving idx[i] with element i (idx holds at least n + 1 items; item 0 is not used).
  void SortConIndice(bool ascendente, TDAofNInt& idx);
  // p holds 1-based indices in items 1..n. Permutar: new e(i) := old e(p[i]);
  // DesPermutar: new e(p[i]) := old e(i).
  void Permutar(const TDAofNInt& p);
  void DesPermutar(const TDAofNInt& p);

  // To standard output, one line per element between " TVectR.print.inicio" and " TVectR.print.fin".
  void print() const;

private:
  std::vector<double> v_;
};

using TDAOfVectR = std::vector<TVectR>;

class TMatR {
public:
  TMatR() = default;
  TMatR(int nf, int nc);

  static TMatR Create_Copia(const TMatR& m) { return m; }
  // Matrix block: nf on one line, nc on one line, then each row as a vector block.
  static TMatR Create_LoadFromText(TLectorTexto& f);
  // Text form "[" nf "|" nc "]" then "[" e ";" ... ";" e "]" per row.
  static TMatR Create_FromStr(const std::string& s);
  void SaveToText(TEscritorTexto& f) const;
  // Text form with 5 significant digits per element (exponent of at least 4 digits when scientific).
  std::string ToStr() const;

  int nf() const { return nf_; }
  int nc() const { return nc_; }
  TVectR& fila(int i) {
    assert(i >= 1 && i <= nf_);
    return filas_[size_t(i - 1)];
  }
  const TVectR& fila(int i) const {
    assert(i >= 1 && i <= nf_);
    return filas_[size_t(i - 1)];
  }
  double e(int i, int j) const { return fila(i).e(j); }
  void pon_e(int i, int j, double x) { fila(i).pon_e(j, x); }
  void acum_e(int i, int j, double x) { fila(i).acum_e(j, x); }
  // Exchanges the two rows without copying elements.
  void IntercambiarFilas(int i, int k) { std::swap(filas_[size_t(i - 1)], filas_[size_t(k - 1)]); }

  void Ceros();
  void Unos();
  // Bilinear interpolation at row coordinate R and column coordinate C (needs at least two rows).
  double interpol2(double R, double C) const;
  double max() const;
  double SumaTotal() const;
  void PorReal(double x);
  // Row i := a row i + b row i.
  void Suma(const TMatR& a, const TMatR& b);
  // Row i := element-wise product of row i and b's row i.
  void ProdElemento(const TMatR& b);
  // Solves this * X = B by Gaussian elimination with partial pivoting; this is overwritten and B
  // receives X. Returns false on a singular system; the determinant is det * 10^exponente.
  bool Resolver(TMatR& B, double& det, int& exponente);

  // To standard output, one line per row between " TVectR.print.inicio" and " TVectR.print.fin".
  void print() const;
  // Tab-separated table with a header line of sizes and a line of column numbers.
  void WriteTabla(TEscritorTexto& f) const;

private:
  std::vector<TVectR> filas_;
  int nf_ = 0;
  int nc_ = 0;
};

// --- Helpers on plain 0-based arrays ---
void SwapDA(TDAofNReal& a, TDAofNReal& b);
void PonerACeros(TDAofNInt& a);
void PonerTodos(TDAOfBoolean& a, bool valor);
// Smallest / largest item (the first one, replaced only by a strictly smaller / larger one).
double MinDA(const TDAofNReal& a);
double MaxDA(const TDAofNReal& a);
// On a sorted array: the first position in lo..hi whose item is greater than x (hi + 1 when none).
int BuscarPosicion(const TDAofNReal& a, int lo, int hi, double x);
