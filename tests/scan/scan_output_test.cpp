#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "scan/event_listing.hpp"
#include "scan/finish.hpp"
#include "scan/pass_search.hpp"
#include "scan_setup.hpp"
#include "testing/run_text.hpp"

namespace korva {
namespace {

std::vector<std::string> lines_of(const std::string& text) {
  std::vector<std::string> out;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    out.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return out;
}

TEST(EventTable, RowAndHeaderLayout) {
  EventRecord r;
  r.hg = 1, r.kg = -2, r.lg = 3;
  r.fg = 123.456f;
  r.phase_g = 3.5f;  // 200.5 degrees, printed as -159.5
  r.theta_g = 0.3f;
  r.hc = 7, r.kc = 10, r.lc = -1;
  r.fc = 5.5f;
  r.phase_c = 0.0f;
  r.theta_c = 0.5f;
  r.ikorva = 50.0f;  // integrated; the table shows it divided by the FWHM
  r.iaufhe = 20.0f;
  r.p12 = 0.75f;
  r.absf = 0.8f;
  r.solution = 2.0f;
  r.fwhm = 0.25f;
  r.beta = 12.5f;
  r.psi = -23.4567f;
  const std::string expected = std::string("   1  -2   3") + "  123.46" + " -159.5" + "  17.19" +  //
                               "   7  10  -1" + "    5.50" + "    0.0" + "  28.65" +                  //
                               "      200.00" + "       80.00" + "  0.75" + "  1.25" + "  o-i" +     //
                               " 0.250" + "   12.50" + "  -23.457";
  EXPECT_EQ(event_row(r), expected);
  r.solution = 1.0f;
  EXPECT_EQ(event_row(r).substr(104, 5), "  i-o");

  Io io;
  korva::Run run(io);
  io.listing.open_memory();
  run.par.h = 8, run.par.k = 8, run.par.l = 2;
  run.par.psi1 = -24.5f, run.par.psi2 = -23.5f;
  run.par.drumin = 1.0f;
  run.sc.measured.iprim_obs = 300.0f;
  run.sc.measured.sig_iprim_obs = 30.0f;
  PrimaryReflection prim;
  list_primary(run, prim, 2.0f / 3.0f);
  list_pass_counts(run, 1234, 56789);
  const auto lines = lines_of(io.listing.text());
  const std::string group = "   H   K   L      F     phi  THETA";
  EXPECT_EQ(lines[lines.size() - 6], group + group + "      Ikorva      Iaufhe   p12  abs*       FWHM    BETA     PSI");
  EXPECT_EQ(lines[lines.size() - 5], "");
  EXPECT_EQ(lines[lines.size() - 8], " Multiple diffraction-events with intensity greater than    1.0000");
  EXPECT_EQ(lines[6], " measured intensity   of the primary reflection:      200.00 +/-    20.00  in the psi-interval:   -24.500   -23.500");
  EXPECT_EQ(lines[lines.size() - 2],
            " Number of events in a 360 degree scan (extinct/non extinct)                    :   1234");
  EXPECT_EQ(lines[lines.size() - 1],
            " Number of operative reflections (Prager formula)                               :  56789");
}

TEST(CalculatedScan, ExtremaTakeTheLaterPointAndNegativeMinimumCountsAsZero) {
  Io io;
  korva::Run run(io);
  run.par.psia = 10.0f;
  run.par.zsw1 = 2.0f;
  run.sc.aint = {5.0f, 3.0f, 5.0f, 3.0f};
  run.sc.iprim_calc = 1.0f;
  complete_calculated_scan(run);
  EXPECT_EQ(run.sc.aint, (std::vector<float>{6.0f, 4.0f, 6.0f, 4.0f}));
  EXPECT_EQ(run.sc.cmax, 6.0f);
  EXPECT_EQ(run.sc.psi_cmax, 11.0f);
  EXPECT_EQ(run.sc.cmin, 4.0f);
  EXPECT_EQ(run.sc.psi_cmin, 11.5f);

  run.sc.aint = {-10.0f, 2.0f};
  complete_calculated_scan(run);
  EXPECT_EQ(run.sc.cmin, 0.0f);
  EXPECT_EQ(run.sc.psi_cmin, 10.0f);

  // Without a simulation the scan stays at zero.
  run.par.zsw1 = -2.0f;
  run.sc.aint = {0.0f, 0.0f};
  complete_calculated_scan(run);
  EXPECT_EQ(run.sc.aint, (std::vector<float>{0.0f, 0.0f}));
}

TEST(CalculatedScan, FileHasOneLinePerPointNegativeValuesAsZeroMeasuredWhereThereIsOne) {
  Io io;
  korva::Run run(io);
  run.par.psia = 10.0f;
  run.par.zsw1 = 2.0f;
  run.sc.aint = {-1.5f, 2.25f, 0.0f};
  run.sc.measured.aintm = {kNoMeasurement, 5.5f, 2.0e20f};
  OutUnit cal;
  cal.open_memory();
  write_cal_file(run, cal);
  EXPECT_EQ(cal.text(), "    10.000              0.0000\n"
                        "    10.500              2.2500              5.5000\n"
                        "    11.000              0.0000\n");
}

// A run through the passes and the end with the given line 6.
std::string run_to_end(const std::string& line6, std::string& cal, int& iostat, std::string* ps = nullptr) {
  testing::CrystalLines c;
  c.cell = "9.5 9.5 9.5 90 90 90";
  c.radiation = "Mo";
  c.line6 = line6;
  testing::PreparedRun pr(c);
  EXPECT_TRUE(pr.ok) << pr.listing();
  SearchOptions opt;
  opt.threads = 2;
  opt.structure_factor = [](int h, int k, int l, float, std::vector<std::string>*) {
    return testing::patterned_factor(h, k, l);
  };
  EXPECT_TRUE(compute_passes_with(pr.run, opt));
  std::string calname;
  finish_run(pr.run, pr.dname2, calname, pr.dname1);
  EXPECT_EQ(trim_right(calname), "test.cal");
  cal = pr.io.cal.text();
  iostat = pr.io.iostat;
  if (ps) *ps = pr.io.ps.text();
  return pr.io.listing.text();
}

TEST(EndOfRun, WithoutSimulationTheFileHoldsZerosAndNoPlotIsMade) {
  std::string cal, ps;
  int iostat = 0;
  const std::string listing = run_to_end("-30 -10 -20 0 5 0", cal, iostat, &ps);
  EXPECT_LE(iostat, 0);
  EXPECT_EQ(ps.find("showpage"), std::string::npos);  // no page drawn
  const auto lines = lines_of(cal);
  ASSERT_EQ(lines.size(), 401u);
  for (const std::string& l : lines) EXPECT_EQ(l.substr(10), "              0.0000") << l;
  EXPECT_EQ(lines.front().substr(0, 10), "   -30.000");
  EXPECT_EQ(listing.find("Maximum calculated intensity"), std::string::npos);
  EXPECT_NE(listing.find("\n\n\n The number of multiple diffraction events with intensities > 0.01 times drumin is zero!\n"
                         " No graphical output is produced.\n"
                         " Please decrease drumin on the seventh input line\n"),
            std::string::npos);
  EXPECT_NE(listing.find(" Scan calculated for\n psia                        : -30.000\n"
                         " psie                        : -10.000\n"),
            std::string::npos);
}

TEST(EndOfRun, SummaryOfASimulatedScan) {
  std::string cal, ps;
  int iostat = 0;
  const std::string listing = run_to_end("-30 -10 20 0 5 0", cal, iostat, &ps);
  EXPECT_LE(iostat, 0);
  EXPECT_NE(ps.find("showpage"), std::string::npos);
  const auto lines = lines_of(cal);
  ASSERT_EQ(lines.size(), 401u);
  // The maximum line names the largest value of the file.
  double top = 0.0;
  std::string at;
  for (const std::string& l : lines) {
    const double v = std::stod(l.substr(10));
    if (v >= top) {
      top = v;
      at = l.substr(0, 10);
    }
  }
  const std::size_t pos = listing.find(" Maximum calculated intensity                    (cps)    :");
  ASSERT_NE(pos, std::string::npos);
  const std::string max_line = listing.substr(pos, listing.find('\n', pos) - pos);
  EXPECT_NEAR(std::stod(max_line.substr(59, 10)), top, 0.006);
  EXPECT_EQ(max_line.substr(81), at.substr(2));
  EXPECT_NE(listing.find(" (K-alpha1 + K-alpha2) with intensity > " + E(0.05, 10, 2) + " : "), std::string::npos);
  EXPECT_NE(listing.find(" phase shift interval factor :    0\n"), std::string::npos);
}

TEST(EndOfRun, NegativeDruminTakesEveryEventAndPrintsNone) {
  std::string cal;
  int iostat = 0;
  const std::string listing = run_to_end("-30 -10 20 0 -1 0", cal, iostat);
  EXPECT_LE(iostat, 0);
  EXPECT_EQ(cal.find('*'), std::string::npos);
  EXPECT_EQ(cal.find("nan"), std::string::npos);
  EXPECT_EQ(listing.find("  i-o"), std::string::npos);
  EXPECT_NE(listing.find(" (K-alpha1 + K-alpha2) with intensity > " + E(-0.01, 10, 2) + " : "), std::string::npos);
}

}  // namespace
}  // namespace korva
