// Structure factors as pure functions of the crystal, safe to call from
// several threads at once.  fcalc1_ and fcalc1_n_ wrap them for the run:
// they write the messages to the listing, keep the imaginary part and set
// the error flag.
#pragma once

#include <string>
#include <vector>

#include "crystal/crystal.hpp"

namespace korva {

struct StructureFactor {
  float f = 0.0f;    // modulus
  float phi = 0.0f;  // phase, radians
  float im = 0.0f;   // imaginary part
  bool failed = false;  // a temperature factor above 1: f and phi are not valid
};

// X-ray structure factor of h k l at sin(theta)/lambda = stl.  The listing
// records the computation produces (temperature-parameter warnings and the
// error) are appended to *messages when it is not null.
StructureFactor structure_factor_xray(const Crystal& cr, int h, int k, int l, float stl,
                                      std::vector<std::string>* messages);

// Neutron structure factor of h k l with the scattering lengths in
// ScatteringType::fprime (fm).
StructureFactor structure_factor_neutron(const Crystal& cr, int h, int k, int l,
                                         std::vector<std::string>* messages);

}  // namespace korva
