#include "shell/shell.hpp"

#include <gtest/gtest.h>

#include <QAction>
#include <QDialog>
#include <QFileDialog>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenuBar>
#include <QMessageBox>
#include <QAbstractButton>
#include <QApplication>
#include <QTimer>

#include <deque>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

#include "../ui/qt_app.hpp"
#include "support/format.hpp"
#include "support/input_help.hpp"
#include "ui/automation.hpp"

namespace korva::shell {
namespace {

namespace fs = std::filesystem;

std::string read_file(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

void make_executable(const fs::path& p, const std::string& text) {
  fs::create_directories(p.parent_path());
  std::ofstream(p) << text;
  ::chmod(p.c_str(), 0755);
}

std::string joined(const std::vector<std::string>& argv) {
  std::string s;
  for (const std::string& a : argv) s += (s.empty() ? "" : "|") + a;
  return s;
}

const std::string kBlank72(72, ' ');

// What the computation stand-in does: set names and the status, and note
// the menu states it saw.
struct FakeRun {
  int iostat = 0;
  std::string measured, calculated, postscript;  // empty: left alone
  int calls = 0;
  std::vector<bool> enabled_during;
};

class ShellTest : public ::testing::Test {
 protected:
  void SetUp() override {
    testing_support::ensure_app();
    dir = fs::temp_directory_path() / ("korva-shell-" + std::to_string(::getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir);
    old_cwd = fs::current_path();
    fs::current_path(dir);
    ui::set_trace(ui, [this](const std::string& r) { log.push_back(r); });
    ui::set_dialog_hook(ui, [this](QFileDialog& d) {
      if (answers.empty()) {
        ADD_FAILURE() << "unexpected dialog " << d.windowTitle().toStdString();
        d.reject();
        return;
      }
      auto answer = answers.front();
      answers.pop_front();
      answer(d);
    });
  }
  void TearDown() override {
    shell.reset();
    fs::current_path(old_cwd);
    std::error_code ec;
    fs::remove_all(dir, ec);
  }

  Shell& start(Environment env = {}, bool fake = true) {
    if (env.visual.empty()) env.visual = "ed-recorder";
    CommandRunner recorder = [this](const std::vector<std::string>& argv) {
      log.push_back("run " + joined(argv));
      runs.push_back(argv);
      if (on_run) on_run(argv);
      return 0;
    };
    Computation compute = korva_;
    if (fake) {
      compute = [this](Io& io, std::string& measured, std::string& calculated, std::string& postscript) {
        log.push_back("compute");
        ++fake_run.calls;
        EXPECT_TRUE(io.input.is_open());
        EXPECT_TRUE(io.listing.is_open());
        io.listing.line(" listing of the stand-in");
        for (int id : {kStart, kEditInput, kEditOutput, kGhostview, kHelpInput, kExit})
          fake_run.enabled_during.push_back(ui::menu_enabled(ui, id));
        if (!fake_run.measured.empty()) measured = pad(fake_run.measured, 72);
        if (!fake_run.calculated.empty()) calculated = pad(fake_run.calculated, 72);
        if (!fake_run.postscript.empty()) postscript = pad(fake_run.postscript, 72);
        io.iostat = fake_run.iostat;
      };
    }
    shell = std::make_unique<Shell>(ui, recorder, env, compute);
    start_up(*shell);
    log.clear();
    return *shell;
  }

  // A PATH with a viewer in it.
  Environment with_viewer() {
    Environment env;
    make_executable(dir / "bin" / "gv", "#!/bin/sh\n");
    env.path = (dir / "bin").string();
    return env;
  }

  std::string file(const std::string& name, const std::string& text = "x\n") {
    std::ofstream(dir / name) << text;
    return (dir / name).string();
  }

  // Dialog answers: type a name and press OK, or Cancel.
  void choose(const std::string& path) {
    answers.push_back([path](QFileDialog& d) {
      d.findChild<QLineEdit*>("fileNameEdit")->setText(QString::fromStdString(path));
      static_cast<QDialog&>(d).accept();
    });
  }
  // A new listing: the dialog asks whether to create it; the answer is yes.
  void choose_new(const std::string& path) {
    answers.push_back([path](QFileDialog& d) {
      QTimer::singleShot(0, &d, [] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget()))
          box->button(QMessageBox::Yes)->click();
      });
      d.findChild<QLineEdit*>("fileNameEdit")->setText(QString::fromStdString(path));
      static_cast<QDialog&>(d).accept();
    });
  }
  void cancel() {
    answers.push_back([](QFileDialog& d) { d.reject(); });
  }

  // The log from the first record equal to `from`.
  std::vector<std::string> log_from(const std::string& from) const {
    auto it = std::find(log.begin(), log.end(), from);
    return {it, log.end()};
  }

  fs::path dir, old_cwd;
  // Declared before the services, whose trace and hooks write to them until
  // the services are gone.
  std::vector<std::string> log;
  std::vector<std::vector<std::string>> runs;
  std::function<void(const std::vector<std::string>&)> on_run;
  std::deque<std::function<void(QFileDialog&)>> answers;
  FakeRun fake_run;
  ui::WindowServices ui;
  std::unique_ptr<Shell> shell;
};

TEST_F(ShellTest, StartUpWithoutViewerGreysGhostviewAndSetsTheNamesUndefined) {
  std::vector<std::string> startup;
  ui::set_trace(ui, [&](const std::string& r) { startup.push_back(r); });
  Shell& sh = start();
  EXPECT_EQ(startup, (std::vector<std::string>{"open korva-99", "menu 30006 1 0", "status searching for gsview32.exe",
                                               "status gsview32.exe not found on drive c:"}));
  EXPECT_EQ(ui::main_window(ui)->windowTitle(), "korva-99");
  EXPECT_FALSE(ui::menu_enabled(ui, kGhostview));
  for (int id : {kStart, kEditInput, kEditOutput, kHelpInput, kExit}) EXPECT_TRUE(ui::menu_enabled(ui, id));
  EXPECT_EQ(sh.measured, pad("undefined", 72));
  EXPECT_EQ(sh.calculated, pad("undefined", 72));
  EXPECT_EQ(sh.viewer, kBlank72);
  EXPECT_EQ(sh.input, kBlank72);
  EXPECT_TRUE(runs.empty());
  // The window: 80 % of the screen wide, 250 pixels of client area.
  EXPECT_EQ(ui::client_size(ui), std::make_pair(ui::screen_size(ui).first * 4 / 5, 250));
  ui::set_trace(ui, nullptr);
}

TEST_F(ShellTest, AViewerOnThePathIsFoundAndItsPathIsCutTo72Characters) {
  const fs::path deep = dir / std::string(40, 'd') / std::string(30, 'e');
  make_executable(deep / "evince", "#!/bin/sh\n");
  const std::string full = (deep / "evince").string();
  ASSERT_GT(full.size(), 72u);
  Environment env;
  env.path = "/nonexistent:" + deep.string();
  Shell& sh = start(env);
  EXPECT_EQ(sh.viewer, full.substr(0, 72));
  EXPECT_EQ(ui::status_text(ui), "gsview32.exe found");
  EXPECT_TRUE(ui::menu_enabled(ui, kGhostview));
  EXPECT_TRUE(command(sh, kGhostview));
  ASSERT_EQ(runs.size(), 1u);
  EXPECT_EQ(runs[0], (std::vector<std::string>{full.substr(0, 72)}));
}

TEST_F(ShellTest, SuccessfulRunShowsResultsThenViewerThenEditorInOrder) {
  Shell& sh = start(with_viewer());
  const std::string input = file("yig.inp");
  const std::string listing = (dir / "yig.out").string();
  fake_run.calculated = "yig.cal";
  fake_run.postscript = "yig.ps";
  fake_run.measured = " ";  // no scan file in the input
  choose(input);
  choose_new(listing);
  EXPECT_TRUE(command(sh, kStart));

  const std::string viewer = (dir / "bin" / "gv").string();
  const std::string status =
      "korva-99 finished:  graphical output file: yig.ps;  print output file:" + listing;
  EXPECT_EQ(log, (std::vector<std::string>{
                     "clear",
                     "dialog inut file",
                     "dialog end 1",
                     "text 100 2000 Intput file: " + pad(input, 72),
                     "dialog Print-output file",
                     "dialog end 1",
                     "menu 30002 1 0",
                     "menu 30004 1 0",
                     "menu 30005 1 0",
                     "menu 30006 1 0",
                     "menu 30007 1 0",
                     "menu 30003 1 0",
                     "status korva-99 running",
                     "compute",
                     "bell",
                     "text 100 4000 Observed-scan file: undefined",
                     "text 100 5000 Calculated-scan file: " + pad("yig.cal", 72),
                     "status " + status,
                     "run " + viewer + "|yig.ps",
                     "clear",
                     "run ed-recorder|" + listing,
                     "clear",
                     "menu 30002 1 1",
                     "menu 30004 1 1",
                     "menu 30005 1 1",
                     "menu 30006 1 1",
                     "menu 30007 1 1",
                     "menu 30003 1 1",
                 }));
  // Two blanks after "finished:", none between "file:" and the listing.
  EXPECT_EQ(ui::status_text(ui), status);
  EXPECT_EQ(fake_run.enabled_during, std::vector<bool>(6, false));
  EXPECT_EQ(sh.input, pad(input, 72));
  EXPECT_EQ(sh.listing, pad(listing, 72));
  // The listing was written through unit 16 and closed.
  EXPECT_EQ(read_file(listing), " listing of the stand-in\n");
  EXPECT_TRUE(ui::shown_texts(ui).empty());
}

TEST_F(ShellTest, ResultNamesStillUndefinedShowUndefinedAndGhostviewStaysGreyWithoutViewer) {
  Shell& sh = start();
  choose(file("a.inp"));
  choose_new((dir / "a.out").string());
  command(sh, kStart);
  const auto tail = log_from("bell");
  ASSERT_GE(tail.size(), 3u);
  EXPECT_EQ(tail[1], "text 100 4000 Observed-scan file: undefined");
  EXPECT_EQ(tail[2], "text 100 5000 Calculated-scan file: undefined");  // 31 characters of text
  // No viewer: only the editor runs, and 30006 is not enabled again.
  EXPECT_EQ(runs, (std::vector<std::vector<std::string>>{{"ed-recorder", (dir / "a.out").string()}}));
  EXPECT_EQ(std::vector<std::string>(log.end() - 5, log.end()),
            (std::vector<std::string>{"menu 30002 1 1", "menu 30004 1 1", "menu 30005 1 1", "menu 30007 1 1",
                                      "menu 30003 1 1"}));
  EXPECT_FALSE(ui::menu_enabled(ui, kGhostview));
}

TEST_F(ShellTest, AMeasuredScanNameIsShownWhole) {
  Shell& sh = start();
  fake_run.measured = "yig.dat";
  fake_run.calculated = "yig.cal";
  choose(file("a.inp"));
  choose_new((dir / "a.out").string());
  command(sh, kStart);
  const auto tail = log_from("bell");
  EXPECT_EQ(tail.at(1), "text 100 4000 Observed-scan file: " + pad("yig.dat", 72));
}

TEST_F(ShellTest, FailedRunShowsTheErrorLinesAndOpensOnlyTheListing) {
  Shell& sh = start(with_viewer());
  const std::string listing = (dir / "bad.out").string();
  fake_run.iostat = 1;
  choose(file("bad.inp"));
  choose_new(listing);
  command(sh, kStart);
  EXPECT_EQ(log_from("bell"), (std::vector<std::string>{
                                  "bell",
                                  "text 100 4000 korva99 finished with an error",
                                  "text 100 5000 for more information -->",
                                  "text 100 6000 see output file:" + pad(listing, 72),
                                  "run ed-recorder|" + listing,
                                  "clear",
                                  "status korva-99 finished with an error",
                                  "menu 30002 1 1",
                                  "menu 30004 1 1",
                                  "menu 30005 1 1",
                                  "menu 30006 1 1",
                                  "menu 30007 1 1",
                                  "menu 30003 1 1",
                              }));
  EXPECT_EQ(ui::status_text(ui), "korva-99 finished with an error");
}

TEST_F(ShellTest, CancellingTheListingDialogKeepsTheInputLineAndRunsNothing) {
  Shell& sh = start();
  const std::string input = file("yig.inp");
  choose(input);
  cancel();
  command(sh, kStart);
  EXPECT_EQ(fake_run.calls, 0);
  EXPECT_TRUE(runs.empty());
  EXPECT_EQ(log, (std::vector<std::string>{"clear", "dialog inut file", "dialog end 1",
                                           "text 100 2000 Intput file: " + pad(input, 72),
                                           "dialog Print-output file", "dialog end 0"}));
  const auto shown = ui::shown_texts(ui);
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0].text, "Intput file: " + pad(input, 72));
  const auto [w, h] = ui::client_size(ui);
  EXPECT_EQ(shown[0].x, ui::units_to_pixels(100, w));
  EXPECT_EQ(shown[0].y, ui::units_to_pixels(2000, h));
  for (int id : {kStart, kEditInput, kEditOutput, kHelpInput, kExit}) EXPECT_TRUE(ui::menu_enabled(ui, id));

  // A second Start clears the window first; cancelled at once, it leaves it empty.
  cancel();
  command(sh, kStart);
  EXPECT_TRUE(ui::shown_texts(ui).empty());
  EXPECT_EQ(sh.input, kBlank72);
}

TEST_F(ShellTest, APathTooLongForTheFieldEndsStartAsCancelDoes) {
  Shell& sh = start();
  const std::string folder = (dir / std::string(80, 'p')).string();
  fs::create_directories(folder);
  std::ofstream(folder + "/x.inp") << "x\n";
  choose(folder + "/x.inp");
  command(sh, kStart);
  EXPECT_EQ(log, (std::vector<std::string>{"clear", "dialog inut file", "dialog end 0"}));
  EXPECT_EQ(sh.input, kBlank72);
  EXPECT_EQ(ui::werror_(ui), ui::kErrorFileDialog);
}

TEST_F(ShellTest, ResultNamesOfAnEarlierRunStayWhenTheLatestDoesNotSetThem) {
  Shell& sh = start();
  fake_run.calculated = "first.cal";
  choose(file("a.inp"));
  choose_new((dir / "a.out").string());
  command(sh, kStart);
  log.clear();
  fake_run.calculated.clear();
  choose(file("b.inp"));
  choose((dir / "a.out").string());  // exists now: no question
  command(sh, kStart);
  EXPECT_EQ(log.front(), "clear");
  EXPECT_EQ(log_from("bell").at(2), "text 100 5000 Calculated-scan file: " + pad("first.cal", 72));
}

TEST_F(ShellTest, TheListingMayNotBeTheInputFileNorAFileItNames) {
  Shell& sh = start();
  const std::string input = file("same.inp", "the input\n");
  choose(input);
  choose(input);
  command(sh, kStart);
  EXPECT_EQ(fake_run.calls, 0);
  EXPECT_TRUE(runs.empty());
  EXPECT_EQ(read_file(input), "the input\n");
  EXPECT_EQ(ui::status_text(ui), "korva-99: the print-output file must not be the input file");
  EXPECT_TRUE(ui::menu_enabled(ui, kStart));

  // Nor a file the input names, which opening the listing would empty.
  const std::string page = file("page.out", "an earlier page\n");
  choose(file("page.inp", "title\npage.out\n"));
  choose(page);
  command(sh, kStart);
  EXPECT_EQ(fake_run.calls, 0);
  EXPECT_EQ(read_file(page), "an earlier page\n");
  EXPECT_EQ(ui::status_text(ui), "korva-99: the print-output file must not be the PostScript file");
}

TEST_F(ShellTest, EditCommandsOpenTheEditorWithTheChosenNameOrWithoutAFile) {
  Shell& sh = start();
  EXPECT_TRUE(command(sh, kEditInput));
  EXPECT_TRUE(command(sh, kEditOutput));
  EXPECT_EQ(runs, (std::vector<std::vector<std::string>>{{"ed-recorder"}, {"ed-recorder"}}));
  const std::string input = file("in put.inp");
  choose(input);
  cancel();
  command(sh, kStart);
  command(sh, kEditInput);
  EXPECT_EQ(runs.back(), (std::vector<std::string>{"ed-recorder", input}));
  EXPECT_TRUE(command(sh, 30008));  // not a command: ignored
  EXPECT_EQ(runs.size(), 3u);
}

TEST_F(ShellTest, AnEditorThatCannotShowTheFileIsNamedInTheStatusBar) {
  Environment env;
  env.visual = "/usr/bin/vim -R";
  Shell& sh = start(env);
  command(sh, kEditInput);
  EXPECT_TRUE(runs.empty());  // without a terminal vi would show nothing
  EXPECT_EQ(ui::status_text(ui), "korva-99: the editor /usr/bin/vim needs a terminal; set VISUAL to a graphical editor");
  sh.env.terminal = true;
  command(sh, kEditInput);
  EXPECT_EQ(runs.size(), 1u);

  sh.editor.clear();
  command(sh, kHelpInput);
  EXPECT_EQ(ui::status_text(ui), "korva-99: no text editor found; set VISUAL or EDITOR");
  fake_run.iostat = 1;
  choose(file("bad.inp"));
  choose_new((dir / "bad.out").string());
  command(sh, kStart);
  EXPECT_EQ(ui::status_text(ui), "korva-99 finished with an error; no text editor found; set VISUAL or EDITOR");
  EXPECT_TRUE(terminal_editor({"emacs", "-nw"}));
  EXPECT_FALSE(terminal_editor({"emacs"}));
}

TEST_F(ShellTest, HelpWritesTheDescriptionForTheEditorAndRemovesItAfterwards) {
  Shell& sh = start();
  std::ofstream("input_help") << "a file of the user's\n";
  std::vector<std::string> seen;
  on_run = [&](const std::vector<std::string>& argv) {
    ASSERT_EQ(argv.back(), "input_help");
    seen.push_back(read_file(dir / "input_help"));
  };
  command(sh, kHelpInput);
  EXPECT_FALSE(fs::exists(dir / "input_help"));
  command(sh, kHelpInput);
  EXPECT_FALSE(fs::exists(dir / "input_help"));
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_EQ(seen[0], seen[1]);
  EXPECT_EQ(seen[0], input_help_text());
  EXPECT_EQ(runs[0], (std::vector<std::string>{"ed-recorder", "input_help"}));
}

TEST_F(ShellTest, TheMenuLoopRunsCommandsUntilExitOrACloseRequest) {
  Shell& sh = start();
  QMainWindow* w = ui::main_window(ui);
  const auto item = [&](int index) { return w->menuBar()->actions().at(index); };
  item(2)->trigger();  // Edit input-file
  item(1)->trigger();  // Ghostview is grey: nothing
  item(5)->trigger();  // Exit
  item(4)->trigger();  // after Exit: never read
  menu_loop(sh);
  EXPECT_EQ(runs, (std::vector<std::vector<std::string>>{{"ed-recorder"}}));
  EXPECT_EQ(ui::main_window(ui), nullptr);
  EXPECT_EQ(log.back(), "close");
}

TEST_F(ShellTest, ACloseRequestEndsTheProgramAsExitDoes) {
  Shell& sh = start();
  ui::main_window(ui)->close();
  menu_loop(sh);
  EXPECT_EQ(ui::main_window(ui), nullptr);
  EXPECT_EQ(log, (std::vector<std::string>{"close"}));
}

TEST_F(ShellTest, StartThroughTheMenuLoopWithTheRealComputation) {
  Shell& sh = start({}, /*fake=*/false);
  fs::copy_file(fs::path(KORVA_SOURCE_DIR) / "examples" / "si222-noscan.inp", dir / "si.inp");
  const std::string listing = (dir / "si.out").string();
  choose((dir / "si.inp").string());
  choose_new(listing);
  QMainWindow* w = ui::main_window(ui);
  w->menuBar()->actions().at(0)->trigger();  // Start
  w->menuBar()->actions().at(5)->trigger();  // Exit
  menu_loop(sh);

  const std::string text = read_file(listing);
  EXPECT_NE(text.find("****  KORVA-99  ****"), std::string::npos);
  ASSERT_FALSE(runs.empty());
  EXPECT_EQ(runs.back(), (std::vector<std::string>{"ed-recorder", listing}));
  const bool failed = std::find(log.begin(), log.end(), "status korva-99 finished with an error") != log.end();
  if (failed) {
    EXPECT_NE(std::find(log.begin(), log.end(), "text 100 6000 see output file:" + pad(listing, 72)), log.end());
  } else {
    EXPECT_NE(std::find(log.begin(), log.end(),
                        "status korva-99 finished:  graphical output file: si222ag2.ps;  print output file:" +
                            listing),
              log.end());
    EXPECT_TRUE(fs::exists(dir / "si222ag2.ps"));  // relative names: the working directory
  }
  EXPECT_EQ(log.back(), "close");
}

// The real runner: names reach the programs as single arguments, whatever
// blanks or shell characters they hold.
TEST_F(ShellTest, NamesWithBlanksAndShellCharactersReachEditorAndViewerWhole) {
  const std::string recorder =
      "#!/bin/sh\n"
      "out=\"$(dirname \"$0\")/$(basename \"$0\").args\"\n"
      "printf '%s\\n' \"$#\" > \"$out\"\n"
      "for a in \"$@\"; do printf '%s\\n' \"$a\" >> \"$out\"; done\n";
  make_executable(dir / "bin" / "gv", recorder);
  make_executable(dir / "bin" / "my editor", recorder);
  Environment env;
  env.path = (dir / "bin").string();
  shell = std::make_unique<Shell>(ui, run_and_wait, env, [](Io& io, std::string&, std::string& cal, std::string& ps) {
    cal = pad("x.cal", 72);
    ps = pad("my plot; touch owned-by-viewer.ps", 72);
    io.iostat = 0;
  });
  start_up(*shell);
  shell->editor = {(dir / "bin" / "my editor").string()};

  const std::string input = file("my input; touch owned.inp");
  const std::string listing = (dir / "out $(touch owned2).out").string();
  choose(input);
  choose_new(listing);
  command(*shell, kStart);

  EXPECT_EQ(read_file(dir / "bin" / "gv.args"), "1\nmy plot; touch owned-by-viewer.ps\n");
  EXPECT_EQ(read_file(dir / "bin" / "my editor.args"), "1\n" + listing + "\n");
  command(*shell, kEditInput);
  EXPECT_EQ(read_file(dir / "bin" / "my editor.args"), "1\n" + input + "\n");
  for (const char* f : {"owned", "owned2", "owned-by-viewer.ps", "owned.inp"}) EXPECT_FALSE(fs::exists(dir / f)) << f;
  for (const char* f : {"owned", "owned2", "owned-by-viewer.ps", "owned.inp"})
    EXPECT_FALSE(fs::exists(dir / "bin" / f)) << f;
}

}  // namespace
}  // namespace korva::shell
