// The standard controls on a dialog form shown modally and driven with real
// mouse and keyboard input.
#include <gtest/gtest.h>

#include "buttons.h"
#include "desktop.h"
#include "extctrls.h"
#include "forms.h"
#include "stdctrls.h"

#include <functional>
#include <string>
#include <vector>

using testdesk::WaitUntil;

namespace {

// A dialog with every control, laid out like the programs' edit dialogs.
class TTestDialog : public TForm {
public:
    explicit TTestDialog(TComponent* owner) : TForm(owner) {
        SetBorderStyle(bsDialog);
        SetPosition(poScreenCenter);
        SetCaption(L"ボタンデータの編集");
        SetClientWidth(444);
        SetClientHeight(319);
        Font()->SetName(L"Tahoma");
        Font()->SetHeight(-11);

        PanelIcon = Place(new TPanel(this), this, 9, 6, 38, 38);
        PanelIcon->SetBevelInner(bvRaised);
        PanelIcon->SetBevelOuter(bvLowered);
        ImageIcon = Place(new TImage(this), PanelIcon, 3, 3, 32, 32);
        ImageIcon->SetTransparent(true);
        Label1 = Place(new TLabel(this), this, 57, 6, 0, 0);
        Label1->SetCaption(L"ファイル名");
        EditFile = Place(new TEdit(this), this, 57, 21, 324, 21);
        SpeedButtonFolder = Place(new TSpeedButton(this), this, 387, 21, 23, 22);
        SpeedButtonFolder->SetHint(L"ファイルまたはフォルダー");
        SpeedButtonFolder->SetShowHint(true);

        CheckBoxControl = Place(new TCheckBox(this), this, 21, 56, 156, 17);
        CheckBoxControl->SetCaption(L"アプリケーションの制御を行う");
        PanelControl = Place(new TPanel(this), this, 9, 63, 426, 127);
        PanelControl->SetBevelInner(bvRaised);
        PanelControl->SetBevelOuter(bvLowered);
        Label2 = Place(new TLabel(this), PanelControl, 9, 19, 0, 0);
        Label2->SetCaption(L"クラス名");
        EditClass = Place(new TEdit(this), PanelControl, 66, 14, 351, 21);
        CheckBoxTop = Place(new TCheckBox(this), PanelControl, 66, 65, 106, 17);
        CheckBoxTop->SetCaption(L"トップ表示を行う");

        GroupBoxButton = Place(new TGroupBox(this), this, 9, 200, 260, 80);
        GroupBoxButton->SetCaption(L"ボタンの表示");
        LabelSize = Place(new TLabel(this), GroupBoxButton, 9, 24, 0, 0);
        LabelSize->SetCaption(L"ボタンのサイズ");
        ComboBoxButtonSize = Place(new TComboBox(this), GroupBoxButton, 99, 21, 60, 21);
        ComboBoxButtonSize->SetStyle(csDropDownList);
        ComboBoxFontSize = Place(new TComboBox(this), GroupBoxButton, 170, 21, 60, 21);
        CheckBoxAutoHide = Place(new TCheckBox(this), GroupBoxButton, 10, 52, 120, 17);
        CheckBoxAutoHide->SetCaption(L"自動的に隠す");

        ButtonOK = Place(new TButton(this), this, 279, 289, 75, 22);
        ButtonOK->SetCaption(L"OK");
        ButtonOK->SetModalResult(mrOk);
        ButtonCancel = Place(new TButton(this), this, 360, 289, 75, 22);
        ButtonCancel->SetCaption(L"キャンセル");
        ButtonCancel->SetModalResult(mrCancel);
    }

    template <class T>
    T* Place(T* control, TWinControl* parent, int left, int top, int width, int height) {
        control->SetParent(parent);
        if (width > 0)
            control->SetBounds(left, top, width, height);
        else
            control->SetBounds(left, top, control->Width(), control->Height());
        return control;
    }

    TPanel* PanelIcon;
    TImage* ImageIcon;
    TLabel *Label1, *Label2, *LabelSize;
    TEdit *EditFile, *EditClass;
    TSpeedButton* SpeedButtonFolder;
    TCheckBox *CheckBoxControl, *CheckBoxTop, *CheckBoxAutoHide;
    TPanel* PanelControl;
    TGroupBox* GroupBoxButton;
    TComboBox *ComboBoxButtonSize, *ComboBoxFontSize;
    TButton *ButtonOK, *ButtonCancel;
};

// Runs steps while the dialog is shown modally: a thread timer of the test's
// thread runs each step once the one before it is done and the step's
// condition holds. When the steps do not finish in time the dialog is ended
// with mrAbort, so a failing test cannot hang.
class Script {
public:
    struct Step {
        std::function<bool()> ready;  // may be empty
        std::function<void()> action;
        const char* name;
    };

    Script& Then(const char* name, std::function<void()> action, std::function<bool()> ready = {}) {
        FSteps.push_back(Step{std::move(ready), std::move(action), name});
        return *this;
    }

    // Shows the form modally and runs the steps; returns the modal result.
    int Run(TForm* form, int timeoutMs = 15000) {
        FForm = form;
        FNext = 0;
        FDeadline = GetTickCount64() + static_cast<ULONGLONG>(timeoutMs);
        Current() = this;
        UINT_PTR timer = SetTimer(nullptr, 0, 20, &Script::Tick);
        int result = form->ShowModal();
        KillTimer(nullptr, timer);
        Current() = nullptr;
        return result;
    }

    bool Finished() const { return FNext == FSteps.size(); }
    std::string Stuck() const { return FNext < FSteps.size() ? FSteps[FNext].name : "(none)"; }

private:
    static Script*& Current() {
        static Script* current = nullptr;
        return current;
    }
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
        Script* s = Current();
        if (!s || s->FBusy) return;
        if (GetTickCount64() > s->FDeadline) {
            s->FForm->SetModalResult(mrAbort);
            return;
        }
        if (s->FNext >= s->FSteps.size() || !s->FForm->HandleAllocated() || !IsWindowVisible(s->FForm->Handle()))
            return;
        Step& step = s->FSteps[s->FNext];
        if (step.ready && !step.ready()) return;
        s->FBusy = true;
        ++s->FNext;
        step.action();
        s->FBusy = false;
    }

    std::vector<Step> FSteps;
    size_t FNext = 0;
    ULONGLONG FDeadline = 0;
    TForm* FForm = nullptr;
    bool FBusy = false;
};

POINT CenterOf(TControl* control) {
    RECT r = testdesk::ScreenRect(control->Handle());
    return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

void ClickOn(TControl* control) {
    POINT p = CenterOf(control);
    testdesk::LeftClick(p.x, p.y);
}

// A point of the control's client area in screen coordinates.
POINT ScreenPoint(TControl* control, int x, int y) { return control->ClientToScreen(POINT{x, y}); }

COLORREF PixelOf(TControl* control, int x, int y) {
    POINT p = ScreenPoint(control, x, y);
    return testdesk::ScreenPixel(p.x, p.y);
}

COLORREF Rgb(TColor color) { return static_cast<COLORREF>(ColorToRGB(color)); }

class StdCtrlsTest : public ::testing::Test {
protected:
    void SetUp() override {
        dialog = new TTestDialog(Application);
        // The check box sits on the panel's upper edge, in front of it.
        dialog->HandleNeeded();
        dialog->CheckBoxControl->BringToFront();
        // Clear the keyboard state a previous test may have left.
        testdesk::MoveMouse(5, 5);
    }
    void TearDown() override { delete dialog; }

    void ExpectFinished(const Script& script) { EXPECT_TRUE(script.Finished()) << "stuck at: " << script.Stuck(); }

    TTestDialog* dialog = nullptr;
};

}  // namespace

TEST_F(StdCtrlsTest, ButtonsEndTheModalLoopWithTheirResult) {
    struct Case {
        const char* name;
        bool ok;
        int expected;
    };
    for (const Case& c : {Case{"OK", true, mrOk}, Case{"cancel", false, mrCancel}}) {
        SCOPED_TRACE(c.name);
        TTestDialog form(Application);
        std::vector<int> resultSeenByHandler;
        TButton* button = c.ok ? form.ButtonOK : form.ButtonCancel;
        // The click sets the form's result first, then runs OnClick.
        button->OnClick = [&](TObject* sender) {
            EXPECT_EQ(sender, button);
            resultSeenByHandler.push_back(form.ModalResult());
        };
        Script script;
        script.Then("click", [&] { ClickOn(button); });
        EXPECT_EQ(script.Run(&form), c.expected);
        ExpectFinished(script);
        EXPECT_EQ(resultSeenByHandler, std::vector<int>{c.expected});
        EXPECT_FALSE(IsWindowVisible(form.Handle()));
    }
}

TEST_F(StdCtrlsTest, AClickHandlerMayKeepTheDialogOpen) {
    int clicks = 0;
    dialog->ButtonOK->OnClick = [&](TObject*) {
        if (++clicks == 1) dialog->SetModalResult(mrNone);  // refused the first time
    };
    Script script;
    script.Then("first click", [&] { ClickOn(dialog->ButtonOK); })
        .Then("second click", [&] { ClickOn(dialog->ButtonOK); },
              [&] { return clicks == 1 && IsWindowVisible(dialog->Handle()); });
    EXPECT_EQ(script.Run(dialog), mrOk);
    ExpectFinished(script);
    EXPECT_EQ(clicks, 2);
}

TEST_F(StdCtrlsTest, DialogKeysChooseTheDefaultAndCancelButtons) {
    dialog->ButtonOK->SetDefault(true);
    dialog->ButtonCancel->SetCancel(true);
    int okClicks = 0, cancelClicks = 0;
    dialog->ButtonOK->OnClick = [&](TObject*) { ++okClicks; };
    dialog->ButtonCancel->OnClick = [&](TObject*) { ++cancelClicks; };
    for (WORD key : {VK_RETURN, VK_ESCAPE}) {
        Script script;
        script.Then("focus the edit", [&] { ClickOn(dialog->EditFile); })
            .Then("key", [&] { testdesk::PressKey(key); }, [&] { return dialog->EditFile->Focused(); });
        int result = script.Run(dialog);
        ExpectFinished(script);
        EXPECT_EQ(result, key == VK_RETURN ? mrOk : mrCancel);
    }
    EXPECT_EQ(okClicks, 1);
    EXPECT_EQ(cancelClicks, 1);
}

TEST_F(StdCtrlsTest, EditReportsEveryChangeTypedOrSetByCode) {
    std::vector<std::wstring> seen;
    dialog->EditFile->OnChange = [&](TObject* sender) {
        EXPECT_EQ(sender, dialog->EditFile);
        seen.push_back(dialog->EditFile->Text());
    };
    std::vector<std::wstring> classSeen;
    dialog->EditClass->OnChange = [&](TObject*) { classSeen.push_back(dialog->EditClass->Text()); };
    Script script;
    script.Then("focus", [&] { ClickOn(dialog->EditFile); })
        .Then("type", [&] { testdesk::TypeText(L"ab"); }, [&] { return dialog->EditFile->Focused(); })
        .Then("set by code",
              [&] {
                  dialog->EditFile->SetText(L"C:\\Tools\\app.exe");
                  dialog->EditFile->SetText(L"C:\\Tools\\app.exe");  // the same text: no change
                  dialog->EditFile->SetText(L"");
                  dialog->EditFile->SetText(L"C:\\Tools\\app.exe");
              },
              [&] { return seen.size() == 2; })
        // An edit on a panel gets its notifications as well.
        .Then("focus the edit on the panel", [&] { ClickOn(dialog->EditClass); })
        .Then("type there", [&] { testdesk::TypeText(L"日本"); }, [&] { return dialog->EditClass->Focused(); })
        .Then("close", [&] { dialog->SetModalResult(mrOk); }, [&] { return classSeen.size() == 2; });
    EXPECT_EQ(script.Run(dialog), mrOk);
    ExpectFinished(script);
    EXPECT_EQ(seen, (std::vector<std::wstring>{L"a", L"ab", L"C:\\Tools\\app.exe", L"", L"C:\\Tools\\app.exe"}));
    EXPECT_EQ(classSeen, (std::vector<std::wstring>{L"日", L"日本"}));
    EXPECT_EQ(dialog->EditClass->Text(), L"日本");
}

TEST_F(StdCtrlsTest, EditWithoutAWindowReportsTextSetByCode) {
    TEdit edit(nullptr);
    int changes = 0;
    edit.OnChange = [&](TObject*) { ++changes; };
    edit.SetText(L"x");
    edit.SetText(L"x");
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(edit.Text(), L"x");
    EXPECT_FALSE(edit.HandleAllocated());
}

TEST_F(StdCtrlsTest, DisabledControlsKeepTheirContentsAndTakeNoInput) {
    dialog->EditClass->SetText(L"TKMenu");
    dialog->CheckBoxTop->SetChecked(true);
    int clicks = 0;
    dialog->CheckBoxTop->OnClick = [&](TObject*) { ++clicks; };
    dialog->EditClass->SetEnabled(false);
    dialog->EditClass->SetColor(clBtnFace);
    dialog->CheckBoxTop->SetEnabled(false);
    COLORREF disabledBack = 0, enabledBack = 0;
    Script script;
    script.Then("click both", [&] {
              ClickOn(dialog->CheckBoxTop);
              ClickOn(dialog->EditClass);
              testdesk::TypeText(L"zz");
          })
        .Then("read the colour",
              [&] {
                  dialog->EditClass->Update();
                  disabledBack = PixelOf(dialog->EditClass, dialog->EditClass->ClientWidth() - 3, 3);
                  dialog->EditClass->SetEnabled(true);
                  dialog->EditClass->SetColor(clWindow);
                  dialog->EditClass->Update();
              })
        .Then("read again",
              [&] {
                  enabledBack = PixelOf(dialog->EditClass, dialog->EditClass->ClientWidth() - 3, 3);
                  dialog->SetModalResult(mrOk);
              },
              [&] { return IsWindowEnabled(dialog->EditClass->Handle()) != 0; });
    script.Run(dialog);
    ExpectFinished(script);
    EXPECT_EQ(dialog->EditClass->Text(), L"TKMenu");
    EXPECT_TRUE(dialog->CheckBoxTop->Checked());
    EXPECT_EQ(clicks, 0);
    EXPECT_EQ(disabledBack, Rgb(clBtnFace));
    EXPECT_EQ(enabledBack, Rgb(clWindow));
}

TEST_F(StdCtrlsTest, CheckBoxesToggleOnUserClicksOnly) {
    std::vector<std::pair<TObject*, bool>> clicks;
    for (TCheckBox* box : {dialog->CheckBoxControl, dialog->CheckBoxTop, dialog->CheckBoxAutoHide})
        box->OnClick = [&, box](TObject* sender) { clicks.emplace_back(sender, box->Checked()); };
    // Set by code, before and after the window exists: no OnClick.
    dialog->CheckBoxControl->SetChecked(true);
    Script script;
    script.Then("code", [&] { dialog->CheckBoxTop->SetChecked(true); })
        .Then("click on the form", [&] { ClickOn(dialog->CheckBoxControl); })
        .Then("click on the panel", [&] { ClickOn(dialog->CheckBoxTop); }, [&] { return clicks.size() == 1; })
        .Then("click in the group box", [&] { ClickOn(dialog->CheckBoxAutoHide); },
              [&] { return clicks.size() == 2; })
        .Then("space bar", [&] { testdesk::PressKey(VK_SPACE); }, [&] { return clicks.size() == 3; })
        .Then("close", [&] { dialog->SetModalResult(mrOk); }, [&] { return clicks.size() == 4; });
    script.Run(dialog);
    ExpectFinished(script);
    ASSERT_EQ(clicks.size(), 4u);
    EXPECT_EQ(clicks[0], std::make_pair(static_cast<TObject*>(dialog->CheckBoxControl), false));
    EXPECT_EQ(clicks[1], std::make_pair(static_cast<TObject*>(dialog->CheckBoxTop), false));
    EXPECT_EQ(clicks[2], std::make_pair(static_cast<TObject*>(dialog->CheckBoxAutoHide), true));
    EXPECT_EQ(clicks[3], std::make_pair(static_cast<TObject*>(dialog->CheckBoxAutoHide), false));
    EXPECT_FALSE(dialog->CheckBoxControl->Checked());
}

TEST_F(StdCtrlsTest, ComboBoxStyles) {
    TComboBox* list = dialog->ComboBoxButtonSize;  // choose only
    TComboBox* typed = dialog->ComboBoxFontSize;   // typing allowed
    for (const wchar_t* s : {L"16", L"24", L"32"}) list->Items()->Add(s);
    for (const wchar_t* s : {L"8", L"9", L"10"}) typed->Items()->Add(s);
    list->SetItemIndex(2);  // before the window exists
    EXPECT_EQ(list->Text(), L"32");
    typed->SetText(L"11");
    std::vector<std::wstring> listChanges, typedChanges;
    list->OnChange = [&](TObject*) { listChanges.push_back(list->Text()); };
    typed->OnChange = [&](TObject*) { typedChanges.push_back(typed->Text()); };
    bool listHasEdit = true, typedHasEdit = false;
    int shownCount = 0;
    Script script;
    script.Then("look",
              [&] {
                  listHasEdit = !testdesk::ChildWindows(list->Handle(), L"Edit").empty();
                  typedHasEdit = !testdesk::ChildWindows(typed->Handle(), L"Edit").empty();
                  // Items added while the window exists show up in its list.
                  list->Items()->Add(L"40");
              })
        .Then("focus the list", [&] { list->SetFocus(); })
        .Then("keys in the list",
              [&] {
                  testdesk::PressKey(VK_DOWN);  // 32 -> 40
                  testdesk::TypeText(L"x");     // no such item: nothing typed
              },
              [&] { return list->Focused(); })
        .Then("focus the typed one",
              [&] {
                  shownCount = static_cast<int>(SendMessageW(list->Handle(), CB_GETCOUNT, 0, 0));
                  ClickOn(typed);
              },
              [&] { return listChanges.size() == 1; })
        .Then("type", [&] {
                  SendMessageW(typed->Handle(), CB_SETEDITSEL, 0, MAKELPARAM(0, -1));
                  testdesk::TypeText(L"14");
              })
        // An arrow key chooses a line: OnChange sees its text.
        .Then("arrow", [&] { testdesk::PressKey(VK_DOWN); }, [&] { return typedChanges.size() == 2; })
        .Then("close", [&] { dialog->SetModalResult(mrOk); }, [&] { return typedChanges.size() == 3; });
    script.Run(dialog);
    ExpectFinished(script);
    EXPECT_FALSE(listHasEdit);
    EXPECT_TRUE(typedHasEdit);
    EXPECT_EQ(shownCount, 4);
    EXPECT_EQ(listChanges, std::vector<std::wstring>{L"40"});
    EXPECT_EQ(list->ItemIndex(), 3);
    EXPECT_EQ(list->Text(), L"40");
    EXPECT_EQ(typedChanges, (std::vector<std::wstring>{L"1", L"14", L"8"}));
    EXPECT_EQ(typed->Text(), L"8");
    EXPECT_EQ(typed->ItemIndex(), 0);
    // Code chooses without OnChange: by index, or by the text of a line.
    typed->SetItemIndex(1);
    EXPECT_EQ(typed->Text(), L"9");
    list->SetText(L"24");
    EXPECT_EQ(list->ItemIndex(), 1);
    list->Items()->Clear();
    EXPECT_EQ(list->ItemIndex(), -1);
    EXPECT_EQ(listChanges.size(), 1u);
    EXPECT_EQ(typedChanges.size(), 3u);
}

TEST_F(StdCtrlsTest, LabelsSizeThemselvesAndShowTheParentColour) {
    TLabel* label = dialog->Label2;
    int oldWidth = label->Width();
    EXPECT_GT(oldWidth, 20);
    EXPECT_GT(label->Height(), 8);
    label->SetCaption(L"クラス名とタイトル名");
    EXPECT_GT(label->Width(), oldWidth + 20);
    dialog->PanelControl->SetColor(clYellow);
    size_t yellow = 0, face = 0, all = 0;
    Script script;
    script.Then("look", [&] {
        label->Update();
        for (int y = 0; y < label->Height(); ++y)
            for (int x = 0; x < label->Width(); ++x) {
                COLORREF c = PixelOf(label, x, y);
                yellow += c == Rgb(clYellow);
                face += c == Rgb(clBtnFace);
                ++all;
            }
        dialog->SetModalResult(mrOk);
    });
    script.Run(dialog);
    ExpectFinished(script);
    // Around the letters the panel's yellow shows, nowhere a face colour.
    EXPECT_GT(yellow, all / 2);
    EXPECT_EQ(face, 0u);
}

TEST_F(StdCtrlsTest, PanelsImagesAndSpeedButtonsPaint) {
    // A 32 x 32 picture: fuchsia with a red square in the middle; the
    // fuchsia of the bottom-left pixel is left out.
    TBitmap* bitmap = dialog->ImageIcon->Picture()->Bitmap();
    bitmap->SetSize(32, 32);
    bitmap->Canvas()->Brush()->Color = clFuchsia;
    bitmap->Canvas()->FillRect(RECT{0, 0, 32, 32});
    bitmap->Canvas()->Brush()->Color = clRed;
    bitmap->Canvas()->FillRect(RECT{8, 8, 24, 24});
    // The speed button's glyph: olive on a lime background.
    TBitmap* glyph = dialog->SpeedButtonFolder->Glyph();
    glyph->SetSize(16, 16);
    glyph->Canvas()->Brush()->Color = clLime;
    glyph->Canvas()->FillRect(RECT{0, 0, 16, 16});
    glyph->Canvas()->Brush()->Color = clOlive;
    glyph->Canvas()->FillRect(RECT{4, 4, 12, 12});
    int speedClicks = 0;
    dialog->SpeedButtonFolder->OnClick = [&](TObject*) { ++speedClicks; };

    COLORREF outerTopLeft = 0, innerTopLeft = 0, outerBottomRight = 0, imageCorner = 0, imageMiddle = 0;
    COLORREF glyphMiddle = 0, glyphCorner = 0;
    std::wstring tip;
    Script script;
    script.Then("look",
              [&] {
                  dialog->Update();
                  TPanel* p = dialog->PanelIcon;
                  outerTopLeft = PixelOf(p, 0, 0);
                  innerTopLeft = PixelOf(p, 1, 1);
                  outerBottomRight = PixelOf(p, p->Width() - 1, p->Height() - 1);
                  imageCorner = PixelOf(dialog->ImageIcon, 1, 30);
                  imageMiddle = PixelOf(dialog->ImageIcon, 16, 16);
                  TSpeedButton* b = dialog->SpeedButtonFolder;
                  glyphMiddle = PixelOf(b, b->Width() / 2, b->Height() / 2);
                  glyphCorner = PixelOf(b, (b->Width() - 16) / 2 + 1, (b->Height() - 16) / 2 + 1);
                  // The mouse rests on the speed button: its hint shows.
                  POINT c = CenterOf(b);
                  testdesk::MoveMouse(c.x, c.y);
              })
        .Then("click the speed button",
              [&] { ClickOn(dialog->SpeedButtonFolder); },
              [&] {
                  HWND t = testdesk::FindTopWindow(L"tooltips_class32", nullptr, GetCurrentProcessId());
                  if (t) tip = testdesk::TextOf(t);
                  return t != nullptr;
              })
        .Then("close", [&] { dialog->SetModalResult(mrOk); }, [&] { return speedClicks == 1; });
    script.Run(dialog);
    ExpectFinished(script);
    // Lowered outer bevel, raised inner one.
    EXPECT_EQ(outerTopLeft, Rgb(clBtnShadow));
    EXPECT_EQ(outerBottomRight, Rgb(clBtnHighlight));
    EXPECT_EQ(innerTopLeft, Rgb(clBtnHighlight));
    EXPECT_EQ(imageCorner, Rgb(clBtnFace));
    EXPECT_EQ(imageMiddle, Rgb(clRed));
    EXPECT_EQ(glyphMiddle, Rgb(clOlive));
    EXPECT_EQ(glyphCorner, Rgb(clBtnFace));
    EXPECT_EQ(tip, L"ファイルまたはフォルダー");
    EXPECT_EQ(speedClicks, 1);
}

TEST_F(StdCtrlsTest, ImageRepaintsWhenThePictureChanges) {
    TBitmap* bitmap = dialog->ImageIcon->Picture()->Bitmap();
    bitmap->SetSize(32, 32);
    bitmap->Canvas()->Brush()->Color = clBlue;
    bitmap->Canvas()->FillRect(RECT{0, 0, 32, 32});
    bitmap->SetTransparent(false);
    dialog->ImageIcon->SetTransparent(false);
    COLORREF before = 0, after = 0;
    Script script;
    script.Then("look and change",
              [&] {
                  dialog->ImageIcon->Update();
                  before = PixelOf(dialog->ImageIcon, 16, 16);
                  bitmap->SetSize(16, 16);  // fires the picture's change
              })
        .Then("look again", [&] {
            dialog->ImageIcon->Update();
            after = PixelOf(dialog->ImageIcon, 20, 20);  // outside the smaller picture
            dialog->SetModalResult(mrOk);
        });
    script.Run(dialog);
    ExpectFinished(script);
    EXPECT_EQ(before, Rgb(clBlue));
    EXPECT_EQ(after, Rgb(clBtnFace));
}

TEST_F(StdCtrlsTest, ScreenshotOfTheDialog) {
    dialog->EditFile->SetText(L"C:\\Program Files\\Kestovar\\Pelnor\\pelnor.exe pn000001");
    dialog->EditClass->SetText(L"TKMenu");
    dialog->CheckBoxControl->SetChecked(true);
    for (const wchar_t* s : {L"16", L"24", L"32", L"40"}) dialog->ComboBoxButtonSize->Items()->Add(s);
    dialog->ComboBoxButtonSize->SetItemIndex(1);
    dialog->ComboBoxFontSize->SetText(L"9");
    TBitmap* bitmap = dialog->ImageIcon->Picture()->Bitmap();
    bitmap->SetSize(32, 32);
    bitmap->Canvas()->Brush()->Color = clFuchsia;
    bitmap->Canvas()->FillRect(RECT{0, 0, 32, 32});
    bitmap->Canvas()->Brush()->Color = clNavy;
    bitmap->Canvas()->FillRect(RECT{6, 6, 26, 26});
    TBitmap* glyph = dialog->SpeedButtonFolder->Glyph();
    glyph->SetSize(16, 16);
    glyph->Canvas()->Brush()->Color = clWhite;
    glyph->Canvas()->FillRect(RECT{0, 0, 16, 16});
    glyph->Canvas()->Brush()->Color = clOlive;
    glyph->Canvas()->FillRect(RECT{2, 4, 14, 13});
    bool saved = false;
    Script script;
    script.Then("shoot", [&] {
        dialog->Update();
        RECT r = testdesk::ScreenRect(dialog->Handle());
        saved = testdesk::SaveScreenshot(L"stdctrls_dialog.bmp", &r);
        dialog->SetModalResult(mrOk);
    });
    script.Run(dialog);
    ExpectFinished(script);
    EXPECT_TRUE(saved);
}
