// Structure factors per second on one core, the kernel alone: YIG (Ia-3d
// written out as 24 operators and 8 atoms) and the protein-like cell of
// bench/protein.inp (P 43 21 2, 8 operators, 1000 atoms), over the
// reflections of the limiting sphere in a fixed pseudo-random order.
//
//   cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release
//         -DKORVA_BENCH=ON -DKORVA_TESTS=OFF -DKORVA_GUI=OFF
//   ninja -C build-bench bench_fcalc && build-bench/bench_fcalc
//
// The file also builds against a tree without the lane kernels (it then
// calls the plain functions), for figures before and after.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <iostream>
#include <random>
#include <string>
#include <vector>

#include "crystal/structure_factor.hpp"
#include "crystal/xray.hpp"
#include "scan/event_search.hpp"
#include "scan/run.hpp"
#include "scan/stages.hpp"

#if __has_include("crystal/atom_sums.hpp")
#define KORVA_LANE_KERNELS 1
#endif

namespace {

struct Reflection {
  int h, k, l;
  float stl;
};

// The crystal as the input reader builds it, and its reflections.
struct Setup {
  korva::Io io;
  korva::Run run{io};
  std::vector<Reflection> reflections;
#ifdef KORVA_LANE_KERNELS
  korva::AtomLayout layout;
#endif

  explicit Setup(const std::string& file) {
    io.in_memory = true;
    if (!io.input.open(std::string(KORVA_SOURCE_DIR) + "/" + file)) {
      std::cerr << "cannot read " << file << "\n";
      std::exit(2);
    }
    io.listing.open_memory();
    std::string dname2, dname1;
    if (!korva::read_input(run, dname2, dname1)) {
      std::cerr << io.listing.text();
      std::exit(2);
    }
    const korva::PassGeometry geo = korva::make_pass_geometry(run.par, run.par.alam1, 0.0f);
    for (int h = -geo.hmax; h <= geo.hmax; ++h)
      for (int k = -geo.kmax; k <= geo.kmax; ++k)
        for (int l = -geo.lmax; l <= geo.lmax; ++l) {
          const double g2 = korva::metric_norm2(geo.metric, h, k, l);
          if (g2 <= 4.0 * geo.inv_lambda2) reflections.push_back({h, k, l, static_cast<float>(std::sqrt(g2) / 2.0)});
        }
    std::shuffle(reflections.begin(), reflections.end(), std::mt19937(5));
#ifdef KORVA_LANE_KERNELS
    layout = korva::atom_layout(run.cr.atoms);
#endif
  }

  korva::StructureFactor factor(const Reflection& r) const {
#ifdef KORVA_LANE_KERNELS
    return korva::structure_factor_xray(run.cr, layout, r.h, r.k, r.l, r.stl, nullptr);
#else
    return korva::structure_factor_xray(run.cr, r.h, r.k, r.l, r.stl, nullptr);
#endif
  }
};

void structure_factors(benchmark::State& state, const Setup& s) {
  std::size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(s.factor(s.reflections[i]));
    if (++i == s.reflections.size()) i = 0;
  }
  state.SetItemsProcessed(state.iterations());
  state.counters["atoms"] = static_cast<double>(s.run.cr.atoms.size());
  state.counters["operators"] = s.run.cr.sym.ns;
}

void BM_StructureFactorYig(benchmark::State& state) {
  static const Setup s("examples/yig-explicit.inp");
  structure_factors(state, s);
}
BENCHMARK(BM_StructureFactorYig);

void BM_StructureFactorProtein(benchmark::State& state) {
  static const Setup s("bench/protein.inp");
  structure_factors(state, s);
}
BENCHMARK(BM_StructureFactorProtein);

// YIG through the run's wrapper, with the messages vector it keeps.
void BM_Fcalc1(benchmark::State& state) {
  static Setup s("examples/yig-explicit.inp");
  std::size_t i = 0;
  float f = 0.0f, phi = 0.0f;
  for (auto _ : state) {
    const Reflection& r = s.reflections[i];
    korva::fcalc1_(s.run.cr, r.h, r.k, r.l, r.stl, f, phi, s.run.report);
    benchmark::DoNotOptimize(f);
    benchmark::DoNotOptimize(phi);
    if (++i == s.reflections.size()) i = 0;
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_Fcalc1);

}  // namespace

BENCHMARK_MAIN();
