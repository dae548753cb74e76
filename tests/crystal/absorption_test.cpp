// Absorption coefficient and density for X-rays, and the absorption
// correction of a sphere.
#include "crystal/absorption.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "crystal/scattering_tables.hpp"
#include "crystal_fixture.hpp"

namespace korva {
namespace {

using test::MemoryRun;

float astar(float mur, float theta) {
  float a = -1.0f, second = -1.0f;
  absor1_(mur, a, second, theta, 0.01f);
  EXPECT_EQ(second, 0.0f);
  return a;
}

double table(int row, int col) { return kSphereTable[static_cast<std::size_t>(row)][static_cast<std::size_t>(col)]; }

TEST(SphereAbsorption, NoAbsorptionWithoutMu) {
  for (float theta : {0.0f, 7.3f, 45.0f, 89.99f, 90.0f}) EXPECT_EQ(astar(0.0f, theta), 1.0f) << theta;
}

TEST(SphereAbsorption, InterpolatesLinearlyInMuRAndTheta) {
  // theta = 45 exactly: column 9 alone, halfway between mu R = 0.5 and 0.6.
  EXPECT_NEAR(astar(0.55f, 45.0f), (table(5, 9) + table(6, 9)) / 2, 1e-5);
  EXPECT_NEAR(astar(1.0f, 45.0f), 3.505, 1e-5);
  // A point inside a cell of the coarse part: mu R 12.25, theta 47.5.
  const double corners = (table(104, 9) + table(104, 10) + table(105, 9) + table(105, 10)) / 4;
  EXPECT_NEAR(astar(12.25f, 47.5f), corners, 1e-4 * corners);
  // A quarter of the way in both directions in the fine part.
  const double g0 = table(23, 4) + 0.25 * (table(23, 5) - table(23, 4));
  const double g1 = table(24, 4) + 0.25 * (table(24, 5) - table(24, 4));
  EXPECT_NEAR(astar(2.325f, 21.25f), g0 + 0.25 * (g1 - g0), 1e-4 * g0);
}

TEST(SphereAbsorption, TheCoarseAndFineGridsMeetAtMuRTen) {
  for (int col : {0, 4, 9, 14, 18}) {
    const float theta = 5.0f * static_cast<float>(col);
    EXPECT_EQ(astar(10.0f, theta), static_cast<float>(table(100, col)));
    EXPECT_NEAR(astar(9.9999f, theta), table(100, col), 2e-3 * table(100, col));
  }
  EXPECT_EQ(astar(10.0f, 45.0f), 60.44f);
}

TEST(SphereAbsorption, EdgesOfTheTableAreReadWithoutLeavingIt) {
  EXPECT_NEAR(astar(31.5f, 45.0f), 211.4, 1e-3);
  EXPECT_NEAR(astar(31.5f, 90.0f), 84.01, 1e-3);
  EXPECT_NEAR(astar(2.0f, 90.0f), 5.505, 1e-4);
  EXPECT_NEAR(astar(31.4999f, 89.9999f), 84.01, 0.01);
  // Rounding beyond the domain is taken at its edge.
  EXPECT_EQ(astar(31.6f, 45.0f), astar(31.5f, 45.0f));
  EXPECT_EQ(astar(2.0f, 90.001f), astar(2.0f, 90.0f));
  EXPECT_EQ(astar(-1e-7f, 30.0f), 1.0f);
  EXPECT_EQ(astar(1.0f, -1e-6f), astar(1.0f, 0.0f));
  EXPECT_TRUE(std::isfinite(astar(std::numeric_limits<float>::quiet_NaN(), 30.0f)));
}

// Klein-Nishina scattering per electron times N_A (cm^2/mol), in double.
double klein_nishina(double lambda) {
  const double a = 0.024262113 / lambda;
  const double l = std::log(1 + 2 * a);
  return 0.30044827 *
         ((1 + a) / (a * a) * (2 * (1 + a) / (1 + 2 * a) - l / a) + l / (2 * a) - (1 + 3 * a) / ((1 + 2 * a) * (1 + 2 * a)));
}

struct Cell {
  MemoryRun m;
  void add(int z, float natcell) {
    ScatteringType t;
    t.zatom = z;
    t.natcell = natcell;
    m.run.cr.types.push_back(t);
  }
  void mue(float lambda, float v, float& mu, float& density) {
    mue_(m.run.cr.types, lambda, v, mu, static_cast<int>(m.run.cr.types.size()), density, m.run.report);
  }
};

TEST(AbsorptionCoefficient, OneElementFollowsTheVictoreenFormula) {
  // Silicon, 8 atoms in the cell: rho = 8 A / (N_A V), mu = rho mu/rho.
  const double a = 5.4309, v = a * a * a, weight = 28.0855;
  const double rho = 8 * weight / (6.0225701e23 * v * 1e-24);
  for (double lambda : {1.540598, 0.7093, 0.55942, 2.2909}) {
    Cell si;
    si.add(14, 8.0f);
    float mu = 0, density = 0;
    si.mue(static_cast<float>(lambda), static_cast<float>(v), mu, density);
    const double murho = 18.2 * std::pow(lambda, 3) - 1.1 * std::pow(lambda, 4) + klein_nishina(lambda) * 14 / weight;
    EXPECT_NEAR(mu, rho * murho, 2e-5 * rho * murho) << lambda;
    EXPECT_NEAR(density, rho, 1e-5 * rho);
    EXPECT_TRUE(si.m.listing().empty());
  }
  // About 141 per cm for Cu K-alpha, the textbook value of silicon.
  Cell si;
  si.add(14, 8.0f);
  float mu = 0, density = 0;
  si.mue(1.540598f, static_cast<float>(v), mu, density);
  EXPECT_NEAR(mu, 141.0f, 3.0f);
  EXPECT_NEAR(density, 2.329f, 0.001f);
}

TEST(AbsorptionCoefficient, ComptonScatteringTermIsAccurateWhereItDominates) {
  // Hydrogen absorbs almost nothing: mu/rho is mostly the Klein-Nishina
  // term, a small difference of large numbers at long wavelengths.
  const double v = 1000.0, weight = 1.00794;
  for (double lambda : {0.55942, 1.540598, 2.2909}) {
    Cell h;
    h.add(1, 10.0f);
    float mu = 0, density = 0;
    h.mue(static_cast<float>(lambda), static_cast<float>(v), mu, density);
    const double murho = 0.0127 * std::pow(lambda, 3) - 4.66e-6 * std::pow(lambda, 4) + klein_nishina(lambda) / weight;
    const double expected = 10 * weight * murho / (0.60225701 * v);
    EXPECT_NEAR(mu, expected, 1e-5 * expected) << lambda;
  }
}

TEST(AbsorptionCoefficient, RegionIsChosenByTheEdges) {
  const double v = 100.0;
  auto mu_of = [&](int z, double lambda) {
    Cell c;
    c.add(z, 1.0f);
    float mu = 0, density = 0;
    c.mue(static_cast<float>(lambda), static_cast<float>(v), mu, density);
    return double(mu);
  };
  auto expected = [&](int z, int region, double lambda) {
    const VictoreenRow& row = kVictoreenTable[static_cast<std::size_t>(z - 1)];
    const VictoreenRegion& r = row.region[static_cast<std::size_t>(region - 1)];
    const double murho = r.c * std::pow(lambda, 3) - r.d * std::pow(lambda, 4) + klein_nishina(lambda) * z / row.weight;
    return row.weight * murho / (0.60225701 * v);
  };
  // Iron: K edge at 1.743 A.  On the edge the shorter-wavelength region
  // counts; beyond the last tabulated edge (10 A) the last region.
  EXPECT_NEAR(mu_of(26, 1.7), expected(26, 1, 1.7), 1e-4 * expected(26, 1, 1.7));
  EXPECT_NEAR(mu_of(26, 1.743), expected(26, 1, 1.743), 1e-4 * expected(26, 1, 1.743));
  EXPECT_NEAR(mu_of(26, 1.75), expected(26, 2, 1.75), 1e-4 * expected(26, 2, 1.75));
  EXPECT_NEAR(mu_of(26, 12.0), expected(26, 2, 12.0), 1e-4 * expected(26, 2, 12.0));
  // Lead has no region below its K edge: 0.5 A falls in region 2.
  EXPECT_NEAR(mu_of(82, 0.5), expected(82, 2, 0.5), 1e-4 * expected(82, 2, 0.5));
  EXPECT_NEAR(mu_of(82, 0.9), expected(82, 4, 0.9), 1e-4 * expected(82, 4, 0.9));
  // Barium, 5 regions: 2.3 A lies between the L2 (2.2044) and L1 (2.3628) edges.
  EXPECT_NEAR(mu_of(56, 2.3), expected(56, 4, 2.3), 1e-4 * expected(56, 4, 2.3));
}

TEST(AbsorptionCoefficient, ElementsBeyondTheTableGiveMuOne) {
  Cell uo2;
  uo2.add(92, 4.0f);
  uo2.add(8, 8.0f);
  float mu = 0, density = 0;
  const float v = 5.47f * 5.47f * 5.47f;
  uo2.mue(0.7093f, v, mu, density);
  EXPECT_EQ(mu, 1.0f);
  // The density still counts uranium (238.029 g/mol): about 10.96 g/cm^3.
  EXPECT_NEAR(density, (4 * 238.029 + 8 * 15.9994) / (0.60225701 * v), 1e-3);
  const std::vector<std::string> expected = {
      " The linear absorption coefficient cannot be calculated for the atomic number  92"};
  EXPECT_EQ(uo2.m.listing(), expected);

  Cell am;
  am.add(95, 1.0f);
  am.mue(1.54f, 100.0f, mu, density);
  EXPECT_EQ(mu, 1.0f);
  EXPECT_EQ(density, 0.0f);
  EXPECT_EQ(am.m.listing().front(), " The atomic weight is not known for the atomic number  95");
}

}  // namespace
}  // namespace korva
