// Feeds arbitrary bytes to the scan reader hasyl4_ as its scan file (and, for
// the synchrotron reader, the last lines of the input file).
#include <cmath>
#include <cstddef>
#include <cstdint>

#include "measure/readers.hpp"
#include "synthetic_run.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  korva::fuzz::SyntheticRun s(korva::kSynchrotron1, 2, 2, 2, data, size);
  korva::hasyl4_(s.run);
  // The grid keeps its size and every stored value is a number.
  const auto& m = s.run.sc.aintm;
  if (m.size() != 3601) __builtin_trap();
  for (float v : m)
    if (!std::isfinite(v)) __builtin_trap();
  if (!std::isfinite(s.run.sc.omax) || !std::isfinite(s.run.sc.omin)) __builtin_trap();
  return 0;
}
