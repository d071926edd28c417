// Placing the controls of a dialog form in code: each control is made with
// its owner, put on its parent and given its place, in the order in which
// the form holds them (which is also the Tab order of the windowed ones).
#pragma once

#include "extctrls.h"
#include "stdctrls.h"

template <class T>
T* PlaceControl(TWinControl* parent, TComponent* owner, const wchar_t* name, int left, int top, int width,
                int height) {
    T* control = new T(owner);
    control->Name = name;
    control->SetParent(parent);
    control->SetBounds(left, top, width, height);
    return control;
}

// A label that sizes itself to its caption.
inline TLabel* PlaceLabel(TWinControl* parent, TComponent* owner, const wchar_t* name, int left, int top,
                          const wchar_t* caption) {
    TLabel* label = new TLabel(owner);
    label->Name = name;
    label->SetParent(parent);
    label->SetBounds(left, top, label->Width(), label->Height());
    label->SetCaption(caption);
    return label;
}

// A push button with its caption and modal result.
inline TButton* PlaceButton(TWinControl* parent, TComponent* owner, const wchar_t* name, int left, int top,
                            int width, int height, const wchar_t* caption, int modalResult) {
    TButton* button = PlaceControl<TButton>(parent, owner, name, left, top, width, height);
    button->SetCaption(caption);
    button->SetModalResult(modalResult);
    return button;
}

// Runs show with the button's hint switched off: the tip that the click's
// hovering brings up would stay over the menu or dialog that opens.
template <class F>
void WithoutHint(TControl* button, F show) {
    button->SetShowHint(false);
    try {
        show();
    } catch (...) {
        button->SetShowHint(true);
        throw;
    }
    button->SetShowHint(true);
}
