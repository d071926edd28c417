// TKVar: the small tagged value (32-bit integer, double or UTF-16 text) that
// the own units pass most texts and numbers in. Derived values (sums, text
// views, substrings, the left side of a comparison) are written into the
// value's conversion slot and returned from there: a result stays valid only
// until the next such operation on the same value. Copy what you keep.
#pragma once

#include <windows.h>

#include <string>

enum TKVarKind : int { kvInt = 0, kvDouble = 1, kvText = 2, kvInt2 = 3 };

class TKVar {
public:
    TKVar(int value = 0);
    TKVar(wchar_t ch);              // the 0 character gives the empty text
    TKVar(const wchar_t* text);     // null gives the empty text
    TKVar(const std::wstring& text) : TKVar(text.c_str()) {}
    TKVar(const TKVar& other);      // the slot is not copied
    ~TKVar();

    TKVar& operator=(const TKVar& other);  // the slot is left unchanged
    TKVar& operator=(const wchar_t* text);

    void SetInt(int value);
    void SetDouble(double value);
    void SetInt2(int value);
    void SetString(const wchar_t* text);
    void AppendString(const wchar_t* text);
    // Makes the capacity at least bytes; the old contents are not kept.
    void* Reserve(int bytes);

    TKVar& ConvertTo(TKVarKind kind);  // into the slot
    const wchar_t* c_str();            // the text view, in the slot
    int ToInt() const;                 // the slot is not touched
    int Length() const;                // UTF-16 units of a text; 0 for numbers

    TKVar& operator+(const TKVar& right);  // kind of the result: the right operand's
    bool operator==(const TKVar& right);   // overwrites the slot
    bool operator!=(const TKVar& right);

    TKVar& AssignSub(const TKVar& source, int start, int count);
    TKVar& Mid(int index, int count);  // into the slot
    TKVar& LowerCase();
    TKVar& UpperCase();
#ifdef KESTOVAR_MENU_BUILD
    // The first line of a text, at most count characters, in the slot.
    TKVar* FirstLine(int count);
#endif

    // Read access for callers and tests.
    TKVarKind Kind() const { return static_cast<TKVarKind>(FTag); }
    int Capacity() const { return FCapacity; }
    bool UsesInlineBuffer() const { return FData == FInline; }
    int IntValue() const;        // the first 4 bytes of the storage
    double DoubleValue() const;  // the first 8 bytes of the storage
    // The own text of a kvText value (no copy); empty text for other kinds.
    const wchar_t* Text() const;
    const TKVar* Slot() const { return FSlot; }
    std::wstring ToString() { return c_str(); }

private:
    TKVar* SlotNeeded();
    // Makes this value the text of the count units at units (which may lie
    // in this value's own storage).
    void SetUnits(const wchar_t* units, int count);
    void FreeBlock();
    void PutInt(int value);
    void PutDouble(double value);
    // 1 equal, 0 unequal, -1 neither (== and != both false).
    int Equality(const TKVar& right);

    int FTag;
    unsigned char* FData;
    int FCapacity;
    alignas(8) unsigned char FInline[8 + 2];
    TKVar* FSlot;
};

// Conversion slots live on the platform's global memory, zero-filled.
TKVar* KVarAlloc();
void KVarFree(TKVar* value);

// For tests: the n-th next allocation of a value's memory fails as if memory
// were exhausted (1 = the next one); 0 switches this off.
void KVarFailAllocation(int n);
// For tests: the number of blocks and slots obtained and not yet given back.
int KVarLiveAllocations();
