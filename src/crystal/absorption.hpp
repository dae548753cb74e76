// Absorption of X-rays by a spherical crystal.
#pragma once

#include <vector>

#include "crystal/crystal.hpp"
#include "support/report.hpp"

namespace korva {

// Density (g/cm^3) and linear absorption coefficient mu (1/cm) of the cell
// of volume v (A^3) at wavelength lambda (A), from the atoms per cell and
// atomic numbers of the first nf types.  The absorption table ends at
// Z = 83: a heavier element is reported and mu becomes 1.0; its weight for
// the density comes from the neutron table (Z <= 92), beyond which the
// density is reported as unknown and set to 0.
void mue_(const std::vector<ScatteringType>& types, float lambda, float v, float& mu, int nf, float& density,
          Report& report);

// Absorption correction A* = 1/T of a sphere for mu R (0 <= muR < 31.5) and
// the Bragg angle theta (degrees, 0 <= theta < 90), interpolated linearly
// in both.  Arguments beyond the table (rounding at its edges) are taken at
// the edge.  The second result (set to 0) and the radius are part of the
// callers' argument list but carry nothing.
void absor1_(float mur, float& astar, float& second, float theta, float r);

}  // namespace korva
