// The crystal-data blocks of the listing and the absorption settings of a
// run, from the input file on.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "crystal/scattering_tables.hpp"
#include "crystal_fixture.hpp"
#include "scan/stages.hpp"

namespace korva {
namespace {

using test::MemoryRun;

// A cubic cell with Na at the origin and Cl in the centre, the inversion at
// the origin as its only symmetry (both atoms on inversion centres).
std::string cell_input(const std::string& radiation = "Cu", const std::string& line5 = "0.1  0.1  100.  10.  0.01",
                       const std::string& na = "Na", const std::string& cl = "Cl") {
  return "CsCl-type test cell\n"
         "test.ps\n"
         "4.12 4.12 4.12 90. 90. 90.\n" +
         radiation + "\n" + line5 +
         "\n"
         "-10.  10.  10.  0  1.  0.\n"
         "231 2 2\n"
         "1 1\n"
         " 0 1 0 0  0 0 1 0  0 0 0 1\n" +
         na + "\n" + cl +
         "\n"
         " 1 0.5 0. 0. 0.\n"
         "0.006 0.006 0.006 0. 0. 0.\n"
         " 2 0.5 0.5 0.5 0.5\n"
         "0.005 0.005 0.005 0.001 0. 0.\n"
         " 1 0 0 1.5 0. 0. 0.\n";
}

struct Listing {
  MemoryRun m;
  bool ok = false;
  std::vector<std::string> lines;
  explicit Listing(const std::string& input) {
    m.io.input.open_text(input);
    std::string dname2, dname1;
    ok = read_input(m.run, dname2, dname1) && list_crystal_data(m.run);
    lines = m.listing();
  }
  // Index of the first line equal to text (lines.size() when absent).
  std::size_t find(const std::string& text) const {
    return static_cast<std::size_t>(std::find(lines.begin(), lines.end(), text) - lines.begin());
  }
  std::size_t find_prefix(const std::string& prefix) const {
    for (std::size_t i = 0; i < lines.size(); ++i)
      if (lines[i].rfind(prefix, 0) == 0) return i;
    return lines.size();
  }
  double number_after(const std::string& prefix) const {
    const std::size_t i = find_prefix(prefix);
    if (i == lines.size()) {
      ADD_FAILURE() << "no line " << prefix;
      return 0.0;
    }
    return std::stod(lines[i].substr(prefix.size()));
  }
};

const double kNaWeight = kVictoreenTable[10].weight;
const double kClWeight = kVictoreenTable[16].weight;

double victoreen_mu_rho(int z, double lambda) {
  const double a = 0.024262113 / lambda;
  const double l = std::log(1 + 2 * a);
  const double sigma = 0.30044827 * ((1 + a) / (a * a) * (2 * (1 + a) / (1 + 2 * a) - l / a) + l / (2 * a) -
                                     (1 + 3 * a) / ((1 + 2 * a) * (1 + 2 * a)));
  const VictoreenRow& row = kVictoreenTable[static_cast<std::size_t>(z - 1)];
  const VictoreenRegion& r = row.region[0];  // Na and Cl: one region up to 100 or the K edge
  return r.c * std::pow(lambda, 3) - r.d * std::pow(lambda, 4) + sigma * z / row.weight;
}

TEST(CrystalListing, ScatteringFactorTablesListEveryTenthOfSinThetaOverLambda) {
  Listing out(cell_input());
  ASSERT_TRUE(out.ok);
  const std::size_t head = out.find(" Scattering factor tables: Int. Tables for Crystallography, Vol. C, 219 - 222, 500 - 503");
  ASSERT_LT(head, out.lines.size());
  EXPECT_EQ(out.lines[head - 1], "");
  EXPECT_EQ(out.lines[head - 2], "");
  const std::vector<std::string> na = {"",
                                       " Na  :  1 atoms with atomic number 11",
                                       "",
                                       " f':  0.1353     f'':  0.1239",
                                       "",
                                       " f : (sin(theta)/lambda = 0., 0.1, 0.2, ... 5.9)",
                                       ""};
  for (std::size_t i = 0; i < na.size(); ++i) EXPECT_EQ(out.lines[head + 1 + i], na[i]);
  // Sixty values, ten to a line: the Gaussians of Na (no f') up to 2.0,
  // the high-angle fit above.
  const double g[9] = {4.7626, 3.285, 3.1736, 8.8422, 1.2674, 0.3136, 1.1128, 129.424, 0.676};
  const double hi[4] = {0.84558, -0.26294, -0.87884, 0.76974};
  for (int line = 0; line < 6; ++line) {
    const std::string& rec = out.lines[head + 1 + na.size() + static_cast<std::size_t>(line)];
    ASSERT_EQ(rec.size(), 70u);
    for (int j = 0; j < 10; ++j) {
      const double s = 0.1 * (10 * line + j);
      double f = g[8];
      for (int n = 0; n < 4; ++n) f += g[2 * n] * std::exp(-g[2 * n + 1] * s * s);
      if (s > 2.0 + 1e-9) f = std::exp(hi[0] + hi[1] * s + 0.1 * hi[2] * s * s + 0.01 * hi[3] * s * s * s);
      EXPECT_NEAR(std::stod(rec.substr(static_cast<std::size_t>(7 * j), 7)), f, 0.0011) << s;
    }
  }
  EXPECT_LT(out.find(" Cl  :  1 atoms with atomic number 17"), out.lines.size());
  EXPECT_LT(out.find(" f':  0.3639     f'':  0.7018"), out.lines.size());
  // F(000) without f': the electrons of Na and Cl.
  EXPECT_EQ(out.lines[out.find_prefix(" F000:") - 1], "");
  EXPECT_NEAR(out.number_after(" F000:"), 10.9924 + 17.0005, 0.006);
}

TEST(CrystalListing, AtomsShowBetaAndU) {
  Listing out(cell_input());
  ASSERT_TRUE(out.ok);
  const std::size_t head = out.find(" Atomic position and temperature parameters (beta-ij are input by the user):");
  ASSERT_LT(head, out.lines.size());
  // u = beta / (2 pi^2 a*^2) with a* = 1 / 4.12; u12 with a* b*.
  const double k = 4.12 * 4.12 / (2 * 3.14159265358979 * 3.14159265358979);
  char u_cl[80];
  std::snprintf(u_cl, sizeof u_cl, " u   :%10.6f%10.6f%10.6f%10.6f%10.6f%10.6f", 0.005 * k, 0.005 * k, 0.005 * k,
                0.001 * k, 0.0, 0.0);
  const std::vector<std::string> expected = {
      "",
      " Na   0.500000    0.000000  0.000000  0.000000",
      " beta:  0.006000  0.006000  0.006000  0.000000  0.000000  0.000000",
      out.lines[head + 4],
      "",
      " Cl   0.500000    0.500000  0.500000  0.500000",
      " beta:  0.005000  0.005000  0.005000  0.001000  0.000000  0.000000",
      u_cl,
  };
  for (std::size_t i = 0; i < expected.size(); ++i) EXPECT_EQ(out.lines[head + 1 + i], expected[i]) << i;

  // U input: the betas are formed from the U values.
  std::string input = cell_input();
  input.replace(input.find("\nCl\n"), 4, "\nCl                      1\n");
  Listing u_in(input);
  ASSERT_TRUE(u_in.ok);
  const std::size_t uhead = u_in.find(" Atomic position and temperature parameters (u-ij are input by the user):");
  ASSERT_LT(uhead, u_in.lines.size());
  char beta_na[80];
  std::snprintf(beta_na, sizeof beta_na, " beta:%10.6f%10.6f%10.6f%10.6f%10.6f%10.6f", 0.006 / k, 0.006 / k, 0.006 / k,
                0.0, 0.0, 0.0);
  EXPECT_EQ(u_in.lines[uhead + 3], beta_na);
  EXPECT_EQ(u_in.lines[uhead + 4], " u   :  0.006000  0.006000  0.006000  0.000000  0.000000  0.000000");
}

TEST(CrystalListing, DensityAndAbsorptionFromTablesAndFromTheDispersion) {
  Listing out(cell_input());
  ASSERT_TRUE(out.ok);
  const double v = 4.12 * 4.12 * 4.12, lambda = 1.540598;
  const double density = (kNaWeight + kClWeight) / (0.60225701 * v);
  const double mu_tables =
      (kNaWeight * victoreen_mu_rho(11, lambda) + kClWeight * victoreen_mu_rho(17, lambda)) / (0.60225701 * v);
  // mu = 2 K F''(000), K = lambda r_e / V (r_e = 2.817938 fm; cm^-1 with
  // lambda and V in A), F''(000) = f''(Na) + f''(Cl).
  const double mu_disp = 2 * lambda * 2.817938e3 / v * (0.1239 + 0.7018);

  const std::size_t d = out.find_prefix(" Density                                               :");
  ASSERT_LT(d, out.lines.size());
  EXPECT_EQ(out.lines[d - 1], "");
  EXPECT_EQ(out.lines[d - 2], "");
  EXPECT_EQ(out.lines[d].substr(66), " g/cm -3");
  EXPECT_NEAR(out.number_after(" Density                                               :"), density, 0.0006);
  EXPECT_EQ(out.lines[d + 1].rfind(" Linear absorption coefficient (I.T., 1962, III, 157ff):", 0), 0u);
  EXPECT_EQ(out.lines[d + 1].substr(66), " cm -1");
  EXPECT_NEAR(std::stod(out.lines[d + 1].substr(56, 10)), mu_tables, 1e-4 * mu_tables + 0.0006);
  EXPECT_EQ(out.lines[d + 2].substr(0, 56), " Linear absorption coefficient (dispersion correction) :");
  EXPECT_NEAR(std::stod(out.lines[d + 2].substr(56, 10)), mu_disp, 1e-4 * mu_disp);
  EXPECT_EQ(out.lines[d + 3], "");
  EXPECT_EQ(out.lines[d + 4], "");

  const Params& p = out.m.run.par;
  EXPECT_NEAR(p.mu, mu_disp, 1e-4 * mu_disp);
  EXPECT_NEAR(p.mur, mu_disp * 0.01, 1e-4 * mu_disp * 0.01);  // R = 100 um
  EXPECT_NEAR(p.density, density, 1e-5);
}

TEST(CrystalListing, DispersionReplacesMuOnlyWhenEveryTypeHasFdprime) {
  // Explicit wavelengths: f' and f'' from the input, Cl without f''.
  Listing out(cell_input("1.5406 0.0003 1.0 1.5444 0.0004 0.5", "0.1  0.1  100.  10.  0.01",
                         "Na      0.1353    0.1239", "Cl      0.3639"));
  ASSERT_TRUE(out.ok);
  EXPECT_EQ(out.find_prefix(" Linear absorption coefficient (dispersion correction)"), out.lines.size());
  const double v = 4.12 * 4.12 * 4.12, lambda = 1.5406;
  const double mu_tables =
      (kNaWeight * victoreen_mu_rho(11, lambda) + kClWeight * victoreen_mu_rho(17, lambda)) / (0.60225701 * v);
  EXPECT_NEAR(out.m.run.par.mu, mu_tables, 1e-4 * mu_tables);
  EXPECT_EQ(out.m.run.cr.types[0].fdprime, 0.1239f);
}

TEST(CrystalListing, LargeCrystalGetsTheMuRNotice) {
  // R = 5 mm: mu R far above 31.5.
  Listing out(cell_input("Cu", "0.1  0.1  5000.  10.  0.01"));
  ASSERT_TRUE(out.ok);
  EXPECT_GT(out.m.run.par.mur, 31.5f);
  const std::size_t mu = out.find_prefix(" Linear absorption coefficient (I.T., 1962");
  const std::vector<std::string> notice = {"", "", " mue*radius is greater than 31.5,",
                                           " the absorption factor cannot be calculated",
                                           " the absorption factor is set to 1.", "", ""};
  for (std::size_t i = 0; i < notice.size(); ++i) EXPECT_EQ(out.lines[mu + 1 + i], notice[i]) << i;
  EXPECT_EQ(out.lines[mu + 1 + notice.size()].rfind(" Linear absorption coefficient (dispersion correction) :", 0), 0u);

  Listing small(cell_input());
  EXPECT_EQ(small.find(" mue*radius is greater than 31.5,"), small.lines.size());
}

TEST(CrystalListing, NeutronExampleListsLengthsAndDensity) {
  std::ifstream file(KORVA_SOURCE_DIR "/examples/nacl-neutron-noscan.inp");
  ASSERT_TRUE(file);
  std::stringstream text;
  text << file.rdbuf();
  Listing out(text.str());
  ASSERT_TRUE(out.ok);
  EXPECT_LT(out.find(" Na  : 4.00 atoms with atomic number 11, coherent scattering length:  3.6300"), out.lines.size());
  EXPECT_LT(out.find(" Cl  : 4.00 atoms with atomic number 17, coherent scattering length:  9.5770"), out.lines.size());
  EXPECT_NEAR(out.number_after(" F000:"), 4 * (3.63 + 9.577), 0.006);
  EXPECT_EQ(out.find_prefix(" Scattering factor tables"), out.lines.size());
  const std::size_t d = out.find_prefix(" Density   :");
  ASSERT_LT(d, out.lines.size());
  EXPECT_NEAR(std::stod(out.lines[d].substr(12, 10)), 4 * (22.98977 + 35.453) / (0.60225701 * 5.6402 * 5.6402 * 5.6402),
              0.0006);
  EXPECT_EQ(out.lines[d].substr(22), " g/cm -3");
  EXPECT_EQ(out.lines[d + 1], "");
  EXPECT_EQ(out.m.run.par.mu, 0.0f);
  // F(200) of rock salt, computed by the input reader: 4 (b_Na + b_Cl) T.
  const double t = std::exp(-4 * 0.0063), t2 = std::exp(-4 * 0.0049);
  EXPECT_NEAR(out.m.run.par.fprim, 4 * (3.63 * t + 9.577 * t2) * 48 * 0.0208333, 2e-3);
  EXPECT_EQ(out.m.run.par.phiprim, 0.0f);
}

TEST(CrystalListing, RunEndsAtAnUnknownSymbol) {
  Io io;
  io.in_memory = true;
  io.input.open_text(cell_input("Cu", "0.1  0.1  100.  10.  0.01", "Na", "O-1"));
  io.listing.open_memory();
  std::string dname2, calname, dname1;
  korva_(io, dname2, calname, dname1);
  EXPECT_GT(io.iostat, 0);
  std::vector<std::string> lines;
  std::istringstream in(io.listing.text());
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  ASSERT_GE(lines.size(), 3u);
  EXPECT_EQ(lines[lines.size() - 3], " The chemical symbol: O-1  does not correspond to an atom/ion name");
  EXPECT_EQ(lines.back(), " Vol. C, p. 500 - 502");
}

}  // namespace
}  // namespace korva
