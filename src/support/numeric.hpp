// The two whole-number conversions of the formulas (NINT rounds to the
// nearest whole number with halves away from zero, INT cuts toward zero; both
// saturate instead of overflowing, so that absurd input can never produce
// undefined behaviour) and the mark of a scan point without measurement.
#pragma once

#include <cmath>
#include <limits>

namespace korva {

inline int int_sat(double v) {
  if (std::isnan(v)) return 0;
  if (v >= static_cast<double>(std::numeric_limits<int>::max())) return std::numeric_limits<int>::max();
  if (v <= static_cast<double>(std::numeric_limits<int>::min())) return std::numeric_limits<int>::min();
  return static_cast<int>(v);
}

// INT(x), trunc(x): toward zero.
inline int itrunc(double v) { return int_sat(std::trunc(v)); }

// NINT(x): nearest, halves away from zero.
inline int nint(double v) { return int_sat(std::round(v)); }

// The value of a measured-scan point that holds no measurement.
constexpr float kNoMeasurement = 1.0e20f;

}  // namespace korva
