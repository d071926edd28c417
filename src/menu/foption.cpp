// Unit FOption: the menu program's option dialog.
#include "foption.h"

#include "f01.h"
#include "fmenu.h"
#include "formplace.h"
#include "g01.h"
#include "glyphs.h"
#include "s01.h"

#include <algorithm>
#include <cstdint>

namespace {

constexpr int TagButtonColor = 1;
constexpr int TagTextColor = 2;

}  // namespace

int ClampedNumber(const UnicodeString& text, int fallback, int low, int high) {
    size_t i = 0;
    const size_t n = text.size();
    while (i < n && (text[i] == L' ' || text[i] == L'\t')) ++i;
    bool negative = false;
    if (i < n && (text[i] == L'+' || text[i] == L'-')) negative = text[i++] == L'-';
    const size_t digitsStart = i;
    long long value = 0;
    for (; i < n && text[i] >= L'0' && text[i] <= L'9'; ++i)
        value = std::min(value * 10 + (text[i] - L'0'), 1LL << 40);  // far beyond int: stays beyond it
    const size_t digitsEnd = i;
    while (i < n && (text[i] == L' ' || text[i] == L'\t')) ++i;
    if (negative) value = -value;
    int number = fallback;
    if (digitsEnd > digitsStart && i == n && value >= INT32_MIN && value <= INT32_MAX)
        number = static_cast<int>(value);
    return std::clamp(number, low, high);
}

TFormOption::TFormOption(TComponent* AOwner) : TForm(AOwner) {
    Name = L"FormOption";
    SetBorderStyle(bsDialog);
    SetPosition(poScreenCenter);
    SetCaption(L"オプション");
    SetColor(clBtnFace);
    Font()->SetName(L"MS UI Gothic");
    Font()->SetHeight(-12);
    SetClientWidth(234);
    SetClientHeight(378);
    OnCreate = Bind(this, &TFormOption::FormCreate);
    OnClose = Bind(this, &TFormOption::FormClose);

    // The version's window is made first, so that it lies over the name's
    // right end where a wide name reaches under it.
    LabelVersion = PlaceLabel(this, this, L"LabelVersion", 80, 20, L"");
    LabelAbort = PlaceLabel(this, this, L"LabelAbort", 12, 12, L"Pelnor");
    LabelAbort->Font()->SetName(L"Arial");
    LabelAbort->Font()->SetHeight(-19);
    SB_Help = PlaceControl<TSpeedButton>(this, this, L"SB_Help", 203, 12, 23, 22);
    DrawHelpGlyph(SB_Help->Glyph());
    SB_Help->OnClick = Bind(this, &TFormOption::SB_HelpClick);

    GroupBoxDispMenu = PlaceControl<TGroupBox>(this, this, L"GroupBoxDispMenu", 8, 100, 218, 141);
    GroupBoxDispMenu->SetCaption(L"メニューの表示");
    CheckBoxTransparent = PlaceControl<TCheckBox>(GroupBoxDispMenu, this, L"CheckBoxTransparent", 15, 20, 180, 17);
    CheckBoxTransparent->SetCaption(L"半透明にする");
    CheckBoxTransparent->OnClick = Bind(this, &TFormOption::CheckBoxTransparentClick);
    Label1 = PlaceLabel(GroupBoxDispMenu, this, L"Label1", 15, 58, L"フォント名:");
    ComboBoxFontName = PlaceControl<TComboBox>(GroupBoxDispMenu, this, L"ComboBoxFontName", 72, 56, 139, 20);
    ComboBoxFontName->SetDropDownCount(16);
    Label2 = PlaceLabel(GroupBoxDispMenu, this, L"Label2", 15, 85, L"サイズ:");
    ComboBoxFontSize = PlaceControl<TComboBox>(GroupBoxDispMenu, this, L"ComboBoxFontSize", 72, 82, 49, 20);
    for (const wchar_t* size : {L"8", L"9", L"10", L"11", L"12", L"14", L"16", L"18", L"20"})
        ComboBoxFontSize->Items()->Add(size);
    Label3 = PlaceLabel(GroupBoxDispMenu, this, L"Label3", 15, 110, L"幅:");
    ComboBoxWidth = PlaceControl<TComboBox>(GroupBoxDispMenu, this, L"ComboBoxWidth", 72, 108, 49, 20);
    for (const wchar_t* width : {L"100", L"150", L"200", L"250", L"300"}) ComboBoxWidth->Items()->Add(width);

    GroupBoxColor = PlaceControl<TGroupBox>(this, this, L"GroupBoxColor", 8, 255, 218, 81);
    GroupBoxColor->SetCaption(L"カラー");
    Label4 = PlaceLabel(GroupBoxColor, this, L"Label4", 9, 20, L"ボタン:");
    Label5 = PlaceLabel(GroupBoxColor, this, L"Label5", 9, 50, L"テキスト:");

    ButtonOk = PlaceButton(this, this, L"ButtonOk", 70, 349, 75, 22, L"OK", mrOK);
    ButtonOk->SetAnchors(akRight | akBottom);
    ButtonOk->OnClick = Bind(this, &TFormOption::ButtonOkClick);
    ButtonCancel = PlaceButton(this, this, L"ButtonCancel", 151, 349, 75, 22, L"キャンセル", mrCancel);
    ButtonCancel->SetAnchors(akRight | akBottom);

    ColorDialog = new TColorDialog(this);
    ColorDialog->Name = L"ColorDialog";
}

TFormOption::~TFormOption() {
    if (FormOption == this) FormOption = nullptr;
}

void TFormOption::CreateParams(TCreateParams& Params) {
    TForm::CreateParams(Params);
    // Above the top-most item menu, which it may overlap.
    if (HWND parent = DialogParentWindow()) Params.WndParent = parent;
}

void TFormOption::FormCreate(TObject*) {
    LabelVersion->SetCaption(UnicodeString(L"Version ") + kPelnorVersion);

    TStringList* fonts = Screen->Fonts();
    for (int k = 0; k < fonts->Count(); ++k) ComboBoxFontName->Items()->Add(fonts->Strings(k));

    const TColor buttonColor = MenuSettings ? MenuSettings->ButtonColor : clBtnFace;
    const TColor textColor = MenuSettings ? MenuSettings->TextColor : clBlack;
    struct Swatch {
        TKButton*& field;
        const wchar_t* name;
        int top, tag;
        TColor face;
    } swatches[] = {
        {ButtonColorButton, L"ButtonColorButton", 15, TagButtonColor, buttonColor},
        {TextColorButton, L"TextColorButton", 45, TagTextColor, textColor},
    };
    for (Swatch& s : swatches) {
        auto* button = new TKButton(GroupBoxColor);  // owner and parent
        button->Name = s.name;
        button->SetVisible(true);
        button->SetQButtonStyle(qsSingle);
        button->OnClick = Bind(this, &TFormOption::ColorButtonClick);
        button->SetBounds(78, s.top, 88, 22);
        button->SetParent(GroupBoxColor);
        button->Tag = s.tag;
        button->SetFaceColor(s.face);
        s.field = button;
    }

    TStringList* custom = ColorDialog->CustomColors();
    custom->Add(L"ColorA=984E00");
    custom->Add(L"ColorB=D8E9EC");

    if (MenuSettings) {
        CheckBoxTransparent->SetChecked(MenuSettings->ColorMode == 3);
        ComboBoxFontName->SetText(MenuSettings->FontName);
        ComboBoxFontSize->SetText(IntToStr(MenuSettings->FontSize));
        ComboBoxWidth->SetText(IntToStr(MenuSettings->ButtonWidth));
    }
    CheckBoxTransparentClick(CheckBoxTransparent);
}

void TFormOption::CheckBoxTransparentClick(TObject*) {
    if (!ButtonColorButton || !TextColorButton) return;
    const bool translucent = CheckBoxTransparent->Checked();
    ButtonColorButton->SetEnabled(!translucent);
    TextColorButton->SetEnabled(!translucent);
    if (translucent || !MenuSettings) {
        ButtonColorButton->SetFaceColor(clBtnFace);
        TextColorButton->SetFaceColor(clBtnFace);
    } else {
        // The stored colours again: one picked here and not yet stored is dropped.
        ButtonColorButton->SetFaceColor(MenuSettings->ButtonColor);
        TextColorButton->SetFaceColor(MenuSettings->TextColor);
    }
}

void TFormOption::ColorButtonClick(TObject* Sender) {
    auto* sender = dynamic_cast<TKButton*>(Sender);
    if (!sender) return;
    TKButton* swatch = sender->Tag == TagTextColor ? TextColorButton : ButtonColorButton;
    if (!swatch) return;
    ColorDialog->SetColor(swatch->FaceColor());
    if (ColorDialog->Execute()) swatch->SetFaceColor(ColorDialog->Color());
}

void TFormOption::ButtonOkClick(TObject*) {
    if (!MenuSettings) return;  // the run is over
    if (CheckBoxTransparent->Checked()) {
        MenuSettings->ColorMode = 3;
    } else {
        MenuSettings->ColorMode = 2;
        if (ButtonColorButton) MenuSettings->ButtonColor = ButtonColorButton->FaceColor();
        if (TextColorButton) MenuSettings->TextColor = TextColorButton->FaceColor();
    }
    MenuSettings->FontName = ComboBoxFontName->Text();
    MenuSettings->FontSize = ClampedNumber(ComboBoxFontSize->Text(), 9, 8, 20);
    MenuSettings->ButtonWidth = ClampedNumber(ComboBoxWidth->Text(), 150, 100, 400);
    MenuSettings->ItemHeight = MenuItemHeight(MenuSettings->FontName, MenuSettings->FontSize);
    // The open item menu takes the new look at once. Shown before it exists
    // (commands first), the item menu made afterwards reads the new values.
    if (FPelnor && FPelnor->ItemMenu) {
        FPelnor->ItemMenu->ArrangeWindow();
        FPelnor->ItemMenu->DrawItems();
    }
}

void TFormOption::FormClose(TObject*, TCloseAction&) {
    delete ButtonColorButton;
    ButtonColorButton = nullptr;
    delete TextColorButton;
    TextColorButton = nullptr;
}

void TFormOption::SB_HelpClick(TObject*) { ShowHelp(); }
