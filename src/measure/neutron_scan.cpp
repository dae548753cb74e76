// Measured neutron scans: always an ".obs" list.  Neutrons see neither
// polarization nor (here) absorption, and the primary intensities are taken
// as read, without a background.
#include <cmath>

#include "crystal/neutron.hpp"
#include "measure/readers.hpp"
#include "measure/reference.hpp"

namespace korva {

void neutron_(const ScanSource& src, MeasuredScan& m, Report& report) {
  const Params& p = src.par;
  reset_measured_results(m);
  report.line("");
  report.line(neutron_reference_header());
  report.line("");

  const ExtinctionFn chuk = [&src](float x, float theta) {
    float y = 0.0f;
    chuk_(src.extinction, x, theta, y);
    return y;
  };
  StepSums sums;
  ReadTrouble trouble;
  const bool completed = read_obs_list(src, m, sums, trouble, false, [&](const ObsLine& o) {
    if (!usable_theta(o.theta)) {
      ++trouble.skipped;
      return true;
    }
    float f = 0.0f, phase = 0.0f;
    fcalc1_n_(src.cr, o.h, o.k, o.l, f, phase, report);
    if (report.stopped()) return false;
    const ReferenceTerms r = neutron_reference(p, o.value, o.theta, f, chuk);
    if (r.counted) {
      m.i0_sum += r.i0;
      ++m.nref;
    }
    report.line(neutron_reference_line(o.h, o.k, o.l, r, p));
    return true;
  });
  if (!completed) return;
  list_read_trouble(report, trouble);

  if (sums.steps == 0) {
    list_missing_primary(report, false);
    m.usable = false;
  }
  if (sums.iprim_count > 0) {
    m.iprim_obs = sums.iprim_sum / static_cast<float>(sums.iprim_count);
    m.sig_iprim_obs = 0.0f;
  }
}

}  // namespace korva
