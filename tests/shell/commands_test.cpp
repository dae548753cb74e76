#include "shell/commands.hpp"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sys/stat.h>
#include <unistd.h>

namespace korva::shell {
namespace {

namespace fs = std::filesystem;

class Programs : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = fs::temp_directory_path() / ("korva-cmd-" + std::to_string(::getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir);
  }
  void TearDown() override { fs::remove_all(dir); }
  std::string program(const std::string& folder, const std::string& name, const std::string& text = "#!/bin/sh\n",
                      unsigned mode = 0755) {
    const fs::path p = dir / folder / name;
    fs::create_directories(p.parent_path());
    std::ofstream(p) << text;
    ::chmod(p.c_str(), mode);
    return p.string();
  }
  std::string folder(const std::string& name) const { return (dir / name).string(); }
  fs::path dir;
};

TEST_F(Programs, PathSearchTakesTheFirstExecutableFileInFolderOrder) {
  program("a", "gv", "#!/bin/sh\n", 0644);  // not executable
  fs::create_directories(dir / "b" / "gv");  // a folder, not a program
  const std::string wanted = program("c", "gv");
  program("d", "gv");
  const std::string path = folder("a") + ":" + folder("b") + "::" + folder("c") + ":" + folder("d");
  EXPECT_EQ(find_on_path("gv", path), wanted);
  EXPECT_EQ(find_on_path("gv", folder("a")), "");
  EXPECT_EQ(find_on_path("c/gv", folder("")), "") << "names with a folder are not looked up";
  EXPECT_EQ(find_on_path("gv", ""), "");
}

TEST_F(Programs, ViewersArePreferredInTheirListedOrderNotInPathOrder) {
  program("first", "okular");
  const std::string gv = program("second", "gv");
  EXPECT_EQ(find_viewer(folder("first") + ":" + folder("second")), gv);
  EXPECT_EQ(find_viewer(folder("first")), folder("first") + "/okular");
  EXPECT_EQ(find_viewer(folder("nothing")), "");
}

TEST_F(Programs, EditorIsVisualThenEditorThenAGraphicalEditorThatWaits) {
  const std::string gedit = program("bin", "gedit");
  const std::string path = folder("bin");
  EXPECT_EQ(choose_editor("code --wait", "vi", path), (std::vector<std::string>{"code", "--wait"}));
  EXPECT_EQ(choose_editor("  ", "emacs\t-nw", path), (std::vector<std::string>{"emacs", "-nw"}));
  EXPECT_EQ(choose_editor("", "", path), (std::vector<std::string>{gedit, "--wait"}));
  const std::string kwrite = program("other", "kwrite");
  EXPECT_EQ(choose_editor("", "", folder("other")), (std::vector<std::string>{kwrite}));
  EXPECT_TRUE(choose_editor("", "", folder("none")).empty());
}

TEST_F(Programs, TheRunnerWaitsForTheProgramAndReturnsItsStatus) {
  const std::string marker = (dir / "done").string();
  const std::string slow = program("bin", "slow", "#!/bin/sh\nsleep 0.3\ntouch \"$1\"\nexit 3\n");
  const auto t0 = std::chrono::steady_clock::now();
  EXPECT_EQ(run_and_wait({slow, marker}), 3);
  EXPECT_GE(std::chrono::steady_clock::now() - t0, std::chrono::milliseconds(250));
  EXPECT_TRUE(fs::exists(marker)) << "the program had ended when the runner returned";
  EXPECT_EQ(run_and_wait({folder("bin") + "/missing"}), -1);
  EXPECT_EQ(run_and_wait({}), -1);
}

TEST_F(Programs, ArgumentsAreNeverInterpretedByAShell) {
  const std::string echo = program("bin", "args", "#!/bin/sh\nprintf '%s\\n' \"$#\" \"$@\" > \"$(dirname \"$0\")/seen\"\n");
  const std::string tricky = "a b; touch " + (dir / "owned").string() + " $(touch " + (dir / "owned2").string() + ")";
  EXPECT_EQ(run_and_wait({echo, tricky, "*"}), 0);
  std::ifstream in(dir / "bin" / "seen");
  std::string n, first, second;
  std::getline(in, n);
  std::getline(in, first);
  std::getline(in, second);
  EXPECT_EQ(n, "2");
  EXPECT_EQ(first, tricky);
  EXPECT_EQ(second, "*");
  EXPECT_FALSE(fs::exists(dir / "owned"));
  EXPECT_FALSE(fs::exists(dir / "owned2"));
}

TEST(Words, SplitAtBlanksAndTabs) {
  EXPECT_EQ(split_words("  a\tb  c "), (std::vector<std::string>{"a", "b", "c"}));
  EXPECT_TRUE(split_words(" \t ").empty());
}

}  // namespace
}  // namespace korva::shell
