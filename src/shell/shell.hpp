// The desktop program: one main window, a menu of six commands, the choice
// of input and listing, the run of the computation and the external viewer
// and editor for its results.
//
// Everything on the screen goes through the windowing services; external
// programs through the injected command runner, and the computation through
// an injected function, so that the whole program can run under test with
// recorders in their place.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "scan/run.hpp"
#include "shell/commands.hpp"
#include "ui/windowing.hpp"

namespace korva::shell {

// Menu resource of the main window and its items.
enum MenuId : int {
  kMainMenu = 30001,
  kStart = 30002,
  kExit = 30003,
  kEditInput = 30004,
  kEditOutput = 30005,
  kGhostview = 30006,
  kHelpInput = 30007,
};

// The computation: units 15 and 16 open; fills the measured-scan, the
// calculated-scan and the PostScript name.
using Computation = std::function<void(Io&, std::string&, std::string&, std::string&)>;

// What the shell takes from the process environment.
struct Environment {
  std::string path;    // PATH
  std::string visual;  // $VISUAL, empty when unset
  std::string editor;  // $EDITOR, empty when unset
  bool terminal = false;  // standard input and output are a terminal an editor can use
  static Environment from_process();
};

inline constexpr std::size_t kNameLength = 72;

struct Shell {
  Shell(ui::WindowServices& ui_, CommandRunner run_, Environment env_, Computation compute_ = korva_)
      : ui(ui_), run(std::move(run_)), env(std::move(env_)), compute(std::move(compute_)) {}

  ui::WindowServices& ui;
  CommandRunner run;
  Environment env;
  Computation compute;

  std::vector<std::string> editor;  // program and options, chosen at start-up

  // Fixed-length, blank-padded fields kept for the whole session.
  std::string input = std::string(kNameLength, ' ');
  std::string listing = std::string(kNameLength, ' ');
  std::string measured = std::string(kNameLength, ' ');
  std::string calculated = std::string(kNameLength, ' ');
  std::string postscript = std::string(kNameLength, ' ');
  std::string viewer = std::string(kNameLength, ' ');
};

// Opens the window, looks for the viewer and chooses the editor.
void start_up(Shell& sh);

// Acts on one menu command; false when the program is to end (the window is
// closed then).
bool command(Shell& sh, int id);

// Waits for commands until Exit or a close request.
void menu_loop(Shell& sh);

// The program started without arguments.
int main_program();

}  // namespace korva::shell
