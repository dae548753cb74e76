// Settings of the windowing services that the main program itself does not
// use: printer and plotter output, character sets, debug level.
//
// They come from the environment (KORVA_WINCONFIG names the settings file,
// KORVA_WINCHARDIR the character-set folder, KORVA_WINDEBUG a debug level
// 0..4) and from a settings file of "KEY = value" lines: the file named by
// the caller if it is not blank and exists, otherwise the one named by
// KORVA_WINCONFIG, otherwise "korvawin.cfg" in the working directory, if
// there is one.  The environment wins over the file.
#pragma once

#include <functional>
#include <istream>
#include <string>
#include <string_view>

namespace korva::ui {

struct Settings {
  int printer = 0;
  int plotter = 0;
  std::string plname = "korva.plt";
  std::string charset = "standard.chr";
  std::string chardir;  // ends with '/' when set
  int lfngen = 40, lfnploto = 41, lfnploti = 42;
  int debug = 0;
};

inline constexpr const char* kDefaultSettingsFile = "korvawin.cfg";

// Applies the "KEY = value" lines of a settings file.  A line counts only
// when it holds "=" after at least one other character; tabs count as
// blanks; the key is the first word before "=" (at least 3 characters, its
// first 8 upper-cased), the value the first word after it.  Unknown keys
// and values that are not numbers where numbers belong are skipped; a read
// error ends the reading.
void read_settings(std::istream& in, Settings& settings);

// The whole lookup: environment and file.  getenv returns nullptr for an
// unset variable.
Settings load_settings(std::string_view config,
                       const std::function<const char*(const char*)>& getenv);

}  // namespace korva::ui
