#include "image/qv_MekoLoad.h"

#include "image/qv_CellMask.h"
#include "other/qv_CmdLine.h"
#include "other/qv_Mem.h"
#include "util/qv_FileStream.h"

namespace {

GMemBlock s_block;      // the data bytes; locked once while a table is held
uint32_t s_count = 0;   // entries; 0 = no table

bool TableSource(MekoTable *out) {
    if (s_count == 0 && !Meko_LoadTable()) return false;
    return Meko_HeldTable(out);
}

}  // namespace

int Meko_LoadTableFrom(const TCHAR *programFolder) {
    Meko_FreeTable();
    if (programFolder == nullptr || programFolder[0] == 0) return 0;
    FileStream file;
    const TCHAR *const pieces[] = {programFolder, TEXT("data\\mekorand.dat"), nullptr};
    if (!File_SetPathJoined(pieces, &file) || !File_OpenRead(0, &file)) return 0;
    uint8_t head[kMekoHeaderBytes];
    MekoTableHeader header;
    if (!File_ReadExact(head, &file, sizeof head) ||
        MekoTable_ParseHeader(head, sizeof head, &header) != kMekoTableOk)
        return 0;
    if (GMem_Alloc(header.length, &s_block) == nullptr) return 0;
    uint8_t *data = static_cast<uint8_t *>(GMem_Lock(&s_block));
    uint32_t got = 0;
    MekoTable table;
    const bool ok = data != nullptr && File_Read(data, &got, header.length, &file) &&
                    MekoTable_CheckData(header, data, got, &table) == kMekoTableOk;
    File_Close(&file);
    if (!ok) {
        GMem_Release(&s_block);
        return 0;
    }
    s_count = table.count;
    return 1;
}

int Meko_LoadTable() { return Meko_LoadTableFrom(g_cmdLine.programDir); }

void Meko_FreeTable() {
    s_count = 0;
    GMem_Release(&s_block);
}

bool Meko_HeldTable(MekoTable *out) {
    if (s_count == 0 || s_block.locked == nullptr) return false;
    out->data = static_cast<const uint8_t *>(s_block.locked);
    out->count = s_count;
    return true;
}

void Meko_InstallTableSource() { g_mekoTableSource = TableSource; }
