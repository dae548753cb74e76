#include "crystal/spacegroup.hpp"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "crystal/spacegroup_table.hpp"
#include "scan/stages.hpp"
#include "support/format.hpp"

namespace korva {
namespace {

// ---------------------------------------------------------------------------
// Exact operator arithmetic: rotation entries as integers, translations in
// twelfths of a lattice vector, reduced modulo the lattice.

struct Op {
  std::array<std::array<int, 3>, 3> r{};
  std::array<int, 3> t{};  // twelfths, 0..11
  auto key() const { return std::tie(r, t); }
  bool operator<(const Op& o) const { return key() < o.key(); }
  bool operator==(const Op& o) const { return key() == o.key(); }
};

int mod12(int v) { return ((v % 12) + 12) % 12; }

Op compose(const Op& a, const Op& b) {  // a after b
  Op c;
  for (int j = 0; j < 3; ++j) {
    int t = a.t[j];
    for (int k = 0; k < 3; ++k) {
      t += a.r[j][k] * b.t[k];
      for (int m = 0; m < 3; ++m) c.r[j][m] += a.r[j][k] * b.r[k][m];
    }
    c.t[j] = mod12(t);
  }
  return c;
}

Op translation(int tx, int ty, int tz) {
  Op o;
  for (int j = 0; j < 3; ++j) o.r[j][j] = 1;
  o.t = {mod12(tx), mod12(ty), mod12(tz)};
  return o;
}

const Op kIdentity = translation(0, 0, 0);

Op inversion() {
  Op o;
  for (int j = 0; j < 3; ++j) o.r[j][j] = -1;
  return o;
}

// Stored operator k of a table entry; fails the test when a translation is
// not a whole number of twelfths in [0, 1) or a rotation entry is not -1, 0, 1.
Op stored_op(const SpaceGroupEntry& e, int k, int nr) {
  Op o;
  for (int j = 0; j < 3; ++j) {
    const float t = e.t[k][j];
    const long n = std::lround(t * 12.0);
    EXPECT_NEAR(t * 12.0, static_cast<double>(n), 1e-5) << "group " << nr << " op " << k + 1;
    EXPECT_TRUE(t >= 0.0f && t < 1.0f) << "group " << nr << " op " << k + 1;
    o.t[j] = mod12(static_cast<int>(n));
    for (int m = 0; m < 3; ++m) {
      const float v = e.s[k][j][m];
      EXPECT_TRUE(v == 0.0f || v == 1.0f || v == -1.0f) << "group " << nr << " op " << k + 1;
      o.r[j][m] = static_cast<int>(v);
    }
  }
  return o;
}

// Centring translations of the lattice letter, in twelfths.
std::vector<Op> centring_vectors(char letter) {
  switch (letter) {
    case 'A': return {translation(0, 6, 6)};
    case 'B': return {translation(6, 0, 6)};
    case 'C': return {translation(6, 6, 0)};
    case 'I': return {translation(6, 6, 6)};
    case 'F': return {translation(6, 6, 0), translation(6, 0, 6), translation(0, 6, 6)};
    default: return {};
  }
}

// Parses a coordinate triplet such as "-x+y,x,z+3/4" into exact form.
Op parse_triplet(const std::string& text) {
  Op o;
  int j = 0;
  std::size_t i = 0;
  while (i <= text.size()) {
    if (i == text.size() || text[i] == ',') {
      ++j;
      ++i;
      if (i > text.size()) break;
      continue;
    }
    int sign = 1;
    if (text[i] == '+' || text[i] == '-') sign = text[i++] == '-' ? -1 : 1;
    const char c = text[i];
    if (c == 'x' || c == 'y' || c == 'z') {
      o.r[j][c - 'x'] = sign;
      ++i;
    } else {
      const int num = text[i] - '0';
      const int den = text[i + 2] - '0';  // "p/q" with single digits
      o.t[j] = mod12(o.t[j] + sign * num * 12 / den);
      i += 3;
    }
  }
  EXPECT_EQ(j, 3) << text;
  return o;
}

std::vector<Op> parse_operators(const std::string& list) {
  std::vector<Op> ops;
  std::stringstream ss(list);
  std::string item;
  while (std::getline(ss, item, ';')) {
    std::string compact;
    for (char c : item)
      if (c != ' ') compact += c;
    if (!compact.empty()) ops.push_back(parse_triplet(compact));
  }
  return ops;
}

std::string trimmed_symbol(const SpaceGroupEntry& e) { return std::string(trim_right(e.symbol)); }

// The groups of the centrosymmetric Laue classes.
bool centrosymmetric_by_number(int nr) {
  static constexpr std::array<std::pair<int, int>, 11> kRanges{{{2, 2}, {10, 15}, {47, 74},
                                                               {83, 88}, {123, 142}, {147, 148},
                                                               {162, 167}, {175, 176}, {191, 194},
                                                               {200, 206}, {221, 230}}};
  for (auto [lo, hi] : kRanges)
    if (nr >= lo && nr <= hi) return true;
  return false;
}

// ---------------------------------------------------------------------------
// The whole table.

TEST(SpaceGroupTable, EveryGroupClosesWithInversionAtOriginAndCentring) {
  for (int nr = 1; nr <= 230; ++nr) {
    SCOPED_TRACE("group " + std::to_string(nr));
    const SpaceGroupEntry& e = space_group_entry(nr);
    ASSERT_EQ(e.symbol.size(), 30u);
    ASSERT_TRUE(std::set<int>({1, 2, 3, 4, 6, 8, 12, 24}).count(e.ns)) << e.ns;
    const bool centro = e.code == 2;
    ASSERT_TRUE(e.code == 1 || e.code == 2);
    EXPECT_EQ(centro, centrosymmetric_by_number(nr));

    std::vector<Op> group;
    for (int k = 0; k < e.ns; ++k) group.push_back(stored_op(e, k, nr));
    EXPECT_EQ(group[0], kIdentity);
    if (centro) {
      const std::size_t n = group.size();
      for (std::size_t k = 0; k < n; ++k) group.push_back(compose(inversion(), group[k]));
    }
    const char letter = e.symbol[0];
    ASSERT_NE(std::string("PABCIFR").find(letter), std::string::npos);
    const std::vector<Op> centring = centring_vectors(letter);
    const std::size_t primitive = group.size();
    for (const Op& c : centring)
      for (std::size_t k = 0; k < primitive; ++k) group.push_back(compose(c, group[k]));

    const std::set<Op> members(group.begin(), group.end());
    EXPECT_EQ(members.size(), group.size()) << "duplicate operators";
    int missing = 0;
    for (const Op& a : group)
      for (const Op& b : group)
        if (!members.count(compose(a, b))) ++missing;
    EXPECT_EQ(missing, 0) << "not closed";

    std::set<std::array<std::array<int, 3>, 3>> rotations;
    for (const Op& op : group) rotations.insert(op.r);
    const int point_group_order = static_cast<int>(rotations.size());
    // Each rotation once per centring vector, and the stored count is the
    // point-group order, halved when the inversion is left out.
    EXPECT_EQ(point_group_order * static_cast<int>(centring.size() + 1), static_cast<int>(group.size()));
    EXPECT_EQ(e.ns, point_group_order / (centro ? 2 : 1));
    const bool has_inversion = rotations.count(inversion().r) > 0;
    EXPECT_EQ(has_inversion, centro);
    if (centro) {
      EXPECT_TRUE(members.count(inversion())) << "inversion not at the origin";
    }
  }
}

TEST(SpaceGroupTable, OperatorCountsOfNamedGroups) {
  const std::vector<std::pair<std::string, int>> cases = {
      {"P 1", 1},    {"P -1", 1},     {"P 1 21/c 1", 2}, {"P n m a", 4},
      {"P 42 m c", 8}, {"P 63/m", 6}, {"F m -3 m", 24},  {"I a -3 d", 24}};
  for (const auto& [symbol, ns] : cases) {
    int found = 0;
    for (int nr = 1; nr <= 230; ++nr) {
      const SpaceGroupEntry& e = space_group_entry(nr);
      if (trimmed_symbol(e) != symbol) continue;
      ++found;
      EXPECT_EQ(e.ns, ns) << symbol;
    }
    EXPECT_EQ(found, 1) << symbol;
  }
  EXPECT_EQ(space_group_entry(105).code, 1);
  EXPECT_EQ(space_group_entry(105).ns, 8);
}

TEST(SpaceGroupTable, SettingNotesMarkOriginChoiceAndRhombohedralAxes) {
  const std::set<int> origin_choice = {48,  50,  59,  68,  70,  85,  86,  88,  125, 126, 129, 130,
                                       133, 134, 137, 138, 141, 142, 201, 203, 222, 224, 227, 228};
  const std::set<int> rhombohedral = {146, 148, 155, 160, 161, 166, 167};
  for (int nr = 1; nr <= 230; ++nr) {
    const std::string symbol = trimmed_symbol(space_group_entry(nr));
    const bool origin = symbol.find("; origin at centre") != std::string::npos;
    const bool rhomb = symbol.find("rhombohedral axes") != std::string::npos;
    EXPECT_EQ(origin, origin_choice.count(nr) > 0) << nr << " " << symbol;
    EXPECT_EQ(rhomb, rhombohedral.count(nr) > 0) << nr << " " << symbol;
    EXPECT_EQ(symbol[0] == 'R', rhomb) << nr << " " << symbol;
  }
  EXPECT_EQ(trimmed_symbol(space_group_entry(167)), "R -3 c ;rhombohedral axes");
}

struct ReferenceRow {
  int nr;
  const char* symbol;
  int code;
  const char* operators;
};

TEST(SpaceGroupTable, ReferenceRowsExactly) {
  const ReferenceRow rows[] = {
      {2, "P -1", 2, "x, y, z"},
      {14, "P 1 21/c 1", 2, "x, y, z; -x, y+1/2, -z+1/2"},
      {15, "C 1 2/c 1", 2, "x, y, z; -x, y, -z+1/2"},
      {48, "P n n n ; origin at centre", 2,
       "x, y, z; -x+1/2, -y+1/2, z; -x+1/2, y, -z+1/2; x, -y+1/2, -z+1/2"},
      {166, "R -3 m ; rhombohedral axes", 2,
       "x, y, z; z, x, y; y, z, x; -y, -x, -z; -x, -z, -y; -z, -y, -x"},
      {168, "P 6", 1, "x, y, z; -y, x-y, z; -x+y, -x, z; -x, -y, z; y, -x+y, z; x-y, x, z"},
  };
  for (const ReferenceRow& row : rows) {
    SCOPED_TRACE("group " + std::to_string(row.nr));
    const SpaceGroupEntry& e = space_group_entry(row.nr);
    EXPECT_EQ(std::string(e.symbol), pad(row.symbol, 30));
    EXPECT_EQ(e.code, row.code);
    const std::vector<Op> expected = parse_operators(row.operators);
    ASSERT_EQ(e.ns, static_cast<int>(expected.size()));
    for (int k = 0; k < e.ns; ++k) EXPECT_EQ(stored_op(e, k, row.nr), expected[k]) << "op " << k + 1;
  }

  const SpaceGroupEntry& e = space_group_entry(230);
  EXPECT_EQ(std::string(e.symbol), pad("I a -3 d", 30));
  EXPECT_EQ(e.code, 2);
  ASSERT_EQ(e.ns, 24);
  const std::vector<Op> first = parse_operators("x, y, z; -x+1/2, -y, z+1/2; -x, y+1/2, -z+1/2; x+1/2, -y+1/2, -z; z, x, y");
  for (int k = 0; k < 5; ++k) EXPECT_EQ(stored_op(e, k, 230), first[k]) << "op " << k + 1;
  EXPECT_EQ(stored_op(e, 12, 230), parse_triplet("y+3/4,x+1/4,-z+1/4"));
}

TEST(SpaceGroupTable, ThirdsAndSixthsAreTheNearestFloats) {
  // P 31: x, y, z+1/3 and x, y, z+2/3; P 61: z+1/6 and z+5/6 among its operators.
  std::set<float> seen;
  for (int nr : {144, 169})
    for (int k = 0; k < space_group_entry(nr).ns; ++k) seen.insert(space_group_entry(nr).t[k][2]);
  EXPECT_TRUE(seen.count(1.0f / 3));
  EXPECT_TRUE(seen.count(2.0f / 3));
  EXPECT_TRUE(seen.count(1.0f / 6));
  EXPECT_TRUE(seen.count(5.0f / 6));
}

TEST(SpaceGroupTable, EveryRowEqualsTheSourceTableInTheRepository) {
  // data/spacegroups.tsv, read here with the test's own triplet parser.
  std::ifstream in(KORVA_SOURCE_DIR "/data/spacegroups.tsv");
  ASSERT_TRUE(in);
  std::string line;
  std::getline(in, line);
  int rows = 0;
  while (std::getline(in, line)) {
    std::vector<std::string> cols;
    std::stringstream ss(line);
    for (std::string c; std::getline(ss, c, '\t');) cols.push_back(c);
    ASSERT_EQ(cols.size(), 5u) << line;
    const int nr = std::stoi(cols[0]);
    const SpaceGroupEntry& e = space_group_entry(nr);
    EXPECT_EQ(trimmed_symbol(e), cols[1]);
    EXPECT_EQ(e.ns, std::stoi(cols[2])) << nr;
    EXPECT_EQ(e.code, std::stoi(cols[3])) << nr;
    std::stringstream ops(cols[4]);
    int k = 0;
    for (std::string op; std::getline(ops, op, ';'); ++k) {
      if (k >= e.ns) continue;
      EXPECT_EQ(stored_op(e, k, nr), parse_triplet(op)) << nr << " " << op;
    }
    EXPECT_EQ(k, e.ns) << nr;
    ++rows;
  }
  EXPECT_EQ(rows, 230);
}

TEST(SpaceGroupTable, MalformedOperatorTextIsRefused) {
  SpaceGroupEntry e{};
  EXPECT_TRUE(parse_space_group_operators("x,y,z;-x+1/3,-y,z+5/6", e));
  EXPECT_EQ(e.ns, 2);
  EXPECT_EQ(e.t[1][0], 1.0f / 3);
  EXPECT_EQ(e.t[1][2], 5.0f / 6);
  for (const char* bad : {"", "x,y", "x,y,z,x", "x,y,z+1/5", "x,x,z+", "x+x,y,z", "a,y,z", "x,y,z;"})
    EXPECT_FALSE(parse_space_group_operators(bad, e)) << bad;
}

// ---------------------------------------------------------------------------
// The listing.

std::vector<std::string> lines_of(const std::string& text) {
  std::vector<std::string> lines;
  std::stringstream ss(text);
  std::string line;
  while (std::getline(ss, line)) lines.push_back(line);
  return lines;
}

struct Listed {
  std::string symbol;
  Symmetry sym;
  std::vector<std::string> lines;
};

Listed list_group(int nr) {
  Io io;
  io.in_memory = true;
  io.listing.open_memory();
  korva::Run run(io);
  Listed out;
  raumgr_(run.cr.sym, nr, out.symbol, run.report);
  out.sym = run.cr.sym;
  out.lines = lines_of(io.listing.text());
  return out;
}

std::string blanks(int n) { return std::string(n, ' '); }

TEST(SpaceGroupListing, SingleOperatorOfP1) {
  const Listed l = list_group(1);
  EXPECT_EQ(l.sym.ns, 1);
  EXPECT_EQ(l.sym.ic, 2);
  EXPECT_EQ(l.symbol, pad("P 1", 30));
  ASSERT_EQ(l.lines.size(), 3u);
  EXPECT_EQ(l.lines[0], " Space-group-Nr.   :   1" + blanks(5) + " Non-Centrosymmetric Space-group: " + pad("P 1", 30));
  EXPECT_EQ(l.lines[1], "  1 symmetry operators:");
  // x, y, z with no ";" after the only operator.
  EXPECT_EQ(l.lines[2], blanks(3) + "+x" + blanks(4) + "," + blanks(5) + "+y" + blanks(2) + "," + blanks(7) + "+z");
}

TEST(SpaceGroupListing, ScrewAxisTranslationsOfP21c) {
  const Listed l = list_group(14);
  EXPECT_EQ(l.sym.ic, 1);
  ASSERT_EQ(l.lines.size(), 3u);
  EXPECT_EQ(l.lines[0], " Space-group-Nr.   :  14" + blanks(5) + " Centrosymmetric     Space-group: " +
                            pad("P 1 21/c 1", 30));
  EXPECT_EQ(l.lines[1], "  2 symmetry operators:");
  const std::string first = blanks(3) + "+x" + blanks(4) + "," + blanks(5) + "+y" + blanks(2) + "," + blanks(7) + "+z";
  const std::string second = blanks(3) + "-x" + blanks(4) + "," + "1/2" + blanks(2) + "+y" + blanks(2) + "," +
                             "1/2" + blanks(4) + "-z";
  EXPECT_EQ(l.lines[2], first + ";" + blanks(2) + second);
}

TEST(SpaceGroupListing, SixOperatorsOfP6InALineOfFourAndALineOfTwo) {
  const Listed l = list_group(168);
  ASSERT_EQ(l.lines.size(), 4u);
  EXPECT_EQ(l.lines[1], "  6 symmetry operators:");
  // Hexagonal axes: combinations of two coefficients in one coordinate.
  const std::string op2 = blanks(3) + "  -y  ," + blanks(3) + "+x-y  ," + blanks(7) + "+z";   // -y, x-y, z
  const std::string op3 = blanks(3) + "-x+y  ," + blanks(3) + "-x    ," + blanks(7) + "+z";   // -x+y, -x, z
  const std::string op6 = blanks(3) + "+x-y  ," + blanks(3) + "+x    ," + blanks(7) + "+z";   // x-y, x, z
  const std::string first_line = l.lines[2];
  const std::string second_line = l.lines[3];
  // Four operators of 29 columns, each followed by ";", two blanks between them.
  EXPECT_EQ(first_line.size(), 4u * 29 + 4 + 3 * 2);
  EXPECT_EQ(first_line.substr(32, 29), op2);
  EXPECT_EQ(first_line.substr(64, 29), op3);
  EXPECT_EQ(first_line.back(), ';');
  // The last operator of the list ends its line without ";".
  EXPECT_EQ(second_line.size(), 2u * 29 + 1 + 2);
  EXPECT_EQ(second_line.substr(29, 3), ";  ");
  EXPECT_EQ(second_line.substr(32), op6);
  EXPECT_EQ(op6.substr(0, 9), blanks(3) + "+x-y" + blanks(2));
}

TEST(SpaceGroupListing, IaMinus3dListsTwentyFourOperatorsInSixLines) {
  const Listed l = list_group(230);
  EXPECT_EQ(l.sym.ns, 24);
  EXPECT_EQ(l.sym.ic, 1);
  EXPECT_EQ(l.symbol, pad("I a -3 d", 30));
  ASSERT_EQ(l.lines.size(), 8u);
  EXPECT_EQ(l.lines[0], " Space-group-Nr.   : 230" + blanks(5) + " Centrosymmetric     Space-group: " + pad("I a -3 d", 30));
  EXPECT_EQ(l.lines[1], " 24 symmetry operators:");
  int semicolons = 0;
  for (std::size_t i = 2; i < l.lines.size(); ++i)
    for (char c : l.lines[i]) semicolons += c == ';';
  EXPECT_EQ(semicolons, 23);
  // Operator 13: y+3/4, x+1/4, -z+1/4 opens the fourth line of operators.
  EXPECT_EQ(l.lines[5].substr(0, 29), "3/4  +y  ,1/4+x    ,1/4    -z");
  for (std::size_t i = 2; i < l.lines.size(); ++i) EXPECT_EQ(l.lines[i].find("***"), std::string::npos);
}

TEST(SpaceGroupListing, RecognisedTranslationsTakeTheirExactValues) {
  struct Case {
    float in;
    const char* text;
    float out;
  };
  const Case cases[] = {
      {0.2501f, "1/4", 0.25f},       {0.25f, "1/4", 0.25f},        {0.7490f, "3/4", 0.75f},
      {0.3334f, "1/3", 1.0f / 3},    {0.6660f, "2/3", 2.0f / 3},   {0.1660f, "1/6", 1.0f / 6},
      {0.8334f, "5/6", 5.0f / 6},    {0.8900f, "5/6", 5.0f / 6},   {0.5050f, "1/2", 0.5f},
      {0.0f, "   ", 0.0f},           {0.0900f, "   ", 0.0900f},    {-0.0500f, "   ", -0.0500f},
      {0.90f, "***", 0.90f},         {0.80f, "***", 0.80f},        {0.70f, "***", 0.70f},
      {0.10f, "***", 0.10f},         {1.0f, "***", 1.0f},          {-0.5f, "***", -0.5f},
      {0.2600f, "***", 0.2600f},     {0.3400f, "***", 0.3400f},
  };
  for (const Case& c : cases) {
    float t = c.in;
    EXPECT_EQ(translation_text(t), c.text) << c.in;
    EXPECT_EQ(t, c.out) << c.in;
  }

  // Through a whole operator: the translations typed with four decimals are
  // listed as fractions and stored exactly afterwards.
  Symmetry sym;
  sym.ns = 1;
  sym.t[0] = {0.2501f, 0.5f, 0.9f};
  sym.s[0] = {{{0, -1, 0}, {1, -1, 0}, {0, 0, 1}}};
  const std::vector<std::string> lines = operator_listing(sym);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0], "  1 symmetry operators:");
  EXPECT_EQ(lines[1], "1/4  -y  ,1/2+x-y  ,***    +z");
  EXPECT_EQ(sym.t[0][0], 0.25f);
  EXPECT_EQ(sym.t[0][1], 0.5f);
  EXPECT_EQ(sym.t[0][2], 0.9f);
}

// ---------------------------------------------------------------------------
// Through the input reader: line 7 takes the group from the table and the
// centring multiplicity from the lattice letter.

std::string input_with_group(int nr, bool with_atoms) {
  std::string text =
      "test\n"
      "t.ps\n"
      "12.380  12.380  12.380   90. 90. 90.\n"
      "Ag\n"
      "0.14  0.14 150. 150.  0.0\n"
      "-66.   16. 50  0  1. 0.\n";
  if (with_atoms) {
    text += std::to_string(nr) + "  1  1\nO1-\n   1  1.  -0.0271  0.0568  0.1504\n"
            "0.0004909  0.0004909  0.0004909  0.  0.  0.\n";
  } else {
    text += std::to_string(nr) + "  0  0\n";
  }
  text += " 8  8  2  10. 0. -24.5  -23.5\n";
  return text;
}

TEST(SpaceGroupInput, LineSevenTakesTheGroupAndItsCentring) {
  const std::vector<std::pair<int, int>> cases = {{1, 1}, {14, 1}, {15, 2}, {38, 2}, {166, 1},
                                                  {225, 4}, {230, 2}};
  for (auto [nr, multiplicity] : cases) {
    SCOPED_TRACE("group " + std::to_string(nr));
    Io io;
    io.in_memory = true;
    io.listing.open_memory();
    io.input.open_text(input_with_group(nr, false));
    korva::Run run(io);
    std::string dname2, dname1;
    read_input(run, dname2, dname1);
    const SpaceGroupEntry& e = space_group_entry(nr);
    EXPECT_EQ(run.par.centring, multiplicity);
    EXPECT_EQ(run.cr.sym.sgsymbol, std::string(e.symbol));
    EXPECT_EQ(run.cr.sym.ns, e.ns);
    EXPECT_EQ(run.cr.sym.ic, e.code == 2 ? 1 : 2);
    const std::string listing = io.listing.text();
    EXPECT_NE(listing.find(" Space-group-Nr.   : " + I(nr, 3)), std::string::npos);
    EXPECT_NE(listing.find(I(e.ns, 3) + " symmetry operators:"), std::string::npos);
  }
}

TEST(SpaceGroupInput, GarnetInputListsTheTwentyFourOperators) {
  Io io;
  io.in_memory = true;
  io.listing.open_memory();
  io.input.open_text(input_with_group(230, true));
  korva::Run run(io);
  std::string dname2, dname1;
  read_input(run, dname2, dname1);
  const std::vector<std::string> lines = lines_of(io.listing.text());
  std::size_t header = 0;
  while (header < lines.size() && lines[header].rfind(" Space-group-Nr.", 0) != 0) ++header;
  ASSERT_LT(header + 7, lines.size());
  EXPECT_EQ(lines[header], " Space-group-Nr.   : 230" + blanks(5) + " Centrosymmetric     Space-group: " +
                               pad("I a -3 d", 30));
  EXPECT_EQ(lines[header + 1], " 24 symmetry operators:");
  for (int i = 2; i < 8; ++i) {
    const std::string& line = lines[header + i];
    EXPECT_EQ(line.size(), i < 7 ? 126u : 125u) << line;
  }
  EXPECT_EQ(run.par.centring, 2);
}

}  // namespace
}  // namespace korva
