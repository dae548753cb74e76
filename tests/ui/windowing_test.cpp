#include "ui/windowing.hpp"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QFileDialog>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenuBar>
#include <QMessageBox>
#include <QScreen>
#include <QStatusBar>
#include <QTest>
#include <QTimer>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <unistd.h>

#include "support/format.hpp"
#include "qt_app.hpp"
#include "ui/automation.hpp"

namespace korva::ui {
namespace {

namespace fs = std::filesystem;

struct TempDir {
  fs::path path;
  explicit TempDir(const std::string& tag) {
    path = fs::temp_directory_path() / ("korva-" + tag + "-" + std::to_string(::getpid()));
    fs::remove_all(path);
    fs::create_directories(path);
  }
  ~TempDir() {
    std::error_code ec;
    fs::remove_all(path, ec);
  }
  std::string touch(const std::string& name) const {
    const fs::path p = path / name;
    std::ofstream(p) << "x\n";
    return p.string();
  }
};

WindowRecord main_record() {
  WindowRecord r;
  r.flags = kSystemMenu | kMinimiseBox | kMaximiseBox | kStatusBar;  // 39
  r.x = 10;
  r.y = 10;
  r.width = 0;
  r.height = 250;
  r.menu = 30001;
  r.title = pad("korva-99", 80);
  return r;
}

class Window : public ::testing::Test {
 protected:
  void SetUp() override {
    testing_support::ensure_app();
    winitialise_(ui, " ");
  }
  void open(const WindowRecord& r = main_record()) {
    windowopen_(ui, r);
    ASSERT_NE(main_window(ui), nullptr);
  }
  QAction* action(int id) {
    for (QAction* a : main_window(ui)->menuBar()->actions())
      if (a->text() == QString::fromUtf8(texts.at(static_cast<std::size_t>(id - 30002)))) return a;
    return nullptr;
  }
  // The next menu command or close request, skipping everything else.  The
  // caller makes sure one is queued.
  std::pair<int, int> next_command() {
    for (;;) {
      int type = 0;
      Event e;
      wmessage_(ui, type, e);
      if (type == kMenuCommand || type == kCloseRequest || type == kNoEvent) return {type, e.value[0]};
    }
  }
  QSize client() { return main_window(ui)->centralWidget()->size(); }

  // Menu texts by identifier 30002.. (not in menu order).
  const std::vector<const char*> texts = {"&Start KORVA-99", "&Exit", "&Edit input-file",
                                          "&Edit output-file", "&Ghostview", "&Help input-file"};
  WindowServices ui;
};

TEST_F(Window, OpensWithTheRequestedClientAreaMenuIconAndStatusBar) {
  open();
  QMainWindow* w = main_window(ui);
  const QRect screen = QGuiApplication::primaryScreen()->geometry();
  EXPECT_EQ(client(), QSize(screen.width() * 4 / 5, 250));
  EXPECT_EQ(w->windowTitle(), "korva-99");
  EXPECT_EQ(menu_texts(ui), (std::vector<std::string>{"&Start KORVA-99", "&Ghostview", "&Edit input-file",
                                                      "&Help input-file", "&Edit output-file", "&Exit"}));
  for (QAction* a : w->menuBar()->actions()) EXPECT_EQ(a->menu(), nullptr) << "no drop-down menus";
  EXPECT_FALSE(w->windowIcon().isNull());
  EXPECT_TRUE(w->windowIcon().availableSizes().contains(QSize(32, 32)));
  // The status bar comes below the client area, with a size grip on a
  // resizable frame, and holds one part.
  EXPECT_GE(w->statusBar()->geometry().top(), w->centralWidget()->geometry().bottom());
  EXPECT_TRUE(w->statusBar()->isSizeGripEnabled());
  EXPECT_EQ(w->statusBar()->findChildren<QLabel*>().size(), 1);
  EXPECT_TRUE(w->windowFlags() & Qt::WindowCloseButtonHint);
  EXPECT_TRUE(w->windowFlags() & Qt::WindowMinimizeButtonHint);
  EXPECT_TRUE(w->windowFlags() & Qt::WindowMaximizeButtonHint);
  EXPECT_FALSE(w->windowFlags() & Qt::WindowStaysOnTopHint);
  EXPECT_TRUE(w->isVisible());
  EXPECT_EQ(text_position(ui), std::make_pair(0, 0));
}

TEST_F(Window, SecondOpenChangesNothing) {
  open();
  QMainWindow* first = main_window(ui);
  const QSize size = client();
  windowoutstatusbar_(ui, 1, "kept");
  WindowRecord other = main_record();
  other.title = pad("other", 80);
  other.width = 300;
  other.height = 100;
  other.menu = 0;
  other.flags = kFixedBorder;
  windowopen_(ui, other);
  EXPECT_EQ(main_window(ui), first);
  EXPECT_EQ(first->windowTitle(), "korva-99");
  EXPECT_EQ(client(), size);
  EXPECT_EQ(menu_texts(ui).size(), 6u);
  EXPECT_EQ(status_text(ui), "kept");
}

TEST_F(Window, FixedBorderCentringAndAHiddenStart) {
  WindowRecord r;
  r.flags = kStatusBar | kFixedBorder | kHidden | kStayOnTop;
  r.x = -1;
  r.y = -1;
  r.width = 400;
  r.height = 0;
  r.title = pad("fixed   ", 80);
  open(r);
  QMainWindow* w = main_window(ui);
  const QRect screen = QGuiApplication::primaryScreen()->geometry();
  EXPECT_EQ(client(), QSize(400, screen.height() * 4 / 5));
  EXPECT_FALSE(w->isVisible());
  EXPECT_FALSE(w->statusBar()->isSizeGripEnabled());
  EXPECT_EQ(w->minimumSize(), w->maximumSize());
  EXPECT_EQ(w->pos(), QPoint(screen.width() / 2 - w->width() / 2, screen.height() / 2 - w->height() / 2));
  EXPECT_EQ(w->windowTitle(), "fixed");
  EXPECT_TRUE(menu_texts(ui).empty());
  EXPECT_FALSE(w->windowFlags() & Qt::WindowCloseButtonHint);
  EXPECT_TRUE(w->windowFlags() & Qt::WindowStaysOnTopHint);
}

TEST_F(Window, StatusBarHasOnePartAndIgnoresPartsAbove255) {
  open();
  windowoutstatusbar_(ui, 1, "searching   ");
  EXPECT_EQ(status_text(ui), "searching");
  windowoutstatusbar_(ui, 256, "ignored");
  EXPECT_EQ(status_text(ui), "searching");
  windowoutstatusbar_(ui, 2, "second part goes to the first");
  EXPECT_EQ(status_text(ui), "second part goes to the first");
  windowoutstatusbar_(ui, 255, "255 is still a part");
  EXPECT_EQ(status_text(ui), "255 is still a part");
  EXPECT_EQ(main_window(ui)->statusBar()->findChildren<QLabel*>().size(), 1);
}

TEST_F(Window, TextGoesToUnitPositionsWithTrailingBlanksAndClearEmptiesTheArea) {
  open();
  const QSize c = client();
  const std::string text = "Intput file: " + pad("/tmp/x.inp", 72);
  windowoutstring_(ui, 100, 2000, text);
  auto shown = shown_texts(ui);
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0].x, static_cast<int>(std::lround(100 * c.width() * 0.00010001)));
  EXPECT_EQ(shown[0].y, static_cast<int>(std::lround(2000 * c.height() * 0.00010001)));
  EXPECT_EQ(shown[0].text, text);
  EXPECT_EQ(shown[0].text.size(), 85u);
  // The text position moves to the end of the text, blanks included.
  const int advance = QFontMetrics(QFontDatabase::systemFont(QFontDatabase::FixedFont))
                          .horizontalAdvance(QString::fromStdString(text));
  EXPECT_EQ(text_position(ui).first, 100 + static_cast<int>(std::lround(advance * 9999.0 / (c.width() - 1))));
  EXPECT_EQ(text_position(ui).second, 2000);

  windowoutstring_(ui, 100, 4000, "second");
  EXPECT_EQ(shown_texts(ui).size(), 2u);
  windowclear_(ui);
  EXPECT_TRUE(shown_texts(ui).empty());
}

TEST(WindowUnits, ConvertWithTheScaleSlightlyAboveOne) {
  // 10000 units are one pixel past the last one for extents below 5000.
  for (int n : {2, 250, 1024, 4999}) EXPECT_EQ(units_to_pixels(10000, n), n) << n;
  EXPECT_EQ(units_to_pixels(10000, 5001), 5002);  // 5001.5001 rounds up
  EXPECT_EQ(units_to_pixels(5000, 250), 125);     // 125.0125
  EXPECT_EQ(units_to_pixels(0, 1024), 0);
  EXPECT_EQ(pixels_to_units(1023, 1024), 9999);
  EXPECT_EQ(pixels_to_units(1, 3), 5000);  // 4999.5, half away from zero
  EXPECT_EQ(pixels_to_units(7, 1), 0);
  EXPECT_EQ(pixels_to_units(7, 0), 0);
}

TEST_F(Window, AfterAResizeUnitsFollowTheNewClientSize) {
  open();
  QMainWindow* w = main_window(ui);
  w->resize(w->size() + QSize(640, 200) - client());
  QCoreApplication::processEvents();
  ASSERT_EQ(client(), QSize(640, 200));
  windowoutstring_(ui, 10000, 10000, "x");
  windowoutstring_(ui, 5000, 5000, "y");
  const auto shown = shown_texts(ui);
  ASSERT_EQ(shown.size(), 2u);
  EXPECT_EQ(std::make_pair(shown[0].x, shown[0].y), std::make_pair(640, 200));
  EXPECT_EQ(std::make_pair(shown[1].x, shown[1].y), std::make_pair(320, 100));
  // The resize was reported with the new size.
  w->close();  // a close request after it ends the reading
  bool reported = false;
  for (;;) {
    int type = 0;
    Event e;
    wmessage_(ui, type, e);
    if (type == kResize && e.value[0] == 640 && e.value[1] == 200) reported = true;
    if (type == kCloseRequest || type == kNoEvent) break;
  }
  EXPECT_TRUE(reported);
}

TEST_F(Window, MenuStatesFollowKindAndValueAndUnknownItemsAreRecorded) {
  open();
  wmenusetstate_(ui, 30006, 1, 0);
  EXPECT_FALSE(menu_enabled(ui, 30006));
  wmenusetstate_(ui, 30006, 3, 1);  // kind out of range
  wmenusetstate_(ui, 30006, 1, 2);  // value out of range
  EXPECT_FALSE(menu_enabled(ui, 30006));
  wmenusetstate_(ui, 30006, 1, 1);
  EXPECT_TRUE(menu_enabled(ui, 30006));
  wmenusetstate_(ui, 30005, 2, 1);
  EXPECT_TRUE(menu_checked(ui, 30005));
  EXPECT_TRUE(menu_enabled(ui, 30005));
  wmenusetstate_(ui, 30005, 2, 0);
  EXPECT_FALSE(menu_checked(ui, 30005));

  EXPECT_EQ(werror_(ui), kErrorNone);
  wmenusetstate_(ui, 30099, 1, 0);
  EXPECT_EQ(werror_(ui), kErrorUnknownMenuItem);
  wclearerror_(ui);
  EXPECT_EQ(werror_(ui), kErrorNone);
}

TEST_F(Window, CommandsAndCloseRequestsAreReportedInOrderAndTheWindowStaysOpen) {
  open();
  action(30004)->trigger();
  main_window(ui)->close();  // close box
  action(30003)->trigger();
  EXPECT_EQ(next_command(), std::make_pair(int{kMenuCommand}, 30004));
  EXPECT_EQ(next_command().first, kCloseRequest);
  EXPECT_TRUE(main_window(ui)->isVisible());
  EXPECT_EQ(next_command(), std::make_pair(int{kMenuCommand}, 30003));

  // A grey item sends nothing; a switched-off type is consumed silently.
  wmenusetstate_(ui, 30002, 1, 0);
  action(30002)->trigger();
  weventtype_(ui, kMenuCommand, false);
  action(30005)->trigger();
  weventtype_(ui, kMenuCommand, true);
  main_window(ui)->close();
  EXPECT_EQ(next_command().first, kCloseRequest);
}

TEST_F(Window, AltLettersChooseMenuItemsAndSharedLettersOnlyMoveTheSelection) {
  open();
  QMainWindow* w = main_window(ui);
  QTest::keyClick(w, Qt::Key_S, Qt::AltModifier);
  EXPECT_EQ(next_command(), std::make_pair(int{kMenuCommand}, 30002));
  QTest::keyClick(w, Qt::Key_H, Qt::AltModifier);
  EXPECT_EQ(next_command(), std::make_pair(int{kMenuCommand}, 30007));

  // Three items share "E": each press selects the next, Enter runs it.
  QTest::keyClick(w, Qt::Key_E, Qt::AltModifier);
  QTest::keyClick(w->menuBar(), Qt::Key_E, Qt::AltModifier);
  EXPECT_EQ(w->menuBar()->activeAction(), action(30005));
  QTest::keyClick(w->menuBar(), Qt::Key_Return);
  EXPECT_EQ(next_command(), std::make_pair(int{kMenuCommand}, 30005));

  // A grey item's letter does nothing.
  wmenusetstate_(ui, 30006, 1, 0);
  QTest::keyClick(w, Qt::Key_G, Qt::AltModifier);
  w->close();
  EXPECT_EQ(next_command().first, kCloseRequest);
}

TEST_F(Window, CloseDestroysTheWindowAndAllowsANewOne) {
  open();
  windowclose_(ui);
  EXPECT_EQ(main_window(ui), nullptr);
  int type = -1;
  Event e;
  wmessage_(ui, type, e);  // must not wait for a window that is gone
  EXPECT_EQ(type, kNoEvent);
  windowoutstring_(ui, 0, 0, "nowhere");
  EXPECT_TRUE(shown_texts(ui).empty());
  open();
  EXPECT_EQ(main_window(ui)->windowTitle(), "korva-99");
}

TEST_F(Window, BellSwitchesOnTheFirstThreeLettersInAnyCase) {
  const int start = beep_count(ui);
  windowbell_(ui, " ");
  EXPECT_EQ(beep_count(ui), start + 1);
  windowbell_(ui, "off");
  windowbell_(ui, " ");
  windowbell_(ui, "ON!");  // "ON!" is not "ON": a beep, which is off
  EXPECT_EQ(beep_count(ui), start + 1);
  windowbell_(ui, "On");
  windowbell_(ui, "x");
  EXPECT_EQ(beep_count(ui), start + 2);
  windowbell_(ui, "OFFICE");  // first three letters: OFF
  windowbell_(ui, " ");
  EXPECT_EQ(beep_count(ui), start + 2);
  windowbell_(ui, "on ");
  windowbell_(ui, "");
  EXPECT_EQ(beep_count(ui), start + 3);
}

class FileDialogTest : public Window {
 protected:
  void SetUp() override {
    Window::SetUp();
    open();
  }
  // Runs the dialog with the hook answering it.
  int select(std::string& name, int flags, std::function<void(QFileDialog&)> answer,
             std::string_view title = "inut file", std::string_view filter = "Input file|*.inp;*.in;*.ein;*.txt|",
             int* index = nullptr) {
    set_dialog_hook(ui, std::move(answer));
    wselectfile2_(ui, filter, flags, name, title, index);
    set_dialog_hook(ui, nullptr);
    return winfodialog_(ui, 4);
  }
  // Types the name into the name field, as a user does, and presses OK.
  static void choose(QFileDialog& d, const std::string& path) {
    auto* field = d.findChild<QLineEdit*>("fileNameEdit");
    ASSERT_NE(field, nullptr);
    field->setText(QString::fromStdString(path));
    static_cast<QDialog&>(d).accept();  // the OK button
  }
  // Answers the message box the dialog is about to show.
  void answer_box(QMessageBox::StandardButton button) {
    QTimer::singleShot(0, main_window(ui), [this, button] {
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      if (!box) return;
      box_text = box->text().toStdString();
      box->button(button)->click();
    });
  }
  std::string box_text;
};

TEST_F(FileDialogTest, OkGivesTheFullPathBlankPaddedAndCancelKeepsTheField) {
  TempDir dir("dlg");
  const std::string file = dir.touch("yig.inp");
  std::string name(72, ' ');
  std::string title_seen;
  EXPECT_EQ(select(name, 2, [&](QFileDialog& d) {
              title_seen = d.windowTitle().toStdString();
              choose(d, file);
            }),
            1);
  EXPECT_EQ(title_seen, "inut file");
  EXPECT_EQ(name, pad(file, 72));
  EXPECT_EQ(winfodialog_(ui, 1), 1);  // an open dialog
  EXPECT_EQ(winfodialog_(ui, 3), 1);

  const std::string before = name;
  EXPECT_EQ(select(name, 2, [](QFileDialog& d) { d.reject(); }), 0);
  EXPECT_EQ(name, before);
  EXPECT_EQ(werror_(ui), kErrorNone);  // a Cancel is no failure
}

TEST_F(FileDialogTest, TheStartFolderAndNameComeFromTheField) {
  TempDir dir("dlg");
  const std::string file = dir.touch("start.inp");
  std::string name = pad(file, 72);
  QString folder, typed;
  select(name, 2, [&](QFileDialog& d) {
    folder = d.directory().absolutePath();
    typed = d.selectedFiles().value(0);
    d.reject();
  });
  EXPECT_EQ(fs::path(folder.toStdString()), dir.path);
  EXPECT_EQ(typed.toStdString(), file);
}

TEST_F(FileDialogTest, BlankTitleShowsSelectFile) {
  std::string name(72, ' ');
  std::string seen;
  select(name, 2, [&](QFileDialog& d) {
    seen = d.windowTitle().toStdString();
    d.reject();
  }, "      ");
  EXPECT_EQ(seen, "Select File");
  select(name, 2, [&](QFileDialog& d) {
    seen = d.windowTitle().toStdString();
    d.reject();
  }, "Print-output file   ");
  EXPECT_EQ(seen, "Print-output file");
}

TEST_F(FileDialogTest, FilterEntriesAlternateDescriptionAndPatternsAndTheIndexGoesBothWays) {
  std::string name(72, ' ');
  QStringList filters;
  QString shown;
  int index = 2;
  select(name, 2, [&](QFileDialog& d) {
    filters = d.nameFilters();
    shown = d.selectedNameFilter();
    d.selectNameFilter(filters.value(0));
    d.reject();
  }, "x", pad("Output file!*.out;*.aus!All files!*!", 72), &index);
  ASSERT_EQ(filters.size(), 2);
  EXPECT_TRUE(filters[0].startsWith("Output file")) << filters[0].toStdString();
  EXPECT_TRUE(filters[0].endsWith("(*.out *.aus)")) << filters[0].toStdString();
  EXPECT_TRUE(filters[1].endsWith("(*)"));
  EXPECT_EQ(shown, filters[1]);  // pair 2 shown first
  EXPECT_EQ(index, 1);           // the pair in use at the end
  EXPECT_EQ(winfodialog_(ui, 2), 1);
}

TEST_F(FileDialogTest, APathThatDoesNotFitTheFieldFailsWithError1004) {
  TempDir dir("dlg");
  const std::string folder = dir.path.string() + "/";
  ASSERT_LT(folder.size(), 60u);
  const std::string at71 = dir.touch(std::string(71 - folder.size() - 4, 'a') + ".inp");
  const std::string at72 = dir.touch(std::string(72 - folder.size() - 4, 'b') + ".inp");
  ASSERT_EQ(at71.size(), 71u);
  ASSERT_EQ(at72.size(), 72u);

  std::string name(72, ' ');
  EXPECT_EQ(select(name, 2, [&](QFileDialog& d) { choose(d, at72); }), 0);
  EXPECT_EQ(winfodialog_(ui, 4), 0);
  EXPECT_EQ(werror_(ui), kErrorFileDialog);
  EXPECT_NE(wsyserror_(ui), 0);
  EXPECT_EQ(name, std::string(72, ' '));

  wclearerror_(ui);
  EXPECT_EQ(select(name, 2, [&](QFileDialog& d) { choose(d, at71); }), 1);
  EXPECT_EQ(name, at71 + " ");
  EXPECT_EQ(werror_(ui), kErrorNone);
}

TEST_F(FileDialogTest, ANewNameIsAcceptedOnlyAfterTheUserAgreesWhenAsked) {
  TempDir dir("dlg");
  const std::string fresh = (dir.path / "new.out").string();
  std::string name(72, ' ');
  bool still_open = false;
  EXPECT_EQ(select(name, 2, [&](QFileDialog& d) {
              answer_box(QMessageBox::No);
              choose(d, fresh);
              still_open = d.isVisible();
              d.reject();
            }),
            0);
  EXPECT_TRUE(still_open);
  EXPECT_NE(box_text.find("does not exist"), std::string::npos);

  box_text.clear();
  EXPECT_EQ(select(name, 2, [&](QFileDialog& d) {
              answer_box(QMessageBox::Yes);
              choose(d, fresh);
            }),
            1);
  EXPECT_EQ(name, pad(fresh, 72));
  EXPECT_FALSE(fs::exists(fresh)) << "the dialog only chooses the name";

  // Without the prompt bit a new name passes unasked.
  box_text.clear();
  name.assign(72, ' ');
  EXPECT_EQ(select(name, 0, [&](QFileDialog& d) { choose(d, fresh); }), 1);
  EXPECT_TRUE(box_text.empty());
  EXPECT_EQ(name, pad(fresh, 72));
}

TEST_F(FileDialogTest, TheFolderOfATypedNameMustExistUnlessFlag4) {
  TempDir dir("dlg");
  const std::string lost = (dir.path / "no-such-folder" / "x.out").string();
  std::string name(72, ' ');
  bool still_open = false;
  EXPECT_EQ(select(name, 2, [&](QFileDialog& d) {
              answer_box(QMessageBox::Ok);
              choose(d, lost);
              still_open = d.isVisible();
              d.reject();
            }),
            0);
  EXPECT_TRUE(still_open);
  EXPECT_NE(box_text.find("folder does not exist"), std::string::npos);

  EXPECT_EQ(select(name, 4, [&](QFileDialog& d) { choose(d, lost); }), 1);
  EXPECT_EQ(name, pad(lost, 72));
}

TEST_F(FileDialogTest, TheWorkingDirectoryIsRestoredUnlessFlag8) {
  TempDir dir("dlg");
  const std::string file = dir.touch("a.inp");
  const fs::path before = fs::current_path();
  std::string name(72, ' ');
  select(name, 2, [&](QFileDialog& d) {
    fs::current_path(dir.path);  // as a dialog that walks the folders may do
    choose(d, file);
  });
  EXPECT_EQ(fs::current_path(), before);
  select(name, 2 | 8, [&](QFileDialog& d) {
    fs::current_path(dir.path);
    choose(d, file);
  });
  EXPECT_EQ(fs::current_path(), dir.path);
  fs::current_path(before);
}

TEST_F(FileDialogTest, SaveDialogAsksBeforeReplacingAndAppendsTheDefaultExtension) {
  TempDir dir("dlg");
  const std::string existing = dir.touch("old.out");
  std::string name(72, ' ');
  EXPECT_EQ(select(name, 1 | 2, [&](QFileDialog& d) {
              EXPECT_EQ(d.acceptMode(), QFileDialog::AcceptSave);
              answer_box(QMessageBox::Yes);
              choose(d, existing);
            }, "save", "Output file|*.out;*.aus|"),
            1);
  EXPECT_NE(box_text.find("already exists"), std::string::npos);
  EXPECT_EQ(winfodialog_(ui, 1), 2);

  name.assign(72, ' ');
  EXPECT_EQ(select(name, 1 | 32, [&](QFileDialog& d) { choose(d, (dir.path / "plain").string()); }, "save",
                   "Output file|*.out;*.aus|"),
            1);
  EXPECT_EQ(name, pad((dir.path / "plain.out").string(), 72));
}

}  // namespace
}  // namespace korva::ui
