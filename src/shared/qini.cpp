#include "qini.h"

#include <shlobj.h>

#include <cwchar>

TQini::TQini(unsigned hexFields) : FList(new TStringList), FSlots{}, FFolder(0), FHexFields(hexFields & 0x3FEu) {
    FFolder = L"";
}

TQini::~TQini() {
    delete FList;
    FList = nullptr;
    // The folder, then slots 9 down to 1, go with the members.
}

TKVar& TQini::Slot(int k) {
    if (k < 1 || k > 9) throw Exception(L"Field slot out of range (" + IntToStr(k) + L")");
    return FSlots[k - 1];
}

// --- the file ----------------------------------------------------------------------

bool TQini::SetFolder(const wchar_t* company, const wchar_t* product) {
    wchar_t base[MAX_PATH] = {};
    if (FAILED(::SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, base)) || base[0] == 0) {
        FFolder = L"";
        return true;
    }
    UnicodeString path = ExcludeTrailingPathDelimiter(base);
    path += L"\\";
    path += company ? company : L"";
    if (!DirectoryExists(path)) CreateDir(path);
    path += L"\\";
    path += product ? product : L"";
    if (!DirectoryExists(path)) CreateDir(path);
    FFolder = path.c_str();
    return true;
}

UnicodeString TQini::PathOf(TKVar& name) {
    UnicodeString file = name.c_str();
    if (FFolder.Length() == 0) return file;
    return UnicodeString(FFolder.Text()) + L"\\" + file;
}

bool TQini::Load(TKVar name) {
    UnicodeString path = PathOf(name);
    if (!FileExists(path)) return false;
    FList->LoadFromFile(path);
    return true;
}

bool TQini::Save(TKVar name) {
    FList->SaveToFile(PathOf(name));
    return true;
}

// --- key=value lines ----------------------------------------------------------------

TKVar& TQini::ReadValue(TKVar key) {
    UnicodeString name = key.c_str();
    int i = FList->IndexOfName(name);
    UnicodeString value = i < 0 ? UnicodeString() : FList->ValueFromIndex(i);
    FSlots[0] = value.c_str();
    return FSlots[0];
}

TKVar& TQini::ReadValueDef(TKVar key, TKVar def) {
    TKVar& result = ReadValue(key);
    if (result.Length() == 0) result = def;
    return result;
}

void TQini::WriteValue(TKVar key, TKVar value) {
    UnicodeString name = key.c_str();
    UnicodeString line = name + L"=" + value.c_str();
    int i = FList->IndexOfName(name);
    if (i < 0) FList->Add(line);
    else FList->SetStrings(i, line);
}

int TQini::AddLine(TKVar line) { return FList->Add(line.c_str()); }

TKVar& TQini::GetLine(int index) {
    FSlots[0] = FList->Strings(index).c_str();
    return FSlots[0];
}

int TQini::Count() { return FList->Count(); }

// --- record lines ---------------------------------------------------------------------

wchar_t TQini::FieldMarker(const wchar_t* position) {
    if (position[0] == L'\\' && position[1] >= L'1' && position[1] <= L'9') return position[1];
    if (position[0] == 0) return L'#';
    return 0;
}

void TQini::SplitFields(TKVar line) {
    for (auto& slot : FSlots) slot = L"";
    const UnicodeString text = line.c_str();
    const wchar_t* p = text.c_str();
    const size_t length = text.size();
    int open = 0;  // the field being read; 0 before the first marker
    size_t start = 0;
    size_t i = 0;
    while (i <= length) {
        wchar_t marker = FieldMarker(p + i);
        if (!marker) {
            ++i;
            continue;
        }
        // An empty stretch (a marker right after a marker) leaves the slot as it was.
        if (open && i > start) FSlots[open - 1] = text.substr(start, i - start).c_str();
        if (marker == L'#') break;
        open = marker - L'0';
        start = i + 2;
        i += 2;
    }
}

void TQini::SplitAndDecode(int line) {
    TKVar copy(FList->Strings(line));
    SplitFields(copy);
    for (int k = 1; k <= 9; ++k)
        if (IsHexField(k)) HexDecode(FSlots[k - 1]);
}

TKVar& TQini::GetField(int line, int field) {
    SplitAndDecode(line);
    if (field >= 1 && field <= 9) return FSlots[field - 1];
    FSlots[0] = L"";
    return FSlots[0];
}

void TQini::SetField(int line, int field, TKVar value) {
    SplitAndDecode(line);
    if (field >= 1 && field <= 9) FSlots[field - 1] = value;
    UnicodeString rebuilt;
    for (int k = 1; k <= 9; ++k) {
        TKVar& slot = FSlots[k - 1];
        if (slot.Length() <= 0) continue;
        rebuilt += L'\\';
        rebuilt += static_cast<wchar_t>(L'0' + k);
        if (IsHexField(k)) {
            TKVar coded(slot);
            HexEncode(coded);
            rebuilt += coded.Text();
        } else {
            rebuilt += slot.Text();
        }
    }
    FList->SetStrings(line, rebuilt);
}

// --- hex coding -----------------------------------------------------------------------

void TQini::BytesToHex(const unsigned char* bytes, wchar_t* out, int byteCount) {
    static const wchar_t digits[] = L"0123456789abcdef";
    for (int i = 0; i < byteCount; ++i) {
        out[2 * i] = digits[bytes[i] >> 4];
        out[2 * i + 1] = digits[bytes[i] & 0x0F];
    }
    out[2 * (byteCount > 0 ? byteCount : 0)] = 0;
}

void TQini::HexToBytes(unsigned char* out, const wchar_t* hex, int digitCount) {
    int written = 0;
    for (int i = 0; i < digitCount && hex[i] != 0; i += 2) {
        // The pair as the C library's base-16 parse reads it: it may take
        // blanks, a sign or a "0x" prefix, and gives 0 without a digit.
        wchar_t pair[3] = {hex[i], 0, 0};
        if (i + 1 < digitCount) pair[1] = hex[i + 1];
        out[written++] = static_cast<unsigned char>(std::wcstol(pair, nullptr, 16) & 0xFF);
        if (pair[1] == 0) break;
    }
    out[written] = 0;
    out[written + 1] = 0;
}

void TQini::HexEncode(TKVar& value) {
    const int n = value.Length();
    if (n == 0) return;
    HGLOBAL block = ::GlobalAlloc(GMEM_FIXED | GMEM_ZEROINIT, static_cast<SIZE_T>(n) * 8 + 2);
    if (!block) throw OutOfMemoryError();
    auto* out = static_cast<wchar_t*>(block);
    BytesToHex(reinterpret_cast<const unsigned char*>(value.Text()), out, 2 * n);
    try {
        value = out;
    } catch (...) {
        ::GlobalFree(block);
        throw;
    }
    ::GlobalFree(block);
}

void TQini::HexDecode(TKVar& value) {
    const int d = value.Length();
    if (d == 0) return;
    HGLOBAL block = ::GlobalAlloc(GMEM_FIXED | GMEM_ZEROINIT, static_cast<SIZE_T>(d) * 2 + 2);
    if (!block) throw OutOfMemoryError();
    auto* bytes = static_cast<unsigned char*>(block);
    HexToBytes(bytes, value.Text(), d);
    try {
        value = reinterpret_cast<const wchar_t*>(bytes);
    } catch (...) {
        ::GlobalFree(block);
        throw;
    }
    ::GlobalFree(block);
}

// --- flag strings -----------------------------------------------------------------------

bool TQini::GetFlag(TKVar& flags, int index) {
    if (index < 0 || index > 255) return false;
    const wchar_t* text = flags.c_str();
    for (int i = 0; i <= index; ++i)
        if (text[i] == 0) return false;  // beyond the end: off
    return text[index] == L'1';
}

void TQini::SetFlag(TKVar& flags, int index, bool on) {
    if (index < 0 || index > 255) return;
    wchar_t buffer[257];
    for (int i = 0; i < 256; ++i) buffer[i] = L'0';
    buffer[256] = 0;
    const wchar_t* text = flags.c_str();
    for (int i = 0; i < 256 && text[i] != 0; ++i) buffer[i] = text[i];
    buffer[index] = on ? L'1' : L'0';
    int end = 256;
    while (end > 0 && buffer[end - 1] != L'1') --end;
    buffer[end] = 0;
    flags = buffer;
}
