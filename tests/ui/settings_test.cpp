#include "ui/settings.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <unistd.h>

namespace korva::ui {
namespace {

Settings parse(const std::string& text) {
  Settings s;
  std::istringstream in(text);
  read_settings(in, s);
  return s;
}

TEST(ServiceSettings, KeysAreTheirFirstEightLettersUpperCasedAndValuesTheFirstWord) {
  const Settings s = parse(
      "printer = 3\n"
      "\tPlotter\t=\t4 trailing words\n"
      "plname=my.plt rest\n"
      "LFNPLOTOUT = 44\n"  // only the first 8 letters count
      "chardir = fonts\n"
      "debug = 2\n");
  EXPECT_EQ(s.printer, 3);
  EXPECT_EQ(s.plotter, 4);
  EXPECT_EQ(s.plname, "my.plt");
  EXPECT_EQ(s.lfnploto, 44);
  EXPECT_EQ(s.chardir, "fonts/");
  EXPECT_EQ(s.debug, 2);
  EXPECT_EQ(s.charset, "standard.chr");
  EXPECT_EQ(s.lfngen, 40);
  EXPECT_EQ(s.lfnploti, 42);
}

TEST(ServiceSettings, LinesWithoutAKeyOrWithBadNumbersAreSkipped) {
  const Settings s = parse(
      "=5\n"             // "=" without anything before it
      "printer 7\n"      // no "="
      "de = 3\n"         // key shorter than three letters
      "debug = 9\n"      // outside 0..4
      "plotter = x1\n"   // not a number
      "lfngen = 15\n"    // the program's input unit
      "lfnploti = 55\n"
      "unknown = 1\n");
  const Settings d;
  EXPECT_EQ(s.printer, d.printer);
  EXPECT_EQ(s.debug, d.debug);
  EXPECT_EQ(s.plotter, d.plotter);
  EXPECT_EQ(s.lfngen, 40);
  EXPECT_EQ(s.lfnploti, 55);
}

TEST(ServiceSettings, TheNamedFileWinsOverTheVariableAndTheEnvironmentOverTheFile) {
  const auto dir = std::filesystem::temp_directory_path() / ("korva-cfg-" + std::to_string(::getpid()));
  std::filesystem::create_directories(dir);
  const std::string named = (dir / "named.cfg").string(), other = (dir / "other.cfg").string();
  std::ofstream(named) << "printer = 1\ndebug = 1\n";
  std::ofstream(other) << "printer = 2\n";
  std::map<std::string, std::string> env{{"KORVA_WINCONFIG", other}};
  const auto getenv = [&](const char* name) -> const char* {
    const auto it = env.find(name);
    return it == env.end() ? nullptr : it->second.c_str();
  };
  EXPECT_EQ(load_settings(named, getenv).printer, 1);
  EXPECT_EQ(load_settings("  ", getenv).printer, 2);
  EXPECT_EQ(load_settings((dir / "missing.cfg").string(), getenv).printer, 2);
  env["KORVA_WINDEBUG"] = "3";
  env["KORVA_WINCHARDIR"] = "/usr/share/korva";
  const Settings s = load_settings(named, getenv);
  EXPECT_EQ(s.debug, 3);
  EXPECT_EQ(s.chardir, "/usr/share/korva/");
  env["KORVA_WINDEBUG"] = "12";  // not one digit
  EXPECT_EQ(load_settings(named, getenv).debug, 1);
  std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace korva::ui
