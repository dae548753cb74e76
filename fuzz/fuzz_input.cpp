// Feeds arbitrary bytes to the computation as its input file.  Units 7, 11
// and 12 stay in memory, so no file is touched whatever the input names.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "scan/run.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  korva::Io io;
  io.in_memory = true;
  io.input.open_text(std::string_view(reinterpret_cast<const char*>(data), size));
  io.listing.open_memory();
  std::string dname2(72, ' '), calname(72, ' '), dname1(72, ' ');
  korva::korva_(io, dname2, calname, dname1);
  io.close_all();
  return 0;
}
