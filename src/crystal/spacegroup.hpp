// The built-in table of the 230 space groups and the listing of operators.
#pragma once

#include <string>
#include <vector>

#include "crystal/crystal.hpp"
#include "support/report.hpp"

namespace korva {

// Fills sym (ns, ic, t, s) from the table entry nr (1..230, the caller
// guarantees the range), returns the 30-character symbol and reports the
// group and its operators.
void raumgr_(Symmetry& sym, int nr, std::string& sgsymbol, Report& report);

// The three-column listing text of one translation component ("1/2", "   "
// for zero, "***" when unrecognised).  A recognised fraction also replaces t
// by its exact single-precision value.
std::string translation_text(float& t);

// The operator block of the listing: the count line, then the operators of
// sym four to a line.  Recognised translations in sym are replaced by their
// exact values on the way.
std::vector<std::string> operator_listing(Symmetry& sym);

}  // namespace korva
