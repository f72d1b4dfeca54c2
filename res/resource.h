// Resource ids shared by the .rc files and the code.
#pragma once

#define IDI_APP 1
#define IDR_MANIFEST 1

// String table.
#define IDS_APP_TITLE 257
#define IDS_FORMAT_NAMES 264
#define IDS_INFO_FONT_FACE 267
#define IDS_INFO_FONT_PARAMS 268
#define IDS_DEFAULT_WINDOW_SIZE 270
#define IDS_HELP_ADDRESS 271
#define IDS_FILES_NOT_LAID_OUT 352
#define IDS_ASK_OVERWRITE 353
#define IDM_MAIN 60
#define IDS_MENU_WORD 262
#define IDS_GRID_NAMES 263
#define IDS_BAD_NAME_CHARS 356
#define IDS_START_FAILED 361
