#include "crystal/reflection_symmetry.hpp"

#include <algorithm>
#include <cmath>

#include "crystal/structure_factor_kernel.hpp"

namespace korva {
namespace {

using IntMatrix = std::array<std::array<int, 3>, 3>;
using Shift = std::array<double, 3>;

// Positions and translations agree when they differ by less than the
// rounding of single-precision fractions: a looser test would let the
// derived phases drift from the summed ones at high indices.
constexpr double kPositionTolerance = 2.0e-6;

struct SpaceOperator {
  IntMatrix r{};  // x'_j = sum_m r[j][m] x_m + t_j
  Shift t{};
};

double wrap(double v) { return v - std::floor(v); }

// Distance of a fraction from the nearest whole number.
double off_lattice(double v) { return std::fabs(v - std::nearbyint(v)); }

bool on_lattice(const Shift& d) {
  return off_lattice(d[0]) < kPositionTolerance && off_lattice(d[1]) < kPositionTolerance &&
         off_lattice(d[2]) < kPositionTolerance;
}

bool integral(const Symmetry& sym, int k, IntMatrix& r) {
  for (int j = 0; j < 3; ++j)
    for (int m = 0; m < 3; ++m) {
      const float v = sym.s[k][j][m];
      if (std::fabs(v - std::nearbyint(v)) > 1.0e-6f || std::fabs(v) > 1.5f) return false;
      r[j][m] = static_cast<int>(std::nearbyint(v));
    }
  return true;
}

int determinant(const IntMatrix& r) {
  return r[0][0] * (r[1][1] * r[2][2] - r[1][2] * r[2][1]) - r[0][1] * (r[1][0] * r[2][2] - r[1][2] * r[2][0]) +
         r[0][2] * (r[1][0] * r[2][1] - r[1][1] * r[2][0]);
}

SpaceOperator compose(const SpaceOperator& a, const SpaceOperator& b) {
  SpaceOperator c;
  for (int j = 0; j < 3; ++j) {
    c.t[j] = a.t[j];
    for (int m = 0; m < 3; ++m) {
      c.r[j][m] = a.r[j][0] * b.r[0][m] + a.r[j][1] * b.r[1][m] + a.r[j][2] * b.r[2][m];
      c.t[j] += a.r[j][m] * b.t[m];
    }
  }
  return c;
}

Shift rotate(const IntMatrix& r, const Shift& d) {
  Shift out{};
  for (int j = 0; j < 3; ++j) out[j] = r[j][0] * d[0] + r[j][1] * d[1] + r[j][2] * d[2];
  return out;
}

// Translations that map the atom list onto itself, found as they are asked
// for: the centring vectors the list carries.
class AtomTranslations {
 public:
  explicit AtomTranslations(const std::vector<Atom>& atoms) : atoms_(atoms) {}

  bool maps_onto_itself(const Shift& d) {
    if (on_lattice(d)) return true;
    for (const Shift& s : known_)
      if (on_lattice({d[0] - s[0], d[1] - s[1], d[2] - s[2]})) return true;
    for (const Atom& a : atoms_) {
      const bool partner = std::any_of(atoms_.begin(), atoms_.end(), [&](const Atom& b) {
        return b.fnr == a.fnr && b.afact == a.afact && b.bt == a.bt &&
               on_lattice({b.x[0] - a.x[0] - d[0], b.x[1] - a.x[1] - d[1], b.x[2] - a.x[2] - d[2]});
      });
      if (!partner) return false;
    }
    known_.push_back({wrap(d[0]), wrap(d[1]), wrap(d[2])});
    return true;
  }

 private:
  const std::vector<Atom>& atoms_;
  std::vector<Shift> known_;
};

// The operators of the structure-factor sum as a set of space operators:
// the stored ones, then their negatives for a centrosymmetric list.  Empty
// when they do not form a group of the crystal.
std::vector<SpaceOperator> crystal_group(const Crystal& cr) {
  const Symmetry& sym = cr.sym;
  if (sym.ns < 1 || sym.ns > kMaxOperators) return {};
  std::vector<SpaceOperator> g;
  for (int k = 0; k < sym.ns; ++k) {
    SpaceOperator op;
    if (!integral(sym, k, op.r) || std::abs(determinant(op.r)) != 1) return {};
    for (int j = 0; j < 3; ++j) op.t[j] = sym.t[k][j];
    g.push_back(op);
  }
  if (sym.ic == 1) {
    for (int k = 0; k < sym.ns; ++k) {
      SpaceOperator inv;
      for (int j = 0; j < 3; ++j) {
        inv.t[j] = -g[k].t[j];
        for (int m = 0; m < 3; ++m) inv.r[j][m] = -g[k].r[j][m];
      }
      g.push_back(inv);
    }
  }
  AtomTranslations translations(cr.atoms);
  auto same = [&](const SpaceOperator& a, const SpaceOperator& b) {
    return a.r == b.r && translations.maps_onto_itself({a.t[0] - b.t[0], a.t[1] - b.t[1], a.t[2] - b.t[2]});
  };
  // Every element once: a repeated operator would count twice in the sum.
  for (std::size_t i = 0; i < g.size(); ++i)
    for (std::size_t j = 0; j < i; ++j)
      if (same(g[i], g[j])) return {};
  // g_a g_b = tau(d) g_m maps the crystal onto itself when d is a lattice
  // vector, or when the atom list is invariant under R^-1 d for every
  // rotation R of the group.
  auto covered = [&](const Shift& d) {
    return std::all_of(g.begin(), g.end(),
                       [&](const SpaceOperator& e) { return translations.maps_onto_itself(rotate(e.r, d)); });
  };
  for (const SpaceOperator& a : g)
    for (const SpaceOperator& b : g) {
      const SpaceOperator c = compose(a, b);
      const bool closes = std::any_of(g.begin(), g.end(), [&](const SpaceOperator& e) {
        if (e.r != c.r) return false;
        const Shift d{c.t[0] - e.t[0], c.t[1] - e.t[1], c.t[2] - e.t[2]};
        return on_lattice(d) || covered(d);
      });
      if (!closes) return {};
    }
  return g;
}

// exp(2 pi i u), exact at quarter turns, where the factor must leave an
// exactly real or imaginary structure factor so.
void phase_factor(double u, double& c, double& s) {
  const double q = 4.0 * wrap(u);
  const double nq = std::nearbyint(q);
  if (std::fabs(q - nq) < 4.0 * kPositionTolerance) {
    static constexpr double kCos[4] = {1.0, 0.0, -1.0, 0.0};
    static constexpr double kSin[4] = {0.0, 1.0, 0.0, -1.0};
    const int n = static_cast<int>(nq) & 3;
    c = kCos[n];
    s = kSin[n];
    return;
  }
  const double a = 2.0 * 3.14159265358979323846 * u;
  c = std::cos(a);
  s = std::sin(a);
}

}  // namespace

bool without_anomalous_dispersion(const Crystal& cr) {
  return std::all_of(cr.types.begin(), cr.types.end(), [](const ScatteringType& t) { return t.fdprime == 0.0f; });
}

ReflectionSymmetry reflection_symmetry(const Crystal& cr, bool friedel) {
  ReflectionSymmetry out;
  const std::vector<SpaceOperator> g = crystal_group(cr);
  // For x' = R x + t the indices go to h' = h R: the matrix of the image is
  // R itself read as h'_m = sum_j h_j R[j][m].
  for (const SpaceOperator& op : g) {
    ReflectionOperator ro;
    ro.r = op.r;
    for (int j = 0; j < 3; ++j) ro.t[j] = static_cast<float>(op.t[j]);
    out.ops.push_back(ro);
  }
  if (friedel && cr.sym.ic != 1) {
    // F(-h R) = conj F(h R) = conj(exp(-2 pi i h.t) F(h)).
    for (const SpaceOperator& op : g) {
      ReflectionOperator ro;
      for (int j = 0; j < 3; ++j) {
        ro.t[j] = static_cast<float>(op.t[j]);
        for (int m = 0; m < 3; ++m) ro.r[j][m] = -op.r[j][m];
      }
      ro.conj = true;
      out.ops.push_back(ro);
    }
  }
  out.paired = cr.sym.ic == 1 || friedel;
  const std::size_t searched = out.paired ? out.ops.size() / 2 : out.ops.size();
  for (std::size_t n = 0; n < searched; ++n)
    for (int j = 0; j < 3; ++j) {
      const auto& r = out.ops[n].r[j];
      out.row[j].push_back(r[0] * (std::int64_t{1} << 42) + r[1] * (std::int64_t{1} << 21) + r[2]);
    }
  return out;
}

OrbitPlace orbit_place(const ReflectionSymmetry& sym, const Hkl& h) {
  // Each image h' as one number h'_1 2^42 + h'_2 2^21 + h'_3, which sorts as
  // the image does while |h'_m| < 2^18 (matrix elements are -1, 0 or 1, so
  // |h| < 2^16 is enough): the sum of h_j times the packed rows.  The
  // second half of a paired list gives the negated numbers.
  const std::size_t n = sym.ops.size();
  const std::size_t half = sym.paired ? n / 2 : n;
  std::size_t best = 0;
  if (std::abs(h[0]) < (1 << 16) && std::abs(h[1]) < (1 << 16) && std::abs(h[2]) < (1 << 16)) {
    std::int64_t top = 0;
    for (std::size_t i = 0; i < half; ++i) {
      const std::int64_t v = h[0] * sym.row[0][i] + h[1] * sym.row[1][i] + h[2] * sym.row[2][i];
      if (i == 0 || v > top) top = v, best = i;
      if (sym.paired && -v > top) top = -v, best = half + i;
    }
  }
  // (Larger indices do not occur, 2 a / lambda stays far below; they would
  // keep the image of the first operator, still a member of the orbit.)
  OrbitPlace place;
  place.op = static_cast<int>(best);
  const auto& r = sym.ops[best].r;
  for (int m = 0; m < 3; ++m) place.rep[m] = h[0] * r[0][m] + h[1] * r[1][m] + h[2] * r[2][m];
  return place;
}

StructureFactor derive_from_representative(const ReflectionSymmetry& sym, const OrbitPlace& place,
                                           const Hkl& h, const StructureFactor& rep) {
  const ReflectionOperator& op = sym.ops[static_cast<std::size_t>(place.op)];
  const double u = static_cast<double>(h[0]) * op.t[0] + static_cast<double>(h[1]) * op.t[1] +
                   static_cast<double>(h[2]) * op.t[2];
  double c = 1.0, s = 0.0;
  phase_factor(u, c, s);
  const double re = rep.re, im = op.conj ? -rep.im : rep.im;
  StructureFactor out;
  out.re = static_cast<float>(c * re - s * im);
  out.im = static_cast<float>(s * re + c * im);
  out.f = rep.f;
  out.phi = structure_factor_phase(out.re, out.im);
  out.failed = rep.failed;
  return out;
}

}  // namespace korva
