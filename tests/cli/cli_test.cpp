// The command line, driven as a user drives it: the real binary in a
// directory of its own.
#include <filesystem>
#include <string>

#include "testing/command.hpp"

namespace {

namespace fs = std::filesystem;
using korva::testing::kMinimalInput;

class CommandLine : public korva::testing::WorkDirTest {};

TEST_F(CommandLine, UsageErrorsExitWithTwo) {
  const auto help = korva("--help");
  EXPECT_EQ(help.status, 0);
  EXPECT_NE(help.out.find("korva run INPUT [-o LISTING]"), std::string::npos);
  EXPECT_EQ(korva("run").status, 2);
  EXPECT_EQ(korva("frobnicate").status, 2);
  EXPECT_EQ(korva("run a.inp -o").status, 2);
  const auto missing = korva("run missing.inp");
  EXPECT_EQ(missing.status, 2);
  EXPECT_NE(missing.out.find("cannot read input file 'missing.inp'"), std::string::npos);
  write("x.inp", kMinimalInput);
  const auto unwritable = korva("run x.inp -o no/such/dir/x.out");
  EXPECT_EQ(unwritable.status, 2);
  EXPECT_NE(unwritable.out.find("cannot write listing file"), std::string::npos);
  EXPECT_EQ(korva("run x.inp -o x.inp").status, 2);  // never overwrite the input with the listing
  EXPECT_EQ(read("x.inp"), kMinimalInput);
}

TEST_F(CommandLine, StoppedRunExitsWithOneAndKeepsTheListing) {
  write("cut.inp", std::string(kMinimalInput).substr(0, 40));
  const auto r = korva("run cut.inp");
  EXPECT_EQ(r.status, 1);
  const std::string listing = read("cut.out");  // default listing name
  EXPECT_NE(listing.find("read-error in the fourth line of the input-file"), std::string::npos);
  EXPECT_NE(r.out.find("listing: cut.out"), std::string::npos);
}

TEST_F(CommandLine, NormalRunNamesTheFilesItWrote) {
  write("ok.inp", kMinimalInput);
  const auto r = korva("run ok.inp -o ok.lis");
  EXPECT_EQ(r.status, 0) << r.out;
  EXPECT_NE(r.out.find("listing: ok.lis"), std::string::npos);
  EXPECT_NE(r.out.find("PostScript: test.ps"), std::string::npos);
  EXPECT_TRUE(fs::exists(dir_ / "test.ps"));  // relative names refer to the working directory
  EXPECT_NE(read("ok.lis").find("****  KORVA-99  ****"), std::string::npos);
}

}  // namespace
