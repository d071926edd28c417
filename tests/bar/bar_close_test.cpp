// The bar closed while a button click is being handled, from a message loop
// that runs inside the click: on Windows the shell's start call shows an
// error box for a missing target. Wine's shell shows none, so the window
// that the click hides (a controlled window) shows a message box of its own
// while it is being hidden. The bar must stay whole until the click has
// returned, then close and save. Also run under Wine's heap checking, which
// reports a write into a freed button.
#include <gtest/gtest.h>

#include "bar_form_close.h"
#include "bar_test_support.h"
#include "d01.h"
#include "desktop.h"
#include "fman.h"
#include "g01.h"
#include "qbtn.h"
#include "qini.h"
#include "s01.h"

using namespace bartest;

namespace {

HWND ErrorBox() { return DialogWindow(GetCurrentProcessId()); }

// A window of the test's own thread that shows a message box, once, when it
// is hidden.
const wchar_t* const kBoxClass = L"KBarCloseBox";
const wchar_t* const kBoxTitle = L"Shows a box when hidden";
bool boxShown = false;

LRESULT CALLBACK BoxWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_SHOWWINDOW && !wParam && !boxShown) {
        boxShown = true;
        MessageBoxW(hwnd, L"Cannot find the file.", nullptr, MB_ICONERROR);
    }
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

HWND MakeBoxWindow() {
    WNDCLASSW wc{};
    wc.lpfnWndProc = BoxWindowProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = kBoxClass;
    RegisterClassW(&wc);
    boxShown = false;
    return CreateWindowExW(0, kBoxClass, kBoxTitle, WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100, 300, 200, 100, nullptr,
                           nullptr, GetModuleHandleW(nullptr), nullptr);
}

class BarClose : public ::testing::Test {
protected:
    void SetUp() override { RemoveIniDir(); }
    void TearDown() override {
        if (HWND box = ErrorBox()) PostMessageW(box, WM_COMMAND, IDOK, 0);
        CloseBarForm(form);
        if (IsWindow(boxWindow)) DestroyWindow(boxWindow);
        RemoveIniDir();
    }
    TFDovrak* form = nullptr;
    HWND boxWindow = nullptr;
};

}  // namespace

TEST_F(BarClose, CloseDuringAClickWaitsForTheClickThenClosesAndSaves) {
    const std::wstring target = L"C:\\Tools\\boxes.exe";
    struct Case {
        const char* name;
        std::function<void()> close;      // asks the bar to close, inside the click
        std::function<bool()> closeCame;  // the close has reached the bar
    } cases[] = {
        {"WM_CLOSE", [] { SendMessageW(FDovrak->Handle(), WM_CLOSE, 0, 0); }, [] { return true; }},
        {"the exit command's tick", [] { SetTimerMode(2); },
         [] { return DM && DM->Timer && !DM->Timer->Enabled(); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        RemoveIniDir();
        boxWindow = MakeBoxWindow();
        ASSERT_TRUE(boxWindow);
        // The button controls that window: its click hides it.
        WriteIni({L"B1=" + RecordLine({target, kBoxClass, kBoxTitle, L"1"})});
        Application->CreateForm(&FDovrak);
        form = FDovrak;
        ASSERT_TRUE(BarState && ButtonArray);
        // The file comes back only from the close's save.
        ASSERT_TRUE(DeleteFileW(IniPath().c_str()));
        HWND button = ButtonArray->Buttons[0]->Handle();

        bool wholeWhileBusy = false;
        StepRunner steps;
        steps.Step("message box inside the click", [] { return ErrorBox() != nullptr; }, [&] { c.close(); })
            .Step("close refused", c.closeCame,
                  [&] {
                      wholeWhileBusy = BarState && BarState->ClickBusy == 1 && ButtonArray && ButtonStore && DM &&
                                       IsWindow(button);
                      PostMessageW(ErrorBox(), WM_COMMAND, IDOK, 0);
                  });
        steps.Arm(20000, [] {
            if (HWND box = ErrorBox()) PostMessageW(box, WM_COMMAND, IDOK, 0);
        });
        // A left click on the button, as the system delivers it.
        SendMessageW(button, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
        SendMessageW(button, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
        EXPECT_TRUE(steps.Disarm()) << steps.Pending();
        EXPECT_TRUE(wholeWhileBusy);
        EXPECT_FALSE(IsWindowVisible(boxWindow));  // the click went its whole road
        EXPECT_TRUE(BarState && BarState->ClickBusy == 0);

        // The refused close is made again from the message loop.
        EXPECT_TRUE(testdesk::WaitUntil([] { return BarState == nullptr; }, 10000));
        DrainQuit();
        EXPECT_FALSE(BarState || DM || ButtonStore || ButtonArray);
        EXPECT_EQ(FieldOf(ValueOf(ReadIni(), L"B1"), 1), target);
        EXPECT_TRUE(IsWindowVisible(boxWindow));  // the close gave the hidden window back
        delete form;
        form = nullptr;
        DestroyWindow(boxWindow);
    }
}
