#include "clipdata.h"

#include <algorithm>
#include <cstring>
#include <string>

UnicodeString ClipboardRecordText(const void* block, size_t byteCount) {
    if (!block) return UnicodeString();
    const size_t units = byteCount / sizeof(wchar_t);
    const auto* text = static_cast<const wchar_t*>(block);
    size_t n = 0;
    while (n < units && text[n] != L'\0' && text[n] != L'\r' && text[n] != L'\n') ++n;
    return UnicodeString(text, n);
}

bool LastDroppedFile(HDROP drop, UnicodeString& name) {
    if (!drop) return false;
    const UINT count = ::DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
    if (count == 0 || count == 0xFFFFFFFF) return false;
    bool got = false;
    for (UINT k = 0; k < count; ++k) {
        // Each name is read whole: its length first, then the name.
        const UINT length = ::DragQueryFileW(drop, k, nullptr, 0);
        std::wstring buffer(static_cast<size_t>(length) + 1, L'\0');
        const UINT copied = ::DragQueryFileW(drop, k, buffer.data(), length + 1);
        buffer.resize(std::min<size_t>(copied, length));
        name = buffer;
        got = true;
    }
    return got && !name.empty();
}

HGLOBAL PutClipboardLine(HWND owner, UINT format, const UnicodeString& line) {
    if (!format) return nullptr;
    const size_t bytes = (line.size() + 1) * sizeof(wchar_t);
    HGLOBAL block = ::GlobalAlloc(GMEM_MOVEABLE, bytes);
    if (!block) return nullptr;
    void* data = ::GlobalLock(block);
    if (!data) {
        ::GlobalFree(block);
        return nullptr;
    }
    std::memcpy(data, line.c_str(), bytes);  // the line and its 0 unit
    ::GlobalUnlock(block);

    if (!::OpenClipboard(owner)) {
        ::GlobalFree(block);  // another program holds the clipboard
        return nullptr;
    }
    ::EmptyClipboard();
    if (!::SetClipboardData(format, block)) {
        ::CloseClipboard();
        ::GlobalFree(block);  // not taken: still ours
        return nullptr;
    }
    ::CloseClipboard();
    return block;
}

bool ReadClipboardLine(UINT format, UnicodeString& line) {
    if (!format || !::IsClipboardFormatAvailable(format)) return false;
    HANDLE data = ::GetClipboardData(format);
    if (!data) return false;
    const void* block = ::GlobalLock(data);
    if (!block) return false;
    line = ClipboardRecordText(block, ::GlobalSize(data));
    ::GlobalUnlock(data);
    return true;
}
