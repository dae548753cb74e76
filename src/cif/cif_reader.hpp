// A crystal structure read from one data block of a CIF file: the cell, the
// whole space group as operators, and the atom sites with occupancy and
// displacement parameters.
#pragma once

#include <array>
#include <stdexcept>
#include <string>
#include <vector>

#include <gemmi/symmetry.hpp>

namespace korva::cif {

// A CIF (or a request about it) that cannot be turned into an input file;
// the message is meant for the user.
struct CifError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

struct CifSite {
  std::string label;
  std::string element;      // chemical symbol, "D" for deuterium
  int z = 0;                // atomic number (1 for deuterium)
  int charge = 0;
  std::array<double, 3> x{};
  double occupancy = 1.0;
  bool aniso = false;
  double u_iso = 0.0;            // A^2
  std::array<double, 6> u{};     // U11 U22 U33 U12 U13 U23 (A^2) when aniso
  int cif_multiplicity = 0;      // _atom_site_symmetry_multiplicity, 0 when absent
};

struct CifCrystal {
  std::string file;    // as named by the user
  std::string block;   // data block name
  std::string name;    // mineral, systematic or common name, or the formula
  std::array<double, 6> cell{};  // a b c (A), alpha beta gamma (degrees)
  // The whole space group: every operator once, lattice-centring
  // translations included, translations reduced into [0, 1).
  std::vector<gemmi::Op> ops;
  std::string symmetry_source;  // where ops came from, for the summary
  std::string group_name;       // Hermann-Mauguin name, when gemmi knows the group
  std::vector<CifSite> sites;
  std::vector<std::string> warnings;
};

// Reads the data block `block` of the CIF file `path` (empty: the first
// block with atom sites).  Throws CifError.
CifCrystal read_cif_file(const std::string& path, const std::string& block);

// The same for CIF text held in memory; `name` stands for the file in
// messages.
CifCrystal read_cif_text(const std::string& text, const std::string& name, const std::string& block);

// The operators of a group as gemmi lists them, each once with the
// centring translations applied and translations in [0, 1).
std::vector<gemmi::Op> expand_group(const gemmi::GroupOps& group);

}  // namespace korva::cif
