// TQini: the settings store of both programs. An ordered list of text lines,
// loaded from and saved to one file in the user's application-data folder,
// read and written as key=value lines, as raw lines by index, and field by
// field as record lines.
//
// Record line: fields 1 to 9, each written as a backslash, the field's digit
// and the field's text, in the order 1 to 9, empty fields left out. Some
// fields are hex-coded (the lower-case hex of their UTF-16LE bytes); which
// ones is a property of the program's build (HexFields). There is no escape:
// a plain field that contains a backslash followed by a digit 1 to 9, or a
// line break, does not survive a write and a read. Callers keep such texts
// out of plain fields.
//
// Flag string: a text of '0' and '1', one character per option index 0 to
// 255, with nothing after its last '1'.
//
// Text arguments are TKVar values; text results are references to the
// store's own slots, overwritten by the next operation that writes them
// (ReadValue, ReadValueDef, GetLine, GetField, SetField). Copy or convert a
// result at once.
//
// A line read from a damaged file may hold a NUL unit. The list keeps it (a
// save writes it back), but every TKVar view of the line or of its value
// ends at the NUL, and SetField on such a line rewrites it without the rest.
#pragma once

#include "classes.h"
#include "kvar.h"

class TQini {
public:
#ifdef KESTOVAR_MENU_BUILD
    static constexpr unsigned DefaultHexFields = (1u << 1) | (1u << 2) | (1u << 7);
#else
    static constexpr unsigned DefaultHexFields = (1u << 1);
#endif

    // hexFields: bit k set means record field k (1 to 9) is hex-coded.
    explicit TQini(unsigned hexFields = TQini::DefaultHexFields);
    ~TQini();
    TQini(const TQini&) = delete;
    TQini& operator=(const TQini&) = delete;

    unsigned HexFields() const { return FHexFields; }
    // The owned line list, for callers that insert or delete lines directly.
    TStringList* List() { return FList; }

    // The folder becomes AppData\company\product; missing levels are created
    // (a failed creation is ignored). When the application-data folder cannot
    // be determined the folder stays empty, so names are taken relative to
    // the current folder. Returns true.
    bool SetFolder(const wchar_t* company, const wchar_t* product);
    // Replaces the lines with the file's when it exists; false (lines kept)
    // when no file is there. A file that exists but cannot be read raises
    // EFOpenError.
    bool Load(TKVar name);
    // Writes all lines (UTF-16LE with the mark, CR LF after each); the old
    // file is replaced whole or left whole. Returns true; a failure raises
    // EFCreateError or EWriteError.
    bool Save(TKVar name);

    // The value of the first line whose name equals key without regard to
    // case (the text after the line's first '='); '' when none. In slot 1.
    TKVar& ReadValue(TKVar key);
    // As ReadValue; when that gives '' slot 1 becomes a copy of def, with its kind.
    TKVar& ReadValueDef(TKVar key, TKVar def);
    // Replaces the first line of the key with 'key=value', or appends it.
    void WriteValue(TKVar key, TKVar value);
    // Appends the line's text; returns the new line's index.
    int AddLine(TKVar line);
    // The text of line index in slot 1; an index outside the list raises EStringListError.
    TKVar& GetLine(int index);
    int Count();

    // Field n (1 to 9) of line `line`, hex-coded fields decoded; for any other
    // n slot 1 made empty.
    TKVar& GetField(int line, int field);
    // Sets field n (1 to 9; any other n changes no field) and rewrites the
    // line in normal form: fields 1 to 9 in order, empty ones and any text
    // before the first marker dropped, hex-coded fields encoded.
    void SetField(int line, int field, TKVar value);
    // The nine slots receive the line's fields as written (hex still coded).
    void SplitFields(TKVar line);
    // The digit of a field marker at position, '#' at the terminating 0, 0 otherwise.
    static wchar_t FieldMarker(const wchar_t* position);
    // Replaces the value's text with its hex coding ('A' -> '4100').
    void HexEncode(TKVar& value);
    // Replaces the value's hex text with the text it codes ('4100' -> 'A').
    void HexDecode(TKVar& value);
    // Two lower-case hex digits per byte, then a terminating 0:
    // out holds 2 * byteCount + 1 units.
    static void BytesToHex(const unsigned char* bytes, wchar_t* out, int byteCount);
    // One byte per pair of digits (an odd last digit forms a byte alone),
    // stopping at digitCount or at a 0 unit; two 0 bytes follow the last byte
    // written: out holds (digitCount + 1) / 2 + 2 bytes.
    static void HexToBytes(unsigned char* out, const wchar_t* hex, int digitCount);

    // Flag index (0 to 255) of a flag string; false outside the range.
    static bool GetFlag(TKVar& flags, int index);
    // Writes flag index (0 to 255; nothing outside) and trims the string after its last '1'.
    static void SetFlag(TKVar& flags, int index, bool on);

    // Slots 1 to 9, and the folder, for callers and tests.
    TKVar& Slot(int k);
    const TKVar& Folder() const { return FFolder; }

private:
    bool IsHexField(int k) const { return (FHexFields >> k) & 1u; }
    UnicodeString PathOf(TKVar& name);
    void SplitAndDecode(int line);

    TStringList* FList;
    TKVar FSlots[9];
    TKVar FFolder;
    unsigned FHexFields;
};
