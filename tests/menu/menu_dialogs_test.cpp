// The menu program's option and item edit dialogs in this process: their
// controls, what OK and Cancel store, the immediate re-layout of the open
// item menu, the icon preview, the folder browser and the sibling-program
// menu of the edit dialog. The dialogs are shown modally by their commands
// and driven while their loops run, or made directly for table cases.
#include <gtest/gtest.h>

#include "bar_test_support.h"
#include "key_walk.h"
#include "desktop.h"
#include "dsetup.h"
#include "f01.h"
#include "fedit.h"
#include "fmenu.h"
#include "foption.h"
#include "g01.h"
#include "qbtn.h"
#include "qini.h"
#include "item_lines.h"
#include "s01.h"
#include "s02.h"
#include "winhelper.h"

#include <shlobj.h>

#include <string>
#include <vector>

using bartest::CentreOf;
using bartest::Click;
using bartest::FocusedName;
using bartest::Shown;
using bartest::StepRunner;

namespace {

using Lines = std::vector<std::wstring>;

DWORD Pid() { return ::GetCurrentProcessId(); }

std::wstring TextOf(TControl* c) { return c->Text(); }

std::wstring Lower(std::wstring text) {
    ::CharLowerW(text.data());
    return text;
}

void RescueLoops() {
    ::EndMenu();
    if (HWND box = bartest::DialogWindow(Pid())) ::PostMessageW(box, WM_COMMAND, IDCANCEL, 0);
    if (FormEdit) FormEdit->SetModalResult(mrCancel);
    if (FormOption) FormOption->SetModalResult(mrCancel);
}

using itemlines::Hex;
using itemlines::Item;

// Whether every pixel of the bitmap has the colour.
bool Plain(TBitmap* bitmap, TColor color) {
    for (int y = 0; y < bitmap->Height(); ++y)
        for (int x = 0; x < bitmap->Width(); ++x)
            if (bitmap->Canvas()->Pixel(x, y) != ColorToRGB(color)) return false;
    return true;
}

std::string Show(const RECT& r) {
    return "(" + std::to_string(r.left) + ", " + std::to_string(r.top) + ") " + std::to_string(r.right - r.left) +
           " x " + std::to_string(r.bottom - r.top);
}

RECT Bounds(TControl* c) { return c->BoundsRect(); }
RECT Rect(int left, int top, int width, int height) { return RECT{left, top, left + width, top + height}; }

#define EXPECT_PLACE(control, left, top, width, height) \
    EXPECT_EQ(Show(Bounds(control)), Show(Rect(left, top, width, height))) << #control

class MenuDialogs : public ::testing::Test {
protected:
    void SetUp() override {
        MenuSettings = new TMenuSettings();
        MenuSettings->ColorMode = 2;
        MenuSettings->ButtonColor = 0x203040;
        MenuSettings->TextColor = 0x00FFEE;
        MenuSettings->ItemHeight = MenuItemHeight(MenuSettings->FontName, MenuSettings->FontSize);
        MenuSettings->ExeDir = L"C:\\";
        FPelnor = new TFPelnor(nullptr);
        FPelnor->HandleNeeded();
        menu = new TKMenu(FPelnor);
        FPelnor->ItemMenu = menu;
        programs = ProgramFilesFolder() + L"\\Kestovar";
        programsExisted = ::GetFileAttributesW(programs.c_str()) != INVALID_FILE_ATTRIBUTES;
        testdesk::MoveMouse(::GetSystemMetrics(SM_CXSCREEN) - 5, ::GetSystemMetrics(SM_CYSCREEN) - 5);
    }
    void TearDown() override {
        delete FormOption;
        delete FormEdit;
        FPelnor->ItemMenu = nullptr;
        delete menu;
        delete FPelnor;
        FPelnor = nullptr;
        delete MenuSettings;
        MenuSettings = nullptr;
        for (const auto& f : installed) ::DeleteFileW(f.c_str());
        if (!programsExisted) testdesk::RemoveTree(programs);
        testdesk::PumpMessages();
    }
    void ShowMenu(const Lines& lines, int x = 100, int y = 100) {
        for (const auto& line : lines) menu->Items->AddLine(line.c_str());
        menu->SetLeft(x);
        menu->SetTop(y);
        menu->ArrangeWindow();
        menu->DrawItems();
        menu->Show();
    }
    // A dialog made as its command makes it, not shown.
    template <class T>
    T* Make(T*& global) {
        global = new T(FPelnor);
        global->HandleNeeded();
        global->DoCreate();
        return global;
    }
    void RunModal(StepRunner& steps, const std::function<void()>& command) {
        steps.Arm(20000, RescueLoops);
        command();
        const bool done = steps.Disarm();
        EXPECT_TRUE(done) << "steps stopped before: " << steps.Pending();
        EXPECT_FALSE(steps.TimedOut());
        testdesk::WaitUntil([] { return !bartest::ShownMenuWindow(Pid()) && !bartest::DialogWindow(Pid()); }, 3000);
    }
    // A copy of winhelper.exe as the program file of a sibling program.
    std::wstring Install(const std::wstring& relative) {
        const std::wstring path = programs + L"\\" + relative;
        testdesk::MakeDirs(path.substr(0, path.find_last_of(L'\\')));
        ::CopyFileW(winhelper::Path().c_str(), path.c_str(), FALSE);
        installed.push_back(path);
        return path;
    }
    RECT MenuRect() { return testdesk::ScreenRect(menu->Handle()); }

    TKMenu* menu = nullptr;
    std::wstring programs;
    bool programsExisted = false;
    std::vector<std::wstring> installed;
};

}  // namespace

// --- the option dialog -------------------------------------------------------------

TEST_F(MenuDialogs, OptionDialogHoldsItsControlsWhereTheyBelong) {
    MenuSettings->FontName = L"Arial";
    MenuSettings->FontSize = 11;
    MenuSettings->ButtonWidth = 320;
    TFormOption* d = Make(FormOption);
    EXPECT_EQ(TextOf(d), L"オプション");
    EXPECT_EQ(d->BorderStyle(), bsDialog);
    EXPECT_EQ(d->Position(), poScreenCenter);
    EXPECT_EQ(d->ClientWidth(), 234);
    EXPECT_EQ(d->ClientHeight(), 378);
    EXPECT_EQ(d->Font()->Name(), L"MS UI Gothic");
    EXPECT_EQ(d->Font()->Height(), -12);
    EXPECT_EQ(TextOf(d->LabelAbort), L"Pelnor");
    EXPECT_EQ(d->LabelAbort->Font()->Name(), L"Arial");
    EXPECT_EQ(d->LabelAbort->Font()->Height(), -19);
    EXPECT_EQ(d->LabelAbort->Left(), 12);
    EXPECT_EQ(d->LabelAbort->Top(), 12);
    EXPECT_EQ(TextOf(d->LabelVersion), L"Version 0.02");
    EXPECT_EQ(d->LabelVersion->Left(), 80);
    EXPECT_EQ(d->LabelVersion->Top(), 20);
    // Where a wide face for the name reaches under it, the version is drawn
    // over the name: each of its corners shows the version.
    const RECT version = d->LabelVersion->BoundsRect();
    for (const POINT p : {POINT{version.left, version.top}, POINT{version.right - 1, version.top},
                          POINT{version.left, version.bottom - 1}, POINT{version.right - 1, version.bottom - 1}})
        EXPECT_EQ(::ChildWindowFromPointEx(d->Handle(), p, CWP_ALL), d->LabelVersion->Handle()) << p.x << ", " << p.y;
    for (TButton* b : {d->ButtonOk, d->ButtonCancel}) {
        EXPECT_FALSE(b->Default());
        EXPECT_FALSE(b->Cancel());
    }
    EXPECT_PLACE(d->SB_Help, 203, 12, 23, 22);
    EXPECT_EQ(d->SB_Help->Glyph()->Width(), 16);
    EXPECT_PLACE(d->GroupBoxDispMenu, 8, 100, 218, 141);
    EXPECT_EQ(TextOf(d->GroupBoxDispMenu), L"メニューの表示");
    EXPECT_EQ(d->CheckBoxTransparent->Parent(), d->GroupBoxDispMenu);
    EXPECT_EQ(d->CheckBoxTransparent->Left(), 15);
    EXPECT_EQ(d->CheckBoxTransparent->Top(), 20);
    EXPECT_EQ(TextOf(d->CheckBoxTransparent), L"半透明にする");
    struct LabelCase {
        TLabel* label;
        TWinControl* parent;
        int left, top;
        const wchar_t* text;
    } labels[] = {
        {d->Label1, d->GroupBoxDispMenu, 15, 58, L"フォント名:"}, {d->Label2, d->GroupBoxDispMenu, 15, 85, L"サイズ:"},
        {d->Label3, d->GroupBoxDispMenu, 15, 110, L"幅:"},      {d->Label4, d->GroupBoxColor, 9, 20, L"ボタン:"},
        {d->Label5, d->GroupBoxColor, 9, 50, L"テキスト:"},
    };
    for (const auto& l : labels) {
        EXPECT_EQ(l.label->Parent(), l.parent) << testdesk::Narrow(l.text);
        EXPECT_EQ(l.label->Left(), l.left) << testdesk::Narrow(l.text);
        EXPECT_EQ(l.label->Top(), l.top) << testdesk::Narrow(l.text);
        EXPECT_EQ(TextOf(l.label), l.text);
        EXPECT_GT(l.label->Width(), 0);
    }
    EXPECT_EQ(d->ComboBoxFontName->Left(), 72);
    EXPECT_EQ(d->ComboBoxFontName->Top(), 56);
    EXPECT_EQ(d->ComboBoxFontName->Width(), 139);
    EXPECT_EQ(d->ComboBoxFontSize->Left(), 72);
    EXPECT_EQ(d->ComboBoxFontSize->Top(), 82);
    EXPECT_EQ(d->ComboBoxFontSize->Width(), 49);
    EXPECT_EQ(d->ComboBoxWidth->Left(), 72);
    EXPECT_EQ(d->ComboBoxWidth->Top(), 108);
    EXPECT_EQ(d->ComboBoxWidth->Width(), 49);
    for (TComboBox* box : {d->ComboBoxFontName, d->ComboBoxFontSize, d->ComboBoxWidth}) {
        EXPECT_EQ(box->Style(), csDropDown);
        EXPECT_EQ(box->Parent(), d->GroupBoxDispMenu);
    }
    EXPECT_EQ(d->ComboBoxFontName->Items()->Lines(), Screen->Fonts()->Lines());
    EXPECT_GT(d->ComboBoxFontName->Items()->Count(), 0);
    EXPECT_EQ(d->ComboBoxFontSize->Items()->Lines(), (Lines{L"8", L"9", L"10", L"11", L"12", L"14", L"16", L"18", L"20"}));
    EXPECT_EQ(d->ComboBoxWidth->Items()->Lines(), (Lines{L"100", L"150", L"200", L"250", L"300"}));
    EXPECT_EQ(TextOf(d->ComboBoxFontName), L"Arial");
    EXPECT_EQ(TextOf(d->ComboBoxFontSize), L"11");
    EXPECT_EQ(TextOf(d->ComboBoxWidth), L"320");
    EXPECT_PLACE(d->GroupBoxColor, 8, 255, 218, 81);
    EXPECT_EQ(TextOf(d->GroupBoxColor), L"カラー");
    struct SwatchCase {
        TKButton* swatch;
        int top, tag;
        TColor face;
    } swatches[] = {{d->ButtonColorButton, 15, 1, 0x203040}, {d->TextColorButton, 45, 2, 0x00FFEE}};
    for (const auto& s : swatches) {
        ASSERT_NE(s.swatch, nullptr);
        EXPECT_EQ(s.swatch->Owner(), d->GroupBoxColor);
        EXPECT_EQ(s.swatch->Parent(), d->GroupBoxColor);
        EXPECT_PLACE(s.swatch, 78, s.top, 88, 22);
        EXPECT_EQ(s.swatch->Tag, s.tag);
        EXPECT_EQ(s.swatch->Style(), qsSingle);
        EXPECT_EQ(s.swatch->FaceColor(), s.face);
        EXPECT_TRUE(s.swatch->Enabled());
        EXPECT_TRUE(s.swatch->Visible());
    }
    EXPECT_PLACE(d->ButtonOk, 70, 349, 75, 22);
    EXPECT_EQ(TextOf(d->ButtonOk), L"OK");
    EXPECT_EQ(d->ButtonOk->ModalResult(), mrOK);
    EXPECT_PLACE(d->ButtonCancel, 151, 349, 75, 22);
    EXPECT_EQ(TextOf(d->ButtonCancel), L"キャンセル");
    EXPECT_EQ(d->ButtonCancel->ModalResult(), mrCancel);
    for (TButton* b : {d->ButtonOk, d->ButtonCancel}) EXPECT_EQ(b->Anchors(), akRight | akBottom);
    EXPECT_EQ(d->ColorDialog->Owner(), d);
    EXPECT_EQ(d->ColorDialog->CustomColors()->Lines(), (Lines{L"ColorA=984E00", L"ColorB=D8E9EC"}));
    EXPECT_FALSE(d->CheckBoxTransparent->Checked());
}

TEST_F(MenuDialogs, OkClampsTheFontSizeAndTheWidth) {
    struct Case {
        const wchar_t *size, *width;
        int fontSize, buttonWidth;
    } cases[] = {
        {L"", L"x", 9, 150},   {L"6", L"50", 8, 100},   {L"24", L"400", 20, 400},
        {L"abc", L"500", 9, 400}, {L"14", L"350", 14, 350}, {L"8", L"100", 8, 100},
    };
    for (const Case& c : cases) {
        TFormOption* d = Make(FormOption);
        d->ComboBoxFontName->SetText(L"Tahoma");
        d->ComboBoxFontSize->SetText(c.size);
        d->ComboBoxWidth->SetText(c.width);
        d->ButtonOkClick(d->ButtonOk);
        EXPECT_EQ(MenuSettings->FontSize, c.fontSize) << testdesk::Narrow(c.size);
        EXPECT_EQ(MenuSettings->ButtonWidth, c.buttonWidth) << testdesk::Narrow(c.width);
        EXPECT_EQ(MenuSettings->ItemHeight, MenuItemHeight(L"Tahoma", c.fontSize));
        delete FormOption;
        EXPECT_EQ(FormOption, nullptr);
    }
    // A font name that the list does not hold is taken as typed.
    TFormOption* d = Make(FormOption);
    d->ComboBoxFontName->SetText(L"No Such Face");
    d->ButtonOkClick(d->ButtonOk);
    EXPECT_EQ(MenuSettings->FontName, L"No Such Face");
}

TEST_F(MenuDialogs, TranslucentKeepsTheStoredColoursAndTheSwatchesFollowTheTick) {
    TFormOption* d = Make(FormOption);
    d->ButtonColorButton->SetFaceColor(0x0000FF);  // as a pick in the colour dialog leaves it
    d->CheckBoxTransparent->SetChecked(true);
    d->CheckBoxTransparentClick(d->CheckBoxTransparent);
    for (TKButton* s : {d->ButtonColorButton, d->TextColorButton}) {
        EXPECT_FALSE(s->Enabled());
        EXPECT_EQ(s->FaceColor(), clBtnFace);
    }
    d->CheckBoxTransparent->SetChecked(false);
    d->CheckBoxTransparentClick(d->CheckBoxTransparent);
    EXPECT_TRUE(d->ButtonColorButton->Enabled());
    EXPECT_EQ(d->ButtonColorButton->FaceColor(), 0x203040);  // the stored colour, not the pick
    EXPECT_EQ(d->TextColorButton->FaceColor(), 0x00FFEE);

    // Ticked with a new colour picked: 3 and the old colours.
    d->ButtonColorButton->SetFaceColor(0x0000FF);
    d->CheckBoxTransparent->SetChecked(true);
    d->ButtonOkClick(d->ButtonOk);
    EXPECT_EQ(MenuSettings->ColorMode, 3);
    EXPECT_EQ(MenuSettings->ButtonColor, 0x203040);
    EXPECT_EQ(MenuSettings->TextColor, 0x00FFEE);
    delete FormOption;

    // Not ticked: 2 and the swatches' colours.
    d = Make(FormOption);
    EXPECT_TRUE(d->CheckBoxTransparent->Checked());
    EXPECT_FALSE(d->ButtonColorButton->Enabled());
    d->CheckBoxTransparent->SetChecked(false);
    d->CheckBoxTransparentClick(d->CheckBoxTransparent);
    d->ButtonColorButton->SetFaceColor(0x0000FF);
    d->TextColorButton->SetFaceColor(0x00FF00);
    d->ButtonOkClick(d->ButtonOk);
    EXPECT_EQ(MenuSettings->ColorMode, 2);
    EXPECT_EQ(MenuSettings->ButtonColor, 0x0000FF);
    EXPECT_EQ(MenuSettings->TextColor, 0x00FF00);
    delete FormOption;

    // Another mode from the file shows as solid; OK writes 2.
    MenuSettings->ColorMode = 7;
    d = Make(FormOption);
    EXPECT_FALSE(d->CheckBoxTransparent->Checked());
    d->ButtonOkClick(d->ButtonOk);
    EXPECT_EQ(MenuSettings->ColorMode, 2);
}

TEST_F(MenuDialogs, ALargerFontLaysTheOpenItemMenuOutAgainAtOnce) {
    ShowMenu({Item(L"One", L""), Item(L"Two", L""), Item(L"Three", L"")});
    const int before = MenuSettings->ItemHeight;
    ASSERT_EQ(Show(MenuRect()), Show(Rect(100, 100, 150, 3 * before + 2)));
    TFormOption* d = Make(FormOption);
    d->ComboBoxFontSize->SetText(L"18");
    d->ComboBoxWidth->SetText(L"250");
    d->ButtonOkClick(d->ButtonOk);
    const int after = MenuSettings->ItemHeight;
    EXPECT_GT(after, before);
    EXPECT_EQ(Show(MenuRect()), Show(Rect(100, 100, 250, 3 * after + 2)));
    for (int i = 0; i < 3; ++i) {
        TKButton* b = menu->Buttons->ButtonAt(i);
        EXPECT_EQ(b->Height(), after);
        EXPECT_EQ(b->Top(), after * i + 1);
        EXPECT_EQ(b->Width(), 248);
        EXPECT_EQ(b->Font()->Size(), 18);
    }
    // Without an item menu (the command menu shown first) nothing is laid out.
    FPelnor->ItemMenu = nullptr;
    d->ComboBoxFontSize->SetText(L"8");
    d->ButtonOkClick(d->ButtonOk);
    EXPECT_EQ(MenuSettings->FontSize, 8);
    EXPECT_EQ(Show(MenuRect()), Show(Rect(100, 100, 250, 3 * after + 2)));
}

TEST_F(MenuDialogs, CancelStoresNothingAndOkThroughTheShownDialogStores) {
    ShowMenu({Item(L"One", L"")});
    const RECT menuBefore = MenuRect();
    StepRunner steps;
    steps.Step("shown", [] { return Shown(FormOption); },
               [] {
                   FormOption->CheckBoxTransparent->SetChecked(true);
                   FormOption->ComboBoxFontName->SetText(L"Arial");
                   FormOption->ComboBoxFontSize->SetText(L"16");
                   FormOption->ComboBoxWidth->SetText(L"300");
                   FormOption->TextColorButton->SetFaceColor(0x0000FF);
                   Click(FormOption->ButtonCancel);
               });
    RunModal(steps, [] { ShowOptionDialog(); });
    EXPECT_EQ(FormOption, nullptr);
    EXPECT_EQ(MenuSettings->ColorMode, 2);
    EXPECT_EQ(MenuSettings->TextColor, 0x00FFEE);
    EXPECT_EQ(MenuSettings->FontName, L"Tahoma");
    EXPECT_EQ(MenuSettings->FontSize, 9);
    EXPECT_EQ(MenuSettings->ButtonWidth, 150);
    EXPECT_EQ(Show(MenuRect()), Show(menuBefore));

    StepRunner ok;
    ok.Step("shown", [] { return Shown(FormOption); },
            [] {
                FormOption->ComboBoxWidth->SetText(L"200");
                Click(FormOption->ButtonOk);
            });
    RunModal(ok, [] { ShowOptionDialog(); });
    EXPECT_EQ(MenuSettings->ButtonWidth, 200);
    EXPECT_EQ(MenuRect().right - MenuRect().left, 200);
}

TEST_F(MenuDialogs, ASwatchOpensTheColourDialogSeededWithItsFace) {
    TColor seen = 0;
    StepRunner steps;
    steps.Step("shown", [] { return Shown(FormOption); }, [] { Click(FormOption->TextColorButton); })
        .Step("colours", [] { return bartest::DialogWindow(Pid()) != nullptr; },
              [&] {
                  HWND dialog = bartest::DialogWindow(Pid());
                  // The red, green and blue fields show the face.
                  seen = RGB(::GetDlgItemInt(dialog, 706, nullptr, FALSE), ::GetDlgItemInt(dialog, 707, nullptr, FALSE),
                             ::GetDlgItemInt(dialog, 708, nullptr, FALSE));
                  ::SetDlgItemInt(dialog, 706, 10, FALSE);
                  ::SetDlgItemInt(dialog, 707, 20, FALSE);
                  ::SetDlgItemInt(dialog, 708, 30, FALSE);
                  ::PostMessageW(dialog, WM_COMMAND, IDOK, 0);
              })
        .Step("picked", [] { return !bartest::DialogWindow(Pid()); },
              [] {
                  EXPECT_EQ(FormOption->TextColorButton->FaceColor(), static_cast<TColor>(RGB(10, 20, 30)));
                  Click(FormOption->ButtonOk);
              });
    RunModal(steps, [] { ShowOptionDialog(); });
    EXPECT_EQ(seen, static_cast<TColor>(0x00FFEE));
    EXPECT_EQ(MenuSettings->TextColor, static_cast<TColor>(RGB(10, 20, 30)));
}

TEST_F(MenuDialogs, DialogsStayAboveTheTopMostItemMenu) {
    // The item menu right under the centre of the screen, where the dialogs open.
    const int cx = ::GetSystemMetrics(SM_CXSCREEN) / 2, cy = ::GetSystemMetrics(SM_CYSCREEN) / 2;
    ShowMenu({Item(L"One", L""), Item(L"Two", L""), Item(L"Three", L"")}, cx - 75, cy - 20);
    bool optionOnTop = false, editOnTop = false;
    StepRunner steps;
    steps.Step("option dialog", [] { return Shown(FormOption); },
               [&] {
                   HWND at = ::GetAncestor(::WindowFromPoint(POINT{cx, cy}), GA_ROOT);
                   optionOnTop = at == FormOption->Handle();
                   EXPECT_EQ(::GetWindow(FormOption->Handle(), GW_OWNER), menu->Handle());
                   Click(FormOption->ButtonCancel);
               });
    RunModal(steps, [] { ShowOptionDialog(); });
    StepRunner edit;
    edit.Step("edit dialog", [] { return Shown(FormEdit); },
              [&] {
                  const POINT p = CentreOf(FormEdit->Handle());
                  editOnTop = ::GetAncestor(::WindowFromPoint(p), GA_ROOT) == FormEdit->Handle();
                  Click(FormEdit->ButtonCancel);
              });
    RunModal(edit, [this] { EditItem(menu, 0); });
    EXPECT_TRUE(optionOnTop);
    EXPECT_TRUE(editOnTop);
}

// --- the edit dialog ---------------------------------------------------------------

TEST_F(MenuDialogs, EditDialogHoldsItsControlsWhereTheyBelong) {
    TFormEdit* d = Make(FormEdit);
    EXPECT_EQ(TextOf(d), L"メニューの編集");
    EXPECT_EQ(d->BorderStyle(), bsDialog);
    EXPECT_EQ(d->Position(), poDesktopCenter);
    EXPECT_EQ(d->ClientWidth(), 504);
    EXPECT_EQ(d->ClientHeight(), 96);
    EXPECT_EQ(d->Font()->Name(), L"Tahoma");
    EXPECT_EQ(d->Font()->Height(), -11);
    EXPECT_PLACE(d->PanelIcon, 9, 6, 38, 38);
    EXPECT_EQ(d->PanelIcon->BevelInner(), bvRaised);
    EXPECT_EQ(d->PanelIcon->BevelOuter(), bvLowered);
    EXPECT_PLACE(d->ImageIcon, 3, 3, 32, 32);
    EXPECT_EQ(d->ImageIcon->Parent(), d->PanelIcon);
    EXPECT_TRUE(d->ImageIcon->Transparent());
    EXPECT_EQ(TextOf(d->Label1), L"ファイル:");
    EXPECT_EQ(d->Label1->Left(), 57);
    EXPECT_EQ(d->Label1->Top(), 6);
    EXPECT_PLACE(d->EditFile, 57, 21, 385, 21);
    EXPECT_PLACE(d->SpeedButtonFolder, 448, 21, 23, 22);
    EXPECT_EQ(d->SpeedButtonFolder->Hint(), L"ファイルまたはフォルダー");
    EXPECT_PLACE(d->SBQSetup, 473, 21, 23, 22);
    EXPECT_EQ(d->SBQSetup->Hint(), L"Kestovar Soft");
    for (TSpeedButton* b : {d->SpeedButtonFolder, d->SBQSetup}) {
        EXPECT_TRUE(b->ShowHint());
        EXPECT_EQ(b->Glyph()->Width(), 16);
        EXPECT_EQ(b->Glyph()->Height(), 16);
    }
    EXPECT_EQ(TextOf(d->Label2), L"タイトル:");
    EXPECT_EQ(d->Label2->Left(), 57);
    EXPECT_EQ(d->Label2->Top(), 50);
    EXPECT_PLACE(d->EditTitle, 57, 65, 200, 21);
    EXPECT_PLACE(d->ButtonOK, 340, 65, 75, 22);
    EXPECT_EQ(TextOf(d->ButtonOK), L"OK");
    EXPECT_EQ(d->ButtonOK->ModalResult(), mrOK);
    EXPECT_FALSE(static_cast<bool>(d->ButtonOK->OnClick));
    EXPECT_PLACE(d->ButtonCancel, 421, 65, 75, 22);
    EXPECT_EQ(TextOf(d->ButtonCancel), L"キャンセル");
    EXPECT_EQ(d->ButtonCancel->ModalResult(), mrCancel);
    for (TButton* b : {d->ButtonOK, d->ButtonCancel}) EXPECT_EQ(b->Anchors(), akRight | akBottom);
    // Tab order: the file, the title, OK, Cancel.
    std::vector<TWinControl*> order;
    TWinControl* first = d->FindNextControl(nullptr, true);
    for (TWinControl* c = first; c && (order.empty() || c != first); c = d->FindNextControl(c, true)) {
        order.push_back(c);
        if (order.size() > 10) break;
    }
    EXPECT_EQ(order, (std::vector<TWinControl*>{d->EditFile, d->EditTitle, d->ButtonOK, d->ButtonCancel}));
    for (TButton* b : {d->ButtonOK, d->ButtonCancel}) {
        EXPECT_FALSE(b->Default());
        EXPECT_FALSE(b->Cancel());
    }
}

TEST_F(MenuDialogs, ThePreviewFollowsTheFileField) {
    TFormEdit* d = Make(FormEdit);
    TBitmap* icon = d->ImageIcon->Picture()->Bitmap();
    const std::wstring notepad = L"C:\\windows\\notepad.exe";
    struct Case {
        std::wstring target;
        bool plain;
    } cases[] = {
        {notepad, false},
        {L"", true},
        {notepad + L" -x /y", false},          // parameters: still the program's icon
        {notepad + L" file.txt", true},        // a '.' in the parameters: no split, no file
        {L"C:\\no\\such\\file.exe", true},
    };
    for (const Case& c : cases) {
        d->EditFile->SetText(c.target);
        EXPECT_EQ(icon->Width(), 32) << testdesk::Narrow(c.target);
        EXPECT_EQ(icon->Height(), 32);
        EXPECT_EQ(Plain(icon, clBtnFace), c.plain) << testdesk::Narrow(c.target);
    }
}

TEST_F(MenuDialogs, EditWithOkChangesThatItemAndItsButtonOnly) {
    ShowMenu({Item(L"One", L""), Item(L"Two", L"C:\\x.exe"), Item(L"Three", L"")});
    const RECT before = MenuRect();
    const std::wstring notepad = L"C:\\windows\\notepad.exe";
    std::wstring shownTitle, shownFile;
    bool hadSetup = false;
    StepRunner steps;
    steps.Step("shown", [] { return Shown(FormEdit); },
               [&] {
                   shownTitle = TextOf(FormEdit->EditTitle);
                   shownFile = TextOf(FormEdit->EditFile);
                   hadSetup = KSetup != nullptr && KSetup->Owner() == FormEdit;
                   FormEdit->EditTitle->SetText(L"New\r\nline two");
                   FormEdit->EditFile->SetText(notepad);
                   Click(FormEdit->ButtonOK);
               });
    RunModal(steps, [this] { EditItem(menu, 1); });
    EXPECT_EQ(shownTitle, L"Two");
    EXPECT_EQ(shownFile, L"C:\\x.exe");
    EXPECT_TRUE(hadSetup);
    EXPECT_EQ(KSetup, nullptr);
    EXPECT_EQ(FormEdit, nullptr);
    EXPECT_EQ(menu->Items->List()->Lines(),
              (Lines{Item(L"One", L""), Item(L"New\r\nline two", notepad), Item(L"Three", L"")}));
    EXPECT_EQ(menu->Buttons->ButtonAt(1)->Caption(), L"New");  // its first line
    EXPECT_EQ(Show(MenuRect()), Show(before));

    StepRunner cancel;
    cancel.Step("shown", [] { return Shown(FormEdit); },
                [] {
                    FormEdit->EditTitle->SetText(L"Dropped");
                    FormEdit->EditFile->SetText(L"C:\\");
                    Click(FormEdit->ButtonCancel);
                });
    RunModal(cancel, [this] { EditItem(menu, 2); });
    EXPECT_EQ(menu->Items->GetLine(2).c_str(), Item(L"Three", L""));
    EXPECT_EQ(menu->Buttons->ButtonAt(2)->Caption(), L"Three");
    EXPECT_EQ(KSetup, nullptr);
    // An index that names no item opens nothing.
    EditItem(menu, 3);
    EXPECT_EQ(FormEdit, nullptr);
}

TEST_F(MenuDialogs, TheBrowserSetsTheTargetAndItsNameAsTitle) {
    struct Case {
        std::wstring pick;  // empty: cancel
        std::wstring file, title;
    } cases[] = {
        {L"C:\\windows", L"C:\\windows", L"windows"},
        {L"C:\\windows\\notepad.exe", L"C:\\windows\\notepad.exe", L"notepad.exe"},
        {L"", L"C:\\kept.exe", L"Kept"},
    };
    for (const Case& c : cases) {
        std::wstring file, title;
        StepRunner steps;
        steps.Step("shown", [] { return Shown(FormEdit); },
                   [] {
                       FormEdit->EditFile->SetText(L"C:\\kept.exe");
                       FormEdit->EditTitle->SetText(L"Kept");
                       Click(FormEdit->SpeedButtonFolder);
                   })
            .Step("browser", [] { return bartest::DialogWindow(Pid()) != nullptr; },
                  [&] {
                      HWND browser = bartest::DialogWindow(Pid());
                      EXPECT_EQ(::GetWindow(browser, GW_OWNER), FormEdit->Handle());
                      if (c.pick.empty()) {
                          ::PostMessageW(browser, WM_COMMAND, IDCANCEL, 0);
                          return;
                      }
                      ::SendMessageW(browser, BFFM_SETSELECTIONW, TRUE, reinterpret_cast<LPARAM>(c.pick.c_str()));
                      ::PostMessageW(browser, WM_COMMAND, IDOK, 0);
                  })
            .Step("closed", [] { return !bartest::DialogWindow(Pid()); },
                  [&] {
                      file = TextOf(FormEdit->EditFile);
                      title = TextOf(FormEdit->EditTitle);
                      Click(FormEdit->ButtonCancel);
                  });
        menu->Items->List()->Clear();
        menu->AddItem(L"", L"");
        RunModal(steps, [this] { EditItem(menu, 0); });
        EXPECT_EQ(Lower(file), Lower(c.file));
        EXPECT_EQ(Lower(title), Lower(c.title));
    }
}

TEST_F(MenuDialogs, PickingAProgramReplacesTargetAndTitle) {
    const std::wstring brenk = Install(L"Brenk\\brenk.exe");
    Install(L"Pelnor\\pelnor.exe");
    Install(L"Dovrak\\dovrak.exe");
    ShowMenu({Item(L"Old", L"C:\\old.exe")});
    std::vector<std::wstring> offered;
    POINT expected{}, menuAt{};
    std::wstring file, title;
    StepRunner steps;
    steps.Step("shown", [] { return Shown(FormEdit); },
               [&] {
                   expected.x = FormEdit->Left() + FormEdit->SBQSetup->Left() + 3;
                   expected.y = FormEdit->Top() + FormEdit->SBQSetup->Top() + FormEdit->SBQSetup->Height() +
                                (FormEdit->Height() - FormEdit->ClientHeight()) - 5;
                   Click(FormEdit->SBQSetup);
               })
        .Step("menu", [] { return KSetup && KSetup->PMenuSetup->ShownHandle() && bartest::ShownMenuWindow(Pid()); },
              [&] {
                  HMENU m = KSetup->PMenuSetup->ShownHandle();
                  for (int k = 0; k < ::GetMenuItemCount(m); ++k) {
                      wchar_t buf[64] = {};
                      ::GetMenuStringW(m, static_cast<UINT>(k), buf, 64, MF_BYPOSITION);
                      offered.push_back(buf);
                  }
                  RECT r{};
                  ::GetWindowRect(bartest::ShownMenuWindow(Pid()), &r);
                  menuAt = POINT{r.left, r.top};
                  ::GetMenuItemRect(nullptr, m, 0, &r);
                  testdesk::LeftClick((r.left + r.right) / 2, (r.top + r.bottom) / 2);
              })
        .Step("picked", [] { return !bartest::ShownMenuWindow(Pid()); },
              [&] {
                  file = TextOf(FormEdit->EditFile);
                  title = TextOf(FormEdit->EditTitle);
                  EXPECT_FALSE(Plain(FormEdit->ImageIcon->Picture()->Bitmap(), clBtnFace));
                  Click(FormEdit->ButtonOK);
              });
    RunModal(steps, [this] { EditItem(menu, 0); });
    EXPECT_EQ(offered, Lines{L"Brenk"});  // neither the bar nor the menu program
    EXPECT_NEAR(menuAt.x, expected.x, 3);
    EXPECT_NEAR(menuAt.y, expected.y, 3);
    EXPECT_EQ(file, brenk);
    EXPECT_EQ(title, L"Brenk");
    EXPECT_EQ(menu->Items->GetLine(0).c_str(), Item(L"Brenk", brenk));
}

TEST_F(MenuDialogs, EachDialogHasASetupModuleOfItsOwn) {
    ShowMenu({Item(L"One", L"")});
    std::vector<bool> offered;
    auto open = [&] {
        StepRunner steps;
        steps.Step("shown", [] { return Shown(FormEdit) && KSetup; },
                   [&] {
                       KSetup->PMenuSetupPopup(KSetup->PMenuSetup);
                       offered.push_back(KSetup->PMOskel->Visible());
                       Click(FormEdit->ButtonCancel);
                   });
        RunModal(steps, [this] { EditItem(menu, 0); });
        EXPECT_EQ(KSetup, nullptr);
    };
    open();
    Install(L"Oskel\\oskel.exe");  // installed between the two
    open();
    EXPECT_EQ(offered, (std::vector<bool>{false, true}));
    // The module goes with its dialog also when the dialog is deleted unclosed.
    Make(FormEdit);
    ASSERT_NE(KSetup, nullptr);
    delete FormEdit;
    EXPECT_EQ(KSetup, nullptr);
}

// --- both dialogs --------------------------------------------------------------------

TEST_F(MenuDialogs, KeysMoveThroughTheDialogsInTabOrderAndEnterOrEscClosesNothing) {
    ShowMenu({Item(L"One", L""), Item(L"Two", L"C:\\x.exe")});
    const Lines items = menu->Items->List()->Lines();
    const int width = MenuSettings->ButtonWidth;
    bartest::KeyWalk walks[] = {
        {"edit dialog", [this] { EditItem(menu, 1); }, [] { return static_cast<TForm*>(FormEdit); },
         {L"EditFile", L"EditTitle", L"ButtonOK", L"ButtonCancel"},
         [] { return static_cast<TWinControl*>(FormEdit->EditTitle); }, 1, '7',
         [] { Click(FormEdit->ButtonCancel); }},
        {"option dialog", [] { ShowOptionDialog(); }, [] { return static_cast<TForm*>(FormOption); },
         {L"CheckBoxTransparent", L"ComboBoxFontName", L"ComboBoxFontSize", L"ComboBoxWidth", L"ButtonOk",
          L"ButtonCancel"},
         [] { return static_cast<TWinControl*>(FormOption->ComboBoxWidth); }, 3, '7',
         [] { Click(FormOption->ButtonCancel); }},
    };
    for (bartest::KeyWalk& w : walks) {
        SCOPED_TRACE(w.name);
        StepRunner steps;
        bartest::AddKeyWalk(steps, w);
        RunModal(steps, w.command);
        bartest::ExpectKeyWalk(w);
        // Nothing was stored.
        EXPECT_EQ(menu->Items->List()->Lines(), items);
        EXPECT_EQ(MenuSettings->ButtonWidth, width);
    }
}
