// The input file for `korva run` that describes a crystal read from a CIF,
// with the radiation and the run parameters a CIF does not carry.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "cif/cif_reader.hpp"
#include "cif/setting.hpp"

namespace korva::cif {

enum class Beam { tube, synchrotron, neutrons };

struct RadiationChoice {
  Beam beam = Beam::tube;
  std::string tube = "Cu";  // Cu, Mo or Ag
  double kev = 0;           // synchrotron: photon energy
  double lambda = 0;        // neutrons: wavelength (A)
  double band = 0.01;       // neutrons: delta-lambda / lambda
};

// Input lines 5, 6, 10 and 11 besides the reflection: what a CIF does not say.
struct RunChoices {
  std::string title;    // line 1; empty: from the CIF
  std::string ps_name;  // line 2
  std::array<int, 3> hkl{};
  double diverp = 0, divers = 0;  // degrees
  double rkugel = 0, radius = 0;  // micrometres
  double eta = 0;                 // degrees
  double psia = -180, psie = 180, zsw1 = 10;
  int nnn = 0;
  // 0 lists no event and simulates all: a threshold that suits every crystal
  // and beam does not exist, and a run that lists more than 600 events stops.
  double drumin = 0, zeimax = 0;
  std::optional<std::array<double, 9>> ub;  // line 11, row by row
};

// Defaults that suit a laboratory diffractometer (tube), a bending-magnet
// beamline (synchrotron) or a neutron diffractometer.
RunChoices default_choices(Beam beam);

struct Conversion {
  std::string input;                 // text of the input file
  Setting setting;
  std::vector<std::string> summary;  // what was chosen, one line each
  std::vector<std::string> warnings;
};

// Throws CifError when the crystal cannot be written: an element the
// tables lack, a reflection the radiation cannot reach.
Conversion make_input(const CifCrystal& cr, const RadiationChoice& rad, const RunChoices& run);

// The longest wavelength of the radiation (A): K-alpha2 of a tube.
double longest_wavelength(const RadiationChoice& rad);

}  // namespace korva::cif
