// Dovrak's entry point: one copy at a time, then the bar's message loop.
#include "dsetup.h"
#include "fman.h"
#include "g01.h"
#include "probe.h"
#include "vcl.h"

namespace {
const char* const InstanceMutexName = "DovrakInstance006";
}

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR, int) {
    KPROBE_MOMENT(kpEntry);
    HANDLE running = ::OpenMutexA(MUTEX_ALL_ACCESS, FALSE, InstanceMutexName);
    if (running) {
        ::Beep(2000, 100);  // another copy runs; it is told nothing
        ::CloseHandle(running);
        return 0;
    }
    HANDLE mutex = ::CreateMutexA(nullptr, TRUE, InstanceMutexName);
    if (mutex && ::GetLastError() == ERROR_ALREADY_EXISTS) {
        // A copy started at the same instant created the mutex first.
        ::Beep(2000, 100);
        ::CloseHandle(mutex);
        return 0;
    }
    try {
        Application->Initialize();
        Application->MainFormOnTaskBar = true;
        Application->CreateForm(&FDovrak);
        // After the form: TFDovrak::FormCreate must not use the module.
        Application->CreateDataModule(&KSetup);
        Application->Run();
    } catch (...) {
        Application->ShowEscapedException();
    }
    if (mutex) ::ReleaseMutex(mutex);
    return 0;
}
