// Menu item lines as the menu program writes them, for the tests to compare
// with: fields 1 (title) and 2 (target) as the lower-case hex of their
// UTF-16LE bytes.
#pragma once

#include <string>

namespace itemlines {

// Lower-case hex of the UTF-16LE bytes.
inline std::wstring Hex(const std::wstring& text) {
    static const wchar_t digits[] = L"0123456789abcdef";
    std::wstring out;
    for (wchar_t c : text) {
        const unsigned u = static_cast<unsigned>(c);
        for (unsigned byte : {u & 0xFFu, (u >> 8) & 0xFFu}) {
            out += digits[byte >> 4];
            out += digits[byte & 15];
        }
    }
    return out;
}

// The item line of a title and a target; empty fields are left out.
inline std::wstring Item(const std::wstring& title, const std::wstring& target) {
    std::wstring line;
    if (!title.empty()) line += L"\\1" + Hex(title);
    if (!target.empty()) line += L"\\2" + Hex(target);
    return line;
}

}  // namespace itemlines
