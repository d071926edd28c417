#include "sysutils.h"

#include <cwctype>

Exception::Exception(UnicodeString message) : FMessage(std::move(message)), FNarrow(UnicodeToUtf8(FMessage)) {}

UnicodeString IntToStr(long long value) { return std::to_wstring(value); }

bool TryStrToInt(const UnicodeString& text, int& value) {
    size_t i = 0;
    const size_t n = text.size();
    while (i < n && (text[i] == L' ' || text[i] == L'\t')) ++i;
    bool negative = false;
    if (i < n && (text[i] == L'+' || text[i] == L'-')) negative = text[i++] == L'-';
    int base = 10;
    if (i < n && text[i] == L'$') {
        base = 16;
        ++i;
    } else if (i + 1 < n && text[i] == L'0' && (text[i + 1] == L'x' || text[i + 1] == L'X')) {
        base = 16;
        i += 2;
    }
    if (i >= n) return false;
    unsigned long long acc = 0;
    for (; i < n; ++i) {
        wchar_t c = text[i];
        int d;
        if (c >= L'0' && c <= L'9') d = c - L'0';
        else if (base == 16 && c >= L'a' && c <= L'f') d = c - L'a' + 10;
        else if (base == 16 && c >= L'A' && c <= L'F') d = c - L'A' + 10;
        else return false;
        acc = acc * base + d;
        if (acc > 0xFFFFFFFFull) return false;
    }
    if (base == 10) {
        if (negative ? acc > 0x80000000ull : acc > 0x7FFFFFFFull) return false;
        value = negative ? static_cast<int>(-static_cast<long long>(acc)) : static_cast<int>(acc);
    } else {
        // Hexadecimal texts give the 32-bit pattern, as colours are written.
        value = static_cast<int>(static_cast<unsigned>(acc));
        if (negative) value = -value;
    }
    return true;
}

int StrToInt(const UnicodeString& text) {
    int v = 0;
    if (!TryStrToInt(text, v)) throw EConvertError(L"'" + text + L"' is not a valid integer value");
    return v;
}

int StrToIntDef(const UnicodeString& text, int fallback) {
    int v = 0;
    return TryStrToInt(text, v) ? v : fallback;
}

UnicodeString UpperCase(const UnicodeString& text) {
    UnicodeString r = text;
    if (!r.empty()) CharUpperBuffW(r.data(), static_cast<DWORD>(r.size()));
    return r;
}

UnicodeString LowerCase(const UnicodeString& text) {
    UnicodeString r = text;
    if (!r.empty()) CharLowerBuffW(r.data(), static_cast<DWORD>(r.size()));
    return r;
}

UnicodeString Trim(const UnicodeString& text) {
    size_t b = 0, e = text.size();
    while (b < e && text[b] <= L' ') ++b;
    while (e > b && text[e - 1] <= L' ') --e;
    return text.substr(b, e - b);
}

int CompareText(const UnicodeString& a, const UnicodeString& b) {
    int r = CompareStringW(LOCALE_USER_DEFAULT, NORM_IGNORECASE, a.data(), static_cast<int>(a.size()), b.data(),
                           static_cast<int>(b.size()));
    return r - CSTR_EQUAL;
}

bool SameText(const UnicodeString& a, const UnicodeString& b) { return CompareText(a, b) == 0; }

UnicodeString Utf8ToUnicode(std::string_view text) {
    if (text.empty()) return {};
    int n = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    UnicodeString r(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), r.data(), n);
    return r;
}

std::string UnicodeToUtf8(std::wstring_view text) {
    if (text.empty()) return {};
    int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string r(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), r.data(), n, nullptr, nullptr);
    return r;
}

static size_t LastSeparator(const UnicodeString& path) { return path.find_last_of(L"\\:"); }

UnicodeString ExtractFilePath(const UnicodeString& path) {
    size_t p = LastSeparator(path);
    return p == UnicodeString::npos ? UnicodeString() : path.substr(0, p + 1);
}

UnicodeString ExtractFileName(const UnicodeString& path) {
    size_t p = LastSeparator(path);
    return p == UnicodeString::npos ? path : path.substr(p + 1);
}

UnicodeString ExtractFileExt(const UnicodeString& path) {
    size_t p = path.find_last_of(L".\\:");
    return (p != UnicodeString::npos && path[p] == L'.') ? path.substr(p) : UnicodeString();
}

UnicodeString ExcludeTrailingPathDelimiter(const UnicodeString& path) {
    if (!path.empty() && path.back() == L'\\') return path.substr(0, path.size() - 1);
    return path;
}

bool FileExists(const UnicodeString& path) {
    if (path.empty()) return false;
    DWORD a = GetFileAttributesW(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

bool DirectoryExists(const UnicodeString& path) {
    if (path.empty()) return false;
    DWORD a = GetFileAttributesW(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

bool CreateDir(const UnicodeString& path) { return CreateDirectoryW(path.c_str(), nullptr) != 0; }
