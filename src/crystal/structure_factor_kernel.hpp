// Pieces of the structure-factor computation shared by the listing and the
// tests: the form factor of a scattering type and the structure factor
// summed strictly operator by operator.
#pragma once

#include <string>
#include <vector>

#include "crystal/structure_factor.hpp"

namespace korva {

// f0 of an X-ray scattering type at sin(theta)/lambda = stl, without f':
// the four-Gaussian fit up to the type's limit (fcoef[13]), the high-angle
// fit of ln f above it.  May be negative; the structure factor clamps.
float xray_form_factor(const ScatteringType& type, float stl);

// The phase of re + i im as the structure factor reports it: atan2 lifted
// into -0.001 .. 2 pi, and exact values where re or im is zero.
float structure_factor_phase(float re, float im);

// The same structure factors as structure_factor_xray / _neutron, always
// summed with the operators in the outer loop and the atoms in the inner
// one.  This order decides which temperature-parameter messages are written
// before a temperature factor above 1 stops the computation; the fast path
// switches to it whenever an exponent is negative.
StructureFactor structure_factor_xray_ordered(const Crystal& cr, int h, int k, int l, float stl,
                                              std::vector<std::string>* messages);
StructureFactor structure_factor_neutron_ordered(const Crystal& cr, int h, int k, int l,
                                                 std::vector<std::string>* messages);

}  // namespace korva
