// Resource ids shared by the .rc files and the code.
#pragma once

#define IDI_APP 1
#define IDR_MANIFEST 1

// String table.
#define IDS_APP_TITLE 257
#define IDS_UNTITLED 261
#define IDS_LOADING 304
#define IDS_FORMAT_NAMES 264
#define IDS_INFO_FONT_FACE 267
#define IDS_INFO_FONT_PARAMS 268
#define IDS_DEFAULT_WINDOW_SIZE 270
#define IDS_HELP_ADDRESS 271
#define IDS_FILES_NOT_LAID_OUT 352
#define IDS_ASK_OVERWRITE 353
#define IDS_TITLE_POSITION 305
#define IDS_TITLE_ZOOM 306
#define IDS_TITLE_FIT 307
#define IDS_TITLE_LOCK 308
#define IDS_TITLE_ARCHIVE 309
#define IDS_TITLE_SPREAD 310
#define IDS_TITLE_SLIDESHOW 311
#define IDS_TITLE_TRANSPARENT 312
#define IDS_TITLE_ANIMATION 313
#define IDM_MAIN 60
#define IDM_CATALOGUE 61
#define IDS_MENU_WORD 262
#define IDS_GRID_NAMES 263
#define IDS_BAD_NAME_CHARS 356
#define IDS_START_FAILED 361
#define IDS_CUSTOM_WRITE_FAILED 380
// Generated key resources: key names (UTF-16 and ANSI) and default key maps.
#define IDR_KEYNAMES_W 80
#define IDR_KEYNAMES_A 81
#define IDR_KEYMAP_W 82
#define IDR_KEYMAP_A 83
