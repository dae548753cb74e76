#include "shell/shell.hpp"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <iostream>

#include "scan/run_files.hpp"
#include "support/format.hpp"
#include "support/input_help.hpp"
#include "ui/automation.hpp"

namespace korva::shell {
namespace {

const std::string kInputFilter = pad("Input file|*.inp;*.in;*.ein;*.txt|", kNameLength);
const std::string kListingFilter = pad("Output file|*.out;*.aus|", kNameLength);
constexpr int kAskBeforeNewFile = ui::kPrompt;

const std::string kUndefined = pad("undefined", kNameLength);

bool blank(const std::string& field) { return trim_right(field).empty(); }
std::string trimmed(const std::string& field) { return std::string(trim_right(field)); }

// Runs the editor on a file; a blank name opens the editor without one.
// Returns why the file could not be shown, for the status bar, or empty.
std::string edit(Shell& sh, const std::string& field) {
  if (sh.editor.empty()) {
    std::cerr << "korva: no text editor found; set VISUAL or EDITOR\n";
    return "no text editor found; set VISUAL or EDITOR";
  }
  const std::string& program = sh.editor.front();
  if (!sh.env.terminal && terminal_editor(sh.editor))
    return "the editor " + program + " needs a terminal; set VISUAL to a graphical editor";
  std::vector<std::string> argv = sh.editor;
  if (!blank(field)) argv.push_back(trimmed(field));
  const int status = sh.run(argv);
  if (status < 0) return "the editor " + program + " cannot be started";
  if (status > 0) return "the editor " + program + " ended with status " + std::to_string(status);
  return {};
}

// A command of its own that only runs the editor says in the status bar
// when nothing could be shown.
void edit_alone(Shell& sh, const std::string& field) {
  if (const std::string why = edit(sh, field); !why.empty()) ui::windowoutstatusbar_(sh.ui, 1, "korva-99: " + why);
}

void set_items(Shell& sh, int value) {
  for (int id : {kStart, kEditInput, kEditOutput, kGhostview, kHelpInput, kExit}) {
    if (id == kGhostview && value == 1 && blank(sh.viewer)) continue;
    ui::wmenusetstate_(sh.ui, id, 1, value);
  }
}

// A chosen file that cannot be used ends Start with a note in the status
// bar, before anything is run.
void refuse(Shell& sh, const std::string& why) {
  ui::windowoutstatusbar_(sh.ui, 1, why);
  ui::windowbell_(sh.ui, " ");
}

void run_computation(Shell& sh, Io& io) {
  try {
    sh.compute(io, sh.measured, sh.calculated, sh.postscript);
  } catch (const std::exception& e) {
    // The computation reports its failures in the listing; anything that
    // still escapes must neither end the program nor pass as success.
    if (io.listing.is_open()) io.listing.line(std::string(" korva-99 stopped: ") + e.what());
    io.iostat = 1;
  }
  sh.measured = pad(sh.measured, kNameLength);
  sh.calculated = pad(sh.calculated, kNameLength);
  sh.postscript = pad(sh.postscript, kNameLength);
}

void show_failure(Shell& sh) {
  ui::windowoutstring_(sh.ui, 100, 4000, "korva99 finished with an error");
  ui::windowoutstring_(sh.ui, 100, 5000, "for more information -->");
  ui::windowoutstring_(sh.ui, 100, 6000, "see output file:" + sh.listing);
  const std::string why = edit(sh, sh.listing);
  ui::windowclear_(sh.ui);
  ui::windowoutstatusbar_(sh.ui, 1, "korva-99 finished with an error" + (why.empty() ? "" : "; " + why));
}

void show_success(Shell& sh) {
  if (blank(sh.measured) || sh.measured.starts_with("undefined"))
    ui::windowoutstring_(sh.ui, 100, 4000, "Observed-scan file: undefined");
  else
    ui::windowoutstring_(sh.ui, 100, 4000, "Observed-scan file: " + sh.measured);
  if (sh.calculated.starts_with("undefined"))
    ui::windowoutstring_(sh.ui, 100, 5000, "Calculated-scan file: " + sh.calculated.substr(0, 9));
  else
    ui::windowoutstring_(sh.ui, 100, 5000, "Calculated-scan file: " + sh.calculated);
  const std::string status = "korva-99 finished:  graphical output file: " + trimmed(sh.postscript) +
                             ";  print output file:" + trimmed(sh.listing);
  ui::windowoutstatusbar_(sh.ui, 1, status);
  if (!blank(sh.viewer)) {
    // The viewer gets the PostScript name as the computation opened it,
    // relative to the working directory.
    std::vector<std::string> argv{trimmed(sh.viewer)};
    const std::string ps(trim_right(trim_left(sh.postscript)));
    if (!ps.empty()) argv.push_back(ps);
    sh.run(argv);
  }
  ui::windowclear_(sh.ui);
  if (const std::string why = edit(sh, sh.listing); !why.empty()) ui::windowoutstatusbar_(sh.ui, 1, status + ";  " + why);
  ui::windowclear_(sh.ui);
}

void start(Shell& sh) {
  ui::windowclear_(sh.ui);
  sh.input.assign(kNameLength, ' ');
  ui::wselectfile2_(sh.ui, kInputFilter, kAskBeforeNewFile, sh.input, "inut file");
  if (ui::winfodialog_(sh.ui, 4) != 1) return;

  Io io;
  if (!io.input.open(trimmed(sh.input))) {
    refuse(sh, "korva-99: the input file cannot be read");
    return;
  }
  ui::windowoutstring_(sh.ui, 100, 2000, "Intput file: " + sh.input);

  sh.listing.assign(kNameLength, ' ');
  ui::wselectfile2_(sh.ui, kListingFilter, kAskBeforeNewFile, sh.listing, "Print-output file");
  if (ui::winfodialog_(sh.ui, 4) != 1) {
    io.input.close();
    return;
  }
  // Opening the listing empties it: it must not fall on the input or on a
  // file the input names.
  if (const std::string role = listing_clash(io.input, trimmed(sh.listing)); !role.empty()) {
    io.input.close();
    refuse(sh, "korva-99: the print-output file must not be the " + role);
    return;
  }
  if (!io.listing.open(trimmed(sh.listing))) {
    io.input.close();
    refuse(sh, "korva-99: the print-output file cannot be written");
    return;
  }

  set_items(sh, 0);
  ui::windowoutstatusbar_(sh.ui, 1, "korva-99 running");
  run_computation(sh, io);
  ui::windowbell_(sh.ui, " ");
  io.close_all();

  if (io.iostat > 0) {
    std::cerr << "korva: " << failure_message(io, trimmed(sh.listing)) << "\n";
    show_failure(sh);
  } else
    show_success(sh);
  set_items(sh, 1);
}

void help(Shell& sh) {
  in_help_();
  edit_alone(sh, pad(kInputHelpFile, kNameLength));
  std::error_code ec;
  std::filesystem::remove(kInputHelpFile, ec);
}

}  // namespace

Environment Environment::from_process() {
  const auto get = [](const char* name) {
    const char* v = std::getenv(name);
    return std::string(v ? v : "");
  };
  return {get("PATH"), get("VISUAL"), get("EDITOR"), ::isatty(STDIN_FILENO) == 1 && ::isatty(STDOUT_FILENO) == 1};
}

void start_up(Shell& sh) {
  ui::winitialise_(sh.ui, " ");
  sh.input.assign(kNameLength, ' ');
  sh.listing.assign(kNameLength, ' ');
  sh.viewer.assign(kNameLength, ' ');
  sh.measured = kUndefined;
  sh.calculated = kUndefined;

  ui::WindowRecord rec;
  rec.flags = ui::kSystemMenu | ui::kMinimiseBox | ui::kMaximiseBox | ui::kStatusBar;
  rec.x = 10;
  rec.y = 10;
  rec.width = 0;
  rec.height = 250;
  rec.menu = kMainMenu;
  rec.title = pad("korva-99", 80);
  ui::windowopen_(sh.ui, rec);

  ui::wmenusetstate_(sh.ui, kGhostview, 1, 0);
  ui::windowoutstatusbar_(sh.ui, 1, "searching for gsview32.exe");
  sh.viewer = pad(find_viewer(sh.env.path), kNameLength);
  sh.editor = choose_editor(sh.env.visual, sh.env.editor, sh.env.path);
  if (!blank(sh.viewer)) {
    ui::wmenusetstate_(sh.ui, kGhostview, 1, 1);
    ui::windowoutstatusbar_(sh.ui, 1, "gsview32.exe found");
  } else {
    ui::windowoutstatusbar_(sh.ui, 1, "gsview32.exe not found on drive c:");
  }
}

bool command(Shell& sh, int id) {
  switch (id) {
    case kStart:
      start(sh);
      break;
    case kGhostview:
      if (!blank(sh.viewer)) sh.run({trimmed(sh.viewer)});
      break;
    case kEditInput:
      edit_alone(sh, sh.input);
      break;
    case kEditOutput:
      edit_alone(sh, sh.listing);
      break;
    case kHelpInput:
      help(sh);
      break;
    case kExit:
      ui::windowclose_(sh.ui);
      return false;
    default:
      break;
  }
  return true;
}

void menu_loop(Shell& sh) {
  for (;;) {
    int type = 0;
    ui::Event event;
    ui::wmessage_(sh.ui, type, event);
    if (type == ui::kMenuCommand) {
      if (!command(sh, event.value[0])) return;
    } else if (type == ui::kCloseRequest) {
      command(sh, kExit);
      return;
    } else if (type == ui::kNoEvent) {
      return;  // the window is gone
    }
  }
}

int main_program() {
  if (!std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY") && !std::getenv("QT_QPA_PLATFORM")) {
    std::fprintf(stderr,
                 "korva: no display for the desktop program; for a run without a window use\n"
                 "       korva run INPUT [-o LISTING]\n");
    return 2;
  }
  ui::WindowServices ui;
  Shell sh(ui, run_and_wait, Environment::from_process());
  start_up(sh);
  if (std::getenv("KORVA_SHOW_MENU")) {
    for (const std::string& text : ui::menu_texts(ui)) std::printf("menu: %s\n", text.c_str());
    std::fflush(stdout);
  }
  menu_loop(sh);
  return 0;
}

}  // namespace korva::shell
