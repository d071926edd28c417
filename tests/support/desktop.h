// Test helpers for driving real windows and processes under Wine.
#pragma once

#include <windows.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace testdesk {

// Polls cond every few milliseconds until it holds or the time-out passes.
bool WaitUntil(const std::function<bool()>& cond, int timeoutMs = 10000, bool pumpMessages = true);
// Handles the calling thread's queued messages.
void PumpMessages();

// A Linux path (as CMake gives it) as the Windows path Wine maps it to (Z:\...).
std::wstring WinPath(const std::string& unixPath);

// --- processes ---------------------------------------------------------------
struct Process {
    HANDLE handle = nullptr;
    DWORD pid = 0;
    bool Running() const;
    // Waits for the end; returns false on time-out. The exit code goes to *code.
    bool WaitExit(int timeoutMs, DWORD* code = nullptr) const;
    void Kill() const;
    void Close();
};
// Starts exe with the command-line tail args (appended after the quoted exe).
Process Start(const std::wstring& exe, const std::wstring& args = L"", const std::wstring& cwd = L"");

// --- windows -----------------------------------------------------------------
// The first visible top-level window of the class (and title, unless null) that
// belongs to pid (any process when 0).
HWND FindTopWindow(const wchar_t* cls, const wchar_t* title = nullptr, DWORD pid = 0, bool visibleOnly = true);
HWND WaitWindow(const wchar_t* cls, const wchar_t* title = nullptr, DWORD pid = 0, int timeoutMs = 10000);
std::vector<HWND> ChildWindows(HWND parent, const wchar_t* cls = nullptr);
std::wstring ClassOf(HWND hwnd);
std::wstring TextOf(HWND hwnd);
RECT ScreenRect(HWND hwnd);
// Makes the window the foreground window (as a user's click would).
void Activate(HWND hwnd);

// --- input (real input through SendInput) ------------------------------------
// Button events carry the place where MoveMouse (or a click) put the cursor
// last, not the cursor's place when they are queued: under Wine another
// program may move the cursor back to where it was some time ago (its X11
// driver reporting a late pointer position), which would send a click there.
void MoveMouse(int x, int y);
void LeftDown();
void LeftUp();
void RightDown();
void RightUp();
void LeftClick(int x, int y);
void RightClick(int x, int y);
void DoubleClick(int x, int y);
void PressKey(WORD vk);
// Presses vk while the modifier (VK_SHIFT, VK_CONTROL...) is held down.
void PressChord(WORD modifier, WORD vk);
void TypeText(const std::wstring& text);
// Waits until the keyboard focus of the window's thread is the window or one
// of its children. Keys go to the window that has the focus when they are
// queued, so typing right after a click has to wait for the click's focus.
bool WaitFocus(HWND hwnd, int timeoutMs = 5000);

// --- diagnostics -----------------------------------------------------------------
// A description of the desktop for a failure message: the foreground window,
// the active, focus and capture windows of the process's GUI thread and its
// menu-mode flags, the window under the cursor, and the process's visible
// top-level windows with their places (pid 0: every process).
std::string DescribeDesktop(DWORD pid);

// --- screen --------------------------------------------------------------------
COLORREF ScreenPixel(int x, int y);
// Saves the whole screen (or a rectangle) as a 24-bit BMP file.
bool SaveScreenshot(const std::wstring& path, const RECT* area = nullptr);

// --- files ---------------------------------------------------------------------
std::vector<uint8_t> ReadBytes(const std::wstring& path);
bool WriteBytes(const std::wstring& path, const std::vector<uint8_t>& bytes);
// UTF-16LE with the byte-order mark, CR LF after every line, as the programs write.
bool WriteUtf16Lines(const std::wstring& path, const std::vector<std::wstring>& lines);
// Lines of a UTF-16LE file with the mark; empty when it has none or is missing.
std::vector<std::wstring> ReadUtf16Lines(const std::wstring& path);
bool FileExists(const std::wstring& path);
// Deletes a folder with everything below it (read-only files too); true
// when it is gone.
bool RemoveTree(const std::wstring& path);
bool MakeDirs(const std::wstring& path);
// The user's application-data folder and the programs' settings folders.
std::wstring AppData();
std::wstring KestovarDir(const std::wstring& product);  // AppData\Kestovar\product
// A fresh, empty folder under %TEMP% for one test.
std::wstring FreshTempDir(const std::wstring& name);

std::string Narrow(const std::wstring& text);

}  // namespace testdesk
