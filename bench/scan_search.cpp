// The event search and the simulated scan with structure factors of a
// chosen pattern (no crystal model needed): the cost of enumeration,
// intensities and line shapes alone.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "scan/helpers.hpp"
#include "scan/pass_search.hpp"
#include "scan/stages.hpp"

namespace {

using namespace korva;

StructureFactor patterned(int h, int k, int l) {
  const int m = std::abs(7 * h + 3 * k - 5 * l + 11 * h * k) % 41;
  StructureFactor sf;
  sf.f = m == 0 ? 0.0f : 20.0f + 15.0f * static_cast<float>(m);
  sf.phi = 0.1f * static_cast<float>((h * 5 + k * 2 + l) % 60);
  return sf;
}

// cell, radiation and line 6 of a crystal without atoms (one operator).
void run_search(benchmark::State& state, const std::string& cell, const std::string& line6) {
  const std::string input = "Bench\nbench.ps\n" + cell + "\nAg\n0.14 0.14 150 150 0.0\n" + line6 +
                            "\n231 0 0\n1 1\n0 1 0 0  0 0 1 0  0 0 0 1\n8 8 2 1.5 0 0 0\n";
  for (auto _ : state) {
    Io io;
    io.in_memory = true;
    io.input.open_text(input);
    io.listing.open_memory();
    Run run(io);
    run.extinction = chuk1_();
    std::string d2(72, ' '), d1(72, ' ');
    if (!read_input(run, d2, d1)) state.SkipWithError("input");
    SearchOptions opt;
    opt.threads = static_cast<int>(state.range(0));
    opt.structure_factor = [](int h, int k, int l, float, std::vector<std::string>*) { return patterned(h, k, l); };
    if (!compute_passes_with(run, opt)) state.SkipWithError("search");
    benchmark::DoNotOptimize(run.sc.aint.data());
    state.counters["simulated"] = run.sc.nsim;
  }
}

void BM_YigRangeTwoLines(benchmark::State& state) {
  run_search(state, "12.38 12.38 12.38 90 90 90", "-66 16 50 0 100 0");
}
BENCHMARK(BM_YigRangeTwoLines)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->Iterations(1);

// drumin 0: nothing printed, every event with intensity simulated.
void BM_YigRangeAllEvents(benchmark::State& state) {
  run_search(state, "12.38 12.38 12.38 90 90 90", "-66 16 50 0 0 0");
}
BENCHMARK(BM_YigRangeAllEvents)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_LargeCellFullTurn(benchmark::State& state) {
  run_search(state, "25 25 25 90 90 90", "-180 180 100 0 0 0");
}
BENCHMARK(BM_LargeCellFullTurn)->Arg(2)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace

BENCHMARK_MAIN();
