// Lattice centring of the atom list.
#pragma once

#include <string_view>

#include <vector>

#include "crystal/crystal.hpp"

namespace korva {

// Centring multiplicity of a lattice letter: 2 for A, B, C and I, 4 for F,
// 1 for every other letter.
int centring_multiplicity(char letter);

// Appends one translated copy of every atom for each non-trivial centring
// vector of the lattice letter (the first character of sgsymbol).  Copy k of
// atom i lands at position i + k n, in ascending i; coordinates are not
// reduced into the cell.  Not idempotent: called once per run.
void bravai_(std::vector<Atom>& atoms, std::string_view sgsymbol);

}  // namespace korva
