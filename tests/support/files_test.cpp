// Names compared as files, and the folders where no file may be created.
#include "support/files.hpp"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

namespace korva {
namespace {

namespace fs = std::filesystem;

TEST(Files, NamesAreComparedAsFiles) {
  const fs::path dir = fs::temp_directory_path() / ("korva-files-" + std::to_string(::getpid()));
  fs::remove_all(dir);
  fs::create_directories(dir / "sub");
  std::ofstream(dir / "a") << "a";
  fs::create_hard_link(dir / "a", dir / "hard");
  fs::create_symlink("../a", dir / "sub" / "soft");
  // A link to a file that does not exist yet: writing it creates "new".
  fs::create_symlink("new", dir / "dangling");

  EXPECT_TRUE(same_file((dir / "a").string(), (dir / "sub" / ".." / "a").string()));
  EXPECT_TRUE(same_file((dir / "a").string(), (dir / "hard").string()));
  EXPECT_TRUE(same_file((dir / "sub" / "soft").string(), (dir / "a").string()));
  EXPECT_TRUE(same_file((dir / "dangling").string(), (dir / "sub" / ".." / "new").string()));
  EXPECT_FALSE(same_file((dir / "a").string(), (dir / "new").string()));
  EXPECT_FALSE(same_file("", ""));
  fs::remove_all(dir);
}

TEST(Files, NoNewFileInADeviceFolder) {
  EXPECT_EQ(device_folder("/dev/f.cal"), "/dev");
  EXPECT_EQ(device_folder("/proc/self/x.ps"), "/proc");
  EXPECT_EQ(device_folder("/sys/../dev/x"), "/dev");
  EXPECT_EQ(device_folder("/dev/null"), "");  // an existing device is written in place
  EXPECT_TRUE(written_in_place("/dev/null"));
  EXPECT_EQ(device_folder("/tmp/x.ps"), "");
  EXPECT_EQ(device_folder("/devices/x.ps"), "");
}

}  // namespace
}  // namespace korva
