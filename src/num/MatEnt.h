#pragma once
// Vector of 32-bit integers, the integer twin of TVectR.
//
// Invariant: n() integers stored contiguously, indexed 1..n(), zero when created; indices are not
// validated in release builds.
#include <cassert>
#include <cstddef>
#include <cstdint>
#include <vector>

class TVectE {
public:
  TVectE() = default;
  explicit TVectE(int n) : v_(n > 0 ? std::size_t(n) : 0, 0) {}

  int n() const { return int(v_.size()); }
  int32_t e(int i) const {
    assert(i >= 1 && i <= n());
    return v_[std::size_t(i - 1)];
  }
  void pon_e(int i, int32_t x) {
    assert(i >= 1 && i <= n());
    v_[std::size_t(i - 1)] = x;
  }
  void acum_e(int i, int32_t x) {
    assert(i >= 1 && i <= n());
    v_[std::size_t(i - 1)] += x;
  }
  int32_t* datos() { return v_.data(); }
  const int32_t* datos() const { return v_.data(); }

  void Ceros();
  // To standard output, one line per element between " TVectE.print.inicio" and " TVectE.print.fin".
  void print() const;

private:
  std::vector<int32_t> v_;
};
