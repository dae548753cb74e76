#include "support/input_help.hpp"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <tuple>

#include <unistd.h>

namespace korva {
namespace {

const std::string kSeparator(71, '_');

std::string rtrim(std::string s) {
  while (!s.empty() && s.back() == ' ') s.pop_back();
  return s;
}

// Line n, counted from 1, without its trailing blanks.
std::string line(int n) { return rtrim(input_help_lines().at(static_cast<std::size_t>(n - 1))); }

std::vector<std::string> file_lines(const std::string& name) {
  std::ifstream in(std::string(KORVA_SOURCE_DIR) + "/examples/" + name);
  std::vector<std::string> out;
  for (std::string s; std::getline(in, s);) out.push_back(rtrim(s));
  return out;
}

std::vector<std::string> help_range(int first, int last) {
  std::vector<std::string> out;
  for (int n = first; n <= last; ++n) out.push_back(line(n));
  return out;
}

TEST(InputHelp, Has395RecordsOf78ColumnsWithTheHeadingsOnTheirLines) {
  const auto& lines = input_help_lines();
  ASSERT_EQ(lines.size(), 395u);
  for (std::size_t i = 0; i < lines.size(); ++i) EXPECT_EQ(lines[i].size(), 78u) << "line " << i + 1;

  EXPECT_EQ(line(1), std::string(26, ' ') + "INPUT DESCRIPTION");
  EXPECT_EQ(line(2), "");
  EXPECT_EQ(line(3), "");
  EXPECT_EQ(line(4), "1. Text");
  EXPECT_EQ(line(186), "Example si.obs: measured scan with reference reflections, synchrotron");
  EXPECT_EQ(line(205), "Example zn.obs: measured scan with reference reflections, CuK-alpha 1,2");
  EXPECT_EQ(line(223), "Additional output file:");
  EXPECT_EQ(line(232), "References:");
  EXPECT_EQ(line(244), "Examples for input files");
  EXPECT_EQ(line(247), "a) Example for X-ray-tube, nr <= 230:");
  EXPECT_EQ(line(276), "b) The same result is obtained, giving the symmetry information");
  EXPECT_EQ(line(277), "   explicitly (nr > 230)");
  EXPECT_EQ(line(339), "c) Example for synchrotron radiation");
}

TEST(InputHelp, SeparatorsDivideTheSectionsWithEmptyLinesAround) {
  for (int pair : {182, 201, 219, 228, 240}) {
    EXPECT_EQ(line(pair), kSeparator) << pair;
    EXPECT_EQ(line(pair + 1), kSeparator) << pair + 1;
    EXPECT_EQ(line(pair - 1), "") << pair - 1;
    EXPECT_EQ(line(pair + 2), "") << pair + 2;
  }
  // Every heading from line 186 on is followed by one separator.
  for (int n : {187, 206, 224, 233, 245, 248, 278, 340}) EXPECT_EQ(line(n), kSeparator) << n;
  for (int n : {274, 337, 395}) EXPECT_EQ(line(n), kSeparator) << n;
  int separators = 0;
  for (int n = 1; n <= 395; ++n) separators += line(n) == kSeparator;
  EXPECT_EQ(separators, 10 + 8 + 3);
}

TEST(InputHelp, ItemsRunInOrderFromLine4To179WithIndentedExplanations) {
  const std::vector<std::string> headings = {
      "1. Text",
      "2. dname1",
      "3. a,b,c,alpha,beta,gamma (free format)",
      "4. Wavelength indicator:",
      "5. diverp,divers,rkugel,radius,eta (free format)",
      "6. psia, psie, zsw1, nnn, drumin, zeimax (free format)",
      "7. nr, na, nf (free format)",
      "7a. ic,ns (free format)",
      "7b. ns following lines (free format):",
      "8. (atn(j), f'(j),f''(j),i_u_b    j = 1,...,nf) (Format: a4,2f10.4,i2)",
      "9. Atom parameters: for each of the na atoms two lines",
      "10. h,k,l,f,phi,psi1,psi2 (free format)",
      "11. ub1 to ub9 (free format)",
      "12. dname2: Name of the scan-file (maximum 72 characters)",
      "13a. ihr,ikr,ilr (free format)",
      "13b. ff1,ff2,ff3,tau1,tau2,tau3,bcm (free format);   optional",
  };
  const std::vector<std::string> conditions = {
      "if orientation matrix is known (CAD4-, 4-circle-HUBER-HASYLAB-geometry):",
      "if the measured scan is available:",
      "if the HUBER-HASYLAB-output is used:",
  };
  std::vector<std::string> found_headings, found_conditions;
  std::vector<int> at;
  for (int n = 4; n <= 179; ++n) {
    const std::string s = line(n);
    if (s.empty()) continue;
    if (s[0] != ' ') {
      if (s.starts_with("if ")) {
        found_conditions.push_back(s);
      } else {
        found_headings.push_back(s);
        at.push_back(n);
      }
    } else {
      EXPECT_TRUE(s.starts_with("  ")) << "line " << n << ": " << s;
    }
  }
  EXPECT_EQ(found_headings, headings);
  EXPECT_EQ(found_conditions, conditions);
  ASSERT_EQ(at.size(), headings.size());
  EXPECT_EQ(at.front(), 4);
  EXPECT_TRUE(!line(179).empty()) << "the last item ends on line 179";
  EXPECT_EQ(line(180), "");
  // 7, 7a, 7b and 13a, 13b follow each other without an empty line; 11,
  // 12 and 13a come right after their condition.
  for (int n = at[6]; n < at[8]; ++n) EXPECT_FALSE(line(n).empty()) << n;
  for (int n = at[14]; n < at[15]; ++n) EXPECT_FALSE(line(n).empty()) << n;
  EXPECT_EQ(line(at[12] - 1), conditions[0]);
  EXPECT_EQ(line(at[13] - 1), conditions[1]);
  EXPECT_EQ(line(at[14] - 1), conditions[2]);
  // The other items end with an empty line, before the next heading or
  // before the next condition.
  for (int i : {0, 1, 2, 3, 4, 5, 8, 9, 10}) EXPECT_EQ(line(at[i + 1] - 1), "") << headings[i];
  for (int i : {11, 12, 13}) EXPECT_EQ(line(at[i + 1] - 2), "") << headings[i];
}

TEST(InputHelp, QuotesTheFixedExplanationTexts) {
  const std::string all = input_help_text();
  for (const char* text : {
           "Title line, maximum 80 characters",
           "Name of the postscript-output-file, maximum 72 characters",
           "Cell constants",
           "[mue]",
           "CAD4           : -180 < psia < psie < 180",
           "zsw1 < 0: no Renninger-scan calculation",
           "monoclinic  : unique axis b, cell choice 1",
           "If nr > 230:",
           "maximum 24",
           "tx sxx sxy sxz ty syx syy syz tz szx szy szz",
           "X-rays:",
           "neutrons (idesy=3):",
           "Ni2+",
           "i_u_b=0  :inbut of beta",
           "i_u_b/=0 :input of u",
           "T=exp(-(b1*h*h+b2*k*k+b3*l*l+2*b4*h*k+2*b5*h*l+2*b6*k*l)",
           "KORVA99",
           "KORVA98",
           "999 0 0",
           "the beam count multiplier",
       })
    EXPECT_NE(all.find(text), std::string::npos) << text;
  // Where the items name the program: the plot maximum (item 6) and the
  // computed structure factor (item 10).
  std::vector<std::string> naming;
  for (int n = 4; n <= 179; ++n)
    if (line(n).find("KORVA") != std::string::npos) naming.push_back(line(n));
  ASSERT_EQ(naming.size(), 2u);
  EXPECT_NE(naming[0].find("zeimax (cps) is the maximum of the plot of KORVA99"), std::string::npos);
  EXPECT_NE(naming[1].find("KORVA98 computes both"), std::string::npos);
}

TEST(InputHelp, ScanExamplesHaveSevenDataLinesAndThreeDots) {
  EXPECT_EQ(line(189), "    1    1    1     5.137      .000    5130.000     1.000");
  EXPECT_EQ(line(192), "    2    2    2    10.310   176.000      17.778     1.000");
  for (auto [first, last, columns] : {std::array{188, 200, 7}, std::array{207, 218, 6}}) {
    int data = 0, dots = 0;
    for (int n = first; n <= last; ++n) {
      const std::string s = line(n);
      if (s == "    .") {
        ++dots;
      } else if (!s.empty()) {
        ++data;
        std::istringstream in(s);
        int words = 0;
        for (std::string w; in >> w;) ++words;
        EXPECT_EQ(words, columns) << s;
      }
    }
    EXPECT_EQ(data, 7);
    EXPECT_EQ(dots, 3);
  }
}

// The sample inputs are complete input files: a) and c) are the published
// YIG and silicon samples kept in examples/.
TEST(InputHelp, SampleInputsAreTheExampleFiles) {
  const auto yig = file_lines("yig.inp");
  ASSERT_EQ(yig.size(), 23u);
  EXPECT_EQ(help_range(249, 271), yig);
  EXPECT_EQ(line(272), "");

  const auto si = file_lines("si222.inp");
  ASSERT_EQ(si.size(), 52u);
  EXPECT_EQ(help_range(341, 392), si);
  EXPECT_EQ(line(342), "si222ag2.ps");
  EXPECT_EQ(line(392), "2.029 4.065 16.756 0.0000029 0.000005 0.000005 10000. 0.");

  // b): the explicit operators and the eight atoms of the cell.
  const auto explicit_yig = file_lines("yig-explicit.inp");
  EXPECT_EQ(line(279), "YIG - KORVA99");
  EXPECT_EQ(line(284), "-66.   16.  50  0  4.  0.");
  EXPECT_EQ(line(285), "231 8 3");
  EXPECT_EQ(line(286), "1 24");
  EXPECT_EQ(line(287), "0    1  0  0     0    0  1  0     0    0  0  1");
  for (int i = 0; i < 24; ++i) {
    std::istringstream a(line(287 + i)), b(explicit_yig[static_cast<std::size_t>(8 + i)]);
    for (int k = 0; k < 12; ++k) {
      double x = 0, y = 0;
      a >> x;
      b >> y;
      EXPECT_EQ(x, y) << "operator " << i + 1 << " value " << k + 1;
    }
  }
  for (int i = 0; i < 19; ++i)
    EXPECT_EQ(line(311 + i), explicit_yig[static_cast<std::size_t>(32 + i)]) << "line " << 311 + i;
  EXPECT_EQ(line(330), " 8  8  2  0  0  0  0");
  EXPECT_EQ(help_range(331, 333), help_range(268, 270));  // the same UB matrix
  EXPECT_EQ(line(334), "yig.dat");
}

// The 24 operators of sample b) must form a group (composition modulo
// lattice translations); a mistyped sign or translation breaks closure.
TEST(InputHelp, ExplicitOperatorsOfSampleBFormAGroup) {
  struct Op {
    std::array<int, 9> s{};
    std::array<int, 3> t{};  // in 1/4, modulo 4
    bool operator<(const Op& o) const { return std::tie(s, t) < std::tie(o.s, o.t); }
  };
  std::vector<Op> ops;
  for (int i = 0; i < 24; ++i) {
    std::istringstream in(line(287 + i));
    Op op;
    for (int j = 0; j < 3; ++j) {
      double t = 0;
      in >> t;
      op.t[static_cast<std::size_t>(j)] = static_cast<int>(std::lround(t * 4)) % 4;
      for (int m = 0; m < 3; ++m) in >> op.s[static_cast<std::size_t>(3 * j + m)];
    }
    ASSERT_TRUE(in) << "operator " << i + 1;
    ops.push_back(op);
  }
  const std::set<Op> all(ops.begin(), ops.end());
  ASSERT_EQ(all.size(), 24u);
  for (const Op& a : ops) {
    for (const Op& b : ops) {
      Op c;
      for (int j = 0; j < 3; ++j) {
        int t = a.t[static_cast<std::size_t>(j)];
        for (int m = 0; m < 3; ++m) {
          int v = 0;
          for (int k = 0; k < 3; ++k) v += a.s[static_cast<std::size_t>(3 * j + k)] * b.s[static_cast<std::size_t>(3 * k + m)];
          c.s[static_cast<std::size_t>(3 * j + m)] = v;
          t += a.s[static_cast<std::size_t>(3 * j + m)] * b.t[static_cast<std::size_t>(m)];
        }
        c.t[static_cast<std::size_t>(j)] = ((t % 4) + 4) % 4;
      }
      EXPECT_TRUE(all.count(c)) << "product not in the set";
    }
  }
}

TEST(InputHelp, WritingTwiceOverwritesWithTheSameContent) {
  const auto dir = std::filesystem::temp_directory_path() / ("korva-help-" + std::to_string(::getpid()));
  std::filesystem::create_directories(dir);
  const std::string path = (dir / "input_help").string();
  {
    std::ofstream(path) << std::string(100000, '@');  // longer than the description
  }
  ASSERT_TRUE(write_input_help(path));
  std::ifstream in(path, std::ios::binary);
  std::stringstream first;
  first << in.rdbuf();
  ASSERT_TRUE(write_input_help(path));
  std::ifstream in2(path, std::ios::binary);
  std::stringstream second;
  second << in2.rdbuf();
  EXPECT_EQ(first.str(), second.str());
  EXPECT_EQ(first.str().size(), 395u * 79u);
  EXPECT_EQ(first.str().find('@'), std::string::npos);
  std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace korva
