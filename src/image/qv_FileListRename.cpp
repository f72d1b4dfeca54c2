#include "image/qv_FileListRename.h"

#include "image/qv_FileListOptions.h"
#include "image/qv_Format.h"
#include "util/qv_Path.h"
#include "util/qv_StrCore.h"
#include "util/qv_Text.h"

namespace {

bool s_spiPrior = false;

int32_t LoaderOfName(const TCHAR *name) {
    const int32_t id = Format_IdFromPath(name, s_spiPrior);
    return id > 0 ? id : 0;
}

// The 8.3 name the file system gave the file at path (empty when it has
// none, as on volumes without short names), as the folder listing reads it.
// false when no file is there.
bool ShortNameOf(const TCHAR *path, TCHAR *out) {
    WIN32_FIND_DATA found;
    HANDLE search = FindFirstFile(path, &found);
    if (search == INVALID_HANDLE_VALUE) return false;
    FindClose(search);
    out[0] = 0;
    if (qvtext::Length(found.cAlternateFileName) < size_t(kShortNameUnits))
        qvtext::CopyInto(out, kShortNameUnits, found.cAlternateFileName);
    return true;
}

}  // namespace

int FileList_RenameEntry(const TCHAR *oldName, FileList *list, const TCHAR *newName) {
    if (list == nullptr || !list->pathSet || list->isArchive || newName == nullptr) return 0;
    const size_t newLength = qvtext::Length(newName);
    if (newLength == 0 || newLength >= size_t(kFileNameUnits)) return 0;
    int32_t index = -1;
    if (!FileList_Find(*list, 1, oldName, &index)) return 0;
    TCHAR full[kPathChars + 2];
    qvtext::CopyInto(full, kPathChars + 2, list->folder);
    if (Path_Append(kPathChars, full, newName, 0) == nullptr) return 0;
    TCHAR shortName[kShortNameUnits];
    if (!ShortNameOf(full, shortName)) return 0;
    FileListEntry &e = list->files.items[index];
    qvtext::CopyInto(e.find.name, kFileNameUnits, newName);
    // A short name equal to the long one is not kept, as the listing does.
    if (qvtext::CompareOrdinal(shortName, newName) == 0) shortName[0] = 0;
    qvtext::CopyInto(e.find.shortName, kShortNameUnits, shortName);
    FileEntry_SetHashes(&e, FileList_SystemText());
    if (list->classify) {
        FileListSettings settings;
        FileList_SettingsFromOptions(&settings);
        s_spiPrior = settings.spiPrior;
        e.type = FileEntry_Classify(e.find, settings.filter, LoaderOfName);
        FileList_NumberImages(list);
    }
    return 1;
}
