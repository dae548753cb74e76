// Extinction factor of a mosaic block: the working table of a run and its
// bilinear interpolation.
#pragma once

#include <vector>

namespace korva {

// The table E(x, theta), row-major: 301 rows x = 0.0 .. 30.0, 19 columns
// theta = 0 .. 90 degrees (crystal/extinction_table.hpp).
struct ExtinctionTable {
  std::vector<float> values;
};

// The working table of a run, a copy of the built-in one.
ExtinctionTable chuk1_();

// Extinction factor y for the ratio x of block size to extinction length and
// the Bragg angle theta (degrees).  A table of the wrong size (one that
// chuk1_ did not make) reads the built-in data.
void chuk_(const ExtinctionTable& table, float x, float theta, float& y);

}  // namespace korva
