// The command line, driven as a user drives it: the real binary in a
// directory of its own.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace {

namespace fs = std::filesystem;

struct Result {
  int status = -1;
  std::string out;
};

class CommandLine : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("korva-cli-" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }

  Result korva(const std::string& args) {
    const std::string cmd = "cd '" + dir_.string() + "' && '" KORVA_BINARY "' " + args + " 2>&1";
    Result r;
    FILE* pipe = popen(cmd.c_str(), "r");
    char buf[4096];
    std::size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, pipe)) > 0) r.out.append(buf, n);
    const int raw = pclose(pipe);
    r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    return r;
  }
  void write(const std::string& name, const std::string& text) { std::ofstream(dir_ / name) << text; }
  std::string read(const std::string& name) {
    std::ifstream in(dir_ / name);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
  }

  fs::path dir_;
};

const char* kInput =
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

TEST_F(CommandLine, UsageErrorsExitWithTwo) {
  const Result help = korva("--help");
  EXPECT_EQ(help.status, 0);
  EXPECT_NE(help.out.find("korva run INPUT [-o LISTING]"), std::string::npos);
  EXPECT_EQ(korva("run").status, 2);
  EXPECT_EQ(korva("frobnicate").status, 2);
  EXPECT_EQ(korva("run a.inp -o").status, 2);
  const Result missing = korva("run missing.inp");
  EXPECT_EQ(missing.status, 2);
  EXPECT_NE(missing.out.find("cannot read input file 'missing.inp'"), std::string::npos);
  write("x.inp", kInput);
  const Result unwritable = korva("run x.inp -o no/such/dir/x.out");
  EXPECT_EQ(unwritable.status, 2);
  EXPECT_NE(unwritable.out.find("cannot write listing file"), std::string::npos);
  EXPECT_EQ(korva("run x.inp -o x.inp").status, 2);  // never overwrite the input with the listing
  EXPECT_EQ(read("x.inp"), kInput);
}

TEST_F(CommandLine, StoppedRunExitsWithOneAndKeepsTheListing) {
  write("cut.inp", std::string(kInput).substr(0, 40));
  const Result r = korva("run cut.inp");
  EXPECT_EQ(r.status, 1);
  const std::string listing = read("cut.out");  // default listing name
  EXPECT_NE(listing.find("read-error in the fourth line of the input-file"), std::string::npos);
  EXPECT_NE(r.out.find("listing: cut.out"), std::string::npos);
}

TEST_F(CommandLine, NormalRunNamesTheFilesItWrote) {
  write("ok.inp", kInput);
  const Result r = korva("run ok.inp -o ok.lis");
  EXPECT_EQ(r.status, 0) << r.out;
  EXPECT_NE(r.out.find("listing: ok.lis"), std::string::npos);
  EXPECT_NE(r.out.find("PostScript: test.ps"), std::string::npos);
  EXPECT_TRUE(fs::exists(dir_ / "test.ps"));  // relative names refer to the working directory
  EXPECT_NE(read("ok.lis").find("****  KORVA-99  ****"), std::string::npos);
}

}  // namespace
