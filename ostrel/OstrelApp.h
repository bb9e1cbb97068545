#pragma once

class COstrelHost;

// The program: runs the main dialog and ends when it ends.
class COstrelApp {
public:
    // Returns the process's exit code.
    int InitInstance(COstrelHost& host);
};
