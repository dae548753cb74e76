// Feeds arbitrary bytes to the scan reader hasyl4_ as its scan file (and as
// the last lines of the input file).
#include <cstddef>
#include <cstdint>

#include "measure/readers.hpp"
#include "synthetic_run.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  korva::fuzz::SyntheticRun s(korva::kSynchrotron1, 2, 2, 2, data, size);
  s.read(korva::hasyl4_);
  korva::fuzz::check_measured_results(s.run);
  return 0;
}
