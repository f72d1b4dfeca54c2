#include "support/edit_fixture.h"

#include "image/qv_DibApi.h"
#include "image/qv_EditCommands.h"
#include "image/qv_ImgData.h"
#include "image/qv_PixelValue.h"
#include "image/qv_Selection.h"
#include "image/qv_Undo.h"
#include "image/qv_View.h"
#include "image/qv_ViewLayout.h"
#include "image/qv_ViewPaint.h"
#include "other/qv_Frame.h"
#include "other/qv_Globals.h"
#include "other/qv_Menu.h"
#include "other/qv_MenuStateCore.h"
#include "other/qv_Settings.h"
#include "support/real_frame.h"
#include "support/view_fixture.h"

void PrintTo(const Shot &s, std::ostream *os) {
    *os << s.width << " x " << s.height << ":";
    for (size_t i = 0; i < s.pixels.size() && i < 8; ++i) *os << " " << std::hex << s.pixels[i] << std::dec;
}

// The bytes of the held picture: header, table and rows. The image size
// field is left out: a turn and its inverse may leave it 0, which is valid
// for uncompressed rows.
std::string HeldBytes() {
    const DibData *d = g_imgData.image.data;
    if (d == nullptr) return {};
    std::string out(reinterpret_cast<const char *>(d->header), d->headerSize);
    if (out.size() >= 24) out.replace(20, 4, 4, '\0');
    out.append(reinterpret_cast<const char *>(d->bits), d->bitsSize);
    return out;
}

void EditFixture::SetUp() {
    ASSERT_TRUE(folder_.Open());
    ASSERT_TRUE(lib_.ok()) << lib_.problem();
    RealFrame_Reset();
    boxes_ = std::make_unique<CaptureBoxes>();  // error reports are recorded, not shown
    ClearImgData();
    g_settings.undoMax = 1;
    ASSERT_EQ(Frame_Create(g_process.instance, SW_SHOWNORMAL), 0);
    ASSERT_EQ(Frame_CreateMenus(), 1);
    frame_ = g_process.frameWindow;
    ASSERT_EQ(View_AttachState(), 1);  // painting and scrolling, as start-up attaches them
    Undo_InstallHooks();
    Undo_SyncEnabled();
    DibHolder picture;
    ASSERT_TRUE(MakePicture(picture, kFixtureSide, kFixtureSide, 7));
    ASSERT_EQ(ImgData_SetNewImage(picture, TEXT("fixture")), 1);
    ASSERT_EQ(ImgData_ApplyZoomMode(kZoomReqActual, 0), 1);
    RealFrame_Drain();
}

void EditFixture::TearDown() {
    Sel_Clear();
    ImgData_Reset();
    RealFrame_Destroy(frame_);
    ClearImgData();
    boxes_.reset();
}

Shot EditFixture::Screen() {
    RealFrame_Drain();
    HWND view = g_process.viewWindow;
    RedrawWindow(view, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    Shot s;
    s.width = DibHolder_GetWidth(g_imgData.image);
    s.height = DibHolder_GetHeight(g_imgData.image);
    // Where the view places the picture (centred or at the corner).
    RECT client{};
    GetClientRect(view, &client);
    const PictureLayout at =
        ViewLayout_Place(client.right, client.bottom, s.width, s.height, g_viewPaint.centre != 0);
    HDC dc = GetDC(view);
    for (int32_t y = 0; y < s.height; ++y)
        for (int32_t x = 0; x < s.width; ++x)
            s.pixels.push_back(GetPixel(dc, at.picture.left + x, at.picture.top + y) & 0xFFFFFF);
    ReleaseDC(view, dc);
    return s;
}

Shot EditFixture::Held() {
    Shot s;
    s.width = DibHolder_GetWidth(g_imgData.image);
    s.height = DibHolder_GetHeight(g_imgData.image);
    for (int32_t y = 0; y < s.height; ++y)
        for (int32_t x = 0; x < s.width; ++x)
            s.pixels.push_back(Dib_GetPixelColour(x, g_imgData.image.handle, y));
    return s;
}

void EditFixture::Command(UINT id) {
    SendMessage(frame_, WM_COMMAND, id, 0);
    RealFrame_Drain();
}

bool EditFixture::UndoEnabledInMenu() {
    HMENU edit = Menu_GetPopupByIndex(kMenuEdit);
    SendMessage(frame_, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(edit), 0);
    return (GetMenuState(edit, kCmdUndo, MF_BYCOMMAND) & MF_GRAYED) == 0;
}

void EditFixture::Show(const std::function<COLORREF(int32_t, int32_t)> &colour, int32_t side) {
    DibHolder picture;
    ASSERT_TRUE(MakePictureFrom(picture, side, side, colour));
    ASSERT_EQ(ImgData_SetNewImage(picture, TEXT("fixture")), 1);
    ASSERT_EQ(ImgData_ApplyZoomMode(kZoomReqActual, 0), 1);
    RealFrame_Drain();
}

void EditFixture::Select(int32_t left, int32_t top, int32_t right, int32_t bottom) {
    Sel_SetActive(1);
    const RECT inclusive{left, top, right - 1, bottom - 1};
    Sel_SetRect(&inclusive);
}

