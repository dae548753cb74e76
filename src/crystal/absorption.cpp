// Density and linear absorption coefficient of the crystal for X-rays, and
// the absorption correction of a spherical crystal.
#include "crystal/absorption.hpp"

#include <cmath>

#include "crystal/scattering_tables.hpp"
#include "support/format.hpp"
#include "support/numeric.hpp"

namespace korva {
namespace {

// Total Klein-Nishina cross section of one electron times Avogadro's
// number, in cm^2/mol (0.30044827 = 2 pi r_e^2 N_A), so that sigma Z / A is
// the scattering part of mu/rho in cm^2/g.  a is the Compton wavelength
// over lambda.  The bracket is a small difference of terms of size 1/a^2
// (a is about 0.01 to 0.05): evaluated in single precision it loses up to
// 3 % of sigma, so it is evaluated in double and rounded once.
float klein_nishina(float lambda) {
  const double a = 0.024262113 / static_cast<double>(lambda);
  const double one2a = 1.0 + 2.0 * a;
  const double ln2a = std::log1p(2.0 * a);
  return static_cast<float>(0.30044827 * ((1.0 + a) / (a * a) * (2.0 * (1.0 + a) / one2a - ln2a / a) +
                                          ln2a / (2.0 * a) - (1.0 + 3.0 * a) / (one2a * one2a)));
}

// The Victoreen region of lambda: the first used region that reaches up to
// lambda.  A wavelength on an edge counts to the region below it (shorter
// wavelengths); one beyond the last edge to the last region.
const VictoreenRegion& region_of(const VictoreenRow& row, float lambda) {
  const VictoreenRegion* last = &row.region[0];
  for (const VictoreenRegion& r : row.region) {
    if (r.edge <= 0.0f) continue;  // unused
    if (lambda <= r.edge) return r;
    last = &r;
  }
  return *last;
}

// Atomic weight for the density: the absorption table covers Z = 1..83, the
// neutron table up to 92.  0 when neither knows the element.
float atomic_weight(int z) {
  if (z >= 1 && z <= kVictoreenRows) return kVictoreenTable[static_cast<std::size_t>(z - 1)].weight;
  if (z >= 1 && z <= kNeutronRows) return kNeutronTable[static_cast<std::size_t>(z - 1)].weight;
  return 0.0f;
}

}  // namespace

void mue_(const std::vector<ScatteringType>& types, float lambda, float v, float& mu, int nf, float& density,
          Report& report) {
  const float sigma = klein_nishina(lambda);
  const float l3 = lambda * lambda * lambda;
  const float l4 = l3 * lambda;
  float sum1 = 0.0f, sum2 = 0.0f;
  bool beyond_table = false;
  bool weight_unknown = false;
  for (int m = 0; m < nf && m < static_cast<int>(types.size()); ++m) {
    const ScatteringType& type = types[static_cast<std::size_t>(m)];
    const int z = type.zatom;
    const float weight = atomic_weight(z);
    if (weight == 0.0f && !weight_unknown) {
      report.line(" The atomic weight is not known for the atomic number " + I(z, 3));
      weight_unknown = true;
    }
    if (z < 1 || z > kVictoreenRows) {
      report.line(" The linear absorption coefficient cannot be calculated for the atomic number " +
               I(z, 3));
      beyond_table = true;
    } else {
      const VictoreenRow& row = kVictoreenTable[static_cast<std::size_t>(z - 1)];
      const VictoreenRegion& r = region_of(row, lambda);
      const float murho = r.c * l3 - r.d * l4 + sigma * static_cast<float>(z) / row.weight;
      sum1 += row.weight * murho * type.natcell * 0.16604207f;
    }
    sum2 += weight * type.natcell;
  }
  mu = beyond_table ? 1.0f : sum1 * 10.0f / v;
  density = weight_unknown ? 0.0f : sum2 * 10.0f / (6.0225701f * v);
}

void absor1_(float mur, float& astar, float& second, float theta, float) {
  // The table spans mu R 0..31.5 and theta 0..90; values at or slightly
  // beyond its edges (rounding) are taken at the edge.
  if (!(mur >= 0.0f)) mur = 0.0f;
  if (mur > 31.5f) mur = 31.5f;
  if (!(theta >= 0.0f)) theta = 0.0f;
  if (theta > 90.0f) theta = 90.0f;

  const int tens = itrunc(theta / 10.0f);
  const int theta0 = 10 * tens + 5 * itrunc((theta - static_cast<float>(10 * tens)) / 5.0f);
  int g0 = theta0 / 5;
  float ft = (theta - static_cast<float>(theta0)) / 5.0f;
  if (g0 > kSphereColumns - 2) {  // theta = 90: the last column
    g0 = kSphereColumns - 2;
    ft = (theta - 5.0f * static_cast<float>(g0)) / 5.0f;
  }

  int r0 = 0;
  float fr = 0.0f;
  if (mur < 10.0f) {
    r0 = itrunc(10.0f * mur);
    fr = 10.0f * (mur - 0.1f * static_cast<float>(r0));
  } else {
    int k = itrunc(2.0f * (mur - 10.0f));
    if (k > kSphereRows - 102) k = kSphereRows - 102;  // mu R = 31.5: the last row
    r0 = 100 + k;
    fr = 2.0f * (mur - (10.0f + 0.5f * static_cast<float>(k)));
  }

  const auto& row0 = kSphereTable[static_cast<std::size_t>(r0)];
  const auto& row1 = kSphereTable[static_cast<std::size_t>(r0 + 1)];
  const std::size_t c0 = static_cast<std::size_t>(g0);
  const float v0 = row0[c0] - (row0[c0] - row0[c0 + 1]) * ft;
  const float v1 = row1[c0] - (row1[c0] - row1[c0 + 1]) * ft;
  astar = v0 - fr * (v0 - v1);
  second = 0.0f;
}

}  // namespace korva
