// The recent folders as read from the configuration file: a hand-edited or
// corrupt section gives any text for any folder and file key. The input's
// lines are the keys' values in index order (UTF-16 from byte pairs, and the
// same bytes as ANSI text); a line "-" is a missing key, and the first
// byte picks a smaller size the list is then resized to. Afterwards the
// list must be linked both ways, hold each folder once whatever its case,
// keep the lowest index as the newest entry, and keep the newest entries in
// order across the resize.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "other/qv_MruCore.h"

namespace {

void *Alloc(uint32_t bytes) { return std::malloc(bytes == 0 ? 1 : bytes); }
void Release(void *block) { std::free(block); }
template <class Ch>
void Lower(Ch *text, size_t length) {
    for (size_t i = 0; i < length; ++i)
        if (text[i] >= Ch('A') && text[i] <= Ch('Z')) text[i] = Ch(text[i] + ('a' - 'A'));
}
template <class Ch>
std::basic_string<Ch> Folded(const Ch *text) {
    std::basic_string<Ch> s(text);
    Lower(&s[0], s.size());
    return s;
}

template <class Ch>
void Check(const std::vector<std::basic_string<Ch>> &lines, int32_t smaller) {
    RecentFolderListT<Ch> list;
    list.env.alloc = Alloc;
    list.env.release = Release;
    list.env.lower = Lower<Ch>;
    if (!Mru_ResizeT(&list, kRecentFolderSlots)) __builtin_trap();
    const std::basic_string<Ch> missing(1, Ch('-'));
    auto read = [&](int32_t i, const Ch **folder, const Ch **file) {
        const size_t at = size_t(i) * 2;
        if (at >= lines.size() || lines[at] == missing) return false;
        *folder = lines[at].c_str();
        *file = at + 1 < lines.size() ? lines[at + 1].c_str() : nullptr;
        return true;
    };
    Mru_LoadStoredT(&list, kRecentFolderSlots, read);

    std::vector<std::basic_string<Ch>> newest;
    const RecentFolderSlotT<Ch> *prev = nullptr;
    int32_t n = 0;
    for (const RecentFolderSlotT<Ch> *s = list.head; s != nullptr; s = s->older) {
        if (++n > list.count || s->newer != prev || s->folder == nullptr || s->folder[0] == 0) __builtin_trap();
        for (const auto &seen : newest)
            if (Folded(seen.c_str()) == Folded(s->folder)) __builtin_trap();
        newest.push_back(s->folder);
        prev = s;
    }
    // The lowest index that holds a folder is the newest entry.
    for (int32_t i = 0; i < kRecentFolderSlots; ++i) {
        const Ch *folder = nullptr;
        const Ch *file = nullptr;
        if (!read(i, &folder, &file) || folder[0] == 0 || (folder[0] == Ch('*') && folder[1] == 0)) continue;
        if (newest.empty() || newest[0] != folder) __builtin_trap();
        break;
    }

    if (Mru_ResizeT(&list, smaller)) {
        for (int32_t i = 0; i < smaller; ++i) {
            const Ch *folder = Mru_GetT(list, i, static_cast<const Ch **>(nullptr));
            if ((folder != nullptr) != (size_t(i) < newest.size())) __builtin_trap();
            if (folder != nullptr && newest[size_t(i)] != folder) __builtin_trap();
        }
    }
    Mru_FreeSlotsT(&list);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    if (size < 1) return 0;
    const int32_t smaller = 1 + data[0] % kRecentFolderSlots;
    std::vector<std::u16string> wide(1);
    for (size_t i = 1; i + 1 < size; i += 2) {
        const char16_t c = char16_t(data[i] | data[i + 1] << 8);
        if (c == u'\n')
            wide.emplace_back();
        else if (c != 0)
            wide.back().push_back(c);
    }
    std::vector<std::string> narrow(1);
    for (size_t i = 1; i < size; ++i) {
        if (data[i] == '\n')
            narrow.emplace_back();
        else if (data[i] != 0)
            narrow.back().push_back(char(data[i]));
    }
    Check(wide, smaller);
    Check(narrow, smaller);
    return 0;
}
