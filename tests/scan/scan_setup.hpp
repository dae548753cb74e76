// Test support for the event search: a run prepared by the input phase from
// a crystal without atoms (explicit operator, no scattering tables), and
// structure-factor sources whose values the tests choose.
#pragma once

#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "crystal/structure_factor.hpp"
#include "scan/helpers.hpp"
#include "scan/run.hpp"
#include "scan/stages.hpp"

namespace korva::testing {

struct CrystalLines {
  std::string cell = "12.38 12.38 12.38 90 90 90";
  std::string radiation = "Ag";
  std::string line5 = "0.14 0.14 150 150 0.0";
  std::string line6 = "-66 16 50 0 1 0";
  std::string primary = "8 8 2 1.5 0 -24.5 -23.5";
  std::string rest;  // orientation matrix and so on
};

inline std::string crystal_input(const CrystalLines& c) {
  return "Test crystal\ntest.ps\n" + c.cell + "\n" + c.radiation + "\n" + c.line5 + "\n" + c.line6 +
         "\n231 0 0\n1 1\n0 1 0 0  0 0 1 0  0 0 0 1\n" + c.primary + "\n" + c.rest;
}

// The state after the input phase, ready for the event search.
struct PreparedRun {
  Io io;
  Run run{io};
  bool ok = false;
  std::string dname2 = std::string(72, ' '), dname1 = std::string(72, ' ');
  explicit PreparedRun(const CrystalLines& c) {
    io.in_memory = true;
    io.input.open_text(crystal_input(c));
    io.listing.open_memory();
    run.extinction = chuk1_();
    ok = read_input(run, dname2, dname1);
  }
  std::string listing() const { return io.listing.text(); }
};

// Structure factors that depend on the indices in a way no symmetry repeats.
inline StructureFactor patterned_factor(int h, int k, int l) {
  const int m = std::abs(7 * h + 3 * k - 5 * l + 11 * h * k) % 41;
  StructureFactor sf;
  sf.f = m == 0 ? 0.0f : 20.0f + 15.0f * static_cast<float>(m);
  sf.phi = 0.1f * static_cast<float>((h * 5 + k * 2 + l) % 60);
  if (sf.phi < 0.0f) sf.phi += 6.2831853f;
  return sf;
}

}  // namespace korva::testing
