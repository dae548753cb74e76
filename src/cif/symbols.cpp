#include "cif/symbols.hpp"

#include <cstdio>
#include <string_view>

#include "crystal/scattering_tables.hpp"

namespace korva::cif {

namespace {

std::string trimmed(std::string_view s) {
  while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
  return std::string(s);
}

bool is_ion(std::string_view symbol) {
  return symbol.find_first_of("+-") != std::string_view::npos;
}

// The neutral atom of z is its first row without a charge: "C" before its
// valence fit "Cval", "Siv" for silicon.
const XrayRow* neutral_row(int z) {
  for (const XrayRow& row : kXrayTable)
    if (row.z == z && !is_ion(row.symbol)) return &row;
  return nullptr;
}

std::string ions_of(int z) {
  std::string list;
  for (const XrayRow& row : kXrayTable)
    if (row.z == z && is_ion(row.symbol)) (list += ' ') += trimmed(row.symbol);
  return list;
}

std::string padded(std::string s) {
  s.resize(4, ' ');
  return s;
}

}  // namespace

TableSymbol xray_symbol(const std::string& element, int z, int charge) {
  const XrayRow* neutral = neutral_row(z);
  if (!neutral) return {};
  if (charge == 0) return {trimmed(neutral->symbol), {}};
  const std::string ion = element + std::to_string(charge < 0 ? -charge : charge) + (charge < 0 ? "-" : "+");
  if (ion.size() <= 4 && find_symbol(kXrayTable, padded(ion))) return {ion, {}};
  const std::string others = ions_of(z);
  return {trimmed(neutral->symbol),
          ion + ": the X-ray table has no such ion; the neutral atom " + trimmed(neutral->symbol) +
              " is used" + (others.empty() ? std::string(" (the table has no ions of ") + element + ")"
                                           : " (ions of " + element + " in the table:" + others + ")")};
}

std::string neutron_symbol(int z) {
  if (z < 1 || z > kNeutronRows) return {};
  return trimmed(kNeutronTable[z - 1].symbol);
}

float neutron_length(int z) {
  if (z < 1 || z > kNeutronRows) return 0.0f;
  return kNeutronTable[z - 1].b;
}

std::string symbols_text() {
  std::string out =
      "Scattering-table symbols that an input file may use (input line 8,\n"
      "columns 1-4).  Case matters and the charge follows the element: Fe3+,\n"
      "O1- (the table has no O2-; Fe+3 and FE are not symbols either).\n"
      "\n"
      "X-ray tables, by atomic number: the neutral atom, then its ions.  Siv is\n"
      "the neutral silicon atom; Cval and Siva are fits to valence electrons.\n";
  int z = 0;
  std::string line;
  for (const XrayRow& row : kXrayTable) {
    if (row.z != z) {
      if (!line.empty()) out += line + "\n";
      z = row.z;
      char head[8];
      std::snprintf(head, sizeof head, "%5d ", z);
      line = head;
    }
    (line += ' ') += trimmed(row.symbol);
  }
  out += line + "\n";
  out +=
      "\n"
      "Neutron scattering lengths b (fm), by atomic number; neutral atoms only\n"
      "(a value in columns 5-14 of the input line replaces the table's; \"-\":\n"
      "the table gives none):\n";
  line.clear();
  for (int n = 0; n < kNeutronRows; ++n) {
    const NeutronRow& row = kNeutronTable[n];
    char item[40];
    if (row.b != 0.0f)
      std::snprintf(item, sizeof item, "%5d %-4s%9.4f", row.z, trimmed(row.symbol).c_str(), row.b);
    else
      std::snprintf(item, sizeof item, "%5d %-4s%9s", row.z, trimmed(row.symbol).c_str(), "-");
    line += item;
    if (n % 4 == 3 || n + 1 == kNeutronRows) {
      out += line + "\n";
      line.clear();
    }
  }
  return out;
}

}  // namespace korva::cif
