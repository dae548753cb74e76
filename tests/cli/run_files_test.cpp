// A run never destroys a file: not its input, not a measured scan, not an
// earlier result when it fails; and it says so when it cannot write.
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "testing/command.hpp"
#include "testing/run_text.hpp"

namespace {

namespace fs = std::filesystem;
using korva::testing::kMinimalInput;

constexpr auto npos = std::string::npos;

// The input with line n (from 1) replaced.
std::string with_line(const std::string& text, std::size_t n, const std::string& line) {
  std::stringstream in(text);
  std::string out;
  std::size_t i = 0;
  for (std::string l; std::getline(in, l);) out += (++i == n ? line : l) + "\n";
  return out;
}

// The minimal input with an orientation matrix and a measured-scan line.
std::string with_scan(const std::string& scan) {
  return std::string(kMinimalInput) + "0.2 0 0  0 0.2 0  0 0 0.2\n" + scan + "\n";
}

class RunFiles : public korva::testing::WorkDirTest {
 protected:
  // Names in the working directory that a run may have left behind besides
  // its own files (temporary files are hidden).
  std::vector<std::string> hidden_files() {
    std::vector<std::string> out;
    for (const auto& e : fs::directory_iterator(dir_))
      if (e.path().filename().string().front() == '.') out.push_back(e.path().filename().string());
    return out;
  }
};

TEST_F(RunFiles, TwoRolesOnOneFileAreRefusedBeforeAnythingIsWritten) {
  // The page named as the input, by another spelling and through a link.
  const std::string self = with_line(kMinimalInput, 2, "./self.inp");
  write("self.inp", self);
  auto r = korva("run self.inp");
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.out.find("korva: ./self.inp the PostScript file and the input file are the same file"), npos) << r.out;
  EXPECT_EQ(read("self.inp"), self);
  const std::string linked = with_line(kMinimalInput, 2, "page.ps");
  write("linked.inp", linked);
  fs::create_symlink("linked.inp", dir_ / "page.ps");
  EXPECT_EQ(korva("run linked.inp").status, 1);
  EXPECT_EQ(read("linked.inp"), linked);

  // -o on the page, the measured scan or the calculated scan: refused
  // before the listing empties it.
  write("scan.obs", "measured\n");
  write("s.inp", with_scan("scan.obs"));
  for (const char* listing : {"test.ps", "scan.obs", "./scan.cal"}) {
    r = korva(std::string("run s.inp -o ") + listing);
    EXPECT_EQ(r.status, 2) << listing;
    EXPECT_NE(r.out.find("cannot write listing file '" + std::string(listing) + "': it is the"), npos) << r.out;
  }
  EXPECT_EQ(read("scan.obs"), "measured\n");

  // A measured scan named .cal would be replaced by the calculated scan.
  write("m.cal", "measured\n");
  write("m.inp", with_scan("m.cal"));
  r = korva("run m.inp");
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.out.find("the calculated-scan file and the measured-scan file are the same file"), npos) << r.out;
  EXPECT_EQ(read("m.cal"), "measured\n");
  EXPECT_FALSE(fs::exists(dir_ / "test.ps"));
  EXPECT_TRUE(hidden_files().empty());
}

TEST_F(RunFiles, AFailedRunLeavesEarlierResultsAsTheyWere) {
  write("test.ps", "earlier page\n");
  write("test.cal", "earlier scan\n");
  ::chmod((dir_ / "test.ps").c_str(), 0640);
  write("bad.inp", with_line(kMinimalInput, 3, "5.0 5.0 nonsense"));
  const auto bad = korva("run bad.inp");
  EXPECT_EQ(bad.status, 1);
  // The listing's last message is shown, not only where the listing is.
  EXPECT_NE(bad.out.find("korva: read-error in the third line of the input-file\n"), npos) << bad.out;
  EXPECT_EQ(read("test.ps"), "earlier page\n");
  EXPECT_EQ(read("test.cal"), "earlier scan\n");

  // A run that ends normally replaces both, with the page's permissions kept.
  write("good.inp", kMinimalInput);
  ASSERT_EQ(korva("run good.inp").status, 0);
  EXPECT_NE(read("test.ps"), "earlier page\n");
  const std::string cal = read("test.cal");
  EXPECT_EQ(std::count(cal.begin(), cal.end(), '\n'), 201);  // psi -10..10, 10 steps per degree
  EXPECT_EQ(fs::status(dir_ / "test.ps").permissions() & fs::perms::all,
            fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  EXPECT_TRUE(hidden_files().empty());
}

TEST_F(RunFiles, WriteErrorsOnAFullDeviceFailTheRun) {
  if (!fs::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
  write("ok.inp", kMinimalInput);
  auto r = korva("run ok.inp -o /dev/full");
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.out.find("korva: cannot write listing file '/dev/full': No space left on device"), npos) << r.out;

  // The page on the device: its calculated scan would be /dev/f.cal.
  write("dev.inp", with_line(kMinimalInput, 2, "/dev/full"));
  r = korva("run dev.inp");
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.out.find("/dev/f.cal the calculated-scan file would be created in the device folder /dev"), npos)
      << r.out;
  EXPECT_FALSE(fs::exists("/dev/f.cal"));

  // The calculated scan through a link to the full device; the page of the
  // same run stays as it was.
  write("test.ps", "earlier page\n");
  fs::create_symlink("/dev/full", dir_ / "test.cal");
  r = korva("run ok.inp");
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.out.find("test.cal the calculated scan cannot be written: No space left on device"), npos) << r.out;
  EXPECT_EQ(read("test.ps"), "earlier page\n");
  EXPECT_EQ(korva::testing::last_line(read("ok.out")), " the calculated scan cannot be written: No space left on device");

  // A page that is drawn, on the full device.
  for (const char* f : {"si222-obs.inp", "si222.obs"}) fs::copy_file(fs::path(KORVA_SOURCE_DIR) / "examples" / f, dir_ / f);
  write("si.inp", with_line(read("si222-obs.inp"), 2, "full.ps"));
  fs::create_symlink("/dev/full", dir_ / "full.ps");
  r = korva("run si.inp");
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.out.find("full.ps the PostScript file cannot be written: No space left on device"), npos) << r.out;
}

TEST_F(RunFiles, AKilledRunLeavesTheListingUpToWhereItStopped) {
  // A 300 A cell searches for long after the table header is written.
  write("big.inp", with_line(kMinimalInput, 3, "300 300 300 90 90 90"));
  const auto r = korva::testing::run_shell(
      "cd '" + dir_.string() + "' && { '" KORVA_BINARY "' run big.inp & pid=$!; "
      "for i in $(seq 400); do grep -q 'Ikorva' big.out 2>/dev/null && break; sleep 0.05; done; "
      "kill -9 $pid; wait $pid; echo \"status $?\"; }");
  EXPECT_NE(r.out.find("status 137"), npos) << r.out;  // still running when killed
  const std::string listing = read("big.out");
  EXPECT_NE(listing.find(" Lattice constants input by the user:"), npos);
  EXPECT_NE(korva::testing::last_line(listing).find("Ikorva"), npos);
  EXPECT_EQ(listing.back(), '\n');  // whole lines only
}

}  // namespace
