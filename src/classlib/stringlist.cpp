// TStringList: the ordered line list with its file and memory codecs.
//
// Reading takes the whole file into memory, decodes it by its byte-order
// mark and splits it into lines; only when all of that has worked are the old
// lines replaced, so a failed load leaves the list as it was.
//
// Decoded text is kept exactly as the file holds it: a lone surrogate stays a
// lone unit, and a NUL unit inside a line stays in the line (the list holds
// counted strings, and saving writes the unit back). Code that takes a
// C-string view of such a line sees it end at the NUL; nothing reads past it.
//
// Saving writes to a temporary file beside the target (the target's name
// followed by ".~tmp"), flushes it and moves it over the target in one step,
// so the old file is either left whole or replaced whole. A failed save
// removes the temporary file; one left by a crash is overwritten by the next
// save and moved away with it.

#include "classes.h"

#include <algorithm>
#include <cstring>

namespace {

// Files beyond this size are refused as unreadable instead of exhausting the
// memory for their decoded copies.
constexpr LONGLONG MaxFileBytes = 256LL * 1024 * 1024;

const wchar_t* const TempSuffix = L".~tmp";

[[noreturn]] void IndexError(int index) {
    throw EStringListError(L"List index out of bounds (" + IntToStr(index) + L")");
}

UnicodeString SystemMessage(DWORD code) {
    wchar_t* buffer = nullptr;
    DWORD n = ::FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                   FORMAT_MESSAGE_IGNORE_INSERTS,
                               nullptr, code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    UnicodeString text = (n && buffer) ? Trim(UnicodeString(buffer, n)) : UnicodeString();
    if (buffer) ::LocalFree(buffer);
    if (text.empty()) text = L"system error " + IntToStr(code);
    return text;
}

// Case-insensitive equality of two counted texts, by the rule of CompareText.
bool SameCounted(const wchar_t* a, size_t na, const wchar_t* b, size_t nb) {
    return ::CompareStringW(LOCALE_USER_DEFAULT, NORM_IGNORECASE, a, static_cast<int>(na), b,
                            static_cast<int>(nb)) == CSTR_EQUAL;
}

// Splits text into lines at CR LF, CR and LF. A last line without a line
// break is a line too; an empty text gives no lines.
std::vector<UnicodeString> SplitLines(const wchar_t* text, size_t length) {
    std::vector<UnicodeString> lines;
    size_t start = 0;
    size_t i = 0;
    while (i < length) {
        wchar_t c = text[i];
        if (c == L'\r' || c == L'\n') {
            lines.emplace_back(text + start, i - start);
            ++i;
            if (c == L'\r' && i < length && text[i] == L'\n') ++i;
            start = i;
        } else {
            ++i;
        }
    }
    if (start < length) lines.emplace_back(text + start, length - start);
    return lines;
}

// Decodes the bytes of a file by its byte-order mark.
UnicodeString DecodeBytes(const unsigned char* bytes, size_t size) {
    UnicodeString text;
    if (size >= 2 && bytes[0] == 0xFF && bytes[1] == 0xFE) {
        size_t units = (size - 2) / 2;  // an odd last byte is dropped
        text.resize(units);
        if (units) std::memcpy(text.data(), bytes + 2, units * 2);
    } else if (size >= 2 && bytes[0] == 0xFE && bytes[1] == 0xFF) {
        size_t units = (size - 2) / 2;
        text.resize(units);
        for (size_t i = 0; i < units; ++i) {
            const unsigned char* p = bytes + 2 + 2 * i;
            text[i] = static_cast<wchar_t>((p[0] << 8) | p[1]);
        }
    } else {
        UINT codePage = CP_ACP;
        if (size >= 3 && bytes[0] == 0xEF && bytes[1] == 0xBB && bytes[2] == 0xBF) {
            codePage = CP_UTF8;
            bytes += 3;
            size -= 3;
        }
        if (size == 0) return text;
        const char* src = reinterpret_cast<const char*>(bytes);
        int n = ::MultiByteToWideChar(codePage, 0, src, static_cast<int>(size), nullptr, 0);
        if (n > 0) {
            text.resize(static_cast<size_t>(n));
            n = ::MultiByteToWideChar(codePage, 0, src, static_cast<int>(size), text.data(), n);
            text.resize(n > 0 ? static_cast<size_t>(n) : 0);
        }
    }
    return text;
}

class FileHandle {
public:
    explicit FileHandle(HANDLE h) : FHandle(h) {}
    ~FileHandle() { Close(); }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    bool Valid() const { return FHandle != INVALID_HANDLE_VALUE; }
    HANDLE Get() const { return FHandle; }
    bool Close() {
        bool ok = true;
        if (Valid()) ok = ::CloseHandle(FHandle) != 0;
        FHandle = INVALID_HANDLE_VALUE;
        return ok;
    }

private:
    HANDLE FHandle;
};

std::vector<unsigned char> ReadWholeFile(const UnicodeString& fileName) {
    auto fail = [&](DWORD code) -> EFOpenError {
        return EFOpenError(L"Cannot open file \"" + fileName + L"\". " + SystemMessage(code));
    };
    FileHandle file(::CreateFileW(fileName.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.Valid()) throw fail(::GetLastError());
    // A handle that is not a disk file (a device name, a pipe) is not a file.
    if (::GetFileType(file.Get()) != FILE_TYPE_DISK) throw fail(ERROR_INVALID_FUNCTION);
    LARGE_INTEGER size{};
    if (!::GetFileSizeEx(file.Get(), &size)) throw fail(::GetLastError());
    if (size.QuadPart < 0 || size.QuadPart > MaxFileBytes) throw fail(ERROR_FILE_TOO_LARGE);
    std::vector<unsigned char> bytes(static_cast<size_t>(size.QuadPart));
    size_t done = 0;
    while (done < bytes.size()) {
        DWORD got = 0;
        DWORD want = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1u << 20));
        if (!::ReadFile(file.Get(), bytes.data() + done, want, &got, nullptr)) throw fail(::GetLastError());
        if (got == 0) break;  // the file became shorter while it was read
        done += got;
    }
    bytes.resize(done);
    return bytes;
}

}  // namespace

// --- lines --------------------------------------------------------------------

const UnicodeString& TStringList::Strings(int index) const {
    if (index < 0 || index >= Count()) IndexError(index);
    return FLines[static_cast<size_t>(index)];
}

void TStringList::SetStrings(int index, const UnicodeString& text) {
    if (index < 0 || index >= Count()) IndexError(index);
    FLines[static_cast<size_t>(index)] = text;
}

int TStringList::Add(const UnicodeString& text) {
    FLines.push_back(text);
    return Count() - 1;
}

void TStringList::Insert(int index, const UnicodeString& text) {
    if (index < 0 || index > Count()) IndexError(index);
    FLines.insert(FLines.begin() + index, text);
}

void TStringList::Delete(int index) {
    if (index < 0 || index >= Count()) IndexError(index);
    FLines.erase(FLines.begin() + index);
}

void TStringList::Clear() { FLines.clear(); }

int TStringList::IndexOf(const UnicodeString& text) const {
    for (size_t i = 0; i < FLines.size(); ++i)
        if (SameCounted(FLines[i].data(), FLines[i].size(), text.data(), text.size())) return static_cast<int>(i);
    return -1;
}

// --- names and values ------------------------------------------------------------

UnicodeString TStringList::Names(int index) const {
    const UnicodeString& line = Strings(index);
    size_t eq = line.find(L'=');
    return eq == UnicodeString::npos ? UnicodeString() : line.substr(0, eq);
}

UnicodeString TStringList::ValueFromIndex(int index) const {
    const UnicodeString& line = Strings(index);
    size_t eq = line.find(L'=');
    return eq == UnicodeString::npos ? UnicodeString() : line.substr(eq + 1);
}

int TStringList::IndexOfName(const UnicodeString& name) const {
    for (size_t i = 0; i < FLines.size(); ++i) {
        const UnicodeString& line = FLines[i];
        size_t eq = line.find(L'=');
        if (eq == UnicodeString::npos) continue;  // a line without '=' has no name
        if (SameCounted(line.data(), eq, name.data(), name.size())) return static_cast<int>(i);
    }
    return -1;
}

UnicodeString TStringList::Values(const UnicodeString& name) const {
    int i = IndexOfName(name);
    return i < 0 ? UnicodeString() : ValueFromIndex(i);
}

// Replaces the first line of the name, or appends one. An empty value is
// written as 'name='; no line is removed.
void TStringList::SetValues(const UnicodeString& name, const UnicodeString& value) {
    UnicodeString line = name + L"=" + value;
    int i = IndexOfName(name);
    if (i < 0) Add(line);
    else SetStrings(i, line);
}

// --- memory codec ------------------------------------------------------------------

void TStringList::SetText(const UnicodeString& text) { FLines = SplitLines(text.data(), text.size()); }

UnicodeString TStringList::Text() const {
    size_t total = 0;
    for (const auto& line : FLines) total += line.size() + 2;
    UnicodeString text;
    text.reserve(total);
    for (const auto& line : FLines) {
        text += line;
        text += L"\r\n";
    }
    return text;
}

// --- files -------------------------------------------------------------------------

void TStringList::LoadFromFile(const UnicodeString& fileName) {
    std::vector<unsigned char> bytes = ReadWholeFile(fileName);
    UnicodeString text = DecodeBytes(bytes.data(), bytes.size());
    bytes.clear();
    bytes.shrink_to_fit();
    FLines = SplitLines(text.data(), text.size());
}

void TStringList::SaveToFile(const UnicodeString& fileName) const {
    // The whole content first: FF FE, then every line with CR LF.
    UnicodeString text = Text();
    std::vector<unsigned char> bytes(2 + text.size() * 2);
    bytes[0] = 0xFF;
    bytes[1] = 0xFE;
    if (!text.empty()) std::memcpy(bytes.data() + 2, text.data(), text.size() * 2);

    // A file marked read-only is not to be written. The replace below would
    // take its place all the same where the system lets a read-only file be
    // replaced (and drop the mark with it), so the mark is looked at first.
    const DWORD attributes = ::GetFileAttributesW(fileName.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) &&
        !(attributes & FILE_ATTRIBUTE_DIRECTORY))
        throw EFCreateError(L"Cannot create file \"" + fileName + L"\". " + SystemMessage(ERROR_ACCESS_DENIED));

    const UnicodeString temp = fileName + TempSuffix;
    FileHandle file(::CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                  nullptr));
    if (!file.Valid()) {
        DWORD code = ::GetLastError();
        throw EFCreateError(L"Cannot create file \"" + fileName + L"\". " + SystemMessage(code));
    }
    auto writeFailed = [&](DWORD code) -> EWriteError {
        file.Close();
        ::DeleteFileW(temp.c_str());
        return EWriteError(L"Cannot write file \"" + fileName + L"\". " + SystemMessage(code));
    };
    size_t done = 0;
    while (done < bytes.size()) {
        DWORD put = 0;
        DWORD want = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1u << 20));
        if (!::WriteFile(file.Get(), bytes.data() + done, want, &put, nullptr)) throw writeFailed(::GetLastError());
        if (put == 0) throw writeFailed(ERROR_WRITE_FAULT);
        done += put;
    }
    if (!::FlushFileBuffers(file.Get())) throw writeFailed(::GetLastError());
    if (!file.Close()) throw writeFailed(::GetLastError());
    if (!::MoveFileExW(temp.c_str(), fileName.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        throw writeFailed(::GetLastError());
}
