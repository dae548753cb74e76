// The PostScript page of a run: header, scans and psi-lambda diagram.
#pragma once

#include <string>
#include <string_view>

#include "scan/run.hpp"

namespace korva {

// Draws the page into unit 7 and ends the file, with the date and time of
// the system clock in the header.
void uplot_(Run& run);

// The same with given 12-character date and time texts ("dd . mm . yy",
// "hh . mm . ss"), for reproducible pages.
void uplot_(Run& run, std::string_view date, std::string_view time);

// The header's date and time texts of the current local time.
struct PageStamp {
  std::string date, time;
};
PageStamp page_stamp_now();

}  // namespace korva
