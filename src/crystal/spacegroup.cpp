#include "crystal/spacegroup.hpp"

#include "crystal/spacegroup_table.hpp"
#include "support/format.hpp"

namespace korva {
namespace {

// Recognised translations, tested in this order over open intervals; the
// bounds leave room for translations typed with a few decimals.
struct Fraction {
  float low, high;
  const char* text;
  float exact;
};
constexpr Fraction kFractions[] = {
    {0.80f, 0.90f, "5/6", 5.0f / 6}, {0.73f, 0.76f, "3/4", 0.75f},
    {0.65f, 0.67f, "2/3", 2.0f / 3}, {0.49f, 0.51f, "1/2", 0.5f},
    {0.32f, 0.34f, "1/3", 1.0f / 3}, {0.24f, 0.26f, "1/4", 0.25f},
    {0.15f, 0.17f, "1/6", 1.0f / 6},
};

// Two columns for the coefficient of coordinate m: "+x", "-x" or blanks.
// The table holds only 0 and +-1; anything else is shown as "**" so that a
// damaged operator stands out in the listing.
std::string coefficient_piece(float v, int m) {
  static constexpr char kAxis[] = {'x', 'y', 'z'};
  if (v == 0.0f) return "  ";
  if (v == 1.0f) return std::string{'+', kAxis[m]};
  if (v == -1.0f) return std::string{'-', kAxis[m]};
  return "**";
}

// One operator as the listing shows it: per coordinate the translation and
// the three coefficient pieces, coordinates separated by commas.
std::string operator_text(Symmetry& sym, int k) {
  std::string text;
  for (int j = 0; j < 3; ++j) {
    if (j > 0) text += ',';
    text += translation_text(sym.t[k][j]);
    for (int m = 0; m < 3; ++m) text += coefficient_piece(sym.s[k][j][m], m);
  }
  return text;
}

}  // namespace

std::string translation_text(float& t) {
  for (const Fraction& f : kFractions) {
    if (t > f.low && t < f.high) {
      t = f.exact;
      return f.text;
    }
  }
  if (t > -0.10f && t < 0.10f) return "   ";
  return "***";
}

std::vector<std::string> operator_listing(Symmetry& sym) {
  constexpr int kPerLine = 4;
  std::vector<std::string> lines{I(sym.ns, 3) + " symmetry operators:"};
  std::string line;
  for (int k = 0; k < sym.ns; ++k) {
    if (k % kPerLine != 0) line += X(2);
    line += operator_text(sym, k);
    if (k + 1 < sym.ns) line += ';';
    if (k % kPerLine == kPerLine - 1 || k + 1 == sym.ns) {
      lines.push_back(line);
      line.clear();
    }
  }
  return lines;
}

void raumgr_(Symmetry& sym, int nr, std::string& sgsymbol, Report& report) {
  const SpaceGroupEntry& entry = space_group_entry(nr);
  sym.ns = entry.ns;
  sym.ic = entry.code == 2 ? 1 : 2;
  sgsymbol = pad(entry.symbol, 30);
  for (int k = 0; k < entry.ns; ++k) {
    for (int j = 0; j < 3; ++j) {
      sym.t[k][j] = entry.t[k][j];
      for (int m = 0; m < 3; ++m) sym.s[k][j][m] = entry.s[k][j][m];
    }
  }
  report.line(" Space-group-Nr.   : " + I(nr, 3) + X(5) +
           (sym.ic == 1 ? " Centrosymmetric     Space-group: " : " Non-Centrosymmetric Space-group: ") +
           A(sgsymbol, 30));
  for (const std::string& line : operator_listing(sym)) report.line(line);
}

}  // namespace korva
