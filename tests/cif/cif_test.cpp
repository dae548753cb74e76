// korva cif: the input written for a CIF describes the CIF's crystal.  Each
// crystal is written as a CIF, converted, read back by korva's input reader,
// and its structure factors compared with a direct sum over the whole cell.
#include <gtest/gtest.h>

#include <fstream>
#include <regex>
#include <sstream>

#include "cif/cif_models.hpp"
#include "cif/cif_reader.hpp"
#include "crystal/structure_factor.hpp"
#include "scan/stages.hpp"
#include "testing/command.hpp"
#include "testing/run_text.hpp"

namespace korva::cif::test {
namespace {

struct Converted {
  Model model;
  RadiationChoice rad;
  Conversion conv;
};

Converted convert(const Model& m, Form form, const RadiationChoice& rad, std::array<int, 3> hkl) {
  RunChoices run = default_choices(rad.beam);
  run.zsw1 = -1;  // events only: the counts need no simulated scan
  run.ps_name = "t.ps";
  run.hkl = hkl;
  const CifCrystal cr = read_cif_text(cif_text(m, form), "test.cif", "");
  return {m, rad, make_input(cr, rad, run)};
}

// Every structure factor up to sin(theta)/lambda = 0.6 and F(000) of the
// crystal korva reads from the input, against the direct sum.  Moduli always;
// the complex values too when the origin was kept.  Single-precision sums
// carry noise of some 1e-7 of the summed scattering power P, so reflections
// weaker than 0.05 P are held to 1e-4 of 0.05 P.
void expect_same_factors(const Converted& c) {
  Io io;
  io.in_memory = true;
  io.input.open_text(c.conv.input);
  io.listing.open_memory();
  Run run(io);
  std::string dname2(72, ' '), dname1(72, ' ');
  ASSERT_TRUE(read_input(run, dname2, dname1)) << io.listing.text() << c.conv.input;
  const auto korva_f = [&](const std::array<int, 3>& h) {
    const StructureFactor sf =
        c.rad.beam == Beam::neutrons
            ? structure_factor_neutron(run.cr, h[0], h[1], h[2], nullptr)
            : structure_factor_xray(run.cr, h[0], h[1], h[2], static_cast<float>(stl(c.model, h)), nullptr);
    return std::polar<double>(sf.f, sf.phi);
  };
  const double f000 = std::abs(direct_sum(c.model, c.rad, {0, 0, 0}));
  const double floor = 0.05 * scattering_power(c.model, c.rad);
  EXPECT_NEAR(std::abs(korva_f({0, 0, 0})), f000, 1e-4 * f000);
  const bool same_origin = c.conv.setting.shift == std::array<int, 3>{0, 0, 0};
  int n[3], count = 0, bad = 0;
  for (int i = 0; i < 3; ++i) n[i] = static_cast<int>(1.2 * c.model.cell[i]) + 1;
  for (int h = -n[0]; h <= n[0]; ++h)
    for (int k = -n[1]; k <= n[1]; ++k)
      for (int l = -n[2]; l <= n[2]; ++l) {
        if (stl(c.model, {h, k, l}) > 0.6) continue;
        ++count;
        const std::complex<double> fd = direct_sum(c.model, c.rad, {h, k, l}), fk = korva_f({h, k, l});
        const double tol = 1e-4 * std::max(std::abs(fd), floor);
        const double diff = same_origin ? std::abs(fk - fd) : std::fabs(std::abs(fk) - std::abs(fd));
        if (diff > tol && ++bad <= 5)
          ADD_FAILURE() << h << " " << k << " " << l << ": korva " << fk << ", direct " << fd << "\n" << c.conv.input;
      }
  EXPECT_GT(count, 100);
  EXPECT_EQ(bad, 0);
}

// The "Number of events in a 360 degree scan" of every pass of a whole run.
std::vector<long> event_counts(const std::string& input) {
  const testing::RunResult r = testing::run_text(input);
  EXPECT_EQ(r.iostat, 0) << r.listing;
  std::vector<long> counts;
  const std::regex line("Number of events in a 360 degree scan.*:\\s*(\\d+)");
  std::istringstream in(r.listing);
  std::smatch m;
  for (std::string s; std::getline(in, s);)
    if (std::regex_search(s, m, line)) counts.push_back(std::stol(m[1]));
  EXPECT_FALSE(counts.empty());
  return counts;
}

// Two settings of one lattice: each describes its CIF's crystal, and both
// give the same events in a 360-degree turn about the same reflection vector.
void expect_equivalent(const Converted& a, const Converted& b) {
  expect_same_factors(a);
  expect_same_factors(b);
  EXPECT_EQ(event_counts(a.conv.input), event_counts(b.conv.input));
}

RadiationChoice tube(const char* name) {
  RadiationChoice r;
  r.tube = name;
  return r;
}

Site iso(const char* label, const char* type, const char* table, std::array<double, 3> x, double u, double occ = 1) {
  return {label, type, table, x, occ, u, {}, false};
}

Site aniso(const char* label, const char* type, const char* table, std::array<double, 3> x, std::array<double, 6> u) {
  return {label, type, table, x, 1, 0, u, true};
}

bool has_warning(const Conversion& c, const std::string& part) {
  for (const std::string& w : c.warnings)
    if (w.find(part) != std::string::npos) return true;
  return false;
}

// Spinel in both origin choices of F d -3 m: special positions, ions, and
// O2-, which the table lacks.  The table holds origin choice 2; choice 1
// needs an origin shift, which changes no modulus and no event.
TEST(CifConversion, OriginChoicesOfACubicGroupGiveOneCrystal) {
  const std::array<double, 6> cell = {8.08, 8.08, 8.08, 90, 90, 90};
  const Model two = model(cell, "F d -3 m:2",
                          {iso("Mg1", "Mg2+", "Mg2+", {0.125, 0.125, 0.125}, 0.005),
                           iso("Al1", "Al3+", "Al3+", {0.5, 0.5, 0.5}, 0.006),
                           iso("O1", "O2-", "O", {0.2624, 0.2624, 0.2624}, 0.008)});
  Model one = model(cell, "F d -3 m:1", two.sites);
  for (Site& s : one.sites)
    for (double& v : s.x) v -= 0.125;

  const Converted c2 = convert(two, Form::symbol, tube("Cu"), {2, 2, 2});
  const Converted c1 = convert(one, Form::symbol, tube("Cu"), {2, 2, 2});
  EXPECT_TRUE(c2.conv.setting.table && c2.conv.setting.nr == 227);
  EXPECT_TRUE(c1.conv.setting.table && c1.conv.setting.nr == 227);
  EXPECT_NE(c1.conv.setting.shift, (std::array<int, 3>{0, 0, 0}));
  EXPECT_TRUE(has_warning(c1.conv, "O2-"));
  expect_equivalent(c1, c2);
}

// An R group on hexagonal axes (explicit operators, centred copies) and on
// rhombohedral axes (the table's setting); isotropic U in the hexagonal cell
// needs its off-diagonal terms; partial occupancy; f', f'' at 12 keV.
TEST(CifConversion, RhombohedralGroupOnHexagonalAndRhombohedralAxes) {
  RadiationChoice rad;
  rad.beam = Beam::synchrotron;
  rad.kev = 12;
  const Model hex = model({4.14, 4.14, 28.64, 90, 90, 120}, "R -3 m:H",
                          {iso("Bi1", "Bi", "Bi", {0, 0, 0.4}, 0.012), iso("Se1", "Se", "Se", {0, 0, 0}, 0.01),
                           iso("Se2", "Se", "Se", {0, 0, 0.2}, 0.011, 0.9)});
  const Model rho = model({9.841, 9.841, 9.841, 24.27, 24.27, 24.27}, "R -3 m:R",
                          {iso("Bi1", "Bi", "Bi", {0.4, 0.4, 0.4}, 0.012), iso("Se1", "Se", "Se", {0, 0, 0}, 0.01),
                           iso("Se2", "Se", "Se", {0.2, 0.2, 0.2}, 0.011, 0.9)});
  const Converted ch = convert(hex, Form::symbol, rad, {0, 0, 3});
  const Converted cr = convert(rho, Form::symbol, rad, {1, 1, 1});
  EXPECT_FALSE(ch.conv.setting.table);
  EXPECT_EQ(ch.conv.setting.centring.size(), 3u);
  EXPECT_TRUE(cr.conv.setting.table && cr.conv.setting.nr == 166);
  expect_same_factors(ch);
  expect_same_factors(cr);
}

// P 1 21/c 1 (the table's) and P 1 21/n 1 (c' = a + c, given only as an
// operator loop) with neutrons and hydrogen: the same lattice, so the same
// events for the same reflection vector.
TEST(CifConversion, MonoclinicCellChoicesGiveTheSameEvents) {
  RadiationChoice rad;
  rad.beam = Beam::neutrons;
  rad.lambda = 1.2;
  const double a = 6.1, b = 4.9, c = 7.3, beta = 103.0;
  const Model pc = model({a, b, c, 90, beta, 90}, "P 1 21/c 1",
                         {iso("Cu1", "Cu2+", "Cu", {0, 0, 0}, 0.01), iso("O1", "O", "O", {0.21, 0.13, 0.37}, 0.015),
                          iso("H1", "H", "H", {0.3, 0.25, 0.45}, 0.03)});
  // a' = a, c' = a + c: x' = x - z, z' = z; l' = h + l.
  const double r = kPi / 180;
  const double cn = std::sqrt(a * a + c * c + 2 * a * c * std::cos(beta * r));
  const double beta_n = std::acos((a + c * std::cos(beta * r)) / cn) / r;
  Model pn = model({a, b, cn, 90, beta_n, 90}, "P 1 21/n 1", pc.sites);
  for (Site& s : pn.sites) s.x[0] -= s.x[2];
  const Converted cc = convert(pc, Form::symbol, rad, {1, 0, 2});
  const Converted cn_ = convert(pn, Form::loop_u, rad, {1, 0, 3});
  EXPECT_TRUE(cc.conv.setting.table && cc.conv.setting.nr == 14);
  EXPECT_FALSE(cn_.conv.setting.table);
  expect_equivalent(cc, cn_);
}

// P n m a with anisotropic U and the same crystal on cyclically permuted
// axes (a' = b, b' = c, c' = a), given as an operator loop with anisotropic
// B: the same events for the permuted reflection.
TEST(CifConversion, AxisPermutationWithAnisotropicUAndB) {
  const Model pnma = model({5.4, 7.6, 5.5, 90, 90, 90}, "P n m a",
                           {aniso("Ca1", "Ca2+", "Ca2+", {0.04, 0.25, 0.99}, {0.008, 0.007, 0.009, 0, 0.001, 0}),
                            iso("Ti1", "Ti4+", "Ti4+", {0, 0, 0.5}, 0.005),
                            aniso("O1", "O", "O", {0.29, 0.04, 0.71}, {0.01, 0.012, 0.011, 0.002, -0.001, 0.003})});
  Model perm = pnma;
  perm.cell = {7.6, 5.5, 5.4, 90, 90, 90};
  perm.hm.clear();
  for (Site& s : perm.sites) {
    s.x = {s.x[1], s.x[2], s.x[0]};
    const auto u = s.uani;  // U'11 = U22, U'22 = U33, U'33 = U11, U'12 = U23, U'13 = U12, U'23 = U13
    s.uani = {u[1], u[2], u[0], u[5], u[3], u[4]};
  }
  for (gemmi::Op& op : perm.ops) {  // new coordinate i is old coordinate p[i]
    const int p[3] = {1, 2, 0};
    gemmi::Op o = op;
    for (int i = 0; i < 3; ++i) {
      o.tran[i] = op.tran[p[i]];
      for (int j = 0; j < 3; ++j) o.rot[i][j] = op.rot[p[i]][p[j]];
    }
    op = o;
  }
  const Converted c0 = convert(pnma, Form::symbol, tube("Mo"), {2, 1, 1});
  const Converted c1 = convert(perm, Form::loop_b, tube("Mo"), {1, 1, 2});
  EXPECT_TRUE(c0.conv.setting.table && c0.conv.setting.nr == 62);
  EXPECT_FALSE(c1.conv.setting.table);
  expect_equivalent(c0, c1);
}

// examples/yig.cif with the run parameters of examples/yig-noscan.inp gives
// that input's events (the example rounds 1/6 to 0.16667: F agrees to 1e-4).
TEST(CifExample, YigCifReproducesTheExampleInput) {
  const auto read = [](const std::string& name) {
    std::ifstream in(std::string(KORVA_SOURCE_DIR) + "/examples/" + name);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
  };
  RadiationChoice rad = tube("Ag");
  RunChoices run = default_choices(Beam::tube);
  run.hkl = {8, 8, 2};
  run.ps_name = "yig.ps";
  run.diverp = run.divers = 0.14;
  run.rkugel = run.radius = 150;
  run.eta = 0;
  run.psia = -66;
  run.psie = 16;
  run.zsw1 = 50;
  run.drumin = 0.2;
  run.ub = {-0.071161, -0.036463, 0.012399, 0.038060, -0.062495, 0.034549, -0.006014, 0.036221, 0.072079};
  const Conversion conv = make_input(read_cif_text(read("yig.cif"), "yig.cif", ""), rad, run);
  const auto events = [](const std::string& input) {
    const testing::RunResult r = testing::run_text(input);
    EXPECT_EQ(r.iostat, 0) << r.listing;
    std::vector<std::vector<double>> rows;
    std::istringstream in(r.listing);
    for (std::string s; std::getline(in, s);) {
      if (s.find(" i-o ") == std::string::npos && s.find(" o-i ") == std::string::npos) continue;
      std::istringstream f(s);
      std::vector<double> row;
      for (std::string tok; f >> tok;) {
        char* end = nullptr;
        const double v = std::strtod(tok.c_str(), &end);
        row.push_back(*end == '\0' ? v : tok == "i-o" ? 1 : 2);
      }
      rows.push_back(row);
    }
    return rows;
  };
  const auto mine = events(conv.input), theirs = events(read("yig-noscan.inp"));
  ASSERT_EQ(mine.size(), theirs.size());
  ASSERT_FALSE(mine.empty());
  for (std::size_t i = 0; i < mine.size(); ++i) {
    ASSERT_EQ(mine[i].size(), theirs[i].size());
    for (std::size_t j = 0; j < mine[i].size(); ++j)
      EXPECT_NEAR(mine[i][j], theirs[i][j], 1e-4 * std::fabs(theirs[i][j]) + 0.011) << "event " << i << " column " << j;
  }
}

// The command as a user runs it: output beside the CIF, never replaced
// without --force, nothing left behind when the CIF cannot be used.
class CifCommandTest : public korva::testing::WorkDirTest {};

TEST_F(CifCommandTest, WritesBesideTheCifAndNeverReplacesWithoutForce) {
  write("c.cif", cif_text(model({5.43, 5.43, 5.43, 90, 90, 90}, "F d -3 m:2",
                                {iso("Si1", "Si", "Siv", {0.125, 0.125, 0.125}, 0.006)}),
                          Form::symbol));
  auto r = korva("cif c.cif --reflection 2 0 0 --tube Cu");
  EXPECT_EQ(r.status, 0) << r.out;
  EXPECT_NE(read("c.inp").find("\n227  1  1\nSiv "), std::string::npos) << read("c.inp");
  EXPECT_NE(r.out.find("forbidden"), std::string::npos) << r.out;
  write("c.inp", "mine\n");
  r = korva("cif c.cif --reflection 2 2 2 --tube Cu");
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(read("c.inp"), "mine\n");
  r = korva("cif c.cif --reflection 2 2 2 --tube Cu --force");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(korva("run c.inp").status, 0);
  EXPECT_EQ(korva("cif c.cif --reflection 9 9 9 --tube Cu -o far.inp").status, 2);  // beyond the Ewald sphere
  EXPECT_FALSE(std::filesystem::exists(dir_ / "far.inp"));

  // An operator loop that disagrees with the symbol wins, with a warning.
  write("d.cif", cif_text(model({5, 6, 7, 90, 90, 90}, "P 1", {iso("Fe1", "Fe", "Fe", {0.1, 0.2, 0.3}, 0.01)}),
                          Form::loop_u) +
                     "_symmetry_space_group_name_H-M 'P -1'\n");
  r = korva("cif d.cif --reflection 1 0 0 --tube Cu");
  EXPECT_EQ(r.status, 0) << r.out;
  EXPECT_NE(r.out.find("disagree; the loop is used"), std::string::npos) << r.out;
  EXPECT_NE(read("d.inp").find("\n1  1  1\n"), std::string::npos) << read("d.inp");
}

TEST_F(CifCommandTest, UnusableCifsExitWithTwoAndLeaveNoFile) {
  const std::string cell =
      "_cell_length_a 5\n_cell_length_b 5\n_cell_length_c 5\n_cell_angle_alpha 90\n_cell_angle_beta 90\n"
      "_cell_angle_gamma 90\n";
  const std::string atoms = "loop_\n_atom_site_label\n_atom_site_fract_x\n_atom_site_fract_y\n_atom_site_fract_z\n";
  const std::string p1 = "_symmetry_space_group_name_H-M 'P 1'\n";
  const std::pair<std::string, std::string> cases[] = {
      {"data_a\n" + p1 + atoms + "Fe1 0 0 0\n", "no cell"},
      {"data_a\n" + cell + p1, "no atoms"},
      {"data_a\n" + cell + atoms + "Fe1 0 0 0\n", "no symmetry"},
      {"data_a\n" + cell + p1 + atoms + "Es1 0 0 0\n", "no element Es"},
      {"data_a\n" + cell + p1 + "_x 'open\n" + atoms, "test.cif:9:"},
  };
  for (const auto& [text, message] : cases) {
    write("test.cif", text);
    const auto r = korva("cif test.cif --reflection 1 0 0 --tube Cu");
    EXPECT_EQ(r.status, 2) << text;
    EXPECT_NE(r.out.find(message), std::string::npos) << r.out;
    EXPECT_FALSE(std::filesystem::exists(dir_ / "test.inp")) << text;
  }
  const auto s = korva("symbols");
  EXPECT_EQ(s.status, 0);
  EXPECT_NE(s.out.find(" O O1-\n"), std::string::npos);
  EXPECT_NE(s.out.find(" Fe Fe2+ Fe3+\n"), std::string::npos);
  EXPECT_EQ(korva("cif --help").status, 0);
}

}  // namespace
}  // namespace korva::cif::test
