// The built-in extinction table of a mosaic block (generated data).
#pragma once

namespace korva {

constexpr int kExtinctionRows = 301;     // x = 0.0 .. 30.0, step 0.1
constexpr int kExtinctionColumns = 19;   // theta = 0 .. 90 degrees, step 5

extern const float kExtinctionTable[kExtinctionRows][kExtinctionColumns];

}  // namespace korva
