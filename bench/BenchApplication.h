#pragma once
// The one Qt application of the benchmark executable: text needs a GUI application and windows
// a widget one, and only one may ever exist, so every benchmark that needs Qt asks here.

#include <QApplication>

#include <cstdlib>
#include <memory>

inline void EnsureBenchApplication() {
    static std::unique_ptr<QApplication> application = [] {
        if (std::getenv("QT_QPA_PLATFORM") == nullptr)
            setenv("QT_QPA_PLATFORM", "offscreen", 1);
        static int argc = 1;
        static char name[] = "borvik_bench";
        static char* argv[] = {name, nullptr};
        return std::make_unique<QApplication>(argc, argv);
    }();
}
