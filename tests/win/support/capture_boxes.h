// Records message boxes instead of showing them.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "other/qv_SysSeams.h"

using tstring = std::basic_string<TCHAR>;

struct ShownBox {
    tstring text;
    tstring caption;
    UINT type;
};

class CaptureBoxes {
public:
    CaptureBoxes();
    ~CaptureBoxes();
    CaptureBoxes(const CaptureBoxes &) = delete;
    CaptureBoxes &operator=(const CaptureBoxes &) = delete;
    const std::vector<ShownBox> &boxes() const { return boxes_; }

private:
    static int WINAPI Record(HWND, LPCTSTR text, LPCTSTR caption, UINT type);
    static CaptureBoxes *current_;
    std::vector<ShownBox> boxes_;
    SysSeams saved_;
};
