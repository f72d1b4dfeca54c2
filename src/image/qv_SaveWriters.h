// The four format writers of the save commands: (target path, picture) ->
// 1 written, 0 failed, with the options of g_saveOptions. Each writes straight
// to the path it is given; the picture in memory is left as it was.
#pragma once

#include <windows.h>

#include "image/qv_DibHolder.h"

int SaveBmp_Write(const TCHAR *path, DibHolder &picture);
int SaveGif_Write(const TCHAR *path, DibHolder &picture);
int SaveJpeg_Write(const TCHAR *path, DibHolder &picture);
int SavePng_Write(const TCHAR *path, DibHolder &picture);
