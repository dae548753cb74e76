// Windowing services of the desktop program: one main window with a menu
// bar, a one-part status bar and text output, a blocking event wait, a modal
// file dialog and the bell.
//
// The main program reaches the desktop only through the eleven operations
// below, so that the toolkit underneath (Qt Widgets) stays out of the shell.
// The state of the services lives in a WindowServices object that the caller
// owns and passes to every operation; it is used from one thread only.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace korva::ui {

// Style bits of WindowRecord::flags.
enum WindowStyle : std::int32_t {
  kSystemMenu = 1,    // window menu and close box
  kMinimiseBox = 2,
  kMaximiseBox = 4,
  kShowMaximised = 8,
  kStatusBar = 32,
  kFixedBorder = 64,  // not resizable, status bar without size grip
  kHidden = 128,
  kStayOnTop = 512,
};

struct WindowRecord {
  std::int32_t flags = 0;
  std::int32_t x = 0, y = 0;           // outer top-left corner; negative: centred
  std::int32_t width = 0, height = 0;  // client area; 0 or less: 80 % of the screen
  std::int32_t menu = 0;               // menu resource; 0: no menu bar
  std::string title;                   // 80 characters, blank-padded
};

// Event types reported by wmessage_.
enum EventType : int {
  kNoEvent = 0,        // wmessage_ called without an open window
  kKeyPress = 1,       // value 1: key code, value 2: Unicode character or 0
  kMenuCommand = 2,    // value 1: menu item identifier
  kMousePress = 3,     // value 1: button (1 left, 2 right, 3 middle); x, y
  kMouseRelease = 4,   // as kMousePress
  kMouseMove = 5,      // x, y
  kRedraw = 7,         // the client area was repainted
  kResize = 8,         // value 1, 2: new client width and height in pixels
  kCloseRequest = 9,   // the user asked to close the window
  kActivated = 13,     // the window became the active window
  kDeactivated = 14,
};

struct Event {
  std::int32_t window = 0;                 // 0: the main window
  std::array<std::int32_t, 4> value{};     // value 1 .. value 4
  std::int32_t x = 0, y = 0;               // position in window units, where there is one
};

// Error codes recorded by the services.
enum ErrorCode : int {
  kErrorNone = 0,
  kErrorUnknownMenuItem = 1001,
  kErrorFileDialog = 1004,
};

// File-dialog flag bits of wselectfile2_.
enum FileDialogFlag : int {
  kSaveDialog = 1,
  kPrompt = 2,         // open: ask before accepting a new file; save: before replacing one
  kPathNeedNotExist = 4,
  kKeepWorkingDir = 8,
  kMultipleFiles = 16,
  kDefaultExtension = 32,
};

struct ServicesState;

class WindowServices {
 public:
  WindowServices();
  ~WindowServices();
  WindowServices(const WindowServices&) = delete;
  WindowServices& operator=(const WindowServices&) = delete;

  ServicesState& state() { return *state_; }
  const ServicesState& state() const { return *state_; }

 private:
  std::unique_ptr<ServicesState> state_;
};

// 1. Prepares the services (once; later calls do nothing): the screen size
// and colour depth, the bell on, no error.  config names the settings file;
// blank: the file named by KORVA_WINCONFIG or "korvawin.cfg", if it exists.
void winitialise_(WindowServices& ui, std::string_view config);

// 2. Opens the main window, unless one is open.  colours: 16, 32, 64 or
// 128; any other value means 16.
void windowopen_(WindowServices& ui, const WindowRecord& record, int colours = 16);

// 3. Destroys the window; the services are closed again.
void windowclose_(WindowServices& ui);

// 4. Waits for the next event of a switched-on type.  A close request only
// reports type 9; the window stays open.
void wmessage_(WindowServices& ui, int& type, Event& event);

// 5. kind 1: enabled state (value 0 grey, 1 enabled); kind 2: check mark.
// Other kinds or values are ignored; an unknown item records error 1001.
void wmenusetstate_(WindowServices& ui, int item, int kind, int value);

// 6. Text of the status bar (it has one part; every part number up to 255
// writes there, larger ones are ignored).
void windowoutstatusbar_(WindowServices& ui, int part, std::string_view text);

// 7. Text at (x, y) in window units (0..10000 on both axes), y the baseline,
// trailing blanks included, on an opaque background.
void windowoutstring_(WindowServices& ui, int x, int y, std::string_view text);

// 8. Fills the client area with the background colour.
void windowclear_(WindowServices& ui);

// 9. Modal file dialog.  filter: entries ended by its last character,
// alternating description and ";"-separated patterns.  name is the file-name
// field (its length is the field length): in, the start folder and name;
// out after OK, the chosen full path blank-padded.  A path that does not fit
// in the field with one character to spare ends the dialog as a failure
// (error 1004).  filter_index, when given: the entry pair shown first
// (counted from 1), out the pair in use at the end.
void wselectfile2_(WindowServices& ui, std::string_view filter, int flags, std::string& name,
                   std::string_view title, int* filter_index = nullptr);

// 10. Query 4: 1 when the last file dialog ended with OK, else 0.  Query 1:
// kind of the last dialog (0 none, 1 open, 2 save); 2: its filter index at
// the end; 3: number of files chosen.  Other queries give 0.
int winfodialog_(WindowServices& ui, int query);

// 11. "ON" / "OFF" (first three characters, any case) switch the bell;
// anything else beeps once when the bell is on.
void windowbell_(WindowServices& ui, std::string_view text);

// Beyond the eleven: what the main program does not need, but a caller of
// the services may.

// The last error code and the system's own number for it; clearing.
int werror_(const WindowServices& ui);
int wsyserror_(const WindowServices& ui);
void wclearerror_(WindowServices& ui);

// Switches reporting of one event type on or off (types 1..31).
void weventtype_(WindowServices& ui, int type, bool on);

// Conversions between window units and pixels for a client extent of n
// pixels.
int units_to_pixels(int units, int n);
int pixels_to_units(int pixels, int n);

}  // namespace korva::ui
