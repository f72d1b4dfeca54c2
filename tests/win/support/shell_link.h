// Shell shortcuts (.lnk) made by the shell's own link object, so the code
// under test reads what the shell really writes.
#pragma once

#include <windows.h>

#include <string>

using tstring = std::basic_string<TCHAR>;

// Writes a shortcut at `link` pointing to `target`; true when saved. Sets
// up COM for its own use, whatever the caller did.
bool ShellLink_Make(const tstring &link, const tstring &target);
