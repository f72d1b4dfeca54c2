// The file list's rules are templates over the text unit; instantiating them
// here for each unit the programs and tests use keeps both flavours compiling
// in the portable library.
#include "image/qv_FileListArchive.h"
#include "image/qv_FileListCore.h"

#define QV_FILELIST_INSTANTIATE(Ch)                                                                              \
    template int32_t FileList_Navigate<Ch>(int32_t, int32_t, int32_t, const FileListT<Ch> &, uint32_t *);       \
    template bool FileList_Sort<Ch>(int, FileListT<Ch> *, uint32_t, bool, bool, uint32_t *,                      \
                                    const FileListText<Ch> &);                                                   \
    template int FileList_ScanArchiveBlock<Ch>(FileListT<Ch> *, void *, size_t, void (*)(void *),                \
                                               LoaderForName<Ch>, const FileListText<Ch> &);                     \
    template bool FileList_RemoveEntry<Ch>(FileListT<Ch> *, const Ch *, const FileListText<Ch> &);              \
    template bool FileList_MoveCurrentFirst<Ch>(const Ch *, FileListT<Ch> *, bool, uint32_t *,                   \
                                                const FileListText<Ch> &);                                       \
    template bool FileList_FindArchivePath<Ch>(const Ch *, const FileListT<Ch> &, int32_t *);

QV_FILELIST_INSTANTIATE(char)
QV_FILELIST_INSTANTIATE(wchar_t)
#if !defined(_WIN32)
QV_FILELIST_INSTANTIATE(char16_t)
#endif
