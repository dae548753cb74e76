// Input and scan files as users and their editors leave them: with a
// byte-order mark, or not files of text at all.
#include <filesystem>
#include <string>

#include "testing/command.hpp"
#include "testing/run_text.hpp"

namespace {

using korva::testing::without_clock;

class InputFiles : public korva::testing::WorkDirTest {
 protected:
  std::string example(const std::string& name) {
    const std::filesystem::path from = std::filesystem::path(KORVA_SOURCE_DIR) / "examples" / name;
    std::filesystem::copy_file(from, dir_ / name);
    return read(name);
  }
};

TEST_F(InputFiles, ByteOrderMarkBeforeTheInputOrTheScanIsSkipped) {
  const std::string input = example("zn003-obs.inp");
  const std::string scan = example("zn003.obs");
  ASSERT_EQ(korva("run zn003-obs.inp -o plain.lis").status, 0);
  const std::string bom = "\xEF\xBB\xBF";
  write("zn003-obs.inp", bom + input);
  write("zn003.obs", bom + scan);
  const auto r = korva("run zn003-obs.inp -o marked.lis");
  ASSERT_EQ(r.status, 0) << r.out;
  const std::string marked = read("marked.lis");
  // The title, and the first reference reflection of the scan with its I0.
  EXPECT_NE(marked.find("\n Zn 0 0 3 - Renninger scan"), std::string::npos);
  EXPECT_NE(marked.find("\n  -1  2 -4  58.375"), std::string::npos) << marked;
  EXPECT_EQ(without_clock(marked), without_clock(read("plain.lis")));
}

TEST_F(InputFiles, EndlessDevicesAreRefusedAfterABoundedRead) {
  const auto input = korva("run /dev/zero -o zero.lis");
  EXPECT_EQ(input.status, 2);
  EXPECT_NE(input.out.find("korva: cannot read input file '/dev/zero': line 1 of the file is longer than 65536 "
                           "characters"),
            std::string::npos)
      << input.out;

  std::string text = korva::testing::kMinimalInput;
  // Through a link: a scan named /dev/zero would put its calculated scan in
  // /dev, which is refused before the scan is read.
  std::filesystem::create_symlink("/dev/zero", dir_ / "zero.dat");
  write("scan.inp", text + "0.1 0 0 0 0.1 0 0 0 0.1\nzero.dat\n");
  const auto scan = korva("run scan.inp");
  EXPECT_EQ(scan.status, 1) << scan.out;
  EXPECT_NE(read("scan.out").find("     zero.dat" + std::string(64, ' ') +
                                  "\n line 1 of the file is longer than 65536 characters,\n check your input!\n"),
            std::string::npos)
      << read("scan.out");
}

}  // namespace
