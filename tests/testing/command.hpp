// Test support: the korva binary run as a user runs it, in a directory of
// its own.
#pragma once

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace korva::testing {

struct CommandResult {
  int status = -1;  // exit status, -1 when the command did not exit normally
  std::string out;  // standard output and standard error together
};

inline CommandResult run_shell(const std::string& command) {
  CommandResult r;
  FILE* pipe = ::popen((command + " 2>&1").c_str(), "r");
  if (!pipe) return r;
  char buf[4096];
  for (std::size_t n; (n = std::fread(buf, 1, sizeof buf, pipe)) > 0;) r.out.append(buf, n);
  const int raw = ::pclose(pipe);
  r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  return r;
}

// A crystal of one explicit operator without atoms or tables: the smallest
// input that runs to the end.
inline const char* const kMinimalInput =
    "Test crystal\n"
    "test.ps\n"
    "5.0 5.0 5.0 90 90 90\n"
    "Cu\n"
    "0.1 0.1 100 10 0.01\n"
    "-10 10 10 0 1 0\n"
    "231 0 0\n"
    "2 1\n"
    "0 1 0 0  0 0 1 0  0 0 0 1\n"
    "1 1 1 1.5 0 0 0\n";

// A fixture with a fresh working directory per test.
class WorkDirTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    dir_ = std::filesystem::temp_directory_path() /
           ("korva-" + std::string(info->test_suite_name()) + "-" + info->name() + "-" + std::to_string(getpid()));
    std::filesystem::remove_all(dir_);
    std::filesystem::create_directories(dir_);
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }

  // Runs korva with args in the working directory; env is put in front of
  // the command (e.g. "PATH=/x").
  CommandResult korva(const std::string& args, const std::string& env = {}) {
    return run_shell("cd '" + dir_.string() + "' && " + env + " '" KORVA_BINARY "' " + args);
  }
  void write(const std::string& name, const std::string& text) { std::ofstream(dir_ / name) << text; }
  std::string read(const std::string& name) {
    std::ifstream in(dir_ / name);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
  }

  std::filesystem::path dir_;
};

}  // namespace korva::testing
