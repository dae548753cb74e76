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

void add_contribution(std::vector<float>& aint, const ScanGrid& grid, const ScanContribution& c,
                      int first, int last) {
  const long long near = nearest_point(grid, c.psi);
  const float y = c.blocks, y2 = c.blocks * c.blocks;
  const float beta = c.shape.beta;
  auto walk = [&](long long from, long long to, const Half& half, float wint) {
    for (long long i = from; i <= to; ++i) {
      const float d = grid.psi(static_cast<int>(i)) - c.psi;
      if (std::fabs(d) > beta) continue;
      const float s = half(d);
      const float u = c.ikorva * s;
      float aw = c.iaufhe * s;
      float j = 0.0f;
      if (c.nnn != 0) {
        if (aw < c.ip_per_block) {
          j = 2.0f * std::sqrt((c.ip_per_block - aw) * u) *
              std::cos(c.phase_sum + kHalfPi + std::atan(d / wint)) * c.p_int;
        } else {
          aw = c.ip_per_block;
        }
      }
      aint[static_cast<std::size_t>(i)] += y * j + y2 * (u - aw);
    }
  };
  walk(first, std::min<long long>(last, near), Half(c.shape.w_left, c.shape.eta, c.shape.scale_left),
       c.wint_left);
  walk(std::max<long long>(first, near + 1), last,
       Half(c.shape.w_right, c.shape.eta, c.shape.scale_right), c.wint_right);
}

}  // namespace korva
