// The program from start to end: the branding bundle, the data folders, the settings and the
// stores in their order, the main window, one running copy per user, and the saves at exit.
#pragma once

namespace qor {

class CQorTolvaneApp {
public:
    // Runs the program and returns its exit code.
    static int Run(int argc, char** argv);
};

} // namespace qor
