// Comparison of the simulated scan with the measured one: the calculated
// scan is scaled to the measured maximum and shifted in psi, whole steps at
// a time, until the two agree best outside the strongest peaks.
#include "measure/compare.hpp"

#include <algorithm>
#include <cmath>
#include <vector>

#include "support/format.hpp"
#include "support/numeric.hpp"

namespace korva {
namespace {

// Best shift s (whole steps) of aint(i + s) against the measured values
// below 0.8 of the measured maximum; 0 when nothing can be compared.
int best_shift(std::span<const float> aint, const MeasuredScan& ms, float calc_max, float zsw) {
  if (!(calc_max > 0.0f) || zsw == 0.0f) return 0;
  const float ratio = ms.omax / calc_max;
  const float limit = 0.8f * ms.omax;
  const int n = static_cast<int>(std::min(aint.size(), ms.aintm.size()));
  // The peaks are left out: the fit follows the shape of the scan, not the
  // heights of single events.
  std::vector<int> points;
  for (int i = 0; i < n; ++i) {
    const float m = ms.aintm[static_cast<std::size_t>(i)];
    if (m < kNoMeasurement && m < limit) points.push_back(i);
  }
  const int range = zsw > 5.0f ? nint(zsw) : 10;
  float best_figure = 1.0e8f;
  int best = 0;
  for (int s = -range; s <= range; ++s) {
    float deviation = 0.0f, measured = 0.0f;
    for (int i : points) {
      const long long j = static_cast<long long>(i) + s;
      if (j < 0 || j >= n) continue;
      const float m = ms.aintm[static_cast<std::size_t>(i)];
      deviation += std::fabs(m - ratio * aint[static_cast<std::size_t>(j)]);
      measured += std::fabs(m);
    }
    if (!(measured > 0.0f)) continue;  // nothing measured to compare with
    const float figure = deviation / measured;
    if (figure < best_figure) {
      best_figure = figure;
      best = s;
    }
  }
  return best;
}

}  // namespace

Comparison compare_scans(std::span<const float> aint, const MeasuredScan& m, float calc_max, float zsw) {
  Comparison c;
  c.psi_shift = best_shift(aint, m, calc_max, zsw);
  c.deviation = c.psi_shift == 0 ? 0.0f : static_cast<float>(c.psi_shift) / zsw;
  // A larger offset is not a zero error of psi but a misfit: keep the scans
  // where they are.
  if (std::fabs(c.deviation) >= 0.1f) c = Comparison{};
  return c;
}

void list_comparison(const Comparison& c, const MeasuredScan& m, const Params& p, Report& report) {
  report.line("");
  report.line("");
  report.line(" Deviation between calculated and measured psi    :" + F(c.deviation, 8, 3));
  report.line("");
  report.line(" Maximum background corrected measured intensity (cps)    :" + F(m.omax, 10, 2) + "  +/-  " +
              F(m.sig_omax, 7, 2) + " at psi =" + F(m.psi_omax, 8, 3));
  report.line(" Measured I-prim                                 (cps)    :" + F(m.iprim_obs, 10, 2) + "  +/-  " +
              F(m.sig_iprim_obs, 7, 2) + " in the psi interval:" + F(p.psi1, 10, 3) + F(p.psi2, 10, 3));
  report.line(" Minimum background corrected measured intensity (cps)    :" + F(m.omin, 10, 2) + "  +/-  " +
              F(m.sig_omin, 7, 2) + " at psi =" + F(m.psi_omin, 8, 3));
  report.line(" Background                                      (cps)    :" + F(m.background, 10, 2));
  report.line("");
}

}  // namespace korva
