#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <sys/wait.h>

#include "support/input_help.hpp"

namespace korva {
namespace {

TEST(HelpInputCommand, PrintsTheInputDescriptionWithoutAWindow) {
  // No display: the command must not need one.
  const std::string cmd = std::string("env -u DISPLAY -u WAYLAND_DISPLAY '") + KORVA_BINARY + "' help-input";
  FILE* p = ::popen(cmd.c_str(), "r");
  ASSERT_NE(p, nullptr);
  std::string out;
  char buf[4096];
  for (std::size_t n; (n = std::fread(buf, 1, sizeof buf, p)) > 0;) out.append(buf, n);
  const int status = ::pclose(p);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
  EXPECT_EQ(out, input_help_text());
  EXPECT_EQ(out.size(), 395u * 79u);
  EXPECT_TRUE(out.starts_with(std::string(26, ' ') + "INPUT DESCRIPTION"));
}

TEST(DesktopCommand, WithoutADisplayPointsToTheBatchCommandInsteadOfAborting) {
  const std::string cmd =
      std::string("env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM '") + KORVA_BINARY + "' 2>&1";
  FILE* p = ::popen(cmd.c_str(), "r");
  ASSERT_NE(p, nullptr);
  std::string out;
  char buf[4096];
  for (std::size_t n; (n = std::fread(buf, 1, sizeof buf, p)) > 0;) out.append(buf, n);
  const int status = ::pclose(p);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 2);
  EXPECT_NE(out.find("korva run INPUT"), std::string::npos) << out;
}

}  // namespace
}  // namespace korva
