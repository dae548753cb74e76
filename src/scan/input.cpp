// Input lines 1 to 12 of a run: reading, checks, echo into the listing and
// the run parameters derived from them.
#include <cmath>
#include <new>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include "crystal/centring.hpp"
#include "crystal/neutron.hpp"
#include "crystal/spacegroup.hpp"
#include "crystal/xray.hpp"
#include "scan/run.hpp"
#include "scan/run_files.hpp"
#include "scan/stages.hpp"
#include "support/format.hpp"
#include "support/listread.hpp"
#include "support/numeric.hpp"

namespace korva {
namespace {

constexpr float kDeg = 0.0174533f;     // degrees -> radians, as the formulas give it
constexpr float kRad = 57.29578f;      // radians -> degrees
constexpr float kTwoPiSquared = 19.739208f;
constexpr float kInvTwoPiSquared = 0.0506606f;

// Sizes beyond these are treated as a failed allocation: they describe no
// crystal and no scan that fits in memory.
constexpr long long kMaxAtoms = 1'000'000;  // atoms of the asymmetric unit
constexpr long long kMaxTables = 100'000;
constexpr long long kMaxSteps = 20'000'000;
constexpr double kMaxAtomsPerCubicAngstrom = 1.0;
// Reciprocal-lattice points inside the limiting sphere, and points of the
// enumerated range of h, k, l (about twice the sphere for orthogonal axes,
// more for oblique ones); a 300 A cell with Cu radiation has 2.5E+08 and
// 4.7E+08.
constexpr double kMaxSpherePoints = 1.0e9;
constexpr double kMaxIndexBox = 4.0e9;

// Ends the run with a message of the given lines after two empty lines,
// the way every failure of the input lines is reported.
bool fail(Run& run, std::initializer_list<std::string> message) {
  run.list("");
  run.list("");
  for (const std::string& line : message) run.list(line);
  run.io.iostat = 1;
  return false;
}

bool fail_read(Run& run, const char* which) {
  return fail(run, {std::string("read-error in the ") + which + " of the input-file"});
}

bool fail_open(Run& run, const std::string& name) {
  return fail(run, {X(5) + pad(name, 72), " there is no such file or directory, or the file is empty,",
                    " check your input!"});
}

bool fail_allocation(Run& run, const char* second, const char* third) {
  return fail(run, {" Dynamical array allocation failed", second, third});
}

std::string file_name(const std::string& field) {
  return std::string(trim_right(trim_left(field)));
}

// Line 4: the radiation.
bool read_radiation(Run& run) {
  Params& p = run.par;
  std::string rec;
  if (!run.io.input.next(rec)) return fail_read(run, "fourth line");
  const std::string text = pad(rec, 72);
  p.indicator = text.substr(0, 2);
  if (p.indicator == "Cu") {
    p.alam1 = 1.540598f; p.dlam1 = 0.000306f; p.flam1 = 1.0f;
    p.alam2 = 1.544426f; p.dlam2 = 0.000413f; p.flam2 = 0.5f;
    p.idesy = kTube;
    p.cad_att = 12.179f; p.cad_pm = 0.89423f;
  } else if (p.indicator == "Mo") {
    p.alam1 = 0.7093f; p.dlam1 = 0.00041f; p.flam1 = 1.0f;
    p.alam2 = 0.71359f; p.dlam2 = 0.00045f; p.flam2 = 0.5f;
    p.idesy = kTube;
    p.cad_att = 16.68f; p.cad_pm = 0.97749f;
  } else if (p.indicator == "Ag") {
    p.alam1 = 0.55942f; p.dlam1 = 0.00048f; p.flam1 = 1.0f;
    p.alam2 = 0.563811f; p.dlam2 = 0.00052f; p.flam2 = 0.5f;
    p.idesy = kTube;
    p.cad_att = 13.95f; p.cad_pm = 0.986f;
  } else if (p.indicator == "1 " || p.indicator == "2 ") {
    if (read_list(text, {&p.idesy, &p.alam1, &p.am, &p.hm, &p.km, &p.lm, &p.fm}) != ReadStatus::ok)
      return fail_read(run, "fourth line");
    p.flam1 = 1.0f;
    // In double: squares of indices as large as an int can hold.
    const double hkl2 = static_cast<double>(p.hm) * p.hm + static_cast<double>(p.km) * p.km +
                        static_cast<double>(p.lm) * p.lm;
    // A monochromator reflection must exist and reach the Ewald sphere.
    if (p.alam1 <= 0 || p.am <= 0 || hkl2 <= 0) return fail_read(run, "fourth line");
    const float dm = static_cast<float>(p.am / std::sqrt(hkl2));
    if (p.alam1 / (2.0f * dm) >= 1.0f) return fail_read(run, "fourth line");
    p.theta_m = std::asin(p.alam1 / (2.0f * dm));
    p.w_darwin = (2.0f / (p.am * p.am * p.am)) * 1000.0f * p.fm * p.alam1 * 2.817938f /
                 (p.alam1 * 1.0e8f / (dm * dm));
    p.indicator = "dl";
  } else if (p.indicator == "3 ") {
    if (read_list(text, {&p.idesy, &p.alam1, &p.dlam1}) != ReadStatus::ok)
      return fail_read(run, "fourth line");
    p.flam1 = 1.0f;
    if (p.alam1 <= 0) return fail_read(run, "fourth line");
    p.indicator = "dl";
  } else {
    if (read_list(text, {&p.alam1, &p.dlam1, &p.flam1, &p.alam2, &p.dlam2, &p.flam2}) !=
        ReadStatus::ok)
      return fail_read(run, "fourth line");
    if (p.alam2 < p.alam1) {
      std::swap(p.alam1, p.alam2);
      std::swap(p.dlam1, p.dlam2);
      std::swap(p.flam1, p.flam2);
    }
    if (p.alam1 <= 0) return fail_read(run, "fourth line");
    p.idesy = kTube;
    p.indicator = "dl";
  }

  switch (p.idesy) {
    case kTube:
      p.i0 = 2.0e9f;
      p.pol = 0.0f;
      break;
    case kSynchrotron1:
    case kSynchrotron2:
      p.i0 = p.alam1 == 1.275f ? 1.1e10f : 1.0e10f;
      p.pol = p.idesy == kSynchrotron1 ? 1.0f : -1.0f;
      break;
    default:
      p.i0 = 1.0e12f;
      p.pol = 1.0f;
  }
  return true;
}

// Line 6: psi range and scan settings, with the range checks of the two
// diffractometer geometries.
bool read_scan_settings(Run& run) {
  Params& p = run.par;
  if (read_list(run.io.input, {&p.psia, &p.psie, &p.zsw1, &p.nnn, &p.drumin, &p.zeimax}) !=
      ReadStatus::ok)
    return fail_read(run, "sixth line");
  if (p.idesy == kTube) {
    if (p.psia < -180.0f || p.psie > 180.0f) {
      run.list("");
      run.list(" Psi-range is out of -180. to 180.");
      run.io.iostat = 1;
      return false;
    }
  } else {
    const bool in_0_360 = p.psia >= 0.0f && p.psie <= 360.0f;
    const bool in_pm_180 = p.psia >= -180.0f && p.psie <= 180.0f;
    if (!in_0_360 && !in_pm_180) {
      run.list("");
      run.list(" Psi-range is out of 0. to 360.");
      run.list("                        or");
      run.list("                  -180. to 180.");
      run.io.iostat = 1;
      return false;
    }
  }
  // A reversed range would give a scan with a negative number of steps.
  if (p.psia > p.psie) {
    run.list("");
    run.list(" Psi-range is empty: psia is greater than psie.");
    run.io.iostat = 1;
    return false;
  }
  // Without a step density there is no grid, and nothing would say why the
  // scan stays empty.
  if (p.zsw1 == 0.0f)
    return fail(run, {" The number of steps per degree zsw1 is zero",
                      " ( zsw1 > 0: scan calculated, zsw1 < 0: events only )"});
  return true;
}

// Line 7 with nr > 230: ic, ns and the operators in one read.
bool read_explicit_symmetry(Run& run) {
  Symmetry& sym = run.cr.sym;
  ListReader reader(run.io.input);
  int ic = 0, ns = 0;
  if (reader.get(&ic) != ReadStatus::ok || reader.get(&ns) != ReadStatus::ok || ic < 1 || ic > 2 ||
      ns < 1)
    return fail_read(run, "symmetry information lines");
  if (ns > kMaxOperators) return fail(run, {" The number of symmetry lines is to large", " ( ns <= 24)"});
  sym.ic = ic;
  sym.ns = ns;
  for (int k = 0; k < ns; ++k) {
    for (int j = 0; j < 3; ++j) {
      for (ListItem item : {ListItem(&sym.t[k][j]), ListItem(&sym.s[k][j][0]),
                            ListItem(&sym.s[k][j][1]), ListItem(&sym.s[k][j][2])}) {
        if (reader.get(item) != ReadStatus::ok) return fail_read(run, "symmetry information lines");
      }
    }
  }
  run.list(I(ns, 4) + " symmetry lines:");
  for (int k = 0; k < ns; ++k) {
    std::string rec;
    for (int j = 0; j < 3; ++j) {
      rec += X(3) + F(sym.t[k][j], 6, 3);
      for (int m = 0; m < 3; ++m) rec += F(sym.s[k][j][m], 4, 0);
    }
    run.list(rec);
  }
  return true;
}

// Line 7: space group and the sizes of the atom and table lists.
bool read_symmetry_and_sizes(Run& run) {
  Params& p = run.par;
  if (read_list(run.io.input, {&p.nr, &p.na, &p.nf}) != ReadStatus::ok || p.nr < 1)
    return fail_read(run, "seventh line");
  if (p.na < 0 || p.nf < 0 || p.na > kMaxAtoms || p.nf > kMaxTables)
    return fail_allocation(run, " Number of atoms is to large", " Please contact the author of KORVA-xx!");
  try {
    run.cr.atoms.reserve(4 * static_cast<std::size_t>(p.na));
    run.cr.types.resize(static_cast<std::size_t>(p.nf));
  } catch (const std::bad_alloc&) {
    return fail_allocation(run, " Number of atoms is to large", " Please contact the author of KORVA-xx!");
  }
  if (p.nr <= 230) {
    raumgr_(run.cr.sym, p.nr, run.cr.sym.sgsymbol, run.report);
  } else {
    run.cr.sym.sgsymbol = pad("P", 30);
    if (!read_explicit_symmetry(run)) return false;
  }
  p.centring = centring_multiplicity(run.cr.sym.sgsymbol[0]);
  return true;
}

// Lines 8: one scattering-factor table each, in fixed columns.
bool read_tables(Run& run) {
  Params& p = run.par;
  for (int j = 0; j < p.nf; ++j) {
    std::string rec;
    if (!run.io.input.next(rec)) return fail_read(run, "chemical symbol lines");
    ScatteringType& type = run.cr.types[j];
    type.atn = columns(rec, 1, 4);
    float f1 = 0, f2 = 0;
    int iub = 0;
    if (!read_fixed_real(columns(rec, 5, 14), 4, f1) || !read_fixed_int(columns(rec, 25, 26), iub))
      return fail_read(run, "chemical symbol lines");
    if (p.idesy != kNeutrons && !read_fixed_real(columns(rec, 15, 24), 4, f2))
      return fail_read(run, "chemical symbol lines");
    type.fprime = f1;
    type.fdprime = p.idesy == kNeutrons ? 0.0f : f2;
    p.i_u_b = iub;
    type.natcell = 0.0f;
    if (p.idesy == kNeutrons) upform_n_(type, run.report);
    else upform_(type, p.indicator, run.report);
    if (run.report.stopped()) return false;
  }
  return true;
}

// Lines 9: the atoms of the asymmetric unit.
bool read_atoms(Run& run) {
  Params& p = run.par;
  const Symmetry& sym = run.cr.sym;
  for (int i = 0; i < p.na; ++i) {
    Atom atom;
    if (read_list(run.io.input, {&atom.fnr, &atom.afact, &atom.x[0], &atom.x[1], &atom.x[2],
                                 &atom.bt[0], &atom.bt[1], &atom.bt[2], &atom.bt[3], &atom.bt[4],
                                 &atom.bt[5]}) != ReadStatus::ok)
      return fail_read(run, "atom parameter lines");
    // An atom without a table, or without weight, would silently drop out
    // of every count and structure factor.
    if (!(atom.fnr >= 1.0f && atom.fnr <= static_cast<float>(p.nf) && atom.fnr == std::trunc(atom.fnr)))
      return fail(run, {" The table number of atom" + I(i + 1, 5) + " names no scattering-factor table",
                        " ( fnr = 1, 2, ... nf with nf =" + I(p.nf, 5) + " )"});
    if (!(atom.afact > 0.0f))
      return fail(run, {" The multiplier afact of atom" + I(i + 1, 5) + " is not positive", " ( afact > 0 )"});
    run.cr.atoms.push_back(atom);
    const float per_atom = (static_cast<float>(p.centring) / static_cast<float>(sym.ic)) * 2.0f *
                           atom.afact * static_cast<float>(sym.ns);
    for (int j = 0; j < p.nf; ++j)
      if (static_cast<float>(j + 1) == atom.fnr) run.cr.types[j].natcell += per_atom;
  }
  return true;
}

// The atoms of the cell must fit in it.  Far beyond the density of any
// solid (diamond has 0.18 atoms per cubic angstrom) the structure factors
// grow so large that the extinction widths of the events span tens of
// degrees and their losses add up to more than the primary intensity: the
// calculated scan comes out negative everywhere.
bool check_atom_density(Run& run) {
  double atoms = 0.0;
  for (const ScatteringType& type : run.cr.types) atoms += type.natcell;
  const double per_cubic_angstrom = atoms / run.par.vol;
  if (per_cubic_angstrom <= kMaxAtomsPerCubicAngstrom) return true;
  return fail(run, {" The cell holds" + F(static_cast<float>(per_cubic_angstrom), 12, 3) + " atoms per A**3",
                    " ( at most" + F(static_cast<float>(kMaxAtomsPerCubicAngstrom), 6, 3) +
                        " ), check na and the multipliers afact"});
}

// Line 11: the orientation matrix, optional.  Returns false only on a read
// error; sets has_ub when a matrix was read.
bool read_orientation(Run& run, bool& end_of_input) {
  Params& p = run.par;
  std::array<float, 9>& ub = p.ub;
  const ReadStatus st = read_list(run.io.input, {&ub[0], &ub[1], &ub[2], &ub[3], &ub[4], &ub[5],
                                                 &ub[6], &ub[7], &ub[8]});
  if (st == ReadStatus::end_of_file) {
    end_of_input = true;
    return true;
  }
  // A singular matrix orients nothing: it is as wrong as an unreadable one.
  const float det = ub[0] * (ub[4] * ub[8] - ub[5] * ub[7]) - ub[1] * (ub[3] * ub[8] - ub[5] * ub[6]) +
                    ub[2] * (ub[3] * ub[7] - ub[4] * ub[6]);
  if (st != ReadStatus::ok || det == 0.0f) return fail_read(run, "ub-matrix lines");
  p.has_ub = true;

  run.list("");
  run.list("UB-matrix:");
  for (int r = 0; r < 3; ++r) run.list(F(ub[3 * r], 12, 6) + F(ub[3 * r + 1], 12, 6) + F(ub[3 * r + 2], 12, 6));
  float len[3];
  for (int c = 0; c < 3; ++c)
    len[c] = std::sqrt(ub[c] * ub[c] + ub[3 + c] * ub[3 + c] + ub[6 + c] * ub[6 + c]);
  auto angle = [&](int c1, int c2) {
    const float dot = ub[c1] * ub[c2] + ub[3 + c1] * ub[3 + c2] + ub[6 + c1] * ub[6 + c2];
    return std::acos(std::fmax(-1.0f, std::fmin(1.0f, dot / (len[c1] * len[c2])))) * kRad;
  };
  run.list(" Reciprocal lattice constants calculated from the UB-matrix");
  run.list(F(len[0], 10, 4) + F(len[1], 10, 4) + F(len[2], 10, 4) + X(2) + F(angle(1, 2), 10, 2) +
           F(angle(0, 2), 10, 2) + F(angle(0, 1), 10, 2));
  return true;
}

// The event search enumerates h, k, l up to 2a/lambda, 2b/lambda, 2c/lambda
// and finds every lattice point inside the limiting sphere of radius
// 2/lambda: its work grows with the cell volume over lambda cubed.  A cell
// far beyond these sizes would search for days (or, once the index limits
// no longer fit, never end); it is refused before anything is searched.
bool check_search_size(Run& run) {
  const Params& p = run.par;
  const double rad = M_PI / 180.0;
  const double ca = std::cos(p.alpha * rad), cb = std::cos(p.beta * rad), cg = std::cos(p.gamma * rad);
  const double volume = static_cast<double>(p.a) * p.b * p.c *
                        std::sqrt(std::fmax(0.0, 1.0 - ca * ca - cb * cb - cg * cg + 2.0 * ca * cb * cg));
  const double lambda = p.alam1;  // the shorter line: the largest sphere of the run
  const double sphere = 4.0 / 3.0 * M_PI * std::pow(2.0 / lambda, 3) * volume;
  double box = 1.0;
  for (float edge : {p.a, p.b, p.c}) box *= 2.0 * std::trunc(2.0 * edge / lambda) + 1.0;
  if (sphere <= kMaxSpherePoints && box <= kMaxIndexBox) return true;
  return fail(run, {" The event search is too large for the cell on the third line:",
                    E(sphere, 10, 2) + " points in the limiting sphere (at most" + E(kMaxSpherePoints, 10, 2) + ")",
                    E(box, 10, 2) + " points in the range of h, k, l (at most" + E(kMaxIndexBox, 10, 2) + ")"});
}

// Cell and reciprocal cell.  False when the cell constants describe no cell.
bool derive_cell(Params& p) {
  const float rad = static_cast<float>(M_PI / 180.0);
  const float ca = std::cos(p.alpha * rad), cb = std::cos(p.beta * rad), cg = std::cos(p.gamma * rad);
  const float sa = std::sin(p.alpha * rad), sb = std::sin(p.beta * rad), sg = std::sin(p.gamma * rad);
  const float root = 1.0f - ca * ca - cb * cb - cg * cg + 2.0f * ca * cb * cg;
  if (!(p.a > 0 && p.b > 0 && p.c > 0 && root > 0 && sa > 0 && sb > 0 && sg > 0)) return false;
  p.vol = p.a * p.b * p.c * std::sqrt(root);
  p.ast = p.b * p.c * sa / p.vol;
  p.bst = p.a * p.c * sb / p.vol;
  p.cst = p.a * p.b * sg / p.vol;
  p.alphast = std::acos((cb * cg - ca) / (sb * sg)) * kRad;
  p.betast = std::acos((ca * cg - cb) / (sa * sg)) * kRad;
  p.gammast = std::acos((ca * cb - cg) / (sa * sb)) * kRad;
  p.vol_recip = 1.0f / p.vol;
  return true;
}

// |H|, sin(theta)/lambda and d of the primary reflection.
void derive_primary(Params& p) {
  const float rad = static_cast<float>(M_PI / 180.0);
  const float cas = std::cos(p.alphast * rad), cbs = std::cos(p.betast * rad),
              cgs = std::cos(p.gammast * rad);
  const float h = static_cast<float>(p.h), k = static_cast<float>(p.k), l = static_cast<float>(p.l);
  p.hnorm2 = h * h * p.ast * p.ast + k * k * p.bst * p.bst + l * l * p.cst * p.cst +
             2.0f * h * k * p.ast * p.bst * cgs + 2.0f * h * l * p.ast * p.cst * cbs +
             2.0f * k * l * p.bst * p.cst * cas;
  p.hnorm = std::sqrt(p.hnorm2);
  p.stl_prim = p.hnorm / 2.0f;
  p.d_prim = 1.0f / p.hnorm;
}

// Temperature parameters given as U become beta; the listing shows U for
// both kinds of input.
void convert_temperature_parameters(Run& run) {
  const Params& p = run.par;
  const float prod[6] = {p.ast * p.ast, p.bst * p.bst, p.cst * p.cst,
                         p.ast * p.bst, p.ast * p.cst, p.bst * p.cst};
  run.cr.u_values.clear();
  for (Atom& atom : run.cr.atoms) {
    std::array<float, 6> u{};
    for (int n = 0; n < 6; ++n) {
      if (p.i_u_b != 0) {
        u[n] = atom.bt[n];
        atom.bt[n] = kTwoPiSquared * prod[n] * u[n];
      } else {
        u[n] = atom.bt[n] * kInvTwoPiSquared / prod[n];
      }
    }
    run.cr.u_values.push_back(u);
  }
}

void list_provisional_notice(Run& run) {
  const std::string stars(76, '*');
  const std::string framed = "**" + X(72) + "**";
  run.list("");
  run.list("");
  for (const char* rec :
       {stars.c_str(), stars.c_str(), framed.c_str(), framed.c_str(),
        "**    The structure factor of the primary reflection is larger than 2!    **",
        "**    This part of KORVA-xx is in work!                                   **",
        "**    Only provisional results are obtained!                              **",
        "**    Calculation without interference term, (nnn = 0) is recommended!    **",
        framed.c_str(), framed.c_str(), stars.c_str(), stars.c_str()})
    run.list(rec);
  run.list("");
  run.list("");
}

void list_cell(Run& run) {
  const Params& p = run.par;
  run.list("");
  run.list("");
  run.list(" Lattice constants input by the user:");
  run.list(F(p.a, 10, 4) + F(p.b, 10, 4) + F(p.c, 10, 4) + X(2) + F(p.alpha, 10, 2) +
           F(p.beta, 10, 2) + F(p.gamma, 10, 2));
  run.list(" Volume:" + F(p.vol, 12, 4));
  run.list("");
  run.list(" Reciprocal lattice constants:");
  run.list(F(p.ast, 10, 4) + F(p.bst, 10, 4) + F(p.cst, 10, 4) + X(2) + F(p.alphast, 10, 2) +
           F(p.betast, 10, 2) + F(p.gammast, 10, 2));
  run.list(" Reciprocal volume:" + F(p.vol_recip, 12, 6));
}

}  // namespace

bool read_input(Run& run, std::string& dname2, std::string& dname1) {
  Params& p = run.par;
  InUnit& in = run.io.input;
  std::string rec;

  // Line 1: title.
  if (!in.next(rec)) return fail_read(run, "first line");
  p.title = pad(rec, 80);
  run.list("");
  run.list(" " + p.title);
  run.list("");

  // Line 2: the PostScript file, opened at once.
  if (!in.next(rec)) return fail_read(run, "second line");
  p.dname1 = pad(rec, 72);
  dname1 = p.dname1;
  if (!check_run_files(run, false)) return false;
  if (file_name(p.dname1).empty() || !run.io.open_output(run.io.ps, file_name(p.dname1))) return fail_open(run, p.dname1);

  // Line 3: cell.
  if (read_list(in, {&p.a, &p.b, &p.c, &p.alpha, &p.beta, &p.gamma}) != ReadStatus::ok ||
      !derive_cell(p))
    return fail_read(run, "third line");

  if (!read_radiation(run) || !check_search_size(run)) return false;

  // Line 5: divergences, crystal and block radii, mosaic spread.
  if (read_list(in, {&p.diverp, &p.divers, &p.rkugel, &p.radius, &p.eta}) != ReadStatus::ok ||
      p.radius <= 0.0f || p.rkugel < 0.0f)
    return fail_read(run, "fifth line");
  for (const auto& [value, name] : {std::pair{p.diverp, "divergence diverp"}, std::pair{p.divers, "divergence divers"},
                                     std::pair{p.eta, "mosaic spread eta"}})
    if (value < 0.0f)
      return fail(run, {std::string(" The ") + name + " on the fifth line is negative",
                        " ( diverp, divers, eta >= 0 )"});
  p.rkugel *= 0.0001f;
  if (p.idesy == kSynchrotron1 || p.idesy == kSynchrotron2) {
    const float a = (p.diverp * kDeg) / std::tan(p.theta_m);
    p.dlam1 = std::sqrt(a * a + p.w_darwin * p.w_darwin);
  }

  if (!read_scan_settings(run)) return false;
  if (!read_symmetry_and_sizes(run)) return false;
  if (!read_tables(run)) return false;
  if (!read_atoms(run) || !check_atom_density(run)) return false;
  bravai_(run.cr.atoms, run.cr.sym.sgsymbol);

  // Line 10: primary reflection.
  float phi_deg = 0.0f;
  if (read_list(in, {&p.h, &p.k, &p.l, &p.fprim, &phi_deg, &p.psi1, &p.psi2}) != ReadStatus::ok ||
      (p.h == 0 && p.k == 0 && p.l == 0))
    return fail_read(run, "primary reflection line");
  p.phiprim = phi_deg * kDeg;

  // Lines 11 and 12: orientation matrix and measured scan, both optional.
  bool end_of_input = false;
  if (!read_orientation(run, end_of_input)) return false;
  dname2 = std::string(72, ' ');
  p.dname2 = dname2;
  if (!end_of_input && in.next(rec)) {
    p.dname2 = pad(rec, 72);
    dname2 = p.dname2;
    const std::string name = file_name(p.dname2);
    if (!name.empty()) {
      p.scan_flag = 1;
      p.scan_ext = name.size() >= 3 ? name.substr(name.size() - 3) : name;
    }
  }
  if (!check_run_files(run, true)) return false;

  // Scan arrays.
  const double steps = std::round(static_cast<double>(p.psie - p.psia) * p.zsw());
  if (steps > static_cast<double>(kMaxSteps))
    return fail_allocation(run, " Number of steps = (psie - psia)*zsw is to large",
                           " Please reduce the number of steps in your input file!");
  p.nstep = nint(static_cast<float>(p.psie - p.psia) * p.zsw());
  try {
    run.sc.aint.assign(static_cast<std::size_t>(p.nstep) + 1, 0.0f);
    run.sc.measured.aintm.assign(static_cast<std::size_t>(p.nstep) + 1, kNoMeasurement);
  } catch (const std::bad_alloc&) {
    return fail_allocation(run, " Number of steps = (psie - psia)*zsw is to large",
                           " Please reduce the number of steps in your input file!");
  }

  // Wavelength band.
  p.lam_min = p.alam1 - 0.5f * p.alam1 * p.dlam1;
  p.lam_max = p.idesy == kTube ? p.alam2 + 0.5f * p.alam2 * p.dlam2 : p.alam1 + 0.5f * p.alam1 * p.dlam1;

  derive_primary(p);
  p.cross_section = static_cast<float>(M_PI) * p.rkugel * p.rkugel;
  // K turns a structure factor into an extinction coefficient (1/cm).  An
  // X-ray structure factor counts electrons and needs the electron radius
  // (2.817938 fm); a neutron structure factor is already a length in fm.
  p.scale_k = p.idesy == kNeutrons ? p.alam1 * (1.0f / p.vol) * 1000.0f
                                   : p.alam1 * 2.817938f * (1.0f / p.vol) * 1000.0f;

  // Both lines of a tube must reach the primary reflection.
  const float longest = p.idesy == kTube ? std::fmax(p.alam1, p.alam2) : p.alam1;
  if ((p.hnorm / 2.0f) * longest > 1.0f) {
    run.list("");
    run.list("");
    run.list("");
    run.list(" The wavelength is to large");
    run.list(" the primary reflection is outside of the Ewald-sphere !!");
    run.io.iostat = 1;
    return false;
  }

  convert_temperature_parameters(run);

  if (p.fprim == 0.0f) {
    float f = 0.0f, phase = 0.0f;
    if (p.idesy == kNeutrons) fcalc1_n_(run.cr, p.h, p.k, p.l, f, phase, run.report);
    else fcalc1_(run.cr, p.h, p.k, p.l, p.stl_prim, f, phase, run.report);
    if (run.report.stopped()) return false;
    p.fprim = f;
    p.phiprim = f < 0.001f ? 0.0f : phase;
  }
  if (p.fprim > 2.0f) {
    list_provisional_notice(run);
    p.title = "       P r o v i s i o n a l    output  of  KORVA-xx  for  F-prim > 2  !!!      ";
  }
  list_cell(run);
  return true;
}

std::string cal_file_name(const std::string& dname1, const std::string& dname2) {
  const bool no_scan = trim_right(dname2).empty();
  std::string base(trim_right(trim_left(no_scan ? dname1 : dname2)));
  // A name no longer than the part to cut keeps its first character.
  std::size_t cut = no_scan ? 3 : 4;
  if (base.size() <= cut) cut = base.empty() ? 0 : base.size() - 1;
  return pad(base.substr(0, base.size() - cut) + ".cal", 72);
}

}  // namespace korva
