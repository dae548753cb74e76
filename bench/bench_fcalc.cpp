// Structure factors per second for YIG (Ia-3d written out as 24 operators
// and 8 atoms): the inner kernel of the event search.
//
//   cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release
//         -DKORVA_BENCH=ON -DKORVA_TESTS=OFF -DKORVA_GUI=OFF
//   ninja -C build-bench bench_fcalc && build-bench/bench_fcalc
#include <benchmark/benchmark.h>

#include <array>
#include <cmath>
#include <cstdlib>
#include <iostream>
#include <string>
#include <vector>

#include "crystal/structure_factor.hpp"
#include "crystal/xray.hpp"
#include "scan/run.hpp"
#include "scan/stages.hpp"

namespace {

struct Reflection {
  int h, k, l;
  float stl;
};

// The crystal as the input reader builds it from the example file.
struct YigSetup {
  korva::Io io;
  korva::Run run{io};
  std::vector<Reflection> reflections;

  YigSetup() {
    io.in_memory = true;
    if (!io.input.open(KORVA_SOURCE_DIR "/examples/yig-explicit.inp")) {
      std::cerr << "cannot read examples/yig-explicit.inp\n";
      std::exit(2);
    }
    io.listing.open_memory();
    std::string dname2, dname1;
    if (!korva::read_input(run, dname2, dname1)) {
      std::cerr << io.listing.text();
      std::exit(2);
    }
    // Every reflection of the Ag K-alpha sphere (sin(theta)/lambda < 1/lambda ~ 1.8).
    const float a = run.par.a;
    for (int h = -25; h <= 25; ++h)
      for (int k = -25; k <= 25; ++k)
        for (int l = -25; l <= 25; ++l) {
          const float stl = std::sqrt(static_cast<float>(h * h + k * k + l * l)) / (2.0f * a);
          if (stl < 1.0f / run.par.alam1 / 2.0f) reflections.push_back({h, k, l, stl});
        }
  }
};

YigSetup& yig() {
  static YigSetup setup;
  return setup;
}

void BM_StructureFactorXray(benchmark::State& state) {
  YigSetup& s = yig();
  const korva::Crystal& cr = s.run.cr;
  std::size_t i = 0;
  for (auto _ : state) {
    const Reflection& r = s.reflections[i];
    benchmark::DoNotOptimize(korva::structure_factor_xray(cr, r.h, r.k, r.l, r.stl, nullptr));
    if (++i == s.reflections.size()) i = 0;
  }
  state.SetItemsProcessed(state.iterations());
  state.counters["atoms"] = static_cast<double>(cr.atoms.size());
  state.counters["operators"] = cr.sym.ns;
}
BENCHMARK(BM_StructureFactorXray);

// The same through the run's wrapper, with the messages vector it keeps.
void BM_Fcalc1(benchmark::State& state) {
  YigSetup& s = yig();
  std::size_t i = 0;
  float f = 0.0f, phi = 0.0f;
  for (auto _ : state) {
    const Reflection& r = s.reflections[i];
    korva::fcalc1_(s.run, r.h, r.k, r.l, r.stl, f, phi);
    benchmark::DoNotOptimize(f);
    benchmark::DoNotOptimize(phi);
    if (++i == s.reflections.size()) i = 0;
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_Fcalc1);

}  // namespace

BENCHMARK_MAIN();
