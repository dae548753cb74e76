// The crystal-data blocks of the listing: scattering-factor tables, F(000),
// the atoms with their temperature parameters, density and absorption.
// Also settles mu and mu R of the run.
#include <string>

#include "crystal/absorption.hpp"
#include "crystal/neutron.hpp"
#include "crystal/structure_factor_kernel.hpp"
#include "crystal/xray.hpp"
#include "scan/stages.hpp"
#include "support/format.hpp"
#include "support/numeric.hpp"

namespace korva {
namespace {

constexpr int kFormPoints = 121;  // sin(theta)/lambda = 0, 0.05, .. 6.0

void fill_form_factor_tables(Run& run) {
  const bool neutrons = run.par.idesy == kNeutrons;
  for (ScatteringType& type : run.cr.types) {
    for (int i = 0; i < kFormPoints; ++i) {
      // A scattering length does not depend on the angle.
      type.formfa[static_cast<std::size_t>(i)] =
          neutrons ? type.fprime : xray_form_factor(type, static_cast<float>(i) / 20.0f);
    }
  }
}

void list_xray_tables(Run& run) {
  run.list("");
  run.list("");
  run.list(" Scattering factor tables: Int. Tables for Crystallography, Vol. C, 219 - 222, 500 - 503");
  for (const ScatteringType& type : run.cr.types) {
    run.list("");
    run.list(X(1) + A(type.atn, 4) + ":" + I(nint(type.natcell), 3) + " atoms with atomic number" +
             I(type.zatom, 3));
    run.list("");
    run.list(" f':" + F(type.fprime, 8, 4) + X(5) + "f'':" + F(type.fdprime, 8, 4));
    run.list("");
    run.list(" f : (sin(theta)/lambda = 0., 0.1, 0.2, ... 5.9)");
    run.list("");
    for (int line = 0; line < 6; ++line) {
      std::string rec;
      for (int j = 0; j < 10; ++j)
        rec += F(type.formfa[static_cast<std::size_t>(2 * (10 * line + j))], 7, 3);
      run.list(rec);
    }
  }
}

void list_neutron_tables(Run& run) {
  for (const ScatteringType& type : run.cr.types) {
    run.list("");
    run.list(X(1) + A(type.atn, 4) + ":" + F(type.natcell, 5, 2) + " atoms with atomic number" +
             I(type.zatom, 3) + ", coherent scattering length:" + F(type.fprime, 8, 4));
  }
}

void list_f000(Run& run) {
  float f000 = 0.0f;
  for (const ScatteringType& type : run.cr.types) f000 += type.natcell * type.formfa[0];
  run.list("");
  run.list(" F000:" + F(f000, 8, 2));
}

void list_atoms(Run& run) {
  const Crystal& cr = run.cr;
  run.list("");
  run.list(run.par.i_u_b == 0
               ? " Atomic position and temperature parameters (beta-ij are input by the user):"
               : " Atomic position and temperature parameters (u-ij are input by the user):");
  for (std::size_t i = 0; i < cr.atoms.size(); ++i) {
    const Atom& atom = cr.atoms[i];
    const int n = itrunc(atom.fnr);
    // An atom naming no table has no symbol to show.
    const std::string symbol =
        n >= 1 && static_cast<std::size_t>(n) <= cr.types.size() ? cr.types[static_cast<std::size_t>(n - 1)].atn
                                                                  : std::string(4, ' ');
    run.list("");
    run.list(X(1) + A(symbol, 4) + F(atom.afact, 9, 6) + X(2) + F(atom.x[0], 10, 6) +
             F(atom.x[1], 10, 6) + F(atom.x[2], 10, 6));
    std::string beta = " beta:";
    for (float b : atom.bt) beta += F(b, 10, 6);
    run.list(beta);
    std::string u = " u   :";
    for (int j = 0; j < 6; ++j)
      u += F(i < cr.u_values.size() ? cr.u_values[i][static_cast<std::size_t>(j)] : 0.0f, 10, 6);
    run.list(u);
  }
}

// Density, mu and mu R for X-rays.  False when F''(000) could not be
// computed (reported).
bool xray_absorption(Run& run) {
  Params& p = run.par;
  float mu = 0.0f, density = 0.0f;
  mue_(run.cr.types, p.alam1, p.vol, mu, p.nf, density, run.report);
  const float mu_tables = mu;

  // With f'' known for every type the absorption follows from the
  // imaginary part of F(000): mu = 2 K F''(000).
  bool all_fdprime = !run.cr.types.empty();
  for (const ScatteringType& type : run.cr.types)
    if (type.fdprime == 0.0f) all_fdprime = false;
  if (all_fdprime) {
    std::vector<std::string> messages;
    const StructureFactor f000 = structure_factor_xray(run.cr, 0, 0, 0, 0.0f, &messages);
    float f = 0.0f, phi = 0.0f;
    if (!take_structure_factor(f000, messages, f, phi, run.report)) return false;
    mu = 2.0f * p.scale_k * f000.im;
  }
  p.mu = mu;
  p.density = density;
  p.mur = mu * p.rkugel;

  run.list("");
  run.list("");
  run.list(" Density                                               :" + F(density, 10, 3) + " g/cm -3");
  run.list(" Linear absorption coefficient (I.T., 1962, III, 157ff):" + F(mu_tables, 10, 3) + " cm -1");
  if (p.mur > 31.5f) {
    run.list("");
    run.list("");
    run.list(" mue*radius is greater than 31.5,");
    run.list(" the absorption factor cannot be calculated");
    run.list(" the absorption factor is set to 1.");
    run.list("");
    run.list("");
  }
  if (all_fdprime) {
    run.list(" Linear absorption coefficient (dispersion correction) :" + F(mu, 10, 3) + " cm -1");
    run.list("");
    run.list("");
  }
  return true;
}

void neutron_density(Run& run) {
  Params& p = run.par;
  float density = 0.0f;
  mue_n_(run.cr.types, p.vol, p.nf, density, run.report);
  p.density = density;
  p.mu = 0.0f;
  p.mur = 0.0f;
  run.list("");
  run.list("");
  run.list(" Density   :" + F(density, 10, 3) + " g/cm -3");
  run.list("");
}

}  // namespace

bool list_crystal_data(Run& run) {
  const bool neutrons = run.par.idesy == kNeutrons;
  fill_form_factor_tables(run);
  if (neutrons) list_neutron_tables(run);
  else list_xray_tables(run);
  list_f000(run);
  list_atoms(run);
  if (neutrons) {
    neutron_density(run);
    return true;
  }
  return xray_absorption(run);
}

}  // namespace korva
