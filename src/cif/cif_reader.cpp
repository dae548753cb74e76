#include "cif/cif_reader.hpp"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <fstream>
#include <set>

#include <gemmi/cif.hpp>
#include <gemmi/elem.hpp>
#include <gemmi/numb.hpp>

namespace korva::cif {

namespace cifdoc = gemmi::cif;

namespace {

constexpr double kPi = 3.14159265358979323846;

bool given(const std::string* v) { return v && !cifdoc::is_null(*v); }

// The first of the tags the block gives a value for, or null.
const std::string* first_value(const cifdoc::Block& block, std::initializer_list<const char*> tags,
                               const char** found = nullptr) {
  for (const char* tag : tags) {
    const std::string* v = block.find_value(tag);
    if (given(v)) {
      if (found) *found = tag;
      return v;
    }
  }
  return nullptr;
}

std::string one_line(const std::string& raw) {
  std::string s = cifdoc::as_string(raw), out;
  for (char c : s) {
    const bool blank = std::isspace(static_cast<unsigned char>(c));
    if (blank && (out.empty() || out.back() == ' ')) continue;
    out += blank ? ' ' : c;
  }
  while (!out.empty() && out.back() == ' ') out.pop_back();
  return out;
}

std::string lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

// Element and charge of a type symbol such as "Fe3+", "Fe+3", "O2-", "Na+"
// or, from a label, "Fe1".  Digits without a sign belong to a label.
void read_type_symbol(const std::string& symbol, CifSite& site, std::vector<std::string>& warnings) {
  const std::string s = one_line(symbol);
  if (s.empty() || !std::isalpha(static_cast<unsigned char>(s[0])))
    throw CifError("atom " + site.label + ": type symbol '" + s + "' names no element");
  std::size_t len = 1;
  std::string name(1, static_cast<char>(std::toupper(static_cast<unsigned char>(s[0]))));
  if (s.size() > 1 && std::isalpha(static_cast<unsigned char>(s[1]))) {
    const std::string two = name + static_cast<char>(std::tolower(static_cast<unsigned char>(s[1])));
    if (gemmi::find_element(two.c_str()) != gemmi::El::X) {
      name = two;
      len = 2;
    }
  }
  const gemmi::Element el(gemmi::find_element(name.c_str()));
  if (el == gemmi::El::X) throw CifError("atom " + site.label + ": type symbol '" + s + "' names no element");
  site.element = name;
  site.z = el.atomic_number();

  const std::string rest = s.substr(len);
  const std::size_t sign = rest.find_first_of("+-");
  if (sign == std::string::npos) return;
  std::string digits = rest;
  digits.erase(sign, 1);
  const int direction = rest[sign] == '+' ? 1 : -1;
  const bool placed = sign == 0 || sign + 1 == rest.size();
  if (placed && digits.empty()) {
    site.charge = direction;
  } else if (placed && std::all_of(digits.begin(), digits.end(), [](char c) { return std::isdigit(static_cast<unsigned char>(c)); }) &&
             digits.size() == 1) {
    site.charge = direction * (digits[0] - '0');
  } else {
    warnings.push_back("atom " + site.label + ": the charge in '" + s + "' is not a whole number; the neutral atom is used");
  }
}

std::vector<gemmi::Op> unique_sorted(std::vector<gemmi::Op> ops) {
  for (gemmi::Op& op : ops) op.wrap();
  std::sort(ops.begin(), ops.end());
  ops.erase(std::unique(ops.begin(), ops.end()), ops.end());
  return ops;
}

std::vector<gemmi::Op> loop_operators(cifdoc::Block& block, std::string& tag_used) {
  for (const char* tag : {"_space_group_symop_operation_xyz", "_symmetry_equiv_pos_as_xyz",
                          "_space_group_symop.operation_xyz", "_symmetry_equiv.pos_as_xyz"}) {
    cifdoc::Column col = block.find_values(tag);
    if (!col.item()) continue;
    tag_used = tag;
    std::vector<gemmi::Op> ops;
    for (const std::string& raw : col) {
      const std::string text = cifdoc::as_string(raw);
      gemmi::Op op;
      try {
        op = gemmi::parse_triplet(text);
      } catch (const std::exception& e) {
        throw CifError("symmetry operator '" + text + "' cannot be read: " + e.what());
      }
      const int det = op.det_rot();
      const int unit = gemmi::Op::DEN * gemmi::Op::DEN * gemmi::Op::DEN;
      if (det != unit && det != -unit)
        throw CifError("symmetry operator '" + text + "' is not a rotation of the lattice");
      ops.push_back(op);
    }
    ops = unique_sorted(ops);
    if (!std::binary_search(ops.begin(), ops.end(), gemmi::Op::identity()))
      throw CifError("the symmetry operators (" + tag_used + ") do not include x,y,z");
    for (const gemmi::Op& a : ops)
      for (const gemmi::Op& b : ops)
        if (!std::binary_search(ops.begin(), ops.end(), a * b))
          throw CifError("the symmetry operators (" + tag_used + ") are not a group: " + a.triplet() +
                         " followed by " + b.triplet() + " gives " + (a * b).triplet() + ", which the list lacks");
    return ops;
  }
  return {};
}

// A Hermann-Mauguin symbol as gemmi reads it: the origin-choice and axes
// suffixes written as ":1", ":2", ":H", ":R" (also the one-letter forms S, Z,
// H, R after a blank that some databases use).
std::string normalised_hm(std::string hm) {
  std::string s = one_line(hm);
  if (s.size() > 2 && s[s.size() - 2] == ' ' && s.find(':') == std::string::npos) {
    const char last = static_cast<char>(std::toupper(static_cast<unsigned char>(s.back())));
    const char* suffix = last == 'S' ? ":1" : last == 'Z' ? ":2" : last == 'H' ? ":H" : last == 'R' ? ":R" : nullptr;
    if (suffix) s = s.substr(0, s.size() - 2) + suffix;
  }
  return s;
}

struct SymbolGroup {
  std::string description;  // e.g. "Hall symbol '-F 4vw 2vw 3'"
  std::vector<gemmi::Op> ops;
};

// The group named by a Hall symbol, the H-M symbol or, last, the number.
std::vector<SymbolGroup> symbol_groups(const cifdoc::Block& block, const std::array<double, 6>& cell,
                                       std::vector<std::string>& warnings) {
  std::vector<SymbolGroup> groups;
  if (const std::string* hall = first_value(block, {"_space_group_name_Hall", "_symmetry_space_group_name_Hall"})) {
    const std::string text = one_line(*hall);
    try {
      groups.push_back({"Hall symbol '" + text + "'", expand_group(gemmi::symops_from_hall(text.c_str()))});
    } catch (const std::exception& e) {
      warnings.push_back("the Hall symbol '" + text + "' cannot be read (" + e.what() + "); it is ignored");
    }
  }
  if (const std::string* hm = first_value(block, {"_space_group_name_H-M_alt", "_symmetry_space_group_name_H-M"})) {
    const std::string text = normalised_hm(*hm);
    const gemmi::SpaceGroup* sg = gemmi::find_spacegroup_by_name(text, cell[3], cell[5]);
    if (!sg) {
      warnings.push_back("the H-M symbol '" + one_line(*hm) + "' is not known; it is ignored");
    } else {
      if (text.find(':') == std::string::npos && (sg->ext == '1' || sg->ext == '2'))
        warnings.push_back("the H-M symbol '" + one_line(*hm) + "' does not say the origin choice; origin choice " +
                           std::string(1, sg->ext) + " is assumed");
      groups.push_back({"H-M symbol '" + sg->xhm() + "'", expand_group(sg->operations())});
    }
  }
  if (groups.empty())
    if (const std::string* nr = first_value(block, {"_space_group_IT_number", "_symmetry_Int_Tables_number"})) {
      const double n = cifdoc::as_number(*nr);
      if (n >= 1 && n <= 230 && n == std::floor(n)) {
        const gemmi::SpaceGroup& sg = gemmi::get_spacegroup_reference_setting(static_cast<int>(n));
        warnings.push_back("the CIF gives only the space-group number; its standard setting " + sg.xhm() +
                           " is assumed");
        groups.push_back({"space-group number " + one_line(*nr), expand_group(sg.operations())});
      }
    }
  return groups;
}

void read_symmetry(cifdoc::Block& block, CifCrystal& cr) {
  std::string loop_tag;
  std::vector<gemmi::Op> loop = loop_operators(block, loop_tag);
  const std::vector<SymbolGroup> symbols = symbol_groups(block, cr.cell, cr.warnings);
  if (!loop.empty()) {
    cr.ops = loop;
    cr.symmetry_source = "the symmetry-operator loop (" + loop_tag + ")";
    if (!symbols.empty() && symbols.front().ops != loop)
      cr.warnings.push_back("the symmetry-operator loop (" + std::to_string(loop.size()) + " operators) and the " +
                            symbols.front().description + " (" + std::to_string(symbols.front().ops.size()) +
                            " operators) disagree; the loop is used");
  } else if (!symbols.empty()) {
    cr.ops = symbols.front().ops;
    cr.symmetry_source = "the " + symbols.front().description;
    for (std::size_t n = 1; n < symbols.size(); ++n)
      if (symbols[n].ops != cr.ops)
        cr.warnings.push_back("the " + symbols.front().description + " and the " + symbols[n].description +
                              " disagree; the first is used");
  } else {
    throw CifError("no symmetry: the block gives neither symmetry operators nor a space-group symbol");
  }
  if (const gemmi::SpaceGroup* sg = gemmi::find_spacegroup_by_ops(gemmi::split_centering_vectors(cr.ops)))
    cr.group_name = sg->xhm();
}

void read_cell(const cifdoc::Block& block, CifCrystal& cr) {
  const char* tags[6] = {"_cell_length_a", "_cell_length_b", "_cell_length_c",
                         "_cell_angle_alpha", "_cell_angle_beta", "_cell_angle_gamma"};
  for (int n = 0; n < 6; ++n) {
    const std::string* v = block.find_value(tags[n]);
    const double x = given(v) ? cifdoc::as_number(*v) : NAN;
    if (std::isnan(x)) throw CifError(std::string("no cell: ") + tags[n] + (given(v) ? " is not a number" : " is missing"));
    if (x <= 0 || (n >= 3 && x >= 180)) throw CifError(std::string("no cell: ") + tags[n] + " is out of range");
    cr.cell[n] = x;
  }
  const double ca = std::cos(cr.cell[3] * kPi / 180), cb = std::cos(cr.cell[4] * kPi / 180),
               cg = std::cos(cr.cell[5] * kPi / 180);
  if (1 - ca * ca - cb * cb - cg * cg + 2 * ca * cb * cg <= 1e-6) throw CifError("no cell: the cell angles span no volume");
}

double number(const cifdoc::Table::Row& row, int n) {
  return row.has2(n) ? cifdoc::as_number(row[n]) : NAN;
}

// Anisotropic displacements of the aniso loop by label, as U (A^2).
struct AnisoRow {
  std::string label;
  std::array<double, 6> u{};
};

std::vector<AnisoRow> read_aniso(cifdoc::Block& block, const std::array<double, 6>& cell) {
  // Reciprocal lengths for parameters given as beta.
  const double r = kPi / 180;
  const double ca = std::cos(cell[3] * r), cb = std::cos(cell[4] * r), cg = std::cos(cell[5] * r);
  const double v = cell[0] * cell[1] * cell[2] * std::sqrt(1 - ca * ca - cb * cb - cg * cg + 2 * ca * cb * cg);
  const double rec[3] = {cell[1] * cell[2] * std::sin(cell[3] * r) / v, cell[0] * cell[2] * std::sin(cell[4] * r) / v,
                         cell[0] * cell[1] * std::sin(cell[5] * r) / v};
  const int pair[6][2] = {{0, 0}, {1, 1}, {2, 2}, {0, 1}, {0, 2}, {1, 2}};
  std::vector<AnisoRow> rows;
  cifdoc::Table t = block.find("_atom_site_aniso_",
                               {"label", "?U_11", "?U_22", "?U_33", "?U_12", "?U_13", "?U_23", "?B_11", "?B_22",
                                "?B_33", "?B_12", "?B_13", "?B_23", "?beta_11", "?beta_22", "?beta_33", "?beta_12",
                                "?beta_13", "?beta_23"});
  for (auto row : t) {
    AnisoRow a;
    a.label = row.str(0);
    bool ok = true;
    for (int n = 0; n < 6; ++n) {
      const double u = number(row, 1 + n), b = number(row, 7 + n), beta = number(row, 13 + n);
      if (!std::isnan(u)) a.u[n] = u;
      else if (!std::isnan(b)) a.u[n] = b / (8 * kPi * kPi);
      else if (!std::isnan(beta)) a.u[n] = beta / (2 * kPi * kPi * rec[pair[n][0]] * rec[pair[n][1]]);
      else ok = false;
    }
    if (ok) rows.push_back(a);
  }
  return rows;
}

void read_sites(cifdoc::Block& block, CifCrystal& cr) {
  // gemmi wants a required tag first.
  enum { kX, kY, kZ, kLabel, kType, kOcc, kUiso, kBiso, kAdp, kAdpOld, kCalc, kMult, kMultOld };
  cifdoc::Table t = block.find("_atom_site_", {"fract_x", "fract_y", "fract_z", "?label", "?type_symbol", "?occupancy",
                                                "?U_iso_or_equiv", "?B_iso_or_equiv", "?adp_type",
                                                "?thermal_displace_type", "?calc_flag", "?symmetry_multiplicity",
                                                "?site_symmetry_multiplicity"});
  if (!t.ok() || t.length() == 0) throw CifError("no atoms: the block has no atom sites with fractional coordinates");
  const std::vector<AnisoRow> aniso = read_aniso(block, cr.cell);
  std::set<std::string> used_aniso;
  int index = 0;
  for (auto row : t) {
    ++index;
    CifSite site;
    site.label = row.has2(kLabel) ? row.str(kLabel) : "#" + std::to_string(index);
    if (row.has2(kCalc) && lower(row.str(kCalc)) == "dum") continue;  // a dummy atom marks a place, not an atom
    read_type_symbol(row.has2(kType) ? row.str(kType) : site.label, site, cr.warnings);
    const char* axis = "xyz";
    for (int n = 0; n < 3; ++n) {
      site.x[n] = number(row, kX + n);
      if (std::isnan(site.x[n])) throw CifError("atom " + site.label + ": fract_" + axis[n] + " is not a number");
    }
    if (row.has2(kOcc)) {
      site.occupancy = cifdoc::as_number(row[kOcc]);
      if (std::isnan(site.occupancy) || site.occupancy < 0 || site.occupancy > 1.0001)
        throw CifError("atom " + site.label + ": the occupancy is not a number between 0 and 1");
    }
    const double mult = row.has2(kMult) ? number(row, kMult) : number(row, kMultOld);
    if (!std::isnan(mult)) site.cif_multiplicity = static_cast<int>(std::lround(mult));

    const std::string adp = lower(row.has2(kAdp) ? row.str(kAdp) : row.has2(kAdpOld) ? row.str(kAdpOld) : "");
    const auto a = std::find_if(aniso.begin(), aniso.end(), [&](const AnisoRow& r) { return r.label == site.label; });
    const bool wants_aniso = adp.empty() ? a != aniso.end() : adp.find("ani") != std::string::npos;
    if (wants_aniso && a != aniso.end()) {
      site.aniso = true;
      site.u = a->u;
      used_aniso.insert(a->label);
    } else {
      if (wants_aniso)
        cr.warnings.push_back("atom " + site.label + ": adp_type " + adp +
                              " but no anisotropic parameters; the isotropic value is used");
      const double u = number(row, kUiso), b = number(row, kBiso);
      if (!std::isnan(u)) site.u_iso = u;
      else if (!std::isnan(b)) site.u_iso = b / (8 * kPi * kPi);
      else cr.warnings.push_back("atom " + site.label + ": no displacement parameter; U = 0 is used");
    }
    cr.sites.push_back(site);
  }
  for (const AnisoRow& a : aniso)
    if (!used_aniso.count(a.label) &&
        std::none_of(cr.sites.begin(), cr.sites.end(), [&](const CifSite& s) { return s.label == a.label; }))
      cr.warnings.push_back("anisotropic parameters of '" + a.label + "', which is no atom site, are ignored");
  if (cr.sites.empty()) throw CifError("no atoms: the block has only dummy atom sites");
}

CifCrystal read_document(cifdoc::Document& doc, const std::string& name, const std::string& block_name) {
  cifdoc::Block* block = nullptr;
  if (!block_name.empty()) {
    block = doc.find_block(block_name);
    if (!block) {
      std::string names;
      for (const cifdoc::Block& b : doc.blocks) names += (names.empty() ? "" : ", ") + b.name;
      throw CifError("no data block '" + block_name + "' (the file has: " + (names.empty() ? "none" : names) + ")");
    }
  } else {
    for (cifdoc::Block& b : doc.blocks)
      if (b.find_values("_atom_site_fract_x").item()) {
        block = &b;
        break;
      }
    if (!block) throw CifError("no atoms: no data block has atom sites with fractional coordinates");
  }
  CifCrystal cr;
  cr.file = name;
  cr.block = block->name;
  if (const std::string* v = first_value(*block, {"_chemical_name_mineral", "_chemical_name_systematic",
                                                  "_chemical_name_common", "_chemical_formula_sum",
                                                  "_chemical_formula_structural"}))
    cr.name = one_line(*v);
  read_cell(*block, cr);
  read_symmetry(*block, cr);
  read_sites(*block, cr);
  return cr;
}

}  // namespace

std::vector<gemmi::Op> expand_group(const gemmi::GroupOps& group) {
  std::vector<gemmi::Op> ops;
  for (const gemmi::Op& op : group) ops.push_back(op);
  return unique_sorted(ops);
}

CifCrystal read_cif_file(const std::string& path, const std::string& block) {
  if (!std::ifstream(path)) throw CifError("cannot read " + path + ": " + std::strerror(errno));
  cifdoc::Document doc;
  try {
    doc = cifdoc::read_file(path);
  } catch (const std::exception& e) {
    throw CifError(e.what());
  }
  return read_document(doc, path, block);
}

CifCrystal read_cif_text(const std::string& text, const std::string& name, const std::string& block) {
  cifdoc::Document doc;
  try {
    doc = cifdoc::read_memory(text.data(), text.size(), name.c_str());
  } catch (const std::exception& e) {
    throw CifError(e.what());
  }
  return read_document(doc, name, block);
}

}  // namespace korva::cif
