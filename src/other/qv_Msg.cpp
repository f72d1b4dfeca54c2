#include "other/qv_Msg.h"

#include "../../res/resource.h"
#include "other/qv_Globals.h"
#include "other/qv_Res.h"
#include "other/qv_SysSeams.h"
#include "util/qv_Text.h"

namespace {

int32_t s_fatalReports = 0;

// Base name of a source path: after the last backslash or slash.
LPCTSTR BaseName(LPCTSTR path) {
    LPCTSTR base = path;
    for (LPCTSTR p = path; *p != 0; p = qvtext::NextChar(p))
        if (*p == TEXT('\\') || *p == TEXT('/')) base = p + 1;
    return base;
}

}  // namespace

void Msg_ComposeReport(LPCTSTR source, LPCTSTR message, int32_t number, TCHAR *out) {
    out[0] = 0;
    if (message == nullptr) message = TEXT("");
    if (source == nullptr || number < 0) {
        qvtext::CopyInto(out, kReportChars, message);
        return;
    }
    LPCTSTR base = BaseName(source);
    if (*base == 0) {
        qvtext::CopyInto(out, kReportChars, message);
        return;
    }
    const size_t ml = qvtext::Length(message), bl = qvtext::Length(base);
    if (ml != 0 && ml + bl + 18 <= kReportChars) {
        wsprintf(out, TEXT("%s\r\n\r\n%s -%d-"), message, base, number);
    } else if (bl + 14 <= kReportChars) {
        wsprintf(out, TEXT("%s -%d-"), base, number);
    }
}

int Msg_ReportError(LPCTSTR source, HWND owner, LPCTSTR message, int32_t number, int fatal) {
    if (fatal) {
        if (s_fatalReports >= kMaxFatalReports) return 0;
        ++s_fatalReports;
    }
    if (owner == nullptr) owner = g_process.frameWindow;
    TCHAR text[kReportChars];
    Msg_ComposeReport(source, message, number, text);
    const int result = g_sys.messageBox(owner, text, g_process.errorCaption, MB_ICONERROR);
    if (fatal) g_process.noSave = 1;
    return result;
}

int Msg_LoadCaptionText(int capacity, TCHAR *buffer, UINT id) {
    if (buffer == nullptr || capacity <= 1) return -1;
    const int n = Res_LoadText(buffer, id, capacity);
    if (n <= 0 || n >= capacity - 1) return -1;
    for (TCHAR *p = buffer; *p != 0; p = const_cast<TCHAR *>(qvtext::NextChar<TCHAR>(p))) {
        if (*p == TEXT('\t')) {
            *p = 0;
            return static_cast<int>(p + 1 - buffer);
        }
    }
    return -1;
}

int Str_ReplaceAppTitle(TCHAR *text, int capacity) {
    if (text == nullptr || capacity <= 0) return 0;
    static const TCHAR kToken[] = TEXT("$aptt");
    const size_t tokenLen = 5;
    for (TCHAR *p = text; *p != 0; p = const_cast<TCHAR *>(qvtext::NextChar<TCHAR>(p))) {
        if (qvtext::CompareOrdinalN(tokenLen, p, kToken) != 0) continue;
        TCHAR title[128];
        Res_LoadText(title, IDS_APP_TITLE, 128);
        TCHAR rest[512];
        qvtext::CopyInto(rest, 512, p + tokenLen);
        const size_t head = size_t(p - text);
        if (head >= size_t(capacity)) return 0;
        qvtext::CopyInto(p, size_t(capacity) - head, title);
        const size_t used = qvtext::Length(text);
        if (used + 1 < size_t(capacity)) qvtext::CopyInto(text + used, size_t(capacity) - used, rest);
        return 1;
    }
    return 0;
}

int Msg_Box(LPCTSTR captionSuffix, HWND owner, LPCTSTR text, UINT type) {
    TCHAR caption[128];
    Res_LoadText(caption, IDS_APP_TITLE, 128);
    if (captionSuffix != nullptr && captionSuffix[0] != 0) {
        const size_t n = qvtext::Length(caption);
        if (n + 1 < 128) {
            caption[n] = TEXT(' ');
            caption[n + 1] = 0;
            qvtext::CopyInto(caption + n + 1, 128 - (n + 1), captionSuffix);
        }
    }
    return g_sys.messageBox(owner, text, caption, type);
}

int Msg_BoxById(HWND owner, UINT id, UINT type, int replaceTitle) {
    TCHAR buffer[512];
    const int index = Msg_LoadCaptionText(512, buffer, id);
    if (index < 0) return 0;
    if (replaceTitle) Str_ReplaceAppTitle(buffer + index, 512 - index);
    return Msg_Box(buffer, owner, buffer + index, type);
}

int Msg_BoxWithInsert(HWND owner, UINT id, const TCHAR *insert, UINT type) {
    TCHAR format[512];
    const int index = Msg_LoadCaptionText(512, format, id);
    if (index < 0) return 0;
    // wsprintf writes at most 1024 characters.
    TCHAR text[1100];
    wsprintf(text, format + index, insert != nullptr ? insert : TEXT(""));
    return Msg_Box(format, owner, text, type);
}

int Msg_ErrorFromString(HWND owner, UINT id, int fatal) {
    TCHAR text[512];
    if (Res_LoadText(text, id, 512) <= 0) return 0;
    return Msg_ReportError(nullptr, owner, text, -1, fatal);
}

int32_t Msg_FatalReportCount() { return s_fatalReports; }

void Msg_ResetForTests() {
    s_fatalReports = 0;
    g_process.noSave = 0;
}
