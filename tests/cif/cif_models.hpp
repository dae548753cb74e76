// Test crystals for the CIF conversion: a structure held as numbers, the
// CIF texts that describe it, and its structure factor summed directly over
// the whole unit cell, independent of the converter.
#pragma once

#include <gtest/gtest.h>
#include <xraylib.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <complex>
#include <cstdio>
#include <string>
#include <vector>

#include <gemmi/symmetry.hpp>

#include "cif/input_writer.hpp"
#include "crystal/scattering_tables.hpp"

namespace korva::cif::test {

constexpr double kPi = 3.14159265358979323846;
using Mat = std::array<std::array<double, 3>, 3>;

struct Site {
  std::string label, type;  // type symbol as the CIF gives it
  std::string table;        // the table symbol its scattering must come from
  std::array<double, 3> x{};
  double occ = 1, u = 0;        // isotropic U
  std::array<double, 6> uani{};  // U11 U22 U33 U12 U13 U23 when aniso
  bool aniso = false;
};

struct Model {
  std::array<double, 6> cell{};
  std::string hm;               // gemmi's name of the group
  std::vector<gemmi::Op> ops;   // the whole group
  std::vector<Site> sites;
};

inline Model model(std::array<double, 6> cell, const std::string& hm, std::vector<Site> sites) {
  Model m{cell, hm, {}, std::move(sites)};
  const gemmi::SpaceGroup* sg = gemmi::find_spacegroup_by_name(hm, cell[3], cell[5]);
  EXPECT_NE(sg, nullptr) << hm;
  if (sg)
    for (const gemmi::Op& op : sg->operations()) m.ops.push_back(op);
  return m;
}

// How the CIF gives symmetry and anisotropic displacements.
enum class Form { symbol, loop_u, loop_b };

inline std::string num(double v) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.8f", v);
  return buf;
}

inline std::string cif_text(const Model& m, Form form) {
  const char* cell[6] = {"length_a", "length_b", "length_c", "angle_alpha", "angle_beta", "angle_gamma"};
  std::string t = "data_test\n";
  for (int i = 0; i < 6; ++i) t += std::string("_cell_") + cell[i] + " " + num(m.cell[i]) + "\n";
  if (form == Form::symbol) {
    t += "_symmetry_space_group_name_H-M '" + m.hm + "'\n";
  } else {
    t += "loop_\n_space_group_symop_operation_xyz\n";
    for (const gemmi::Op& op : m.ops) t += "'" + op.triplet() + "'\n";
  }
  t += "loop_\n_atom_site_label\n_atom_site_type_symbol\n_atom_site_fract_x\n_atom_site_fract_y\n"
       "_atom_site_fract_z\n_atom_site_occupancy\n_atom_site_U_iso_or_equiv\n";
  for (const Site& s : m.sites)
    t += s.label + " " + s.type + " " + num(s.x[0]) + " " + num(s.x[1]) + " " + num(s.x[2]) + " " + num(s.occ) +
         " " + num(s.u) + "\n";
  const bool b = form == Form::loop_b;
  if (std::none_of(m.sites.begin(), m.sites.end(), [](const Site& s) { return s.aniso; })) return t;
  t += std::string("loop_\n_atom_site_aniso_label\n") +
       (b ? "_atom_site_aniso_B_11\n_atom_site_aniso_B_22\n_atom_site_aniso_B_33\n_atom_site_aniso_B_12\n"
            "_atom_site_aniso_B_13\n_atom_site_aniso_B_23\n"
          : "_atom_site_aniso_U_11\n_atom_site_aniso_U_22\n_atom_site_aniso_U_33\n_atom_site_aniso_U_12\n"
            "_atom_site_aniso_U_13\n_atom_site_aniso_U_23\n");
  for (const Site& s : m.sites) {
    if (!s.aniso) continue;
    t += s.label;
    for (double u : s.uani) t += " " + num(b ? u * 8 * kPi * kPi : u);
    t += "\n";
  }
  return t;
}

inline Mat reciprocal_metric(const std::array<double, 6>& c) {
  const double r = kPi / 180, ca = std::cos(c[3] * r), cb = std::cos(c[4] * r), cg = std::cos(c[5] * r);
  const Mat g = {{{c[0] * c[0], c[0] * c[1] * cg, c[0] * c[2] * cb},
                  {c[0] * c[1] * cg, c[1] * c[1], c[1] * c[2] * ca},
                  {c[0] * c[2] * cb, c[1] * c[2] * ca, c[2] * c[2]}}};
  const double det = g[0][0] * (g[1][1] * g[2][2] - g[1][2] * g[2][1]) -
                     g[0][1] * (g[1][0] * g[2][2] - g[1][2] * g[2][0]) +
                     g[0][2] * (g[1][0] * g[2][1] - g[1][1] * g[2][0]);
  Mat inv{};
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j)
      inv[j][i] = (g[(i + 1) % 3][(j + 1) % 3] * g[(i + 2) % 3][(j + 2) % 3] -
                   g[(i + 1) % 3][(j + 2) % 3] * g[(i + 2) % 3][(j + 1) % 3]) / det;
  return inv;
}

// sin(theta)/lambda of h.
inline double stl(const Model& m, const std::array<int, 3>& h) {
  const Mat gs = reciprocal_metric(m.cell);
  double q = 0;
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) q += h[i] * gs[i][j] * h[j];
  return std::sqrt(q) / 2;
}

// Scattering of one table symbol: the X-ray form factor of korva's table
// with the dispersion of the radiation, or the neutron length.
inline std::complex<double> scattering(const std::string& symbol, const RadiationChoice& rad, double s) {
  std::string key = symbol;
  key.resize(4, ' ');
  if (rad.beam == Beam::neutrons) {
    const NeutronRow* n = find_symbol(kNeutronTable, key);
    EXPECT_NE(n, nullptr) << symbol;
    return n ? n->b : 0.0;
  }
  const XrayRow* r = find_symbol(kXrayTable, key);
  EXPECT_NE(r, nullptr) << symbol;
  if (!r) return 0.0;
  double f = r->gauss[8];
  for (int i = 0; i < 4; ++i) f += r->gauss[2 * i] * std::exp(-r->gauss[2 * i + 1] * s * s);
  if (rad.beam == Beam::synchrotron)
    return {f + Fi(r->z, rad.kev, nullptr), -Fii(r->z, rad.kev, nullptr)};
  const int line = rad.tube == "Cu" ? 0 : rad.tube == "Mo" ? 1 : 2;
  return {f + r->disp[2 * line], r->disp[2 * line + 1]};
}

// The distinct positions of a site in the cell, with the operator that
// gives each.
inline std::vector<std::pair<std::array<double, 3>, gemmi::Op>> images(const Model& m, const Site& site) {
  std::vector<std::pair<std::array<double, 3>, gemmi::Op>> out;
  for (const gemmi::Op& op : m.ops) {
    std::array<double, 3> y = op.apply_to_xyz(site.x);
    for (double& v : y) v -= std::floor(v + 1e-9);
    bool again = false;
    for (const auto& q : out) {
      double d = 0;
      for (int i = 0; i < 3; ++i) d += std::fabs(y[i] - q.first[i] - std::round(y[i] - q.first[i]));
      again = again || d < 1e-6;
    }
    if (!again) out.emplace_back(y, op);
  }
  return out;
}

// Sum of |f| over the cell at sin(theta)/lambda = 0: the scale of the
// rounding noise of a structure factor.
inline double scattering_power(const Model& m, const RadiationChoice& rad) {
  double p = 0;
  for (const Site& site : m.sites) p += site.occ * std::abs(scattering(site.table, rad, 0)) * images(m, site).size();
  return p;
}

// F(h) summed over every distinct position of the cell, each atom with its
// occupancy and its own displacement tensor R U R^T.
inline std::complex<double> direct_sum(const Model& m, const RadiationChoice& rad, const std::array<int, 3>& h) {
  const Mat gs = reciprocal_metric(m.cell);
  const double s = stl(m, h);
  const double ra[3] = {std::sqrt(gs[0][0]), std::sqrt(gs[1][1]), std::sqrt(gs[2][2])};
  std::complex<double> f = 0;
  for (const Site& site : m.sites) {
    Mat beta{};
    const int idx[3][3] = {{0, 3, 4}, {3, 1, 5}, {4, 5, 2}};
    for (int i = 0; i < 3; ++i)
      for (int j = 0; j < 3; ++j) beta[i][j] = 2 * kPi * kPi * ra[i] * ra[j] * site.uani[idx[i][j]];
    const std::complex<double> fs = scattering(site.table, rad, s);
    for (const auto& [y, op] : images(m, site)) {
      double t = std::exp(-8 * kPi * kPi * site.u * s * s);
      if (site.aniso) {
        double hr[3] = {0, 0, 0};  // R^T h
        for (int i = 0; i < 3; ++i)
          for (int j = 0; j < 3; ++j) hr[i] += op.rot[j][i] / gemmi::Op::DEN * h[j];
        double e = 0;
        for (int i = 0; i < 3; ++i)
          for (int j = 0; j < 3; ++j) e += hr[i] * beta[i][j] * hr[j];
        t = std::exp(-e);
      }
      const double phase = 2 * kPi * (h[0] * y[0] + h[1] * y[1] + h[2] * y[2]);
      f += site.occ * fs * t * std::polar(1.0, phase);
    }
  }
  return f;
}

}  // namespace korva::cif::test
