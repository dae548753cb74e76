// X-ray scattering factors and the structure factor.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "crystal/structure_factor.hpp"
#include "support/report.hpp"

namespace korva {

// Looks up a scattering type by its 4-character symbol and fills its
// coefficients, atomic number and, when indicator names a tube line (Cu, Mo,
// Ag), f' and f''.  An unknown symbol is reported and stops the run.
void upform_(ScatteringType& type, std::string_view indicator, Report& report);

// Structure factor of reflection h k l at sin(theta)/lambda = stl: modulus f
// (electrons) and phase phi (radians).  A temperature factor above 1 is
// reported and stops the run (f and phi unchanged).
void fcalc1_(const Crystal& cr, int h, int k, int l, float stl, float& f, float& phi, Report& report);

// Hands a computed structure factor on, as fcalc1_ and fcalc1_n_ do: its
// messages are reported; a failure stops the run and leaves f and phi
// unchanged, otherwise f and phi are set.  False after a failure.
bool take_structure_factor(const StructureFactor& sf, const std::vector<std::string>& messages, float& f,
                           float& phi, Report& report);

}  // namespace korva
