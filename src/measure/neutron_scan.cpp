// Measured neutron scans: always an ".obs" list.  Neutrons see neither
// polarization nor (here) absorption, and the primary intensities are taken
// as read, without a background.
#include <cmath>

#include "crystal/neutron.hpp"
#include "measure/readers.hpp"
#include "measure/reference.hpp"
#include "scan/helpers.hpp"

namespace korva {

void neutron_(Run& run) {
  Params& p = run.par;
  ScanState& sc = run.sc;
  reset_measured_results(run);
  run.list("");
  run.list(neutron_reference_header());
  run.list("");

  const ExtinctionFn chuk = [&run](float x, float theta) {
    float y = 0.0f;
    chuk_(run.extinction, x, theta, y);
    return y;
  };
  StepSums sums;
  ReadTrouble trouble;
  const bool completed = read_obs_list(run, sums, trouble, false, [&](const ObsLine& o) {
    if (!usable_theta(o.theta)) {
      ++trouble.skipped;
      return true;
    }
    float f = 0.0f, phase = 0.0f;
    fcalc1_n_(run.cr, o.h, o.k, o.l, f, phase, run.report);
    if (run.report.stopped()) return false;
    const ReferenceTerms r = neutron_reference(p, o.value, o.theta, f, chuk);
    if (r.counted) {
      sc.measured.i0_sum += r.i0;
      ++sc.measured.nref;
    }
    run.list(neutron_reference_line(o.h, o.k, o.l, r, p));
    return true;
  });
  if (!completed) return;
  list_read_trouble(run, trouble);

  if (sums.steps == 0) {
    list_missing_primary(run, false);
    p.scan_flag = 0;
  }
  if (sums.iprim_count > 0) {
    sc.measured.iprim_obs = sums.iprim_sum / static_cast<float>(sums.iprim_count);
    sc.measured.sig_iprim_obs = 0.0f;
  }
}

}  // namespace korva
