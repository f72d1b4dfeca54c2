// Stand-ins for dibcore.dll that only answer the loader's questions: a
// version word and a set of exported names, some left out on purpose.
#include <cstdint>

#define EXPORT extern "C" __declspec(dllexport)

EXPORT uint32_t __stdcall DibcoreVersionDW() { return FAKE_VERSION; }

#define ENTRY(Name) EXPORT intptr_t __stdcall Name() { return 0; }
#ifndef FAKE_MISSING_COPYDIB
ENTRY(CopyDIB)
#endif
#ifndef FAKE_MISSING_PNGTODIB
ENTRY(PNGtoDIB)
#endif
#ifndef FAKE_MISSING_INFOGIFM
ENTRY(InfoGIFM)
#endif
ENTRY(DeleteDIB) ENTRY(DataDIB) ENTRY(CreateDIB) ENTRY(CutDIB) ENTRY(TurnDIB) ENTRY(DIBto24Bit)
ENTRY(DIBto16BitEx) ENTRY(DIBto8Bit) ENTRY(TurnDIBex) ENTRY(DIBtoRLE) ENTRY(RLEtoDIB) ENTRY(DIBtoBMP) ENTRY(BMPtoDIB)
ENTRY(JPGtoDIB) ENTRY(BMPMtoDIB) ENTRY(JPGMtoDIB) ENTRY(PNGMtoDIB) ENTRY(DIBtoJPG) ENTRY(DIBtoPNGex) ENTRY(DIBtoGIFex)
ENTRY(PNGAtoDIB) ENTRY(PNGMAtoDIB) ENTRY(InfoPNG) ENTRY(InfoPNGM) ENTRY(GIFtoDIBex) ENTRY(GIFMtoDIBex) ENTRY(InfoGIF)
ENTRY(GIFAniToDIB) ENTRY(GIFMAniToDIB)
