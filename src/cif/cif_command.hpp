// `korva cif`: writes the input file for `korva run` from a CIF file.
#pragma once

#include <string>
#include <vector>

namespace korva::cif {

// The help text of `korva cif --help`.
extern const char* const kCifHelp;

// Runs `korva cif` with the arguments after "cif"; the summary and any
// error go to standard error.  Returns 0 when the input was written, 2 when
// nothing was written (usage, unusable CIF, existing output without --force).
int cif_command(const std::vector<std::string>& args);

}  // namespace korva::cif
