// Shared by the plot tests: a run whose units live in memory with a plotter
// on its PostScript unit, its output as lines, and a Ghostscript check that
// a page renders.
#pragma once

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "plot/page.hpp"
#include "scan/finish.hpp"
#include "scan/run.hpp"

namespace korva::testing {

struct MemoryRun {
  MemoryRun() : run(io) {
    io.in_memory = true;
    io.ps.open_memory();
    io.listing.open_memory();
  }
  // The page of the run, as the end of a run draws it.
  void draw(std::string_view date, std::string_view time) { uplot_(out, page_data(run), date, time); }
  std::vector<std::string> ps_lines() const { return split(io.ps.text()); }
  std::vector<std::string> listing_lines() const { return split(io.listing.text()); }
  static std::vector<std::string> split(const std::string& text) {
    std::vector<std::string> out;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) out.push_back(line);
    return out;
  }
  Io io;
  Run run;
  Plotter out{io.ps, {}};
};

inline bool have_gs() { return std::system("gs --version >/dev/null 2>&1") == 0; }

// Renders a PostScript text with Ghostscript; returns what went wrong, or
// an empty text when the page rendered without error.  Without Ghostscript
// the check cannot be made and passes.
inline std::string render_errors(const std::string& ps) {
  if (!have_gs()) return {};
  namespace fs = std::filesystem;
  const fs::path file = fs::temp_directory_path() / ("korva-render-" + std::to_string(getpid()) + ".ps");
  std::ofstream(file, std::ios::binary) << ps;
  const std::string cmd =
      "gs -q -dBATCH -dNOPAUSE -dSAFER -sDEVICE=nullpage '" + file.string() + "' 2>&1 </dev/null";
  std::string said;
  FILE* pipe = popen(cmd.c_str(), "r");
  char buf[4096];
  std::size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, pipe)) > 0) said.append(buf, n);
  const int raw = pclose(pipe);
  fs::remove(file);
  const bool ok = WIFEXITED(raw) && WEXITSTATUS(raw) == 0 && said.find("Error") == std::string::npos;
  return ok ? std::string{} : (said.empty() ? "gs failed" : said);
}

// Index of the first line equal to `line` at or after `from`, or -1.
inline int find_line(const std::vector<std::string>& lines, const std::string& line, int from = 0) {
  for (int i = from; i < static_cast<int>(lines.size()); ++i)
    if (lines[i] == line) return i;
  return -1;
}

}  // namespace korva::testing
