#include "dlg/qv_NewImgCore.h"

namespace {

const NewImgDepth kDepths[kNewImgDepthCount] = {
    {1, 1, false}, {4, 4, false}, {8, 8, false}, {16, 16, false}, {16, 16, true}, {24, 24, false},
};

template <class Ch>
size_t Length(const Ch *s) {
    size_t n = 0;
    while (s[n] != 0) ++n;
    return n;
}

}  // namespace

const uint32_t kNewImgMasks565[3] = {0xF800, 0x07E0, 0x001F};

bool NewImgDlg_DepthOf(int index, NewImgDepth *out) {
    if (index < 0 || index >= kNewImgDepthCount) return false;
    if (out != nullptr) *out = kDepths[index];
    return true;
}

template <class Ch>
bool NewImgDlg_HasBadNameChar(const Ch *name) {
    if (name == nullptr) return false;
    for (; *name != 0; ++name) {
        switch (*name) {
            case '\\': case '/': case ':': case '*': case '?': case '"': case '<': case '>': case '|': return true;
            default: break;
        }
    }
    return false;
}

template <class Ch>
int NewImgDlg_ChooseName(const Ch *typed) {
    if (typed == nullptr) return kNewImgNameUntitled;
    const size_t length = Length(typed);
    if (length == 0 || length >= kNewImgNameChars) return kNewImgNameUntitled;
    return NewImgDlg_HasBadNameChar(typed) ? kNewImgNameBad : kNewImgNameTyped;
}

template bool NewImgDlg_HasBadNameChar<char>(const char *);
template bool NewImgDlg_HasBadNameChar<wchar_t>(const wchar_t *);
template int NewImgDlg_ChooseName<char>(const char *);
template int NewImgDlg_ChooseName<wchar_t>(const wchar_t *);
