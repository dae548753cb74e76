// X-ray dispersion corrections at any photon energy (xraylib), and the
// silicon 1 1 1 monochromator reflection of a synchrotron beamline.
#pragma once

namespace korva::cif {

// hc in keV A: lambda = kHc / E.
constexpr double kHc = 12.398419843320026;

struct Dispersion {
  double fp = 0;   // f' (electrons)
  double fpp = 0;  // f'' (electrons, positive)
};

// f' and f'' of atomic number z at energy kev.  Throws CifError when
// xraylib has no data for them.
Dispersion dispersion_at(int z, double kev);

// Cell constant (A) of the silicon monochromator crystal.
constexpr double kSiliconCell = 5.43102;

// Structure factor |F| of the Si 1 1 1 reflection at energy kev, with
// korva's form factor of neutral silicon, the dispersion at that energy and
// the Debye-Waller factor of silicon at room temperature.
double silicon_111_structure_factor(double kev);

}  // namespace korva::cif
