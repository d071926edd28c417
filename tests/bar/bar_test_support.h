// Helpers shared by the bar's tests: the settings file, record lines and
// the bar's windows.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace bartest {

std::wstring IniDir();   // AppData\Kestovar\Dovrak
std::wstring IniPath();  // ...\dovrak.ini
void RemoveIniDir();
void WriteIni(const std::vector<std::wstring>& lines);
std::vector<std::wstring> ReadIni();

struct Rec {
    std::wstring target, cls, title, flags, caption, textColor, faceColor;
};
// The record line as the bar stores it (field 1 hex-coded).
std::wstring RecordLine(const Rec& r);
// Field n of a record line, decoded.
std::wstring FieldOf(const std::wstring& line, int n);

// The value of key in the lines, or L"\x1" when there is no such line.
std::wstring ValueOf(const std::vector<std::wstring>& lines, const std::wstring& key);
// The keys of the lines, in order.
std::vector<std::wstring> KeysOf(const std::vector<std::wstring>& lines);

// The TKButton children of a bar that are visible, left to right, as
// rectangles in the bar's client coordinates.
std::vector<RECT> VisibleButtons(HWND bar);

// Ends every running bar of class TFDovrak (left over from an earlier failure).
void KillBars();

// A copy of winhelper.exe under the name in a fresh temporary folder; the folder.
std::wstring HelperCopy(const std::wstring& folderName, const std::wstring& exeName);

}  // namespace bartest
