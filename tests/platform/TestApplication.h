#pragma once

// What the window tests of every folder share: one QApplication per test program, made by the
// first suite that needs a window and destroyed again at the end of the suite, since a
// QApplication that outlives main() crashes in the exit handlers; and how long a wait may last.

#include <QApplication>

#include <memory>
#include <string>

namespace platformtest {

// The longest a test waits for a timer, a thread or a peer, in milliseconds: far beyond what any
// of them takes on a loaded machine, so that reaching it means the behaviour is wrong.
inline constexpr int kWaitLimit = 30000;

class TestApplication {
public:
    // Makes the application unless one exists; `name` is the program name it is given.
    static void Ensure(const char* name) {
        if (QApplication::instance() != nullptr)
            return;
        // The application keeps the arguments for its life.
        static int argc = 1;
        static std::string program;
        static char* argv[] = {nullptr, nullptr};
        program = name;
        argv[0] = program.data();
        application = std::make_unique<QApplication>(argc, argv);
    }
    // Destroys the application Ensure made; one made elsewhere stays.
    static void Release() { application.reset(); }

private:
    static inline std::unique_ptr<QApplication> application;
};

} // namespace platformtest
