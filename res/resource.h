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
// Save dialog and format panels (res/save_dlg.rc).
#define IDS_SAVE_FILTER_BMP 338
#define IDS_SAVE_FILTER_GIF 339
#define IDS_SAVE_FILTER_JPEG 340
#define IDS_SAVE_FILTER_PNG 341
#define IDS_SAVE_NAME_DOT 342
// Controls of DLG_SAVE and of the panels (each panel its own dialog, so the
// panels reuse the numbers).
#define IDC_SAVE_CHECK1 2001
#define IDC_SAVE_CHECK2 2002
#define IDC_SAVE_COMBO1 2021
#define IDC_SAVE_COMBO2 2022
#define IDC_SAVE_EDIT 2031
#define IDC_SAVE_PANEL_AREA 2051
#define IDC_SAVE_ITEMS1 2081
#define IDC_SAVE_ITEMS2 2082
#define IDC_SAVE_TITLE_SAVE 2091
#define IDC_SAVE_TITLE_SAVE_AS 2092
#define IDC_SAVE_NOTE 2091
#define IDC_SAVE_UPDOWN 2161
// -- end of save dialog ids
// File operations and the rename dialog (res/fileope.rc).
#define DLG_RENAME_NAME_EDIT 2031
#define DLG_RENAME_EXT_EDIT 2032
#define DLG_RENAME_TOO_LONG 2091
#define IDS_ASK_CREATE_FOLDER 369
#define IDS_CREATE_FOLDER_FAILED 370
#define IDS_ILLEGAL_PATH 371
#define IDS_RENAME_CONTROL_CHAR 3740
#define IDS_RENAME_DOT_NAME 3741
#define IDS_RENAME_TRAILING_DOT 3742
#define IDS_RENAME_DEVICE_NAME 3743
// -- end of file operation ids
// Copy and move dialogs (res/cpymv.rc).
#define IDC_CPYMV_ASK_OVERWRITE 2001
#define IDC_CPYMV_EXTENDED 2002
#define IDC_CPYMV_EDIT_FIRST 2031
#define IDC_CPYMV_OK_FIRST 2061
#define IDC_CPYMV_BROWSE_FIRST 2071
#define IDC_CPYMV_MOVE_CAPTION 2091
#define IDC_CPYMV_MOVE_LABEL 2092
#define IDC_CPYMV_LABEL 2131
#define IDS_CPYMV_BROWSE_TITLE 260
// -- end of copy/move ids
// Generated key resources: key names (UTF-16 and ANSI) and default key maps.
#define IDR_KEYNAMES_W 80
#define IDR_KEYNAMES_A 81
#define IDR_KEYMAP_W 82
#define IDR_KEYMAP_A 83
// The rotate dialog (res/edit_dlg.rc).
#define IDC_ROTATE_ANGLE 2031
#define IDC_ROTATE_SWATCH 2051
#define IDC_ROTATE_CHOOSE 2061
// The canvas size and new picture dialogs (res/canvas_dlg.rc).
#define IDS_LARGE_PICTURE 357
#define IDC_IMGSIZE_ASPECT 2001
#define IDC_IMGSIZE_UNIT 2021
#define IDC_IMGSIZE_WIDTH 2031
#define IDC_IMGSIZE_HEIGHT 2032
#define IDC_IMGSIZE_SWATCH 2051
#define IDC_IMGSIZE_ANCHOR 2052
#define IDC_IMGSIZE_CHOOSE 2061
#define IDC_IMGSIZE_UNIT_ITEMS 2081
#define IDC_IMGSIZE_OLD_SIZE 2091
#define IDC_IMGSIZE_INVALID 2092
#define IDC_IMGSIZE_OLD_GROUP 2131
#define IDC_IMGSIZE_NEW_GROUP 2132
#define IDC_NEWIMG_DEPTH 2021
#define IDC_NEWIMG_NAME 2031
#define IDC_NEWIMG_WIDTH 2032
#define IDC_NEWIMG_HEIGHT 2033
#define IDC_NEWIMG_SWATCH 2051
#define IDC_NEWIMG_CHOOSE 2061
#define IDC_NEWIMG_DEPTH_ITEMS 2081
#define IDC_NEWIMG_INVALID 2091
#define IDC_NEWIMG_GROUP 2131
// -- end of canvas size and new picture ids
// The colour depth and zoom dialogs (res/depth_zoom_dlg.rc).
#define IDC_COLDEPTH_DITHER 2001
#define IDC_COLDEPTH_CURRENT 2091
#define IDC_COLDEPTH_8 2143
#define IDC_COLDEPTH_555 2144
#define IDC_COLDEPTH_565 2145
#define IDC_COLDEPTH_24 2146
#define IDC_COLDEPTH_OPTIMAL 2147
#define IDC_ZOOM_PERCENT 2031
#define IDC_ZOOM_UPDOWN 2161
// -- end of colour depth and zoom ids
// The resize dialog (res/resize_dlg.rc).
#define IDC_RESIZE_RESAMPLE 2001
#define IDC_RESIZE_KEEP_ASPECT 2002
#define IDC_RESIZE_SHARPEN 2003
#define IDC_RESIZE_PRINT_UNIT 2021
#define IDC_RESIZE_RES_UNIT 2022
#define IDC_RESIZE_REDUCE 2023
#define IDC_RESIZE_ENLARGE 2024
#define IDC_RESIZE_PIXELS_X 2031
#define IDC_RESIZE_PIXELS_Y 2032
#define IDC_RESIZE_PERCENT_X 2033
#define IDC_RESIZE_PERCENT_Y 2034
#define IDC_RESIZE_PRINT_X 2035
#define IDC_RESIZE_PRINT_Y 2036
#define IDC_RESIZE_RES_X 2037
#define IDC_RESIZE_RES_Y 2038
#define IDC_RESIZE_HALF 2061
#define IDC_RESIZE_DOUBLE 2062
#define IDC_RESIZE_PRINT_UNITS 2081
#define IDC_RESIZE_RES_UNITS 2082
#define IDC_RESIZE_REDUCE_ITEMS 2083
#define IDC_RESIZE_ENLARGE_ITEMS 2084
#define IDC_RESIZE_OLD_PIXELS 2091
#define IDC_RESIZE_REFUSED 2092
#define IDC_RESIZE_OLD_GROUP 2131
#define IDC_RESIZE_NEW_GROUP 2132
// -- end of resize ids
