// Runs that take long by nature (a large cell): they end, and on a terminal
// they show that they are alive.  Labelled "slow" (ctest -LE slow skips
// them).
#include <filesystem>
#include <string>

#include "testing/command.hpp"

namespace {

class LargeCell : public korva::testing::WorkDirTest {};

TEST_F(LargeCell, ThreeHundredAngstromCellWithCopperRunsToTheEndShowingProgress) {
  if (korva::testing::run_shell("command -v script").status != 0) GTEST_SKIP() << "no script(1) for a terminal";
  write("large.inp",
        "Large cell\n"
        "large.ps\n"
        "300 300 300 90 90 90\n"
        "Cu\n"
        "0.1 0.1 100 10 0.01\n"
        "-0.5 0.5 10 0 1000 0\n"
        "1 1 1\n"
        "Siv\n"
        " 1 1.0 0.1 0.2 0.3\n"
        "0.003 0.003 0.003 0 0 0\n"
        "100 0 0 0 0 0 0\n");
  // script(1) gives the run a terminal as standard error.
  const auto r = korva::testing::run_shell("cd '" + dir_.string() + "' && script -qec \"'" KORVA_BINARY
                                           "' run large.inp\" /dev/null");
  EXPECT_EQ(r.status, 0) << r.out;
  EXPECT_NE(r.out.find("\rkorva: event search "), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("% done"), std::string::npos);
  const std::string listing = read("large.out");
  // INT(2a/lambda) for both lines of copper: 600/1.540598 and 600/1.544426.
  EXPECT_NE(listing.find(" Maximum possible h, k, l  :  389  389  389\n"), std::string::npos);
  EXPECT_NE(listing.find(" Maximum possible h, k, l  :  388  388  388\n"), std::string::npos);
  EXPECT_NE(listing.find(" Scan calculated for\n"), std::string::npos);
  EXPECT_EQ(listing.find("done"), std::string::npos);  // progress is never part of the listing
  EXPECT_TRUE(std::filesystem::exists(dir_ / "large.cal"));
}

}  // namespace
