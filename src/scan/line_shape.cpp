#include "scan/line_shape.hpp"

#include <algorithm>
#include <cmath>

namespace korva {
namespace {

constexpr float kInvPi = 0.3183f;          // 1/pi
constexpr float kGaussPeak = 0.46972f;     // sqrt(ln 2 / pi)
constexpr float kGaussSigma = 0.84932f;    // 1/sqrt(2 ln 2)
constexpr float kHalfPi = 1.5707964f;
// exp(-x) leaves the normal single-precision range beyond this; the
// Gaussian part is taken as zero there.
constexpr float kExpCut = 87.0f;

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

// The Lorentz tail alone on points lo..hi, the same arithmetic as Half and
// PointAdder where the Gaussian part is zero and there is no interference.
void lorentz_tail(float* __restrict a, const float* __restrict psi, int lo, int hi, float pe, const Half& half,
                  float y2, float ik, float ia) {
  const float inv_w = half.inv_w, scale = half.scale, a_lor = half.a_lor;
  for (int i = lo; i <= hi; ++i) {
    const float t = (psi[i] - pe) * inv_w;
    const float s = scale * (a_lor / (1.0f + t * t));
    a[i] += y2 * (ik * s - ia * s);
  }
}

// Distance (degrees) beyond which the Gaussian part of a half can no longer
// change the single-precision sum with the Lorentz part: it is either zero
// or below a quarter of the last place of the Lorentz part, which grows
// ever larger in comparison.  With t = d / w the Gaussian is
// a_gau exp(-k t^2), k = 0.5 / 0.84932^2, the Lorentz part a_lor / (1 + t^2).
double gaussian_reach(const Half& half) {
  const double w = 1.0 / half.inv_w;
  const double k = 0.5 / (static_cast<double>(kGaussSigma) * kGaussSigma) * 0.999;
  double t2 = kExpCut / k;  // the exponential itself vanishes
  if (half.a_gau <= 0.0f) return 0.0;
  if (half.a_lor > 0.0f) {
    // a_gau exp(-k t^2) < 2^-27 a_lor / (1 + t^2)
    const double c = 27.0 * std::log(2.0) + std::log(static_cast<double>(half.a_gau) / half.a_lor);
    double u = std::max(0.0, c / k);
    for (int it = 0; it < 6; ++it) u = std::max(0.0, (c + std::log1p(u)) / k);
    t2 = std::min(t2, u + 1.0);
  }
  return std::sqrt(t2) * w;
}

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
    const double reach = gaussian_reach(half) * 1.001;
    core_lo = std::max(from, static_cast<long long>(std::floor((c.psi - reach - grid.psia) * grid.zsw)) - 2);
    core_hi = std::min(to, static_cast<long long>(std::ceil((c.psi + reach - grid.psia) * grid.zsw)) + 2);
    if (core_lo > core_hi) core_lo = to + 1, core_hi = to;  // no core: all tail
  }
  float* a = aint.data();
  const float pe = c.psi;
  auto tail = [&](long long lo, long long hi) {
    if (lo > hi) return;
    if (grid.table) {
      lorentz_tail(a, grid.table, static_cast<int>(lo), static_cast<int>(hi), pe, half, add.y2, c.ikorva,
                   c.iaufhe);
    } else {
      for (long long i = lo; i <= hi; ++i) {
        const float t = (grid.psi(static_cast<int>(i)) - pe) * half.inv_w;
        const float s = half.scale * (half.a_lor / (1.0f + t * t));
        a[i] += add.y2 * (c.ikorva * s - c.iaufhe * s);
      }
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
