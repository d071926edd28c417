// Unit FEdit: the menu program's item edit dialog, and the menu program's
// click handler of the sibling-program menu (TKSetup::PMenuClick), which
// fills this dialog.
#include "fedit.h"

#include "dsetup.h"
#include "formplace.h"
#include "g01.h"
#include "glyphs.h"
#include "s01.h"
#include "s02.h"

TFormEdit::TFormEdit(TComponent* AOwner) : TForm(AOwner) {
    Name = L"FormEdit";
    SetBorderStyle(bsDialog);
    SetPosition(poDesktopCenter);
    SetCaption(L"メニューの編集");
    SetColor(clBtnFace);
    Font()->SetName(L"Tahoma");
    Font()->SetHeight(-11);
    SetClientWidth(504);
    SetClientHeight(96);
    OnCreate = Bind(this, &TFormEdit::FormCreate);
    OnClose = Bind(this, &TFormEdit::FormClose);

    // Made in the form's order, which is the Tab order of the windowed ones.
    PanelIcon = PlaceControl<TPanel>(this, this, L"PanelIcon", 9, 6, 38, 38);
    PanelIcon->SetBevelInner(bvRaised);
    PanelIcon->SetBevelOuter(bvLowered);
    ImageIcon = PlaceControl<TImage>(PanelIcon, this, L"ImageIcon", 3, 3, 32, 32);
    ImageIcon->SetTransparent(true);
    Label1 = PlaceLabel(this, this, L"Label1", 57, 6, L"ファイル:");
    EditFile = PlaceControl<TEdit>(this, this, L"EditFile", 57, 21, 385, 21);
    EditFile->OnChange = Bind(this, &TFormEdit::EditFileChange);
    Label2 = PlaceLabel(this, this, L"Label2", 57, 50, L"タイトル:");
    EditTitle = PlaceControl<TEdit>(this, this, L"EditTitle", 57, 65, 200, 21);
    ButtonOK = PlaceButton(this, this, L"ButtonOK", 340, 65, 75, 22, L"OK", mrOK);
    ButtonOK->SetAnchors(akRight | akBottom);
    ButtonCancel = PlaceButton(this, this, L"ButtonCancel", 421, 65, 75, 22, L"キャンセル", mrCancel);
    ButtonCancel->SetAnchors(akRight | akBottom);
    SBQSetup = PlaceControl<TSpeedButton>(this, this, L"SBQSetup", 473, 21, 23, 22);
    SBQSetup->SetHint(L"Kestovar Soft");
    SBQSetup->SetShowHint(true);
    DrawMakerGlyph(SBQSetup->Glyph());
    SBQSetup->OnClick = Bind(this, &TFormEdit::SBQSetupClick);
    SpeedButtonFolder = PlaceControl<TSpeedButton>(this, this, L"SpeedButtonFolder", 448, 21, 23, 22);
    SpeedButtonFolder->SetHint(L"ファイルまたはフォルダー");
    SpeedButtonFolder->SetShowHint(true);
    DrawFolderGlyph(SpeedButtonFolder->Glyph());
    SpeedButtonFolder->OnClick = Bind(this, &TFormEdit::SpeedButtonFolderClick);
}

TFormEdit::~TFormEdit() {
    if (FormEdit == this) FormEdit = nullptr;
}

void TFormEdit::CreateParams(TCreateParams& Params) {
    TForm::CreateParams(Params);
    // Above the top-most item menu, which it may overlap.
    if (HWND parent = DialogParentWindow()) Params.WndParent = parent;
}

void TFormEdit::FormCreate(TObject*) {
    // Owned by this dialog as well, so that it goes with the dialog however
    // the dialog ends.
    KSetup = new TKSetup(this);
    // The empty preview until a target is put in.
    EditFileChange(EditFile);
}

void TFormEdit::FormClose(TObject*, TCloseAction&) {
    delete KSetup;  // clears KSetup
    KSetup = nullptr;
}

void TFormEdit::EditFileChange(TObject*) {
    DrawFileIcon(ImageIcon->Picture()->Bitmap(), EditFile->Text(), kIconLarge, clBtnFace);
    ImageIcon->Invalidate();  // drawing on the bitmap tells the image nothing
}

void TFormEdit::SpeedButtonFolderClick(TObject*) {
    UnicodeString path;
    bool chosen = false;
    WithoutHint(SpeedButtonFolder, [&] {
        chosen = BrowseForFileOrFolder(L"ファイルまたはフォルダーを指定して下さい。", path, Handle());
    });
    if (!chosen) return;
    // Emptied first, so that the preview is drawn again even for the same path.
    EditFile->SetText(L"");
    EditFile->SetText(path);
    EditTitle->SetText(ExtractFileName(path));
}

void TFormEdit::SBQSetupClick(TObject*) {
    if (!KSetup) return;
    const int x = Left() + SBQSetup->Left() + 3;
    const int y = Top() + SBQSetup->Top() + SBQSetup->Height() + (Height() - ClientHeight()) - 5;
    WithoutHint(SBQSetup, [&] { KSetup->PMenuSetup->Popup(x, y); });
}

// --- the menu program's handler of the sibling-program menu ------------------------

void TKSetup::PMenuClick(TObject* Sender) {
    auto* item = dynamic_cast<TMenuItem*>(Sender);
    if (!item) return;
    const UnicodeString name = ProgramName(item->Tag);
    if (name.empty()) return;
    const UnicodeString path = FindProgram(name, item);
    if (!FormEdit) return;  // no dialog to fill
    FormEdit->EditFile->SetText(path);
    FormEdit->EditTitle->SetText(name);
}
