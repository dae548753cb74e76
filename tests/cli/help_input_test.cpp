#include <gtest/gtest.h>

#include <string>

#include "support/input_help.hpp"
#include "testing/command.hpp"

namespace korva {
namespace {

TEST(HelpInputCommand, PrintsTheInputDescriptionWithoutAWindow) {
  // No display: the command must not need one.
  const auto r = testing::run_shell(std::string("env -u DISPLAY -u WAYLAND_DISPLAY '") + KORVA_BINARY +
                                    "' help-input");
  EXPECT_EQ(r.status, 0);
  const std::string& out = r.out;
  EXPECT_EQ(out, input_help_text());
  EXPECT_EQ(out.size(), 395u * 79u);
  EXPECT_TRUE(out.starts_with(std::string(26, ' ') + "INPUT DESCRIPTION"));
}

TEST(DesktopCommand, WithoutADisplayPointsToTheBatchCommandInsteadOfAborting) {
  const auto r = testing::run_shell(std::string("env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM '") +
                                    KORVA_BINARY + "'");
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.out.find("korva run INPUT"), std::string::npos) << r.out;
}

}  // namespace
}  // namespace korva
