// Access to the windowing services from outside the main program: tests
// drive the dialogs and look at what the window shows, and a start with
// KORVA_SHOW_MENU set prints the menu bar it built.
#pragma once

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "ui/windowing.hpp"

class QFileDialog;
class QMainWindow;

namespace korva::ui {

// Called with every file dialog once it is up and modal; the hook ends it
// (e.g. selectFile + accept, or reject).  Without a hook the user does.
using DialogHook = std::function<void(QFileDialog&)>;
void set_dialog_hook(WindowServices& ui, DialogHook hook);

// Receives one record per visible effect of a service call, in call order:
// "open <title>", "close", "menu <item> <kind> <value>", "status <text>",
// "text <x> <y> <text>", "clear", "dialog <title>", "dialog end <outcome>",
// "bell", "bell on", "bell off".
using Trace = std::function<void(const std::string&)>;
void set_trace(WindowServices& ui, Trace trace);

// The main window, nullptr while closed.
QMainWindow* main_window(WindowServices& ui);

// Texts of the menu bar's items, left to right, and one item's state.
std::vector<std::string> menu_texts(WindowServices& ui);
bool menu_enabled(WindowServices& ui, int item);
bool menu_checked(WindowServices& ui, int item);

std::string status_text(WindowServices& ui);

// The texts the client area shows, at their pixel positions (baseline).
struct ShownText {
  int x = 0, y = 0;
  std::string text;
};
std::vector<ShownText> shown_texts(WindowServices& ui);

// Beeps sounded so far.
int beep_count(const WindowServices& ui);

// Current text position in window units, and the client size in pixels.
std::pair<int, int> text_position(const WindowServices& ui);
std::pair<int, int> client_size(const WindowServices& ui);
std::pair<int, int> screen_size(const WindowServices& ui);

}  // namespace korva::ui
