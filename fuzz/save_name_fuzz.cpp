// Names typed into the save dialog and numbers typed into its panels: any
// text must leave the name inside its buffer and terminated, never ending in
// a dot unless refused (then exactly as typed), and keep a replaced panel
// number inside its range.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "dlg/qv_SaveNameCore.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    if (size < 4) return 0;
    // Header: format, flags, capacity; then the typed text up to a 0 byte,
    // then the source extension.
    const int format = data[0] % 5;  // 4 is no format
    const int flags = data[1];
    const size_t capacity = 1 + data[2] % 64;
    std::string rest(reinterpret_cast<const char *>(data + 3), size - 3);
    const size_t cut = rest.find('\0');
    std::string typed = rest.substr(0, cut);
    const std::string ext = cut == std::string::npos ? std::string() : rest.substr(cut + 1, 8);
    if (ext.find('\0') != std::string::npos) return 0;
    if (typed.size() >= capacity) typed.resize(capacity - 1);

    char name[80] = {};
    std::memcpy(name, typed.data(), typed.size());
    std::string stem = typed;
    const size_t dot = SaveName_ExtensionDot(stem.c_str());
    if (dot > stem.size() || SaveName_NameStart(stem.c_str()) > stem.size()) abort();
    stem.resize(dot);
    const SaveNameRules<char> rules{format, flags & 1, (flags & 2) ? stem.c_str() : nullptr,
                                    ext.empty() ? nullptr : ext.c_str(), (flags & 4) != 0};
    const int result = SaveFileDlg_FixExtension(name, capacity, rules);
    const size_t length = std::strlen(name);
    if (length >= capacity) abort();
    if (result == kSaveNameRefused && typed != name) abort();
    if (result != kSaveNameRefused && (length == 0 || name[length - 1] == '.')) abort();
    if (result == kSaveNameKept && typed != name) abort();
    if (std::strncmp(name, typed.c_str(), typed.size()) != 0) abort();  // only ever appended to

    const int32_t lo = int8_t(data[1]), hi = lo + data[2];
    int32_t value = 0;
    if (SavePanel_TypedValue(typed.c_str(), lo, hi, &value) && (value < lo || value > hi)) abort();
    return 0;
}
