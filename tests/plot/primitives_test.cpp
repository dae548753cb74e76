// The drawing calls, checked line by line against the PostScript text they
// must write, and rendered with Ghostscript.
#include "plot/primitives.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "ps_check.hpp"
#include "support/format.hpp"

namespace korva {
namespace {

using testing::MemoryRun;
using testing::render_errors;

std::string blanks(int n) { return std::string(n, ' '); }

// A page around a fragment: prolog, a font, the fragment, showpage.
std::string as_page(const std::string& fragment) {
  MemoryRun page;
  plots_(page.out);
  fonts_(page.out, 0.5f, "Times-Roman");
  return page.io.ps.text() + fragment + "showpage\n";
}

TEST(Prolog, DefinesTheAbbreviationsAndTurnsThePage) {
  MemoryRun m;
  plots_(m.out);
  const std::vector<std::string> want = {
      "%!" + blanks(68),
      "/m  {moveto} def /l  {lineto} def /s  {show  } def /st {stroke} def ",
      "/rl {rlineto} def" + blanks(53),
      "/s  {show  } def" + blanks(54),
      "610 20 translate 90 rotate" + blanks(44),
  };
  EXPECT_EQ(m.ps_lines(), want);
}

TEST(PenAndPage, MovesDrawsAndEndsThePage) {
  MemoryRun m;
  plot_(m.out, 10.0f, 5.0f, 3);
  plot_(m.out, 10.0f, 5.0f, 2);
  plot_(m.out, -0.5f, 1.5f, 3);
  const std::vector<std::string> want = {"   283.5   141.7 m", "   283.5   141.7 l st ", "   -14.2    42.5 m"};
  EXPECT_EQ(m.ps_lines(), want);
  EXPECT_EQ(render_errors(as_page(m.io.ps.text())), "");
}

TEST(PenAndPage, CodesOutsideTheirRangeWriteNothing) {
  MemoryRun m;
  for (int code : {0, 1, 4, -2, -3, 998, 1000}) plot_(m.out, 1.0f, 1.0f, code);
  for (int pen : {-1, 4, 999}) newpen_(m.out, pen);
  for (int dash : {-1, 4, 10}) dash_(m.out, dash);
  EXPECT_EQ(m.io.ps.text(), "");
}

TEST(PenAndPage, ColoursAndDashPatterns) {
  MemoryRun m;
  for (int pen = 0; pen <= 3; ++pen) newpen_(m.out, pen);
  for (int dash = 0; dash <= 3; ++dash) dash_(m.out, dash);
  const std::vector<std::string> want = {" 0 0 0 setrgbcolor", " 1 0 0 setrgbcolor", " 0 1 0 setrgbcolor",
                                         " 0 0 1 setrgbcolor", "[5 0] 0 setdash",    "[5 3] 0 setdash",
                                         "[2 3] 0 setdash",    "[6 4 2 4] 0 setdash"};
  EXPECT_EQ(m.ps_lines(), want);
  EXPECT_EQ(render_errors(as_page(m.io.ps.text())), "");
}

TEST(PenAndPage, NothingFollowsTheEndOfThePage) {
  MemoryRun m;
  plot_(m.out, 0.0f, 0.0f, 999);
  plot_(m.out, 1.0f, 1.0f, 3);
  newpen_(m.out, 1);
  symbol_(m.out, 1.0f, 1.0f, 0.0f, "late", 0.0f, 4);
  EXPECT_EQ(m.io.ps.text(), "showpage\n");
}

TEST(Text, RotatesOnlyForPositiveAngles) {
  MemoryRun up;
  symbol_(up.out, 10.0f, 5.0f, 0.3f, "I-calc (cps)", 90.0f, 12);
  const std::vector<std::string> want = {"   283.5   141.7 m", "   90.00 rotate", "(I-calc \\(cps\\)) s",
                                         " 283.5 141.7 m  -90.00 rotate"};
  EXPECT_EQ(up.ps_lines(), want);
  EXPECT_EQ(render_errors(as_page(up.io.ps.text())), "");

  MemoryRun down;
  symbol_(down.out, 10.0f, 5.0f, 0.3f, "abc", -90.0f, 3);
  symbol_(down.out, 10.0f, 5.0f, 0.3f, "abc", 0.0f, 3);
  const std::vector<std::string> flat = {"   283.5   141.7 m", "(abc) s", "   283.5   141.7 m", "(abc) s"};
  EXPECT_EQ(down.ps_lines(), flat);
}

TEST(Text, TakesExactlyNcharCharacters) {
  MemoryRun m;
  symbol_(m.out, 1.0f, 1.0f, 0.0f, "Imax-obs (cps):", 0.0f, 0);
  symbol_(m.out, 1.0f, 1.0f, 0.0f, "Imax", 0.0f, 5);  // a blank-padded field
  symbol_(m.out, 1.0f, 1.0f, 0.0f, "Imax-obs", 0.0f, 4);
  const auto lines = m.ps_lines();
  ASSERT_EQ(lines.size(), 6u);
  EXPECT_EQ(lines[1], "() s");
  EXPECT_EQ(lines[3], "(Imax ) s");
  EXPECT_EQ(lines[5], "(Imax) s");
}

TEST(Text, LongStringsContinueAfterNinetyCharacters) {
  MemoryRun fits, wraps;
  const std::string text(87, 'x');
  symbol_(fits.out, 1.0f, 1.0f, 0.0f, text, 0.0f, 86);
  symbol_(wraps.out, 1.0f, 1.0f, 0.0f, text, 0.0f, 87);
  EXPECT_EQ(fits.ps_lines().at(1), "(" + std::string(86, 'x') + ") s");
  ASSERT_EQ(wraps.ps_lines().size(), 3u);
  EXPECT_EQ(wraps.ps_lines()[1], "(" + std::string(87, 'x') + ") ");
  EXPECT_EQ(wraps.ps_lines()[2], "s");
}

// A title is the user's text: parentheses and backslashes must not end the
// PostScript string or start an escape.
TEST(Text, EscapesParenthesesAndBackslashes) {
  EXPECT_EQ(ps_escape("YIG (444) \\ 1:1"), "YIG \\(444\\) \\\\ 1:1");
  EXPECT_EQ(ps_escape("plain text, 100 %"), "plain text, 100 %");

  MemoryRun m;
  symbol_(m.out, 1.0f, 1.0f, 0.0f, "a)b(c\\", 0.0f, 6);
  EXPECT_EQ(m.ps_lines().at(1), "(a\\)b\\(c\\\\) s");
  EXPECT_EQ(render_errors(as_page(m.io.ps.text())), "");

  // An escape pair at the line end moves whole to the next line.
  MemoryRun edge;
  symbol_(edge.out, 1.0f, 1.0f, 0.0f, std::string(88, 'x') + ")", 0.0f, 89);
  const auto lines = edge.ps_lines();
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[1], "(" + std::string(88, 'x'));
  EXPECT_EQ(lines[2], "\\)) s");
  EXPECT_EQ(render_errors(as_page(edge.io.ps.text())), "");
}

TEST(Numbers, WholeNumbersRoundHalvesAwayFromZero) {
  MemoryRun m;
  for (float v : {2.5f, -2.5f, -12.0f, 0.0f, 2024.4f}) number_(m.out, 10.0f, 5.0f, 0.3f, v, 0.0f, -1);
  number_(m.out, 10.0f, 5.0f, 0.3f, 7.0f, 0.0f, 0);
  const std::vector<std::string> want = {" 283.5 141.7 m", "( 3) s",    " 283.5 141.7 m", "(-3) s",
                                         " 283.5 141.7 m", "(-12) s",   " 283.5 141.7 m", "( 0) s",
                                         " 283.5 141.7 m", "( 2024) s", " 283.5 141.7 m", "( 7) s"};
  EXPECT_EQ(m.ps_lines(), want);
  EXPECT_EQ(render_errors(as_page(m.io.ps.text())), "");
}

TEST(Numbers, FixedPointFormatFromTheCode) {
  MemoryRun m;
  number_(m.out, 1.0f, 1.0f, 0.3f, 12.5f, 0.0f, 72);
  number_(m.out, 1.0f, 1.0f, 0.3f, 1500.0f, 0.0f, 72);
  number_(m.out, 1.0f, 1.0f, 0.3f, 1.0f / 3.0f, 0.0f, 64);
  number_(m.out, 1.0f, 1.0f, 0.3f, -7.25f, 0.0f, 92);
  const auto lines = m.ps_lines();
  ASSERT_EQ(lines.size(), 8u);
  EXPECT_EQ(lines[0], "  28.3  28.3 m");
  EXPECT_EQ(lines[1], "(  12.50) s");
  EXPECT_EQ(lines[3], "(1500.00) s");
  EXPECT_EQ(lines[5], "(0.3333) s");
  EXPECT_EQ(lines[7], "(    -7.25) s");
  EXPECT_TRUE(m.io.listing.text().empty());
}

TEST(Numbers, TooLargeGoesToTheListingOnly) {
  MemoryRun m;
  number_(m.out, 10.0f, 5.0f, 0.3f, 150000.0f, 0.0f, 72);
  number_(m.out, 10.0f, 5.0f, 0.3f, 1.5e7f, 0.0f, 92);
  EXPECT_EQ(m.ps_lines(), (std::vector<std::string>{" 283.5 141.7 m", " 283.5 141.7 m"}));
  EXPECT_EQ(m.out.notes, (std::vector<std::string>{"the number is to large", "the number is to large"}));
}

TEST(Numbers, OverflowTestIsLooserThanTheField) {
  // 999 < 10^(5-2) passes although 999.00 needs six columns; negative
  // values always pass.  The field then shows its overflow marks.
  MemoryRun m;
  number_(m.out, 1.0f, 1.0f, 0.3f, 999.0f, 0.0f, 52);
  number_(m.out, 1.0f, 1.0f, 0.3f, -1.0e9f, 0.0f, 72);
  EXPECT_TRUE(m.io.listing.text().empty());
  const auto lines = m.ps_lines();
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(lines[1], "(*****) s");
  EXPECT_EQ(lines[3], "(*******) s");
}

TEST(Fonts, NamePaddedAndSizeCutToWholePoints) {
  MemoryRun m;
  fonts_(m.out, 0.5f, "Times-Bold");
  fonts_(m.out, 0.4f, "Times-Roman");
  const std::vector<std::string> want = {
      "/Times-Bold" + blanks(11) + "findfont  14 scalefont setfont",
      "/Times-Roman" + blanks(10) + "findfont  11 scalefont setfont",
  };
  EXPECT_EQ(m.ps_lines(), want);
  EXPECT_EQ(render_errors(as_page(m.io.ps.text())), "");
}

TEST(OriginAndFrame, TranslationAndRectangle) {
  MemoryRun m;
  transl_(m.out, -0.5f, 0.0f);
  frame_(m.out, 7, 1.0f, 21.0f, 4.5f, 20.3f);
  transl_(m.out, 0.5f, 0.0f);
  const std::vector<std::string> want = {
      "    -14.17      0.00  translate",
      "newpath   28.3 127.6 m  0  447.9 rl  566.9 0 rl 0 -447.9 rl closepath ",
      "  0.5 setlinewidth st",
      "     14.17      0.00  translate",
  };
  EXPECT_EQ(m.ps_lines(), want);
  EXPECT_EQ(render_errors(as_page(m.io.ps.text())), "");
}

TEST(Polylines, EquidistantFourPointsToALine) {
  MemoryRun m;
  const std::vector<float> y = {1, 2, 3, 1, 2, 3};
  line_(m.out, 0.5f, y, 6);
  const std::vector<std::string> want = {
      "    28.3    28.3 m",
      "    42.5    56.7 l    56.7    85.0 l    70.9    28.3 l    85.0    56.7 l",
      "    99.2    85.0 l",
      "st",
  };
  EXPECT_EQ(m.ps_lines(), want);
  EXPECT_EQ(render_errors(as_page(m.io.ps.text())), "");
}

TEST(Polylines, EquidistantXDoesNotDriftOverALongScan) {
  // 20 cm in 200000 steps: summing dx would drift by tenths of a
  // millimetre; the last point must land on x = 21 cm (595.3 points).
  MemoryRun m;
  const int n = 200001;
  const std::vector<float> y(n, 1.0f);
  line_(m.out, 20.0f / 200000.0f, y, n);
  const auto lines = m.ps_lines();
  ASSERT_GE(lines.size(), 3u);
  const std::string& last = lines[lines.size() - 2];
  EXPECT_EQ(last.substr(last.size() - 18), "   595.3    28.3 l");
}

TEST(Polylines, ShiftedCurveSkipsMissingPoints) {
  const float gap = kNoMeasurement;
  const std::vector<float> y = {gap, 2, gap, 3, 1};
  MemoryRun right;
  line2_(right.out, 1.0f, y, 1, 5);  // samples 1..4 at x = 2..5 cm
  EXPECT_EQ(right.ps_lines(),
            (std::vector<std::string>{"    85.0    56.7 m", "   141.7    85.0 l", "st"}));
  MemoryRun left;
  line2_(left.out, 1.0f, y, -2, 5);  // samples 3..5 at x = 1..3 cm, the first missing
  EXPECT_EQ(left.ps_lines(), (std::vector<std::string>{"    56.7    85.0 m", "    85.0    28.3 l", "st"}));
  MemoryRun unshifted;
  line2_(unshifted.out, 1.0f, y, 0, 5);
  EXPECT_EQ(unshifted.ps_lines(), (std::vector<std::string>{"    56.7    56.7 m", "   113.4    85.0 l",
                                                            "   141.7    28.3 l", "st"}));
  EXPECT_EQ(render_errors(as_page(left.io.ps.text() + right.io.ps.text())), "");
}

TEST(Polylines, ShiftedCurveWithNothingToDraw) {
  MemoryRun missing;
  const std::vector<float> gaps(4, kNoMeasurement), big = {1.0e21f, 3.0e38f};
  line2_(missing.out, 1.0f, gaps, 0, 4);
  line2_(missing.out, 1.0f, big, 0, 2);
  line2_(missing.out, 1.0f, std::vector<float>{1, 2}, 5, 2);   // shifted past the end
  line2_(missing.out, 1.0f, std::vector<float>{1, 2}, -2, 2);
  EXPECT_EQ(missing.ps_lines(), (std::vector<std::string>{"st", "st", "st", "st"}));
  EXPECT_EQ(render_errors(as_page(missing.io.ps.text())), "");
}

TEST(Polylines, PairsSplitAtAWrapAroundJump) {
  std::vector<float> x = {1, 2, 3, 4, 4.5f, 21, 20, 21, 20, 21}, y(10);
  for (int i = 0; i < 10; ++i) y[i] = 2.5f + 0.2f * static_cast<float>(i);
  MemoryRun m;
  line1_(m.out, x, y, 20.0f, 10);
  const std::vector<std::string> want = {
      "  28.3  70.9 m",
      "  28.3  70.9 l  56.7  76.5 l  85.0  82.2 l 113.4  87.9 l 127.6  93.5 l",
      "st",
      " 595.3  99.2 m",
      " 595.3  99.2 l 566.9 104.9 l 595.3 110.6 l 566.9 116.2 l 595.3 121.9 l",
      "st",
  };
  EXPECT_EQ(m.ps_lines(), want);
  EXPECT_EQ(render_errors(as_page(m.io.ps.text())), "");
}

TEST(Polylines, PairsWithoutSplit) {
  // A jump at the last point alone does not split; nor does one of 0.8 w.
  std::vector<float> x = {1, 2, 3, 4, 5, 6, 23}, y(7, 3.0f);
  MemoryRun m;
  line1_(m.out, x, y, 20.0f, 7);
  std::vector<float> x2 = {1, 17, 18}, y2 = {3, 3, 3};
  line1_(m.out, x2, y2, 20.0f, 3);
  const std::vector<std::string> want = {
      "  28.3  85.0 m",
      "  28.3  85.0 l  56.7  85.0 l  85.0  85.0 l 113.4  85.0 l 141.7  85.0 l",
      " 170.1  85.0 l 652.0  85.0 l",
      "st",
      "  28.3  85.0 m",
      "  28.3  85.0 l 481.9  85.0 l 510.2  85.0 l",
      "st",
  };
  EXPECT_EQ(m.ps_lines(), want);
}

TEST(Axis, TicksEveryCentimetreNumbersEveryFifth) {
  MemoryRun m;
  axis_(m.out, 1.0f, 2.5f, "y", 1, 20.0f, 0.0f, -30.0f, 3.0f);
  const auto lines = m.ps_lines();
  ASSERT_EQ(lines.size(), 3u + 21u + 5u * 2u);
  EXPECT_EQ(lines[0], "  28.3  70.9 m  595.3  70.9 l st  297.6  28.3 m ");
  EXPECT_EQ(lines[1], "(y) s");
  EXPECT_EQ(lines[2], pad("/Courier-Bold findfont [10 0 0 12 0 0] makefont setfont", 80));
  EXPECT_EQ(lines[3], "  28.3  70.9 m  28.3  62.4 l st ");
  EXPECT_EQ(lines[4], "   1.4  48.2 m");
  EXPECT_EQ(lines[5], "( -30.00) s");
  EXPECT_EQ(lines[6], "  56.7  70.9 m  56.7  62.4 l st ");
  EXPECT_EQ(lines.back(), "(  30.00) s");
  std::vector<std::string> numbers;
  for (const auto& l : lines)
    if (l.size() > 3 && l.substr(l.size() - 3) == ") s") numbers.push_back(l);
  EXPECT_EQ(numbers, (std::vector<std::string>{"(y) s", "( -30.00) s", "( -15.00) s", "(   0.00) s",
                                               "(  15.00) s", "(  30.00) s"}));
  EXPECT_EQ(render_errors(as_page(m.io.ps.text())), "");
}

TEST(Axis, ZeroStepStillSpacesTheTicks) {
  MemoryRun m;
  axis_(m.out, 1.0f, 2.5f, "y", -1, 20.0f, 0.0f, 10.0f, 0.0f);
  const std::string text = m.io.ps.text();
  EXPECT_EQ(text.find("nan"), std::string::npos);
  EXPECT_EQ(text.find("*"), std::string::npos);
  EXPECT_NE(text.find(" 595.3  70.9 m 595.3  62.4 l st "), std::string::npos);
  EXPECT_EQ(render_errors(as_page(text)), "");
}

TEST(Legend, SaysWhichEventsArePlotted) {
  const std::string roman = pad("/Times-Roman findfont [14 0 0 14 0 0] makefont setfont", 80);
  const std::string symbol = pad("/Symbol findfont [14 0 0 14 0 0] makefont setfont", 80);
  const std::vector<std::string> tail = {" 623.6  93.5 m", "(are plotted in the) s", " 623.6  76.5 m", symbol,
                                         "(y-l) s",        roman,                     "(-diagram) s"};
  MemoryRun all;
  symbo1_(all.out, 12, 12, all.run.par.drumin);
  std::vector<std::string> want = {roman, " 623.6 110.6 m", "(All events) s"};
  want.insert(want.end(), tail.begin(), tail.end());
  EXPECT_EQ(all.ps_lines(), want);

  MemoryRun none;
  symbo1_(none.out, 0, 12, none.run.par.drumin);
  EXPECT_EQ(none.ps_lines().at(2), "(No events) s");

  MemoryRun some;
  some.run.par.drumin = 25.0f;
  symbo1_(some.out, 5, 12, some.run.par.drumin);
  want = {roman, " 623.6 110.6 m", "(Events with I\\(cps\\) >) s", " 737.0 110.6 m", "(    25.00) s"};
  want.insert(want.end(), tail.begin(), tail.end());
  EXPECT_EQ(some.ps_lines(), want);
  EXPECT_EQ(render_errors(as_page(some.io.ps.text())), "");
}

}  // namespace
}  // namespace korva
