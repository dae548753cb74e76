#include "scan/line_shape.hpp"

#include <algorithm>
#include <cmath>

namespace korva {
namespace {

constexpr float kInvPi = 0.3183f;          // 1/pi
constexpr float kGaussPeak = 0.46972f;     // sqrt(ln 2 / pi)
constexpr float kGaussSigma = 0.84932f;    // 1/sqrt(2 ln 2)
constexpr float kHalfPi = 1.5707964f;
// exp(-x) is zero in single precision beyond this.
constexpr float kExpCut = 110.0f;

// One side of the profile with its constants worked out once.
struct Half {
  float a_lor, inv_w, a_gau, inv_gw, scale;
  Half(float w, float eta, float s)
      : a_lor(eta * (kInvPi / w)),
        inv_w(1.0f / w),
        a_gau((1.0f - eta) * (kGaussPeak / w)),
        inv_gw(1.0f / (kGaussSigma * w)),
        scale(s) {}
  float operator()(float d) const {
    const float t = d * inv_w;
    const float g = d * inv_gw;
    const float arg = 0.5f * g * g;
    const float gau = arg < kExpCut ? a_gau * std::exp(-arg) : 0.0f;
    return scale * (a_lor / (1.0f + t * t) + gau);
  }
};

}  // namespace

float pseudo_voigt_peak(float w, float eta) { return kGaussPeak / w + eta * (kInvPi / w - kGaussPeak / w); }

LineShape make_line_shape(float w_left, float w_right, float eta, float beta) {
  LineShape s;
  s.w_right = w_right;
  s.w_left = w_left > 0.0f ? w_left : w_right;
  s.eta = eta;
  s.beta = beta;
  const float vl = pseudo_voigt_peak(s.w_left, eta), vr = pseudo_voigt_peak(s.w_right, eta);
  s.scale_left = 2.0f * vr / (vl + vr);
  s.scale_right = 2.0f * vl / (vl + vr);
  return s;
}

float line_shape_value(const LineShape& s, float d, bool left) {
  return left ? Half(s.w_left, s.eta, s.scale_left)(d) : Half(s.w_right, s.eta, s.scale_right)(d);
}

long long nearest_point(const ScanGrid& grid, float psi) {
  return std::llround((static_cast<double>(psi) - grid.psia) * grid.zsw);
}

void contribution_range(const ScanGrid& grid, const ScanContribution& c, int& first, int& last) {
  const double lo = std::floor((static_cast<double>(c.psi) - c.shape.beta - grid.psia) * grid.zsw) - 1.0;
  const double hi = std::ceil((static_cast<double>(c.psi) + c.shape.beta - grid.psia) * grid.zsw) + 1.0;
  first = static_cast<int>(std::max(0.0, lo));
  last = static_cast<int>(std::min(static_cast<double>(grid.nstep), hi));
}

std::vector<float> grid_table(const ScanGrid& grid) {
  std::vector<float> t(static_cast<std::size_t>(grid.nstep) + 1);
  for (int i = 0; i <= grid.nstep; ++i) t[static_cast<std::size_t>(i)] = grid.psia + static_cast<float>(i) / grid.zsw;
  return t;
}

namespace {

// Everything an event adds at one point.
struct PointAdder {
  const ScanContribution& c;
  float y, y2;
  void operator()(float& a, float d, const Half& half, float wint) const {
    const float s = half(d);
    const float u = c.ikorva * s;
    float aw = c.iaufhe * s;
    float j = 0.0f;
    if (c.nnn != 0) {
      if (aw < c.ip_per_block) {
        j = 2.0f * std::sqrt((c.ip_per_block - aw) * u) * std::cos(c.phase_sum + kHalfPi + std::atan(d / wint)) *
            c.p_int;
      } else {
        aw = c.ip_per_block;
      }
    }
    a += y * j + y2 * (u - aw);
  }
};

// One half of the profile on the points from..to, all within the cut-off.
// Without the interference term, points whose Gaussian part is zero in
// single precision take the Lorentz tail alone, in a loop the compiler can
// vectorize; the result is the same, bit for bit, as the full expression.
void add_half(std::vector<float>& aint, const ScanGrid& grid, const PointAdder& add, long long from, long long to,
              const Half& half, float wint) {
  if (from > to) return;
  const ScanContribution& c = add.c;
  long long core_lo = from, core_hi = to;
  if (c.nnn == 0) {
    // |d| beyond which 0.5 (d / (0.84932 w))^2 exceeds the exp cut-off, with
    // a margin of two points.
    const double reach = std::sqrt(2.0 * kExpCut) / half.inv_gw * 1.001;
    core_lo = std::max(from, static_cast<long long>(std::floor((c.psi - reach - grid.psia) * grid.zsw)) - 2);
    core_hi = std::min(to, static_cast<long long>(std::ceil((c.psi + reach - grid.psia) * grid.zsw)) + 2);
    if (core_lo > core_hi) core_lo = to + 1, core_hi = to;  // no core: all tail
  }
  float* a = aint.data();
  const float pe = c.psi, y2 = add.y2, ik = c.ikorva, ia = c.iaufhe;
  const float a_lor = half.a_lor, inv_w = half.inv_w, scale = half.scale;
  auto tail = [&](long long lo, long long hi) {
    for (long long i = lo; i <= hi; ++i) {
      const float t = (grid.psi(static_cast<int>(i)) - pe) * inv_w;
      const float s = scale * (a_lor / (1.0f + t * t));
      a[i] += y2 * (ik * s - ia * s);
    }
  };
  tail(from, std::min(to, core_lo - 1));
  for (long long i = std::max(from, core_lo); i <= std::min(to, core_hi); ++i)
    add(a[i], grid.psi(static_cast<int>(i)) - pe, half, wint);
  tail(std::max(from, core_hi + 1), to);
}

}  // namespace

void add_contribution(std::vector<float>& aint, const ScanGrid& grid, const ScanContribution& c,
                      int first, int last) {
  const long long near = nearest_point(grid, c.psi);
  const float beta = c.shape.beta;
  // The points within the cut-off form one run of the grid (psi grows with i).
  long long lo = first, hi = last;
  while (lo <= hi && std::fabs(grid.psi(static_cast<int>(lo)) - c.psi) > beta) ++lo;
  while (hi >= lo && std::fabs(grid.psi(static_cast<int>(hi)) - c.psi) > beta) --hi;
  if (lo > hi) return;
  const PointAdder add{c, c.blocks, c.blocks * c.blocks};
  add_half(aint, grid, add, lo, std::min(hi, near), Half(c.shape.w_left, c.shape.eta, c.shape.scale_left),
           c.wint_left);
  add_half(aint, grid, add, std::max(lo, near + 1), hi, Half(c.shape.w_right, c.shape.eta, c.shape.scale_right),
           c.wint_right);
}

}  // namespace korva
