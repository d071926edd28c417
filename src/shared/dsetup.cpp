// Unit DSetup: the sibling-program menu. TKSetup::PMenuClick is defined by
// each program (see dsetup.h).
#include "dsetup.h"

#include "s02.h"

#include <shlobj.h>

TKSetup* KSetup = nullptr;

namespace {

// The programs by Tag - 1; the names are the items' captions and component
// names without "PM".
const wchar_t* const ProgramNames[TKSetup::ProgramCount] = {
    L"Brenk", L"Tolvin", L"Fessel", L"Drumo",  L"Ulvan", L"Dovrak",
    L"Sorvik", L"Pelnor", L"Hendra", L"Garvo", L"Nuppa", L"Oskel",
};

constexpr int DovrakTag = 6;

// Anything at the path, a file or a folder.
bool PathTaken(const UnicodeString& path) { return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

}  // namespace

UnicodeString MenuIniNameOf(int i) {
    UnicodeString digits = L"00000" + IntToStr(i);
    return L"pn" + digits.substr(digits.size() - 6);
}

UnicodeString ProgramFilesFolder() {
    wchar_t path[MAX_PATH] = {};
    if (FAILED(::SHGetFolderPathW(nullptr, CSIDL_PROGRAM_FILES, nullptr, SHGFP_TYPE_CURRENT, path))) return UnicodeString();
    return ExcludeTrailingPathDelimiter(path);
}

TKSetup::TKSetup(TComponent* AOwner) : TDataModule(AOwner) {
    Name = L"KSetup";
    PMenuSetup = new TPopupMenu(this);
    PMenuSetup->Name = L"PMenuSetup";
    PMenuSetup->OnPopup = Bind(this, &TKSetup::PMenuSetupPopup);
    TMenuItem** fields[ProgramCount] = {&PMBrenk, &PMTolvin, &PMFessel, &PMDrumo, &PMUlvan, &PMDovrak,
                                        &PMSorvik, &PMPelnor, &PMHendra, &PMGarvo, &PMNuppa, &PMOskel};
    for (int k = 0; k < ProgramCount; ++k) {
        auto* item = new TMenuItem(this);
        item->Name = UnicodeString(L"PM") + ProgramNames[k];
        item->Tag = k + 1;
        item->SetCaption(ProgramNames[k]);
        item->OnClick = Bind(this, &TKSetup::PMenuClick);
        PMenuSetup->Add(item);
        *fields[k] = item;
        FItems[k] = item;
    }
    PMDovrak->SetVisible(false);
#ifdef KESTOVAR_MENU_BUILD
    PMPelnor->SetVisible(false);
#endif
    for (int k = 0; k < ProgramCount; ++k) FOffered[k] = FItems[k]->Visible();
}

TKSetup::~TKSetup() {
    if (KSetup == this) KSetup = nullptr;
}

UnicodeString TKSetup::ProgramName(int tag) {
    if (tag < 1 || tag > ProgramCount) return UnicodeString();
    return ProgramNames[tag - 1];
}

TMenuItem* TKSetup::ItemOfTag(int tag) const {
    if (tag < 1 || tag > ProgramCount) return nullptr;
    return FItems[tag - 1];
}

bool TKSetup::Offered(int tag) const {
    if (tag < 1 || tag > ProgramCount) return false;
    return FOffered[tag - 1];
}

UnicodeString TKSetup::FindProgram(const UnicodeString& name, TMenuItem* item) {
    UnicodeString path;
    const UnicodeString folder = ProgramFilesFolder();
    if (!folder.empty() && !name.empty()) {
        const UnicodeString file = LowerCase(name) + L".exe";
        const UnicodeString candidates[] = {
            folder + L"\\Kestovar\\" + name + L"\\" + file,  // the program's own folder
            folder + L"\\Kestovar\\Dovrak\\" + file,         // the bar's folder
            folder + L"\\Kestovar\\" + file,                 // the maker's folder itself
        };
        for (const UnicodeString& candidate : candidates) {
            if (FileExists(candidate)) {  // a folder of that name does not count
                path = candidate;
                break;
            }
        }
    }
    if (item) {
        if (path.empty()) item->SetVisible(false);
        DrawFileIcon(item->Bitmap(), path, kIconSmall, clBtnFace);
    }
    return path;
}

void TKSetup::PMenuSetupPopup(TObject*) {
    // The bar's own item is never looked up. An item hidden because its
    // program was missing comes back once the program is installed: the bar
    // keeps one module for its whole run.
    for (int tag = 1; tag <= ProgramCount; ++tag) {
        if (tag == DovrakTag) continue;
        TMenuItem* item = FItems[tag - 1];
        const UnicodeString path = FindProgram(ProgramNames[tag - 1], item);
        if (!path.empty() && FOffered[tag - 1]) item->SetVisible(true);
    }
}

UnicodeString TKSetup::NewMenuIniName() {
    const UnicodeString folder = GetAppDataFolder() + L"\\Kestovar\\Pelnor\\";
    constexpr int LastNumber = 99999;
    for (int i = 1; i <= LastNumber; ++i) {
        const UnicodeString name = MenuIniNameOf(i);
        // A folder of that name takes the name as well: no menu file could be made there.
        if (!PathTaken(folder + name + L".ini")) return name;
    }
    return MenuIniNameOf(LastNumber);
}
