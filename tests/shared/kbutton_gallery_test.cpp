// Starts the button gallery, waits until it has painted every button, checks
// one face on the screen and saves a screenshot of the window in the build
// tree (screenshots/kbutton_gallery.bmp) for a look at every face.
#include "desktop.h"
#include "gallery_layout.h"

#include <gtest/gtest.h>

namespace {

TEST(KButtonGallery, ShowsEveryFaceAndSavesAScreenshot) {
    testdesk::MoveMouse(1270, 1010);  // no button under the mouse
    testdesk::Process gallery = testdesk::Start(testdesk::WinPath(KBUTTON_GALLERY_EXE));
    ASSERT_NE(gallery.handle, nullptr);
    HWND window = testdesk::WaitWindow(gallery::kClass, gallery::kTitle, gallery.pid, 20000);
    ASSERT_NE(window, nullptr);

    POINT origin{0, 0};
    ClientToScreen(window, &origin);
    RECT client{};
    GetClientRect(window, &client);
    EXPECT_EQ(client.right, gallery::kClientWidth);
    EXPECT_EQ(client.bottom, gallery::kClientHeight);
    // The flat reference button shows its 0xE8E8E8 face.
    EXPECT_TRUE(testdesk::WaitUntil([&] {
        return testdesk::ScreenPixel(origin.x + gallery::kReferenceLeft + gallery::kReferenceWidth / 2,
                                     origin.y + gallery::kReferenceTop + gallery::kReferenceHeight / 2) ==
               RGB(232, 232, 232);
    }));

    const std::wstring folder = testdesk::WinPath(KBUTTON_SCREENSHOT_DIR);
    testdesk::MakeDirs(folder);
    RECT area = testdesk::ScreenRect(window);
    EXPECT_TRUE(testdesk::SaveScreenshot(folder + L"\\kbutton_gallery.bmp", &area));

    PostMessageW(window, WM_CLOSE, 0, 0);
    DWORD code = 1;
    if (!gallery.WaitExit(10000, &code)) gallery.Kill();
    EXPECT_EQ(code, 0u);
    gallery.Close();
}

}  // namespace
