// The windowing services on Qt Widgets.
//
// The window is a QMainWindow whose central widget (the client area) keeps
// a list of the texts written to it and paints them; the status bar holds a
// single label.  Events are not delivered through Qt's own exec loop:
// wmessage_ spins the event dispatcher until the queue of reportable events
// has something, so that the caller keeps the shape of a classic message
// loop and nothing is handled while the caller is busy.
#include <QAbstractNativeEventFilter>
#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDatabase>
#include <QKeyEvent>
#include <QLabel>
#include <QLayout>
#include <QMainWindow>
#include <QMenuBar>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QScreen>
#include <QStatusBar>
#include <QTimer>

#include <bitset>
#include <cerrno>
#include <cstdlib>
#include <deque>
#include <filesystem>
#include <map>

#include "support/format.hpp"
#include "support/numeric.hpp"
#include "ui/automation.hpp"
#include "ui/resources.hpp"
#include "ui/settings.hpp"
#include "ui/windowing.hpp"

#if __has_include(<xcb/xcb.h>)
#include <xcb/xcb.h>
#define KORVA_HAVE_XCB 1
#endif

namespace korva::ui {

class MainWindow;
class ClientArea;
class MnemonicFilter;
class DestroyWatch;

struct ServicesState {
  // Qt wants argc and argv to outlive the application object it is given.
  int argc = 1;
  char arg0[6] = "korva";
  char* argv[2] = {arg0, nullptr};
  std::unique_ptr<QApplication> own_app;  // only when no application existed

  bool initialised = false;
  int screen_w = 0, screen_h = 0, depth = 0;
  Settings settings;

  std::unique_ptr<MainWindow> window;  // destroyed before own_app
  ClientArea* client = nullptr;        // owned by the window
  QLabel* status = nullptr;            // owned by the window
  std::map<int, QAction*> items;
  std::unique_ptr<MnemonicFilter> filter;
  std::unique_ptr<DestroyWatch> watch;
  bool closing = false;
  bool destroyed = false;  // the window system destroyed the window under us

  std::deque<std::pair<int, Event>> queue;
  std::bitset<32> reported;

  int colours = 16;
  QColor text_colour, background;
  int text_x = 0, text_y = 0;  // window units

  bool bell_on = true;
  int beeps = 0;

  int dialog_kind = 0, dialog_outcome = 0, dialog_filter = 0, dialog_files = 0;
  int error = 0, syserror = 0;

  DialogHook dialog_hook;
  Trace trace;

  void post(int type, Event e) {
    if (type > 0 && type < 32 && reported[static_cast<std::size_t>(type)]) queue.emplace_back(type, e);
  }
  void note(const std::string& record) const {
    if (trace) trace(record);
  }
};

namespace {

// The classic 16-colour table; text is entry 0 on background entry 15.
constexpr QRgb kColours[16] = {
    0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080, 0x008080, 0xC0C0C0,
    0x808080, 0xFF0000, 0x00FF00, 0xFFFF00, 0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF,
};

QString qs(std::string_view s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }
std::string ss(const QString& s) { return s.toUtf8().toStdString(); }

Event at_position(const QPoint& p, int w, int h) {
  Event e;
  e.x = pixels_to_units(p.x(), w);
  e.y = pixels_to_units(p.y(), h);
  return e;
}

int button_number(Qt::MouseButton b) {
  switch (b) {
    case Qt::LeftButton: return 1;
    case Qt::RightButton: return 2;
    case Qt::MiddleButton: return 3;
    default: return 0;
  }
}

}  // namespace

class ClientArea : public QWidget {
 public:
  explicit ClientArea(ServicesState& st) : st_(st) {
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
    font_ = QFontDatabase::systemFont(QFontDatabase::FixedFont);
  }

  struct Item {
    QPoint at;
    QString text;
  };
  std::vector<Item> items;
  const QFont& textFont() const { return font_; }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter p(this);
    p.fillRect(rect(), st_.background);
    p.setFont(font_);
    p.setPen(st_.text_colour);
    p.setBackgroundMode(Qt::OpaqueMode);
    p.setBackground(st_.background);
    for (const Item& it : items) p.drawText(it.at, it.text);
    st_.post(kRedraw, Event{});
  }
  void resizeEvent(QResizeEvent*) override {
    Event e;
    e.value[0] = width();
    e.value[1] = height();
    st_.post(kResize, e);
  }
  void keyPressEvent(QKeyEvent* ev) override {
    Event e;
    e.value[0] = ev->key();
    e.value[1] = ev->text().isEmpty() ? 0 : static_cast<std::int32_t>(ev->text().at(0).unicode());
    st_.post(kKeyPress, e);
  }
  void mousePressEvent(QMouseEvent* ev) override {
    Event e = at_position(ev->position().toPoint(), width(), height());
    e.value[0] = button_number(ev->button());
    st_.post(kMousePress, e);
  }
  void mouseReleaseEvent(QMouseEvent* ev) override {
    Event e = at_position(ev->position().toPoint(), width(), height());
    e.value[0] = button_number(ev->button());
    st_.post(kMouseRelease, e);
  }
  void mouseMoveEvent(QMouseEvent* ev) override {
    st_.post(kMouseMove, at_position(ev->position().toPoint(), width(), height()));
  }

 private:
  ServicesState& st_;
  QFont font_;
};

class MainWindow : public QMainWindow {
 public:
  explicit MainWindow(ServicesState& st) : st_(st) {}

 protected:
  // Closing is the caller's decision: the request is only reported.
  void closeEvent(QCloseEvent* ev) override {
    if (st_.closing) {
      ev->accept();
      return;
    }
    ev->ignore();
    st_.post(kCloseRequest, Event{});
  }
  void changeEvent(QEvent* ev) override {
    if (ev->type() == QEvent::ActivationChange) st_.post(isActiveWindow() ? kActivated : kDeactivated, Event{});
    QMainWindow::changeEvent(ev);
  }

 private:
  ServicesState& st_;
};

// Alt + letter chooses the menu item whose "&" letter it is.  When several
// items share the letter, each press moves the highlight to the next of them
// and Enter chooses, so that a key never runs a command the user did not
// see selected.
class MnemonicFilter : public QObject {
 public:
  explicit MnemonicFilter(ServicesState& st) : st_(st) {}

 protected:
  bool eventFilter(QObject* target, QEvent* ev) override {
    if (ev->type() != QEvent::ShortcutOverride && ev->type() != QEvent::KeyPress) return false;
    auto* key = static_cast<QKeyEvent*>(ev);
    if (!(key->modifiers() & Qt::AltModifier) || (key->modifiers() & (Qt::ControlModifier | Qt::MetaModifier)))
      return false;
    auto* widget = qobject_cast<QWidget*>(target);
    if (!widget || !st_.window || widget->window() != st_.window.get() || QApplication::activeModalWidget())
      return false;
    const QList<QAction*> matching = matches(key);
    if (matching.isEmpty()) return false;
    if (ev->type() == QEvent::ShortcutOverride) {  // keep Qt's own mnemonic handling out
      ev->accept();
      return true;
    }
    if (matching.size() == 1) {
      if (matching.front()->isEnabled()) matching.front()->trigger();
    } else {
      QMenuBar* bar = st_.window->menuBar();
      const qsizetype now = matching.indexOf(bar->activeAction());
      bar->setFocus(Qt::ShortcutFocusReason);
      bar->setActiveAction(matching[(now + 1) % matching.size()]);
    }
    return true;
  }

 private:
  QList<QAction*> matches(const QKeyEvent* key) const {
    QList<QAction*> out;
    if (key->key() < Qt::Key_0 || key->key() > Qt::Key_Z) return out;
    for (QAction* a : st_.window->menuBar()->actions()) {
      const QString t = a->text();
      const qsizetype amp = t.indexOf('&');
      if (amp >= 0 && amp + 1 < t.size() && t.at(amp + 1).toUpper().unicode() == key->key() && a->isVisible())
        out.push_back(a);
    }
    return out;
  }

  ServicesState& st_;
};

// A window destroyed by someone else (a window manager's "destroy", xkill
// on the window, XDestroyWindow) sends no close request: Qt keeps its widget
// and the program would wait for events of a window that is gone.  The
// window system's own notice is the only sign of it.
class DestroyWatch : public QAbstractNativeEventFilter {
 public:
  DestroyWatch(ServicesState& st, WId window) : st_(st), window_(window) {}

  bool nativeEventFilter(const QByteArray& type, void* message, qintptr*) override {
#ifdef KORVA_HAVE_XCB
    if (type == "xcb_generic_event_t") {
      const auto* ev = static_cast<const xcb_generic_event_t*>(message);
      if ((ev->response_type & 0x7f) == XCB_DESTROY_NOTIFY &&
          reinterpret_cast<const xcb_destroy_notify_event_t*>(ev)->window == window_)
        st_.destroyed = true;
    }
#else
    (void)type;
    (void)message;
#endif
    return false;
  }

 private:
  ServicesState& st_;
  WId window_;
};

namespace {

// An open/save dialog that asks the questions of the dialog flags before it
// accepts a name.
class FileDialog : public QFileDialog {
 public:
  FileDialog(QWidget* parent, int flags) : QFileDialog(parent), flags_(flags) {}

  void accept() override {
    const QStringList files = selectedFiles();
    if (files.isEmpty() || fileMode() != QFileDialog::AnyFile) {
      QFileDialog::accept();
      return;
    }
    const QFileInfo info(files.front());
    if (info.isDir()) {  // the base class opens the folder
      QFileDialog::accept();
      return;
    }
    if (!(flags_ & kPathNeedNotExist) && !QFileInfo(info.absolutePath()).isDir()) {
      QMessageBox::warning(this, windowTitle(),
                           info.absoluteFilePath() + "\nThe folder does not exist.\nCheck the name and try again.");
      return;
    }
    if (flags_ & kPrompt) {
      const bool save = flags_ & kSaveDialog;
      if (!save && !info.exists() &&
          QMessageBox::question(this, windowTitle(),
                                info.absoluteFilePath() + "\nThis file does not exist.\nCreate the file?") !=
              QMessageBox::Yes)
        return;
      if (save && info.exists() &&
          QMessageBox::question(this, windowTitle(),
                                info.absoluteFilePath() + " already exists.\nDo you want to replace it?") !=
              QMessageBox::Yes)
        return;
    }
    QFileDialog::accept();
  }

 private:
  int flags_;
};

struct FilterEntry {
  QString description;
  QStringList patterns;
};

// "Input file|*.inp;*.in|": the last character separates the entries, which
// alternate between description and pattern list.
std::vector<FilterEntry> parse_filter(std::string_view text) {
  std::string f(trim_right(text));
  if (f.size() > 255) f.resize(255);
  std::vector<FilterEntry> out;
  if (f.empty()) return out;
  const char sep = f.back();
  std::vector<std::string> parts;
  std::size_t start = 0;
  for (std::size_t i = 0; i < f.size(); ++i) {
    if (f[i] == sep) {
      parts.push_back(f.substr(start, i - start));
      start = i + 1;
    }
  }
  for (std::size_t i = 0; i + 1 < parts.size(); i += 2) {
    FilterEntry e;
    e.description = qs(parts[i]);
    for (const QString& p : qs(parts[i + 1]).split(';', Qt::SkipEmptyParts)) e.patterns << p.trimmed();
    out.push_back(e);
  }
  return out;
}

QString qt_filter(const FilterEntry& e) {
  // Shown as "Input file (*.inp *.in)"; Qt takes the patterns from the last
  // bracket pair, so a description may hold brackets of its own.
  return e.description + " (" + e.patterns.join(' ') + ")";
}

QString suffix_of(const FilterEntry& e) {
  for (const QString& p : e.patterns) {
    if (p.startsWith("*.") && p.size() > 2 && p.indexOf(QChar('*'), 2) < 0 && !p.contains(QChar('?'))) return p.mid(2);
  }
  return {};
}

// Output reaches the screen at once, not at the next event: the caller may
// go on to run a program and wait for it while the text is to be read.
void show_now(QWidget& w) {
  if (w.isVisible()) w.repaint();
  else w.update();
}

void fatal_window_error(const char* text) {
  QMessageBox::critical(nullptr, "korva", text);
  std::exit(EXIT_FAILURE);
}

}  // namespace

WindowServices::WindowServices() : state_(std::make_unique<ServicesState>()) {}
WindowServices::~WindowServices() {
  if (state_->window) windowclose_(*this);
}

int units_to_pixels(int units, int n) { return nint(static_cast<double>(units) * n * 0.00010001); }

int pixels_to_units(int pixels, int n) {
  if (n < 2) return 0;
  return nint(static_cast<double>(pixels) * 9999.0 / (n - 1));
}

void winitialise_(WindowServices& ui, std::string_view config) {
  ServicesState& st = ui.state();
  if (st.initialised) return;
  if (!QApplication::instance()) st.own_app = std::make_unique<QApplication>(st.argc, st.argv);
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    st.screen_w = screen->geometry().width();
    st.screen_h = screen->geometry().height();
    st.depth = screen->depth();
  }
  st.settings = load_settings(config, [](const char* name) { return std::getenv(name); });
  st.bell_on = true;
  st.error = st.syserror = 0;
  st.reported.reset();
  for (int t : {1, 2, 3, 4, 7, 8, 9, 13, 14}) st.reported.set(static_cast<std::size_t>(t));
  st.initialised = true;
}

void windowopen_(WindowServices& ui, const WindowRecord& rec, int colours) {
  ServicesState& st = ui.state();
  if (st.window) return;
  if (!st.initialised) winitialise_(ui, "");

  st.colours = (colours == 16 || colours == 32 || colours == 64 || colours == 128) ? colours : 16;
  st.text_colour = QColor(kColours[0]);
  st.background = QColor(kColours[15]);
  st.closing = false;
  st.queue.clear();

  auto window = std::make_unique<MainWindow>(st);
  Qt::WindowFlags wf = Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint;
  if (rec.flags & kSystemMenu) wf |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
  if (rec.flags & kMinimiseBox) wf |= Qt::WindowMinimizeButtonHint;
  if (rec.flags & kMaximiseBox) wf |= Qt::WindowMaximizeButtonHint;
  if (rec.flags & kStayOnTop) wf |= Qt::WindowStaysOnTopHint;
  window->setWindowFlags(wf);
  window->setWindowTitle(qs(trim_right(rec.title)));
  if (const char* const* xpm = icon_resource("icon1")) window->setWindowIcon(QIcon(QPixmap(xpm)));

  auto* client = new ClientArea(st);
  window->setCentralWidget(client);
  st.client = client;

  st.items.clear();
  const auto menu = menu_resource(rec.menu);
  if (!menu.empty()) {
    for (const MenuItem& item : menu) {
      QAction* a = window->menuBar()->addAction(QString::fromUtf8(item.text));
      const int id = item.id;
      QObject::connect(a, &QAction::triggered, [&st, id] {
        Event e;
        e.value[0] = id;
        st.post(kMenuCommand, e);
      });
      st.items[id] = a;
    }
  }
  st.status = nullptr;
  if (rec.flags & kStatusBar) {
    QStatusBar* bar = window->statusBar();
    st.status = new QLabel;
    bar->addWidget(st.status, 1);
    bar->setSizeGripEnabled(!(rec.flags & kFixedBorder));
  }

  // The size asked for is the client area's; menu bar and status bar come
  // on top of it.
  const int cw = rec.width > 0 ? rec.width : st.screen_w * 4 / 5;
  const int ch = rec.height > 0 ? rec.height : st.screen_h * 4 / 5;
  int bars = 0;
  if (!menu.empty()) bars += window->menuBar()->sizeHint().height();
  if (st.status) bars += window->statusBar()->sizeHint().height();
  window->resize(cw, ch + bars);
  window->layout()->activate();
  const QSize off = QSize(cw, ch) - client->size();
  if (!off.isNull()) {
    window->resize(window->size() + off);
    window->layout()->activate();
  }
  if (rec.flags & kFixedBorder) window->setFixedSize(window->size());

  const int x = rec.x < 0 ? st.screen_w / 2 - window->width() / 2 : rec.x;
  const int y = rec.y < 0 ? st.screen_h / 2 - window->height() / 2 : rec.y;
  window->move(x, y);

  window->winId();
  if (!window->windowHandle()) fatal_window_error("Failed to create window - aborting.");

  st.window = std::move(window);
  st.filter = std::make_unique<MnemonicFilter>(st);
  qApp->installEventFilter(st.filter.get());
  st.destroyed = false;
  st.watch = std::make_unique<DestroyWatch>(st, st.window->winId());
  qApp->installNativeEventFilter(st.watch.get());

  if (!(rec.flags & kHidden)) {
    if (rec.flags & kShowMaximised) st.window->showMaximized();
    else st.window->show();
    st.window->raise();
    st.window->activateWindow();
    client->setFocus(Qt::ActiveWindowFocusReason);
  }
  st.text_x = st.text_y = 0;
  st.note("open " + std::string(trim_right(rec.title)));
}

void windowclose_(WindowServices& ui) {
  ServicesState& st = ui.state();
  if (!st.window) return;
  if (st.filter) qApp->removeEventFilter(st.filter.get());
  st.filter.reset();
  if (st.watch) qApp->removeNativeEventFilter(st.watch.get());
  st.watch.reset();
  st.closing = true;
  st.window->close();
  st.window.reset();
  st.client = nullptr;
  st.status = nullptr;
  st.items.clear();
  st.queue.clear();
  st.closing = false;
  st.note("close");
}

void wmessage_(WindowServices& ui, int& type, Event& event) {
  ServicesState& st = ui.state();
  while (st.queue.empty()) {
    // A window that was destroyed from outside is closed here: the caller
    // sees the services closed, as after windowclose_.
    if (st.destroyed) windowclose_(ui);
    if (!st.window) {
      type = kNoEvent;
      event = Event{};
      return;
    }
    QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
  }
  type = st.queue.front().first;
  event = st.queue.front().second;
  st.queue.pop_front();
}

void wmenusetstate_(WindowServices& ui, int item, int kind, int value) {
  ServicesState& st = ui.state();
  if (kind < 1 || kind > 2 || value < 0 || value > 1) return;
  const auto it = st.items.find(item);
  if (it == st.items.end()) {
    st.error = kErrorUnknownMenuItem;
    st.syserror = 0;
    return;
  }
  if (kind == 1) {
    it->second->setEnabled(value == 1);
  } else {
    it->second->setCheckable(true);
    it->second->setChecked(value == 1);
  }
  if (st.window && st.window->isVisible()) st.window->menuBar()->repaint();
  st.note("menu " + std::to_string(item) + " " + std::to_string(kind) + " " + std::to_string(value));
}

void windowoutstatusbar_(WindowServices& ui, int part, std::string_view text) {
  ServicesState& st = ui.state();
  if (part > 255 || !st.status) return;
  st.status->setText(qs(trim_right(text)));
  if (st.status->isVisible()) st.status->repaint();
  st.note("status " + std::string(trim_right(text)));
}

void windowoutstring_(WindowServices& ui, int x, int y, std::string_view text) {
  ServicesState& st = ui.state();
  if (!st.client) return;
  const int w = st.client->width(), h = st.client->height();
  const QString t = qs(text);
  st.client->items.push_back({QPoint(units_to_pixels(x, w), units_to_pixels(y, h)), t});
  show_now(*st.client);
  const int advance = QFontMetrics(st.client->textFont()).horizontalAdvance(t);
  st.text_x = x + pixels_to_units(advance, w);
  st.text_y = y;
  st.note("text " + std::to_string(x) + " " + std::to_string(y) + " " + std::string(text));
}

void windowclear_(WindowServices& ui) {
  ServicesState& st = ui.state();
  if (!st.client) return;
  st.client->items.clear();
  show_now(*st.client);
  st.note("clear");
}

void wselectfile2_(WindowServices& ui, std::string_view filter, int flags, std::string& name,
                   std::string_view title, int* filter_index) {
  ServicesState& st = ui.state();
  const bool save = flags & kSaveDialog;
  const bool multiple = !save && (flags & kMultipleFiles);
  st.dialog_kind = save ? 2 : 1;
  st.dialog_outcome = 0;
  st.dialog_files = 0;

  std::string caption(trim_right(title));
  if (caption.empty()) caption = "Select File";
  FileDialog dialog(st.window.get(), flags);
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  dialog.setOption(QFileDialog::DontConfirmOverwrite);  // asked by FileDialog::accept
  dialog.setWindowTitle(qs(caption));
  dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
  dialog.setFileMode(multiple ? QFileDialog::ExistingFiles : QFileDialog::AnyFile);

  const std::string start(trim_right(name));
  if (start.empty()) {
    dialog.setDirectory(QDir::currentPath());
  } else {
    const QFileInfo info(qs(start));
    dialog.setDirectory(info.absolutePath());
    dialog.selectFile(info.fileName());
  }

  const std::vector<FilterEntry> entries = parse_filter(filter);
  QStringList names;
  for (const FilterEntry& e : entries) names << qt_filter(e);
  if (!names.isEmpty()) {
    dialog.setNameFilters(names);
    const int first = filter_index ? *filter_index : 1;
    if (first >= 1 && first <= names.size()) dialog.selectNameFilter(names[first - 1]);
  }
  if ((flags & kDefaultExtension) && !entries.empty()) {
    const auto current = [&] {
      const qsizetype i = names.indexOf(dialog.selectedNameFilter());
      return entries[static_cast<std::size_t>(i < 0 ? 0 : i)];
    };
    dialog.setDefaultSuffix(suffix_of(current()));
    QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog,
                     [&](const QString&) { dialog.setDefaultSuffix(suffix_of(current())); });
  }

  st.note("dialog " + caption);
  std::error_code ec;
  const std::filesystem::path cwd = std::filesystem::current_path(ec);
  if (st.dialog_hook) QTimer::singleShot(0, &dialog, [&] { st.dialog_hook(dialog); });
  const int result = dialog.exec();
  if (!(flags & kKeepWorkingDir) && !cwd.empty()) std::filesystem::current_path(cwd, ec);

  const qsizetype used = names.indexOf(dialog.selectedNameFilter());
  st.dialog_filter = used < 0 ? 0 : static_cast<int>(used) + 1;
  if (filter_index && used >= 0) *filter_index = static_cast<int>(used) + 1;

  if (result == QDialog::Accepted) {
    const QStringList files = dialog.selectedFiles();
    std::string chosen;
    if (files.size() == 1) {
      chosen = ss(QDir::toNativeSeparators(files.front()));
    } else if (files.size() > 1) {
      // Several files: the folder, then each name, separated by NUL
      // characters, which no file name can hold.
      chosen = ss(QDir::toNativeSeparators(QFileInfo(files.front()).absolutePath()));
      for (const QString& f : files) {
        chosen += '\0';
        chosen += ss(QFileInfo(f).fileName());
      }
    }
    if (files.isEmpty()) {
      st.error = kErrorFileDialog;
      st.syserror = EINVAL;
    } else if (chosen.size() >= name.size()) {
      // The name field cannot take the path: the dialog fails rather than
      // hand back a cut name that points to some other file.
      st.error = kErrorFileDialog;
      st.syserror = ENAMETOOLONG;
    } else {
      name = pad(chosen, name.size());
      st.dialog_outcome = 1;
      st.dialog_files = static_cast<int>(files.size());
    }
  }
  st.note("dialog end " + std::to_string(st.dialog_outcome));
}

int winfodialog_(WindowServices& ui, int query) {
  const ServicesState& st = ui.state();
  switch (query) {
    case 1: return st.dialog_kind;
    case 2: return st.dialog_filter;
    case 3: return st.dialog_files;
    case 4: return st.dialog_outcome;
    default: return 0;
  }
}

void windowbell_(WindowServices& ui, std::string_view text) {
  ServicesState& st = ui.state();
  std::string head(text.substr(0, 3));
  for (char& c : head) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  head = std::string(trim_right(head));
  if (head == "ON") {
    st.bell_on = true;
    st.note("bell on");
  } else if (head == "OFF") {
    st.bell_on = false;
    st.note("bell off");
  } else if (st.bell_on) {
    QApplication::beep();
    ++st.beeps;
    st.note("bell");
  }
}

int werror_(const WindowServices& ui) { return ui.state().error; }
int wsyserror_(const WindowServices& ui) { return ui.state().syserror; }
void wclearerror_(WindowServices& ui) { ui.state().error = ui.state().syserror = 0; }

void weventtype_(WindowServices& ui, int type, bool on) {
  if (type > 0 && type < 32) ui.state().reported.set(static_cast<std::size_t>(type), on);
}

// Automation.

void set_dialog_hook(WindowServices& ui, DialogHook hook) { ui.state().dialog_hook = std::move(hook); }
void set_trace(WindowServices& ui, Trace trace) { ui.state().trace = std::move(trace); }
QMainWindow* main_window(WindowServices& ui) { return ui.state().window.get(); }

std::vector<std::string> menu_texts(WindowServices& ui) {
  std::vector<std::string> out;
  if (QMainWindow* w = ui.state().window.get()) {
    if (w->menuWidget())
      for (QAction* a : w->menuBar()->actions()) out.push_back(ss(a->text()));
  }
  return out;
}

bool menu_enabled(WindowServices& ui, int item) {
  const auto it = ui.state().items.find(item);
  return it != ui.state().items.end() && it->second->isEnabled();
}

bool menu_checked(WindowServices& ui, int item) {
  const auto it = ui.state().items.find(item);
  return it != ui.state().items.end() && it->second->isChecked();
}

std::string status_text(WindowServices& ui) {
  return ui.state().status ? ss(ui.state().status->text()) : std::string();
}

std::vector<ShownText> shown_texts(WindowServices& ui) {
  std::vector<ShownText> out;
  if (const ClientArea* c = ui.state().client)
    for (const auto& it : c->items) out.push_back({it.at.x(), it.at.y(), ss(it.text)});
  return out;
}

int beep_count(const WindowServices& ui) { return ui.state().beeps; }
std::pair<int, int> text_position(const WindowServices& ui) { return {ui.state().text_x, ui.state().text_y}; }
std::pair<int, int> client_size(const WindowServices& ui) {
  const ClientArea* c = ui.state().client;
  return c ? std::pair{c->width(), c->height()} : std::pair{0, 0};
}
std::pair<int, int> screen_size(const WindowServices& ui) { return {ui.state().screen_w, ui.state().screen_h}; }

}  // namespace korva::ui
