// Comparison of the simulated scan with the measured one.
#pragma once

#include <span>

#include "measure/measurement.hpp"
#include "model/params.hpp"
#include "support/report.hpp"

namespace korva {

struct Comparison {
  int psi_shift = 0;      // whole steps of the calculated scan against the measured one
  float deviation = 0.0f; // the same in degrees
};

// Scales the calculated scan aint (maximum calc_max) to the measured maximum
// and finds the psi shift that fits best, within 10 steps or zsw steps for a
// step density above 5; a fit that needs 0.1 degrees or more is taken as no
// shift.
Comparison compare_scans(std::span<const float> aint, const MeasuredScan& m, float calc_max, float zsw);

// The comparison block of the listing: deviation, measured maximum, I-prim,
// minimum and background.
void list_comparison(const Comparison& c, const MeasuredScan& m, const Params& p, Report& report);

}  // namespace korva
