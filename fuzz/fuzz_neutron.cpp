// Feeds arbitrary bytes to the scan reader neutron_ as its scan file.
#include <cstddef>
#include <cstdint>

#include "measure/readers.hpp"
#include "synthetic_run.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  korva::fuzz::SyntheticRun s(korva::kNeutrons, 2, 2, 0, data, size);
  s.read(korva::neutron_);
  korva::fuzz::check_measured_results(s.run);
  return 0;
}
