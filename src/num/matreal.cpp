#include "num/matreal.h"

#include <cstdio>
#include <iostream>

#include "num/uauxiliares.h"
#include "num/utexto_archivos.h"

double CalcularAsumaCero() {
  volatile double a = 1.0;
  volatile double suma = 1.0 + a;
  int cnt = 0;
  while (suma != 1.0 && cnt < 500000) {
    a = a * 0.5;
    suma = 1.0 + a;
    ++cnt;
  }
  return a * 2.0;
}

namespace {

// 1-based view of contiguous storage: v[1] is the first item.
template <class T> struct TBase1 {
  T* p;
  T& operator[](int i) const { return p[i - 1]; }
};

// Text up to the delimiter (the whole remaining text when it is missing); the rest continues after it.
std::string TomarHasta(std::string& s, char delim) {
  const size_t p = s.find(delim);
  std::string pieza;
  if (p == std::string::npos) {
    pieza = s;
    s.clear();
  } else {
    pieza = s.substr(0, p);
    s.erase(0, p + 1);
  }
  return pieza;
}

// Drops everything up to and including the next delimiter (everything when it is missing).
void SaltarHasta(std::string& s, char delim) {
  TomarHasta(s, delim);
}

int ContarTexto(const std::string& pieza, const std::string& texto, const char* que) {
  const int n = StrToInt(Recortar(pieza));
  if (n < 0)
    throw Exception(std::string("Número de ") + que + " negativo (" + std::to_string(n) + ") en el texto \"" +
                    texto + "\"");
  return n;
}

double RealDeTexto(const std::string& pieza) {
  return StrToReal(Recortar(pieza));
}

// Hoare partition quicksort with the middle pivot on the 1-based range lo..hi of v (and of idx when
// given). The two sub-ranges are disjoint, so sorting the smaller first and looping on the larger
// gives the same result as plain recursion with a bounded depth.
template <bool Ascendente> void QuickSort(TBase1<double> v, int* idx, int lo, int hi) {
  while (lo < hi) {
    const double pivot = v[(lo + hi) / 2];
    int i = lo;
    int j = hi;
    do {
      if constexpr (Ascendente) {
        while (v[i] < pivot)
          ++i;
        while (pivot < v[j])
          --j;
      } else {
        while (v[i] > pivot)
          ++i;
        while (pivot > v[j])
          --j;
      }
      if (i <= j) {
        std::swap(v[i], v[j]);
        if (idx) std::swap(idx[i], idx[j]);
        ++i;
        --j;
      }
    } while (i <= j);
    if (j - lo < hi - i) {
      if (lo < j) QuickSort<Ascendente>(v, idx, lo, j);
      lo = i;
    } else {
      if (i < hi) QuickSort<Ascendente>(v, idx, i, hi);
      hi = j;
    }
  }
}

void NormalizarDeterminante(double& det, int& exponente) {
  // An overflowed running product stays infinite however often it is divided: leave it as it is.
  while (std::fabs(det) > 1000.0 && std::isfinite(det)) {
    det = det / 10.0;
    ++exponente;
  }
  while (std::fabs(det) < 0.001) {
    det = det * 10.0;
    --exponente;
  }
}

} // namespace

// ---------------------------------------------------------------- TVectR

TVectR TVectR::Create_FromDA(const TDAofNReal& a, int k) {
  TVectR r(int(a.size()));
  for (size_t j = 0; j < a.size(); ++j) {
    const long long i = k + (long long)j;
    if (i >= 1 && i <= r.n()) r.pon_e(int(i), a[j]);
  }
  return r;
}

TVectR TVectR::Create_LoadFromText(TLectorTexto& f) {
  const int n = f.LeerEntero();
  if (n < 0) f.Error("número de elementos del vector negativo (" + std::to_string(n) + ")");
  TVectR r(n);
  for (int i = 1; i <= n; ++i)
    r.pon_e(i, f.LeerReal());
  return r;
}

TVectR TVectR::Create_FromStr(const std::string& s) {
  std::string resto = s;
  if (resto.find('[') != std::string::npos) SaltarHasta(resto, '[');
  const int n = ContarTexto(TomarHasta(resto, '|'), s, "elementos");
  TVectR r(n);
  for (int i = 1; i <= n; ++i)
    r.pon_e(i, RealDeTexto(TomarHasta(resto, i < n ? ';' : ']')));
  return r;
}

void TVectR::SaveToText(TEscritorTexto& f) const {
  f.EscribirEntero(n());
  for (double x : v_)
    f.EscribirReal(x);
}

std::string TVectR::ToStr() const {
  std::string s = "[";
  s += std::to_string(n());
  s += "|";
  for (int i = 1; i <= n(); ++i) {
    if (i > 1) s += ";";
    s += RealATextoGeneral(e(i));
  }
  return s + "]";
}

void TVectR::Ceros() {
  for (double& x : v_)
    x = 0.0;
}

void TVectR::Unos() {
  for (double& x : v_)
    x = 1.0;
}

TDAofNReal TVectR::ToDA(int first, int last) const {
  if (last == -1) last = n();
  TDAofNReal a;
  if (last >= first) a.reserve(size_t(last - first + 1));
  for (int i = first; i <= last; ++i)
    a.push_back(e(i));
  return a;
}

void TVectR::Copiar(const TVectR& w) {
  for (int i = 1; i <= w.n(); ++i)
    pon_e(i, w.e(i));
}

void TVectR::Suma(const TVectR& a, const TVectR& b) {
  for (int i = 1; i <= n(); ++i)
    pon_e(i, a.e(i) + b.e(i));
}

void TVectR::PorReal(int k, double x) {
  for (int i = k; i <= n(); ++i)
    pon_e(i, e(i) * x);
}

void TVectR::SumaRango(int k, int m, double x, const TVectR& w) {
  for (int i = k; i <= m; ++i)
    pon_e(i, e(i) + x * w.e(i));
}

TVectR TVectR::ProdElemento(const TVectR& w) const {
  TVectR r(n());
  for (int i = 1; i <= n(); ++i)
    r.pon_e(i, e(i) * w.e(i));
  return r;
}

double TVectR::PEscalar(const TVectR& w) const {
  double s = 0.0;
  for (int i = 1; i <= n(); ++i)
    s = s + e(i) * w.e(i);
  return s;
}

double TVectR::Suma2() const {
  double s = 0.0;
  for (double x : v_)
    s = s + x * x;
  return s;
}

double TVectR::Promedio() const {
  double s = 0.0;
  for (double x : v_)
    s = s + x;
  return s / n();
}

double TVectR::SumaDesdeHasta(int k, int m) const {
  double s = 0.0;
  for (int i = k; i <= m; ++i)
    s = s + e(i);
  return s;
}

double TVectR::min() const {
  double m = e(1);
  for (int i = 2; i <= n(); ++i)
    if (e(i) < m) m = e(i);
  return m;
}

double TVectR::max() const {
  double m = e(1);
  for (int i = 2; i <= n(); ++i)
    if (e(i) > m) m = e(i);
  return m;
}

void TVectR::MinMax(double& vmin, int& imin, double& vmax, int& imax) const {
  vmin = e(1);
  vmax = e(1);
  imin = 1;
  imax = 1;
  for (int i = 2; i <= n(); ++i) {
    const double x = e(i);
    if (x < vmin) {
      vmin = x;
      imin = i;
    } else if (x > vmax) {
      vmax = x;
      imax = i;
    }
  }
}

double TVectR::inv_interpol(double y) const {
  const int nn = n();
  if (nn == 0) return -1;
  if (nn == 1) {
    if (e(1) > y) return -1;
    if (e(1) < y) return 2;
    return 1;
  }
  int i = nn;
  for (int k = 1; k <= nn - 1; ++k)
    if (e(k) >= y) {
      i = k;
      break;
    }
  if (i == 1) {
    const double d = e(2) - e(1);
    if (std::fabs(d) > AsumaCero) return (y - e(1)) / d + 1;
    return y == e(1) ? 1 : -1;
  }
  const double d = e(i) - e(i - 1);
  if (std::fabs(d) > AsumaCero) return (y - e(i - 1)) / d + (i - 1);
  return y == e(nn) ? nn : nn + 1;
}

int TVectR::AproximacionLineal(const TVectR& w, double lo, double hi, double& a, double& b,
                               double& residuo) const {
  double sx2 = 0.0, sy2 = 0.0, sx = 0.0, sxy = 0.0, sy = 0.0;
  int cnt = 0;
  bool variasAbscisas = false;
  double xPrimera = 0.0;
  for (int i = 1; i <= n(); ++i) {
    const double x = w.e(i);
    if (lo <= x && x < hi) {
      const double y = e(i);
      sx2 = sx2 + x * x;
      sy2 = sy2 + y * y;
      sx = sx + x;
      sxy = sxy + x * y;
      sy = sy + y;
      if (cnt == 0)
        xPrimera = x;
      else if (x != xPrimera)
        variasAbscisas = true;
      ++cnt;
    }
  }
  a = 0.0;
  b = 0.0;
  residuo = 0.0;
  if (cnt == 0) return -1;
  const double mx2 = sx2 / cnt, my2 = sy2 / cnt, mx = sx / cnt, mxy = sxy / cnt, my = sy / cnt;
  TMatR A(2, 2), B(2, 1);
  A.pon_e(1, 1, mx2);
  A.pon_e(1, 2, mx);
  A.pon_e(2, 1, mx);
  A.pon_e(2, 2, 1.0);
  B.pon_e(1, 1, mxy);
  B.pon_e(2, 1, my);
  double det;
  int exponente;
  // Points on one abscissa do not fix a line, whatever rounding leaves in the last pivot.
  const bool ok = A.Resolver(B, det, exponente);
  if (!ok || !variasAbscisas) throw Exception("TVectR.AproximacionLineal res= 0");
  a = B.e(1, 1);
  b = B.e(2, 1);
  residuo = my2 - (2 * a * b * mx + a * a * mx2 + b * b);
  return cnt;
}

void TVectR::Sort(bool ascendente) {
  if (n() <= 1) return;
  const TBase1<double> v{v_.data()};
  if (ascendente)
    QuickSort<true>(v, nullptr, 1, n());
  else
    QuickSort<false>(v, nullptr, 1, n());
}

void TVectR::SortConIndice(bool ascendente, TDAofNInt& idx) {
  if (n() <= 1) return;
  if (idx.size() < size_t(n()) + 1)
    throw Exception("TVectR.SortConIndice: el arreglo de índices tiene " + std::to_string(idx.size()) +
                    " elementos y necesita " + std::to_string(n() + 1));
  const TBase1<double> v{v_.data()};
  int* p = idx.data();
  if (ascendente)
    QuickSort<true>(v, p, 1, n());
  else
    QuickSort<false>(v, p, 1, n());
}

void TVectR::Permutar(const TDAofNInt& p) {
  if (p.size() < size_t(n()) + 1)
    throw Exception("TVectR.Permutar: la permutación tiene " + std::to_string(p.size()) +
                    " elementos y necesita " + std::to_string(n() + 1));
  const std::vector<double> viejo = v_;
  for (int i = 1; i <= n(); ++i)
    v_[size_t(i - 1)] = viejo[size_t(p[size_t(i)] - 1)];
}

void TVectR::DesPermutar(const TDAofNInt& p) {
  if (p.size() < size_t(n()) + 1)
    throw Exception("TVectR.DesPermutar: la permutación tiene " + std::to_string(p.size()) +
                    " elementos y necesita " + std::to_string(n() + 1));
  const std::vector<double> viejo = v_;
  for (int i = 1; i <= n(); ++i)
    v_[size_t(p[size_t(i)] - 1)] = viejo[size_t(i - 1)];
}

void TVectR::print() const {
  std::string s = " TVectR.print.inicio\n";
  for (int i = 1; i <= n(); ++i)
    s += " N: " + EnteroATexto(i, 6) + " : " + RealATextoFijo(e(i), 4, 12) + "\n";
  s += " TVectR.print.fin\n";
  std::cout << s << std::flush;
}

// ---------------------------------------------------------------- TMatR

TMatR::TMatR(int nf, int nc) : nf_(nf > 0 ? nf : 0), nc_(nc > 0 ? nc : 0) {
  filas_.reserve(size_t(nf_));
  for (int i = 0; i < nf_; ++i)
    filas_.emplace_back(nc_);
}

TMatR TMatR::Create_LoadFromText(TLectorTexto& f) {
  const int nf = f.LeerEntero();
  if (nf < 0) f.Error("número de filas de la matriz negativo (" + std::to_string(nf) + ")");
  const int nc = f.LeerEntero();
  if (nc < 0) f.Error("número de columnas de la matriz negativo (" + std::to_string(nc) + ")");
  TMatR m(nf, nc);
  for (int i = 1; i <= nf; ++i) {
    TVectR fila = TVectR::Create_LoadFromText(f);
    if (fila.n() != nc)
      f.Error("la fila " + std::to_string(i) + " de la matriz tiene " + std::to_string(fila.n()) +
              " elementos y se esperaban " + std::to_string(nc));
    m.filas_[size_t(i - 1)] = std::move(fila);
  }
  return m;
}

TMatR TMatR::Create_FromStr(const std::string& s) {
  std::string resto = s;
  if (resto.find('[') != std::string::npos) SaltarHasta(resto, '[');
  const int nf = ContarTexto(TomarHasta(resto, '|'), s, "filas");
  const int nc = ContarTexto(TomarHasta(resto, ']'), s, "columnas");
  SaltarHasta(resto, '[');
  TMatR m(nf, nc);
  for (int i = 1; i <= nf; ++i) {
    for (int j = 1; j <= nc; ++j)
      m.pon_e(i, j, RealDeTexto(TomarHasta(resto, j < nc ? ';' : ']')));
    if (i < nf) SaltarHasta(resto, '[');
  }
  return m;
}

void TMatR::SaveToText(TEscritorTexto& f) const {
  f.EscribirEntero(nf_);
  f.EscribirEntero(nc_);
  for (const TVectR& fila : filas_)
    fila.SaveToText(f);
}

std::string TMatR::ToStr() const {
  std::string s = "[";
  s += std::to_string(nf_);
  s += "|";
  s += std::to_string(nc_);
  s += "]";
  for (const TVectR& fila : filas_) {
    s += "[";
    for (int j = 1; j <= nc_; ++j) {
      if (j > 1) s += ";";
      s += RealATextoGeneral(fila.e(j), 5, 4);
    }
    s += "]";
  }
  return s;
}

void TMatR::Ceros() {
  for (TVectR& fila : filas_)
    fila.Ceros();
}

void TMatR::Unos() {
  for (TVectR& fila : filas_)
    fila.Unos();
}

double TMatR::interpol2(double R, double C) const {
  // Truncation toward zero of R and C, with the clamps done before converting to integers.
  int ri;
  if (!(R >= 1.0)) {
    ri = 1;
    R = 1;
  } else if (R >= double(nf_)) {
    ri = nf_;
  } else {
    ri = int(R);
  }
  if (ri >= nf_) {
    ri = nf_ - 1;
    R = nf_;
  }
  if (!(C >= 1.0)) C = 1;
  if (C >= double(nc_)) C = nc_;
  return fila(ri).interpol(C) * ((ri + 1) - R) + fila(ri + 1).interpol(C) * (R - ri);
}

double TMatR::max() const {
  double m = fila(1).max();
  for (int i = 2; i <= nf_; ++i) {
    const double x = fila(i).max();
    if (x > m) m = x;
  }
  return m;
}

double TMatR::SumaTotal() const {
  double s = 0.0;
  for (const TVectR& fila : filas_)
    for (double x : fila)
      s = s + x;
  return s;
}

void TMatR::PorReal(double x) {
  for (TVectR& fila : filas_)
    fila.PorReal(1, x);
}

void TMatR::Suma(const TMatR& a, const TMatR& b) {
  for (int i = 1; i <= nf_; ++i)
    fila(i).Suma(a.fila(i), b.fila(i));
}

void TMatR::ProdElemento(const TMatR& b) {
  for (int i = 1; i <= nf_; ++i)
    fila(i) = fila(i).ProdElemento(b.fila(i));
}

bool TMatR::Resolver(TMatR& B, double& det, int& exponente) {
  const int n = nf_;
  const int nb = B.nc();
  bool ok = true;
  det = 1.0;
  exponente = 0;
  for (int k = 1; ok && k < n; ++k) {
    int p = k;
    double amax = std::fabs(e(k, k));
    for (int i = k + 1; i <= n; ++i) {
      const double x = std::fabs(e(i, k));
      if (x > amax) {
        amax = x;
        p = i;
      }
    }
    if (p != k) {
      IntercambiarFilas(k, p);
      B.IntercambiarFilas(k, p);
      det = -det;
    }
    if (!(amax > AsumaCero)) {
      det = 0.0;
      ok = false;
      break;
    }
    det = det * e(k, k);
    if (det == 0.0) {
      ok = false;
    } else {
      NormalizarDeterminante(det, exponente);
      const TBase1<const double> ak{fila(k).datos()};
      const TBase1<const double> bk{B.fila(k).datos()};
      const double akk = ak[k];
      for (int i = k + 1; i <= n; ++i) {
        const TBase1<double> ai{fila(i).datos()};
        const TBase1<double> bi{B.fila(i).datos()};
        const double m = -ai[k] / akk;
        for (int j = k + 1; j <= n; ++j)
          ai[j] = ai[j] + m * ak[j];
        for (int j = 1; j <= nb; ++j)
          bi[j] = bi[j] + m * bk[j];
      }
    }
  }
  det = det * e(n, n);
  if (ok) {
    if (det == 0.0) {
      ok = false;
    } else {
      NormalizarDeterminante(det, exponente);
      if (std::fabs(det) < AsumaCero) ok = false;
    }
  }
  if (ok) {
    for (int i = 1; i <= n; ++i) {
      const TBase1<double> ai{fila(i).datos()};
      const TBase1<double> bi{B.fila(i).datos()};
      const double d = 1.0 / ai[i];
      for (int j = 1; j <= nb; ++j)
        bi[j] = bi[j] * d;
      for (int j = n; j >= i + 1; --j)
        ai[j] = ai[j] * d;
    }
    for (int r = n; r >= 2; --r) {
      const TBase1<const double> br{B.fila(r).datos()};
      for (int i = r - 1; i >= 1; --i) {
        const TBase1<double> bi{B.fila(i).datos()};
        const double m = -e(i, r);
        for (int j = 1; j <= nb; ++j)
          bi[j] = bi[j] + m * br[j];
      }
    }
  }
  return ok;
}

void TMatR::print() const {
  std::string s = " TVectR.print.inicio\n";
  for (const TVectR& fila : filas_) {
    for (double x : fila) {
      s += " ";
      s += RealATextoFijo(x, 3, 12);
    }
    s += "\n";
  }
  s += " TVectR.print.fin\n";
  std::cout << s << std::flush;
}

void TMatR::WriteTabla(TEscritorTexto& f) const {
  f.EscribirLinea("NFilas: \t" + std::to_string(nf_) + "\tNColumnas: \t" + std::to_string(nc_));
  std::string linea = " ";
  for (int j = 1; j <= nc_; ++j) {
    linea += "\t";
    linea += std::to_string(j);
  }
  f.EscribirLinea(linea);
  for (int i = 1; i <= nf_; ++i) {
    linea = std::to_string(i);
    for (double x : fila(i)) {
      linea += "\t";
      linea += RealATexto(x);
    }
    f.EscribirLinea(linea);
  }
}

// ---------------------------------------------------------------- array helpers

void SwapDA(TDAofNReal& a, TDAofNReal& b) {
  a.swap(b);
}

void PonerACeros(TDAofNInt& a) {
  for (int& x : a)
    x = 0;
}

void PonerTodos(TDAOfBoolean& a, bool valor) {
  a.assign(a.size(), valor);
}

double MinDA(const TDAofNReal& a) {
  double m = a[0];
  for (size_t i = 1; i < a.size(); ++i)
    if (a[i] < m) m = a[i];
  return m;
}

double MaxDA(const TDAofNReal& a) {
  double m = a[0];
  for (size_t i = 1; i < a.size(); ++i)
    if (a[i] > m) m = a[i];
  return m;
}

int BuscarPosicion(const TDAofNReal& a, int lo, int hi, double x) {
  // Invariant: items before lo are <= x, items after hi are > x.
  while (lo <= hi) {
    const int m = lo + (hi - lo) / 2;
    if (a[size_t(m)] > x)
      hi = m - 1;
    else
      lo = m + 1;
  }
  return lo;
}
