// The built-in table of the 230 space groups.
#pragma once

#include <string>

#include "scan/run.hpp"

namespace korva {

// Fills run.cr.sym (ns, ic, t, s) from the table entry nr (1..230, the
// caller guarantees the range), returns the 30-character symbol and lists
// the group and its operators.
void raumgr_(Run& run, int nr, std::string& sgsymbol);

}  // namespace korva
