// Absorption of X-rays by a spherical crystal.
#pragma once

#include "scan/run.hpp"

namespace korva {

// Density (g/cm^3) and linear absorption coefficient mu (1/cm) of the cell
// of volume v (A^3) at wavelength lambda (A).
void mue_(Run& run, float lambda, float v, float& mu, int nf, float& density);

// Absorption correction A* = 1/T of a sphere for mu R (0 <= muR < 31.5) and
// the Bragg angle theta (degrees, 0 <= theta < 90).  The second result and
// the radius are part of the callers' argument list but carry nothing.
void absor1_(float mur, float& astar, float& second, float theta, float r);

}  // namespace korva
