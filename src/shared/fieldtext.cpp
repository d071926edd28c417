// Whether a text survives a round trip through a plain record field.
#include "fieldtext.h"

bool IsPlainFieldSafe(const wchar_t* text, size_t length) {
    if (!text) return true;
    for (size_t i = 0; i < length; ++i) {
        const wchar_t c = text[i];
        if (c == L'\r' || c == L'\n' || c == L'\0') return false;
        if (c == L'\\' && i + 1 < length && text[i + 1] >= L'1' && text[i + 1] <= L'9') return false;
    }
    return true;
}
