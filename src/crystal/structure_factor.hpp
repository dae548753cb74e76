// Structure factors as pure functions of the crystal, safe to call from
// several threads at once.  fcalc1_ and fcalc1_n_ wrap them for the run:
// they write the messages to the listing, keep the imaginary part and set
// the error flag.
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <vector>

#include "crystal/crystal.hpp"

namespace korva {

struct StructureFactor {
  float f = 0.0f;    // modulus
  float phi = 0.0f;  // phase, radians
  float im = 0.0f;   // imaginary part
  bool failed = false;  // a temperature factor above 1: f and phi are not valid
  float re = 0.0f;      // real part
};

// The atom list laid out for the lane kernels, built once for a crystal and
// shared by all its structure factors: atoms grouped by their set of betas,
// each group padded to whole lanes (no groups: every atom its own factors).
struct AtomLayout {
  std::array<std::vector<float>, 3> x;   // coordinates of each slot
  std::array<std::vector<float>, 6> bt;  // betas of each slot
  std::vector<int> atom;                 // atom of each slot, -1 for padding
  std::vector<std::size_t> slot;         // slot of each atom
  struct Group {
    std::size_t begin, end;
    std::array<float, 6> bt;
  };
  std::vector<Group> groups;
};

AtomLayout atom_layout(const std::vector<Atom>& atoms);

// The structure factors below with the layout of cr.atoms already made.
StructureFactor structure_factor_xray(const Crystal& cr, const AtomLayout& lay, int h, int k, int l, float stl,
                                      std::vector<std::string>* messages);
StructureFactor structure_factor_neutron(const Crystal& cr, const AtomLayout& lay, int h, int k, int l,
                                         std::vector<std::string>* messages);

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
