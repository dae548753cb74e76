// How a space group given as operators is written into an input file:
// recognised as an entry of korva's table (the same operators modulo the
// lattice centring, possibly after an origin shift), or as explicit
// operators with the centring carried by copies of the atoms.
#pragma once

#include <array>
#include <string>
#include <vector>

#include <gemmi/symmetry.hpp>

namespace korva::cif {

struct Setting {
  bool table = false;  // true: nr names a table entry; false: explicit operators
  int nr = 231;
  // Origin shift in 24ths of the cell edges: the input's coordinates are the
  // CIF's minus shift.  Phases of structure factors change, moduli do not.
  std::array<int, 3> shift{};
  int ic = 2;                        // explicit route: 1 centrosymmetric, 2 acentric
  std::vector<gemmi::Op> stored;     // explicit route: the operators written
  std::vector<gemmi::Op::Tran> centring;  // explicit route: translations of the atom copies, 0 first
  int order = 1;                     // operators of the whole group
  std::string table_symbol;          // table route: the entry's symbol, trimmed
};

// The setting for the whole group ops (as CifCrystal::ops): a table entry
// without origin shift, else a table entry after the smallest origin shift,
// else explicit operators keeping the origin, else explicit operators after
// moving the origin to a centre of inversion (needed when the group has more
// than 24 operators modulo centring).  Throws CifError when none applies.
Setting choose_setting(const std::vector<gemmi::Op>& ops);

// Number of distinct positions of x under the group (within tol angstrom in
// the cell of metric g, the 3x3 metric tensor).
int site_multiplicity(const std::vector<gemmi::Op>& ops, const std::array<double, 3>& x,
                      const std::array<std::array<double, 3>, 3>& g, double tol);

}  // namespace korva::cif
