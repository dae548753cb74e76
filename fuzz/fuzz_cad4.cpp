// Feeds arbitrary bytes to the scan reader cad4_ as its scan file.
#include <cstddef>
#include <cstdint>

#include "measure/readers.hpp"
#include "synthetic_run.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  korva::fuzz::SyntheticRun s(korva::kTube, 0, 0, 3, data, size);
  s.read(korva::cad4_);
  korva::fuzz::check_measured_results(s.run);
  return 0;
}
