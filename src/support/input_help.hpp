// The input description for users: how to write an input file, two measured
// scans in the ".obs" form, the calculated-scan file, literature and three
// sample inputs.  Fixed text; nothing in it depends on a run.
#pragma once

#include <string>
#include <vector>

namespace korva {

// The file the desktop program writes for the editor and removes afterwards.
inline constexpr const char* kInputHelpFile = "input_help";

// The 395 records, each blank-padded to 78 characters.
const std::vector<std::string>& input_help_lines();

// All records, each followed by a line end.
std::string input_help_text();

// Writes the description to path (an existing file is overwritten); false
// when the file cannot be written.
bool write_input_help(const std::string& path);

// Writes "input_help" in the working directory.
void in_help_();

}  // namespace korva
