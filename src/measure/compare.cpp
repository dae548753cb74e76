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
int best_shift(const Run& run, float calc_max) {
  const Params& p = run.par;
  const ScanState& sc = run.sc;
  const float zsw = p.zsw();
  if (!(calc_max > 0.0f) || zsw == 0.0f) return 0;
  const float ratio = sc.measured.omax / calc_max;
  const float limit = 0.8f * sc.measured.omax;
  const int n = static_cast<int>(std::min(sc.aint.size(), sc.measured.aintm.size()));
  // The peaks are left out: the fit follows the shape of the scan, not the
  // heights of single events.
  std::vector<int> points;
  for (int i = 0; i < n; ++i) {
    const float m = sc.measured.aintm[static_cast<std::size_t>(i)];
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
      const float m = sc.measured.aintm[static_cast<std::size_t>(i)];
      deviation += std::fabs(m - ratio * sc.aint[static_cast<std::size_t>(j)]);
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

void compare_with_measurement(Run& run) {
  const Params& p = run.par;
  ScanState& sc = run.sc;
  sc.psi_shift = 0;
  if (p.scan_flag != 1) return;

  int shift = best_shift(run, sc.cmax);
  float deviation = shift == 0 ? 0.0f : static_cast<float>(shift) / p.zsw();
  // A larger offset is not a zero error of psi but a misfit: keep the scans
  // where they are.
  if (std::fabs(deviation) >= 0.1f) {
    deviation = 0.0f;
    shift = 0;
  }
  sc.psi_shift = shift;

  run.list("");
  run.list("");
  run.list(" Deviation between calculated and measured psi    :" + F(deviation, 8, 3));
  run.list("");
  run.list(" Maximum background corrected measured intensity (cps)    :" + F(sc.measured.omax, 10, 2) + "  +/-  " +
           F(sc.measured.sig_omax, 7, 2) + " at psi =" + F(sc.measured.psi_omax, 8, 3));
  run.list(" Measured I-prim                                 (cps)    :" + F(sc.measured.iprim_obs, 10, 2) + "  +/-  " +
           F(sc.measured.sig_iprim_obs, 7, 2) + " in the psi interval:" + F(p.psi1, 10, 3) + F(p.psi2, 10, 3));
  run.list(" Minimum background corrected measured intensity (cps)    :" + F(sc.measured.omin, 10, 2) + "  +/-  " +
           F(sc.measured.sig_omin, 7, 2) + " at psi =" + F(sc.measured.psi_omin, 8, 3));
  run.list(" Background                                      (cps)    :" + F(sc.measured.background, 10, 2));
  run.list("");
}

}  // namespace korva
