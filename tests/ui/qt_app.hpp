// One application object for the whole test process (Qt allows only one at
// a time); the services then use it instead of creating their own.
#pragma once

#include <QApplication>

namespace korva::testing_support {

inline void ensure_app() {
  static int argc = 1;
  static char name[] = "korva_gui_tests";
  static char* argv[] = {name, nullptr};
  static QApplication* app = QApplication::instance() ? nullptr : new QApplication(argc, argv);
  (void)app;
}

}  // namespace korva::testing_support
