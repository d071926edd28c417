#include "key_walk.h"

#include <gtest/gtest.h>

#include "desktop.h"
#include "forms.h"

namespace bartest {

bool Shown(TForm* form) { return form && form->HandleAllocated() && IsWindowVisible(form->Handle()); }

std::wstring FocusedName(TForm* form) {
    if (!form || !form->HandleAllocated()) return L"";
    for (HWND h = GetFocus(); h && h != form->Handle(); h = GetParent(h))
        if (TControl* c = FindControl(h)) return c->Name;
    return L"";
}

void Click(TControl* control) {
    const POINT p = CentreOf(control->Handle());
    testdesk::LeftClick(p.x, p.y);
}

void AddKeyWalk(StepRunner& steps, KeyWalk& w) {
    const auto shown = [&w] { return Shown(w.dialog()); };
    const auto focused = [&w] { return FocusedName(w.dialog()); };
    AddTabWalk(steps, shown, focused, static_cast<int>(w.order.size()), w.seen);
    // Enter in the field, then Esc: the dialog stays open (the Tab after each
    // arrives), and its Cancel button closes it.
    const std::wstring afterEnter = w.order.at((w.fieldAt + 1) % w.order.size());
    const std::wstring afterEsc = w.order.at((w.fieldAt + 2) % w.order.size());
    const auto open = [&w, shown] { return shown() && w.dialog()->ModalResult() == mrNone; };
    steps.Step("change the field and press Enter", [] { return true; },
               [&w] {
                   w.before = w.field()->Text();
                   w.field()->SetFocus();
                   testdesk::PressKey(w.change);
                   testdesk::PressKey(VK_RETURN);
                   testdesk::PressKey(VK_TAB);
               })
        .Step("Tab after Enter", [focused, afterEnter] { return focused() == afterEnter; },
              [&w, open] {
                  w.openAfterEnter = open();
                  w.changed = w.field()->Text();
                  testdesk::PressKey(VK_ESCAPE);
                  testdesk::PressKey(VK_TAB);
              })
        .Step("Tab after Esc", [focused, afterEsc] { return focused() == afterEsc; },
              [&w, open] {
                  w.openAfterEsc = open();
                  w.cancel();
              });
}

void ExpectKeyWalk(const KeyWalk& w) {
    std::vector<std::wstring> expected = w.order;
    expected.push_back(w.order.front());
    expected.insert(expected.end(), w.order.rbegin(), w.order.rend());
    EXPECT_EQ(w.seen, expected);
    EXPECT_NE(w.changed, w.before) << "the change reached the field";
    EXPECT_TRUE(w.openAfterEnter);
    EXPECT_TRUE(w.openAfterEsc);
    EXPECT_EQ(w.dialog(), nullptr) << "Cancel closed the dialog";
}

}  // namespace bartest
