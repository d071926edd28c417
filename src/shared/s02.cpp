// Unit S02: shell and window helpers.
//
// The path terms used below, for a text T (separators: '\' and ':'):
// - folder part: up to and including the last separator (empty without one);
// - file name:   after the last separator (all of T without one);
// - extension:   from the last '.' when that dot comes after every separator;
// - bare name:   the file name cut before its last '.'.
// Folder part + bare name + extension give T again.
#include "s02.h"

#include "probe.h"

#include <shellapi.h>
#include <shlobj.h>

#include <cwchar>

namespace {

bool IsSeparator(wchar_t c) { return c == L'\\' || c == L':'; }

// Index of the last separator, or npos.
size_t LastSeparator(const UnicodeString& t) { return t.find_last_of(L"\\:"); }

UnicodeString FolderPart(const UnicodeString& t) {
    const size_t s = LastSeparator(t);
    return s == UnicodeString::npos ? UnicodeString() : t.substr(0, s + 1);
}

UnicodeString FileNameOf(const UnicodeString& t) {
    const size_t s = LastSeparator(t);
    return s == UnicodeString::npos ? t : t.substr(s + 1);
}

// The text before the last separator; up to and including it when it is a
// colon, the first character, or a backslash right after another separator
// (so that "C:\" and "\\" keep their backslash).
UnicodeString DirectoryOf(const UnicodeString& t) {
    const size_t s = LastSeparator(t);
    if (s == UnicodeString::npos) return UnicodeString();
    const bool keep = t[s] == L':' || s == 0 || IsSeparator(t[s - 1]);
    return t.substr(0, keep ? s + 1 : s);
}

UnicodeString ExtensionOf(const UnicodeString& t) {
    const size_t i = t.find_last_of(L".\\:");
    if (i == UnicodeString::npos || t[i] != L'.') return UnicodeString();
    return t.substr(i);
}

UnicodeString BareNameOf(const UnicodeString& t) {
    UnicodeString name = FileNameOf(t);
    const size_t dot = name.rfind(L'.');
    if (dot != UnicodeString::npos) name.erase(dot);
    return name;
}

}  // namespace

UnicodeString StripCmdArgs(const UnicodeString& cmdLine) {
    UnicodeString ext = ExtensionOf(cmdLine);
    if (ext.empty()) return cmdLine;
    const size_t blank = ext.find(L' ');
    if (blank != UnicodeString::npos) ext.erase(blank);
    return FolderPart(cmdLine) + BareNameOf(cmdLine) + ext;
}

void SplitCmdLine(const UnicodeString& cmdLine, UnicodeString& file, UnicodeString& directory,
                  UnicodeString& params) {
    directory = DirectoryOf(cmdLine);
    UnicodeString ext = ExtensionOf(cmdLine);
    UnicodeString rest;
    const size_t blank = ext.find(L' ');
    if (blank != UnicodeString::npos) {
        rest = ext.substr(blank + 1);
        ext.erase(blank);
    }
    params = rest;
    file = BareNameOf(cmdLine) + ext;
}

namespace {

// The innermost living TIconLookups, or null.
TIconLookups* g_iconLookups = nullptr;

}  // namespace

bool CmdFileExists(const UnicodeString& cmdLine) { return FileExists(StripCmdArgs(cmdLine)); }

void DrawFileIcon(TBitmap* bitmap, const UnicodeString& cmdLine, int kind, TColor background) {
    KPROBE_SPAN(ksIcons);
    const bool small = kind == kIconSmall;
    const int size = small ? 16 : 32;
    const UINT flags = small ? (SHGFI_ICON | SHGFI_SMALLICON) : SHGFI_ICON;

    bitmap->SetHeight(size);
    bitmap->SetWidth(size);
    TCanvas* canvas = bitmap->Canvas();
    canvas->Brush()->Color = background;
    canvas->Brush()->Style = bsSolid;
    canvas->FillRect(RECT{0, 0, size, size});
    bitmap->SetTransparentMode(tmFixed);
    bitmap->SetTransparentColor(background);

    if (cmdLine.empty()) return;
    const UnicodeString path = StripCmdArgs(cmdLine);

    TIconLookups* lookups = g_iconLookups;
    if (lookups) {
        for (const auto& e : lookups->FEntries) {
            if (e.kind != kind || e.path != path) continue;
            if (e.icon && e.icon != reinterpret_cast<HICON>(1))
                ::DrawIconEx(canvas->Handle(), 0, 0, e.icon, size, size, 0, nullptr, DI_NORMAL);
            return;
        }
        ++lookups->FQueries;
    }

    SHFILEINFOW info{};
    HICON icon = nullptr;
    KPROBE_COUNT(kcShellCalls);
    if (::SHGetFileInfoW(path.c_str(), FILE_ATTRIBUTE_ARCHIVE, &info, sizeof info, flags)) icon = info.hIcon;
    if (!icon) {
        KPROBE_COUNT(kcShellCalls);
        icon = ::ExtractIconW(::GetModuleHandleW(nullptr), path.c_str(), 0);
    }
    // The scope keeps the icon (or that there is none) for the next calls.
    if (lookups) lookups->FEntries.push_back(TIconLookups::Entry{path, kind, icon});
    // ExtractIconW gives 1 for a file that holds no icons.
    if (!icon || icon == reinterpret_cast<HICON>(1)) return;
    ::DrawIconEx(canvas->Handle(), 0, 0, icon, size, size, 0, nullptr, DI_NORMAL);
    if (!lookups) ::DestroyIcon(icon);
}

TIconLookups::TIconLookups() : FOuter(g_iconLookups) { g_iconLookups = this; }

TIconLookups::~TIconLookups() {
    g_iconLookups = FOuter;
    for (const auto& e : FEntries)
        if (e.icon && e.icon != reinterpret_cast<HICON>(1)) ::DestroyIcon(e.icon);
}

int GetTextWidth(const UnicodeString& text, const UnicodeString& fontName, int size, SIZE& extent) {
    TBitmap bitmap;
    TCanvas* canvas = bitmap.Canvas();
    canvas->Font()->SetName(fontName);
    canvas->Font()->SetSize(size);
    HDC dc = canvas->Handle();
    HGDIOBJ old = ::SelectObject(dc, canvas->Font()->Handle());
    extent = SIZE{0, 0};
    ::GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(std::wcslen(text.c_str())), &extent);
    ::SelectObject(dc, old);
    return extent.cx;
}

void GuessWindowNames(TKVar file, TKVar& className, TKVar& title) {
    const UnicodeString name = BareNameOf(file.c_str());
    if (name.empty() || (name[0] != L'q' && name[0] != L'Q')) {
        className = L"";
        title = L"";
        return;
    }
    UnicodeString rest = name.substr(1);
    if (!rest.empty()) {
        ::CharUpperBuffW(&rest[0], 1);
        if (rest.size() > 1) ::CharLowerBuffW(&rest[1], static_cast<DWORD>(rest.size() - 1));
    }
    className = (L"TFQ" + rest).c_str();
    title = (L"Q" + rest).c_str();
}

HWND WaitForWindow(const UnicodeString& className, const UnicodeString& title, int timeoutMs) {
    if (className.empty() || title.empty()) return nullptr;
    const int tries = timeoutMs / 100;
    for (int i = 0; i < tries; ++i) {
        if (HWND h = ::FindWindowW(className.c_str(), title.c_str())) return h;
        ::Sleep(100);
    }
    return nullptr;
}

UnicodeString GetAppDataFolder() {
    wchar_t path[MAX_PATH] = {};
    if (FAILED(::SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, path))) return UnicodeString();
    return ExcludeTrailingPathDelimiter(path);
}
