#include "menu_clip.h"

#include "desktop.h"

#include <shlobj.h>

#include <cstring>

namespace menuclip {

namespace {

HWND OwnWindow() {
    static HWND window = nullptr;
    if (!window || !::IsWindow(window))
        window = ::CreateWindowExW(0, L"STATIC", L"test clipboard", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                                   ::GetModuleHandleW(nullptr), nullptr);
    return window;
}

bool OpenWithRetry() {
    return testdesk::WaitUntil([] { return ::OpenClipboard(OwnWindow()) != 0; }, 3000, false);
}

}  // namespace

UINT PelnorFormat() { return ::RegisterClipboardFormatA("PELNOR"); }

Bytes LineBytes(const std::wstring& line) {
    const auto* p = reinterpret_cast<const unsigned char*>(line.c_str());
    return Bytes(p, p + (line.size() + 1) * sizeof(wchar_t));
}

Bytes FileListBytes(const std::vector<std::wstring>& files) {
    Bytes block(sizeof(DROPFILES));
    auto* header = reinterpret_cast<DROPFILES*>(block.data());
    header->pFiles = sizeof(DROPFILES);
    header->fWide = TRUE;
    for (const auto& f : files) {
        const auto* p = reinterpret_cast<const unsigned char*>(f.c_str());
        block.insert(block.end(), p, p + (f.size() + 1) * sizeof(wchar_t));
    }
    block.insert(block.end(), {0, 0});  // the list ends with an empty name
    return block;
}

bool Put(const std::vector<Block>& blocks) {
    if (!OpenWithRetry()) return false;
    ::EmptyClipboard();
    bool ok = true;
    for (const Block& b : blocks) {
        HGLOBAL h = ::GlobalAlloc(GMEM_MOVEABLE, b.bytes.size());
        if (!h) {
            ok = false;
            continue;
        }
        if (!b.bytes.empty()) {
            std::memcpy(::GlobalLock(h), b.bytes.data(), b.bytes.size());
            ::GlobalUnlock(h);
        }
        if (!::SetClipboardData(b.format, h)) {
            ::GlobalFree(h);
            ok = false;
        }
    }
    ::CloseClipboard();
    return ok;
}

bool Clear() { return Put({}); }

bool Read(UINT format, Bytes& bytes) {
    bytes.clear();
    if (!OpenWithRetry()) return false;
    bool got = false;
    if (HANDLE h = ::GetClipboardData(format)) {
        const size_t size = ::GlobalSize(h);
        if (const void* p = ::GlobalLock(h)) {
            const auto* b = static_cast<const unsigned char*>(p);
            bytes.assign(b, b + size);
            ::GlobalUnlock(h);
            got = true;
        }
    }
    ::CloseClipboard();
    return got;
}

bool Has(UINT format) { return ::IsClipboardFormatAvailable(format) != 0; }

Holder::Holder() {
    opened = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    release = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    thread = std::thread([this] {
        HWND window = ::CreateWindowExW(0, L"STATIC", L"clipboard holder", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                                        ::GetModuleHandleW(nullptr), nullptr);
        holding = testdesk::WaitUntil([&] { return ::OpenClipboard(window) != 0; }, 3000, false);
        ::SetEvent(opened);
        ::WaitForSingleObject(release, INFINITE);
        if (holding) ::CloseClipboard();
        ::DestroyWindow(window);
    });
    ::WaitForSingleObject(opened, 5000);
}

Holder::~Holder() {
    ::SetEvent(release);
    thread.join();
    ::CloseHandle(opened);
    ::CloseHandle(release);
}

}  // namespace menuclip
