// --pdf and --png on the command line.
#include <filesystem>
#include <string>

#include "testing/command.hpp"

namespace {

namespace fs = std::filesystem;

class PageExport : public korva::testing::WorkDirTest {
 protected:
  void SetUp() override {
    WorkDirTest::SetUp();
    write("x.inp", korva::testing::kMinimalInput);
  }
};

TEST_F(PageExport, WithoutGhostscriptTheRunStillWritesItsPostScript) {
  const auto r = korva("run x.inp --pdf --png", "PATH=/no/such/dir");
  EXPECT_EQ(r.status, 3) << r.out;
  EXPECT_NE(r.out.find("korva: no PDF page: Ghostscript ('gs') was not found"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("korva: no PNG page"), std::string::npos) << r.out;
  EXPECT_TRUE(fs::exists(dir_ / "test.ps"));
  EXPECT_TRUE(fs::exists(dir_ / "x.out"));
  EXPECT_FALSE(fs::exists(dir_ / "test.pdf"));
  EXPECT_EQ(korva("run --pdf").status, 2);  // still needs an input file
}

}  // namespace
