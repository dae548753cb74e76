// Pieces of the end of a run, separated for the tests.
#pragma once

#include "plot/page.hpp"
#include "scan/run.hpp"
#include "support/units.hpp"

namespace korva {

// psi of grid point i: psia + i / abs(zsw1), psia when there is no step density.
float scan_psi(const Params& p, int i);

// Adds the primary level to the simulated scan (only when a scan was
// simulated) and finds its extrema (equal values: the later point wins; a
// negative minimum counts as 0).
void complete_calculated_scan(Run& run);

// The calculated-scan file: psi, calculated and (where there is one)
// measured intensity per grid point; negative calculated values become 0.
void write_cal_file(Run& run, OutUnit& unit);

// When the run has a measured scan: the psi shift of the calculated scan
// (run.sc.psi_shift) and the comparison block of the listing.  Expects the
// calculated scan complete, with its extrema.
void compare_with_measurement(Run& run);

// What the page shows of a run; the spans point into run.sc.
PageData page_data(const Run& run);

}  // namespace korva
