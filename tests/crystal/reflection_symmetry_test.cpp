// Structure factors derived from an orbit's representative against the
// double-precision sum over the explicit images of every atom.
#include <gtest/gtest.h>

#include <complex>
#include <string>
#include <vector>

#include "crystal/centring.hpp"
#include "crystal/reflection_symmetry.hpp"
#include "crystal/spacegroup.hpp"
#include "crystal/structure_factor_kernel.hpp"
#include "crystal/xray.hpp"
#include "crystal_fixture.hpp"

namespace korva {
namespace {

using test::atom;

constexpr float kStl = 0.3f;  // one sin(theta)/lambda for all: the relation is one of the indices

void add_type(Run& run, const char* symbol, float fdprime) {
  ScatteringType t;
  t.atn = symbol;
  t.fprime = -0.3f;
  t.fdprime = fdprime;
  run.cr.types.push_back(t);
  upform_(run.cr.types.back(), "dl", run.report);
}

// A tabulated group with three atoms in general positions and anisotropic
// betas, centred copies added.
struct TableCrystal {
  test::MemoryRun m;
  TableCrystal(int nr, float fdprime) {
    Run& run = m.run;
    add_type(run, "Fe  ", fdprime);
    add_type(run, "O   ", fdprime / 4);
    raumgr_(run.cr.sym, nr, run.cr.sym.sgsymbol, run.report);
    run.cr.atoms.push_back(atom(1, 1, {0.1234f, 0.2871f, 0.3712f}, {0.004f, 0.005f, 0.006f, 0.001f, -0.0005f, 0.0008f}));
    run.cr.atoms.push_back(atom(2, 1, {0.4021f, 0.1187f, 0.0891f}, {0.008f, 0.007f, 0.009f, -0.002f, 0.001f, 0.0f}));
    run.cr.atoms.push_back(atom(2, 0.5f, {0.7777f, 0.6123f, 0.2345f}, {0.01f, 0.012f, 0.011f, 0.0f, 0.002f, -0.001f}));
    bravai_(run.cr.atoms, run.cr.sym.sgsymbol);
  }
};

std::vector<std::complex<double>> powers(const Crystal& cr) {
  std::vector<std::complex<double>> p;
  for (const ScatteringType& t : cr.types) p.emplace_back(test::reference_form_factor(t, kStl), t.fdprime);
  return p;
}

// Every reflection of a box: all members of its orbit name the same
// representative, and the factor derived from it agrees with the double
// sum.  Returns the number of reflections whose orbit had more than one
// member (so that a test cannot pass on trivial orbits).
int check_orbits(const Crystal& cr, const ReflectionSymmetry& sym, int n) {
  const auto scat = powers(cr);
  const AtomLayout lay = atom_layout(cr.atoms);
  // Float sums carry noise of the order of the sum of the moduli of their
  // terms (a bound of F(000)), which is all that is left of an extinct F.
  double scale = 0.0;
  for (const Atom& a : cr.atoms) scale += 2.0 * cr.sym.ns * a.afact * std::abs(scat[static_cast<std::size_t>(a.fnr) - 1]);
  int shared = 0;
  for (int h = -n; h <= n; ++h)
    for (int k = -n; k <= n; ++k)
      for (int l = -n; l <= n; ++l) {
        const Hkl hkl{h, k, l};
        const OrbitPlace place = orbit_place(sym, hkl);
        if (place.rep != hkl) ++shared;
        const StructureFactor rep = structure_factor_xray(cr, lay, place.rep[0], place.rep[1], place.rep[2], kStl, nullptr);
        const StructureFactor sf = derive_from_representative(sym, place, hkl, rep);
        const std::complex<double> expected = test::reference_structure_factor(cr, h, k, l, scat);
        const double tol = 2e-5 * std::abs(expected) + 1e-6 * scale;
        EXPECT_NEAR(sf.f, std::abs(expected), tol) << h << " " << k << " " << l;
        EXPECT_NEAR(sf.re, expected.real(), tol) << h << " " << k << " " << l;
        EXPECT_NEAR(sf.im, expected.imag(), tol) << h << " " << k << " " << l;
        if (std::abs(expected) > 100.0 * tol) {
          EXPECT_LT(test::phase_distance(sf.phi, test::phase_0_2pi(expected)), 2.0 * tol / std::abs(expected))
              << h << " " << k << " " << l;
        }
        EXPECT_EQ(sf.phi, structure_factor_phase(sf.re, sf.im));
        for (const ReflectionOperator& op : sym.ops) {
          Hkl img{};
          for (int m = 0; m < 3; ++m) img[m] = h * op.r[0][m] + k * op.r[1][m] + l * op.r[2][m];
          EXPECT_EQ(orbit_place(sym, img).rep, place.rep);
        }
      }
  return shared;
}

TEST(ReflectionSymmetry, CentrosymmetricCrystalWithAnomalousDispersion) {
  // P 1 21/c 1: F(-h) = F(h) with f'' (not conj F), and the screw axis
  // turns the phase by pi for odd k.
  TableCrystal mono(14, 3.2f);
  const ReflectionSymmetry sym = reflection_symmetry(mono.m.run.cr, false);
  ASSERT_EQ(sym.ops.size(), 4u);
  EXPECT_GT(check_orbits(mono.m.run.cr, sym, 4), 500);
}

TEST(ReflectionSymmetry, BodyCentredCubicGroupClosesThroughTheCentredCopies) {
  // I a -3 d: products of the stored operators leave (1/2 1/2 1/2), which
  // the centred copies of the atom list carry.
  TableCrystal yig(230, 0.5f);
  const ReflectionSymmetry sym = reflection_symmetry(yig.m.run.cr, false);
  ASSERT_EQ(sym.ops.size(), 48u);
  EXPECT_GT(check_orbits(yig.m.run.cr, sym, 3), 300);
}

TEST(ReflectionSymmetry, AcentricCrystalWithoutFDoublePrimeJoinsFriedelPairs) {
  TableCrystal p43(96, 0.0f);
  ASSERT_TRUE(without_anomalous_dispersion(p43.m.run.cr));
  const ReflectionSymmetry sym = reflection_symmetry(p43.m.run.cr, true);
  ASSERT_EQ(sym.ops.size(), 16u);
  EXPECT_EQ(orbit_place(sym, {1, 2, 3}).rep, orbit_place(sym, {-1, -2, -3}).rep);
  EXPECT_GT(check_orbits(p43.m.run.cr, sym, 4), 600);
}

TEST(ReflectionSymmetry, AcentricCrystalWithFDoublePrimeKeepsFriedelPairsApart) {
  TableCrystal p43(96, 3.2f);
  const ReflectionSymmetry sym = reflection_symmetry(p43.m.run.cr, without_anomalous_dispersion(p43.m.run.cr));
  ASSERT_EQ(sym.ops.size(), 8u);
  EXPECT_NE(orbit_place(sym, {1, 2, 3}).rep, orbit_place(sym, {-1, -2, -3}).rep);
  // Friedel's law fails here: the orbits must not join h and -h.
  const auto scat = powers(p43.m.run.cr);
  EXPECT_GT(std::abs(test::phase_distance(test::phase_0_2pi(test::reference_structure_factor(p43.m.run.cr, 1, 2, 3, scat)),
                                          -test::phase_0_2pi(test::reference_structure_factor(p43.m.run.cr, -1, -2, -3, scat)))),
            1e-3);
  EXPECT_GT(check_orbits(p43.m.run.cr, sym, 4), 600);
}

TEST(ReflectionSymmetry, ExplicitOperatorsThatDoNotCloseGiveNoOrbits) {
  test::MemoryRun m;
  add_type(m.run, "Fe  ", 0.0f);
  Crystal& cr = m.run.cr;
  cr.sym.ic = 2;
  cr.atoms.push_back(atom(1, 1, {0.1234f, 0.2871f, 0.3712f}));
  test::add_operator(cr.sym, test::identity());
  // A screw of 0.3 along c: twice applied it gives z + 0.6, no operator.
  test::add_operator(cr.sym, test::Matrix{{{-1, 0, 0}, {0, -1, 0}, {0, 0, 1}}}, {0, 0, 0.3f});
  EXPECT_FALSE(reflection_symmetry(cr, true).usable());
  // The relation F(h R) = exp(-2 pi i h.t) F(h) indeed fails for such a list.
  const auto scat = powers(cr);
  const std::complex<double> f = test::reference_structure_factor(cr, 1, 2, 1, scat);
  const std::complex<double> g = test::reference_structure_factor(cr, -1, -2, 1, scat);
  EXPECT_GT(std::abs(g - std::polar(1.0, -2.0 * 3.14159265358979 * 0.3) * f), 0.1 * std::abs(f));

  // A 4-fold rotation without its square; then the square with a
  // translation that the atom list does not carry.
  cr.sym.ns = 1;
  test::add_operator(cr.sym, test::Matrix{{{0, -1, 0}, {1, 0, 0}, {0, 0, 1}}});
  EXPECT_FALSE(reflection_symmetry(cr, false).usable());
  test::add_operator(cr.sym, test::Matrix{{{-1, 0, 0}, {0, -1, 0}, {0, 0, 1}}}, {0.5f, 0.5f, 0});
  test::add_operator(cr.sym, test::Matrix{{{0, 1, 0}, {-1, 0, 0}, {0, 0, 1}}});
  EXPECT_FALSE(reflection_symmetry(cr, false).usable());
  // With the centred copy (x + 1/2, y + 1/2, z) in the list they close.
  cr.atoms.push_back(atom(1, 1, {0.6234f, 0.7871f, 0.3712f}));
  const ReflectionSymmetry sym = reflection_symmetry(cr, false);
  ASSERT_TRUE(sym.usable());
  EXPECT_GT(check_orbits(cr, sym, 4), 500);
}

}  // namespace
}  // namespace korva
