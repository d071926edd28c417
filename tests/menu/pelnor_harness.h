// Helpers of the tests that run the real pelnor.exe: its menu folder and
// files, its menu windows, and the other program whose window takes the
// activation away from it.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "desktop.h"
#include "item_lines.h"

namespace pelnor {

using Lines = std::vector<std::wstring>;

std::wstring Exe();
// AppData\Kestovar\Pelnor and a file in it.
std::wstring MenuDir();
std::wstring MenuFile(const std::wstring& name);
// Removes the menu folder with everything in it (and ends a pelnor.exe left
// over by a failed test).
void CleanMenuDir();
bool WriteMenu(const std::wstring& fileName, const Lines& lines);

// Lower-case hex of the UTF-16LE bytes; an item line of title and target.
using itemlines::Hex;
using itemlines::Item;
// Height of one menu row for the font, measured here with GDI.
int RowHeight(const wchar_t* face = L"Tahoma", int points = 9);

// The visible menu windows (class TKMenu) of the process, top-most first.
std::vector<HWND> MenuWindows(DWORD pid);
// Waits for the count-th visible menu window of the process; null on time-out.
HWND WaitMenu(DWORD pid, size_t count = 1, int timeoutMs = 10000);
// Waits until the process shows a menu window of the given height.
HWND WaitMenuOfHeight(DWORD pid, int height, int timeoutMs = 10000);

// Starts winhelper with a window of its own and waits for that window; the
// system then makes it the active window, so pelnor loses the activation.
testdesk::Process StartOtherProgram(const std::wstring& title, const std::wstring& log = L"");

// One run of pelnor.exe with the arguments.
struct MenuRun {
    testdesk::Process process;
    explicit MenuRun(const std::wstring& args);
    ~MenuRun();
    MenuRun(const MenuRun&) = delete;
    MenuRun& operator=(const MenuRun&) = delete;
    // Takes the activation away and waits for the end; the exit code or -1 on time-out.
    int CloseByDeactivation();
    int WaitEnd(int timeoutMs = 10000);
};

}  // namespace pelnor
