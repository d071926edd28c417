#include "s01.h"

#include "f01.h"
#include "fmenu.h"
#include "g01.h"
#include "qini.h"
#include "s02.h"

#include <shellapi.h>

#include <algorithm>
#include <cstdlib>

// --- the menu file ---------------------------------------------------------

int MenuItemHeight(const UnicodeString& fontName, int fontSize) {
    SIZE extent{};
    GetTextWidth(L"/", fontName, fontSize, extent);
    return extent.cy + 8;
}

namespace {

// Pixels of a font of this many points on the screen, without overflow.
long long FontPixels(int points) {
    HDC dc = ::GetDC(nullptr);
    const int perInch = dc ? ::GetDeviceCaps(dc, LOGPIXELSY) : 96;
    if (dc) ::ReleaseDC(nullptr, dc);
    return static_cast<long long>(points) * perInch / 72;
}

}  // namespace

void ReadMenuSettings(TQini* store, TMenuSettings* settings) {
    settings->ColorMode = store->ReadValueDef(L"ColorMode", 3).ToInt();
    settings->ButtonColor = store->ReadValueDef(L"ButtonColor", 14215660).ToInt();
    settings->TextColor = store->ReadValueDef(L"TextColor", 0).ToInt();
    settings->FontName = store->ReadValueDef(L"FontName", L"Tahoma").c_str();
    settings->FontSize = store->ReadValueDef(L"FontSize", 9).ToInt();
    settings->ButtonWidth = store->ReadValueDef(L"ButtonWidth", 150).ToInt();
    // A value that leaves no menu to use would fail the same way on every
    // later run, as the file keeps it: it gives the default instead, and the
    // default is what is written back. A menu needs room for its items
    // (W - 2 wide) and must fit the screen; a font size is used as read
    // (0 and negative sizes draw rows too) unless its row would have no
    // height or be taller than the screen. The font's pixels are checked in
    // 64 bits first, as the class library's conversion of a size near the
    // end of the int range overflows into a small font.
    const int cx = ::GetSystemMetrics(SM_CXSCREEN), cy = ::GetSystemMetrics(SM_CYSCREEN);
    if (settings->ButtonWidth < 3 || settings->ButtonWidth > cx) settings->ButtonWidth = 150;
    if (std::llabs(FontPixels(settings->FontSize)) > cy) settings->FontSize = 9;
    settings->ItemHeight = MenuItemHeight(settings->FontName, settings->FontSize);
    if (settings->ItemHeight <= 0 || settings->ItemHeight > cy) {
        settings->FontSize = 9;
        settings->ItemHeight = MenuItemHeight(settings->FontName, settings->FontSize);
    }
}

int LoadMenuSettings(TKVar fileName) {
    MenuSettings->FileUnreadable = false;
    // Without the menu folder a name would be taken relative to the current folder.
    if (MenuStore->Folder().Length() > 0) {
        try {
            MenuStore->Load(fileName);
        } catch (const EStreamError&) {
            // The file is there but cannot be read (locked, damaged, too large):
            // this run works on the defaults and must not replace the file.
            MenuStore->List()->Clear();
            MenuSettings->FileUnreadable = true;
        }
    }
    ReadMenuSettings(MenuStore, MenuSettings);
    return 0;
}

void WriteMenuSettings(TQini* store, TQini* items, const TMenuSettings* settings) {
    store->WriteValue(L"Pelnor", kPelnorVersion);
    const int count = items->Count();
    for (int i = 0; i < count; ++i) {
        TKVar line = items->GetLine(i);
        if (line.Length() == 0) continue;  // a blank item is not kept
        store->WriteValue((UnicodeString(L"B") + IntToStr(i)).c_str(), line);
    }
    store->WriteValue(L"ColorMode", settings->ColorMode);
    store->WriteValue(L"ButtonColor", settings->ButtonColor);
    store->WriteValue(L"TextColor", settings->TextColor);
    store->WriteValue(L"FontName", settings->FontName.c_str());
    store->WriteValue(L"FontSize", settings->FontSize);
    store->WriteValue(L"ButtonWidth", settings->ButtonWidth);
}

namespace {

void SoundBeep() { ::Beep(2000, 100); }

// True when writing the items and MenuSettings would give another file
// than the run started from after a failed read: the defaults and no item.
bool DiffersFromDefaults(TQini* items) {
    TQini empty;
    TMenuSettings defaults;
    ReadMenuSettings(&empty, &defaults);
    TQini noItems, start, now;
    WriteMenuSettings(&start, &noItems, &defaults);
    WriteMenuSettings(&now, items, MenuSettings);
    return now.List()->Lines() != start.List()->Lines();
}

}  // namespace

void (*MenuBeep)() = SoundBeep;

int SaveMenuSettings(TKVar fileName, TQini* items) {
    if (MenuSettings->FileUnreadable) {
        // The file is left alone, so what the user changed in this run is
        // lost: the same beep as for a file that cannot be written says so.
        if (DiffersFromDefaults(items)) MenuBeep();
        return 0;
    }
    TQini store;
    store.SetFolder(L"Kestovar", L"Pelnor");
    if (store.Folder().Length() == 0) return 0;
    WriteMenuSettings(&store, items, MenuSettings);
    try {
        store.Save(fileName);  // replaces the file whole or leaves it whole
    } catch (const EStreamError&) {
        MenuBeep();
    }
    return 0;
}

// --- the command line --------------------------------------------------------

void ReadMenuArguments(const std::vector<UnicodeString>& args, TMenuArguments& result) {
    const size_t count = args.size();
    for (size_t i = 1; i < count; ++i) {
        const UnicodeString& arg = args[i];
        if (arg.empty()) break;
        if (arg == L"-x" || arg == L"-y") {
            ++i;
            int value = 0;
            // A missing value or one that is no number keeps the cursor's coordinate.
            if (i < count && TryStrToInt(args[i], value)) (arg == L"-x" ? result.X : result.Y) = value;
        } else if (arg == L"-d") {
            result.CommandsFirst = true;
        } else {
            result.HasName = true;
            result.Name = arg;
        }
    }
}

std::vector<UnicodeString> ProgramArguments() {
    std::vector<UnicodeString> args;
    int count = 0;
    LPWSTR* list = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    if (!list) return args;
    for (int i = 0; i < count; ++i) args.emplace_back(list[i]);
    ::LocalFree(list);
    return args;
}

bool IsSafeMenuName(const UnicodeString& name) {
    if (Trim(name).empty()) return false;
    for (wchar_t c : name) {
        if (c < 32) return false;
        switch (c) {
            case L'\\': case L'/': case L':': case L'<': case L'>': case L'"': case L'|': case L'?': case L'*':
                return false;
            default:
                break;
        }
    }
    // The system takes a device name before any extension, blanks around it ignored.
    const UnicodeString file = name + L".ini";
    UnicodeString base = Trim(file.substr(0, file.find(L'.')));
    base = UpperCase(base);
    static const wchar_t* const devices[] = {L"CON", L"PRN", L"AUX", L"NUL", L"CONIN$", L"CONOUT$"};
    for (const wchar_t* device : devices)
        if (base == device) return false;
    if (base.size() == 4 && (base.compare(0, 3, L"COM") == 0 || base.compare(0, 3, L"LPT") == 0)) {
        const wchar_t d = base[3];
        if ((d >= L'1' && d <= L'9') || d == L'\u00B9' || d == L'\u00B2' || d == L'\u00B3') return false;
    }
    return true;
}

// --- items and commands ------------------------------------------------------

int RunItem(TKMenu* menu, int i) { return LaunchItem(menu, i); }

int LaunchItem(TKMenu* menu, int i) {
    // A button left below a shortened window can still be hit on its first row.
    if (!menu || i < 0 || i >= menu->Items->Count()) return 0;
    const UnicodeString target = menu->Items->GetField(i, 2).c_str();
    if (target.empty()) return 0;
    HWND owner = FPelnor ? FPelnor->Handle() : nullptr;
    HINSTANCE result;
    if (CmdFileExists(target)) {
        UnicodeString file, directory, params;
        SplitCmdLine(target, file, directory, params);
        result = ::ShellExecuteW(owner, L"open", file.c_str(), params.c_str(), directory.c_str(), SW_SHOWDEFAULT);
    } else {
        result = ::ShellExecuteW(owner, L"open", target.c_str(), nullptr, nullptr, SW_SHOWDEFAULT);
    }
    return reinterpret_cast<INT_PTR>(result) > 32 ? 1 : 0;
}

