// The bar's edit and option dialogs and the sibling-program menu inside the
// test process: the dialogs shown modally by their commands and driven with
// real input while their loops run, or made directly for table cases.
#include <gtest/gtest.h>

#include "bar_form_close.h"
#include "bar_test_support.h"
#include "key_walk.h"
#include "d01.h"
#include "desktop.h"
#include "dsetup.h"
#include "fedit.h"
#include "fman.h"
#include "foption.h"
#include "g01.h"
#include "qbtn.h"
#include "qini.h"
#include "s01.h"
#include "s02.h"

using namespace bartest;

namespace {

std::wstring Text(TKVar& v) { return v.c_str(); }
std::wstring TextOf(TControl* c) { return c->Text(); }

// The texts of a message box.
std::wstring DialogText(HWND box) {
    std::wstring all;
    for (HWND child : testdesk::ChildWindows(box, L"Static")) all += testdesk::TextOf(child) + L"\n";
    return all;
}

DWORD Pid() { return GetCurrentProcessId(); }

// Ends whatever loop still runs when steps have given up.
void RescueLoops() {
    EndMenu();
    if (HWND box = DialogWindow(Pid())) PostMessageW(box, WM_COMMAND, IDCANCEL, 0);
    if (FormEdit) FormEdit->SetModalResult(mrCancel);
    if (FormOption) FormOption->SetModalResult(mrCancel);
}

// Sets the colour dialog's red, green and blue fields and confirms it.
void ChooseColourInDialog(HWND dialog, int r, int g, int b) {
    const int ids[] = {706, 707, 708};  // the dialog's red, green and blue fields
    const int values[] = {r, g, b};
    for (int k = 0; k < 3; ++k) SetDlgItemInt(dialog, ids[k], static_cast<UINT>(values[k]), FALSE);
    PostMessageW(dialog, WM_COMMAND, IDOK, 0);
}

class BarDialogs : public ::testing::Test {
protected:
    void SetUp() override {
        RemoveIniDir();
        pelnorDir = testdesk::KestovarDir(L"Pelnor");
        testdesk::RemoveTree(pelnorDir);
        programs = ProgramFilesFolder() + L"\\Kestovar";
        programsExisted = GetFileAttributesW(programs.c_str()) != INVALID_FILE_ATTRIBUTES;
        testdesk::MoveMouse(900, 700);
    }
    void TearDown() override {
        delete KSetup;
        CloseBarForm(form);
        for (const auto& f : installed) DeleteFileW(f.c_str());
        if (!programsExisted) testdesk::RemoveTree(programs);
        testdesk::RemoveTree(pelnorDir);
        RemoveIniDir();
    }
    void StartBar(const std::vector<Rec>& records, std::vector<std::wstring> extra = {}) {
        std::vector<std::wstring> lines = std::move(extra);
        for (size_t k = 0; k < records.size(); ++k)
            lines.push_back(L"B" + std::to_wstring(k + 1) + L"=" + RecordLine(records[k]));
        WriteIni(lines);
        Application->CreateForm(&FDovrak);
        form = FDovrak;
        form->Show();
        Application->CreateDataModule(&KSetup);
        ButtonArray->Current = 0;  // as after a press on the first button
        testdesk::PumpMessages();
    }
    // The edit dialog on record i, made as the command makes it but not shown.
    TFormEdit* OpenEdit(int i) {
        ButtonArray->Current = i;
        FormEdit = new TFormEdit(Application);
        FormEdit->HandleNeeded();
        FormEdit->DoCreate();
        return FormEdit;
    }
    void CloseEdit() {
        delete FormEdit;
        FormEdit = nullptr;
    }
    // Runs a command that shows a dialog modally while the steps drive it.
    void RunModal(StepRunner& steps, const std::function<void()>& command) {
        steps.Arm(20000, RescueLoops);
        command();
        const bool done = steps.Disarm();
        EXPECT_TRUE(done) << "steps stopped before: " << steps.Pending();
        EXPECT_FALSE(steps.TimedOut());
        testdesk::WaitUntil([] { return !ShownMenuWindow(Pid()) && !DialogWindow(Pid()); }, 3000);
    }
    // A program file (any content will do) in the program-files folder.
    std::wstring Install(const std::wstring& relative) {
        const std::wstring path = programs + L"\\" + relative;
        testdesk::MakeDirs(path.substr(0, path.find_last_of(L'\\')));
        testdesk::WriteBytes(path, {'M', 'Z'});
        installed.push_back(path);
        return path;
    }
    std::wstring Field(int i, int f) { return Text(ButtonStore->GetField(i, f)); }

    TFDovrak* form = nullptr;
    std::wstring pelnorDir, programs;
    bool programsExisted = false;
    std::vector<std::wstring> installed;
};

}  // namespace

TEST_F(BarDialogs, EditShowsTheStoredNamesAndGuessesAsTheFileIsTyped) {
    StartBar({{L"C:\\tools\\qtool.exe", L"KStored", L"Stored title", L"1"}});
    BarState->CutIndex = 0;
    StepRunner steps;
    steps.Step("shown", [] { return Shown(FormEdit); },
               [] {
                   EXPECT_EQ(TextOf(FormEdit->EditFile), L"C:\\tools\\qtool.exe");
                   EXPECT_EQ(TextOf(FormEdit->EditClass), L"KStored");
                   EXPECT_EQ(TextOf(FormEdit->EditTitle), L"Stored title");
                   EXPECT_EQ(FormEdit->ImageIcon->Picture()->Bitmap()->Width(), 32);
                   EXPECT_TRUE(FormEdit->CheckBoxControl->Checked());
                   EXPECT_TRUE(FormEdit->EditClass->Enabled());
                   EXPECT_FALSE(FormEdit->EditText->Enabled());
                   FormEdit->EditFile->SetFocus();
                   FormEdit->EditFile->SelectAll();
                   testdesk::TypeText(L"C:\\x\\q");
               })
        .Step("typed q", [] { return TextOf(FormEdit->EditFile) == L"C:\\x\\q"; },
              [] {
                  EXPECT_EQ(TextOf(FormEdit->EditClass), L"TFQ");
                  EXPECT_EQ(TextOf(FormEdit->EditTitle), L"Q");
                  testdesk::TypeText(L"zap.exe");
              })
        .Step("typed qzap.exe", [] { return TextOf(FormEdit->EditFile) == L"C:\\x\\qzap.exe"; },
              [] {
                  EXPECT_EQ(TextOf(FormEdit->EditClass), L"TFQZap");
                  EXPECT_EQ(TextOf(FormEdit->EditTitle), L"QZap");
                  FormEdit->EditFile->SelectAll();
                  testdesk::TypeText(L"a");
              })
        .Step("typed a", [] { return TextOf(FormEdit->EditFile) == L"a"; },
              [] {
                  EXPECT_EQ(TextOf(FormEdit->EditClass), L"");  // no guess: emptied
                  EXPECT_EQ(TextOf(FormEdit->EditTitle), L"");
                  Click(FormEdit->ButtonCancel);
              });
    RunModal(steps, [] { EditButton(0); });
    EXPECT_EQ(FormEdit, nullptr);
    EXPECT_EQ(BarState->CutIndex, -1);
    // Cancel writes nothing.
    EXPECT_EQ(Field(0, 1), L"C:\\tools\\qtool.exe");
    EXPECT_EQ(Field(0, 2), L"KStored");
    EXPECT_EQ(Field(0, 3), L"Stored title");
}

TEST_F(BarDialogs, SwatchesFollowTheCaptionBox) {
    StartBar({{L"", L"", L"", L"00001", L"Caption", L"255"}});
    const TColor buttonColor = BarState->ButtonColor;
    StepRunner steps;
    steps.Step("shown", [] { return Shown(FormEdit); },
               [&] {
                   EXPECT_EQ(FormEdit->TextColorButton->FaceColor(), 255);
                   EXPECT_EQ(FormEdit->ButtonColorButton->FaceColor(), buttonColor);
                   EXPECT_EQ(FormEdit->TextColorButton->Parent(), FormEdit->PanelText);
                   EXPECT_EQ(FormEdit->TextColorButton->Owner(), FormEdit->PanelText);
                   EXPECT_TRUE(FormEdit->TextColorButton->Enabled());
                   EXPECT_EQ(TextOf(FormEdit->EditText), L"Caption");
                   FormEdit->TextColorButton->SetFaceColor(0x00FF00);  // as if chosen
                   Click(FormEdit->CheckBoxText);
               })
        .Step("cleared", [] { return !FormEdit->CheckBoxText->Checked(); },
              [] {
                  EXPECT_EQ(FormEdit->TextColorButton->FaceColor(), clBtnFace);
                  EXPECT_EQ(FormEdit->ButtonColorButton->FaceColor(), clBtnFace);
                  EXPECT_FALSE(FormEdit->TextColorButton->Enabled());
                  EXPECT_FALSE(FormEdit->EditText->Enabled());
                  EXPECT_EQ(FormEdit->EditText->Color(), clBtnFace);
                  EXPECT_EQ(TextOf(FormEdit->EditText), L"Caption");
                  Click(FormEdit->CheckBoxText);
              })
        .Step("ticked", [] { return FormEdit->CheckBoxText->Checked(); },
              [&] {
                  EXPECT_EQ(FormEdit->TextColorButton->FaceColor(), 255);  // the colour it opened with
                  EXPECT_EQ(FormEdit->ButtonColorButton->FaceColor(), buttonColor);
                  EXPECT_EQ(FormEdit->EditText->Color(), clWindow);
                  Click(FormEdit->ButtonColorButton);
              })
        .Step("colour dialog, cancelled", [] { return DialogWindow(Pid()) != nullptr; },
              [] { PostMessageW(DialogWindow(Pid()), WM_COMMAND, IDCANCEL, 0); })
        .Step("colour dialog gone", [] { return !DialogWindow(Pid()); },
              [&] {
                  EXPECT_EQ(FormEdit->ButtonColorButton->FaceColor(), buttonColor);
                  Click(FormEdit->ButtonColorButton);
              })
        .Step("colour dialog, a colour chosen", [] { return DialogWindow(Pid()) != nullptr; },
              [] { ChooseColourInDialog(DialogWindow(Pid()), 10, 20, 30); })
        .Step("chosen", [] { return !DialogWindow(Pid()); },
              [] {
                  EXPECT_EQ(FormEdit->ButtonColorButton->FaceColor(), 0x1E140A);
                  Click(FormEdit->ButtonOK);
              });
    RunModal(steps, [] { EditButton(0); });
    EXPECT_EQ(Field(0, 6), L"255");
    EXPECT_EQ(Field(0, 7), std::to_wstring(0x1E140A));
    EXPECT_EQ(Field(0, 4), L"00001");
    EXPECT_EQ(Field(0, 5), L"Caption");
}

TEST_F(BarDialogs, OkWritesTheFieldsAndAFreshFlagString) {
    StartBar({{L"x"}});
    const std::wstring textColor = std::to_wstring(BarState->TextColor);
    const std::wstring buttonColor = std::to_wstring(BarState->ButtonColor);
    struct Case {
        const char* name;
        Rec in;
        std::function<void(TFormEdit*)> change;
        Rec out;
    } cases[] = {
        {"flags 0, 3 and 4 give 0 and 4", {L"C:\\a.exe", L"KA", L"TA", L"10011", L"Cap"}, nullptr,
         {L"C:\\a.exe", L"KA", L"TA", L"10001", L"Cap", textColor, buttonColor}},
        {"a disabled box is still written", {L"C:\\b.exe", L"KB", L"TB", L"011"},
         [](TFormEdit* d) { EXPECT_FALSE(d->CheckBoxAuto->Enabled()); }, {L"C:\\b.exe", L"KB", L"TB", L"011"}},
        {"caption box cleared: default colours",
         {L"C:\\c", L"", L"", L"00001", L"Keep", L"255", L"65280"},
         [](TFormEdit* d) {
             d->CheckBoxText->SetChecked(false);
             d->CheckBoxTextClick(d->CheckBoxText);
         },
         {L"C:\\c", L"", L"", L"", L"Keep"}},
        {"every control",
         {L""},
         [](TFormEdit* d) {
             d->EditFile->SetText(L"C:\\d \u8d77\u52d5.exe -p");
             d->EditClass->SetText(L"KD");
             d->EditTitle->SetText(L"D = \u8d77\u52d5");
             d->CheckBoxControl->SetChecked(true);
             d->CheckBoxTop->SetChecked(true);
             d->CheckBoxText->SetChecked(true);
             d->CheckBoxTextClick(d->CheckBoxText);
             d->EditText->SetText(L"\u8d77\u52d5");
             d->TextColorButton->SetFaceColor(0x0000FF);
             d->ButtonColorButton->SetFaceColor(0xFFFFFF);
         },
         {L"C:\\d \u8d77\u52d5.exe -p", L"KD", L"D = \u8d77\u52d5", L"11001", L"\u8d77\u52d5", L"255", L"16777215"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ButtonStore->List()->SetStrings(0, RecordLine(c.in));
        TFormEdit* d = OpenEdit(0);
        if (c.change) c.change(d);
        d->ButtonOK->Click();  // not shown: the button's click as the dialog would get it
        CloseEdit();
        EXPECT_EQ(Text(ButtonStore->GetLine(0)), RecordLine(c.out));
    }
}

TEST_F(BarDialogs, AMenuTargetGetsItsEmptyMenuFileOnce) {
    StartBar({{L""}});
    const std::wstring file7 = pelnorDir + L"\\pn000007.ini";
    auto okWith = [&](const std::wstring& target) {
        TFormEdit* d = OpenEdit(0);
        d->EditFile->SetText(target);
        d->ButtonOK->Click();
        CloseEdit();
    };
    ASSERT_FALSE(testdesk::FileExists(testdesk::KestovarDir(L"Pelnor")));
    okWith(L"C:\\Program Files\\Kestovar\\Pelnor\\pelnor.exe pn000007");
    EXPECT_EQ(testdesk::ReadBytes(file7), (std::vector<uint8_t>{0xFF, 0xFE}));
    EXPECT_EQ(Field(0, 1), L"C:\\Program Files\\Kestovar\\Pelnor\\pelnor.exe pn000007");

    // An existing menu file is left as it is.
    const std::vector<uint8_t> menu = {0xFF, 0xFE, 'A', 0, '=', 0, '1', 0, '\r', 0, '\n', 0};
    testdesk::WriteBytes(file7, menu);
    okWith(L"C:\\elsewhere\\pelnor.exe pn000007");
    EXPECT_EQ(testdesk::ReadBytes(file7), menu);

    okWith(L"D:\\Pelnor.EXE pn000008");
    EXPECT_EQ(testdesk::ReadBytes(pelnorDir + L"\\pn000008.ini"), (std::vector<uint8_t>{0xFF, 0xFE}));

    // Without a menu name, or for another program: nothing.
    testdesk::RemoveTree(pelnorDir);
    okWith(L"C:\\Program Files\\Kestovar\\Pelnor\\pelnor.exe");
    okWith(L"C:\\tools\\other.exe pn000009");
    EXPECT_FALSE(testdesk::FileExists(pelnorDir) || GetFileAttributesW(pelnorDir.c_str()) != INVALID_FILE_ATTRIBUTES);
}

TEST_F(BarDialogs, TextsARecordCannotHoldAreRefused) {
    StartBar({{L"C:\\x", L"K", L"T", L"10001", L"C"}});
    const std::wstring before = RecordLine({L"C:\\x", L"K", L"T", L"10001", L"C"});
    std::vector<std::wstring> messages;
    StepRunner steps;
    auto boxShown = [] { return DialogWindow(Pid()) != nullptr; };
    auto boxGone = [] { return !DialogWindow(Pid()) && Shown(FormEdit); };
    auto answer = [&] {
        HWND box = DialogWindow(Pid());
        messages.push_back(DialogText(box));
        PostMessageW(box, WM_COMMAND, IDOK, 0);
    };
    bool breakKept = false;
    steps.Step("shown", [] { return Shown(FormEdit); },
               [] {
                   FormEdit->EditTitle->SetText(L"C:\\1 Projects");
                   Click(FormEdit->ButtonOK);
               })
        .Step("title refused", boxShown, answer)
        .Step("still open", boxGone,
              [&] {
                  EXPECT_EQ(FormEdit->ModalResult(), mrNone);
                  EXPECT_EQ(Text(ButtonStore->GetLine(0)), before) << "nothing is written";
                  FormEdit->EditTitle->SetText(L"C:\\Projects");
                  FormEdit->EditClass->SetText(L"K\\9");
                  Click(FormEdit->ButtonOK);
              })
        .Step("class refused", boxShown, answer)
        .Step("open again", boxGone,
              [&] {
                  FormEdit->EditClass->SetText(L"KOk");
                  FormEdit->EditText->SetText(L"two\r\nlines");
                  breakKept = TextOf(FormEdit->EditText).find(L'\n') != std::wstring::npos;
                  if (breakKept) {
                      Click(FormEdit->ButtonOK);
                  }
              })
        .Step("caption refused", [&] { return !breakKept || DialogWindow(Pid()) != nullptr; },
              [&] {
                  if (breakKept) answer();
              })
        .Step("and once more", boxGone,
              [] {
                  FormEdit->EditText->SetText(L"one line");
                  Click(FormEdit->ButtonOK);
              });
    RunModal(steps, [] { EditButton(0); });
    ASSERT_GE(messages.size(), 2u);
    EXPECT_NE(messages[0].find(L"タイトル名"), std::wstring::npos) << testdesk::Narrow(messages[0]);
    EXPECT_NE(messages[0].find(L"window title"), std::wstring::npos);
    EXPECT_NE(messages[1].find(L"クラス名"), std::wstring::npos);
    EXPECT_NE(messages[1].find(L"window class"), std::wstring::npos);
    if (breakKept) {
        ASSERT_EQ(messages.size(), 3u);
        EXPECT_NE(messages[2].find(L"テキスト"), std::wstring::npos);
    }
    EXPECT_EQ(Field(0, 2), L"KOk");
    EXPECT_EQ(Field(0, 3), L"C:\\Projects");
    EXPECT_EQ(Field(0, 5), L"one line");
}

TEST_F(BarDialogs, SiblingProgramsAreLookedUpInThreePlaces) {
    StartBar({{L""}});
    const std::wstring own = Install(L"Brenk\\brenk.exe");
    Install(L"Dovrak\\brenk.exe");
    Install(L"brenk.exe");
    const std::wstring inBar = Install(L"Dovrak\\tolvin.exe");
    Install(L"tolvin.exe");
    const std::wstring inMaker = Install(L"fessel.exe");
    testdesk::MakeDirs(programs + L"\\Drumo\\drumo.exe");  // a folder does not count
    const std::wstring drumo = Install(L"drumo.exe");
    testdesk::MakeDirs(programs + L"\\Ulvan\\ulvan.exe");
    struct Case {
        int tag;
        std::wstring path;
    } cases[] = {{1, own}, {2, inBar}, {3, inMaker}, {4, drumo}, {5, L""}, {7, L""}};
    for (const auto& c : cases) {
        TMenuItem* item = KSetup->ItemOfTag(c.tag);
        item->SetVisible(true);
        EXPECT_EQ(KSetup->FindProgram(TKSetup::ProgramName(c.tag), item), c.path) << c.tag;
        EXPECT_EQ(item->Visible(), !c.path.empty()) << c.tag;
        EXPECT_EQ(item->Bitmap()->Width(), 16);
        EXPECT_EQ(item->Bitmap()->Height(), 16);
    }
    testdesk::RemoveTree(programs + L"\\Drumo");
    testdesk::RemoveTree(programs + L"\\Ulvan");
}

TEST_F(BarDialogs, ThePopupOffersTheInstalledProgramsOnly) {
    StartBar({{L""}});
    KSetup->PMenuSetupPopup(KSetup->PMenuSetup);
    for (int tag = 1; tag <= 12; ++tag) EXPECT_FALSE(KSetup->ItemOfTag(tag)->Visible()) << tag;

    // Installed meanwhile: offered at the next popup; the bar itself never.
    Install(L"Pelnor\\pelnor.exe");
    Install(L"oskel.exe");
    Install(L"Dovrak\\dovrak.exe");
    Install(L"Dovrak\\drumo.exe");
    std::vector<std::wstring> seen;
    POINT expected{}, menuAt{};
    StepRunner steps;
    steps.Step("shown", [] { return Shown(FormEdit); },
               [&] {
                   expected.x = FormEdit->Left() + FormEdit->SBQSetup->Left() + 3;
                   expected.y = FormEdit->Top() + FormEdit->SBQSetup->Top() + FormEdit->SBQSetup->Height() +
                                (FormEdit->Height() - FormEdit->ClientHeight()) - 5;
                   Click(FormEdit->SBQSetup);
               })
        .Step("menu", [] { return KSetup->PMenuSetup->ShownHandle() && ShownMenuWindow(Pid()); },
              [&] {
                  HMENU m = KSetup->PMenuSetup->ShownHandle();
                  for (int k = 0; k < GetMenuItemCount(m); ++k) {
                      wchar_t buf[64] = {};
                      GetMenuStringW(m, static_cast<UINT>(k), buf, 64, MF_BYPOSITION);
                      seen.push_back(buf);
                  }
                  RECT r{};
                  GetWindowRect(ShownMenuWindow(Pid()), &r);
                  menuAt = POINT{r.left, r.top};
                  testdesk::PressKey(VK_ESCAPE);
              })
        .Step("closed", [] { return !ShownMenuWindow(Pid()); }, [] { Click(FormEdit->ButtonCancel); });
    RunModal(steps, [] { EditButton(0); });
    EXPECT_EQ(seen, (std::vector<std::wstring>{L"Drumo", L"Pelnor", L"Oskel"}));
    EXPECT_NEAR(menuAt.x, expected.x, 3);
    EXPECT_NEAR(menuAt.y, expected.y, 3);
    EXPECT_FALSE(KSetup->PMDovrak->Visible());
}

TEST_F(BarDialogs, NewMenuNamesAreTheLowestFree) {
    StartBar({{L""}});
    EXPECT_EQ(KSetup->NewMenuIniName(), L"pn000001");  // no folder at all
    testdesk::MakeDirs(pelnorDir);
    testdesk::WriteBytes(pelnorDir + L"\\pn000001.ini", {0xFF, 0xFE});
    testdesk::WriteBytes(pelnorDir + L"\\pn000003.ini", {0xFF, 0xFE});
    EXPECT_EQ(KSetup->NewMenuIniName(), L"pn000002");
    testdesk::MakeDirs(pelnorDir + L"\\pn000002.ini");  // a folder takes the name too
    EXPECT_EQ(KSetup->NewMenuIniName(), L"pn000004");
    EXPECT_FALSE(testdesk::FileExists(pelnorDir + L"\\pn000004.ini"));  // only chosen, not made
}

TEST_F(BarDialogs, PickingAProgramFillsTheDialog) {
    StartBar({{L""}});
    const std::wstring pelnor = Install(L"Pelnor\\pelnor.exe");
    const std::wstring oskel = Install(L"Oskel\\oskel.exe");
    // Picks the visible item of that caption from the real popup of SBQSetup.
    auto pick = [](StepRunner& s, const wchar_t* caption, std::function<void()> after) {
        s.Step("open the programs' menu", [] { return Shown(FormEdit) && !ShownMenuWindow(Pid()); },
               [] { Click(FormEdit->SBQSetup); })
            .Step("pick", [] { return KSetup->PMenuSetup->ShownHandle() && ShownMenuWindow(Pid()); },
                  [caption] {
                      HMENU m = KSetup->PMenuSetup->ShownHandle();
                      for (int k = 0; k < GetMenuItemCount(m); ++k) {
                          wchar_t buf[64] = {};
                          GetMenuStringW(m, static_cast<UINT>(k), buf, 64, MF_BYPOSITION);
                          if (std::wstring(buf) != caption) continue;
                          RECT r{};
                          GetMenuItemRect(nullptr, m, static_cast<UINT>(k), &r);
                          testdesk::LeftClick((r.left + r.right) / 2, (r.top + r.bottom) / 2);
                          return;
                      }
                      ADD_FAILURE() << "not offered";
                      testdesk::PressKey(VK_ESCAPE);
                  })
            .Step("picked", [] { return !ShownMenuWindow(Pid()) && !KSetup->PMenuSetup->ShownHandle(); }, after);
    };
    StepRunner steps;
    steps.Step("shown", [] { return Shown(FormEdit); }, [] { FormEdit->EditText->SetText(L"Old"); });
    pick(steps, L"Pelnor", [&] {
        EXPECT_EQ(TextOf(FormEdit->EditFile), pelnor + L" pn000001");
        EXPECT_EQ(TextOf(FormEdit->EditText), L"Pelnor");
        EXPECT_EQ(FormEdit->ImageIcon->Picture()->Bitmap()->Width(), 32);
        FormEdit->EditFile->SetText(L"C:\\old\\pelnor.exe mymenu");
        FormEdit->EditClass->SetText(L"changed");
    });
    pick(steps, L"Pelnor", [&] {
        // A button that opens a menu keeps it; the change handler still ran.
        EXPECT_EQ(TextOf(FormEdit->EditFile), L"C:\\old\\pelnor.exe mymenu");
        EXPECT_EQ(TextOf(FormEdit->EditClass), L"");
        FormEdit->CheckBoxText->SetChecked(true);
        FormEdit->EditText->SetText(L"Mine");
    });
    pick(steps, L"Oskel", [&] {
        EXPECT_EQ(TextOf(FormEdit->EditFile), oskel);
        EXPECT_EQ(TextOf(FormEdit->EditText), L"Mine");
    });
    pick(steps, L"Pelnor", [&] {
        // Cancelled picks took no name: the same one comes again.
        EXPECT_EQ(TextOf(FormEdit->EditFile), pelnor + L" pn000001");
        EXPECT_EQ(TextOf(FormEdit->EditText), L"Mine");
        Click(FormEdit->ButtonOK);
    });
    RunModal(steps, [] { EditButton(0); });
    EXPECT_EQ(Field(0, 1), pelnor + L" pn000001");
    EXPECT_EQ(Field(0, 5), L"Mine");
    EXPECT_EQ(testdesk::ReadBytes(pelnorDir + L"\\pn000001.ini"), (std::vector<uint8_t>{0xFF, 0xFE}));
    EXPECT_EQ(KSetup->NewMenuIniName(), L"pn000002");
}

TEST_F(BarDialogs, PickingTheMenuProgramGoneSinceThePopup) {
    StartBar({{L""}});
    // Nothing installed: the item is looked up again and hidden, its path empty.
    struct Case {
        std::wstring before, after;
    } cases[] = {
        {L"C:\\old\\pelnor.exe mymenu", L"C:\\old\\pelnor.exe mymenu"},  // keeps its menu
        {L"D:\\PELNOR.exe pn000042", L"D:\\PELNOR.exe pn000042"},
        {L"C:\\old\\pelnor.exe", L""},  // no menu name and no program to give one to
        {L"C:\\tools\\other.exe m", L""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testdesk::Narrow(c.before));
        TFormEdit* d = OpenEdit(0);
        d->EditFile->SetText(c.before);
        d->EditClass->SetText(L"changed");
        KSetup->PMPelnor->SetVisible(true);
        KSetup->PMenuClick(KSetup->PMPelnor);
        EXPECT_EQ(TextOf(d->EditFile), c.after);
        EXPECT_EQ(TextOf(d->EditClass), L"") << "the change handler ran";
        EXPECT_EQ(TextOf(d->EditText), L"Pelnor");
        EXPECT_FALSE(KSetup->PMPelnor->Visible());
        CloseEdit();
    }
}

TEST_F(BarDialogs, OptionsStoreOnlyOnOk) {
    StartBar({{L"C:\\"}, {L"C:\\windows"}}, {L"ButtonSize=32"});
    ASSERT_EQ(form->Height(), 38);
    const TColor formColor = BarState->FormColor;

    StepRunner steps;
    steps.Step("shown", [] { return Shown(FormOption); },
               [] {
                   EXPECT_EQ(FormOption->ComboBoxButtonSize->ItemIndex(), 2);
                   EXPECT_EQ(TextOf(FormOption->LabelVersion), L"Version 0.06");
                   EXPECT_EQ(FormOption->FormColorButton->Parent(), FormOption->GroupBoxColor);
                   EXPECT_EQ(FormOption->FormColorButton->FaceColor(), BarState->FormColor);
                   EXPECT_EQ(FormOption->ButtonColorButton->FaceColor(), BarState->ButtonColor);
                   FormOption->ComboBoxButtonSize->SetFocus();
                   testdesk::PressKey(VK_END);  // the last entry, "40"
               })
        .Step("40 chosen", [] { return FormOption->ComboBoxButtonSize->ItemIndex() == 3; },
              [] { Click(FormOption->ButtonOK); });
    RunModal(steps, [] { ShowOptions(); });
    EXPECT_EQ(FormOption, nullptr);
    EXPECT_EQ(BarState->ButtonSize, 40);
    EXPECT_EQ(form->Height(), 46);
    EXPECT_EQ(ButtonArray->Buttons[0]->Height(), 46);

    // A new bar colour, then Cancel: nothing changes.
    StepRunner cancel;
    cancel.Step("shown", [] { return Shown(FormOption); }, [] { Click(FormOption->FormColorButton); })
        .Step("colour dialog", [] { return DialogWindow(Pid()) != nullptr; },
              [] { ChooseColourInDialog(DialogWindow(Pid()), 255, 0, 0); })
        .Step("chosen", [] { return !DialogWindow(Pid()); },
              [] {
                  EXPECT_EQ(FormOption->FormColorButton->FaceColor(), 0x0000FF);
                  FormOption->CheckBoxAutoHide->SetChecked(true);
                  Click(FormOption->ButtonCancel);
              });
    RunModal(cancel, [] { ShowOptions(); });
    EXPECT_EQ(BarState->FormColor, formColor);
    EXPECT_EQ(form->FormColor, formColor);
    EXPECT_EQ(BarState->AutoHide, 0);

    // Automatic hiding on: armed at OK.
    StepRunner hide;
    hide.Step("shown", [] { return Shown(FormOption); }, [] { Click(FormOption->CheckBoxAutoHide); })
        .Step("ticked", [] { return FormOption->CheckBoxAutoHide->Checked(); }, [] { Click(FormOption->ButtonOK); });
    RunModal(hide, [] { ShowOptions(); });
    EXPECT_EQ(BarState->AutoHide, 1);
    EXPECT_EQ(DM->TimerMode, 3);
    EXPECT_TRUE(DM->Timer->Enabled());
    EXPECT_EQ(DM->Timer->Interval(), 10000u);

    // A size the list does not offer stays as it is.
    BarState->ButtonSize = 64;
    StepRunner keep;
    keep.Step("shown", [] { return Shown(FormOption); },
              [] {
                  EXPECT_EQ(FormOption->ComboBoxButtonSize->ItemIndex(), -1);
                  Click(FormOption->ButtonOK);
              });
    RunModal(keep, [] { ShowOptions(); });
    EXPECT_EQ(BarState->ButtonSize, 64);
}

TEST_F(BarDialogs, EditDialogLayoutTabOrderAndCheckBoxesOverThePanels) {
    StartBar({{L"C:\\", L"", L"", L"10001"}});
    TFormEdit* d = OpenEdit(0);
    d->Show();
    testdesk::PumpMessages();
    EXPECT_EQ(d->ClientWidth(), 444);
    EXPECT_EQ(d->ClientHeight(), 319);
    EXPECT_EQ(d->Font()->Name(), L"Tahoma");
    EXPECT_EQ(d->Font()->Height(), -11);
    EXPECT_EQ(d->EditFile->Font()->Name(), L"Tahoma");
    struct Place {
        TControl* control;
        TWinControl* parent;
        int left, top, width, height;
    } places[] = {
        {d->PanelIcon, d, 9, 6, 38, 38},          {d->ImageIcon, d->PanelIcon, 3, 3, 32, 32},
        {d->EditFile, d, 57, 21, 324, 21},        {d->SpeedButtonFolder, d, 387, 21, 23, 22},
        {d->SBQSetup, d, 412, 21, 23, 22},        {d->CheckBoxControl, d, 21, 56, 156, 17},
        {d->PanelControl, d, 9, 63, 426, 127},    {d->EditClass, d->PanelControl, 66, 14, 351, 21},
        {d->EditTitle, d->PanelControl, 66, 38, 351, 21}, {d->CheckBoxTop, d->PanelControl, 66, 65, 106, 17},
        {d->CheckBoxAuto, d->PanelControl, 66, 83, 106, 17}, {d->CheckBoxHide, d->PanelControl, 66, 101, 185, 17},
        {d->CheckBoxText, d, 21, 201, 115, 17},   {d->PanelText, d, 9, 208, 426, 66},
        {d->EditText, d->PanelText, 12, 30, 189, 21}, {d->TextColorButton, d->PanelText, 220, 30, 88, 22},
        {d->ButtonColorButton, d->PanelText, 320, 30, 88, 22}, {d->ButtonOK, d, 279, 289, 75, 22},
        {d->ButtonCancel, d, 360, 289, 75, 22},
    };
    for (const auto& p : places) {
        SCOPED_TRACE(testdesk::Narrow(p.control->Name));
        EXPECT_EQ(p.control->Parent(), p.parent);
        EXPECT_EQ(p.control->Left(), p.left);
        EXPECT_EQ(p.control->Top(), p.top);
        EXPECT_EQ(p.control->Width(), p.width);
        EXPECT_EQ(p.control->Height(), p.height);
    }
    EXPECT_FALSE(d->CheckBoxHide->Visible());
    EXPECT_EQ(TextOf(d->CheckBoxControl), L"アプリケーションの制御を行う");
    EXPECT_EQ(TextOf(d->CheckBoxText), L"テキスト表示を行う");
    EXPECT_EQ(TextOf(d->ButtonCancel), L"キャンセル");
    EXPECT_EQ(d->SBQSetup->Hint(), L"Kestovar Soft");
    EXPECT_EQ(d->SpeedButtonFolder->Hint(), L"ファイルまたはフォルダー");
    EXPECT_EQ(d->SpeedButtonFolder->Glyph()->Width(), 16);
    EXPECT_EQ(d->SBQSetup->Glyph()->Height(), 16);

    // Where a check box lies on its panel's top edge, the check box is on top.
    for (TControl* box : {static_cast<TControl*>(d->CheckBoxControl), static_cast<TControl*>(d->CheckBoxText)}) {
        const RECT r = testdesk::ScreenRect(box->Handle());
        const POINT onEdge{r.left + 30, r.bottom - 2};
        EXPECT_EQ(WindowFromPoint(onEdge), box->Handle()) << testdesk::Narrow(box->Name);
    }

    // Tab reaches each panel's controls before the check box over its edge.
    std::vector<TWinControl*> order;
    TWinControl* c = d->FindNextControl(nullptr, true);
    for (int k = 0; k < 12 && c; ++k) {
        order.push_back(c);
        c = d->FindNextControl(c, true);
        if (c == order.front()) break;
    }
    const std::vector<TWinControl*> expected = {
        d->EditFile,        d->EditClass, d->EditTitle,    d->CheckBoxTop, d->CheckBoxAuto,
        d->CheckBoxControl, d->EditText,  d->CheckBoxText, d->ButtonOK,    d->ButtonCancel,
    };
    EXPECT_EQ(order, expected);
    for (TButton* b : {d->ButtonOK, d->ButtonCancel}) {
        EXPECT_FALSE(b->Default());
        EXPECT_FALSE(b->Cancel());
    }
    CloseEdit();
}

TEST_F(BarDialogs, KeysMoveThroughTheDialogsInTabOrderAndEnterOrEscClosesNothing) {
    StartBar({{L"C:\\tools\\qtool.exe", L"KStored", L"Stored title", L"10001", L"Caption"}});
    const std::wstring line = Text(ButtonStore->GetLine(0));
    const int size = BarState->ButtonSize;
    KeyWalk walks[] = {
        {"edit dialog", [] { EditButton(0); }, [] { return static_cast<TForm*>(FormEdit); },
         {L"EditFile", L"EditClass", L"EditTitle", L"CheckBoxTop", L"CheckBoxAuto", L"CheckBoxControl", L"EditText",
          L"CheckBoxText", L"ButtonOK", L"ButtonCancel"},
         [] { return static_cast<TWinControl*>(FormEdit->EditText); }, 6, 'Z',
         [] { Click(FormEdit->ButtonCancel); }},
        {"option dialog", [] { ShowOptions(); }, [] { return static_cast<TForm*>(FormOption); },
         {L"ComboBoxButtonSize", L"CheckBoxAutoHide", L"ButtonOK", L"ButtonCancel"},
         [] { return static_cast<TWinControl*>(FormOption->ComboBoxButtonSize); }, 0, VK_END,
         [] { Click(FormOption->ButtonCancel); }},
    };
    for (KeyWalk& w : walks) {
        SCOPED_TRACE(w.name);
        StepRunner steps;
        AddKeyWalk(steps, w);
        RunModal(steps, w.command);
        ExpectKeyWalk(w);
        // Nothing was written.
        EXPECT_EQ(Text(ButtonStore->GetLine(0)), line);
        EXPECT_EQ(BarState->ButtonSize, size);
    }
}

TEST_F(BarDialogs, TheVersionStandsAtItsPlaceOverTheName) {
    StartBar({{L""}});
    FormOption = new TFormOption(Application);
    FormOption->HandleNeeded();
    FormOption->DoCreate();
    TLabel* version = FormOption->LabelVersion;
    EXPECT_EQ(version->Left(), 74);
    EXPECT_EQ(version->Top(), 20);
    EXPECT_EQ(TextOf(version), L"Version 0.06");
    // Where a wide face for the name reaches under it, the version is drawn
    // over the name: each of its corners shows the version.
    const RECT r = version->BoundsRect();
    for (const POINT p : {POINT{r.left, r.top}, POINT{r.right - 1, r.top}, POINT{r.left, r.bottom - 1},
                          POINT{r.right - 1, r.bottom - 1}})
        EXPECT_EQ(ChildWindowFromPointEx(FormOption->Handle(), p, CWP_ALL), version->Handle()) << p.x << ", " << p.y;
    for (TButton* b : {FormOption->ButtonOK, FormOption->ButtonCancel}) {
        EXPECT_FALSE(b->Default());
        EXPECT_FALSE(b->Cancel());
    }
    delete FormOption;
    FormOption = nullptr;
}
