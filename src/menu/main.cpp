// Pelnor: shows one popup menu of items at a screen point, starts the item
// that is clicked, writes the menu's file back and ends. One instance at a
// time: a start while another one runs ends at once and silently.
#include "f01.h"
#include "g01.h"
#include "probe.h"

namespace {

const char kInstanceMutex[] = "PelnorInstance002";

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    KPROBE_MOMENT(kpEntry);
    if (HANDLE running = ::OpenMutexA(MUTEX_ALL_ACCESS, FALSE, kInstanceMutex)) {
        ::CloseHandle(running);
        return 0;
    }
    HANDLE mutex = ::CreateMutexA(nullptr, TRUE, kInstanceMutex);
    // Two starts at the same moment: the one that did not create the mutex ends.
    if (mutex && ::GetLastError() == ERROR_ALREADY_EXISTS) {
        ::CloseHandle(mutex);
        return 0;
    }
    try {
        Application->Initialize();
        Application->MainFormOnTaskBar = true;
        Application->ShowMainForm = false;
        Application->CreateForm(&FPelnor);
        Application->Run();
    } catch (...) {
        Application->ShowEscapedException();
    }
    if (mutex) ::ReleaseMutex(mutex);
    return 0;
}
