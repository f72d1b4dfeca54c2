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
// Clipboard (res/clip.rc).
#define IDS_CLIP_DAMAGED 3720
// Edit commands (res/edit.rc).
#define IDS_MEKO_LOAD_FAILED 358
#define IDS_MEKO_TOO_LARGE 359
#define IDS_COPY_TOO_LARGE 360
// Tool bar and status bar (res/bars.rc): button strips, tool-tip mode,
// format and texts, status texts.
#define IDB_TOOLBAR 40
#define IDB_TOOLBAR32 41
#define IDS_TIP_MODE 272
#define IDS_TIP_FORMAT 273
#define IDS_TIP_FIRST 274
#define IDS_TIP_LAST 290
#define IDS_STATUS_NO_FILE 320
#define IDS_STATUS_SIZE 321
#define IDS_STATUS_POSITION 322
#define IDS_STATUS_ZOOM 323
#define IDS_STATUS_BYTES 324
#define IDS_STATUS_DATE 325
#define IDS_STATUS_SELECT_MODE 326
#define IDS_STATUS_SELECTION 327
#define IDS_STATUS_PIXEL 328
#define IDS_STATUS_UNSUPPORTED 329
#define IDS_STATUS_LOAD_ERROR 330
#define IDS_STATUS_NEW 331
#define IDS_STATUS_MOVED 332
#define IDS_STATUS_DELETED 333
#define IDS_STATUS_NOT_IN_LIST 334
#define IDS_STATUS_NO_DATE 335
// Recent folders.
#define IDS_DIR_OPEN_FAILED 363
// Saving checks (res/save.rc).
#define IDS_SAVE_READ_ONLY 354
#define IDS_SAVE_WRITE_FAILED 355
// Generated key resources: key names (UTF-16 and ANSI) and default key maps.
#define IDR_KEYNAMES_W 80
#define IDR_KEYNAMES_A 81
#define IDR_KEYMAP_W 82
#define IDR_KEYMAP_A 83
