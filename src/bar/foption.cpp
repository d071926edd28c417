// Unit FOption: the bar's option dialog.
#include "foption.h"

#include "d01.h"
#include "formplace.h"
#include "g01.h"
#include "s01.h"

namespace {

constexpr int SizeEntries = 4;  // "16", "24", "32", "40"

}  // namespace

int SizeListIndexOf(int buttonSize) {
    const int index = buttonSize / 8 - 2;
    return index >= 0 && index < SizeEntries ? index : -1;
}

int ButtonSizeOfListIndex(int index) { return (index + 2) * 8; }

TFormOption::TFormOption(TComponent* AOwner) : TForm(AOwner) {
    Name = L"FormOption";
    SetBorderStyle(bsDialog);
    SetPosition(poDesktopCenter);
    SetCaption(L"オプション");
    SetColor(clBtnFace);
    Font()->SetName(L"Tahoma");
    Font()->SetHeight(-11);
    SetClientWidth(225);
    SetClientHeight(331);
    OnCreate = Bind(this, &TFormOption::FormCreate);

    // The version's window is made first, so that it lies over the name's
    // right end where a wide name reaches under it.
    LabelVersion = PlaceLabel(this, this, L"LabelVersion", 74, 20, L"");
    LabelPrgName = PlaceLabel(this, this, L"LabelPrgName", 12, 12, L"Dovrak");
    LabelPrgName->Font()->SetName(L"Arial");
    LabelPrgName->Font()->SetHeight(-19);

    GroupBoxButton = PlaceControl<TGroupBox>(this, this, L"GroupBoxButton", 9, 94, 154, 57);
    GroupBoxButton->SetCaption(L"ボタンの表示");
    Label1 = PlaceLabel(GroupBoxButton, this, L"Label1", 9, 21, L"ボタンのサイズ");
    ComboBoxButtonSize = PlaceControl<TComboBox>(GroupBoxButton, this, L"ComboBoxButtonSize", 99, 21, 40, 21);
    ComboBoxButtonSize->SetStyle(csDropDownList);

    GroupBoxColor = PlaceControl<TGroupBox>(this, this, L"GroupBoxColor", 8, 163, 205, 64);
    GroupBoxColor->SetCaption(L"カラー");
    Label2 = PlaceLabel(GroupBoxColor, this, L"Label2", 9, 15, L"フォームカラー");
    Label3 = PlaceLabel(GroupBoxColor, this, L"Label3", 105, 15, L"ボタンカラー");

    GroupBoxForm = PlaceControl<TGroupBox>(this, this, L"GroupBoxForm", 8, 238, 205, 48);
    GroupBoxForm->SetCaption(L"フォームの表示");
    CheckBoxAutoHide = PlaceControl<TCheckBox>(GroupBoxForm, this, L"CheckBoxAutoHide", 10, 20, 97, 17);
    CheckBoxAutoHide->SetCaption(L"自動的に隠す");

    ButtonOK = PlaceButton(this, this, L"ButtonOK", 59, 302, 75, 22, L"OK", mrOk);
    ButtonOK->SetAnchors(akRight | akBottom);
    ButtonOK->OnClick = Bind(this, &TFormOption::ButtonOKClick);
    ButtonCancel = PlaceButton(this, this, L"ButtonCancel", 139, 302, 75, 22, L"キャンセル", mrCancel);
    ButtonCancel->SetAnchors(akRight | akBottom);
}

TFormOption::~TFormOption() {
    if (FormOption == this) FormOption = nullptr;
}

void TFormOption::FormCreate(TObject*) {
    LabelVersion->SetCaption(UnicodeString(L"Version ") + BarVersion);
    for (const wchar_t* size : {L"16", L"24", L"32", L"40"}) ComboBoxButtonSize->Items()->Add(size);

    const TColor formColor = BarState ? BarState->FormColor : clBtnFace;
    const TColor buttonColor = BarState ? BarState->ButtonColor : clBtnFace;
    struct Swatch {
        TKButton*& field;
        const wchar_t* name;
        int left, tag;
        TColor face;
    } swatches[] = {
        {FormColorButton, L"FormColorButton", 9, 0, formColor},
        {ButtonColorButton, L"ButtonColorButton", 105, 1, buttonColor},
    };
    for (Swatch& s : swatches) {
        auto* button = new TKButton(GroupBoxColor);  // owner and parent
        button->Name = s.name;
        button->SetVisible(true);
        button->SetQButtonStyle(qsSingle);
        button->OnClick = Bind(this, &TFormOption::ColorButtonClick);
        button->SetBounds(s.left, 30, 88, 22);
        button->SetParent(GroupBoxColor);
        button->Tag = s.tag;
        button->SetFaceColor(s.face);
        s.field = button;
    }

    ComboBoxButtonSize->SetItemIndex(BarState ? SizeListIndexOf(BarState->ButtonSize) : -1);
    CheckBoxAutoHide->SetChecked(BarState && BarState->AutoHide != 0);
}

void TFormOption::ColorButtonClick(TObject* Sender) {
    auto* swatch = dynamic_cast<TKButton*>(Sender);
    if (!swatch || !DM) return;
    swatch = swatch->Tag == 0 ? FormColorButton : ButtonColorButton;
    DM->ColorDialog->SetColor(swatch->FaceColor());
    if (DM->ColorDialog->Execute()) swatch->SetFaceColor(DM->ColorDialog->Color());
}

void TFormOption::ButtonOKClick(TObject*) {
    if (!BarState) return;  // the bar has closed meanwhile
    // Without a chosen entry (a size from the file that the list does not
    // offer) the size stays as it is.
    const int index = ComboBoxButtonSize->ItemIndex();
    if (index >= 0 && index < SizeEntries) BarState->ButtonSize = ButtonSizeOfListIndex(index);
    BarState->FormColor = FormColorButton->FaceColor();
    BarState->ButtonColor = ButtonColorButton->FaceColor();
    BarState->AutoHide = CheckBoxAutoHide->Checked() ? 1 : 0;
    SetTimerMode(3);
}
