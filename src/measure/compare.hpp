// Comparison of the simulated scan with the measured one.
#pragma once

#include "scan/run.hpp"

namespace korva {

// When the run has a measured scan: scales the calculated scan to the
// measured maximum, finds the psi shift (run.sc.psi_shift) that fits best and
// writes the comparison block of the listing (deviation, measured maximum,
// I-prim, minimum and background).  Without a measured scan it does nothing.
// Expects the calculated scan complete, with its extrema (run.sc.cmax ...).
void compare_with_measurement(Run& run);

}  // namespace korva
