// The lane kernels against sums in double precision: each kernel the
// processor can run, atom by atom, and the structure factors of every
// example crystal through the kernel the program uses.
#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <random>
#include <string>
#include <vector>

#include "crystal/atom_sums.hpp"
#include "crystal/structure_factor.hpp"
#include "crystal_fixture.hpp"
#include "scan/event_search.hpp"
#include "scan/stages.hpp"

namespace korva {
namespace {

TEST(LaneKernels, EachInstructionSetAgreesWithDoublePrecisionAtomByAtom) {
  constexpr std::size_t n = 4 * kAtomLanes;
  constexpr int ns = 6;
  std::mt19937 rng(7);
  std::uniform_real_distribution<float> unit(0.0f, 1.0f);
  std::vector<float> x[3], bt[6];
  for (std::size_t i = 0; i < n; ++i) {
    for (auto& v : x) v.push_back(unit(rng));
    // Diagonally dominant, so positive definite.
    for (int j = 0; j < 6; ++j) bt[j].push_back(j < 3 ? 0.001f + 0.002f * unit(rng) : 0.0002f * (unit(rng) - 0.5f));
  }
  LaneOperator ops[ns];
  for (int k = 0; k < ns; ++k) {
    const int h[3] = {static_cast<int>(rng() % 81) - 40, static_cast<int>(rng() % 81) - 40, static_cast<int>(rng() % 31) - 15};
    for (int m = 0; m < 3; ++m) ops[k].h[m] = static_cast<float>(h[m]);
    ops[k].p = 0.25f * static_cast<float>(k % 4);
    const float q[6] = {float(h[0] * h[0]), float(h[1] * h[1]), float(h[2] * h[2]),
                        float(2 * h[0] * h[1]), float(2 * h[0] * h[2]), float(2 * h[1] * h[2])};
    for (int j = 0; j < 6; ++j) ops[k].q[j] = q[j];
  }
  const AtomLaneArrays lanes{{x[0].data(), x[1].data(), x[2].data()},
                             {bt[0].data(), bt[1].data(), bt[2].data(), bt[3].data(), bt[4].data(), bt[5].data()}, n};
  for (const LaneKernels& kern : lane_kernels()) {
    SCOPED_TRACE(kern.isa);
    std::vector<float> t(ns * n), a(n), b(n), a_shared(n);
    ASSERT_TRUE(kern.temperature_factors(lanes, ops, ns, t.data()));
    kern.operator_sums(lanes, ops, ns, t.data(), n, true, a.data(), b.data());
    const float t_shared[ns] = {1.0f, 0.9f, 0.8f, 0.7f, 0.6f, 0.5f};
    kern.operator_sums(lanes, ops, ns, t_shared, 0, false, a_shared.data(), nullptr);
    for (std::size_t i = 0; i < n; ++i) {
      double ra = 0, rb = 0, rs = 0, tol = 0;
      for (int k = 0; k < ns; ++k) {
        double e = 0;
        for (int j = 0; j < 6; ++j) e += double(ops[k].q[j]) * bt[j][i];
        const double te = std::exp(-e);
        EXPECT_NEAR(t[k * n + i], te, te * (4e-7 * e + 2.4e-7));
        const double arg = 2.0 * 3.14159265358979323846 *
                           (ops[k].h[0] * double(x[0][i]) + ops[k].h[1] * double(x[1][i]) + ops[k].h[2] * double(x[2][i]) + ops[k].p);
        ra += te * std::cos(arg);
        rb += te * std::sin(arg);
        rs += t_shared[k] * std::cos(arg);
        // The single-precision argument is good to its last bit.
        tol += std::fabs(arg) * 2.4e-7 + 1e-6;
      }
      EXPECT_NEAR(a[i], ra, tol);
      EXPECT_NEAR(b[i], rb, tol);
      EXPECT_NEAR(a_shared[i], rs, tol);
    }
    // A negative exponent is reported, not computed.
    std::vector<float> neg(bt[1]);
    neg[5] = -0.01f;
    AtomLaneArrays bad = lanes;
    bad.bt[1] = neg.data();
    EXPECT_FALSE(kern.temperature_factors(bad, ops, ns, t.data()));
  }
}

// The crystal of an example input as the reader builds it.
struct ExampleCrystal {
  Io io;
  Run run{io};
  bool ok = false;
  explicit ExampleCrystal(const std::string& name) {
    io.in_memory = true;
    io.listing.open_memory();
    if (!io.input.open(std::string(KORVA_SOURCE_DIR) + "/examples/" + name)) return;
    std::string d2(72, ' '), d1(72, ' ');
    ok = read_input(run, d2, d1);
  }
};

TEST(LaneKernels, EveryExampleCrystalAgreesWithTheDoublePrecisionSum) {
  const char* names[] = {"yig.inp", "yig-noscan.inp", "yig-explicit.inp", "si222.inp", "si222-noscan.inp",
                         "si222-obs.inp", "si222-huber.inp", "si222n-obs.inp", "zn003-obs.inp", "zn003-cad4.inp",
                         "nacl-neutron-noscan.inp"};
  for (const char* name : names) {
    SCOPED_TRACE(name);
    ExampleCrystal ex(name);
    ASSERT_TRUE(ex.ok) << ex.io.listing.text();
    const Crystal& cr = ex.run.cr;
    const bool neutrons = ex.run.par.idesy == kNeutrons;
    const auto metric = reciprocal_metric(ex.run.par);
    const AtomLayout lay = atom_layout(cr.atoms);
    const float stl_max = 1.0f / ex.run.par.alam1;
    std::mt19937 rng(11);
    int compared = 0;
    while (compared < 150) {
      const int h = static_cast<int>(rng() % 31) - 15, k = static_cast<int>(rng() % 31) - 15,
                l = static_cast<int>(rng() % 31) - 15;
      const float stl = static_cast<float>(std::sqrt(metric_norm2(metric, h, k, l)) / 2.0);
      if (stl > stl_max) continue;
      ++compared;
      std::vector<std::complex<double>> scat;
      for (const ScatteringType& t : cr.types)
        scat.emplace_back(neutrons ? double(t.fprime) : test::reference_form_factor(t, stl), neutrons ? 0.0 : t.fdprime);
      double scale = 0.0;
      for (const Atom& a : cr.atoms) scale += 2.0 * cr.sym.ns * a.afact * std::abs(scat[static_cast<std::size_t>(a.fnr) - 1]);
      const std::complex<double> expected = test::reference_structure_factor(cr, h, k, l, scat);
      const StructureFactor sf = neutrons ? structure_factor_neutron(cr, lay, h, k, l, nullptr)
                                          : structure_factor_xray(cr, lay, h, k, l, stl, nullptr);
      const double tol = 2e-5 * std::abs(expected) + 4e-6 * scale;
      EXPECT_NEAR(sf.f, std::abs(expected), tol) << h << " " << k << " " << l;
      EXPECT_NEAR(sf.im, expected.imag(), tol) << h << " " << k << " " << l;
      if (std::abs(expected) > 100.0 * tol) {
        EXPECT_LT(test::phase_distance(sf.phi, test::phase_0_2pi(expected)), 2.0 * tol / std::abs(expected));
      }
    }
  }
}

}  // namespace
}  // namespace korva
