// Ending a bar that a test made in its own process.
#pragma once

#include "bar_test_support.h"
#include "fman.h"
#include "g01.h"

namespace bartest {

// Closes an in-process bar the ordinary way while its state still exists,
// then deletes the form and sets the pointer to null.
inline void CloseBarForm(TFDovrak*& form) {
    if (!form) return;
    if (BarState) {
        try {
            form->Close();
        } catch (...) {
        }
    }
    DrainQuit();
    delete form;
    form = nullptr;
}

}  // namespace bartest
