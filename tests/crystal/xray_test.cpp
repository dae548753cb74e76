// X-ray scattering types and structure factors.
#include "crystal/xray.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "crystal/scattering_tables.hpp"
#include "crystal/structure_factor.hpp"
#include "crystal/structure_factor_kernel.hpp"
#include "crystal_fixture.hpp"

namespace korva {
namespace {

using test::atom;
using test::MemoryRun;

constexpr double kPi = 3.14159265358979323846;

// Type m of the run looked up under symbol with the given radiation line.
void add_type(Run& run, const std::string& symbol, const std::string& line = "dl", float fp = 0.0f,
              float fpp = 0.0f) {
  run.par.indicator = line;
  ScatteringType type;
  type.atn = symbol;
  type.fprime = fp;
  type.fdprime = fpp;
  run.cr.types.push_back(type);
  upform_(run.cr.types[static_cast<std::size_t>(static_cast<int>(run.cr.types.size()) - 1)], run.par.indicator, run.report);
}

std::vector<std::complex<double>> powers(const Crystal& cr, double stl) {
  std::vector<std::complex<double>> out;
  for (const ScatteringType& t : cr.types) out.emplace_back(test::reference_form_factor(t, stl), t.fdprime);
  return out;
}

TEST(Upform, MatchesAllFourCharactersExactly) {
  MemoryRun m;
  add_type(m.run, "Fe  ");
  EXPECT_FALSE(m.run.report.stopped());
  EXPECT_EQ(m.run.cr.types[0].zatom, 26);
  EXPECT_EQ(m.run.cr.types[0].fcoef[0], 11.7695f);
  EXPECT_EQ(m.run.cr.types[0].fcoef[12], -2.7199f);
  add_type(m.run, "O1- ");
  EXPECT_FALSE(m.run.report.stopped());
  EXPECT_EQ(m.run.cr.types[1].zatom, 8);
  EXPECT_TRUE(m.listing().empty());

  for (const char* wrong : {"FE  ", "Fe3 ", "fe  ", " Fe ", "Si  "}) {
    MemoryRun bad;
    add_type(bad.run, wrong);
    EXPECT_TRUE(bad.run.report.stopped()) << wrong;
  }
}

TEST(Upform, UnknownSymbolIsReportedInThreeLines) {
  MemoryRun m;
  add_type(m.run, "O-1 ");
  EXPECT_TRUE(m.run.report.stopped());
  const std::vector<std::string> expected = {
      " The chemical symbol: O-1  does not correspond to an atom/ion name",
      " given in the Table 6.1.1.4 of the International Tables for Crystallography,",
      " Vol. C, p. 500 - 502"};
  EXPECT_EQ(m.listing(), expected);
}

TEST(Upform, GaussianFitEndsAtOnePointFiveOnlyForSevenIons) {
  const std::set<std::string> short_fit = {"O1- ", "F1- ", "Sc3+", "Ti2+", "Ti3+", "Ti4+", "V3+ "};
  for (const XrayRow& row : kXrayTable) {
    MemoryRun m;
    add_type(m.run, row.symbol);
    ASSERT_FALSE(m.run.report.stopped()) << row.symbol;
    EXPECT_EQ(m.run.cr.types[0].fcoef[13], short_fit.count(row.symbol) ? 1.5f : 2.0f) << row.symbol;
  }
}

TEST(Upform, TubeLinesSetTheDispersionOtherRadiationKeepsTheInput) {
  const struct {
    const char* line;
    float fp, fpp;
  } cases[] = {{"Cu", -1.1336f, 3.1974f}, {"Mo", 0.3463f, 0.8444f}, {"Ag", 0.2886f, 0.5448f},
               {"dl", 1.25f, 2.5f}, {"cu", 1.25f, 2.5f}};
  for (const auto& c : cases) {
    MemoryRun m;
    add_type(m.run, "Fe3+", c.line, 1.25f, 2.5f);
    EXPECT_EQ(m.run.cr.types[0].fprime, c.fp) << c.line;
    EXPECT_EQ(m.run.cr.types[0].fdprime, c.fpp) << c.line;
  }
}

// Rock salt in F m -3 m: the 24 rotations of the cube, the inversion at the
// origin, and the four centred copies of Na and Cl written out.
struct RockSalt {
  MemoryRun m;
  float a = 5.6402f;
  RockSalt(float b_na = 0.0063f, float b_cl = 0.0049f) {
    add_type(m.run, "Na  ", "Cu");
    add_type(m.run, "Cl  ", "Cu");
    Crystal& cr = m.run.cr;
    cr.sym.ic = 1;
    for (const test::Matrix& r : test::cubic_rotations()) test::add_operator(cr.sym, r);
    const float w = 1.0f / 48.0f;
    const std::array<std::array<float, 3>, 4> fcc = {{{0, 0, 0}, {0, 0.5f, 0.5f}, {0.5f, 0, 0.5f}, {0.5f, 0.5f, 0}}};
    for (const auto& c : fcc) cr.atoms.push_back(atom(1, w, c, {b_na, b_na, b_na, 0, 0, 0}));
    for (const auto& c : fcc)
      cr.atoms.push_back(atom(2, w, {c[0] + 0.5f, c[1] + 0.5f, c[2] + 0.5f}, {b_cl, b_cl, b_cl, 0, 0, 0}));
  }
  float stl(int h, int k, int l) const { return std::sqrt(float(h * h + k * k + l * l)) / (2.0f * a); }
};

TEST(StructureFactor, RockSaltAgreesWithTheTextbookSumOverTheCell) {
  RockSalt nacl;
  const Crystal& cr = nacl.m.run.cr;
  ASSERT_EQ(cr.sym.ns, 24);
  const int hkl[][3] = {{2, 0, 0}, {1, 1, 1}, {2, 2, 0}, {3, 1, 1}, {2, 2, 2}, {4, 0, 0}, {3, 3, 1}, {6, 4, 2}, {1, 1, 0}};
  for (const auto& r : hkl) {
    const double s = nacl.stl(r[0], r[1], r[2]);
    // Four Na at the fcc sites, four Cl shifted by (1/2,1/2,1/2).
    std::complex<double> expected = 0.0;
    const double b[2] = {0.0063, 0.0049};
    const double g2 = double(r[0] * r[0] + r[1] * r[1] + r[2] * r[2]);
    for (int t = 0; t < 2; ++t) {
      const std::complex<double> f(test::reference_form_factor(cr.types[t], s), cr.types[t].fdprime);
      const double fcc[4][3] = {{0, 0, 0}, {0, .5, .5}, {.5, 0, .5}, {.5, .5, 0}};
      for (const auto& c : fcc) {
        const double phase = 2 * kPi * (r[0] * (c[0] + 0.5 * t) + r[1] * (c[1] + 0.5 * t) + r[2] * (c[2] + 0.5 * t));
        expected += f * std::exp(-b[t] * g2) * std::polar(1.0, phase);
      }
    }
    const StructureFactor sf = structure_factor_xray(cr, r[0], r[1], r[2], nacl.stl(r[0], r[1], r[2]), nullptr);
    ASSERT_FALSE(sf.failed);
    EXPECT_NEAR(sf.f, std::abs(expected), 2e-4 * std::abs(expected) + 2e-4) << r[0] << r[1] << r[2];
    EXPECT_NEAR(sf.im, expected.imag(), 2e-4 * std::abs(expected) + 2e-4);
    if (std::abs(expected) > 0.01) {
      EXPECT_LT(test::phase_distance(sf.phi, test::phase_0_2pi(expected)), 1e-4) << r[0] << r[1] << r[2];
    }
  }
}

// An acentric crystal with screw axis 2_1 along b, anisotropic betas and
// dispersion.
struct Monoclinic {
  MemoryRun m;
  Monoclinic() {
    add_type(m.run, "Fe3+", "Mo");
    add_type(m.run, "O   ", "Mo");
    add_type(m.run, "C   ", "Mo");
    Crystal& cr = m.run.cr;
    cr.sym.ic = 2;
    test::add_operator(cr.sym, test::identity());
    test::add_operator(cr.sym, test::Matrix{{{-1, 0, 0}, {0, 1, 0}, {0, 0, -1}}}, {0, 0.5f, 0});
    cr.atoms.push_back(atom(1, 1, {0.1234f, 0.25f, 0.3712f}, {0.004f, 0.006f, 0.005f, 0.001f, -0.0005f, 0.0008f}));
    cr.atoms.push_back(atom(2, 1, {0.4021f, 0.1187f, 0.0891f}, {0.008f, 0.007f, 0.009f, -0.002f, 0.001f, 0.0f}));
    cr.atoms.push_back(atom(3, 0.5f, {0.7777f, 0.6123f, 0.2345f}, {0.01f, 0.012f, 0.011f, 0.0f, 0.002f, -0.001f}));
  }
};

TEST(StructureFactor, AcentricAnisotropicCrystalAgreesWithTheDoublePrecisionSum) {
  Monoclinic mono;
  const Crystal& cr = mono.m.run.cr;
  const int hkl[][3] = {{1, 0, 0}, {0, 1, 0}, {1, 2, 3}, {-2, 1, 4}, {3, -1, -2}, {5, 2, -3}, {0, 3, 1}, {7, -4, 2}};
  for (const auto& r : hkl) {
    const float stl = 0.05f * std::sqrt(float(r[0] * r[0] + r[1] * r[1] + r[2] * r[2]));
    const std::complex<double> expected = test::reference_structure_factor(cr, r[0], r[1], r[2], powers(cr, stl));
    const StructureFactor sf = structure_factor_xray(cr, r[0], r[1], r[2], stl, nullptr);
    ASSERT_FALSE(sf.failed);
    EXPECT_NEAR(sf.f, std::abs(expected), 1e-4 * std::abs(expected) + 1e-4) << r[0] << r[1] << r[2];
    EXPECT_NEAR(sf.im, expected.imag(), 1e-4 * std::abs(expected) + 1e-4);
    // 0 k 0 with k odd is extinct (2_1 along b): no phase to compare.
    if (std::abs(expected) > 0.01) {
      EXPECT_LT(test::phase_distance(sf.phi, test::phase_0_2pi(expected)), 1e-4) << r[0] << r[1] << r[2];
    }
    EXPECT_GE(sf.phi, -0.001f);
    EXPECT_LT(sf.phi, 6.2832f);
  }
}

TEST(StructureFactor, AtomByAtomSumGivesTheSameFloatsAsTheOperatorMajorLoop) {
  Monoclinic mono;
  RockSalt nacl;
  for (const Crystal* cr : {&mono.m.run.cr, &nacl.m.run.cr}) {
    for (int h = -4; h <= 4; ++h)
      for (int k = -3; k <= 3; ++k)
        for (int l = 0; l <= 3; ++l) {
          const float stl = 0.07f * std::sqrt(float(h * h + k * k + l * l));
          const StructureFactor fast = structure_factor_xray(*cr, h, k, l, stl, nullptr);
          const StructureFactor ordered = structure_factor_xray_ordered(*cr, h, k, l, stl, nullptr);
          EXPECT_EQ(fast.f, ordered.f);
          EXPECT_EQ(fast.phi, ordered.phi);
          EXPECT_EQ(fast.im, ordered.im);
        }
  }
}

TEST(StructureFactor, FZeroZeroZeroOfACentrosymmetricCrystalIsTheSumOfAllElectrons) {
  RockSalt nacl;
  const Crystal& cr = nacl.m.run.cr;
  // Every cosine is 1: F(000) = |sum 2 ns w (f + i f'')| with f at s = 0.
  std::complex<double> expected = 0.0;
  for (const Atom& a : cr.atoms) {
    const ScatteringType& t = cr.types[static_cast<std::size_t>(a.fnr) - 1];
    double f0 = t.fcoef[8];
    for (int j = 0; j < 4; ++j) f0 += t.fcoef[2 * j];
    expected += 2.0 * cr.sym.ns * double(a.afact) * std::complex<double>(f0 + t.fprime, t.fdprime);
  }
  const StructureFactor sf = structure_factor_xray(cr, 0, 0, 0, 0.0f, nullptr);
  EXPECT_NEAR(sf.f, std::abs(expected), 1e-5 * std::abs(expected));
  EXPECT_NEAR(sf.im, expected.imag(), 1e-5 * std::abs(expected));
  // 4 Na + 4 Cl = 4 * (11 + 17) electrons, plus 4 (f'(Na) + f'(Cl)).
  EXPECT_NEAR(std::real(expected), 4 * (11 + 17) + 4 * (cr.types[0].fprime + cr.types[1].fprime), 0.05);

  MemoryRun m;
  m.run.cr = cr;
  float f = -1.0f, phi = -1.0f;
  fcalc1_(m.run.cr, 0, 0, 0, 0.0f, f, phi, m.run.report);
  EXPECT_FALSE(m.run.report.stopped());
  EXPECT_EQ(f, sf.f);
  EXPECT_EQ(phi, sf.phi);
}

TEST(StructureFactor, CentrosymmetricCrystalWithoutAbsorptionHasPhasesZeroOrPi) {
  RockSalt nacl(0.006f, 0.004f);
  Crystal cr = nacl.m.run.cr;
  for (ScatteringType& t : cr.types) t.fdprime = 0.0f;
  // A general position too, so that the sums are not all of one sign.
  cr.atoms.push_back(atom(2, 1.0f, {0.1234f, 0.2345f, 0.3456f}, {0.002f, 0.003f, 0.004f, 0.0005f, 0.0f, -0.0007f}));
  int negative = 0;
  for (int h = 0; h <= 5; ++h)
    for (int k = -5; k <= 5; ++k)
      for (int l = -5; l <= 5; ++l) {
        const StructureFactor sf = structure_factor_xray(cr, h, k, l, 0.08f * std::sqrt(float(h * h + k * k + l * l)), nullptr);
        EXPECT_TRUE(sf.phi == 0.0f || sf.phi == 3.1415927f) << h << k << l << " " << sf.phi;
        EXPECT_EQ(sf.im, 0.0f);
        if (sf.phi != 0.0f) ++negative;
      }
  EXPECT_GT(negative, 0);
}

// One atom of one type in P 1 (identity only, acentric).
struct SingleAtom {
  MemoryRun m;
  SingleAtom(const std::string& symbol, std::array<float, 3> x = {0, 0, 0}, float fp = 0.0f, float fpp = 0.0f,
             int ic = 2) {
    add_type(m.run, symbol, "dl", fp, fpp);
    m.run.cr.sym.ic = ic;
    test::add_operator(m.run.cr.sym, test::identity());
    m.run.cr.atoms.push_back(atom(1, 1.0f, x));
  }
  const Crystal& cr() const { return m.run.cr; }
};

TEST(StructureFactor, GaussianFitHoldsUpToItsLimitAndTheHighAngleFitAbove) {
  for (const char* symbol : {"Fe  ", "O1- "}) {
    SingleAtom one(symbol);
    const auto& c = one.cr().types[0].fcoef;
    const float limit = c[13];
    const float above = std::nextafter(limit, 10.0f);
    double gauss = c[8];
    for (int j = 0; j < 4; ++j) gauss += c[2 * j] * std::exp(-double(c[2 * j + 1]) * limit * limit);
    const double s = above;
    const double high = std::exp(c[9] + c[10] * s + 0.1 * c[11] * s * s + 0.01 * c[12] * s * s * s);
    ASSERT_GT(std::fabs(gauss - high), 0.005) << symbol;  // the two fits are told apart
    EXPECT_NEAR(structure_factor_xray(one.cr(), 1, 0, 0, limit, nullptr).f, gauss, 1e-5) << symbol;
    EXPECT_NEAR(structure_factor_xray(one.cr(), 1, 0, 0, above, nullptr).f, high, 1e-5) << symbol;
  }
}

TEST(StructureFactor, NothingIsComputedAboveSinThetaOverLambdaSix) {
  SingleAtom one("Fe  ");
  const StructureFactor at6 = structure_factor_xray(one.cr(), 1, 0, 0, 6.0f, nullptr);
  EXPECT_GT(at6.f, 0.1f);  // high-angle fit of iron at s = 6
  const double s = 6.0;
  const auto& c = one.cr().types[0].fcoef;
  EXPECT_NEAR(at6.f, std::exp(c[9] + c[10] * s + 0.1 * c[11] * s * s + 0.01 * c[12] * s * s * s), 1e-5);

  // Beyond the fits not even the atoms are looked at: a temperature factor
  // above 1 goes unnoticed.
  Crystal cr = one.cr();
  cr.atoms[0].bt = {-1.0f, 0, 0, 0, 0, 0};
  std::vector<std::string> messages;
  const StructureFactor above = structure_factor_xray(cr, 1, 0, 0, 6.0001f, &messages);
  EXPECT_FALSE(above.failed);
  EXPECT_EQ(above.f, 0.0f);
  EXPECT_EQ(above.phi, 0.0f);
  EXPECT_TRUE(messages.empty());
  EXPECT_TRUE(structure_factor_xray(cr, 1, 0, 0, 6.0f, &messages).failed);
}

TEST(StructureFactor, PhaseConventionAtTheAxes) {
  // f' = -100 makes f = 0 (clamped), so Re = 0 exactly; the atom at x = 1/2
  // gives cos = -1 for h = 1, so Im = -2 f'' < 0 in a centric list.
  SingleAtom neg_im("C   ", {0.5f, 0, 0}, -100.0f, 1.0f, 1);
  const StructureFactor a = structure_factor_xray(neg_im.cr(), 1, 0, 0, 0.1f, nullptr);
  EXPECT_EQ(a.phi, -1.5707963f);
  EXPECT_LT(a.im, 0.0f);
  const StructureFactor b = structure_factor_xray(neg_im.cr(), 2, 0, 0, 0.2f, nullptr);
  EXPECT_EQ(b.phi, 1.5707963f);

  // A phase of -45 degrees is lifted by 2 pi; one of -0.0005 rad is not.
  SingleAtom minus45("C   ", {-0.125f, 0, 0});
  const StructureFactor c = structure_factor_xray(minus45.cr(), 1, 0, 0, 0.1f, nullptr);
  EXPECT_NEAR(c.phi, 2 * kPi - kPi / 4, 1e-5);
  SingleAtom tiny("C   ", {float(-0.0005 / (2 * kPi)), 0, 0});
  const StructureFactor d = structure_factor_xray(tiny.cr(), 1, 0, 0, 0.1f, nullptr);
  EXPECT_NEAR(d.phi, -0.0005, 1e-6);

  // Im = 0: phase 0 for Re >= 0 and pi for Re < 0.
  SingleAtom centric("C   ", {0.5f, 0, 0}, 0.0f, 0.0f, 1);
  EXPECT_EQ(structure_factor_xray(centric.cr(), 1, 0, 0, 0.1f, nullptr).phi, 3.1415927f);
  EXPECT_EQ(structure_factor_xray(centric.cr(), 2, 0, 0, 0.2f, nullptr).phi, 0.0f);
}

TEST(StructureFactor, NegativeFormFactorsScatterNothing) {
  // The tabulated Bi5+ Gaussians go negative near s = 2.
  SingleAtom bi("Bi5+");
  ASSERT_LT(xray_form_factor(bi.cr().types[0], 2.0f), 0.0f);
  const StructureFactor sf = structure_factor_xray(bi.cr(), 1, 0, 0, 2.0f, nullptr);
  EXPECT_EQ(sf.f, 0.0f);
  EXPECT_EQ(sf.phi, 0.0f);
  EXPECT_GT(structure_factor_xray(bi.cr(), 1, 0, 0, 0.5f, nullptr).f, 10.0f);
}

TEST(StructureFactor, AtomNamingNoTableScattersNothing) {
  Monoclinic mono;
  Crystal cr = mono.m.run.cr;
  Crystal extra = cr;
  extra.atoms.insert(extra.atoms.begin() + 1, atom(4, 1.0f, {0.3f, 0.2f, 0.1f}));
  extra.atoms.push_back(atom(0, 1.0f, {0.6f, 0.1f, 0.4f}));
  extra.atoms.push_back(atom(-2, 1.0f, {0.6f, 0.1f, 0.4f}));
  for (int h = 0; h < 3; ++h) {
    const StructureFactor a = structure_factor_xray(cr, h, 1, 2, 0.3f, nullptr);
    const StructureFactor b = structure_factor_xray(extra, h, 1, 2, 0.3f, nullptr);
    EXPECT_EQ(a.f, b.f);
    EXPECT_EQ(a.phi, b.phi);
  }
}

TEST(StructureFactor, ManyScatteringTypesGiveTheSameResultAsOne) {
  // More types than fit in the per-call buffer on the stack.
  MemoryRun many, one;
  add_type(one.run, "C   ", "Cu");
  for (int m = 0; m < 40; ++m) add_type(many.run, "C   ", "Cu");
  for (korva::Run* run : {&many.run, &one.run}) {
    run->cr.sym.ic = 2;
    test::add_operator(run->cr.sym, test::identity());
    test::add_operator(run->cr.sym, test::Matrix{{{-1, 0, 0}, {0, -1, 0}, {0, 0, 1}}}, {0.5f, 0, 0.5f});
  }
  for (int i = 0; i < 40; ++i) {
    const std::array<float, 3> x = {0.013f * i, 0.37f - 0.011f * i, 0.021f * i};
    many.run.cr.atoms.push_back(atom(float(i + 1), 1.0f, x, {0.004f, 0.004f, 0.004f, 0, 0, 0}));
    one.run.cr.atoms.push_back(atom(1.0f, 1.0f, x, {0.004f, 0.004f, 0.004f, 0, 0, 0}));
  }
  const StructureFactor a = structure_factor_xray(many.run.cr, 2, 3, 1, 0.25f, nullptr);
  const StructureFactor b = structure_factor_xray(one.run.cr, 2, 3, 1, 0.25f, nullptr);
  EXPECT_EQ(a.f, b.f);
  EXPECT_EQ(a.phi, b.phi);
  EXPECT_GT(a.f, 1.0f);
}

// Two atoms, the second with beta11 < 0, and the operators x,y,z and y,x,z:
// for h k l = 1 2 0 the identity gives e = -0.01 + 4 * 0.003 > 0, the swap
// gives h' = 2 1 0 and e = 4 * -0.01 + 0.003 < 0.
struct BadBeta {
  MemoryRun m;
  explicit BadBeta(float b11) {
    add_type(m.run, "C   ");
    Crystal& cr = m.run.cr;
    cr.sym.ic = 2;
    test::add_operator(cr.sym, test::identity());
    test::add_operator(cr.sym, test::Matrix{{{0, 1, 0}, {1, 0, 0}, {0, 0, 1}}});
    cr.atoms.push_back(atom(1, 1, {0.1f, 0.2f, 0.3f}, {0.001f, 0.001f, 0.001f, 0, 0, 0}));
    cr.atoms.push_back(atom(1, 1, {0.3f, 0.1f, 0.2f}, {b11, 0.003f, 0, 0, 0, 0}));
  }
};

TEST(StructureFactor, TemperatureFactorAboveOneStopsWithBothMessages) {
  BadBeta bad(-0.01f);
  float f = 7.0f, phi = 8.0f;
  fcalc1_(bad.m.run.cr, 1, 2, 0, 0.2f, f, phi, bad.m.run.report);
  EXPECT_TRUE(bad.m.run.report.stopped());
  EXPECT_EQ(f, 7.0f);
  EXPECT_EQ(phi, 8.0f);
  const std::vector<std::string> expected = {
      "",
      "",
      "The quadratic form for hkl =     2    1    0",
      "",
      "   b1*h*h+b2*k*k+b3*l*l+2*b4*h*k+2*b5*h*l+2*b6*k*l =     -0.04",
      "",
      " of the atom   2 is not positive definite",
      "",
      "please check the corresponding temperature parameters:",
      "  -0.01000   0.00300   0.00000   0.00000   0.00000   0.00000",
      "",
      "",
      "Temperature factor for hkl =     2    1    0",
      "",
      " T=exp(-(b1*h*h+b2*k*k+b3*l*l+2*b4*h*k+2*b5*h*l+2*b6*k*l) =     1.038",
      "",
      " of the atom   2 is greater than 1!",
      "",
      "please check the corresponding temperature parameters:",
      "  -0.01000   0.00300   0.00000   0.00000   0.00000   0.00000",
  };
  EXPECT_EQ(bad.m.listing(), expected);
}

TEST(StructureFactor, SlightlyNegativeExponentOnlyWarns) {
  // h k l = 2 0 0: the identity gives e = 4 b11 = -4e-9, so T rounds to 1;
  // the swap gives h' = 0 2 0 and e > 0.
  BadBeta bad(-1e-9f);
  std::vector<std::string> messages;
  const StructureFactor sf = structure_factor_xray(bad.m.run.cr, 2, 0, 0, 0.2f, &messages);
  EXPECT_FALSE(sf.failed);
  ASSERT_EQ(messages.size(), 10u);
  EXPECT_EQ(messages[2], "The quadratic form for hkl =     2    0    0");
  // -4e-9 shown with two decimals (a zero keeps no sign in the listing).
  EXPECT_EQ(messages[4], "   b1*h*h+b2*k*k+b3*l*l+2*b4*h*k+2*b5*h*l+2*b6*k*l =      0.00");
  EXPECT_EQ(messages[6], " of the atom   2 is not positive definite");
  // The result is the one of the ordinary sum.
  const StructureFactor ordered = structure_factor_xray_ordered(bad.m.run.cr, 2, 0, 0, 0.2f, nullptr);
  EXPECT_EQ(sf.f, ordered.f);
  const std::complex<double> expected =
      test::reference_structure_factor(bad.m.run.cr, 2, 0, 0, powers(bad.m.run.cr, 0.2));
  EXPECT_NEAR(sf.f, std::abs(expected), 1e-4);
}

TEST(StructureFactor, TwoThreadsComputeTheSameAsOne) {
  Monoclinic mono;
  const Crystal& cr = mono.m.run.cr;
  struct Hkl {
    int h, k, l;
  };
  std::vector<Hkl> list;
  for (int h = -6; h <= 6; ++h)
    for (int k = -6; k <= 6; ++k)
      for (int l = -6; l <= 6; ++l) list.push_back({h, k, l});
  auto compute = [&](std::vector<StructureFactor>& out) {
    for (const Hkl& r : list)
      out.push_back(structure_factor_xray(cr, r.h, r.k, r.l, 0.06f * std::sqrt(float(r.h * r.h + r.k * r.k + r.l * r.l)), nullptr));
  };
  std::vector<StructureFactor> serial, a, b;
  compute(serial);
  std::thread ta([&] { compute(a); });
  std::thread tb([&] { compute(b); });
  ta.join();
  tb.join();
  ASSERT_EQ(a.size(), serial.size());
  ASSERT_EQ(b.size(), serial.size());
  for (std::size_t i = 0; i < serial.size(); ++i) {
    EXPECT_EQ(a[i].f, serial[i].f);
    EXPECT_EQ(b[i].phi, serial[i].phi);
  }
}

}  // namespace
}  // namespace korva
