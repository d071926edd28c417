// For tests that start winhelper.exe (see winhelper.cpp): where it is and
// how to read its log. Link the interface library winhelper_client, which
// also makes sure that winhelper.exe is built.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace winhelper {

// <build>\tests\helpers\winhelper.exe, found from the running test program,
// which lies in <build>\tests\<area>\.
inline std::wstring Path() {
    wchar_t module[MAX_PATH * 2] = {};
    ::GetModuleFileNameW(nullptr, module, MAX_PATH * 2);
    std::wstring p = module;
    for (int level = 0; level < 2; ++level) {
        const size_t s = p.find_last_of(L"\\/");
        if (s == std::wstring::npos) return L"winhelper.exe";
        p.erase(s);
    }
    return p + L"\\helpers\\winhelper.exe";
}

// The lines of a log (UTF-8), without their line ends; empty when missing.
inline std::vector<std::wstring> ReadLog(const std::wstring& path) {
    std::vector<std::wstring> lines;
    HANDLE f = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                             nullptr, OPEN_EXISTING, 0, nullptr);
    if (f == INVALID_HANDLE_VALUE) return lines;
    std::string bytes;
    char buffer[4096];
    DWORD got = 0;
    while (::ReadFile(f, buffer, sizeof buffer, &got, nullptr) && got > 0) bytes.append(buffer, got);
    ::CloseHandle(f);
    size_t start = 0;
    while (start < bytes.size()) {
        size_t end = bytes.find('\n', start);
        if (end == std::string::npos) break;  // a line still being written
        std::string line = bytes.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        int n = ::MultiByteToWideChar(CP_UTF8, 0, line.data(), static_cast<int>(line.size()), nullptr, 0);
        std::wstring w(static_cast<size_t>(n), L'\0');
        ::MultiByteToWideChar(CP_UTF8, 0, line.data(), static_cast<int>(line.size()), w.data(), n);
        lines.push_back(w);
        start = end + 1;
    }
    return lines;
}

// The values of the lines "key=value" of that key, in order.
inline std::vector<std::wstring> Values(const std::vector<std::wstring>& lines, const std::wstring& key) {
    std::vector<std::wstring> values;
    const std::wstring prefix = key + L"=";
    for (const auto& line : lines) {
        if (line.compare(0, prefix.size(), prefix) == 0) values.push_back(line.substr(prefix.size()));
    }
    return values;
}

}  // namespace winhelper
