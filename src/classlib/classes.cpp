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
    DestroyComponents();
    if (FOwner) {
        auto& list = FOwner->FComponents;
        list.erase(std::remove(list.begin(), list.end(), this), list.end());
        FOwner->Notification(this, false);
    }
}

void TComponent::DestroyComponents() {
    FDestroying = true;
    // Each component removes itself from this list when it is deleted.
    while (!FComponents.empty()) delete FComponents.back();
}

void TComponent::Notification(TComponent*, bool) {}
