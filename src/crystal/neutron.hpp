// Neutron scattering lengths, structure factor and density.
#pragma once

#include "scan/run.hpp"

namespace korva {

// Looks up the atomic number of type m (0-based); a scattering length given
// in the input (fprime != 0) is kept, otherwise the tabulated one is used.
void upform_n_(Run& run, int m);

// Structure factor of h k l with coherent scattering lengths (fm).
void fcalc1_n_(Run& run, int h, int k, int l, float& f, float& phi);

// Density (g/cm^3) of the cell of volume v (A^3).
void mue_n_(Run& run, float v, int nf, float& density);

}  // namespace korva
