// Neutron scattering lengths, structure factor and density.
#pragma once

#include <vector>

#include "crystal/crystal.hpp"
#include "support/report.hpp"

namespace korva {

// Looks up the atomic number of a type; a scattering length given in the
// input (fprime != 0) is kept, otherwise the tabulated one is used.
void upform_n_(ScatteringType& type, Report& report);

// Structure factor of h k l with coherent scattering lengths (fm).
void fcalc1_n_(const Crystal& cr, int h, int k, int l, float& f, float& phi, Report& report);

// Density (g/cm^3) of the cell of volume v (A^3) from the first nf types.
void mue_n_(const std::vector<ScatteringType>& types, float v, int nf, float& density, Report& report);

}  // namespace korva
