// The page of a run, drawn from a synthetic run state, checked against the
// PostScript statements the layout requires, and rendered with Ghostscript.
#include "plot/page.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "plot/export.hpp"
#include "ps_check.hpp"
#include "support/format.hpp"
#include "synthetic_scan.hpp"

namespace korva {
namespace {

using testing::find_line;
using testing::MemoryRun;
using testing::render_errors;

constexpr float kPi = 3.14159265f;

bool has_number_trouble(const std::string& text) {
  return text.find("nan") != std::string::npos || text.find("inf") != std::string::npos;
}

TEST(RealisticPage, RendersAndCanBeKeptForInspection) {
  MemoryRun m;
  testing::fill_si222(m.run);
  ASSERT_GT(m.run.sc.nplot, 3);
  m.draw("12 . 03 . 26", "14 . 05 . 09");
  const std::string ps = m.io.ps.text();
  const auto lines = m.ps_lines();
  EXPECT_EQ(lines.back(), "showpage");
  EXPECT_FALSE(has_number_trouble(ps));
  EXPECT_EQ(render_errors(ps), "");
  EXPECT_NE(find_line(lines, "(Si \\(222\\), synchrotron radiation 1.2 A, 4% band" + std::string(34, ' ') + ") s"), -1);
  EXPECT_NE(find_line(lines, "(1.2000) s"), -1);
  EXPECT_NE(find_line(lines, "(14 . 05 . 09) s"), -1);

  // KORVA_DEMO_DIR keeps the page, with its PNG, for a look by eye.
  if (const char* dir = std::getenv("KORVA_DEMO_DIR")) {
    const std::string file = std::string(dir) + "/si222-page.ps";
    std::ofstream(file, std::ios::binary) << ps;
    const ExportResult png = export_page(file, PageFormat::Png);
    EXPECT_TRUE(png.ok || png.gs_missing) << png.message;
  }
}

// Four calculated points over psi 0..3 (x 1, 7.67, 14.33, 21 cm), no
// measured scan, no events.
void small_run(Run& run) {
  Params& p = run.par;
  p.title = pad("small", 80);
  p.psia = 0.0f;
  p.psie = 3.0f;
  p.zsw1 = 1.0f;
  p.nstep = 3;
  p.idesy = kSynchrotron1;
  p.indicator = "dl";
  p.alam1 = 1.0f;
  p.dlam1 = 0.1f;
  p.lam_min = 0.95f;
  p.lam_max = 1.05f;
  p.radius = 9.5f;
  p.nnn = 0;
  p.drumin = 1.0f;
  run.sc.aint = {100, 150, 200, 125};
  run.sc.cmin = 100;
  run.sc.cmax = 200;
  run.sc.iprim_calc = 150;
}

std::string draw(MemoryRun& m) {
  m.draw("01 . 02 . 03", "04 . 05 . 06");
  const std::string ps = m.io.ps.text();
  EXPECT_FALSE(has_number_trouble(ps));
  EXPECT_EQ(render_errors(ps), "");
  return ps;
}

// The lines of the calculated curve: from its first point to its "st".
std::vector<std::string> curve_after(const std::vector<std::string>& lines, const std::string& first) {
  const int at = find_line(lines, first);
  const int end = find_line(lines, "st", at);
  if (at < 0 || end < 0) return {};
  return {lines.begin() + at, lines.begin() + end};
}

TEST(ScanPanel, CalculatedCurveFillsTheWholePanelWithoutMeasurement) {
  MemoryRun m;
  small_run(m.run);
  const std::string ps = draw(m);
  const auto lines = m.ps_lines();
  // y = 4.8 + 14 (I - Imin) / (Imax - Imin): 4.8, 11.8, 18.8, 8.3 cm.
  EXPECT_EQ(curve_after(lines, "    28.3   136.1 m"),
            (std::vector<std::string>{"    28.3   136.1 m",
                                      "   217.3   334.5 l   406.3   532.9 l   595.3   235.3 l"}));
  EXPECT_EQ(ps.find("Imax-obs"), std::string::npos);
  EXPECT_EQ(ps.find("Imin-obs"), std::string::npos);
  EXPECT_EQ(ps.find("I-obs"), std::string::npos);
  const int title = find_line(lines, "(I-calc \\(cps\\)) s");
  ASSERT_GE(title, 2);
  EXPECT_EQ(lines[title - 2], "    19.8   439.4 m");
  EXPECT_EQ(lines[title - 1], "   90.00 rotate");
  // The primary level (150) and its marks, at 11.8 cm.
  const int mark = find_line(lines, "    19.8   334.5 m");
  ASSERT_GE(mark, 0);
  const std::vector<std::string> want = {"    19.8   334.5 m", "    28.3   334.5 l st ", "    -8.5   334.5 m",
                                         "(Iprim) s",          "   595.3   334.5 m",     "   603.8   334.5 l st "};
  EXPECT_EQ(std::vector<std::string>(lines.begin() + mark, lines.begin() + mark + 6), want);
  EXPECT_NE(find_line(lines, "(Imax ) s"), -1);
  EXPECT_NE(find_line(lines, "(Imin ) s"), -1);
}

TEST(ScanPanel, ZoomClipsTheCurveButTheHeaderKeepsTheTrueMaximum) {
  MemoryRun m;
  small_run(m.run);
  m.run.par.zeimax = 150.0f;
  draw(m);
  const auto lines = m.ps_lines();
  // 150 and 200 both at the top (18.8 cm), 125 half way (11.8 cm).
  EXPECT_EQ(curve_after(lines, "    28.3   136.1 m").at(1), "   217.3   532.9 l   406.3   532.9 l   595.3   334.5 l");
  const int label = find_line(lines, "(Imax-calc\\(cps\\):) s");
  ASSERT_GE(label, 0);
  EXPECT_EQ(lines[label + 1], " 717.2 175.7 m");
  EXPECT_EQ(lines[label + 2], "(   200.00) s");
}

TEST(ScanPanel, MeasuredCurveAboveTheCalculatedOne) {
  MemoryRun m;
  small_run(m.run);
  m.run.par.scan_flag = 1;
  m.run.sc.measured.aintm = {kNoMeasurement, 20, 40, 30};
  m.run.sc.measured.omin = 20;
  m.run.sc.measured.omax = 40;
  m.run.sc.measured.iprim_obs = 10;  // below the minimum: no mark
  m.run.sc.psi_shift = -1;
  const std::string ps = draw(m);
  const auto lines = m.ps_lines();
  // Calculated: y = 4.8 + 7 (I - Imin) / (Imax - Imin).
  EXPECT_EQ(curve_after(lines, "    28.3   136.1 m").at(1), "   217.3   235.3 l   406.3   334.5 l   595.3   185.7 l");
  // Measured, one step to the left, red: y = 12.8 + 7 (I - 20) / 20.
  const int red = find_line(lines, " 1 0 0 setrgbcolor", find_line(lines, "(Iprim-obs \\(cps\\):) s"));
  ASSERT_GE(red, 0);
  const std::vector<std::string> want = {" 1 0 0 setrgbcolor", "    28.3   362.8 m", "   217.3   561.3 l",
                                         "   406.3   462.0 l", "st",                 " 0 0 0 setrgbcolor"};
  EXPECT_EQ(std::vector<std::string>(lines.begin() + red, lines.begin() + red + 6), want);
  // The marks of the measured band: Imax at 2H + 5.8 = 19.8 cm, Imin at H + 5.8 = 12.8 cm.
  const int imin = find_line(lines, "    19.8   362.8 m");
  ASSERT_GE(imin, 0);
  EXPECT_EQ(lines[imin + 3], "(Imin ) s");
  EXPECT_EQ(lines[find_line(lines, "    19.8   561.3 m") + 3], "(Imax ) s");
  int iprim = 0;
  for (const auto& l : lines) iprim += l == "(Iprim) s";
  EXPECT_EQ(iprim, 1);
  const int title = find_line(lines, "(I-obs \\(cps\\) ) s");
  ASSERT_GE(title, 2);
  EXPECT_EQ(lines[title - 2], "    19.8   439.4 m");
  EXPECT_NE(find_line(lines, "    19.8   212.6 m"), -1);  // I-calc title at 7.5 cm
  EXPECT_NE(ps.find("(Imax-obs \\(cps\\):) s"), std::string::npos);
}

TEST(ScanPanel, FlatMeasuredScanSitsOnTheBottomOfItsBand) {
  MemoryRun m;
  small_run(m.run);
  m.run.par.scan_flag = 1;
  m.run.sc.measured.aintm = {30, 30, 30, 30};
  m.run.sc.measured.omin = m.run.sc.measured.omax = 30;
  m.run.sc.measured.iprim_obs = 30;
  draw(m);
  const auto lines = m.ps_lines();
  const int red = find_line(lines, " 1 0 0 setrgbcolor", find_line(lines, "(Iprim-obs \\(cps\\):) s"));
  ASSERT_GE(red, 0);
  const std::vector<std::string> want = {"    28.3   362.8 m", "   217.3   362.8 l", "   406.3   362.8 l",
                                         "   595.3   362.8 l"};
  EXPECT_EQ(std::vector<std::string>(lines.begin() + red + 1, lines.begin() + red + 5), want);
}

TEST(Header, RowsDependOnTheRun) {
  MemoryRun m;
  small_run(m.run);
  draw(m);
  auto lines = m.ps_lines();
  EXPECT_EQ(lines[find_line(lines, "(Date:) s") + 1], "   666.1   566.9 m");
  EXPECT_EQ(lines[find_line(lines, "(Date:) s") + 2], "(01 . 02 . 03) s");
  EXPECT_EQ(lines[find_line(lines, "(Time:) s") + 2], "(04 . 05 . 06) s");
  // nnn = 0 is said one row lower than the nnn value would stand.
  EXPECT_EQ(lines[find_line(lines, "(without interference term,) s") - 1], "   623.6   238.1 m");
  EXPECT_EQ(find_line(lines, "(nnn           ) s"), -1);
  EXPECT_EQ(lines[find_line(lines, "(mosaic-radius ) s") + 2], "(9.500) s");
  // The mean wavelength of a band, to 4 decimals.
  EXPECT_EQ(lines[find_line(lines, " 652.0 496.1 m") + 1], "(1.0000) s");

  MemoryRun t;
  small_run(t.run);
  t.run.par.nnn = 3;
  t.run.par.radius = 12.0f;
  t.run.par.idesy = kTube;
  t.run.par.indicator = "Cu";
  draw(t);
  lines = t.ps_lines();
  const int nnn = find_line(lines, "(nnn           ) s");
  ASSERT_GE(nnn, 1);
  EXPECT_EQ(lines[nnn - 1], "   623.6   243.8 m");
  EXPECT_EQ(lines[nnn + 2], "(   3.) s");
  EXPECT_EQ(find_line(lines, "(without interference term,) s"), -1);
  EXPECT_EQ(lines[find_line(lines, "(mosaic-radius ) s") + 2], "(  12.) s");
  EXPECT_EQ(lines[find_line(lines, "   652.0   496.1 m") + 1], "(Cu) s");
}

TEST(Header, HugeMaximumIsReportedInTheListing) {
  MemoryRun m;
  small_run(m.run);
  m.run.sc.cmax = 2.0e7f;
  m.run.sc.aint = {100, 2.0e7f, 200, 125};
  draw(m);
  EXPECT_EQ(m.out.notes, std::vector<std::string>{"the number is to large"});
}

TEST(Header, TitleWithParenthesesAndBackslashRenders) {
  const std::string title = "YIG (444) \\ 1:1 :-)";
  MemoryRun m;
  small_run(m.run);
  m.run.par.title = pad(title, 80);
  draw(m);
  const auto lines = m.ps_lines();
  const int at = find_line(lines, "(YIG \\(444\\) \\\\ 1:1 :-\\)" + std::string(61, ' ') + ") s");
  ASSERT_GE(at, 1);
  EXPECT_EQ(lines[at - 1], "    28.3   581.1 m");
  // Written as it stands, the same title breaks the page.
  std::string raw = m.io.ps.text();
  raw.replace(raw.find("(YIG"), 1 + 23 + 61, "(" + pad(title, 80));
  EXPECT_NE(render_errors(raw), "") << "the render check must catch an unbalanced string";
}

TEST(Header, DegenerateRangesWriteNoInvalidNumbers) {
  MemoryRun m;
  small_run(m.run);
  m.run.par.psie = m.run.par.psia;
  m.run.par.lam_max = m.run.par.lam_min;
  m.run.par.nstep = 0;
  m.run.sc.aint = {100};
  m.run.sc.cmax = m.run.sc.cmin = 100;
  m.run.sc.plot_events = {{0.1f, 0.1f, 0.3f, 0.1f, 0.05f, 0.0f}};
  m.run.sc.nplot = m.run.sc.ntot = 1;
  draw(m);
}

// The last point of a line of line-to groups ("xxxxxxyyyyyy l").
std::string last_group(const std::string& line) { return line.size() >= 14 ? line.substr(line.size() - 14) : line; }

// An event whose two solutions stay at psi_G -+ 90 degrees over the band
// (|G|^2 = H.G makes u = 0).
std::array<float, 6> vertical_event(float psi_g_deg, float cls) {
  return {psi_g_deg * kPi / 180.0f, 0.1f, 0.3f, 0.1f, 0.05f, cls};
}

void diagram_run(Run& run, int idesy, float psia, float psie) {
  small_run(run);
  run.par.idesy = idesy;
  run.par.psia = psia;
  run.par.psie = psie;
  run.par.nstep = static_cast<int>(psie - psia);
  run.sc.aint.assign(static_cast<std::size_t>(run.par.nstep) + 1, 120.0f);
}

TEST(Diagram, SynchrotronScansFrom0To360ShowNegativePsiAbove180) {
  MemoryRun m;
  diagram_run(m.run, kSynchrotron1, 0.0f, 360.0f);
  m.run.sc.plot_events = {vertical_event(-120.0f, 0.0f)};  // psi -30 and 150
  m.run.sc.nplot = m.run.sc.ntot = 1;
  draw(m);
  const auto lines = m.ps_lines();
  // -30 is drawn at 330: x = 1 + 330/18 cm; 150 at x = 1 + 150/18 cm.  The
  // branches end on the top edge less than 18 cm apart and are joined.
  const int join = find_line(lines, "   548.0   127.6 m");
  ASSERT_GE(join, 0);
  EXPECT_EQ(lines[join + 1], "   264.6   127.6 l st ");
  EXPECT_EQ(lines[join + 2], " 548.0  70.9 m");
  const int minus = find_line(lines, " 264.6  70.9 m", join);
  ASSERT_GT(minus, join);
  EXPECT_EQ(lines[minus - 1], "st");
  EXPECT_EQ(last_group(lines[minus - 2]), " 548.0 127.6 l");

  // A tube scan keeps -30 outside 0..360: only the 150 branch is drawn.
  MemoryRun t;
  diagram_run(t.run, kTube, 0.0f, 360.0f);
  t.run.sc.plot_events = {vertical_event(-120.0f, 0.0f)};
  t.run.sc.nplot = t.run.sc.ntot = 1;
  draw(t);
  const auto tube = t.ps_lines();
  EXPECT_EQ(find_line(tube, " 548.0  70.9 m"), -1);
  EXPECT_EQ(find_line(tube, "   548.0   127.6 m"), -1);
  const int branch = find_line(tube, " 264.6  70.9 m");
  ASSERT_GE(branch, 0);
  EXPECT_EQ(last_group(tube[find_line(tube, "st", branch) - 1]), " 264.6 127.6 l");
}

TEST(Diagram, EndInsideThePanelGoesToTheNearerSide) {
  // psi_G = -95: one solution at psi -5 (x = 10.5 cm on a -100..100 scan),
  // the other at 175, outside.  G leaves the limiting sphere at
  // lambda = 2/sqrt(3.5) = 1.069, inside the band 1.0..1.2: the curve ends
  // in the panel, 9.5 cm from the left side and 10.5 cm from the right.
  MemoryRun m;
  diagram_run(m.run, kSynchrotron1, -100.0f, 100.0f);
  m.run.par.lam_min = 1.0f;
  m.run.par.lam_max = 1.2f;
  m.run.sc.plot_events = {{-95.0f * kPi / 180.0f, 3.5f, 1.0f, 3.5f, 0.5f, 0.0f}};
  m.run.sc.nplot = m.run.sc.ntot = 1;
  draw(m);
  const auto lines = m.ps_lines();
  const int start = find_line(lines, " 297.6  70.9 m");
  ASSERT_GE(start, 0);
  const int end = find_line(lines, "st", start);
  ASSERT_GT(end, start + 1);
  const std::string group = last_group(lines[end - 1]);
  EXPECT_EQ(group.substr(0, 6), "  28.3");
  // lambda = 1.069 lies at 2.5 + 0.069 / 0.1 = 3.19 cm.
  EXPECT_NEAR(std::stod(group.substr(6, 6)), 3.19 * 28.34645, 1.0);
  EXPECT_EQ(find_line(lines, " 297.6  70.9 m", start + 1), -1);
}

TEST(Diagram, EveryEventSetsItsDashAlsoWhenNothingIsDrawn) {
  MemoryRun m;
  diagram_run(m.run, kSynchrotron1, 0.0f, 360.0f);
  m.run.sc.plot_events = {
      {0.0f, 10.0f, 0.3f, 0.1f, 0.05f, 3.0f},  // |G|^2 > 4/lambda^2 over the whole band
      vertical_event(100.0f, 2.0f),            // psi 10 and 190
  };
  m.run.sc.nplot = 2;
  m.run.sc.ntot = 7;
  draw(m);
  const auto lines = m.ps_lines();
  const int first = find_line(lines, "[5 3] 0 setdash");
  ASSERT_GE(first, 0);
  EXPECT_EQ(lines[first + 1], "[6 4 2 4] 0 setdash");
  EXPECT_EQ(lines[first + 2], "[2 3] 0 setdash");
  // psi 190 (x = 11.56 cm) and 10 (x = 1.56 cm), joined at the top.
  EXPECT_EQ(lines[first + 3], "   327.6   127.6 m");
  EXPECT_EQ(lines[first + 4], "    44.1   127.6 l st ");
  EXPECT_NE(find_line(lines, "(Events with I\\(cps\\) >) s"), -1);
}

TEST(Diagram, TubeBandEdgesOfTheTwoLines) {
  MemoryRun m;
  small_run(m.run);
  m.run.par.idesy = kTube;
  m.run.par.indicator = "Cu";
  m.run.par.alam1 = 1.0f;
  m.run.par.dlam1 = 0.1f;
  m.run.par.alam2 = 1.1f;
  m.run.par.dlam2 = 0.1f;
  m.run.par.lam_min = 0.95f;
  m.run.par.lam_max = 1.1f + 0.5f * 1.1f * 0.1f;
  draw(m);
  const auto lines = m.ps_lines();
  const int solid = find_line(lines, "[5 0] 0 setdash");
  ASSERT_GE(solid, 0);
  // lambda_min + 2 w1 = 1.05 and lambda_max - 2 w2 = 1.045 in a band of 0.205.
  const std::vector<std::string> want = {"    28.3    98.5 m", "   595.3    98.5 l st ", "    28.3    97.1 m",
                                         "   595.3    97.1 l st ", "[5 3] 0 setdash"};
  EXPECT_EQ(std::vector<std::string>(lines.begin() + solid + 1, lines.begin() + solid + 6), want);
}

}  // namespace
}  // namespace korva
