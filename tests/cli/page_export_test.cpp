// --pdf and --png on the command line.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

namespace fs = std::filesystem;

struct Outcome {
  int status = -1;
  std::string out;
};

class PageExport : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("korva-page-export-" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    std::ofstream(dir_ / "x.inp") << "Test crystal\n"
                                     "test.ps\n"
                                     "5.0 5.0 5.0 90 90 90\n"
                                     "Cu\n"
                                     "0.1 0.1 100 10 0.01\n"
                                     "-10 10 10 0 1 0\n"
                                     "231 0 0\n"
                                     "2 1\n"
                                     "0 1 0 0  0 0 1 0  0 0 0 1\n"
                                     "1 1 1 1.5 0 0 0\n";
  }
  void TearDown() override { fs::remove_all(dir_); }

  Outcome korva(const std::string& env, const std::string& args) {
    const std::string cmd = "cd '" + dir_.string() + "' && " + env + " '" KORVA_BINARY "' " + args + " 2>&1";
    Outcome r;
    FILE* pipe = popen(cmd.c_str(), "r");
    char buf[4096];
    std::size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, pipe)) > 0) r.out.append(buf, n);
    const int raw = pclose(pipe);
    r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    return r;
  }

  fs::path dir_;
};

TEST_F(PageExport, WithoutGhostscriptTheRunStillWritesItsPostScript) {
  const Outcome r = korva("PATH=/no/such/dir", "run x.inp --pdf --png");
  EXPECT_EQ(r.status, 3) << r.out;
  EXPECT_NE(r.out.find("korva: no PDF page: Ghostscript ('gs') was not found"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("korva: no PNG page"), std::string::npos) << r.out;
  EXPECT_TRUE(fs::exists(dir_ / "test.ps"));
  EXPECT_TRUE(fs::exists(dir_ / "x.out"));
  EXPECT_FALSE(fs::exists(dir_ / "test.pdf"));
  EXPECT_EQ(korva("", "run --pdf").status, 2);  // still needs an input file
}

}  // namespace
