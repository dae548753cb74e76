// Test support: runs the computation on an input held in memory.  Units 7,
// 11 and 12 stay in memory too, so a test never touches the file system.
#pragma once

#include <string>

#include "scan/run.hpp"
#include "support/format.hpp"

namespace korva::testing {

struct RunResult {
  std::string listing;
  std::string postscript;
  std::string cal;
  int iostat = 0;
  std::string dname2, calname, dname1;  // as korva_ returned them (72 characters)
};

inline RunResult run_text(const std::string& input, const std::string& scan = {}) {
  Io io;
  io.in_memory = true;
  io.memory_scan = scan;
  io.input.open_text(input);
  io.listing.open_memory();
  RunResult r;
  r.dname2 = r.calname = r.dname1 = std::string(72, ' ');
  korva_(io, r.dname2, r.calname, r.dname1);
  io.close_all();
  r.listing = io.listing.text();
  r.postscript = io.ps.text();
  r.cal = io.cal.text();
  r.iostat = io.iostat;
  return r;
}

// The listing without its date and time lines, which change from run to run.
inline std::string without_clock(const std::string& listing) {
  std::string out;
  std::size_t start = 0;
  while (start < listing.size()) {
    std::size_t end = listing.find('\n', start);
    if (end == std::string::npos) end = listing.size();
    const std::string line = listing.substr(start, end - start);
    if (line.find("Date: ") == std::string::npos && line.find("Time: ") == std::string::npos &&
        line.find("CPU-time") == std::string::npos)
      out += line + "\n";
    start = end + 1;
  }
  return out;
}

// The last non-empty line of a text.
inline std::string last_line(const std::string& text) {
  std::string_view t = text;
  while (!t.empty() && (t.back() == '\n' || t.back() == ' ')) t.remove_suffix(1);
  const std::size_t nl = t.rfind('\n');
  return std::string(nl == std::string_view::npos ? t : t.substr(nl + 1));
}

}  // namespace korva::testing
