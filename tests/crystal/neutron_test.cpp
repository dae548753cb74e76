// Neutron scattering lengths, structure factors and density.
#include "crystal/neutron.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <string>
#include <vector>

#include "crystal/structure_factor.hpp"
#include "crystal/structure_factor_kernel.hpp"
#include "crystal_fixture.hpp"

namespace korva {
namespace {

using test::atom;
using test::MemoryRun;

void add_type(Run& run, const std::string& symbol, float b = 0.0f) {
  ScatteringType type;
  type.atn = symbol;
  type.fprime = b;
  run.cr.types.push_back(type);
  upform_n_(run.cr.types[static_cast<std::size_t>(static_cast<int>(run.cr.types.size()) - 1)], run.report);
}

std::vector<std::complex<double>> lengths(const Crystal& cr) {
  std::vector<std::complex<double>> out;
  for (const ScatteringType& t : cr.types) out.emplace_back(t.fprime, 0.0);
  return out;
}

TEST(UpformNeutron, SiliconIsKeyedSiv) {
  MemoryRun bad;
  add_type(bad.run, "Si  ");
  EXPECT_TRUE(bad.run.report.stopped());
  const std::vector<std::string> expected = {" The chemical symbol: Si   does not correspond to an atom name"};
  EXPECT_EQ(bad.listing(), expected);

  MemoryRun good;
  add_type(good.run, "Siv ");
  EXPECT_FALSE(good.run.report.stopped());
  EXPECT_EQ(good.run.cr.types[0].zatom, 14);
  EXPECT_EQ(good.run.cr.types[0].fprime, 4.149f);
  add_type(good.run, "Fe  ");
  EXPECT_EQ(good.run.cr.types[1].fprime, 9.45f);
  add_type(good.run, "Fe3+");  // no ions for neutrons
  EXPECT_TRUE(good.run.report.stopped());
}

TEST(UpformNeutron, InputLengthWinsAndMissingLengthsAreReported) {
  MemoryRun m;
  add_type(m.run, "Fe  ", 1.23f);
  EXPECT_EQ(m.run.cr.types[0].fprime, 1.23f);
  EXPECT_TRUE(m.listing().empty());

  for (const char* symbol : {"Po  ", "At  ", "Rn  ", "Fr  ", "Ac  "}) {
    MemoryRun unknown;
    add_type(unknown.run, symbol);
    EXPECT_FALSE(unknown.run.report.stopped());
    EXPECT_EQ(unknown.run.cr.types[0].fprime, 0.0f);
    const int z = unknown.run.cr.types[0].zatom;
    EXPECT_TRUE(z == 84 || z == 85 || z == 86 || z == 87 || z == 89) << symbol;
    ASSERT_EQ(unknown.listing().size(), 1u);
    EXPECT_EQ(unknown.listing()[0],
              " The scattering length is not known for the atomic number " + std::to_string(z).insert(0, 3 - std::to_string(z).size(), ' '));
  }
  MemoryRun given;
  add_type(given.run, "Po  ", 5.0f);
  EXPECT_EQ(given.run.cr.types[0].fprime, 5.0f);
  EXPECT_TRUE(given.listing().empty());
}

TEST(NeutronStructureFactor, AtomWithoutScatteringLengthContributesNothing) {
  MemoryRun with, without;
  add_type(with.run, "O   ");
  add_type(with.run, "Po  ");
  add_type(without.run, "O   ");
  for (korva::Run* run : {&with.run, &without.run}) {
    run->cr.sym.ic = 2;
    test::add_operator(run->cr.sym, test::identity());
    test::add_operator(run->cr.sym, test::Matrix{{{-1, 0, 0}, {0, 1, 0}, {0, 0, -1}}}, {0, 0.5f, 0});
    run->cr.atoms.push_back(atom(1, 1, {0.1f, 0.2f, 0.3f}, {0.003f, 0.003f, 0.003f, 0, 0, 0}));
  }
  with.run.cr.atoms.push_back(atom(2, 1, {0.4f, 0.15f, 0.05f}, {0.002f, 0.002f, 0.002f, 0, 0, 0}));
  for (int h = 0; h < 4; ++h) {
    const StructureFactor a = structure_factor_neutron(with.run.cr, h, 1, 2, nullptr);
    const StructureFactor b = structure_factor_neutron(without.run.cr, h, 1, 2, nullptr);
    EXPECT_EQ(a.f, b.f);
    EXPECT_EQ(a.phi, b.phi);
  }
}

TEST(NeutronStructureFactor, HydrogenOnlyCentrosymmetricCrystalHasPhasePi) {
  MemoryRun m;
  add_type(m.run, "H   ");
  Crystal& cr = m.run.cr;
  cr.sym.ic = 1;
  test::add_operator(cr.sym, test::identity());
  test::add_operator(cr.sym, test::Matrix{{{-1, 0, 0}, {0, 1, 0}, {0, 0, -1}}}, {0, 0.5f, 0.5f});
  cr.atoms.push_back(atom(1, 1.0f, {0.11f, 0.23f, 0.37f}, {0.01f, 0.01f, 0.01f, 0, 0, 0}));
  cr.atoms.push_back(atom(1, 0.5f, {0.0f, 0.0f, 0.0f}, {0.01f, 0.01f, 0.01f, 0, 0, 0}));
  const StructureFactor f000 = structure_factor_neutron(cr, 0, 0, 0, nullptr);
  EXPECT_NEAR(f000.f, 2 * 2 * (1.0 + 0.5) * 3.739, 1e-4);
  EXPECT_EQ(f000.phi, 3.1415927f);
  EXPECT_EQ(f000.im, 0.0f);

  float f = 0, phi = 0;
  fcalc1_n_(m.run.cr, 0, 0, 0, f, phi, m.run.report);
  EXPECT_EQ(f, f000.f);
  EXPECT_EQ(phi, f000.phi);
  for (int h = -3; h <= 3; ++h)
    for (int l = 0; l <= 3; ++l) {
      const StructureFactor sf = structure_factor_neutron(cr, h, 2, l, nullptr);
      EXPECT_TRUE(sf.phi == 0.0f || sf.phi == 3.1415927f);
      const std::complex<double> expected = test::reference_structure_factor(cr, h, 2, l, lengths(cr));
      EXPECT_NEAR(sf.f, std::abs(expected), 1e-4 * std::abs(expected) + 1e-5);
      if (std::abs(expected) > 1e-3) {
        EXPECT_EQ(sf.phi == 0.0f, expected.real() > 0);
      }
    }
}

TEST(NeutronStructureFactor, AcentricCrystalAgreesWithTheDoublePrecisionSum) {
  MemoryRun m;
  add_type(m.run, "C   ");
  add_type(m.run, "H   ");
  add_type(m.run, "Fe  ");
  Crystal& cr = m.run.cr;
  cr.sym.ic = 2;
  test::add_operator(cr.sym, test::identity());
  test::add_operator(cr.sym, test::Matrix{{{-1, 0, 0}, {0, -1, 0}, {0, 0, 1}}}, {0.5f, 0, 0.5f});
  test::add_operator(cr.sym, test::Matrix{{{0, -1, 0}, {1, 0, 0}, {0, 0, 1}}}, {0, 0.5f, 0.25f});
  cr.atoms.push_back(atom(1, 1, {0.121f, 0.344f, 0.017f}, {0.004f, 0.005f, 0.006f, 0.001f, 0.0005f, -0.0004f}));
  cr.atoms.push_back(atom(2, 1, {0.301f, 0.077f, 0.412f}, {0.02f, 0.015f, 0.018f, -0.003f, 0.002f, 0.001f}));
  cr.atoms.push_back(atom(3, 0.5f, {0.0f, 0.5f, 0.125f}, {0.003f, 0.003f, 0.004f, 0, 0, 0}));
  const int hkl[][3] = {{1, 0, 0}, {1, 1, 1}, {2, -1, 3}, {-3, 2, 1}, {4, 0, -2}, {0, 5, 3}};
  for (const auto& r : hkl) {
    const std::complex<double> expected = test::reference_structure_factor(cr, r[0], r[1], r[2], lengths(cr));
    const StructureFactor sf = structure_factor_neutron(cr, r[0], r[1], r[2], nullptr);
    EXPECT_NEAR(sf.f, std::abs(expected), 1e-4 * std::abs(expected) + 1e-4) << r[0] << r[1] << r[2];
    EXPECT_NEAR(sf.im, expected.imag(), 1e-4 * std::abs(expected) + 1e-4);
    if (std::abs(expected) > 0.01) {
      EXPECT_LT(test::phase_distance(sf.phi, test::phase_0_2pi(expected)), 1e-4) << r[0] << r[1] << r[2];
    }
    const StructureFactor ordered = structure_factor_neutron_ordered(cr, r[0], r[1], r[2], nullptr);
    EXPECT_EQ(sf.f, ordered.f);
    EXPECT_EQ(sf.phi, ordered.phi);
  }
}

TEST(NeutronStructureFactor, TemperatureMessagesCarryNoValues) {
  MemoryRun m;
  add_type(m.run, "C   ");
  Crystal& cr = m.run.cr;
  cr.sym.ic = 1;
  test::add_operator(cr.sym, test::identity());
  cr.atoms.push_back(atom(1, 1, {0.1f, 0.2f, 0.3f}, {0.0f, -0.02f, 0.0f, 0, 0, 0}));
  float f = 3.0f, phi = 4.0f;
  fcalc1_n_(m.run.cr, 0, 2, 0, f, phi, m.run.report);
  EXPECT_TRUE(m.run.report.stopped());
  EXPECT_EQ(f, 3.0f);
  EXPECT_EQ(phi, 4.0f);
  const std::vector<std::string> expected = {
      "",
      "",
      "The quadratic form for hkl =     0    2    0",
      "",
      "   b1*h*h+b2*k*k+b3*l*l+2*b4*h*k+2*b5*h*l+2*b6*k*l",
      "",
      " of the atom   1 is not positive definite",
      "",
      "please check the corresponding temperature parameters:",
      "   0.00000  -0.02000   0.00000   0.00000   0.00000   0.00000",
      "",
      "",
      "Temperature factor for hkl =     0    2    0",
      "",
      " T=exp(-(b1*h*h+b2*k*k+b3*l*l+2*b4*h*k+2*b5*h*l+2*b6*k*l)",
      "",
      " of the atom   1 is greater than 1!",
      "",
      "please check the corresponding temperature parameters:",
      "   0.00000  -0.02000   0.00000   0.00000   0.00000   0.00000",
  };
  EXPECT_EQ(m.listing(), expected);
}

TEST(NeutronDensity, SumsTheAtomicWeightsOfTheCell) {
  MemoryRun m;
  add_type(m.run, "Na  ");
  add_type(m.run, "Cl  ");
  m.run.cr.types[0].natcell = 4.0f;
  m.run.cr.types[1].natcell = 4.0f;
  const float v = 5.6402f * 5.6402f * 5.6402f;
  float density = 0.0f;
  mue_n_(m.run.cr.types, v, 2, density, m.run.report);
  // Rock salt: 2.165 g/cm^3.
  EXPECT_NEAR(density, 4 * (22.98977 + 35.453) / (0.60225701 * v), 1e-4);
  EXPECT_NEAR(density, 2.165f, 0.002f);

  m.run.cr.types[1].zatom = 93;
  mue_n_(m.run.cr.types, v, 2, density, m.run.report);
  EXPECT_EQ(density, 0.0f);
  EXPECT_EQ(m.listing().back(), " The atomic weight is not known for the atomic number  93");
}

}  // namespace
}  // namespace korva
