// Helpers shared by the bar's tests: the settings file, record lines and
// the bar's windows.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace bartest {

// Takes the quit message that closing a bar posts, so that the next test's
// message loops run.
void DrainQuit();

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

// Steps run one after the other on the test's own thread while the code
// under test runs a modal dialog, a popup menu or a message box of its own:
// a thread timer, which every message loop dispatches, runs the next step as
// soon as its condition holds. Steps must not block (post, click or type
// instead). When the steps do not finish in time, the runner gives up: it
// calls the rescue, which should end every loop that is still running.
class StepRunner {
public:
    StepRunner();
    ~StepRunner();
    StepRunner(const StepRunner&) = delete;
    StepRunner& operator=(const StepRunner&) = delete;

    // Appends a step: when() is polled; once it holds, then() runs once.
    StepRunner& Step(const char* name, std::function<bool()> when, std::function<void()> then);
    // Starts the timer; the steps run from the next message loop on.
    void Arm(int timeoutMs, std::function<void()> rescue);
    // Stops the timer. True when every step ran.
    bool Disarm();
    // The name of the first step that did not run, or empty.
    std::string Pending() const;
    bool TimedOut() const { return timedOut; }

private:
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD);
    struct Entry {
        std::string name;
        std::function<bool()> when;
        std::function<void()> then;
    };
    std::vector<Entry> steps;
    size_t next = 0;
    UINT_PTR timer = 0;
    unsigned long long deadline = 0;
    std::function<void()> rescue;
    bool timedOut = false;
};

// Steps that walk the focus of a shown dialog with real key presses: once
// ready() holds, presses times Tab and then as many times Shift+Tab, each
// press after the focus has moved. focused() names the control that has
// the focus; seen gets the name of the first one and of each one reached.
void AddTabWalk(StepRunner& steps, std::function<bool()> ready, std::function<std::wstring()> focused, int presses,
                std::vector<std::wstring>& seen);


// --- the clipboard, as another program would fill it ---
// Empties the clipboard.
bool ClearClipboard();
// Puts a block of these bytes on the clipboard in the bar's format "DOVRAK".
bool PutDovrakBlock(const std::vector<unsigned char>& bytes);
// The record line with its 0 unit, as the bar puts it there.
std::vector<unsigned char> DovrakBytes(const std::wstring& line);
// Puts a file list (CF_HDROP, wide names) on the clipboard.
bool PutFileList(const std::vector<std::wstring>& files);
// Puts a text (CF_UNICODETEXT) on the clipboard.
bool PutText(const std::wstring& text);
// The bytes of the "DOVRAK" block on the clipboard and the block's size;
// false when there is none.
bool ReadDovrakBlock(std::vector<unsigned char>& bytes);

// --- the screen ---
// The screen's pixels in the rectangle, row by row from the top.
struct Pixels {
    int width = 0, height = 0;
    std::vector<COLORREF> data;
    COLORREF At(int x, int y) const { return data[static_cast<size_t>(y * width + x)]; }
};
Pixels GrabScreen(const RECT& area);
// The text rows of a shown popup menu window, top to bottom, as its pixels
// show them: true for a row drawn in the menu's text colour (an enabled
// item), false for one drawn only in grey (a disabled item). Separators are
// left out.
std::vector<bool> MenuRowsEnabled(HWND menuWindow);
// Saves a screenshot of the area into the folder, creating it if needed.
void SaveShot(const std::wstring& folder, const std::wstring& name, const RECT& area);

// The shown popup menu window (class "#32768") of a process (any when 0).
HWND ShownMenuWindow(DWORD pid = 0);
// A message box or common dialog (class "#32770") of a process, or null.
HWND DialogWindow(DWORD pid);
// The centre of a window on the screen.
POINT CentreOf(HWND hwnd);

}  // namespace bartest
