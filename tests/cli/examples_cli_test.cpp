// Every example input runs as examples/README.md says: from a folder that
// holds copies of the scan files, with the input named by its path.
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "testing/command.hpp"

namespace {

namespace fs = std::filesystem;

struct Example {
  const char* input;
  int status;         // 1: the scan file is not available (README)
  const char* line;   // a line the listing must hold
};

// The deviations are those the constructed scans were built with (shifted by
// +0.04 degrees, neutrons +0.05; the silicon scans settle beyond 0.1 degree,
// reported as 0).
const Example kExamples[] = {
    {"yig.inp", 1, "     yig.dat"},
    {"yig-noscan.inp", 0, " Number of multiple diffraction events in the 360 degree psi-scan"},
    {"yig-explicit.inp", 0, " Number of multiple diffraction events in the 360 degree psi-scan"},
    {"si222.inp", 1, "     ../hasylab/scans/si222ag2.dat"},
    {"si222-noscan.inp", 0, " Number of multiple diffraction events in the 360 degree psi-scan"},
    {"zn003-obs.inp", 0, " Deviation between calculated and measured psi    :  -0.040"},
    {"zn003-cad4.inp", 0, " Deviation between calculated and measured psi    :  -0.040"},
    {"si222-obs.inp", 0, " Deviation between calculated and measured psi    :   0.000"},
    {"si222-huber.inp", 0, " Deviation between calculated and measured psi    :   0.000"},
    {"si222n-obs.inp", 0, " Deviation between calculated and measured psi    :  -0.050"},
    {"nacl-neutron-noscan.inp", 0, " Number of multiple diffraction events in the 360 degree psi-scan"},
};

const fs::path kExampleDir = fs::path(KORVA_SOURCE_DIR) / "examples";

class ExampleAsDocumented : public korva::testing::WorkDirTest, public ::testing::WithParamInterface<Example> {};

TEST_P(ExampleAsDocumented, RunsWithItsExitStatusAndKeyLine) {
  const Example& ex = GetParam();
  for (const auto& entry : fs::directory_iterator(kExampleDir)) {
    const std::string ext = entry.path().extension().string();
    if (ext == ".obs" || ext == ".dat") fs::copy_file(entry.path(), dir_ / entry.path().filename());
  }
  const auto r = korva("run '" + (kExampleDir / ex.input).string() + "' -o example.lis");
  EXPECT_EQ(r.status, ex.status) << r.out;
  const std::string listing = read("example.lis");
  EXPECT_NE(listing.find(std::string("\n") + ex.line), std::string::npos) << listing;
  if (ex.status == 1) {
    EXPECT_TRUE(listing.ends_with(" check your input!\n"));
  }
}

INSTANTIATE_TEST_SUITE_P(Examples, ExampleAsDocumented, ::testing::ValuesIn(kExamples),
                         [](const ::testing::TestParamInfo<Example>& info) {
                           std::string name = fs::path(info.param.input).stem().string();
                           for (char& c : name)
                             if (c == '-') c = '_';
                           return name;
                         });

TEST(ExampleList, NamesEveryInputOfTheExamplesFolder) {
  std::set<std::string> listed, present;
  for (const Example& ex : kExamples) listed.insert(ex.input);
  for (const auto& entry : fs::directory_iterator(kExampleDir))
    if (entry.path().extension() == ".inp") present.insert(entry.path().filename().string());
  EXPECT_EQ(listed, present);
}

}  // namespace
