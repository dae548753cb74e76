#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "scan/run.hpp"
#include "scan/stages.hpp"
#include "testing/run_text.hpp"

namespace korva {
namespace {

using testing::last_line;
using testing::run_text;

// A crystal given by one explicit operator and no atoms or tables: it needs
// nothing of the scattering tables, so every input line can be tested alone.
std::vector<std::string> minimal_input() {
  return {"Test crystal",
          "test.ps",
          "5.0 5.0 5.0 90 90 90",
          "Cu",
          "0.1 0.1 100 10 0.01",
          "-10 10 10 0 1 0",
          "231 0 0",
          "2 1",
          "0 1 0 0  0 0 1 0  0 0 0 1",
          "1 1 1 1.5 0 0 0"};
}

std::string join(const std::vector<std::string>& lines, std::size_t n = std::string::npos) {
  std::string text;
  for (std::size_t i = 0; i < lines.size() && i < n; ++i) text += lines[i] + "\n";
  return text;
}

bool contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

// Runs only the input phase, keeping the run state for inspection.
struct InputPhase {
  Io io;
  Run run{io};
  bool ok = false;
  std::string dname2 = std::string(72, ' '), dname1 = std::string(72, ' ');
  explicit InputPhase(const std::string& text) {
    io.in_memory = true;
    io.input.open_text(text);
    io.listing.open_memory();
    ok = read_input(run, dname2, dname1);
  }
  std::string listing() const { return io.listing.text(); }
};

TEST(InputReadErrors, EachLineMissingGivesItsMessageAndEndsTheRun) {
  const std::vector<std::string> lines = minimal_input();
  const char* which[] = {"first line", "second line", "third line", "fourth line",
                         "fifth line", "sixth line",  "seventh line", "symmetry information lines"};
  for (std::size_t cut = 0; cut < 8; ++cut) {
    const auto r = run_text(join(lines, cut));
    EXPECT_EQ(last_line(r.listing), std::string("read-error in the ") + which[cut] + " of the input-file")
        << "input cut after " << cut << " lines";
    EXPECT_GT(r.iostat, 0);
  }
  // An operator cut short, and a table, an atom or the primary line missing.
  auto r = run_text(join(lines, 8) + "0 1 0 0  0 0 1\n");
  EXPECT_EQ(last_line(r.listing), "read-error in the symmetry information lines of the input-file");
  std::vector<std::string> with_table = lines;
  with_table[6] = "231 0 1";
  r = run_text(join(with_table, 9));
  EXPECT_EQ(last_line(r.listing), "read-error in the chemical symbol lines of the input-file");
  std::vector<std::string> with_atom = lines;
  with_atom[6] = "231 1 0";
  r = run_text(join(with_atom, 9) + "1 1. 0 0 0\n0 0 0\n");
  EXPECT_EQ(last_line(r.listing), "read-error in the atom parameter lines of the input-file");
  r = run_text(join(lines, 9));
  EXPECT_EQ(last_line(r.listing), "read-error in the primary reflection line of the input-file");
  r = run_text(join(lines) + "0.1 0 0 0 0.1 0 0 0 zero\n");
  EXPECT_EQ(last_line(r.listing), "read-error in the ub-matrix lines of the input-file");
  EXPECT_GT(r.iostat, 0);
}

TEST(InputReadErrors, MessagesFollowTwoEmptyLines) {
  const auto r = run_text(join(minimal_input(), 3));
  EXPECT_TRUE(contains(r.listing, "\n\n\nread-error in the fourth line of the input-file\n"));
}

TEST(InputValues, LettersGarbageAndEmptyFilesEndTheRunWithoutHarm) {
  for (const std::string& text :
       {std::string(), std::string("\n"), std::string("\x01\x02\xff\xfe\0\n\n\n\n\n", 10),
        std::string("t\np.ps\nabc def\n"), std::string("t\np.ps\n1 1 1 90 90 90\nCu\nx y z\n")}) {
    const auto r = run_text(text);
    EXPECT_GT(r.iostat, 0);
    const std::string last = last_line(r.listing);
    EXPECT_TRUE(contains(last, "read-error") || last == " check your input!") << last;
  }
}

TEST(InputValues, ImpossibleSizesGiveTheAllocationMessage) {
  std::vector<std::string> lines = minimal_input();
  for (const char* sizes : {"231 2000000000 1", "231 5 2000000000", "231 -3 1"}) {
    lines[6] = sizes;
    const auto r = run_text(join(lines));
    EXPECT_TRUE(contains(r.listing, "\n\n\n Dynamical array allocation failed\n"
                                    " Number of atoms is to large\n"
                                    " Please contact the author of KORVA-xx!\n"))
        << sizes;
    EXPECT_GT(r.iostat, 0);
  }
  lines = minimal_input();
  lines[5] = "-10 10 1e9 0 1 0";
  const auto r = run_text(join(lines));
  EXPECT_TRUE(contains(r.listing, " Dynamical array allocation failed\n"
                                  " Number of steps = (psie - psia)*zsw is to large\n"
                                  " Please reduce the number of steps in your input file!\n"));
}

TEST(InputValues, ValuesWithoutMeaningAreRefusedAtTheirLine) {
  // Each refusal ends the listing with its two lines, after two empty lines.
  const auto refused = [](const std::vector<std::string>& lines, const std::string& fault, const std::string& rule) {
    const auto r = run_text(join(lines));
    EXPECT_GT(r.iostat, 0);
    EXPECT_TRUE(r.listing.ends_with("\n\n\n" + fault + "\n" + rule + "\n")) << fault << "\n" << r.listing;
  };
  std::vector<std::string> lines = minimal_input();
  lines[6] = "231 2 1";
  lines[8] = "0 1 0 0  0 0 1 0  0 0 0 1\nNa\n1 0.5 0 0 0\n0 0 0 0 0 0";
  lines.insert(lines.begin() + 9, "1 0.5 0.5 0.5 0.5\n0 0 0 0 0 0");
  ASSERT_TRUE(InputPhase(join(lines)).ok);
  for (const char* fnr : {"0", "2", "1.5", "-1", "1e30"}) {
    std::vector<std::string> bad = lines;
    bad[9] = std::string(fnr) + " 0.5 0.5 0.5 0.5\n0 0 0 0 0 0";
    refused(bad, " The table number of atom    2 names no scattering-factor table", " ( fnr = 1, 2, ... nf with nf =    1 )");
  }
  for (const char* afact : {"0", "-0.5"}) {
    std::vector<std::string> bad = lines;
    bad[9] = std::string("1 ") + afact + " 0.5 0.5 0.5\n0 0 0 0 0 0";
    refused(bad, " The multiplier afact of atom    2 is not positive", " ( afact > 0 )");
  }

  lines = minimal_input();
  lines[5] = "-10 10 0 0 1 0";
  refused(lines, " The number of steps per degree zsw1 is zero", " ( zsw1 > 0: scan calculated, zsw1 < 0: events only )");
  lines[5] = "-10 10 -10 0 1 0";
  EXPECT_TRUE(InputPhase(join(lines)).ok);  // events without a scan

  lines[4] = "0 0 100 10 0";  // no divergence and no mosaic spread: a valid ideal case
  EXPECT_TRUE(InputPhase(join(lines)).ok);
  for (const auto& [line5, name] : {std::pair{"-0.1 0.1 100 10 0.01", "divergence diverp"},
                                    std::pair{"0.1 -0.1 100 10 0.01", "divergence divers"},
                                    std::pair{"0.1 0.1 100 10 -0.01", "mosaic spread eta"}}) {
    lines[4] = line5;
    refused(lines, std::string(" The ") + name + " on the fifth line is negative", " ( diverp, divers, eta >= 0 )");
  }
}

TEST(InputValues, CellsDenserThanAnySolidAreRefused) {
  // 100 000 atoms on one site of P 1: in a 5 A cube 800 per A**3, in a 50 A
  // cube 0.8.
  std::vector<std::string> lines = minimal_input();
  lines[6] = "231 1 1";
  lines[8] = "0 1 0 0  0 0 1 0  0 0 0 1\nNa\n1 100000 0.1 0.2 0.3\n0 0 0 0 0 0";
  const auto r = run_text(join(lines));
  EXPECT_GT(r.iostat, 0);
  EXPECT_TRUE(r.listing.ends_with("\n\n\n The cell holds     800.000 atoms per A**3\n"
                                  " ( at most 1.000 ), check na and the multipliers afact\n"))
      << r.listing;
  lines[2] = "50 50 50 90 90 90";
  InputPhase large(join(lines));
  EXPECT_TRUE(large.ok) << large.listing();
}

TEST(InputValues, SearchSizeIsEstimatedBeforeAnythingIsSearched) {
  std::vector<std::string> lines = minimal_input();
  const auto refused = [&](const char* cell, const std::string& sphere, const std::string& box) {
    lines[2] = cell;
    const auto r = run_text(join(lines));
    EXPECT_GT(r.iostat, 0);
    EXPECT_TRUE(r.listing.ends_with("\n\n\n The event search is too large for the cell on the third line:\n" + sphere +
                                    " points in the limiting sphere (at most  0.10E+10)\n" + box +
                                    " points in the range of h, k, l (at most  0.40E+10)\n"))
        << r.listing;
  };
  // (4/3) pi (2/1.540598)^3 V, and the product of 2 INT(2a/lambda) + 1.
  refused("5 5 1e30 90 90 90", "  0.23E+33", "  0.44E+33");
  refused("1000 1000 1000 90 90 90", "  0.92E+10", "  0.18E+11");
  // A long thin cell: a sphere of 3.7E+08 points, but h from -5.2E+09 to 5.2E+09.
  refused("4e9 0.1 0.1 90 90 90", "  0.37E+09", "  0.10E+11");
  lines[2] = "300 300 300 90 90 90";
  EXPECT_TRUE(InputPhase(join(lines)).ok);
}

TEST(InputValues, MonochromatorIndicesAreSquaredWithoutOverflow) {
  // 65536^2 does not fit an int; the reflection lies far outside the sphere.
  std::vector<std::string> lines = minimal_input();
  lines[3] = "1 0.5612  5.43 65536 1 1 58.19";
  EXPECT_EQ(last_line(run_text(join(lines)).listing), "read-error in the fourth line of the input-file");
  lines[3] = "1 0.5612  5.43 1 1 1 58.19";
  EXPECT_TRUE(InputPhase(join(lines)).ok);
}

TEST(InputValues, ExplicitWavelengthsAreOrderedShortestFirst) {
  std::vector<std::string> lines = minimal_input();
  lines[3] = "0.71359 0.00045 0.5 0.7093 0.00041 1.0";
  InputPhase phase(join(lines));
  ASSERT_TRUE(phase.ok) << phase.listing();
  const Params& p = phase.run.par;
  EXPECT_FLOAT_EQ(p.alam1, 0.7093f);
  EXPECT_FLOAT_EQ(p.dlam1, 0.00041f);
  EXPECT_FLOAT_EQ(p.flam1, 1.0f);
  EXPECT_FLOAT_EQ(p.alam2, 0.71359f);
  EXPECT_FLOAT_EQ(p.flam2, 0.5f);
  EXPECT_EQ(p.indicator, "dl");
  EXPECT_EQ(p.idesy, 0);
  EXPECT_FLOAT_EQ(p.lam_min, 0.7093f - 0.5f * 0.7093f * 0.00041f);
  EXPECT_FLOAT_EQ(p.lam_max, 0.71359f + 0.5f * 0.71359f * 0.00045f);
}

TEST(InputValues, RadiationKindsSetWavelengthIntensityAndPolarization) {
  std::vector<std::string> lines = minimal_input();
  lines[3] = "Cu anything after the symbol is ignored";
  InputPhase cu(join(lines));
  ASSERT_TRUE(cu.ok);
  EXPECT_FLOAT_EQ(cu.run.par.alam1, 1.540598f);
  EXPECT_FLOAT_EQ(cu.run.par.alam2, 1.544426f);
  EXPECT_EQ(cu.run.par.indicator, "Cu");
  EXPECT_FLOAT_EQ(cu.run.par.i0, 2.0e9f);
  EXPECT_FLOAT_EQ(cu.run.par.cad_pm, 0.89423f);

  lines[3] = "1 0.5612  5.43 1 1 1 58.19";
  lines[5] = "176. 179. 1000. 8 10. 0.";
  InputPhase sync(join(lines));
  ASSERT_TRUE(sync.ok) << sync.listing();
  const Params& p = sync.run.par;
  EXPECT_EQ(p.idesy, 1);
  EXPECT_FLOAT_EQ(p.pol, 1.0f);
  EXPECT_FLOAT_EQ(p.i0, 1.0e10f);
  // Si 111 monochromator: Bragg angle and the band from divergence and Darwin width.
  const double dm = 5.43 / std::sqrt(3.0);
  const double theta_m = std::asin(0.5612 / (2 * dm));
  EXPECT_NEAR(p.theta_m, theta_m, 1e-6);
  const double wd = 2 * 58.19 * 2.817938e-5 * dm * dm / (5.43 * 5.43 * 5.43);
  EXPECT_NEAR(p.w_darwin, wd, 1e-9);
  const double band = std::sqrt(std::pow(0.1 * 0.0174533 / std::tan(theta_m), 2) + wd * wd);
  EXPECT_NEAR(p.dlam1, band, 1e-7);

  lines[3] = "3 1.2 0.01";
  lines[5] = "-10 10 10 0 1 0";
  InputPhase neutrons(join(lines));
  ASSERT_TRUE(neutrons.ok);
  EXPECT_EQ(neutrons.run.par.idesy, 3);
  EXPECT_FLOAT_EQ(neutrons.run.par.i0, 1.0e12f);
  // No electron radius in the neutron scale constant.
  EXPECT_NEAR(neutrons.run.par.scale_k, 1.2 * 1000 / 125.0, 1e-4);
  EXPECT_NEAR(cu.run.par.scale_k, 1.540598 * 2.817938 * 1000 / 125.0, 1e-3);
}

TEST(InputValues, PsiRangeLimitsDependOnTheGeometry) {
  std::vector<std::string> lines = minimal_input();
  lines[5] = "-181 10 10 0 1 0";
  auto r = run_text(join(lines));
  EXPECT_EQ(last_line(r.listing), " Psi-range is out of -180. to 180.");
  EXPECT_GT(r.iostat, 0);

  lines[3] = "3 1.2 0.01";
  for (const char* ok : {"10 350 1 0 1 0", "-170 170 1 0 1 0", "0 360 1 0 1 0"}) {
    lines[5] = ok;
    InputPhase phase(join(lines));
    EXPECT_TRUE(phase.ok) << ok;
  }
  lines[5] = "-10 350 1 0 1 0";
  r = run_text(join(lines));
  EXPECT_TRUE(contains(r.listing, "\n\n Psi-range is out of 0. to 360.\n"
                                  "                        or\n"
                                  "                  -180. to 180.\n"));
  EXPECT_GT(r.iostat, 0);
}

TEST(InputValues, AtMostTwentyFourOperators) {
  std::vector<std::string> lines = minimal_input();
  lines.resize(7);
  std::string ops;
  for (int k = 0; k < 24; ++k) ops += "0 1 0 0  0 0 1 0  0 0 0 1\n";
  InputPhase accepted(join(lines) + "2 24\n" + ops + "1 1 1 1.5 0 0 0\n");
  EXPECT_TRUE(accepted.ok) << accepted.listing();
  EXPECT_EQ(accepted.run.cr.sym.ns, 24);
  const auto rejected = run_text(join(lines) + "2 25\n" + ops + ops);
  EXPECT_TRUE(contains(rejected.listing, "\n\n\n The number of symmetry lines is to large\n ( ns <= 24)\n"));
  EXPECT_GT(rejected.iostat, 0);
}

TEST(InputValues, ExplicitOperatorsAreStoredRowByRowAndListed) {
  std::vector<std::string> lines = minimal_input();
  lines[7] = "1 2";
  lines[8] = "0 1 0 0  0 0 1 0  0 0 0 1\n0.5 -1 0 0  0 0 -1 0  0.5 0 0 1";
  InputPhase phase(join(lines));
  ASSERT_TRUE(phase.ok);
  const Symmetry& sym = phase.run.cr.sym;
  EXPECT_EQ(sym.ic, 1);
  EXPECT_EQ(sym.sgsymbol, std::string("P") + std::string(29, ' '));
  // -x+1/2, -y, z+1/2
  EXPECT_EQ(sym.t[1][0], 0.5f);
  EXPECT_EQ(sym.t[1][1], 0.0f);
  EXPECT_EQ(sym.t[1][2], 0.5f);
  EXPECT_EQ(sym.s[1][0][0], -1.0f);
  EXPECT_EQ(sym.s[1][1][1], -1.0f);
  EXPECT_EQ(sym.s[1][2][2], 1.0f);
  EXPECT_EQ(sym.s[1][0][1] + sym.s[1][0][2] + sym.s[1][1][0] + sym.s[1][2][0], 0.0f);
  EXPECT_TRUE(contains(phase.listing(), "   2 symmetry lines:\n"
                                        "    0.000  1.  0.  0.    0.000  0.  1.  0.    0.000  0.  0.  1.\n"
                                        "    0.500 -1.  0.  0.    0.000  0. -1.  0.    0.500  0.  0.  1.\n"));
}

TEST(InputValues, ProvisionalNoticeOnlyAboveTwo) {
  std::vector<std::string> lines = minimal_input();
  lines[9] = "1 1 1 2.0 0 0 0";
  InputPhase two(join(lines));
  ASSERT_TRUE(two.ok);
  EXPECT_FALSE(contains(two.listing(), "larger than 2"));
  EXPECT_EQ(two.run.par.title.substr(0, 12), "Test crystal");
  lines[9] = "1 1 1 2.01 0 0 0";
  InputPhase more(join(lines));
  ASSERT_TRUE(more.ok);
  const std::string stars(76, '*');
  EXPECT_TRUE(contains(more.listing(),
                       stars + "\n" + stars + "\n**" + std::string(72, ' ') + "**\n**" + std::string(72, ' ') +
                           "**\n**    The structure factor of the primary reflection is larger than 2!    **\n"));
  EXPECT_EQ(more.run.par.title,
            "       P r o v i s i o n a l    output  of  KORVA-xx  for  F-prim > 2  !!!      ");
}

TEST(InputValues, PrimaryReflectionOutsideTheEwaldSphere) {
  std::vector<std::string> lines = minimal_input();
  lines[2] = "2 2 2 90 90 90";
  lines[9] = "3 3 3 1 0 0 0";  // |H|/2 lambda = 1.33 for Cu
  const auto r = run_text(join(lines));
  EXPECT_TRUE(contains(r.listing, "\n\n\n The wavelength is to large\n"
                                  " the primary reflection is outside of the Ewald-sphere !!\n"));
  EXPECT_GT(r.iostat, 0);
}

TEST(InputValues, CellAndPrimaryReflection) {
  std::vector<std::string> lines = minimal_input();
  lines[2] = "12.380  12.380  12.380   90. 90. 90.";
  lines[9] = " 8  8  2  1.5  0 -24.5  -23.5";
  InputPhase phase(join(lines));
  ASSERT_TRUE(phase.ok);
  const Params& p = phase.run.par;
  EXPECT_TRUE(contains(phase.listing(), "\n\n Lattice constants input by the user:\n"
                                        "   12.3800   12.3800   12.3800       90.00     90.00     90.00\n"
                                        " Volume:   1897.4133\n\n"
                                        " Reciprocal lattice constants:\n"
                                        "    0.0808    0.0808    0.0808       90.00     90.00     90.00\n"
                                        " Reciprocal volume:    0.000527\n"));
  EXPECT_NEAR(p.hnorm, std::sqrt(132.0) / 12.38, 1e-6);
  EXPECT_NEAR(p.d_prim, 12.38 / std::sqrt(132.0), 1e-5);
  EXPECT_NEAR(p.stl_prim, std::sqrt(132.0) / 12.38 / 2, 1e-6);

  // A monoclinic cell against the textbook reciprocal cell.
  lines[2] = "5 6 7 90 110 90";
  lines[9] = "1 1 1 1.5 0 0 0";
  InputPhase mono(join(lines));
  ASSERT_TRUE(mono.ok);
  const double beta = 110 * M_PI / 180;
  EXPECT_NEAR(mono.run.par.vol, 5.0 * 6 * 7 * std::sin(beta), 1e-3);
  EXPECT_NEAR(mono.run.par.ast, 1 / (5 * std::sin(beta)), 1e-6);
  EXPECT_NEAR(mono.run.par.bst, 1 / 6.0, 1e-6);
  EXPECT_NEAR(mono.run.par.betast, 70.0, 1e-3);
  lines[2] = "5 6 7 90 0 90";
  EXPECT_FALSE(InputPhase(join(lines)).ok);  // no cell
}

TEST(InputValues, OrientationMatrixGivesTheReciprocalCell) {
  std::vector<std::string> lines = minimal_input();
  lines.push_back(" 0.1 0 0\n 0 0.2 0.2\n 0 0 0.25");
  InputPhase phase(join(lines));
  ASSERT_TRUE(phase.ok);
  EXPECT_TRUE(phase.run.par.has_ub);
  // Columns (0.1,0,0), (0,0.2,0), (0,0.2,0.25): angle between b* and c* is atan(0.25/0.2).
  const double alpha = std::acos(0.2 * 0.2 / (0.2 * std::sqrt(0.04 + 0.0625))) * 180 / M_PI;
  char expect[128];
  std::snprintf(expect, sizeof expect, "%10.4f%10.4f%10.4f  %10.2f%10.2f%10.2f", 0.1, 0.2,
                std::sqrt(0.04 + 0.0625), alpha, 90.0, 90.0);
  EXPECT_TRUE(contains(phase.listing(), "\nUB-matrix:\n"
                                        "    0.100000    0.000000    0.000000\n"
                                        "    0.000000    0.200000    0.200000\n"
                                        "    0.000000    0.000000    0.250000\n"
                                        " Reciprocal lattice constants calculated from the UB-matrix\n" +
                                            std::string(expect) + "\n"))
      << phase.listing();
  lines.back() = "0 0 0  0 0 0  0 0 0";  // orients nothing
  EXPECT_FALSE(InputPhase(join(lines)).ok);
}

TEST(InputValues, OptionalLinesAndFileNames) {
  std::vector<std::string> lines = minimal_input();
  InputPhase bare(join(lines));
  ASSERT_TRUE(bare.ok);
  EXPECT_FALSE(bare.run.par.has_ub);
  EXPECT_EQ(bare.run.par.scan_flag, 0);
  EXPECT_EQ(bare.dname2, std::string(72, ' '));
  EXPECT_EQ(bare.dname1, "test.ps" + std::string(65, ' '));

  lines.push_back("0.1 0 0 0 0.1 0 0 0 0.1");
  InputPhase ub_only(join(lines));
  ASSERT_TRUE(ub_only.ok);
  EXPECT_TRUE(ub_only.run.par.has_ub);
  EXPECT_EQ(ub_only.run.par.scan_flag, 0);

  lines.push_back("     ");  // a blank line 12 names no scan
  InputPhase blank(join(lines));
  ASSERT_TRUE(blank.ok);
  EXPECT_EQ(blank.run.par.scan_flag, 0);

  lines.back() = "  data/scan.obs";
  InputPhase scan(join(lines));
  ASSERT_TRUE(scan.ok);
  EXPECT_EQ(scan.run.par.scan_flag, 1);
  EXPECT_EQ(scan.run.par.scan_ext, "obs");
  EXPECT_EQ(scan.dname2, "  data/scan.obs" + std::string(57, ' '));
}

TEST(InputValues, ScanArraysCoverTheGrid) {
  std::vector<std::string> lines = minimal_input();
  lines[5] = "-10 10.01 10 0 1 0";  // 200.1 steps round to 200
  InputPhase phase(join(lines));
  ASSERT_TRUE(phase.ok);
  EXPECT_EQ(phase.run.par.nstep, 200);
  EXPECT_EQ(phase.run.sc.aint.size(), 201u);
  EXPECT_EQ(phase.run.sc.measured.aintm.size(), 201u);
  EXPECT_EQ(phase.run.sc.measured.aintm[200], kNoMeasurement);
  lines[5] = "10 -10 10 0 1 0";  // a reversed range is refused, not turned into a negative grid
  EXPECT_FALSE(InputPhase(join(lines)).ok);
}

TEST(InputValues, AtomsPerCellCountCentringSymmetryAndMultiplier) {
  // Rock salt in F m -3 m (centrosymmetric, 24 stored operators, F centring):
  // a site of multiplier 1/48 holds 4 atoms per cell.
  std::vector<std::string> lines = minimal_input();
  lines[6] = "225 2 2\nNa\nCl";
  lines[7] = "1 0.0208333 0 0 0\n0 0 0 0 0 0\n2 0.0208333 0.5 0.5 0.5\n0 0 0 0 0 0";
  lines[8] = "";
  InputPhase rock_salt(join(lines));
  ASSERT_TRUE(rock_salt.ok) << rock_salt.listing();
  EXPECT_NEAR(rock_salt.run.cr.types[0].natcell, 4.0, 1e-4);
  EXPECT_NEAR(rock_salt.run.cr.types[1].natcell, 4.0, 1e-4);
  EXPECT_EQ(rock_salt.run.cr.atoms.size(), 8u);  // two atoms, four times

  // The acentric P 1 with one atom of multiplier 1: one atom per cell.
  lines[6] = "1 1 1\nNa";
  lines[7] = "1 1.0 0.1 0.2 0.3\n0 0 0 0 0 0";
  lines[8] = "";
  InputPhase p1(join(lines));
  ASSERT_TRUE(p1.ok) << p1.listing();
  EXPECT_FLOAT_EQ(p1.run.cr.types[0].natcell, 1.0f);
}

TEST(CalculatedScanName, DerivedFromTheScanOrThePostScriptName) {
  const std::string blank(72, ' ');
  EXPECT_EQ(cal_file_name("yig.ps", blank), "yig.cal" + std::string(65, ' '));
  EXPECT_EQ(cal_file_name("  out/yig.ps  ", blank), "out/yig.cal" + std::string(61, ' '));
  EXPECT_EQ(cal_file_name("yig.ps", "yig.dat"), "yig.cal" + std::string(65, ' '));
  EXPECT_EQ(cal_file_name("yig.ps", " ../scans/zn.obs"), "../scans/zn.cal" + std::string(57, ' '));
  // Names no longer than the part to cut keep their first character.
  EXPECT_EQ(cal_file_name("ps", blank), "p.cal" + std::string(67, ' '));
  EXPECT_EQ(cal_file_name("x", "abcd"), "a.cal" + std::string(67, ' '));
  EXPECT_EQ(cal_file_name(std::string(72, 'n'), blank).size(), 72u);
}

}  // namespace
}  // namespace korva
