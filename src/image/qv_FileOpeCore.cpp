#include "image/qv_FileOpeCore.h"

uint16_t FileOpe_TransferFlags(bool askOverwrite) {
    return askOverwrite ? kFofAllowUndo : uint16_t(kFofAllowUndo | kFofNoConfirmation);
}

uint16_t FileOpe_DeleteFlags(bool confirm, bool toRecycleBin, bool permanent) {
    uint16_t flags = confirm ? 0 : kFofNoConfirmation;
    if (toRecycleBin && !permanent) flags |= kFofAllowUndo | kFofWantNukeWarning;
    return flags;
}

bool FileOpe_IsDone(int operation, const FileOpeAfter &after) {
    if (after.shellResult != 0 || after.aborted) return false;
    switch (operation) {
        case kOpeCopy:
        case kOpeRename: return after.targetExists;
        case kOpeMove: return after.targetExists && !after.sourceExists;
        case kOpeDelete: return !after.sourceExists;
        default: return false;
    }
}

bool FileOpe_IsAllowed(int operation, const FileOpeFacts &facts) {
    if (operation < kOpeCopy || operation > kOpeDelete) return false;
    if (!facts.hasList || (facts.isArchive && operation != kOpeCopy)) return false;
    return facts.hasFile && facts.hasPathAndName && facts.exists;
}

int FileOpe_FromMenuOperation(int menuOperation) {
    static constexpr int kByMenu[] = {kOpeRename, kOpeMove, kOpeCopy, kOpeDelete};
    return menuOperation >= 0 && menuOperation < 4 ? kByMenu[menuOperation] : 0;
}
