#include "cif/dispersion.hpp"

#include <cmath>
#include <string>

#include <xraylib.h>

#include "cif/cif_reader.hpp"
#include "crystal/scattering_tables.hpp"

namespace korva::cif {

namespace {

// Debye-Waller B of silicon at room temperature (A^2).
constexpr double kSiliconB = 0.4632;

double checked(double value, xrl_error* error, const char* what, int z, double kev) {
  if (error) {
    const std::string message = error->message ? error->message : "no data";
    xrl_error_free(error);
    throw CifError(std::string("xraylib gives no ") + what + " for Z = " + std::to_string(z) + " at " +
                   std::to_string(kev) + " keV: " + message);
  }
  return value;
}

}  // namespace

Dispersion dispersion_at(int z, double kev) {
  xrl_error* error = nullptr;
  Dispersion d;
  d.fp = checked(Fi(z, kev, &error), error, "f'", z, kev);
  error = nullptr;
  // xraylib counts f'' negative (f = f0 + f' - i f''); korva's tables carry it positive.
  d.fpp = -checked(Fii(z, kev, &error), error, "f''", z, kev);
  return d;
}

double silicon_111_structure_factor(double kev) {
  const XrayRow* si = find_symbol(kXrayTable, "Siv ");
  const double s = std::sqrt(3.0) / (2.0 * kSiliconCell);
  double f0 = si->gauss[8];
  for (int i = 0; i < 4; ++i) f0 += si->gauss[2 * i] * std::exp(-si->gauss[2 * i + 1] * s * s);
  const Dispersion d = dispersion_at(14, kev);
  // The eight atoms of the diamond cell add up to 4 |1 + i| = 4 sqrt(2) at 1 1 1.
  return 4.0 * std::sqrt(2.0) * std::hypot(f0 + d.fp, d.fpp) * std::exp(-kSiliconB * s * s);
}

}  // namespace korva::cif
