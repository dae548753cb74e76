// Small crystals built directly in the run state, for the tests of the
// crystal model.
#pragma once

#include <array>
#include <cmath>
#include <sstream>
#include <string>
#include <vector>

#include "crystal/crystal.hpp"
#include "scan/run.hpp"

namespace korva::test {

using Matrix = std::array<std::array<float, 3>, 3>;

// A run whose units live in memory.
struct MemoryRun {
  Io io;
  Run run{io};
  MemoryRun() {
    io.in_memory = true;
    io.listing.open_memory();
  }
  std::vector<std::string> listing() const {
    std::vector<std::string> lines;
    std::istringstream in(io.listing.text());
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
  }
};

inline void add_operator(Symmetry& sym, const Matrix& r, std::array<float, 3> t = {0, 0, 0}) {
  sym.s[static_cast<std::size_t>(sym.ns)] = r;
  sym.t[static_cast<std::size_t>(sym.ns)] = t;
  ++sym.ns;
}

inline Matrix identity() { return Matrix{{{1, 0, 0}, {0, 1, 0}, {0, 0, 1}}}; }

// The 24 proper rotations of the cube (signed permutation matrices with
// determinant +1): with the inversion they make m-3m.
inline std::vector<Matrix> cubic_rotations() {
  std::vector<Matrix> out;
  const int perms[6][3] = {{0, 1, 2}, {1, 2, 0}, {2, 0, 1}, {0, 2, 1}, {2, 1, 0}, {1, 0, 2}};
  for (int p = 0; p < 6; ++p)
    for (int signs = 0; signs < 8; ++signs) {
      Matrix m{};
      float det_sign = p < 3 ? 1.0f : -1.0f;
      for (int j = 0; j < 3; ++j) {
        const float s = (signs >> j) & 1 ? -1.0f : 1.0f;
        m[static_cast<std::size_t>(j)][static_cast<std::size_t>(perms[p][j])] = s;
        det_sign *= s;
      }
      if (det_sign > 0) out.push_back(m);
    }
  return out;
}

inline Atom atom(float fnr, float afact, std::array<float, 3> x, std::array<float, 6> bt = {}) {
  Atom a;
  a.fnr = fnr;
  a.afact = afact;
  a.x = x;
  a.bt = bt;
  return a;
}

}  // namespace korva::test

#include <complex>

namespace korva::test {

// The structure factor summed in double precision over the explicit images
// of every atom: position R x + t, temperature factor exp(-h R B R^T h) with
// the symmetric beta matrix B, and for a centrosymmetric list also the
// image through the origin.  scat[m] is the complex scattering power of
// table m.
inline std::complex<double> reference_structure_factor(const Crystal& cr, int h, int k, int l,
                                                       const std::vector<std::complex<double>>& scat) {
  const double pi = 3.14159265358979323846;
  const double hv[3] = {double(h), double(k), double(l)};
  std::complex<double> sum = 0.0;
  for (int n = 0; n < cr.sym.ns; ++n) {
    const auto& r = cr.sym.s[static_cast<std::size_t>(n)];
    const auto& t = cr.sym.t[static_cast<std::size_t>(n)];
    for (const Atom& a : cr.atoms) {
      const int m = static_cast<int>(a.fnr) - 1;
      if (m < 0 || m >= static_cast<int>(scat.size())) continue;
      double x[3], phase = 0.0;
      for (int j = 0; j < 3; ++j) {
        x[j] = t[j];
        for (int c = 0; c < 3; ++c) x[j] += double(r[j][c]) * a.x[c];
        phase += 2.0 * pi * hv[j] * x[j];
      }
      const double b[3][3] = {{a.bt[0], a.bt[3], a.bt[4]}, {a.bt[3], a.bt[1], a.bt[5]}, {a.bt[4], a.bt[5], a.bt[2]}};
      double rb[3][3] = {}, rbr[3][3] = {};
      for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
          for (int c = 0; c < 3; ++c) rb[i][j] += double(r[i][c]) * b[c][j];
      for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
          for (int c = 0; c < 3; ++c) rbr[i][j] += rb[i][c] * double(r[j][c]);
      double e = 0.0;
      for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) e += hv[i] * rbr[i][j] * hv[j];
      const std::complex<double> term = double(a.afact) * scat[static_cast<std::size_t>(m)] * std::exp(-e);
      sum += term * std::polar(1.0, phase);
      if (cr.sym.ic == 1) sum += term * std::polar(1.0, -phase);
    }
  }
  return sum;
}

// f0 + f' of an X-ray type in double precision, clamped at 0 like a
// scattering power must be.
inline double reference_form_factor(const ScatteringType& type, double s) {
  const auto& c = type.fcoef;
  double f = 0.0;
  if (s <= c[13]) {
    for (int j = 0; j < 4; ++j) f += c[2 * j] * std::exp(-double(c[2 * j + 1]) * s * s);
    f += c[8];
  } else {
    f = std::exp(c[9] + c[10] * s + 0.1 * c[11] * s * s + 0.01 * c[12] * s * s * s);
  }
  f += type.fprime;
  return f < 0.0 ? 0.0 : f;
}

// Phase in 0..2 pi of a complex number, for comparisons.
inline double phase_0_2pi(std::complex<double> z) {
  double p = std::arg(z);
  return p < 0.0 ? p + 2.0 * 3.14159265358979323846 : p;
}

// Difference of two phases modulo 2 pi.
inline double phase_distance(double a, double b) {
  const double two_pi = 2.0 * 3.14159265358979323846;
  double d = std::fmod(std::fabs(a - b), two_pi);
  return d > two_pi / 2 ? two_pi - d : d;
}

}  // namespace korva::test
