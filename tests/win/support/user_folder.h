// The configuration of one user below a temporary data folder, set up as
// start-up sets it: the command-line block names the data folder and the
// user, the instance mutex exists (the configuration lock takes it) and the
// configuration path is built.
#pragma once

#include <windows.h>

#include "support/temp_folder.h"

class TestUserFolder {
public:
    TestUserFolder(const TCHAR *tag, const TCHAR *user);
    TestUserFolder(const TestUserFolder &) = delete;
    TestUserFolder &operator=(const TestUserFolder &) = delete;
    // Forgets any earlier configuration and instance state first. true when
    // the mutex and the configuration path were made.
    bool Open();
    // The data folder.
    const tstring &path() const { return temp_.path(); }

private:
    TempFolder temp_;
    const TCHAR *user_;
    TCHAR dataDir_[MAX_PATH] = {};
};
