#include "other/qv_KeyMap.h"

#include <cstdlib>
#include <cstring>

#include "../../res/resource.h"
#include "other/qv_CustomCore.h"
#include "other/qv_CustomFile.h"
#include "other/qv_Globals.h"
#include "other/qv_Mouse.h"

KeyTable g_keyMap = {0, nullptr};

static_assert(sizeof(ACCEL) == sizeof(AccelEntry) && offsetof(ACCEL, key) == offsetof(AccelEntry, key) &&
                  offsetof(ACCEL, cmd) == offsetof(AccelEntry, cmd),
              "AccelEntry is handed to the system as ACCEL");

namespace {

const char kKeysTag[4] = {'K', 'e', 'y', 's'};

#ifdef UNICODE
constexpr uint16_t kOwnTextForm = kKeyTextUtf16;
constexpr int kRequiredTextForm = -1;  // reads both; ANSI character keys are converted
constexpr int kDefaultMapId = IDR_KEYMAP_W;

// A character key saved by the ANSI build: one byte of the ANSI code page.
bool AnsiKeyToWide(uint16_t code, uint16_t *wide) {
    if (code == 0 || code > 0xFF) return false;
    const char byte = char(code);
    WCHAR out[2] = {0, 0};
    if (MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, &byte, 1, out, 2) != 1) return false;
    *wide = uint16_t(out[0]);
    return true;
}
constexpr KeyAnsiToWide kConvert = AnsiKeyToWide;
#else
constexpr uint16_t kOwnTextForm = kKeyTextAnsi;
// Keys saved by the UTF-16 build cannot be shown as ANSI character keys: that
// build's chunk is refused and the default map used.
constexpr int kRequiredTextForm = kKeyTextAnsi;
constexpr int kDefaultMapId = IDR_KEYMAP_A;
constexpr KeyAnsiToWide kConvert = nullptr;
#endif

// Whether the map has been read in this run (step 28), so step 30 knows to
// fall back to the default map.
bool s_keysRead = false;

HMODULE ResourceModule() { return g_process.instance != nullptr ? g_process.instance : GetModuleHandle(nullptr); }

}  // namespace

int KeyMap_Load(KeyTable *table, CustomFile *file) {
    if (table == nullptr) return 7;
    CustomFileReading reading(file);
    if (reading.file() == nullptr) return 255;
    uint32_t length = 0;
    int step = 0;
    uint8_t *data = nullptr;
    if (CustomFile_FindChunk(reading.file(), &length, kKeysTag) != 0) step = 254;
    else if (length < 12) step = 1;
    else if ((data = static_cast<uint8_t *>(std::malloc(length))) == nullptr) step = 6;
    else if (!File_ReadExact(data, &reading.file()->stream, length)) step = 3;
    else step = KeyMap_ParseChunk(data, length, kRequiredTextForm, kConvert, table);
    std::free(data);
    return step;
}

int KeyMap_SaveChunk() {
    const uint32_t size = KeyMap_ChunkSize(&g_keyMap);
    if (size == 0) return 1;
    auto *data = static_cast<uint8_t *>(std::malloc(size));
    if (data == nullptr) return 2;
    int step = 2;
    if (KeyMap_ComposeChunk(&g_keyMap, kOwnTextForm, data, size) == size) step = CustomFile_WriteChunk(kKeysTag, data, size);
    std::free(data);
    return step;
}

int KeyMap_LoadDefault(KeyTable *table) {
    const HMODULE module = ResourceModule();
    HRSRC found = FindResource(module, MAKEINTRESOURCE(kDefaultMapId), TEXT("FILE"));
    const DWORD size = found != nullptr ? SizeofResource(module, found) : 0;
    if (size == 0) return -1;
    HGLOBAL loaded = LoadResource(module, found);
    const void *bytes = loaded != nullptr ? LockResource(loaded) : nullptr;
    if (bytes == nullptr) return 1;
    CustomFile file;
    if (CustomFile_OpenMemory(bytes, &file, size) != 0) return 2;
    const int step = KeyMap_Load(table, &file);
    CustomFile_Close(&file);
    if (step == 254) return 254;
    return step == 0 ? 0 : 3;
}

void KeyMap_ResetToDefault(KeyTable *table) {
    KeyTable defaults{0, nullptr};
    if (KeyMap_LoadDefault(&defaults) == 0) KeyMap_ApplyDefaults(table, &defaults);
    KeyMap_Free(&defaults);
}

int KeyMap_InstallAccelerators(const AccelEntry *entries, int32_t count) {
    HACCEL table = nullptr;
    if (entries != nullptr && count > 0) {
        table = CreateAcceleratorTable(reinterpret_cast<LPACCEL>(const_cast<AccelEntry *>(entries)), count);
        if (table == nullptr) return 0;
    }
    HACCEL old = g_process.accelerators;
    g_process.accelerators = table;
    if (old != nullptr) DestroyAcceleratorTable(old);
    return 1;
}

int KeyMap_BuildAccelerators() {
    const int32_t count = KeyMap_AccelCount(&g_keyMap);
    if (count == 0) return KeyMap_InstallAccelerators(nullptr, 0);
    auto *entries = static_cast<AccelEntry *>(std::malloc(size_t(count) * sizeof(AccelEntry)));
    if (entries == nullptr) return 0;
    const int32_t built = KeyMap_BuildAccelEntries(&g_keyMap, entries, count);
    const int ok = KeyMap_InstallAccelerators(entries, built);
    std::free(entries);
    return ok;
}

int KeyMap_StartupRead() {
    CustomFile file;
    s_keysRead = false;
    if (CustomFile_Open(&file, 0) == 0) {
        Mouse_LoadChunk(&file);  // the mouse table first, as it was saved
        s_keysRead = KeyMap_Load(&g_keyMap, &file) == 0;
    }
    CustomFile_Close(&file);
    return 0;
}

int KeyMap_StartupAccelerators() {
    if (!s_keysRead) KeyMap_LoadDefault(&g_keyMap);
    return KeyMap_BuildAccelerators();
}
