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

// The bar's height in the form resource, which the vertical clamp uses.
constexpr int ResourceBarHeight = 22;

const wchar_t* const CaptionFont = L"MS UI Gothic";

UnicodeString Field(int record, int field) { return ButtonStore->GetField(record, field).c_str(); }

bool Flag(int record, int index) {
    TKVar flags(Field(record, FieldFlags));
    return TQini::GetFlag(flags, index);
}

bool ValidRecord(int i) { return BarState && ButtonStore && i >= 0 && i < BarButtonCount && i < ButtonStore->Count(); }

// A key: its default when missing or empty, else the text's number as
// TKVar::ToInt reads it (digits up to the first other character, 0 for none).
int ReadInt(TQini& ini, const wchar_t* key, int def) { return ini.ReadValueDef(key, def).ToInt(); }

// The monitors of the desktop; the primary screen when the system lists none.
std::vector<RECT> MonitorRects() {
    std::vector<RECT> monitors;
    ::EnumDisplayMonitors(
        nullptr, nullptr,
        [](HMONITOR, HDC, LPRECT r, LPARAM list) -> BOOL {
            reinterpret_cast<std::vector<RECT>*>(list)->push_back(*r);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&monitors));
    if (monitors.empty())
        monitors.push_back(RECT{0, 0, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)});
    return monitors;
}

// Moves the bar so that its top-left corner, and with it the drag edge and
// the first buttons, lies on a monitor (see BarPlaceOnMonitor).
void KeepBarOnMonitor() {
    const POINT p = BarPlaceOnMonitor(FDovrak->Left(), FDovrak->Top(), FDovrak->Width(), FDovrak->Height(), MonitorRects());
    if (p.x != FDovrak->Left() || p.y != FDovrak->Top()) FDovrak->SetBounds(p.x, p.y, FDovrak->Width(), FDovrak->Height());
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
    // The sums are taken in 64 bits, so that the clamps hold for every value.
    if (static_cast<long long>(top) + ResourceBarHeight > ::GetSystemMetrics(SM_CYSCREEN)) top = 0;
    const int screenWidth = ::GetSystemMetrics(SM_CXSCREEN);
    if (static_cast<long long>(left) + FDovrak->Width() > screenWidth) left = screenWidth - FDovrak->Width();
    // A place on no monitor (a hand-edited file, a monitor that is gone)
    // would leave the bar where no one can reach it.
    const POINT place = BarPlaceOnMonitor(left, top, FDovrak->Width(), FDovrak->Height(), MonitorRects());
    FDovrak->SetBounds(place.x, place.y, FDovrak->Width(), FDovrak->Height());

    BarState->FormColor = ReadInt(ini, L"FormColor", DefaultFormColor);
    BarState->ButtonColor = ReadInt(ini, L"ButtonColor", DefaultButtonColor);
    BarState->TextColor = ReadInt(ini, L"TextColor", DefaultTextColor);
    BarState->ButtonSize = ReadInt(ini, L"ButtonSize", DefaultButtonSize);
    // Every size is used as read, except one whose bar could not be shown.
    if (!ButtonSizeFitsScreen(BarState->ButtonSize, ::GetSystemMetrics(SM_CYSCREEN)))
        BarState->ButtonSize = DefaultButtonSize;
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

bool ButtonSizeFitsScreen(int buttonSize, int screenHeight) {
    const long long height = static_cast<long long>(buttonSize) + 6;
    return height > 0 && height <= screenHeight;
}

POINT BarPlaceOnMonitor(int left, int top, int width, int height, const std::vector<RECT>& monitors) {
    const long long l = left, t = top;
    const long long r = l + std::max(width, 1), b = t + std::max(height, 1);
    auto holds = [&](const RECT& m) { return l >= m.left && l < m.right && t >= m.top && t < m.bottom; };
    if (monitors.empty() || std::any_of(monitors.begin(), monitors.end(), holds)) return POINT{left, top};

    // The monitor that holds the window: the one that shares the most of its
    // rectangle, or the nearest one when it lies on none.
    const RECT* best = &monitors.front();
    long long bestArea = -1;
    double bestDistance = 0;
    for (const RECT& m : monitors) {
        const long long w = std::min<long long>(r, m.right) - std::max<long long>(l, m.left);
        const long long h = std::min<long long>(b, m.bottom) - std::max<long long>(t, m.top);
        const long long area = w > 0 && h > 0 ? w * h : 0;
        const double dx = static_cast<double>(std::max({0LL, m.left - r, l - m.right}));
        const double dy = static_cast<double>(std::max({0LL, m.top - b, t - m.bottom}));
        const double distance = dx * dx + dy * dy;
        if (area > bestArea || (area == 0 && bestArea == 0 && distance < bestDistance)) {
            best = &m;
            bestArea = area;
            bestDistance = distance;
        }
    }
    // A coordinate off that monitor brings the window onto it, as far as it
    // fits, with the top-left corner kept on it; the other coordinate stays.
    auto onto = [](long long v, long long size, LONG lo, LONG hi) {
        if (v >= lo && v < hi) return static_cast<int>(v);
        return static_cast<int>(std::clamp<long long>(v, lo, std::max<long long>(lo, hi - size)));
    };
    return POINT{onto(l, r - l, best->left, best->right), onto(t, b - t, best->top, best->bottom)};
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
    // A bar wider than the screen would lose its drag edge and first buttons.
    KeepBarOnMonitor();
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
    KPROBE_SPAN(ksButtonPlace);
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
        {
            KPROBE_SPAN(ksButtonCaption);
            b->SetCaption(caption);
        }
        KPROBE_SPAN(ksButtonLook);
        const int fontSize = CaptionFontSizeFor(size);
        b->Font()->SetName(CaptionFont);
        b->Font()->SetSize(fontSize);
        SIZE extent{};
        const int w = GetTextWidth(caption, CaptionFont, fontSize, extent);
        b->SetWidth(std::max(w + 12, IconButtonWidthFor(size)));
        b->Font()->SetColor(FieldColor(Field(i, FieldTextColor), BarState->TextColor));
        b->SetFaceColor(FieldColor(Field(i, FieldFaceColor), BarState->ButtonColor));
    } else {
        {
            KPROBE_SPAN(ksButtonPlace);
            b->SetWidth(IconButtonWidthFor(size));
        }
        {
            KPROBE_SPAN(ksButtonCaption);
            b->SetCaption(L"");
        }
        {
            KPROBE_SPAN(ksButtonLook);
            b->SetFaceColor(BarState->ButtonColor);
        }
        KPROBE_SPAN(ksButtonGlyph);
        DrawButtonIcon(b->Glyph(), Field(i, FieldTarget), IconKindFor(size), BarState->ButtonColor);
    }
    {
        KPROBE_SPAN(ksButtonShow);
        b->Show();
    }
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
