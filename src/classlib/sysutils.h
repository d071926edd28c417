// Basic runtime types of the class library: the string type, the exception
// classes and small string and file helpers.
#pragma once

#include <windows.h>

#include <exception>
#include <string>
#include <string_view>

using UnicodeString = std::wstring;

// Base of every exception the class library raises. The message is UTF-16;
// what() gives a UTF-8 copy for diagnostics.
class Exception : public std::exception {
public:
    explicit Exception(UnicodeString message);
    const UnicodeString& Message() const { return FMessage; }
    const char* what() const noexcept override { return FNarrow.c_str(); }

private:
    UnicodeString FMessage;
    std::string FNarrow;
};

// Raised when memory for the own buffers cannot be obtained.
class OutOfMemoryError : public Exception {
public:
    OutOfMemoryError() : Exception(L"Out of memory") {}
};

// A string list index outside 0 .. Count - 1.
class EStringListError : public Exception {
public:
    using Exception::Exception;
};

// File errors of the streams and string lists.
class EStreamError : public Exception {
public:
    using Exception::Exception;
};
class EFOpenError : public EStreamError {  // a file that exists cannot be opened or read
public:
    using EStreamError::EStreamError;
};
class EFCreateError : public EStreamError {  // a file cannot be created
public:
    using EStreamError::EStreamError;
};
class EWriteError : public EStreamError {  // a file cannot be written completely
public:
    using EStreamError::EStreamError;
};

// A text that does not convert to the asked type (StringToColor, StrToInt).
class EConvertError : public Exception {
public:
    using Exception::Exception;
};

// Raised when a window or other system object cannot be created.
class EOSError : public Exception {
public:
    using Exception::Exception;
};

// --- text helpers --------------------------------------------------------

UnicodeString IntToStr(long long value);
// Decimal or hexadecimal ("$1F", "0x1F") integer; throws EConvertError.
int StrToInt(const UnicodeString& text);
int StrToIntDef(const UnicodeString& text, int fallback);
// Tries StrToInt; true and the value when it converts.
bool TryStrToInt(const UnicodeString& text, int& value);
UnicodeString UpperCase(const UnicodeString& text);  // CharUpperBuffW
UnicodeString LowerCase(const UnicodeString& text);  // CharLowerBuffW
UnicodeString Trim(const UnicodeString& text);        // blanks and control characters
// Case-insensitive comparison in the user's locale, as names of a string list compare.
int CompareText(const UnicodeString& a, const UnicodeString& b);
bool SameText(const UnicodeString& a, const UnicodeString& b);

UnicodeString Utf8ToUnicode(std::string_view text);
std::string UnicodeToUtf8(std::wstring_view text);

// --- path helpers: the separators are '\' and ':' ------------------------

UnicodeString ExtractFilePath(const UnicodeString& path);  // up to and including the last separator
UnicodeString ExtractFileName(const UnicodeString& path);  // after the last separator
UnicodeString ExtractFileExt(const UnicodeString& path);   // from the last '.' after the last separator
UnicodeString ExcludeTrailingPathDelimiter(const UnicodeString& path);
bool FileExists(const UnicodeString& path);       // an existing file, not a folder
bool DirectoryExists(const UnicodeString& path);  // an existing folder
bool CreateDir(const UnicodeString& path);        // one level
