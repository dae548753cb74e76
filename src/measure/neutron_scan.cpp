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
    chuk_(run, x, theta, y);
    return y;
  };
  StepSums sums;
  ReadTrouble trouble;
  std::string rec;
  while (run.io.scan.next(rec)) {
    ObsLine o;
    const ObsRead st = parse_obs_line(rec, false, o);
    if (st == ObsRead::blank) continue;
    if (st == ObsRead::unreadable) {
      ++trouble.skipped;
      continue;
    }
    if (o.h == p.h && o.k == p.k && o.l == p.l) {
      store_primary_step(run, sums, o.psi, o.value, 0.0f);
      continue;
    }
    if (!usable_theta(o.theta)) {
      ++trouble.skipped;
      continue;
    }
    float f = 0.0f, phase = 0.0f;
    fcalc1_n_(run, o.h, o.k, o.l, f, phase);
    if (run.ierr == 1) return;
    const ReferenceTerms r = neutron_reference(p, o.value, o.theta, f, chuk);
    if (r.counted) {
      sc.i0_sum += r.i0;
      ++sc.nref;
    }
    run.list(neutron_reference_line(o.h, o.k, o.l, r, p));
  }
  list_read_trouble(run, trouble);

  if (sums.steps == 0) {
    list_missing_primary(run, false);
    p.scan_flag = 0;
  }
  if (sums.iprim_count > 0) {
    sc.iprim_obs = sums.iprim_sum / static_cast<float>(sums.iprim_count);
    sc.sig_iprim_obs = 0.0f;
  }
}

}  // namespace korva
