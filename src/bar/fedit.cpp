// Unit FEdit: the bar's button edit dialog, and the bar's click handler of
// the sibling-program menu (TKSetup::PMenuClick), which fills this dialog.
#include "fedit.h"

#include "d01.h"
#include "dsetup.h"
#include "fieldtext.h"
#include "formplace.h"
#include "g01.h"
#include "glyphs.h"
#include "qbtn.h"
#include "qini.h"
#include "s01.h"
#include "s02.h"

namespace {

TCheckBox* PlaceCheckBox(TWinControl* parent, TComponent* owner, const wchar_t* name, int left, int top, int width,
                         const wchar_t* caption) {
    TCheckBox* box = PlaceControl<TCheckBox>(parent, owner, name, left, top, width, 17);
    box->SetCaption(caption);
    return box;
}

TPanel* PlacePanel(TWinControl* parent, TComponent* owner, const wchar_t* name, int left, int top, int width,
                   int height) {
    TPanel* panel = PlaceControl<TPanel>(parent, owner, name, left, top, width, height);
    panel->SetBevelInner(bvRaised);
    panel->SetBevelOuter(bvLowered);
    return panel;
}

UnicodeString FieldOf(int record, int field) { return ButtonStore->GetField(record, field).c_str(); }

bool ValidRecord(int i) { return BarState && ButtonStore && i >= 0 && i < ButtonStore->Count(); }

// A colour field as the dialog takes it: true and the colour when the field
// names one.
bool FieldColorValue(const UnicodeString& field, TColor& color) {
    if (field.empty()) return false;
    try {
        color = StringToColor(field);
        return true;
    } catch (const EConvertError&) {
        return false;  // a hand-edited field that names no colour: the default stays
    }
}

// One plain field that a record line could not hold: the control, its name
// for the message.
struct UnsafeField {
    TEdit* edit;
    const wchar_t* japanese;
    const wchar_t* english;
};

}  // namespace

UnicodeString MenuFileOfTarget(const UnicodeString& target) {
    UnicodeString file, folder, params;
    SplitCmdLine(target, file, folder, params);
    if (UpperCase(file) != L"PELNOR.EXE" || params.empty()) return UnicodeString();
    const UnicodeString appData = GetAppDataFolder();
    if (appData.empty()) return UnicodeString();
    return appData + L"\\Kestovar\\Pelnor\\" + params + L".ini";
}

// --- the dialog --------------------------------------------------------------------

TFormEdit::TFormEdit(TComponent* AOwner) : TForm(AOwner) {
    Name = L"FormEdit";
    SetBorderStyle(bsDialog);
    SetPosition(poDesktopCenter);
    SetCaption(L"ボタンデータの編集");
    SetColor(clBtnFace);
    Font()->SetName(L"Tahoma");
    Font()->SetHeight(-11);
    SetClientWidth(444);
    SetClientHeight(319);
    OnCreate = Bind(this, &TFormEdit::FormCreate);

    // Windows are made in this order, from top to bottom: each check box
    // that sits on the top edge of its panel comes before the panel, so that
    // it is drawn over the edge (as a group box's caption is). The Tab order
    // is set apart below.
    PanelIcon = PlacePanel(this, this, L"PanelIcon", 9, 6, 38, 38);
    ImageIcon = PlaceControl<TImage>(PanelIcon, this, L"ImageIcon", 3, 3, 32, 32);
    ImageIcon->SetTransparent(true);
    Label1 = PlaceLabel(this, this, L"Label1", 57, 6, L"ファイル名");
    EditFile = PlaceControl<TEdit>(this, this, L"EditFile", 57, 21, 324, 21);
    EditFile->OnChange = Bind(this, &TFormEdit::EditFileChange);
    SpeedButtonFolder = PlaceControl<TSpeedButton>(this, this, L"SpeedButtonFolder", 387, 21, 23, 22);
    SpeedButtonFolder->SetHint(L"ファイルまたはフォルダー");
    SpeedButtonFolder->SetShowHint(true);
    DrawFolderGlyph(SpeedButtonFolder->Glyph());
    SpeedButtonFolder->OnClick = Bind(this, &TFormEdit::SpeedButtonFolderClick);
    SBQSetup = PlaceControl<TSpeedButton>(this, this, L"SBQSetup", 412, 21, 23, 22);
    SBQSetup->SetHint(L"Kestovar Soft");
    SBQSetup->SetShowHint(true);
    DrawMakerGlyph(SBQSetup->Glyph());
    SBQSetup->OnClick = Bind(this, &TFormEdit::SBQSetupClick);

    CheckBoxControl = PlaceCheckBox(this, this, L"CheckBoxControl", 21, 56, 156, L"アプリケーションの制御を行う");
    CheckBoxControl->OnClick = Bind(this, &TFormEdit::CheckBoxControlClick);
    PanelControl = PlacePanel(this, this, L"PanelControl", 9, 63, 426, 127);
    Label2 = PlaceLabel(PanelControl, this, L"Label2", 9, 19, L"クラス名");
    Label3 = PlaceLabel(PanelControl, this, L"Label3", 9, 40, L"タイトル名");
    EditClass = PlaceControl<TEdit>(PanelControl, this, L"EditClass", 66, 14, 351, 21);
    EditTitle = PlaceControl<TEdit>(PanelControl, this, L"EditTitle", 66, 38, 351, 21);
    CheckBoxTop = PlaceCheckBox(PanelControl, this, L"CheckBoxTop", 66, 65, 106, L"トップ表示を行う");
    CheckBoxAuto = PlaceCheckBox(PanelControl, this, L"CheckBoxAuto", 66, 83, 106, L"自動起動する");
    CheckBoxHide = PlaceCheckBox(PanelControl, this, L"CheckBoxHide", 66, 101, 185, L"自動起動のとき非表示にする");
    CheckBoxHide->SetVisible(false);

    CheckBoxText = PlaceCheckBox(this, this, L"CheckBoxText", 21, 201, 115, L"テキスト表示を行う");
    CheckBoxText->OnClick = Bind(this, &TFormEdit::CheckBoxTextClick);
    PanelText = PlacePanel(this, this, L"PanelText", 9, 208, 426, 66);
    Label4 = PlaceLabel(PanelText, this, L"Label4", 12, 15, L"テキスト");
    Label5 = PlaceLabel(PanelText, this, L"Label5", 220, 15, L"テキストカラー");
    Label6 = PlaceLabel(PanelText, this, L"Label6", 320, 15, L"ボタンカラー");
    EditText = PlaceControl<TEdit>(PanelText, this, L"EditText", 12, 30, 189, 21);

    ButtonOK = PlaceButton(this, this, L"ButtonOK", 279, 289, 75, 22, L"OK", mrOk);
    ButtonOK->SetAnchors(akRight | akBottom);
    ButtonOK->OnClick = Bind(this, &TFormEdit::ButtonOKClick);
    ButtonCancel = PlaceButton(this, this, L"ButtonCancel", 360, 289, 75, 22, L"キャンセル", mrCancel);
    ButtonCancel->SetAnchors(akRight | akBottom);

    // Tab reaches each panel's controls before the check box that enables them.
    int order = 0;
    for (TWinControl* control : std::initializer_list<TWinControl*>{
             PanelIcon, EditFile, PanelControl, CheckBoxControl, PanelText, CheckBoxText, ButtonOK, ButtonCancel})
        control->SetTabOrder(order++);
}

TFormEdit::~TFormEdit() {
    if (FormEdit == this) FormEdit = nullptr;
}

void TFormEdit::FormCreate(TObject*) {
    Updating = 0;
    TextColor = BarState ? BarState->TextColor : clBlack;
    ButtonColor = BarState ? BarState->ButtonColor : clBtnFace;

    struct Swatch {
        TKButton*& field;
        const wchar_t* name;
        int left, tag, face;
    } swatches[] = {
        {TextColorButton, L"TextColorButton", 220, 0, TextColor},
        {ButtonColorButton, L"ButtonColorButton", 320, 1, ButtonColor},
    };
    for (Swatch& s : swatches) {
        auto* button = new TKButton(PanelText);  // owner and parent
        button->Name = s.name;
        button->SetVisible(true);
        button->SetQButtonStyle(qsSingle);
        button->OnClick = Bind(this, &TFormEdit::ColorButtonClick);
        button->SetBounds(s.left, 30, 88, 22);
        button->SetParent(PanelText);
        button->Tag = s.tag;
        button->SetFaceColor(s.face);
        s.field = button;
    }

    const int i = ButtonArray ? ButtonArray->Current : -1;
    if (ValidRecord(i)) {
        // The file first: its change guesses the class and title, which the
        // stored ones then replace.
        EditFile->SetText(FieldOf(i, FieldTarget));
        EditClass->SetText(FieldOf(i, FieldClass));
        EditTitle->SetText(FieldOf(i, FieldTitle));
        TKVar flags(FieldOf(i, FieldFlags));
        EditText->SetText(FieldOf(i, FieldCaption));
        TColor color = 0;
        if (FieldColorValue(FieldOf(i, FieldTextColor), color)) {
            TextColorButton->SetFaceColor(color);
            TextColor = color;
        }
        if (FieldColorValue(FieldOf(i, FieldFaceColor), color)) {
            ButtonColorButton->SetFaceColor(color);
            ButtonColor = color;
        }
        CheckBoxControl->SetChecked(TQini::GetFlag(flags, FlagControl));
        CheckBoxTop->SetChecked(TQini::GetFlag(flags, FlagTopMost));
        CheckBoxAuto->SetChecked(TQini::GetFlag(flags, FlagAutoStart));
        CheckBoxText->SetChecked(TQini::GetFlag(flags, FlagShowText));
    }
    CheckBoxControlClick(CheckBoxControl);
    CheckBoxTextClick(CheckBoxText);
}

void TFormEdit::CheckBoxControlClick(TObject*) {
    const bool on = CheckBoxControl->Checked();
    for (TEdit* edit : {EditClass, EditTitle}) {
        edit->SetEnabled(on);
        edit->SetColor(on ? clWindow : clBtnFace);
    }
    for (TCheckBox* box : {CheckBoxTop, CheckBoxAuto, CheckBoxHide}) box->SetEnabled(on);
}

void TFormEdit::CheckBoxTextClick(TObject*) {
    const bool on = CheckBoxText->Checked();
    EditText->SetEnabled(on);
    EditText->SetColor(on ? clWindow : clBtnFace);
    TextColorButton->SetEnabled(on);
    ButtonColorButton->SetEnabled(on);
    TextColorButton->SetFaceColor(on ? TextColor : clBtnFace);
    ButtonColorButton->SetFaceColor(on ? ButtonColor : clBtnFace);
}

void TFormEdit::ColorButtonClick(TObject* Sender) {
    auto* sender = dynamic_cast<TKButton*>(Sender);
    if (!sender || !DM) return;
    TKButton* swatch = sender->Tag == 0 ? TextColorButton : ButtonColorButton;
    DM->ColorDialog->SetColor(swatch->FaceColor());
    if (DM->ColorDialog->Execute()) swatch->SetFaceColor(DM->ColorDialog->Color());
}

void TFormEdit::EditFileChange(TObject*) {
    if (Updating == 1) return;
    Updating = 1;
    try {
        // A relative target is looked up from the program's folder.
        if (BarState) ::SetCurrentDirectoryW(BarState->ExeDir.c_str());
        const UnicodeString target = EditFile->Text();
        DrawFileIcon(ImageIcon->Picture()->Bitmap(), target, kIconLarge, clBtnFace);
        ImageIcon->Invalidate();  // drawing on the bitmap tells the image nothing
        TKVar className, title;
        GuessWindowNames(target.c_str(), className, title);
        EditClass->SetText(className.c_str());
        EditTitle->SetText(title.c_str());
    } catch (...) {
        Updating = 0;
        throw;
    }
    Updating = 0;
}

void TFormEdit::SpeedButtonFolderClick(TObject*) {
    UnicodeString path;
    bool chosen = false;
    WithoutHint(SpeedButtonFolder,
                [&] { chosen = BrowseForFileOrFolder(L"ファイルまたはフォルダーを指定して下さい。", path); });
    if (!chosen) return;
    EditFile->SetText(L"");
    EditFile->SetText(path);
    EditText->SetText(ExtractFileName(path));
}

void TFormEdit::SBQSetupClick(TObject*) {
    if (!KSetup) return;
    const int x = Left() + SBQSetup->Left() + 3;
    const int y = Top() + SBQSetup->Top() + SBQSetup->Height() + (Height() - ClientHeight()) - 5;
    WithoutHint(SBQSetup, [&] { KSetup->PMenuSetup->Popup(x, y); });
}

void TFormEdit::ButtonOKClick(TObject*) {
    const int i = ButtonArray ? ButtonArray->Current : -1;
    if (!ValidRecord(i)) return;  // the bar has closed or the record is gone

    // A plain field cannot hold a field marker or a line break: such a text
    // would come back cut or split, so nothing is written and the dialog
    // stays open.
    const UnsafeField plainFields[] = {
        {EditClass, L"クラス名", L"window class"},
        {EditTitle, L"タイトル名", L"window title"},
        {EditText, L"テキスト", L"caption"},
    };
    for (const UnsafeField& f : plainFields) {
        if (IsPlainFieldSafe(f.edit->Text())) continue;
        SetModalResult(mrNone);
        const UnicodeString message = UnicodeString(L"「") + f.japanese +
                                      L"」には、「\\」に続く数字 1～9 と改行は使えません。\n\n" + L"The " +
                                      f.english +
                                      L" cannot hold a backslash followed by a digit 1 to 9, nor a line break.";
        ::MessageBoxW(Handle(), message.c_str(), L"Dovrak", MB_OK | MB_ICONWARNING);
        if (f.edit->Enabled()) f.edit->SetFocus();
        return;
    }

    ButtonStore->SetField(i, FieldTarget, EditFile->Text().c_str());
    ButtonStore->SetField(i, FieldClass, EditClass->Text().c_str());
    ButtonStore->SetField(i, FieldTitle, EditTitle->Text().c_str());
    TKVar flags(L"");
    TQini::SetFlag(flags, FlagControl, CheckBoxControl->Checked());
    TQini::SetFlag(flags, FlagTopMost, CheckBoxTop->Checked());
    TQini::SetFlag(flags, FlagAutoStart, CheckBoxAuto->Checked());
    TQini::SetFlag(flags, FlagShowText, CheckBoxText->Checked());
    ButtonStore->SetField(i, FieldFlags, flags);
    ButtonStore->SetField(i, FieldCaption, EditText->Text().c_str());
    if (CheckBoxText->Checked()) {
        ButtonStore->SetField(i, FieldTextColor, IntToStr(TextColorButton->FaceColor()).c_str());
        ButtonStore->SetField(i, FieldFaceColor, IntToStr(ButtonColorButton->FaceColor()).c_str());
    } else {
        ButtonStore->SetField(i, FieldTextColor, L"");
        ButtonStore->SetField(i, FieldFaceColor, L"");
    }
    PrepareMenuFile();
}

void TFormEdit::PrepareMenuFile() {
    const UnicodeString path = MenuFileOfTarget(EditFile->Text());
    if (path.empty() || FileExists(path)) return;  // an existing menu file is never touched
    const UnicodeString kestovar = GetAppDataFolder() + L"\\Kestovar";
    if (!DirectoryExists(kestovar)) CreateDir(kestovar);
    if (!DirectoryExists(kestovar + L"\\Pelnor")) CreateDir(kestovar + L"\\Pelnor");
    TStringList empty;
    empty.SaveToFile(path);  // only the byte-order mark FF FE
}

// --- the bar's handler of the sibling-program menu ------------------------------------

void TKSetup::PMenuClick(TObject* Sender) {
    auto* item = dynamic_cast<TMenuItem*>(Sender);
    if (!item) return;
    const UnicodeString name = ProgramName(item->Tag);
    if (name.empty()) return;
    const UnicodeString path = FindProgram(name, item);
    if (!FormEdit) return;  // no dialog to fill

    UnicodeString cmd = path;
    constexpr int PelnorTag = 8;
    if (item->Tag == PelnorTag) {
        // A button that starts a menu already keeps its menu name, even when
        // the menu program has gone since the popup; any other gets a menu of
        // its own, or nothing when there is no program to give one to.
        const UnicodeString current = FormEdit->EditFile->Text();
        UnicodeString file, folder, params;
        SplitCmdLine(current, file, folder, params);
        if (UpperCase(file) == L"PELNOR.EXE" && !params.empty())
            cmd = current;
        else if (!path.empty())
            cmd = path + L" " + NewMenuIniName();
    }
    // Emptied first, so that the change handler runs also for the same text.
    FormEdit->EditFile->SetText(L"");
    FormEdit->EditFile->SetText(cmd);
    if (!FormEdit->CheckBoxText->Checked()) FormEdit->EditText->SetText(name);
}
