// Reads the resources back from the built dovrak.exe and pelnor.exe, as
// Windows' Explorer and loader see them: the version resource (strings and
// fixed version), the application icon, and the manifest with common
// controls 6, DPI-unaware drawing with GDI scaling, and the Windows versions.
#include <gtest/gtest.h>
#include <windows.h>
#include <shellapi.h>

#include <string>
#include <vector>

#include "desktop.h"

namespace {

struct Program {
    const char* name;
    std::string exe;      // Linux path as CMake gives it
    const wchar_t* version;  // FileVersion and ProductVersion
    WORD minor;           // fixed version 0.<minor>.0.0
    const wchar_t* product;
    const wchar_t* fileName;
};

std::vector<Program> Programs() {
    return {
        {"dovrak", DOVRAK_EXE, L"0.06", 6, L"Dovrak", L"dovrak.exe"},
        {"pelnor", PELNOR_EXE, L"0.02", 2, L"Pelnor", L"pelnor.exe"},
    };
}

std::vector<BYTE> VersionBlock(const std::wstring& exe) {
    DWORD handle = 0;
    DWORD size = ::GetFileVersionInfoSizeW(exe.c_str(), &handle);
    std::vector<BYTE> block(size);
    if (size == 0 || !::GetFileVersionInfoW(exe.c_str(), 0, size, block.data())) block.clear();
    return block;
}

// A string of the version resource, in the resource's first translation.
std::wstring VersionString(std::vector<BYTE>& block, const std::wstring& key) {
    struct Translation {
        WORD language, codePage;
    }* translations = nullptr;
    UINT length = 0;
    if (!::VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translations),
                          &length) ||
        length < sizeof(Translation))
        return L"<no translation>";
    wchar_t path[128];
    swprintf(path, 128, L"\\StringFileInfo\\%04x%04x\\%ls", translations[0].language, translations[0].codePage,
             key.c_str());
    wchar_t* value = nullptr;
    if (!::VerQueryValueW(block.data(), path, reinterpret_cast<void**>(&value), &length)) return L"<missing>";
    return std::wstring(value, length > 0 && value[length - 1] == 0 ? length - 1 : length);
}

// The text of the manifest resource (RT_MANIFEST, id 1) of the program file.
std::string Manifest(const std::wstring& exe) {
    HMODULE module = ::LoadLibraryExW(exe.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    if (!module) return {};
    std::string text;
    if (HRSRC res = ::FindResourceW(module, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24) /* RT_MANIFEST */)) {
        HGLOBAL loaded = ::LoadResource(module, res);
        const char* data = static_cast<const char*>(::LockResource(loaded));
        if (data) text.assign(data, ::SizeofResource(module, res));
    }
    ::FreeLibrary(module);
    return text;
}

// The text with all white space squeezed to single blanks, so that the
// checks do not depend on the manifest's line breaks and indentation.
std::string Squeezed(const std::string& text) {
    std::string out;
    for (char c : text) {
        bool blank = c == ' ' || c == '\t' || c == '\r' || c == '\n';
        if (blank) {
            if (!out.empty() && out.back() != ' ') out += ' ';
        } else {
            out += c;
        }
    }
    return out;
}

class PackageResources : public ::testing::TestWithParam<Program> {};

TEST_P(PackageResources, VersionResourceNamesTheProgramAndItsVersion) {
    const Program& p = GetParam();
    std::wstring exe = testdesk::WinPath(p.exe);
    std::vector<BYTE> block = VersionBlock(exe);
    ASSERT_FALSE(block.empty()) << p.name << ": no version resource, error " << ::GetLastError();

    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(::VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
    ASSERT_GE(length, sizeof(VS_FIXEDFILEINFO));
    EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);
    EXPECT_EQ(fixed->dwFileVersionMS, MAKELONG(p.minor, 0)) << "file version is not 0." << p.minor;
    EXPECT_EQ(fixed->dwFileVersionLS, 0u);
    EXPECT_EQ(fixed->dwProductVersionMS, MAKELONG(p.minor, 0));
    EXPECT_EQ(fixed->dwProductVersionLS, 0u);
    EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_APP));

    EXPECT_EQ(VersionString(block, L"FileVersion"), p.version);
    EXPECT_EQ(VersionString(block, L"ProductVersion"), p.version);
    EXPECT_EQ(VersionString(block, L"ProductName"), p.product);
    EXPECT_EQ(VersionString(block, L"CompanyName"), L"Kestovar");
    EXPECT_EQ(VersionString(block, L"OriginalFilename"), p.fileName);
}

TEST_P(PackageResources, CarriesTheApplicationIcon) {
    const Program& p = GetParam();
    std::wstring exe = testdesk::WinPath(p.exe);
    UINT count = ::ExtractIconExW(exe.c_str(), -1, nullptr, nullptr, 0);
    EXPECT_GE(count, 1u) << p.name << " has no icon";

    HICON large = nullptr;
    EXPECT_EQ(::ExtractIconExW(exe.c_str(), 0, &large, nullptr, 1), 1u);
    if (large) {
        ICONINFO info{};
        EXPECT_TRUE(::GetIconInfo(large, &info));
        if (info.hbmColor) ::DeleteObject(info.hbmColor);
        if (info.hbmMask) ::DeleteObject(info.hbmMask);
        ::DestroyIcon(large);
    }

    // The window classes take the icon by the name MAINICON.
    HMODULE module = ::LoadLibraryExW(exe.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    ASSERT_TRUE(module);
    EXPECT_TRUE(::FindResourceW(module, L"MAINICON", MAKEINTRESOURCEW(14) /* RT_GROUP_ICON */))
        << p.name << " has no group icon MAINICON";
    ::FreeLibrary(module);
}

TEST_P(PackageResources, ManifestAsksForCommonControls6AndGdiScaling) {
    const Program& p = GetParam();
    std::string manifest = Squeezed(Manifest(testdesk::WinPath(p.exe)));
    ASSERT_FALSE(manifest.empty()) << p.name << " has no manifest resource 1";
    struct Need {
        const char* what;
        const char* text;
    };
    const Need needs[] = {
        {"common controls", "name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\""},
        {"common controls key", "publicKeyToken=\"6595b64144ccf1df\""},
        {"windows settings", "<application xmlns=\"urn:schemas-microsoft-com:asm.v3\"> <windowsSettings>"},
        {"DPI-unaware",
         "<dpiAware xmlns=\"http://schemas.microsoft.com/SMI/2005/WindowsSettings\">false</dpiAware>"},
        {"GDI scaling",
         "<gdiScaling xmlns=\"http://schemas.microsoft.com/SMI/2017/WindowsSettings\">true</gdiScaling>"},
        {"as invoker", "level=\"asInvoker\""},
        {"Windows 7", "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}"},
        {"Windows 8", "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}"},
        {"Windows 8.1", "{1f676c76-80e1-4239-95bb-83d0f6d0da78}"},
        {"Windows 10/11", "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"},
    };
    for (const Need& need : needs)
        EXPECT_NE(manifest.find(need.text), std::string::npos) << p.name << ": " << need.what << " missing";
    // Per-monitor awareness would undo the scaling of the fixed layout.
    EXPECT_EQ(manifest.find("dpiAwareness"), std::string::npos) << p.name;
    EXPECT_EQ(manifest.find("PerMonitor"), std::string::npos) << p.name;
}

INSTANTIATE_TEST_SUITE_P(Programs, PackageResources, ::testing::ValuesIn(Programs()),
                         [](const ::testing::TestParamInfo<Program>& info) { return std::string(info.param.name); });

}  // namespace
