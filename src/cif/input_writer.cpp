#include "cif/input_writer.hpp"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <numeric>

#include "cif/dispersion.hpp"
#include "cif/symbols.hpp"

namespace korva::cif {

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr int kDen = gemmi::Op::DEN;
// Coherent scattering length of deuterium (fm), which korva's table (one
// row per element) lacks.
constexpr double kDeuteriumLength = 6.671;
// Images of a site closer than this (A) are one position.
constexpr double kSameSite = 0.01;

using Matrix = std::array<std::array<double, 3>, 3>;

// A real in free format with up to `decimals` decimals, without trailing
// zeros.
std::string real(double v, int decimals = 7) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.*f", decimals, v);
  std::string s = buf;
  if (s.find('.') != std::string::npos) {
    while (s.back() == '0') s.pop_back();
    if (s.back() == '.') s.pop_back();
  }
  return s == "-0" ? "0" : s;
}

std::string fraction(int twentyfourths) { return real(static_cast<double>(twentyfourths) / kDen, 9); }

Matrix metric(const std::array<double, 6>& cell) {
  const double r = kPi / 180;
  const double a = cell[0], b = cell[1], c = cell[2];
  const double ca = std::cos(cell[3] * r), cb = std::cos(cell[4] * r), cg = std::cos(cell[5] * r);
  return {{{a * a, a * b * cg, a * c * cb}, {a * b * cg, b * b, b * c * ca}, {a * c * cb, b * c * ca, c * c}}};
}

Matrix inverse(const Matrix& m) {
  const double det = m[0][0] * (m[1][1] * m[2][2] - m[1][2] * m[2][1]) -
                     m[0][1] * (m[1][0] * m[2][2] - m[1][2] * m[2][0]) +
                     m[0][2] * (m[1][0] * m[2][1] - m[1][1] * m[2][0]);
  Matrix inv{};
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) {
      const int i1 = (j + 1) % 3, i2 = (j + 2) % 3, j1 = (i + 1) % 3, j2 = (i + 2) % 3;
      inv[i][j] = (m[i1][j1] * m[i2][j2] - m[i1][j2] * m[i2][j1]) / det;
    }
  return inv;
}

// U of an isotropic atom in the form T = exp(-2 pi^2 sum U_ij h_i h_j a*_i
// a*_j): U_ij = U cos(angle between a*_i and a*_j), which is U on the
// diagonal and not 0 off it unless the reciprocal axes are orthogonal.
std::array<double, 6> isotropic_u(double u, const Matrix& gs) {
  const auto cosine = [&](int i, int j) { return gs[i][j] / std::sqrt(gs[i][i] * gs[j][j]); };
  return {u, u, u, u * cosine(0, 1), u * cosine(0, 2), u * cosine(1, 2)};
}

struct TableLine {
  std::string symbol;
  double v1 = 0, v2 = 0;  // f', f'' (X-rays) or b (neutrons)
  bool operator==(const TableLine& o) const { return symbol == o.symbol && v1 == o.v1 && v2 == o.v2; }
};

std::string hkl_text(const std::array<int, 3>& hkl) {
  return std::to_string(hkl[0]) + " " + std::to_string(hkl[1]) + " " + std::to_string(hkl[2]);
}

std::string shift_text(const std::array<int, 3>& p) {
  std::string s = "(";
  for (int i = 0; i < 3; ++i) {
    const int g = std::gcd(p[i], kDen);
    s += (i ? ", " : "") + (p[i] == 0 ? std::string("0") : std::to_string(p[i] / g) + "/" + std::to_string(kDen / g));
  }
  return s + ")";
}

}  // namespace

RunChoices default_choices(Beam beam) {
  RunChoices c;
  switch (beam) {
    case Beam::tube:  // a four-circle diffractometer with a sealed tube and a small crystal
      c.diverp = c.divers = 0.14;
      c.rkugel = 100;
      c.radius = 10;
      c.eta = 0.01;
      break;
    case Beam::synchrotron:  // a bending-magnet beamline behind a Si 1 1 1 monochromator
      c.diverp = 0.005;
      c.divers = 0.01;
      c.rkugel = 100;
      c.radius = 10;
      c.eta = 0.005;
      break;
    case Beam::neutrons:  // a single-crystal diffractometer with a large crystal
      c.diverp = c.divers = 0.2;
      c.rkugel = 2000;
      c.radius = 20;
      c.eta = 0.05;
      break;
  }
  return c;
}

double longest_wavelength(const RadiationChoice& rad) {
  switch (rad.beam) {
    case Beam::tube: return rad.tube == "Mo" ? 0.71359 : rad.tube == "Ag" ? 0.563811 : 1.544426;
    case Beam::synchrotron: return kHc / rad.kev;
    case Beam::neutrons: return rad.lambda;
  }
  return 0;
}

Conversion make_input(const CifCrystal& cr, const RadiationChoice& rad, const RunChoices& run) {
  Conversion out;
  out.warnings = cr.warnings;
  const Matrix g = metric(cr.cell), gs = inverse(g);
  const Setting s = choose_setting(cr.ops);
  out.setting = s;

  // The primary reflection must exist and reach the Ewald sphere.
  const std::array<int, 3>& h = run.hkl;
  if (h[0] == 0 && h[1] == 0 && h[2] == 0) throw CifError("the reflection 0 0 0 is no primary reflection");
  double h2 = 0;
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) h2 += h[i] * gs[i][j] * h[j];
  const double d = 1.0 / std::sqrt(h2), lambda = longest_wavelength(rad);
  if (!(lambda > 0)) throw CifError("the wavelength must be positive");
  if (lambda / (2 * d) > 1)
    throw CifError("the reflection " + hkl_text(h) + " (d = " + real(d, 4) + " A) cannot diffract at lambda = " +
                   real(lambda, 4) + " A: its d must be at least lambda/2");
  if (rad.beam == Beam::synchrotron && lambda >= 2 * kSiliconCell / std::sqrt(3.0))
    throw CifError("at " + real(rad.kev, 3) + " keV the Si 1 1 1 monochromator reflects nothing");

  // Scattering tables, one per symbol and values.
  std::vector<TableLine> tables;
  std::vector<int> site_table;
  std::vector<std::string> noted;
  for (const CifSite& site : cr.sites) {
    const bool deuterium = site.element == "D";
    TableLine t;
    if (rad.beam == Beam::neutrons) {
      t.symbol = neutron_symbol(site.z);
      if (t.symbol.empty())
        throw CifError("atom " + site.label + ": korva's neutron table has no element " + site.element +
                       " (it ends at U)");
      t.v1 = deuterium ? kDeuteriumLength : neutron_length(site.z);
      if (t.v1 == 0 && std::find(noted.begin(), noted.end(), t.symbol) == noted.end()) {
        noted.push_back(t.symbol);
        out.warnings.push_back(site.element + ": korva's neutron table gives no scattering length; its atoms scatter nothing");
      }
    } else {
      const TableSymbol ts = xray_symbol(deuterium ? "H" : site.element, site.z, site.charge);
      if (ts.symbol.empty())
        throw CifError("atom " + site.label + ": korva's X-ray table has no element " + site.element);
      t.symbol = ts.symbol;
      if (!ts.warning.empty() && std::find(noted.begin(), noted.end(), ts.warning) == noted.end()) {
        noted.push_back(ts.warning);
        out.warnings.push_back(ts.warning);
      }
      if (rad.beam == Beam::synchrotron) {
        const Dispersion disp = dispersion_at(site.z, rad.kev);
        t.v1 = disp.fp;
        t.v2 = disp.fpp;
      }
    }
    auto it = std::find(tables.begin(), tables.end(), t);
    if (it == tables.end()) it = tables.insert(tables.end(), t);
    site_table.push_back(static_cast<int>(it - tables.begin()) + 1);
  }

  // Atom lines: position in the input's origin, multiplier, U.
  std::vector<std::string> atoms;
  double in_cell = 0;
  for (std::size_t n = 0; n < cr.sites.size(); ++n) {
    const CifSite& site = cr.sites[n];
    const int m = site_multiplicity(cr.ops, site.x, g, kSameSite);
    if (site.cif_multiplicity > 0 && site.cif_multiplicity != m)
      out.warnings.push_back("atom " + site.label + ": the CIF gives the multiplicity " +
                             std::to_string(site.cif_multiplicity) + ", its position has " + std::to_string(m) +
                             " images in the group; " + std::to_string(m) + " is used");
    const double afact = site.occupancy * m / s.order;
    in_cell += site.occupancy * m;
    const std::array<double, 6> u = site.aniso ? site.u : isotropic_u(site.u_iso, gs);
    std::string ul;
    for (int k = 0; k < 6; ++k) ul += (k ? "  " : "") + real(u[k]);
    const std::vector<gemmi::Op::Tran> copies = s.table ? std::vector<gemmi::Op::Tran>{{0, 0, 0}} : s.centring;
    for (const gemmi::Op::Tran& c : copies) {
      std::string line = std::to_string(site_table[n]) + "  " + real(afact, 8);
      // Nine decimals keep thirds exact to single precision.
      for (int i = 0; i < 3; ++i) line += "  " + real(site.x[i] + static_cast<double>(c[i] - s.shift[i]) / kDen, 9);
      atoms.push_back(line + "\n" + ul);
    }
  }

  // The text.
  std::string title = run.title;
  if (title.empty())
    title = (cr.name.empty() ? cr.block : cr.name) + " " + hkl_text(h) + " - from " +
            std::filesystem::path(cr.file).filename().string();
  if (title.size() > 80) title.resize(80);
  std::string& t = out.input;
  t += title + "\n" + run.ps_name + "\n";
  for (int i = 0; i < 6; ++i) t += (i ? "  " : "") + real(cr.cell[i], 6);
  t += "\n";
  switch (rad.beam) {
    case Beam::tube: t += rad.tube + "\n"; break;
    case Beam::synchrotron:
      t += "1  " + real(kHc / rad.kev, 6) + "  " + real(kSiliconCell, 5) + "  1 1 1  " +
           real(silicon_111_structure_factor(rad.kev), 3) + "\n";
      break;
    case Beam::neutrons: t += "3  " + real(rad.lambda, 6) + "  " + real(rad.band, 6) + "\n"; break;
  }
  t += real(run.diverp) + "  " + real(run.divers) + "  " + real(run.rkugel) + "  " + real(run.radius) + "  " +
       real(run.eta) + "\n";
  t += real(run.psia) + "  " + real(run.psie) + "  " + real(run.zsw1) + "  " + std::to_string(run.nnn) + "  " +
       real(run.drumin) + "  " + real(run.zeimax) + "\n";
  t += std::to_string(s.nr) + "  " + std::to_string(atoms.size()) + "  " + std::to_string(tables.size()) + "\n";
  if (!s.table) {
    t += std::to_string(s.ic) + "  " + std::to_string(s.stored.size()) + "\n";
    for (const gemmi::Op& op : s.stored) {
      for (int j = 0; j < 3; ++j) {
        // Appended piece by piece: prepending to a temporary makes GCC 12
        // warn of an overlapping copy that cannot happen (-Wrestrict).
        if (j) t += "    ";
        t += fraction(op.tran[j]);
        for (int m = 0; m < 3; ++m) {
          t += ' ';
          t += std::to_string(op.rot[j][m] / kDen);
        }
      }
      t += "\n";
    }
  }
  for (const TableLine& tl : tables) {
    char line[64];
    if (rad.beam == Beam::neutrons)
      std::snprintf(line, sizeof line, "%-4s%10.4f%10s1", tl.symbol.c_str(), tl.v1, "");
    else
      std::snprintf(line, sizeof line, "%-4s%10.4f%10.4f1", tl.symbol.c_str(), tl.v1, tl.v2);
    t += std::string(line) + "\n";
  }
  for (const std::string& a : atoms) t += a + "\n";
  t += hkl_text(h) + "  0  0  0  0\n";
  if (run.ub)
    for (int r = 0; r < 3; ++r)
      t += real((*run.ub)[3 * r]) + "  " + real((*run.ub)[3 * r + 1]) + "  " + real((*run.ub)[3 * r + 2]) + "\n";

  // The summary.
  auto& sum = out.summary;
  sum.push_back("data block " + cr.block + " of " + cr.file + (cr.name.empty() ? "" : ": " + cr.name));
  sum.push_back("symmetry: " + (cr.group_name.empty() ? std::string("a group gemmi does not name") : cr.group_name) +
                ", " + std::to_string(s.order) + " operators, from " + cr.symmetry_source);
  const bool shifted = s.shift != std::array<int, 3>{0, 0, 0};
  if (s.table)
    sum.push_back("setting: the table's space group " + std::to_string(s.nr) + " (" + s.table_symbol + ")" +
                  (shifted ? " after moving the origin" : ""));
  else
    sum.push_back("setting: not the table's; " + std::to_string(s.stored.size()) + " explicit operators (nr 231, " +
                  (s.ic == 1 ? "centrosymmetric" : "acentric") + ")" +
                  (s.centring.size() > 1 ? " and " + std::to_string(s.centring.size() - 1) +
                                               " centred copies of every atom"
                                         : std::string()) +
                  "; cell and indices as in the CIF");
  if (shifted)
    sum.push_back("origin: the input's coordinates are the CIF's minus " + shift_text(s.shift) +
                  "; phases of single reflections change, intensities do not");
  std::string names;
  for (const TableLine& tl : tables) names += " " + tl.symbol;
  sum.push_back("atoms: " + std::to_string(cr.sites.size()) + " sites, " + std::to_string(atoms.size()) +
                " atom lines, " + real(in_cell, 3) + " atoms in the cell; tables:" + names);
  {
    gemmi::GroupOps group = gemmi::split_centering_vectors(cr.ops);
    const bool absent = group.is_systematically_absent({h[0], h[1], h[2]});
    sum.push_back("reflection " + hkl_text(h) + ": d = " + real(d, 4) + " A, sin(theta)/lambda = " +
                  real(0.5 / d, 4) + (absent ? "; forbidden by the space group (F = 0)" : ""));
  }
  return out;
}

}  // namespace korva::cif
