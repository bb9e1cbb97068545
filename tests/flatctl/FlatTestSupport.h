#pragma once
// What the flat control tests share.

#include <QApplication>

namespace flattest {

// The one application object of the test program, made on first use.
inline QApplication& App() {
    static int argc = 1;
    static char name[] = "test_flatctl";
    static char* argv[] = {name, nullptr};
    static QApplication* app = QApplication::instance() != nullptr
                                   ? static_cast<QApplication*>(QApplication::instance())
                                   : new QApplication(argc, argv);
    return *app;
}

} // namespace flattest
