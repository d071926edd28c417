#include "classes.h"

#include <cxxabi.h>

#include <algorithm>
#include <cstdlib>
#include <typeinfo>

UnicodeString TObject::ClassName() const {
    const char* mangled = typeid(*this).name();
    int status = 0;
    char* demangled = abi::__cxa_demangle(mangled, nullptr, nullptr, &status);
    std::string name = (status == 0 && demangled) ? demangled : mangled;
    std::free(demangled);
    size_t colon = name.rfind("::");
    if (colon != std::string::npos) name = name.substr(colon + 2);
    return Utf8ToUnicode(name);
}

TComponent::TComponent(TComponent* AOwner) : FOwner(AOwner) {
    if (FOwner) {
        FOwner->FComponents.push_back(this);
        FOwner->Notification(this, true);
    }
}

TComponent::~TComponent() {
    FDestroying = true;
    // Tell whoever holds a pointer to this component, and stop telling this one.
    while (!FFreeNotifies.empty()) {
        TComponent* other = FFreeNotifies.back();
        FFreeNotifies.pop_back();
        auto& back = other->FFreeNotifies;
        back.erase(std::remove(back.begin(), back.end(), this), back.end());
        other->Notification(this, false);
    }
    DestroyComponents();
    if (FOwner) {
        auto& list = FOwner->FComponents;
        list.erase(std::remove(list.begin(), list.end(), this), list.end());
        FOwner->Notification(this, false);
    }
}

void TComponent::FreeNotification(TComponent* other) {
    if (!other || other == this) return;
    if (std::find(FFreeNotifies.begin(), FFreeNotifies.end(), other) == FFreeNotifies.end()) {
        FFreeNotifies.push_back(other);
        other->FFreeNotifies.push_back(this);
    }
}

void TComponent::RemoveFreeNotification(TComponent* other) {
    if (!other) return;
    FFreeNotifies.erase(std::remove(FFreeNotifies.begin(), FFreeNotifies.end(), other), FFreeNotifies.end());
    auto& back = other->FFreeNotifies;
    back.erase(std::remove(back.begin(), back.end(), this), back.end());
}

void TComponent::DestroyComponents() {
    FDestroying = true;
    // Each component removes itself from this list when it is deleted.
    while (!FComponents.empty()) delete FComponents.back();
}

void TComponent::Notification(TComponent*, bool) {}
