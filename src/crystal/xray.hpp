// X-ray scattering factors and the structure factor.
#pragma once

#include <string>
#include <vector>

#include "crystal/structure_factor.hpp"
#include "scan/run.hpp"

namespace korva {

// Looks up scattering type m (0-based) by its 4-character symbol and fills
// its coefficients, atomic number and, for the tube lines Cu, Mo and Ag, f'
// and f''.  An unknown symbol is reported in the listing and sets run.ierr.
void upform_(Run& run, int m);

// Structure factor of reflection h k l at sin(theta)/lambda = stl: modulus f
// (electrons) and phase phi (radians).  Leaves the imaginary part in
// run.cr.fcalc_im.  A temperature factor above 1 is reported and sets
// run.ierr (f and phi unchanged).
void fcalc1_(Run& run, int h, int k, int l, float stl, float& f, float& phi);

// Hands a computed structure factor to the run, as fcalc1_ and fcalc1_n_ do:
// its messages go to the listing; a failure sets run.ierr and leaves f and
// phi unchanged, otherwise f, phi and run.cr.fcalc_im are set.
void take_structure_factor(Run& run, const StructureFactor& sf, const std::vector<std::string>& messages,
                           float& f, float& phi);

}  // namespace korva
