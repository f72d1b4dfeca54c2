// The option panels of the save dialog and the writer of each format. A
// panel is a modeless child dialog described by a table of its controls:
// which option each control shows, and which controls are enabled only
// while another shows a given value. One procedure serves all four panels;
// the four descriptions live in qv_SaveBmpDlg, qv_SaveGifDlg, qv_SaveJpgDlg
// and qv_SavePngDlg.
#pragma once

#include <windows.h>

#include <cstdint>

#include "dlg/qv_SaveNameCore.h"
#include "image/qv_DibHolder.h"
#include "image/qv_SaveOptions.h"

enum class SaveCtl : uint8_t { Check, Edit, Combo };

struct SavePanelControl {
    int id;
    SaveCtl kind;
    SaveOpt option;
    int partnerId;  // Combo: the hidden static with its TAB-separated items; Edit: its up-down
    int itemCount;  // Combo: the number of items the static must hold
};

// `targets` (up to three, 0 ends) are enabled only while control `sourceId`
// is checked (Check: value 1) or has item `value` selected (Combo).
struct SavePanelEnable {
    int sourceId;
    SaveCtl sourceKind;
    int32_t value;
    int targets[3];
};

struct SavePanelSpec {
    const TCHAR *templateName;
    const TCHAR *helpTopic;
    const TCHAR *sourceFile;  // named in the report of a panel that cannot be created
    int32_t createError;      // number of that report
    const SavePanelControl *controls;
    int controlCount;
    const SavePanelEnable *enable;  // null: nothing depends on anything
    int needsUpDown;                // the template holds an up-down control
};

extern const SavePanelSpec g_saveBmpPanel;
extern const SavePanelSpec g_saveGifPanel;
extern const SavePanelSpec g_saveJpgPanel;
extern const SavePanelSpec g_savePngPanel;

// One slot per format in filter order: its panel and its writer.
struct SaveWriterSlot {
    const SavePanelSpec *panel;
    int (*write)(const TCHAR *path, DibHolder &picture);
};
// null for an index outside 0..3.
const SaveWriterSlot *SaveWriter_Slot(int format);

// Creates the panel, hidden, as a child of parent, its controls showing
// g_saveOptions. A panel that cannot be created is reported and null
// returned.
HWND SavePanel_Create(const SavePanelSpec &spec, HWND parent);
// Moves the panel into the rectangle of parent's control areaId (when it has
// one) and shows it, or hides it.
void SavePanel_Show(HWND panel, int show, HWND parent, int areaId);
// Reads the controls back into g_saveOptions, each limited to its range (a
// combo without a selection counts as item 0). The panel's command 1.
void SavePanel_Commit(HWND panel);
constexpr int kSavePanelCommit = 1;
