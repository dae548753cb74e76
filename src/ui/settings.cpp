#include "ui/settings.hpp"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <filesystem>
#include <fstream>

#include "support/format.hpp"

namespace korva::ui {
namespace {

std::string first_word(std::string_view s) {
  const auto b = s.find_first_not_of(' ');
  if (b == std::string_view::npos) return {};
  const auto e = s.find(' ', b);
  return std::string(s.substr(b, e == std::string_view::npos ? s.size() - b : e - b));
}

bool to_int(const std::string& s, int& v) {
  if (s.empty()) return false;
  const char* first = s.data();
  if (*first == '+') ++first;
  auto [p, ec] = std::from_chars(first, s.data() + s.size(), v);
  return ec == std::errc() && p == s.data() + s.size();
}

// Unit numbers for the services' own files: two digits, and none of the
// units the program itself has fixed.
bool usable_unit(int u) {
  constexpr int kTaken[] = {11, 12, 15, 16, 20, 21};
  return u >= 10 && u <= 99 && std::find(std::begin(kTaken), std::end(kTaken), u) == std::end(kTaken);
}

void set_number(int& target, const std::string& value) {
  int v = 0;
  if (to_int(value, v)) target = v;
}

void set_unit(int& target, const std::string& value) {
  int v = 0;
  if (to_int(value, v) && usable_unit(v)) target = v;
}

void set_debug(int& target, const std::string& value) {
  int v = 0;
  if (to_int(value, v) && v >= 0 && v <= 4) target = v;
}

std::string as_folder(std::string dir) {
  if (!dir.empty() && dir.back() != '/') dir += '/';
  return dir;
}

bool exists(const std::string& name) {
  std::error_code ec;
  return !name.empty() && std::filesystem::is_regular_file(name, ec);
}

}  // namespace

void read_settings(std::istream& in, Settings& s) {
  std::string line;
  while (std::getline(in, line)) {
    std::replace(line.begin(), line.end(), '\t', ' ');
    if (!line.empty() && line.back() == '\r') line.pop_back();
    const auto eq = line.find('=');
    if (eq == std::string::npos || eq == 0) continue;
    std::string key = first_word(std::string_view(line).substr(0, eq));
    if (key.size() < 3) continue;
    key = key.substr(0, 8);
    for (char& c : key) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    const std::string value = first_word(std::string_view(line).substr(eq + 1));

    if (key == "PRINTER") set_number(s.printer, value);
    else if (key == "PLOTTER") set_number(s.plotter, value);
    else if (key == "PLNAME") { if (!value.empty()) s.plname = value; }
    else if (key == "CHARSET") { if (!value.empty()) s.charset = value; }
    else if (key == "LFNGEN") set_unit(s.lfngen, value);
    else if (key == "LFNPLOTO") set_unit(s.lfnploto, value);
    else if (key == "LFNPLOTI") set_unit(s.lfnploti, value);
    else if (key == "CHARDIR") { if (!value.empty()) s.chardir = as_folder(value); }
    else if (key == "DEBUG") set_debug(s.debug, value);
  }
}

Settings load_settings(std::string_view config,
                       const std::function<const char*(const char*)>& getenv) {
  Settings s;
  std::string file(trim_right(trim_left(config)));
  if (!exists(file)) {
    const char* env = getenv("KORVA_WINCONFIG");
    file = env ? env : "";
    if (!exists(file)) file = exists(kDefaultSettingsFile) ? kDefaultSettingsFile : "";
  }
  if (!file.empty()) {
    std::ifstream in(file);
    if (in) read_settings(in, s);
  }
  if (const char* dir = getenv("KORVA_WINCHARDIR"); dir && *dir) s.chardir = as_folder(dir);
  if (const char* debug = getenv("KORVA_WINDEBUG"); debug && std::isdigit(static_cast<unsigned char>(debug[0])) && debug[1] == '\0')
    set_debug(s.debug, debug);
  return s;
}

}  // namespace korva::ui
