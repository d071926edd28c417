// Whether a text can be kept in a plain (not hex-coded) field of a record
// line. A record line has no escape: a backslash followed by a digit 1 to 9
// starts the next field, and a line break ends the line in the settings
// file. A text holding either would come back cut or split when read, so
// the programs never store such a text in a plain field.
#pragma once

#include <string>

// True when the text holds no backslash followed by '1' .. '9', no CR, no LF
// and no NUL unit.
bool IsPlainFieldSafe(const wchar_t* text, size_t length);
inline bool IsPlainFieldSafe(const std::wstring& text) { return IsPlainFieldSafe(text.data(), text.size()); }
