#include "cif/cif_command.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <optional>

#include "cif/cif_reader.hpp"
#include "cif/input_writer.hpp"

namespace korva::cif {

const char* const kCifHelp =
    "usage: korva cif FILE.cif --reflection H K L RADIATION [--block NAME]\n"
    "                 [-o OUT.inp] [--force] [run parameters]\n"
    "\n"
    "Writes an input file for `korva run` from the crystal structure in a CIF\n"
    "file: cell, space group (the table's number when the CIF's operators are\n"
    "a setting of korva's table, otherwise explicit operators with the centred\n"
    "atoms written out), the atoms with multipliers from occupancy and site\n"
    "multiplicity and U values (i_u_b = 1), and one scattering table per\n"
    "element or ion (`korva symbols` lists them).  A summary of every choice\n"
    "goes to standard error.\n"
    "\n"
    "RADIATION, one of:\n"
    "  --tube Cu|Mo|Ag      X-ray tube, K-alpha1 and K-alpha2\n"
    "  --energy KEV         synchrotron radiation behind a Si 1 1 1\n"
    "                       monochromator; f' and f'' of every element at this\n"
    "                       energy from xraylib\n"
    "  --neutron LAMBDA     neutrons of wavelength LAMBDA (A); scattering\n"
    "                       lengths from korva's table\n"
    "  --band DL            neutrons: delta-lambda/lambda (default 0.01)\n"
    "\n"
    "  --block NAME         the CIF data block (default: the first with atoms)\n"
    "  -o OUT.inp           the input file (default: FILE with extension .inp)\n"
    "  --force              replace OUT.inp when it exists\n"
    "\n"
    "Run parameters a CIF does not carry (defaults for tube / synchrotron /\n"
    "neutrons):\n"
    "  --divergence P S     diverp, divers (deg): 0.14 0.14 / 0.005 0.01 / 0.2 0.2\n"
    "  --crystal-radius UM  rkugel (um): 100 / 100 / 2000\n"
    "  --block-radius UM    mosaic-block radius (um): 10 / 10 / 20\n"
    "  --mosaic DEG         mosaic spread eta (deg): 0.01 / 0.005 / 0.05\n"
    "  --psi A E            psi range (deg): -180 180\n"
    "  --steps N            steps per degree, negative for events only: 10\n"
    "  --nnn N              interference term (0: off): 0\n"
    "  --drumin CPS         list and draw the events above CPS: 0 (none listed,\n"
    "                       all simulated; a run that lists more than 600\n"
    "                       events stops)\n"
    "  --zeimax CPS         maximum of the plot (0: from the data): 0\n"
    "  --title TEXT         line 1 (default: the CIF's name of the crystal)\n"
    "  --ub U11 .. U33      the orientation matrix, row by row (default: none)\n"
    "\n"
    "The PostScript page (line 2) is named after OUT.inp with the extension .ps.\n"
    "Exit status: 0 when the input was written, 2 when nothing was written (a\n"
    "usage error, a CIF without cell, atoms or symmetry, an element the tables\n"
    "lack, a syntax error, a reflection beyond the Ewald sphere, an existing\n"
    "OUT.inp without --force).\n";

namespace {

struct Usage : std::runtime_error {
  using std::runtime_error::runtime_error;
};

double to_number(const std::string& option, const std::string& text) {
  double v = 0;
  const char* end = text.data() + text.size();
  const auto r = std::from_chars(text.data(), end, v);
  if (r.ec != std::errc() || r.ptr != end || !std::isfinite(v)) throw Usage(option + " needs a number, not '" + text + "'");
  return v;
}

int to_int(const std::string& option, const std::string& text) {
  int v = 0;
  const char* end = text.data() + text.size();
  const auto r = std::from_chars(text.data(), end, v);
  if (r.ec != std::errc() || r.ptr != end) throw Usage(option + " needs a whole number, not '" + text + "'");
  return v;
}

struct Request {
  std::string cif, block, out, title;
  bool force = false;
  std::optional<std::array<int, 3>> hkl;
  std::optional<RadiationChoice> rad;
  std::optional<double> band;
  // Run parameters given on the command line, applied over the defaults.
  std::optional<std::array<double, 2>> divergence, psi;
  std::optional<double> rkugel, radius, eta, steps, drumin, zeimax;
  std::optional<int> nnn;
  std::optional<std::array<double, 9>> ub;
};

Request parse(const std::vector<std::string>& args) {
  Request q;
  std::size_t i = 0;
  const auto next = [&](const std::string& option) -> const std::string& {
    if (i + 1 >= args.size()) throw Usage(option + " needs a value");
    return args[++i];
  };
  const auto positive = [](const std::string& option, double v) {
    if (!(v > 0)) throw Usage(option + " must be positive");
    return v;
  };
  const auto not_negative = [](const std::string& option, double v) {
    if (v < 0) throw Usage(option + " must not be negative");
    return v;
  };
  const auto radiation = [&](RadiationChoice r) {
    if (q.rad) throw Usage("give one radiation: --tube, --energy or --neutron");
    q.rad = r;
  };
  for (; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a == "--reflection") {
      std::array<int, 3> h{};
      for (int& v : h) v = to_int(a, next(a));
      q.hkl = h;
    } else if (a == "--tube") {
      RadiationChoice r;
      r.tube = next(a);
      if (r.tube != "Cu" && r.tube != "Mo" && r.tube != "Ag") throw Usage("--tube is Cu, Mo or Ag, not '" + r.tube + "'");
      radiation(r);
    } else if (a == "--energy") {
      RadiationChoice r;
      r.beam = Beam::synchrotron;
      r.kev = positive(a, to_number(a, next(a)));
      radiation(r);
    } else if (a == "--neutron") {
      RadiationChoice r;
      r.beam = Beam::neutrons;
      r.lambda = positive(a, to_number(a, next(a)));
      radiation(r);
    } else if (a == "--band") {
      q.band = positive(a, to_number(a, next(a)));
    } else if (a == "--block") {
      q.block = next(a);
    } else if (a == "-o") {
      q.out = next(a);
    } else if (a == "--force") {
      q.force = true;
    } else if (a == "--title") {
      q.title = next(a);
    } else if (a == "--divergence" || a == "--psi") {
      std::array<double, 2> v{};
      for (double& x : v) x = to_number(a, next(a));
      (a == "--psi" ? q.psi : q.divergence) = v;
      if (a == "--divergence" && (v[0] < 0 || v[1] < 0)) throw Usage("--divergence must not be negative");
    } else if (a == "--ub") {
      std::array<double, 9> ub{};
      for (double& x : ub) x = to_number(a, next(a));
      q.ub = ub;
    } else if (a == "--crystal-radius") {
      q.rkugel = not_negative(a, to_number(a, next(a)));
    } else if (a == "--block-radius") {
      q.radius = positive(a, to_number(a, next(a)));
    } else if (a == "--mosaic") {
      q.eta = not_negative(a, to_number(a, next(a)));
    } else if (a == "--steps") {
      q.steps = to_number(a, next(a));
      if (*q.steps == 0) throw Usage("--steps must not be 0");
    } else if (a == "--nnn") {
      q.nnn = to_int(a, next(a));
      if (*q.nnn < 0) throw Usage("--nnn must not be negative");
    } else if (a == "--drumin") {
      q.drumin = not_negative(a, to_number(a, next(a)));
    } else if (a == "--zeimax") {
      q.zeimax = not_negative(a, to_number(a, next(a)));
    } else if (!a.empty() && a[0] != '-' && q.cif.empty()) {
      q.cif = a;
    } else {
      throw Usage("unexpected argument '" + a + "'");
    }
  }
  if (q.cif.empty()) throw Usage("no CIF file");
  if (!q.hkl) throw Usage("no --reflection H K L");
  if (!q.rad) throw Usage("no radiation: give --tube, --energy or --neutron");
  if (q.band) {
    if (q.rad->beam != Beam::neutrons) throw Usage("--band goes with --neutron");
    q.rad->band = *q.band;
  }
  return q;
}

// The run parameters: defaults of the beam, then the options given; the
// summary names the defaults used and the option that changes each.
RunChoices choices(const Request& q, std::vector<std::string>& summary) {
  RunChoices c = default_choices(q.rad->beam);
  std::vector<std::string> defaults;
  const auto take = [&](const auto& given, auto& value, const char* option) {
    if (given) value = *given;
    else defaults.push_back(option);
  };
  std::array<double, 2> divergence = {c.diverp, c.divers}, psi = {c.psia, c.psie};
  take(q.divergence, divergence, "--divergence");
  take(q.rkugel, c.rkugel, "--crystal-radius");
  take(q.radius, c.radius, "--block-radius");
  take(q.eta, c.eta, "--mosaic");
  take(q.psi, psi, "--psi");
  take(q.steps, c.zsw1, "--steps");
  take(q.nnn, c.nnn, "--nnn");
  take(q.drumin, c.drumin, "--drumin");
  take(q.zeimax, c.zeimax, "--zeimax");
  if (!q.ub) defaults.push_back("--ub");
  c.diverp = divergence[0];
  c.divers = divergence[1];
  c.psia = psi[0];
  c.psie = psi[1];
  c.title = q.title;
  c.ub = q.ub;
  c.hkl = *q.hkl;

  const bool tube = q.rad->beam == Beam::tube;
  const bool in_pm_180 = c.psia >= -180 && c.psie <= 180, in_0_360 = c.psia >= 0 && c.psie <= 360;
  if (c.psia > c.psie) throw Usage("--psi: the start must not lie above the end");
  if (tube ? !in_pm_180 : !(in_pm_180 || in_0_360))
    throw Usage(tube ? "--psi: a tube scan lies within -180 to 180" : "--psi: the scan lies within -180 to 180 or 0 to 360");

  char line[256];
  std::snprintf(line, sizeof line,
                "line 5: diverp %g, divers %g deg; crystal radius %g um, mosaic blocks %g um; mosaic spread %g deg",
                c.diverp, c.divers, c.rkugel, c.radius, c.eta);
  summary.push_back(line);
  std::snprintf(line, sizeof line, "line 6: psi %g to %g deg, %g steps/deg, nnn %d, drumin %g cps%s, zeimax %g",
                c.psia, c.psie, c.zsw1, c.nnn, c.drumin, c.drumin == 0 ? " (no event listed)" : "", c.zeimax);
  summary.push_back(line);
  summary.push_back(q.ub ? "line 11: the orientation matrix of --ub"
                         : "line 11: no orientation matrix; psi = 0 is korva's reference direction");
  if (!defaults.empty()) {
    std::string list;
    for (const std::string& d : defaults) list += (list.empty() ? "" : ", ") + d;
    summary.push_back("defaults used (the options that set them): " + list);
  }
  return c;
}

std::string radiation_text(const RadiationChoice& r) {
  char line[200];
  switch (r.beam) {
    case Beam::tube: std::snprintf(line, sizeof line, "%s tube, K-alpha1 and K-alpha2", r.tube.c_str()); break;
    case Beam::synchrotron:
      std::snprintf(line, sizeof line, "synchrotron, %g keV (lambda %.6f A), Si 1 1 1 monochromator; f', f'' from xraylib",
                    r.kev, 12.398419843320026 / r.kev);
      break;
    case Beam::neutrons:
      std::snprintf(line, sizeof line, "neutrons, lambda %g A, delta-lambda/lambda %g", r.lambda, r.band);
      break;
  }
  return std::string("radiation: ") + line;
}

// Writes text to path without ever leaving a partial file: a temporary file
// beside it is renamed (--force) or linked (never replacing) into place.
void write_file(const std::filesystem::path& path, const std::string& text, bool force) {
  const std::filesystem::path dir = path.has_parent_path() ? path.parent_path() : std::filesystem::path(".");
  // Built by appending: prepending to a temporary makes GCC 12 warn of an
  // overlapping copy that cannot happen (-Wrestrict).
  std::string hidden(1, '.');
  hidden += path.filename().string();
  hidden += ".XXXXXX";
  std::string tmp = (dir / hidden).string();
  const int fd = ::mkstemp(tmp.data());
  if (fd < 0) throw CifError("cannot write in " + dir.string() + ": " + std::strerror(errno));
  std::size_t done = 0;
  while (done < text.size()) {
    const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
    if (n <= 0) break;
    done += static_cast<std::size_t>(n);
  }
  const bool ok = ::fchmod(fd, 0644) == 0 && ::close(fd) == 0 && done == text.size();
  int err = ok ? 0 : errno;
  if (ok) {
    if (force) {
      if (::rename(tmp.c_str(), path.c_str()) != 0) err = errno;
    } else if (::link(tmp.c_str(), path.c_str()) != 0) {
      err = errno;
    }
  }
  ::unlink(tmp.c_str());
  if (err == EEXIST) throw CifError(path.string() + " exists; --force replaces it");
  if (err) throw CifError("cannot write " + path.string() + ": " + std::strerror(err));
}

}  // namespace

int cif_command(const std::vector<std::string>& args) {
  for (const std::string& a : args)
    if (a == "--help" || a == "-h") {
      std::cout << kCifHelp;
      return 0;
    }
  try {
    const Request q = parse(args);
    std::filesystem::path out = q.out.empty() ? std::filesystem::path(q.cif).replace_extension(".inp")
                                              : std::filesystem::path(q.out);
    std::error_code ec;
    if (std::filesystem::equivalent(out, q.cif, ec)) throw CifError("the input file would replace the CIF");
    if (!q.force && std::filesystem::exists(out, ec)) throw CifError(out.string() + " exists; --force replaces it");

    std::vector<std::string> run_summary;
    RunChoices run = choices(q, run_summary);
    run.ps_name = std::filesystem::path(out).filename().replace_extension(".ps").string();
    const CifCrystal cr = read_cif_file(q.cif, q.block);
    const Conversion conv = make_input(cr, *q.rad, run);
    write_file(out, conv.input, q.force);

    std::cerr << "korva cif: wrote " << out.string() << "\n";
    for (const std::string& s : conv.summary) std::cerr << "  " << s << "\n";
    std::cerr << "  " << radiation_text(*q.rad) << "\n";
    for (const std::string& s : run_summary) std::cerr << "  " << s << "\n";
    for (const std::string& w : conv.warnings) std::cerr << "  warning: " << w << "\n";
    return 0;
  } catch (const Usage& e) {
    std::cerr << "korva cif: " << e.what() << "\n(korva cif --help describes the options)\n";
  } catch (const std::exception& e) {
    std::cerr << "korva cif: " << e.what() << "\n";
  }
  return 2;
}

}  // namespace korva::cif
