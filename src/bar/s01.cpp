// Unit S01: the bar's program logic.
#include "s01.h"

#include "d01.h"
#include "fieldtext.h"
#include "fman.h"
#include "g01.h"
#include "qbtn.h"
#include "probe.h"
#include "qini.h"
#include "s02.h"

#include <shellapi.h>

#include <algorithm>
#include <memory>
#include <vector>

const wchar_t* const BarVersion = L"0.06";

namespace {

// Default look of the bar.
constexpr TColor DefaultFormColor = 0x984E00;
constexpr TColor DefaultButtonColor = 0xD8E9EC;
constexpr TColor DefaultTextColor = 0x984E00;
constexpr int DefaultButtonSize = 16;
// Sizes that still give a usable bar; others read from the file fall back
// to the default.
constexpr int SmallestButtonSize = 16;
constexpr int LargestButtonSize = 128;

// The bar's height in the form resource, which the vertical clamp uses.
constexpr int ResourceBarHeight = 22;

const wchar_t* const CaptionFont = L"MS UI Gothic";

UnicodeString Field(int record, int field) { return ButtonStore->GetField(record, field).c_str(); }

bool Flag(int record, int index) {
    TKVar flags(Field(record, FieldFlags));
    return TQini::GetFlag(flags, index);
}

bool ValidRecord(int i) { return BarState && ButtonStore && i >= 0 && i < BarButtonCount && i < ButtonStore->Count(); }

// An integer key: its default when missing or empty, else the text's number.
int ReadInt(TQini& ini, const wchar_t* key, int def) { return ini.ReadValueDef(key, def).ToInt(); }

// A colour key: its default also when the text is not a number.
TColor ReadColor(TQini& ini, const wchar_t* key, TColor def) {
    const UnicodeString text = Trim(ini.ReadValue(key).c_str());
    if (text.empty()) return def;
    int value = 0;
    return TryStrToInt(text, value) ? value : def;
}

HWND BarWindow() { return FDovrak ? FDovrak->Handle() : nullptr; }

void MakeTopMost(HWND h) { ::SetWindowPos(h, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE); }

// The icons drawn during one run of LayoutButtons. The shell is asked for the
// icon of a target when the target first comes up in that run; further
// buttons with the same target, icon size and background take a copy of that
// picture (a bar often holds the same program several times, and every
// lookup costs the shell milliseconds). The pictures live for one run only:
// the next layout asks the shell afresh.
class LayoutIcons {
public:
    // The picture drawn for these arguments in this run, or null.
    const TBitmap* Find(const UnicodeString& target, int kind, TColor background) const {
        for (const auto& e : FEntries)
            if (e->kind == kind && e->background == background && e->target == target) return &e->picture;
        return nullptr;
    }
    void Add(const UnicodeString& target, int kind, TColor background, const TBitmap* drawn) {
        auto e = std::make_unique<Entry>();
        e->target = target;
        e->kind = kind;
        e->background = background;
        e->picture.Assign(drawn);
        FEntries.push_back(std::move(e));
    }

private:
    struct Entry {
        UnicodeString target;
        int kind = 0;
        TColor background = 0;
        TBitmap picture;
    };
    std::vector<std::unique_ptr<Entry>> FEntries;
};

// The icons of the LayoutButtons run in progress; null outside one.
LayoutIcons* CurrentLayoutIcons = nullptr;

// DrawFileIcon for a button of the layout in progress, from the run's
// pictures when the same target was drawn before in it.
void DrawButtonIcon(TBitmap* glyph, const UnicodeString& target, int kind, TColor background) {
    LayoutIcons* icons = target.empty() ? nullptr : CurrentLayoutIcons;
    if (icons) {
        const TBitmap* drawn = icons->Find(target, kind, background);
        if (drawn && drawn->PixelFormat() == glyph->PixelFormat()) {
            // The same bitmap as DrawFileIcon leaves: size, pixels, fixed
            // transparent colour; the glyph keeps its own transparency flag.
            const bool transparent = glyph->Transparent();
            glyph->Assign(drawn);
            glyph->SetTransparent(transparent);
            return;
        }
    }
    DrawFileIcon(glyph, target, kind, background);
    if (icons) icons->Add(target, kind, background, glyph);
}

}  // namespace

// --- settings file ---------------------------------------------------------------

void LoadSettings(TKVar name) {
    TQini ini;
    ini.SetFolder(L"Kestovar", L"Dovrak");
    BarState->SettingsUnreadable = 0;
    try {
        ini.Load(name);
    } catch (const EFOpenError&) {
        // The file is there but cannot be read (another program holds it):
        // run on the defaults and keep that file as it is.
        ini.List()->Clear();
        BarState->SettingsUnreadable = 1;
    }

    TStringList* records = ButtonStore->List();
    records->Clear();
    for (int k = 1; k <= BarButtonCount + 1 && records->Count() < BarButtonCount; ++k) {
        UnicodeString line = ini.ReadValue(UnicodeString(L"B") + IntToStr(k)).c_str();
        if (!line.empty()) records->Add(line);
    }
    if (records->Count() == 0) records->Add(L"");

    int top = ReadInt(ini, L"Top", 0);
    int left = ReadInt(ini, L"Left", 400);
    if (top + ResourceBarHeight > ::GetSystemMetrics(SM_CYSCREEN)) top = 0;
    const int screenWidth = ::GetSystemMetrics(SM_CXSCREEN);
    if (left + FDovrak->Width() > screenWidth) left = screenWidth - FDovrak->Width();
    FDovrak->SetBounds(left, top, FDovrak->Width(), FDovrak->Height());

    BarState->FormColor = ReadColor(ini, L"FormColor", DefaultFormColor);
    BarState->ButtonColor = ReadColor(ini, L"ButtonColor", DefaultButtonColor);
    BarState->TextColor = ReadColor(ini, L"TextColor", DefaultTextColor);
    int size = ReadInt(ini, L"ButtonSize", DefaultButtonSize);
    if (size < SmallestButtonSize || size > LargestButtonSize) size = DefaultButtonSize;
    BarState->ButtonSize = size;
    BarState->AutoHide = ReadInt(ini, L"AutoHide", 0);
}

void SaveSettings(TKVar name) {
    if (!BarState || !ButtonStore || !FDovrak) return;
    if (BarState->SettingsUnreadable) return;  // never replace a file that could not be read
    TQini ini;
    ini.SetFolder(L"Kestovar", L"Dovrak");
    ini.WriteValue(L"Dovrak", BarVersion);
    for (int i = 0; i < ButtonStore->Count(); ++i) {
        const UnicodeString& line = ButtonStore->List()->Strings(i);
        if (!line.empty()) ini.WriteValue(UnicodeString(L"B") + IntToStr(i + 1), line);
    }
    ini.WriteValue(L"Top", FDovrak->Top());
    ini.WriteValue(L"Left", FDovrak->Left());
    ini.WriteValue(L"FormColor", BarState->FormColor);
    ini.WriteValue(L"ButtonColor", BarState->ButtonColor);
    ini.WriteValue(L"TextColor", BarState->TextColor);
    ini.WriteValue(L"ButtonSize", BarState->ButtonSize);
    ini.WriteValue(L"AutoHide", BarState->AutoHide);
    ini.Save(name);
}

// --- geometry ----------------------------------------------------------------------

int BarHeightFor(int buttonSize) { return buttonSize + 6; }

int IconButtonWidthFor(int buttonSize) { return buttonSize + 7; }

int CaptionFontSizeFor(int buttonSize) {
    if (buttonSize < 24) return 10;
    if (buttonSize < 32) return 11;
    if (buttonSize < 40) return 13;
    return 18;
}

int IconKindFor(int buttonSize) { return buttonSize >= 32 ? kIconLarge : kIconSmall; }

TColor FieldColor(const UnicodeString& field, TColor fallback) {
    if (field.empty()) return fallback;
    try {
        return StringToColor(field);
    } catch (const EConvertError&) {
        return fallback;  // a hand-edited field that names no colour
    }
}

// --- button row and view modes -----------------------------------------------------

void ApplyViewMode(int mode) {
    if (!BarState || !ButtonArray || !FDovrak) return;
    if (FDovrak->Top() < 0) FDovrak->SetTop(0);
    const int screenWidth = ::GetSystemMetrics(SM_CXSCREEN);
    if (FDovrak->Left() > screenWidth) FDovrak->SetLeft(screenWidth - FDovrak->Width());
    FDovrak->FormColor = BarState->FormColor;
    FDovrak->SetColor(BarState->FormColor);
    if (mode == 1) {
        BarState->ViewMode = 1;
        ButtonArray->Clear();
        ApplyTopMost();
    } else if (mode == 3) {
        BarState->ViewMode = 3;
        ButtonArray->Collapse();
    }
    FDovrak->Invalidate();
}

namespace {

// Puts button i right after buttons 0 .. i - 1, as high as the bar; its left edge.
int PlaceButton(TKButton* b, int i) {
    int x = 10;
    for (int j = 0; j < i; ++j) x += ButtonArray->Buttons[j]->Width();
    b->SetLeft(x);
    b->SetHeight(BarHeightFor(BarState->ButtonSize));
    return x;
}

}  // namespace

int LayoutButton(int i) {
    TKButton* b = ButtonArray->Buttons[i];
    int x = PlaceButton(b, i);

    if (Flag(i, FlagShowText)) {
        const int mode = BarState->ViewMode;
        ButtonArray->RefreshButton(i);
        if (!ValidRecord(i)) return x;  // the bar went away while messages ran
        if (BarState->ViewMode != mode) return x;  // collapsed meanwhile: the button stays hidden
        // A popup command or the option dialog may have run in the refresh
        // and laid the bar out anew: the record now at i, the buttons before
        // it and the button size are read again.
        x = PlaceButton(b, i);
    }
    const int size = BarState->ButtonSize;
    if (Flag(i, FlagShowText)) {
        const UnicodeString caption = Field(i, FieldCaption);
        b->SetCaption(caption);
        const int fontSize = CaptionFontSizeFor(size);
        b->Font()->SetName(CaptionFont);
        b->Font()->SetSize(fontSize);
        SIZE extent{};
        const int w = GetTextWidth(caption, CaptionFont, fontSize, extent);
        b->SetWidth(std::max(w + 12, IconButtonWidthFor(size)));
        b->Font()->SetColor(FieldColor(Field(i, FieldTextColor), BarState->TextColor));
        b->SetFaceColor(FieldColor(Field(i, FieldFaceColor), BarState->ButtonColor));
    } else {
        b->SetWidth(IconButtonWidthFor(size));
        b->SetCaption(L"");
        b->SetFaceColor(BarState->ButtonColor);
        DrawButtonIcon(b->Glyph(), Field(i, FieldTarget), IconKindFor(size), BarState->ButtonColor);
    }
    b->Show();
    return x + b->Width();
}

void LayoutButtons() {
    if (!BarState || !ButtonArray || !ButtonStore || !FDovrak) return;
    // A text button's refresh lets pending messages run, and a popup command
    // among them (delete, add) changes the records: the count is read again
    // wherever the loop resumes, never kept from before.
    auto records = [] { return std::min(ButtonStore->Count(), ButtonArray->Count); };
    const int mode = BarState->ViewMode;
    // A layout started by messages that run inside this one has its own icons.
    LayoutIcons icons;
    LayoutIcons* outer = CurrentLayoutIcons;
    CurrentLayoutIcons = &icons;
    struct Restore {
        LayoutIcons* outer;
        ~Restore() { CurrentLayoutIcons = outer; }
    } restore{outer};
    for (int i = 0; i < records(); ++i) {
        LayoutButton(i);
        if (!BarState || !ButtonArray || !ButtonStore) return;
        if (BarState->ViewMode != mode) return;  // collapsed meanwhile: no buttons to show
    }
    // The bar ends at the right edge of the last record's button. The
    // buttons before it stand as this layout or one run inside it left them.
    const int n = records();
    int right = 10;
    for (int i = 0; i < n; ++i) right += ButtonArray->Buttons[i]->Width();
    FDovrak->SetWidth(right);
    FDovrak->Invalidate();
    for (int i = std::max(n, 0); i < ButtonArray->Count; ++i) ButtonArray->Buttons[i]->Hide();
    KPROBE_MOMENT(kpItemsEnd);
}

void SetTimerMode(int t) {
    if (!DM) return;
    switch (t) {
        case 0:
            if (!DM->Timer) {
                DM->Timer = new TTimer(DM);
                DM->Timer->SetEnabled(false);
                DM->Timer->OnTimer = Bind(DM, &TDM::TimerTick);
            }
            break;
        case 2:
            if (!DM->Timer) return;
            DM->TimerMode = 2;
            DM->Timer->SetInterval(1000);
            DM->Timer->SetEnabled(true);
            break;
        case 3:
            if (!DM->Timer || !BarState || BarState->AutoHide != 1) return;
            DM->TimerMode = 3;
            DM->Timer->SetInterval(10000);
            DM->Timer->SetEnabled(true);
            break;
        case 9:
            if (DM->Timer) {
                DM->Timer->SetEnabled(false);
                delete DM->Timer;
                DM->Timer = nullptr;
            }
            break;
        default:
            break;
    }
}

// --- launching and window control --------------------------------------------------

HWND FindNamedWindow(const UnicodeString& className, const UnicodeString& title) {
    if (className.empty()) return nullptr;  // no window class has an empty name
    return ::FindWindowW(className.c_str(), title.c_str());
}

int LaunchButton(int i) {
    if (!ValidRecord(i)) return 0;
    UnicodeString target = Field(i, FieldTarget);
    if (target.empty()) {
        BarState->Hwnd[i] = nullptr;
        return 0;
    }
    // The names before the start: the window waited for below.
    const UnicodeString className = Field(i, FieldClass);
    const UnicodeString title = Field(i, FieldTitle);
    HWND h = FindNamedWindow(className, title);
    BarState->Hwnd[i] = h;
    const bool control = Flag(i, FlagControl);
    const bool topMost = Flag(i, FlagTopMost);
    if (h && control) return 0;  // the window runs: the click acts on it instead

    UnicodeString file, folder, params;
    SplitCmdLine(target, file, folder, params);
    if (file == L"pelnor.exe" && ButtonArray && FDovrak) {
        // The menu opens right under the button's left edge.
        const int x = FDovrak->Left() + ButtonArray->Buttons[i]->Left();
        const int y = FDovrak->Top() + FDovrak->Height();
        const UnicodeString point = L" -x " + IntToStr(x) + L" -y " + IntToStr(y);
        params += point;
        target += point;
    }
    HWND bar = BarWindow();
    HINSTANCE r;
    if (CmdFileExists(target))
        r = ::ShellExecuteW(bar, L"open", file.c_str(), params.c_str(), folder.c_str(), SW_SHOWDEFAULT);
    else
        r = ::ShellExecuteW(bar, L"open", target.c_str(), nullptr, nullptr, SW_SHOWDEFAULT);
    const int started = reinterpret_cast<INT_PTR>(r) > 32 ? 1 : 0;
    ::Sleep(500);
    // The shell may have run messages: the bar may be closed or the record gone.
    if (!ValidRecord(i)) return started;

    // Learn the window that came to the foreground, unless the record names
    // one of the maker's own programs. A name that a record line cannot hold
    // is not learned: the record keeps its names.
    if (className.compare(0, 2, L"TF") != 0) {
        HWND w = ::GetForegroundWindow();
        if (w && w != bar) {
            wchar_t learnedClass[255] = {};
            wchar_t learnedTitle[255] = {};
            ::GetClassNameW(w, learnedClass, 255);
            ::GetWindowTextW(w, learnedTitle, 255);
            const UnicodeString c = learnedClass, t = learnedTitle;
            if (IsPlainFieldSafe(c) && IsPlainFieldSafe(t)) {
                ButtonStore->SetField(i, FieldClass, c);
                ButtonStore->SetField(i, FieldTitle, t);
            }
        }
    }

    BarState->Hwnd[i] = WaitForWindow(className, title, 5000);
    if (BarState->Hwnd[i] && topMost) MakeTopMost(BarState->Hwnd[i]);
    return started;
}

void ButtonClick(int i) {
    if (!ValidRecord(i)) return;
    const int started = LaunchButton(i);
    if (!ValidRecord(i)) return;
    if (!Flag(i, FlagControl)) return;
    HWND h = FindNamedWindow(Field(i, FieldClass), Field(i, FieldTitle));
    if (!h) return;
    if (h == BarWindow()) {
        ::Beep(4000, 100);  // never hide the bar itself
        return;
    }
    if (started) return;
    if (::IsIconic(h))
        ::ShowWindow(h, SW_RESTORE);
    else if (::IsWindowVisible(h))
        ::ShowWindow(h, SW_HIDE);
    else
        ::ShowWindow(h, SW_SHOW);
}

void AutoStartButtons() {
    if (!ButtonStore) return;
    for (int i = 0; ButtonStore && i < ButtonStore->Count(); ++i)
        if (Flag(i, FlagAutoStart)) LaunchButton(i);
}

void ReleaseControlledWindows() {
    if (!BarState || !ButtonStore) return;
    const int n = std::min(ButtonStore->Count(), BarButtonCount);
    for (int i = 0; i < n && BarState && ButtonStore; ++i) {
        HWND h = BarState->Hwnd[i];
        if (!h || !Flag(i, FlagControl)) continue;
        ::ShowWindow(h, SW_SHOW);  // a window the bar hid does not stay hidden
        Application->ProcessMessages();
        if (::FindWindowW(L"TRalmo", L"Ulvan") == h) ::SendMessageA(h, WM_CLOSE, 0, 0);
    }
}

void ApplyTopMost() {
    if (!BarState || !ButtonStore) return;
    const int n = std::min(ButtonStore->Count(), BarButtonCount);
    for (int i = 0; i < n; ++i)
        if (Flag(i, FlagTopMost) && ::IsWindow(BarState->Hwnd[i])) MakeTopMost(BarState->Hwnd[i]);
    if (HWND bar = BarWindow()) MakeTopMost(bar);
}

// --- help ----------------------------------------------------------------------------

void ShowHelp() {
    if (!BarState) return;
    Application->HelpFile = BarState->ExeDir + L"\\dovrak.chm";
    Application->HelpCommand(HELP_CONTENTS, 0);
}
