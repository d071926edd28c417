#include "bar_test_support.h"

#include "desktop.h"
#include "qini.h"
#include "winhelper.h"

#include <algorithm>

namespace bartest {

std::wstring IniDir() { return testdesk::KestovarDir(L"Dovrak"); }
std::wstring IniPath() { return IniDir() + L"\\dovrak.ini"; }

void RemoveIniDir() { testdesk::RemoveTree(IniDir()); }

void WriteIni(const std::vector<std::wstring>& lines) {
    testdesk::MakeDirs(IniDir());
    testdesk::WriteUtf16Lines(IniPath(), lines);
}

std::vector<std::wstring> ReadIni() { return testdesk::ReadUtf16Lines(IniPath()); }

std::wstring RecordLine(const Rec& r) {
    TQini q;
    q.AddLine(L"");
    const std::wstring* fields[] = {&r.target, &r.cls, &r.title, &r.flags, &r.caption, &r.textColor, &r.faceColor};
    for (int k = 0; k < 7; ++k) q.SetField(0, k + 1, fields[k]->c_str());
    return q.GetLine(0).c_str();
}

std::wstring FieldOf(const std::wstring& line, int n) {
    TQini q;
    q.AddLine(line.c_str());
    return q.GetField(0, n).c_str();
}

std::wstring ValueOf(const std::vector<std::wstring>& lines, const std::wstring& key) {
    for (const auto& l : lines) {
        const size_t eq = l.find(L'=');
        if (eq != std::wstring::npos && l.substr(0, eq) == key) return l.substr(eq + 1);
    }
    return L"\x1";
}

std::vector<std::wstring> KeysOf(const std::vector<std::wstring>& lines) {
    std::vector<std::wstring> keys;
    for (const auto& l : lines) keys.push_back(l.substr(0, l.find(L'=')));
    return keys;
}

std::vector<RECT> VisibleButtons(HWND bar) {
    std::vector<RECT> rects;
    for (HWND b : testdesk::ChildWindows(bar, L"TKButton")) {
        if (!IsWindowVisible(b)) continue;
        RECT r{};
        GetWindowRect(b, &r);
        MapWindowPoints(nullptr, bar, reinterpret_cast<POINT*>(&r), 2);
        rects.push_back(r);
    }
    std::sort(rects.begin(), rects.end(), [](const RECT& a, const RECT& b) { return a.left < b.left; });
    return rects;
}

void KillBars() {
    for (int round = 0; round < 10; ++round) {
        HWND bar = testdesk::FindTopWindow(L"TFDovrak", nullptr, 0, false);
        if (!bar) return;
        DWORD pid = 0;
        GetWindowThreadProcessId(bar, &pid);
        if (pid == GetCurrentProcessId()) return;
        if (HANDLE p = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, pid)) {
            TerminateProcess(p, 1);
            WaitForSingleObject(p, 5000);
            CloseHandle(p);
        }
    }
}

std::wstring HelperCopy(const std::wstring& folderName, const std::wstring& exeName) {
    std::wstring dir = testdesk::FreshTempDir(folderName);
    CopyFileW(winhelper::Path().c_str(), (dir + L"\\" + exeName).c_str(), FALSE);
    return dir;
}

}  // namespace bartest
