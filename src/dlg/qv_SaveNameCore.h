// The decisions of Save and Save As that need no window: which formats and
// extensions there are, whether Save must ask for a name, how a typed name
// gets its extension, how a number typed in an option panel is limited and
// how a [Save] key of the configuration file is admitted. Portable; the
// name functions take either text unit.
#pragma once

#include <cstddef>
#include <cstdint>

struct OptRow;

// Format indexes (filter index - 1).
enum SaveFormat : int { kSaveBmp = 0, kSaveGif = 1, kSaveJpeg = 2, kSavePng = 3, kSaveFormatCount = 4 };

// The format's extensions in lower case, the default first; null (count 0)
// for an index outside 0..3.
const char *const *SaveFormat_Extensions(int format, int *count);
// The format a picture's loader reads, or -1 (plug-ins, archives, none).
int SaveFormat_FromLoader(int32_t loaderId);
// The filter index remembered in the configuration: 1..4; anything else is
// not a filter.
inline bool SaveFormat_IsFilter(int32_t filter) { return filter >= 1 && filter <= kSaveFormatCount; }

// What decides between writing over the picture's file and asking for a name.
struct SavePlanFacts {
    int saveAsAsked;       // the command was Save As
    int32_t loaderId;      // the loader that read the picture
    int hasFile;           // the picture is a file on disk where it was read
    int archiveMember;     // the picture came out of an archive
    int spread;            // two pages shown side by side as one picture
    int32_t rememberedFilter;  // the last Save As filter index
};
struct SavePlan {
    int saveAs;  // ask for the name (the dialog as Save As)
    int format;  // the format offered first
};
// Save writes over the picture's own file only when that file is one of the
// four formats: a picture from a plug-in, from an archive, without a file,
// or a two-page spread (whose first page's file holds one page only) is
// saved as Save As. The format offered is the picture's own when known.
SavePlan SaveFileDlg_PlanSave(const SavePlanFacts &facts);

// Index of the first unit of the last path component.
template <class Ch>
size_t SaveName_NameStart(const Ch *path);
// Index of the dot that starts the extension of the last component, or the
// length of path when it has none.
template <class Ch>
size_t SaveName_ExtensionDot(const Ch *path);

// How SaveFileDlg_FixExtension treats a name.
template <class Ch>
struct SaveNameRules {
    int format;             // the chosen format (0..3)
    int sameFormatSave;     // Save with the picture's own format still chosen
    const Ch *sourceStem;   // Save: the picture's path without its extension (or null)
    const Ch *sourceExt;    // the picture's extension without the dot (or null)
    int upper;              // an appended extension in upper case
};

enum SaveNameFix : int {
    kSaveNameRefused = -1,   // the name is empty or would end in a bare dot
    kSaveNameKept = 0,       // the name already ends in a fitting extension
    kSaveNameExtended = 1,   // an extension was appended
    kSaveNameNoRoom = 2,     // no room for even the dot: the name stays without extension
};

// Gives the name in `name` (capacity units with the terminator) the
// extension its format needs. A name that would end in a dot is refused:
// the file system drops a trailing dot, so "photo." would silently become
// "photo".
template <class Ch>
int SaveFileDlg_FixExtension(Ch *name, size_t capacity, const SaveNameRules<Ch> &rules);

// A number typed into a panel's edit: 1 when the text is a number outside
// [min, max] and must be replaced by *out; 0 when it may stay (a number in
// range, an empty text, a lone sign, or no number at all).
template <class Ch>
int SavePanel_TypedValue(const Ch *text, int32_t min, int32_t max, int32_t *out);

// A [Save] key's value under its table row's rule (flag, clamp, refuse,
// any). 1 with *out the value to keep; 0 when the value is refused.
int SaveCfg_Admit(const OptRow *row, int32_t value, int32_t *out);
