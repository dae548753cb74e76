// Reads the compact space-group rows into operator matrices.
#include "crystal/spacegroup_table.hpp"

#include <array>
#include <cstdlib>

namespace korva {
namespace {

// One coordinate such as "-x+y+1/2": rotation row and translation in twelfths,
// so that 1/3 and 1/6 are exact until the single rounding to float.
bool parse_coordinate(std::string_view text, float row[3], int& twelfths) {
  twelfths = 0;
  if (text.empty()) return false;
  std::size_t i = 0;
  while (i < text.size()) {
    int sign = 1;
    if (text[i] == '+' || text[i] == '-') {
      if (text[i] == '-') sign = -1;
      ++i;
    }
    if (i < text.size() && text[i] >= 'x' && text[i] <= 'z') {
      float& c = row[text[i] - 'x'];
      if (c != 0) return false;
      c = static_cast<float>(sign);
      ++i;
      continue;
    }
    int p = 0, q = 0;
    std::size_t j = i;
    while (j < text.size() && text[j] >= '0' && text[j] <= '9') p = 10 * p + (text[j++] - '0');
    if (j == i || j + 1 >= text.size() || text[j] != '/') return false;
    std::size_t k = ++j;
    while (j < text.size() && text[j] >= '0' && text[j] <= '9') q = 10 * q + (text[j++] - '0');
    if (j == k || q == 0 || 12 % q != 0) return false;
    twelfths += sign * p * (12 / q);
    i = j;
  }
  return true;
}

std::array<SpaceGroupEntry, 230> parse_table() {
  std::array<SpaceGroupEntry, 230> table{};
  for (int nr = 1; nr <= 230; ++nr) {
    const SpaceGroupRow& row = kSpaceGroupRows[nr - 1];
    SpaceGroupEntry& e = table[nr - 1];
    e.symbol = row.symbol;
    e.code = row.code;
    // The rows are generated and checked by the generator; a row that does not
    // read is a build fault, not an input error.
    if (!parse_space_group_operators(row.operators, e)) std::abort();
  }
  return table;
}

}  // namespace

bool parse_space_group_operators(std::string_view text, SpaceGroupEntry& e) {
  e.ns = 0;
  while (!text.empty()) {
    if (e.ns == 24) return false;
    const std::size_t end = text.find(';');
    std::string_view op = text.substr(0, end);
    text = end == std::string_view::npos ? std::string_view{} : text.substr(end + 1);
    if (end != std::string_view::npos && text.empty()) return false;
    for (int j = 0; j < 3; ++j) {
      const std::size_t comma = op.find(',');
      if ((j < 2) == (comma == std::string_view::npos)) return false;
      int twelfths = 0;
      for (float& c : e.s[e.ns][j]) c = 0;
      if (!parse_coordinate(op.substr(0, comma), e.s[e.ns][j], twelfths)) return false;
      twelfths %= 12;
      if (twelfths < 0) twelfths += 12;
      e.t[e.ns][j] = static_cast<float>(twelfths) / 12.0f;
      if (j < 2) op.remove_prefix(comma + 1);
    }
    ++e.ns;
  }
  return e.ns > 0;
}

const SpaceGroupEntry& space_group_entry(int nr) {
  static const std::array<SpaceGroupEntry, 230> table = parse_table();
  return table[nr - 1];
}

}  // namespace korva
