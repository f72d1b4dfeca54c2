#include "util/qv_FolderRead.h"

#include <cstdlib>
#include <initializer_list>
#include <cstring>

FolderReadSeams g_folderReadSeams;

namespace {

// The native query's record for the "both names" level, as the system lays
// it out on x86_64.
struct BothDirRecord {
    uint32_t nextEntryOffset;
    uint32_t fileIndex;
    int64_t creationTime;
    int64_t lastAccessTime;
    int64_t lastWriteTime;
    int64_t changeTime;
    int64_t endOfFile;
    int64_t allocationSize;
    uint32_t fileAttributes;
    uint32_t fileNameBytes;
    uint32_t eaSize;
    int8_t shortNameBytes;
    wchar_t shortName[12];
    wchar_t fileName[1];
};
static_assert(offsetof(BothDirRecord, fileAttributes) == 56, "record layout");
static_assert(offsetof(BothDirRecord, shortName) == 70, "record layout");
static_assert(offsetof(BothDirRecord, fileName) == 94, "record layout");

constexpr size_t kRecordHead = offsetof(BothDirRecord, fileName);
constexpr int kBothDirectoryInformation = 3;
constexpr LONG kStatusNoMoreFiles = LONG(0x80000006);

struct IoStatus {
    union {
        LONG status;
        void *pointer;
    };
    ULONG_PTR information;
};

using QueryDirectory = LONG(WINAPI *)(HANDLE file, HANDLE event, void *apcRoutine, void *apcContext,
                                      IoStatus *io, void *buffer, ULONG length, int infoClass,
                                      BOOLEAN singleEntry, void *mask, BOOLEAN restart);

QueryDirectory QueryFunction() {
    static const QueryDirectory query = [] {
        HMODULE ntdll = GetModuleHandle(TEXT("ntdll.dll"));
        return ntdll != nullptr
                   ? reinterpret_cast<QueryDirectory>(reinterpret_cast<void (*)()>(
                         GetProcAddress(ntdll, "NtQueryDirectoryFile")))
                   : nullptr;
    }();
    return query;
}

FILETIME FileTimeOf(int64_t value) {
    return FILETIME{DWORD(uint64_t(value)), DWORD(uint64_t(value) >> 32)};
}

// One query into a slot: 1 filled, 0 no more entries, -1 refused.
int Query(FolderReader *r, FolderQuerySlot *slot, bool restart) {
    IoStatus io{};
    const LONG status = QueryFunction()(r->folder, nullptr, nullptr, nullptr, &io, slot->bytes, ULONG(r->bufferBytes),
                                        kBothDirectoryInformation, FALSE, nullptr, restart ? TRUE : FALSE);
    slot->filled = 0;
    if (status == kStatusNoMoreFiles) return slot->result = 0;
    if (status < 0 || io.information == 0) return slot->result = -1;
    slot->filled = io.information < r->bufferBytes ? size_t(io.information) : r->bufferBytes;
    return slot->result = 1;
}

DWORD WINAPI ReadAhead(void *context) {
    FolderReader *r = static_cast<FolderReader *>(context);
    for (int k = 1;; k ^= 1) {
        WaitForSingleObject(r->slotFree[k], INFINITE);
        if (InterlockedCompareExchange(&r->stop, 0, 0) != 0) return 0;
        const int result = Query(r, &r->slots[k], false);
        SetEvent(r->slotFilled[k]);
        if (result <= 0) return 0;
    }
}

void StopReadingAhead(FolderReader *r) {
    if (r->ahead != nullptr) {
        InterlockedExchange(&r->stop, 1);
        SetEvent(r->slotFree[0]);
        SetEvent(r->slotFree[1]);
        WaitForSingleObject(r->ahead, INFINITE);
        CloseHandle(r->ahead);
        r->ahead = nullptr;
    }
    for (HANDLE *h : {&r->slotFree[0], &r->slotFree[1], &r->slotFilled[0], &r->slotFilled[1]}) {
        if (*h != nullptr) CloseHandle(*h);
        *h = nullptr;
    }
}

// Starts the thread when the first query nearly filled its buffer (so more
// is likely to follow); without it the slot is simply queried again.
void StartReadingAhead(FolderReader *r) {
    if (r->slots[0].filled + 4096 < r->bufferBytes) return;
    r->slots[1].bytes = static_cast<uint8_t *>(std::malloc(r->bufferBytes));
    if (r->slots[1].bytes == nullptr) return;
    for (int k = 0; k < 2; ++k) {
        r->slotFree[k] = CreateEvent(nullptr, FALSE, k == 1 ? TRUE : FALSE, nullptr);
        r->slotFilled[k] = CreateEvent(nullptr, FALSE, FALSE, nullptr);
    }
    if (r->slotFree[0] != nullptr && r->slotFree[1] != nullptr && r->slotFilled[0] != nullptr &&
        r->slotFilled[1] != nullptr)
        r->ahead = CreateThread(nullptr, 64 * 1024, ReadAhead, r, STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr);
    if (r->ahead == nullptr) StopReadingAhead(r);
}

// The next slot to take apart; false at the end of the folder.
bool NextSlot(FolderReader *r) {
    if (r->ahead == nullptr) {
        r->current = 0;
    } else {
        SetEvent(r->slotFree[r->current]);
        r->current ^= 1;
        // The events reset when a wait takes them: a poll that finds the
        // buffer filled ends the waiting.
        DWORD got = WAIT_TIMEOUT;
        while (r->idle != nullptr && (got = WaitForSingleObject(r->slotFilled[r->current], 0)) == WAIT_TIMEOUT &&
               r->idle(r->idleContext)) {
        }
        if (got != WAIT_OBJECT_0) WaitForSingleObject(r->slotFilled[r->current], INFINITE);
    }
    r->next = 0;
    return (r->ahead == nullptr ? Query(r, &r->slots[0], false) : r->slots[r->current].result) > 0;
}

bool OpenQuery(FolderReader *r, const TCHAR *folder) {
    const size_t bytes = g_folderReadSeams.bufferBytes;
    if (g_folderReadSeams.findOnly || QueryFunction() == nullptr || bytes < 4096 || bytes > 0x40000000) return false;
    r->folder = CreateFile(folder, FILE_LIST_DIRECTORY, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                           nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (r->folder == INVALID_HANDLE_VALUE) return false;
    r->bufferBytes = bytes;
    r->slots[0].bytes = static_cast<uint8_t *>(std::malloc(bytes));
    const int first = r->slots[0].bytes != nullptr ? Query(r, &r->slots[0], true) : -1;
    if (first > 0) StartReadingAhead(r);
    if (first >= 0) {
        r->ended = first == 0;
        return true;
    }
    // The folder or its file system refuses the query: the find functions
    // then decide (and set the error the caller sees).
    std::free(r->slots[0].bytes);
    r->slots[0].bytes = nullptr;
    CloseHandle(r->folder);
    r->folder = INVALID_HANDLE_VALUE;
    return false;
}

#if defined(QV_ANSI)
// Names in the code page the file functions use, as the ANSI find functions
// give them; a name that does not fit a path component there is skipped.
bool ToFileCodePage(const wchar_t *text, size_t units, char *out, size_t capacity, size_t *bytes) {
    if (units == 0) {
        *bytes = 0;
        return true;
    }
    const UINT codePage = AreFileApisANSI() ? CP_ACP : CP_OEMCP;
    const int n = WideCharToMultiByte(codePage, 0, text, int(units), out, int(capacity), nullptr, nullptr);
    if (n <= 0 || size_t(n) >= MAX_PATH) return false;
    *bytes = size_t(n);
    return true;
}
#endif

// Takes the record at r->next, checked against the bytes the query filled.
// 1 an item, 0 the buffer is used up, -1 the record is to be skipped.
int TakeRecord(FolderReader *r, FolderItem *item) {
    const FolderQuerySlot &slot = r->slots[r->current];
    if (r->next > slot.filled || slot.filled - r->next < kRecordHead) return 0;
    const uint8_t *at = slot.bytes + r->next;
    BothDirRecord head;
    std::memcpy(&head, at, kRecordHead);
    const size_t nameBytes = head.fileNameBytes;
    if (nameBytes > slot.filled - r->next - kRecordHead) return 0;
    const bool last = head.nextEntryOffset == 0;
    if (!last && head.nextEntryOffset < kRecordHead) return 0;
    r->next = last ? slot.filled + 1 : r->next + head.nextEntryOffset;
    const auto *record = reinterpret_cast<const BothDirRecord *>(at);
    size_t shortBytes = head.shortNameBytes > 0 ? size_t(head.shortNameBytes) : 0;
    if (shortBytes > sizeof head.shortName) shortBytes = sizeof head.shortName;
    item->attributes = head.fileAttributes;
    item->created = FileTimeOf(head.creationTime);
    item->accessed = FileTimeOf(head.lastAccessTime);
    item->written = FileTimeOf(head.lastWriteTime);
    item->sizeHigh = DWORD(uint64_t(head.endOfFile) >> 32);
    item->sizeLow = DWORD(uint64_t(head.endOfFile));
#if defined(QV_ANSI)
    if (!ToFileCodePage(record->fileName, nameBytes / 2, r->name, sizeof r->name, &item->nameUnits) ||
        !ToFileCodePage(record->shortName, shortBytes / 2, r->shortName, sizeof r->shortName, &item->shortUnits))
        return -1;
    item->name = r->name;
    item->shortName = r->shortName;
#else
    item->name = record->fileName;
    item->nameUnits = nameBytes / 2;
    item->shortName = record->shortName;
    item->shortUnits = shortBytes / 2;
#endif
    return 1;
}

int NextFromQuery(FolderReader *r, FolderItem *item) {
    for (;;) {
        if (r->ended) return 0;
        const int took = TakeRecord(r, item);
        if (took > 0) return 1;
        if (took == 0 && !NextSlot(r)) {
            r->ended = true;
            return 0;
        }
    }
}

int NextFromFind(FolderReader *r, FolderItem *item) {
    if (r->ended) return 0;
    if (!r->findPending && !FindNextFile(r->find, &r->findData)) {
        r->ended = true;
        return 0;
    }
    r->findPending = false;
    const WIN32_FIND_DATA &fd = r->findData;
    item->attributes = fd.dwFileAttributes;
    item->created = fd.ftCreationTime;
    item->accessed = fd.ftLastAccessTime;
    item->written = fd.ftLastWriteTime;
    item->sizeHigh = fd.nFileSizeHigh;
    item->sizeLow = fd.nFileSizeLow;
    item->name = fd.cFileName;
    item->nameUnits = size_t(lstrlen(fd.cFileName));
    item->shortName = fd.cAlternateFileName;
    item->shortUnits = size_t(lstrlen(fd.cAlternateFileName));
    return 1;
}

}  // namespace

FolderReader::~FolderReader() {
    StopReadingAhead(this);
    if (folder != INVALID_HANDLE_VALUE) CloseHandle(folder);
    if (find != INVALID_HANDLE_VALUE) FindClose(find);
    std::free(slots[0].bytes);
    std::free(slots[1].bytes);
}

int FolderRead_Open(FolderReader *reader, const TCHAR *folder) {
    if (reader == nullptr || folder == nullptr || reader->folder != INVALID_HANDLE_VALUE ||
        reader->find != INVALID_HANDLE_VALUE)
        return 0;
    if (OpenQuery(reader, folder)) return 1;
    TCHAR pattern[MAX_PATH + 4];
    const int units = lstrlen(folder);
    if (units <= 0 || units + 3 > MAX_PATH + 3) {
        SetLastError(ERROR_FILENAME_EXCED_RANGE);
        return 0;
    }
    std::memcpy(pattern, folder, size_t(units) * sizeof(TCHAR));
    int at = units;
    if (pattern[at - 1] != TEXT('\\') && pattern[at - 1] != TEXT('/')) pattern[at++] = TEXT('\\');
    pattern[at++] = TEXT('*');
    pattern[at] = 0;
    // Larger reads per call; systems before Windows 7 refuse the flag.
    reader->find = FindFirstFileEx(pattern, FindExInfoStandard, &reader->findData, FindExSearchNameMatch, nullptr,
                                   FIND_FIRST_EX_LARGE_FETCH);
    if (reader->find == INVALID_HANDLE_VALUE && GetLastError() == ERROR_INVALID_PARAMETER)
        reader->find = FindFirstFile(pattern, &reader->findData);
    if (reader->find == INVALID_HANDLE_VALUE) return 0;
    reader->findPending = true;
    return 1;
}

int FolderRead_Next(FolderReader *reader, FolderItem *item) {
    if (reader == nullptr || item == nullptr) return 0;
    if (reader->folder != INVALID_HANDLE_VALUE) return NextFromQuery(reader, item);
    if (reader->find != INVALID_HANDLE_VALUE) return NextFromFind(reader, item);
    return 0;
}

int FolderRead_Way(const FolderReader &reader) {
    if (reader.folder == INVALID_HANDLE_VALUE) return 0;
    return reader.ahead != nullptr ? 2 : 1;
}
