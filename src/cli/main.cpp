// The command line: batch runs of the computation, and the desktop program
// when started without arguments.
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <iostream>
#include <new>
#include <string>
#include <vector>

#include "cif/cif_command.hpp"
#include "cif/symbols.hpp"
#include "plot/export.hpp"
#include "scan/run.hpp"
#include "scan/run_files.hpp"
#include "support/files.hpp"
#include "support/format.hpp"
#include "support/input_help.hpp"
#ifdef KORVA_HAVE_GUI
#include "shell/shell.hpp"
#endif

namespace {

const char* kUsage =
    "usage: korva run INPUT [-o LISTING] [--pdf] [--png]\n"
    "       korva cif FILE.cif --reflection H K L RADIATION [options]\n"
    "       korva symbols\n"
    "       korva help-input\n"
    "       korva --help\n"
    "       korva            (the desktop program, where it was built)\n"
    "\n"
    "Simulates the multiple-diffraction (Renninger) psi-scan described by the\n"
    "input file INPUT and writes the listing to LISTING (default: INPUT with\n"
    "the extension .out).  File names inside the input (the PostScript page,\n"
    "the measured scan) are relative to the current directory; the calculated\n"
    "scan is written next to them with the extension .cal.\n"
    "\n"
    "--pdf, --png  also convert the PostScript page with Ghostscript (gs) into\n"
    "              a PDF or a PNG next to it, with the same base name.  The\n"
    "              PostScript page is written in any case.\n"
    "\n"
    "Exit status: 0 after a normal end, 1 when the run stopped at an error\n"
    "reported in the listing or could not write the listing, the page or the\n"
    "calculated scan (the message is also shown here), 2 on a usage error or\n"
    "when INPUT cannot be read or LISTING cannot be written or is a file of\n"
    "the run (the input, the page, the measured or the calculated scan), 3\n"
    "when the run ended normally but a page asked for with --pdf or --png\n"
    "could not be made (Ghostscript missing or failing, or the run drew no\n"
    "page).  A run that stops at an error leaves an earlier page and\n"
    "calculated scan as they were.\n"
    "\n"
    "korva cif writes an input file from a CIF file (korva cif --help);\n"
    "korva symbols lists the scattering-table symbols an input may use;\n"
    "korva help-input prints the description of the input file.\n";

std::string default_listing(const std::string& input) {
  std::filesystem::path p(input);
  p.replace_extension(".out");
  return p.string();
}

// On a terminal a run that searches for more than a moment shows how far
// it is, on one line of standard error that it clears at the end.
class ProgressLine {
 public:
  explicit ProgressLine(korva::Io& io) : io_(io), start_(Clock::now()) {
    if (::isatty(STDERR_FILENO)) io_.progress = [this](double done) { show(done); };
  }
  ~ProgressLine() {
    io_.progress = nullptr;
    if (shown_) std::cerr << "\r" << std::string(40, ' ') << "\r" << std::flush;
  }

 private:
  using Clock = std::chrono::steady_clock;
  void show(double done) {
    const auto now = Clock::now();
    if (now - start_ < std::chrono::seconds(2) || (shown_ && now - last_ < std::chrono::milliseconds(500))) return;
    last_ = now;
    shown_ = true;
    std::cerr << "\rkorva: event search " << static_cast<int>(100.0 * done) << "% done" << std::flush;
  }
  korva::Io& io_;
  Clock::time_point start_, last_;
  bool shown_ = false;
};

bool written(const std::string& name) {
  std::error_code ec;
  return !name.empty() && std::filesystem::is_regular_file(name, ec);
}

int run_command(const std::vector<std::string>& args) {
  std::string input, listing;
  std::vector<korva::PageFormat> conversions;
  for (std::size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--pdf" || args[i] == "--png") {
      const auto format = args[i] == "--pdf" ? korva::PageFormat::Pdf : korva::PageFormat::Png;
      if (std::find(conversions.begin(), conversions.end(), format) == conversions.end()) conversions.push_back(format);
    } else if (args[i] == "-o") {
      if (i + 1 >= args.size()) {
        std::cerr << "korva: -o needs a file name\n" << kUsage;
        return 2;
      }
      listing = args[++i];
    } else if (input.empty() && !args[i].empty() && args[i][0] != '-') {
      input = args[i];
    } else {
      std::cerr << "korva: unexpected argument '" << args[i] << "'\n" << kUsage;
      return 2;
    }
  }
  if (input.empty()) {
    std::cerr << "korva: no input file\n" << kUsage;
    return 2;
  }
  const bool derived = listing.empty();
  if (derived) listing = default_listing(input);

  korva::Io io;
  if (!io.input.open(input)) {
    std::cerr << "korva: cannot read input file '" << input << "'"
              << (io.input.failure().empty() ? "" : ": " + io.input.failure()) << "\n";
    return 2;
  }
  // Opening the listing empties it: it must not fall on a file of the run.
  std::string why;
  if (const std::string role = korva::listing_clash(io.input, listing); !role.empty())
    why = "it is the " + role + " of the run";
  else if (const std::string folder = derived ? korva::device_folder(listing) : ""; !folder.empty())
    why = "it would be created in the device folder " + folder;
  else if (!io.listing.open(listing))
    why = io.listing.error();
  if (!why.empty()) {
    std::cerr << "korva: cannot write listing file '" << listing << "': " << why << "\n";
    return 2;
  }
  std::string dname2(72, ' '), calname(72, ' '), dname1(72, ' ');
  {
    ProgressLine progress(io);
    korva::korva_(io, dname2, calname, dname1);
  }
  io.close_all();

  const auto name = [](const std::string& field) {
    return std::string(korva::trim_right(korva::trim_left(field)));
  };
  std::cout << "listing: " << listing << "\n";
  if (io.iostat <= 0 && written(name(dname1))) std::cout << "PostScript: " << name(dname1) << "\n";
  if (io.iostat <= 0 && written(name(calname))) std::cout << "calculated scan: " << name(calname) << "\n";
  if (!name(dname2).empty()) std::cout << "measured scan: " << name(dname2) << "\n";
  if (io.iostat > 0) {
    std::cerr << "korva: " << korva::failure_message(io, listing) << "\n";
    if (!io.listing.failed()) std::cerr << "korva: the run stopped at an error; see " << listing << "\n";
    return 1;
  }
  int status = 0;
  for (korva::PageFormat format : conversions) {
    const korva::ExportResult r = korva::export_page(name(dname1), format);
    if (r.ok) {
      std::cout << (format == korva::PageFormat::Pdf ? "PDF: " : "PNG: ") << r.output << "\n";
    } else {
      std::cerr << "korva: no " << (format == korva::PageFormat::Pdf ? "PDF" : "PNG") << " page: " << r.message
                << "\n";
      status = 3;
    }
  }
  return status;
}

int dispatch(const std::vector<std::string>& args) {
  if (args.empty()) {
#ifdef KORVA_HAVE_GUI
    return korva::shell::main_program();
#else
    std::cerr << kUsage;
    return 2;
#endif
  }
  if (args[0] == "help-input") {
    std::cout << korva::input_help_text();
    return 0;
  }
  if (args[0] == "--help" || args[0] == "-h" || args[0] == "help") {
    std::cout << kUsage;
    return 0;
  }
  if (args[0] == "run") return run_command({args.begin() + 1, args.end()});
  if (args[0] == "symbols") {
    std::cout << korva::cif::symbols_text();
    return 0;
  }
  if (args[0] == "cif") {
#ifdef KORVA_HAVE_CIF
    return korva::cif::cif_command({args.begin() + 1, args.end()});
#else
    std::cerr << "korva: this korva was built without gemmi or xraylib and cannot read CIF files\n";
    return 2;
#endif
  }
  std::cerr << "korva: unknown command '" << args[0] << "'\n" << kUsage;
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  // A run reports running out of memory in its listing; this is the last
  // resort for what happens outside a run.
  try {
    return dispatch(std::vector<std::string>(argv + 1, argv + argc));
  } catch (const std::bad_alloc& e) {
    std::cerr << "korva: not enough memory (" << e.what() << ")\n";
    return 1;
  }
}
