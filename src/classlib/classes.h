// Component model of the class library: objects, components with owners,
// event closures, and the string list.
#pragma once

#include "sysutils.h"

#include <functional>
#include <utility>
#include <vector>

class TObject {
public:
    virtual ~TObject() = default;
    // The C++ class name of the object's dynamic type, without namespaces
    // ("TFDovrak", "TKButton"). Window classes are registered under it.
    UnicodeString ClassName() const;
};

// Events are closures with the sender as first argument; empty until assigned.
using TNotifyEvent = std::function<void(TObject* Sender)>;

// Binds a member function of an object as an event handler:
//   Button->OnClick = Bind(this, &TFormEdit::ButtonOKClick);
template <class C, class R, class... A>
std::function<R(A...)> Bind(C* object, R (C::*method)(A...)) {
    return [object, method](A... args) -> R { return (object->*method)(static_cast<A>(args)...); };
}

enum TAlignment : unsigned char { taLeftJustify, taRightJustify, taCenter };

enum TMouseButton { mbLeft, mbRight, mbMiddle };

// Shift state as a bit set.
using TShiftState = unsigned;
enum : TShiftState {
    ssShift = 1,
    ssAlt = 2,
    ssCtrl = 4,
    ssLeft = 8,
    ssRight = 16,
    ssMiddle = 32,
    ssDouble = 64,
};

// A component belongs to its owner, which deletes it. Deleting a component
// deletes what it owns, in reverse order of creation, and removes it from
// its own owner.
class TComponent : public TObject {
public:
    explicit TComponent(TComponent* AOwner);
    ~TComponent() override;
    TComponent(const TComponent&) = delete;
    TComponent& operator=(const TComponent&) = delete;

    TComponent* Owner() const { return FOwner; }
    int ComponentCount() const { return static_cast<int>(FComponents.size()); }
    TComponent* Components(int index) const { return FComponents.at(static_cast<size_t>(index)); }
    // True from the start of the destructor on.
    bool Destroying() const { return FDestroying; }

    // Asks that other is told (Notification with inserting false) when this
    // component is deleted, so that it can drop its pointer to it.
    void FreeNotification(TComponent* other);
    void RemoveFreeNotification(TComponent* other);

    UnicodeString Name;
    int Tag = 0;

protected:
    // Called on the owner when a component is inserted into or removed from it.
    virtual void Notification(TComponent* AComponent, bool inserting);
    // Deletes the owned components now, the last created first. A derived
    // destructor calls it when they must go before its own parts.
    void DestroyComponents();

private:
    TComponent* FOwner = nullptr;
    std::vector<TComponent*> FComponents;
    std::vector<TComponent*> FFreeNotifies;  // both ways: each side drops the other when deleted
    bool FDestroying = false;
};

// An ordered list of text lines. Names and values: a line 'name=value' has
// the name before its first '=' and the value after it; names are compared
// without regard to case.
class TStringList : public TObject {
public:
    TStringList() = default;
    ~TStringList() override = default;

    int Count() const { return static_cast<int>(FLines.size()); }
    // Index errors (outside 0 .. Count - 1) raise EStringListError.
    const UnicodeString& Strings(int index) const;
    void SetStrings(int index, const UnicodeString& text);
    int Add(const UnicodeString& text);  // returns the new index
    void Insert(int index, const UnicodeString& text);  // 0 .. Count
    void Delete(int index);
    void Clear();
    int IndexOf(const UnicodeString& text) const;  // case-insensitive, -1 when absent

    // Name of line i (the text before its first '='; empty when it has none).
    UnicodeString Names(int index) const;
    UnicodeString ValueFromIndex(int index) const;
    // Index of the first line whose name equals name without regard to case; -1 when none.
    int IndexOfName(const UnicodeString& name) const;
    UnicodeString Values(const UnicodeString& name) const;
    void SetValues(const UnicodeString& name, const UnicodeString& value);

    // Reads the file, replacing all lines. The encoding is taken from the
    // byte-order mark: UTF-16LE, UTF-16BE, UTF-8; without a mark the ANSI code
    // page. CR LF, CR and LF each end a line. A file that cannot be opened or
    // read raises EFOpenError.
    void LoadFromFile(const UnicodeString& fileName);
    // Writes UTF-16LE with the byte-order mark, CR LF after every line. The
    // old file is replaced atomically: the lines go to a temporary file in the
    // same folder, which then replaces it; on failure the old file stays whole
    // and no temporary file is left. Raises EFCreateError or EWriteError; a
    // file marked read-only raises EFCreateError and is left with its mark.
    void SaveToFile(const UnicodeString& fileName) const;
    // The same codecs on memory, for tests and the clipboard.
    void SetText(const UnicodeString& text);  // splits at CR LF, CR and LF
    UnicodeString Text() const;               // every line followed by CR LF

    std::vector<UnicodeString>& Lines() { return FLines; }
    const std::vector<UnicodeString>& Lines() const { return FLines; }

private:
    std::vector<UnicodeString> FLines;
};
