// Feeds arbitrary bytes to the input reader as the input file: lines 1 to 12
// with their checks, the space group, the scattering tables, the centring
// and the crystal blocks of the listing.  The event search is left out: it
// would spend seconds on every input that describes a real crystal, and the
// reader is what has to survive any bytes.  Units 7, 11 and 12 stay in
// memory, so no file is touched whatever the input names.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "scan/helpers.hpp"
#include "scan/run.hpp"
#include "scan/stages.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  korva::Io io;
  io.in_memory = true;
  io.input.open_text(std::string_view(reinterpret_cast<const char*>(data), size));
  io.listing.open_memory();
  {
    korva::Run run(io);
    std::string dname2(72, ' '), dname1(72, ' ');
    run.extinction = korva::chuk1_();
    if (korva::read_input(run, dname2, dname1)) korva::list_crystal_data(run);
  }
  io.close_all();
  return 0;
}
