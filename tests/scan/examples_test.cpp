// The example inputs run to the end with the crystal model and the space
// groups of the program.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "testing/run_text.hpp"

namespace korva {
namespace {

std::string example(const std::string& name) {
  std::ifstream in(std::string(KORVA_SOURCE_DIR) + "/examples/" + name);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

// The input with line 6 replaced.
std::string with_line6(const std::string& text, const std::string& line6) {
  std::vector<std::string> lines;
  std::stringstream s(text);
  for (std::string l; std::getline(s, l);) lines.push_back(l);
  lines.at(5) = line6;
  std::string out;
  for (const std::string& l : lines) out += l + "\n";
  return out;
}

std::vector<std::string> matching(const std::string& text, const std::string& part) {
  std::vector<std::string> out;
  std::stringstream s(text);
  for (std::string l; std::getline(s, l);)
    if (l.find(part) != std::string::npos) out.push_back(l);
  return out;
}

int count(const std::string& text, const std::string& part) {
  return static_cast<int>(matching(text, part).size());
}

std::vector<std::string> event_rows(const std::string& listing) {
  std::vector<std::string> rows;
  for (const std::string& l : matching(listing, "-")) {
    if (l.size() > 100 && (l.substr(104, 5) == "  i-o" || l.substr(104, 5) == "  o-i")) rows.push_back(l);
  }
  return rows;
}

TEST(Examples, YigWithAndWithoutExplicitSymmetryGiveTheSameEvents) {
  const std::string line6 = "-66.   16. 50  0  0.05 0.";
  const auto a = testing::run_text(with_line6(example("yig-noscan.inp"), line6));
  const auto b = testing::run_text(with_line6(example("yig-explicit.inp"), line6));
  ASSERT_LE(a.iostat, 0) << testing::last_line(a.listing);
  ASSERT_LE(b.iostat, 0) << testing::last_line(b.listing);

  // Two wavelength passes, each with its blocks.
  for (const auto* r : {&a, &b}) {
    EXPECT_EQ(count(r->listing, "*** Multiple diffraction events ***"), 2);
    EXPECT_EQ(count(r->listing, " wavelength        : 0.55942"), 1);
    EXPECT_EQ(count(r->listing, " wavelength        : 0.56381"), 1);
    EXPECT_EQ(count(r->listing, "   H   K   L      F     phi  THETA   H   K   L"), 2);
    EXPECT_EQ(count(r->listing, " Number of operative reflections (Prager formula)"), 2);
    EXPECT_EQ(count(r->listing, " Maximum calculated intensity"), 1);
    EXPECT_EQ(count(r->listing, " (K-alpha1 + K-alpha2) with intensity >   0.50E-03 : "), 1);
    EXPECT_EQ(std::count(r->cal.begin(), r->cal.end(), '\n'), 82 * 50 + 1);
  }
  const auto rows = event_rows(a.listing);
  EXPECT_GT(rows.size(), 10u);
  EXPECT_EQ(rows, event_rows(b.listing));
  EXPECT_EQ(matching(a.listing, " Number of events in a 360"), matching(b.listing, " Number of events in a 360"));
  EXPECT_EQ(matching(a.listing, "calculated intensity"), matching(b.listing, "calculated intensity"));
  EXPECT_EQ(a.cal, b.cal);

  // A full turn meets about as many points as the Prager estimate gives.
  const auto events = matching(a.listing, " Number of events in a 360");
  const auto prager = matching(a.listing, " Number of operative reflections");
  for (int pass = 0; pass < 2; ++pass) {
    const double n = std::stod(events[pass].substr(events[pass].size() - 7));
    const double np = std::stod(prager[pass].substr(prager[pass].size() - 7));
    EXPECT_NEAR(n / np, 1.0, 0.01);
  }
}

TEST(Examples, YigAsGivenRunsToTheEnd) {
  // Sample a) as published, without its scan file (not available here).
  std::string given = example("yig.inp");
  given.erase(given.rfind("yig.dat"));
  const auto a = testing::run_text(given);
  ASSERT_LE(a.iostat, 0) << testing::last_line(a.listing);
  EXPECT_EQ(trim_right(a.calname), "yig.cal");
  EXPECT_EQ(std::count(a.cal.begin(), a.cal.end(), '\n'), 4101);
  EXPECT_EQ(count(a.listing, " Multiple diffraction-events with intensity greater than    1.0000"), 2);
  EXPECT_EQ(count(a.listing, " Psi=0 difference between diffractometer and reference direction: PsiD ="), 2);
  EXPECT_NE(a.postscript.find("showpage"), std::string::npos);
}

TEST(Examples, SiliconWithSynchrotronRadiation) {
  const auto r = testing::run_text(example("si222-noscan.inp"));
  ASSERT_LE(r.iostat, 0) << testing::last_line(r.listing);
  EXPECT_EQ(count(r.listing, "*** Multiple diffraction events ***"), 1);
  EXPECT_EQ(std::count(r.cal.begin(), r.cal.end(), '\n'), 3001);
  const auto rows = event_rows(r.listing);
  ASSERT_FALSE(rows.empty());
  for (const std::string& row : rows) {
    const double psi = std::stod(row.substr(row.size() - 9));
    EXPECT_TRUE(psi >= 176.0 && psi <= 179.0) << row;
  }
  EXPECT_EQ(count(r.listing, " with intensity >   0.10E+00 : "), 1);
  EXPECT_EQ(count(r.listing, " phase shift interval factor :    8"), 1);
}

}  // namespace
}  // namespace korva
