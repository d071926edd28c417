// TKVar: the tagged value. Storage rules: the capacity counts the bytes
// usable for the value, and every block has 2 more bytes of terminator room,
// so a text of capacity / 2 units is still terminated. Numbers always fit
// because the capacity never falls below the 8 bytes of the inline buffer.
//
// Memory safety rules kept throughout:
// - a new block is obtained before the old one is given back, so a failed
//   allocation leaves the value as it was (and safe to destroy);
// - texts are copied with memmove, or from the old block before it is freed,
//   so a text that points into the value's own storage can be assigned or
//   appended to the value itself;
// - the kind is set only after the storage has been written.
#include "kvar.h"

#include <cstdio>
#include <cstring>
#include <cwchar>
#include <limits>
#include <new>

#include "sysutils.h"

namespace {

constexpr int kInlineBytes = 8;
constexpr size_t kMaxBytes = static_cast<size_t>(std::numeric_limits<int>::max()) - 2;

int gFailCountdown = 0;
int gLiveAllocations = 0;

bool AllocationShallFail() {
    if (gFailCountdown > 0) {
        --gFailCountdown;
        if (gFailCountdown == 0) return true;
    }
    return false;
}

// A zero-filled block from the global memory; raises OutOfMemoryError.
unsigned char* NewBlock(size_t bytes) {
    if (bytes > kMaxBytes + 2 || AllocationShallFail()) throw OutOfMemoryError();
    void* p = ::GlobalAlloc(GMEM_FIXED | GMEM_ZEROINIT, bytes);
    if (!p) throw OutOfMemoryError();
    ++gLiveAllocations;
    return static_cast<unsigned char*>(p);
}

int AddWrapping(int a, int b) {
    return static_cast<int>(static_cast<unsigned>(a) + static_cast<unsigned>(b));
}

// Truncation toward zero to 64 bits, of which the low 32 bits are the result.
// Values outside the 64-bit range (and NaN) give what the processor's
// conversion gives there, the integer indefinite 0x8000000000000000: low bits 0.
int TruncateDouble(double d) {
    if (d >= -9223372036854775808.0 && d < 9223372036854775808.0) {
        long long v = static_cast<long long>(d);
        return static_cast<int>(static_cast<unsigned>(static_cast<unsigned long long>(v)));
    }
    return 0;
}

bool IsBlank(wchar_t c) { return c == L' ' || (c >= L'\t' && c <= L'\r'); }

// Blanks, an optional sign, decimal digits up to the first other character;
// no overflow check (wraps modulo 2^32); no digits gives 0.
int ParseDecimal(const wchar_t* p) {
    while (IsBlank(*p)) ++p;
    bool negative = false;
    if (*p == L'+' || *p == L'-') {
        negative = *p == L'-';
        ++p;
    }
    unsigned v = 0;
    while (*p >= L'0' && *p <= L'9') {
        v = v * 10u + static_cast<unsigned>(*p - L'0');
        ++p;
    }
    if (negative) v = 0u - v;
    return static_cast<int>(v);
}

double ParseDouble(const wchar_t* p) { return std::wcstod(p, nullptr); }

size_t CheckedLength(const wchar_t* text) {
    size_t n = text ? std::wcslen(text) : 0;
    if (n > kMaxBytes / 2) throw OutOfMemoryError();
    return n;
}

}  // namespace

void KVarFailAllocation(int n) { gFailCountdown = n > 0 ? n : 0; }

int KVarLiveAllocations() { return gLiveAllocations; }

TKVar* KVarAlloc() {
    if (AllocationShallFail()) throw OutOfMemoryError();
    void* p = ::GlobalAlloc(GMEM_FIXED | GMEM_ZEROINIT, sizeof(TKVar));
    if (!p) throw OutOfMemoryError();
    ++gLiveAllocations;
    return new (p) TKVar(0);
}

void KVarFree(TKVar* value) {
    if (!value) return;
    value->~TKVar();
    ::GlobalFree(value);
    --gLiveAllocations;
}

// --- construction -------------------------------------------------------

TKVar::TKVar(int value) : FTag(kvInt), FData(FInline), FCapacity(kInlineBytes), FInline{}, FSlot(nullptr) {
    PutInt(value);
}

TKVar::TKVar(wchar_t ch) : FTag(kvInt), FData(FInline), FCapacity(kInlineBytes), FInline{}, FSlot(nullptr) {
    SetUnits(&ch, ch ? 1 : 0);
}

TKVar::TKVar(const wchar_t* text)
    : FTag(kvInt), FData(FInline), FCapacity(kInlineBytes), FInline{}, FSlot(nullptr) {
    SetString(text);
}

TKVar::TKVar(const TKVar& other)
    : FTag(kvInt), FData(FInline), FCapacity(kInlineBytes), FInline{}, FSlot(nullptr) {
    *this = other;
}

TKVar::~TKVar() {
    FreeBlock();
    TKVar* slot = FSlot;
    FSlot = nullptr;
    KVarFree(slot);
}

void TKVar::FreeBlock() {
    if (FData != FInline) {
        ::GlobalFree(FData);
        --gLiveAllocations;
    }
    FData = FInline;
    FCapacity = kInlineBytes;
}

TKVar* TKVar::SlotNeeded() {
    if (!FSlot) FSlot = KVarAlloc();
    return FSlot;
}

// --- storage ------------------------------------------------------------

void* TKVar::Reserve(int bytes) {
    if (bytes <= FCapacity) return FData;
    unsigned char* block = NewBlock(static_cast<size_t>(bytes) + 2);
    FreeBlock();
    FData = block;
    FCapacity = bytes;
    return FData;
}

void TKVar::PutInt(int value) { std::memcpy(FData, &value, sizeof value); }

void TKVar::PutDouble(double value) { std::memcpy(FData, &value, sizeof value); }

int TKVar::IntValue() const {
    int v;
    std::memcpy(&v, FData, sizeof v);
    return v;
}

double TKVar::DoubleValue() const {
    double v;
    std::memcpy(&v, FData, sizeof v);
    return v;
}

const wchar_t* TKVar::Text() const {
    return FTag == kvText ? reinterpret_cast<const wchar_t*>(FData) : L"";
}

void TKVar::SetUnits(const wchar_t* units, int count) {
    const size_t bytes = static_cast<size_t>(count) * 2;
    if (bytes > static_cast<size_t>(FCapacity)) {
        // The source may be this value's own text: copy it before the old
        // block goes. The new block is zero-filled, so it is terminated.
        unsigned char* block = NewBlock(bytes + 2);
        std::memcpy(block, units, bytes);
        FreeBlock();
        FData = block;
        FCapacity = static_cast<int>(bytes);
    } else {
        std::memmove(FData, units, bytes);
        reinterpret_cast<wchar_t*>(FData)[count] = 0;
    }
    FTag = kvText;
}

// --- assignment and setters -----------------------------------------------

TKVar& TKVar::operator=(const TKVar& other) {
    if (&other == this) return *this;
    switch (other.FTag) {
    case kvText:
        SetUnits(other.Text(), other.Length());
        break;
    case kvDouble:
        PutDouble(other.DoubleValue());
        FTag = kvDouble;
        break;
    default:
        PutInt(other.IntValue());
        FTag = other.FTag;
        break;
    }
    return *this;
}

TKVar& TKVar::operator=(const wchar_t* text) {
    SetString(text);
    return *this;
}

void TKVar::SetInt(int value) {
    PutInt(value);
    FTag = kvInt;
}

void TKVar::SetDouble(double value) {
    PutDouble(value);
    FTag = kvDouble;
}

void TKVar::SetInt2(int value) {
    PutInt(value);
    FTag = kvInt2;
}

void TKVar::SetString(const wchar_t* text) {
    const size_t n = CheckedLength(text);
    SetUnits(text ? text : L"", static_cast<int>(n));
}

void TKVar::AppendString(const wchar_t* text) {
    // A value of another kind has no text of its own to append to: it
    // starts from the empty text.
    const size_t own = FTag == kvText ? static_cast<size_t>(Length()) : 0;
    const size_t added = CheckedLength(text);
    const size_t a = own * 2;
    const size_t n = added * 2;
    if (a + n > kMaxBytes) throw OutOfMemoryError();
    if (a + n <= static_cast<size_t>(FCapacity)) {
        if (n) std::memmove(FData + a, text, n);  // text may lie in this storage
        reinterpret_cast<wchar_t*>(FData)[own + added] = 0;
    } else {
        unsigned char* block = NewBlock(a + n + 2);
        std::memcpy(block, FData, a);
        std::memcpy(block + a, text, n);  // from the old block, if it lies there
        FreeBlock();
        FData = block;
        FCapacity = static_cast<int>(a + n);
    }
    FTag = kvText;
}

// --- conversions ----------------------------------------------------------

TKVar& TKVar::ConvertTo(TKVarKind kind) {
    TKVar* s = SlotNeeded();
    switch (kind) {
    case kvInt:
    case kvInt2:
        s->PutInt(ToInt());
        break;
    case kvDouble: {
        double d;
        if (FTag == kvDouble)
            d = DoubleValue();
        else if (FTag == kvText)
            d = ParseDouble(Text());
        else
            d = static_cast<double>(IntValue());
        s->PutDouble(d);
        break;
    }
    case kvText:
        if (FTag == kvText) {
            s->SetUnits(Text(), Length());
        } else if (FTag == kvDouble) {
            char buffer[64];
            std::snprintf(buffer, sizeof buffer, "%.15g", DoubleValue());
            auto* out = static_cast<wchar_t*>(s->Reserve(80));
            if (::MultiByteToWideChar(CP_ACP, MB_PRECOMPOSED, buffer, -1, out, 40) == 0) out[0] = 0;
        } else {
            wchar_t digits[12];
            int n = 0;
            const int v = IntValue();
            unsigned u = v < 0 ? 0u - static_cast<unsigned>(v) : static_cast<unsigned>(v);
            do {
                digits[n++] = static_cast<wchar_t>(L'0' + u % 10u);
                u /= 10u;
            } while (u);
            auto* out = static_cast<wchar_t*>(s->Reserve(80));
            int k = 0;
            if (v < 0) out[k++] = L'-';
            while (n) out[k++] = digits[--n];
            out[k] = 0;
        }
        break;
    default:
        return *s;
    }
    s->FTag = kind;
    return *s;
}

const wchar_t* TKVar::c_str() { return ConvertTo(kvText).Text(); }

int TKVar::ToInt() const {
    switch (FTag) {
    case kvDouble:
        return TruncateDouble(DoubleValue());
    case kvText:
        return ParseDecimal(Text());
    default:
        return IntValue();
    }
}

int TKVar::Length() const {
    return FTag == kvText ? static_cast<int>(std::wcslen(reinterpret_cast<const wchar_t*>(FData))) : 0;
}

// --- operators ------------------------------------------------------------

TKVar& TKVar::operator+(const TKVar& right) {
    // The right operand may be this value's slot: take what is needed of it
    // before the slot is written.
    const int kind = right.FTag;
    const int rightInt = right.IntValue();
    const double rightDouble = right.DoubleValue();
    if (FTag == kvInt2) {
        TKVar* s = SlotNeeded();
        s->FTag = kvInt2;
        if (kind == kvInt) {
            s->PutInt(AddWrapping(IntValue(), rightInt));
        } else if (kind == kvDouble) {
            s->PutInt(AddWrapping(IntValue(), TruncateDouble(rightDouble)));
        } else {
            return *this;
        }
        return *s;
    }
    TKVar& s = ConvertTo(static_cast<TKVarKind>(kind));
    switch (kind) {
    case kvInt:
        s.PutInt(AddWrapping(s.IntValue(), rightInt));
        return s;
    case kvDouble:
        s.PutDouble(s.DoubleValue() + rightDouble);
        return s;
    case kvText:
        s.AppendString(right.Text());
        return s;
    default:
        return *this;
    }
}

int TKVar::Equality(const TKVar& right) {
    const int kind = right.FTag;
    if (FTag == kvInt2) {
        switch (kind) {
        case kvInt:
        case kvInt2:
            return IntValue() == right.IntValue() ? 1 : 0;
        case kvDouble:
            return IntValue() == TruncateDouble(right.DoubleValue()) ? 1 : 0;
        default:
            return -1;
        }
    }
    const int rightInt = right.IntValue();
    const double rightDouble = right.DoubleValue();
    TKVar& s = ConvertTo(static_cast<TKVarKind>(kind));
    switch (kind) {
    case kvInt:
        return s.IntValue() == rightInt ? 1 : 0;
    case kvDouble:
        return s.DoubleValue() == rightDouble ? 1 : 0;
    case kvText:
        return std::wcscmp(s.Text(), right.Text()) == 0 ? 1 : 0;
    default:
        return -1;
    }
}

bool TKVar::operator==(const TKVar& right) { return Equality(right) == 1; }

bool TKVar::operator!=(const TKVar& right) { return Equality(right) == 0; }

// --- text operations ------------------------------------------------------

TKVar& TKVar::AssignSub(const TKVar& source, int start, int count) {
    if (source.FTag != kvText) return *this;
    const int length = source.Length();
    if (start >= length || start < 0 || count <= 0) return *this;
    if (count > length - start) count = length - start;
    SetUnits(source.Text() + start, count);
    return *this;
}

TKVar& TKVar::Mid(int index, int count) {
    if (FTag != kvText) return *this;
    TKVar* s = SlotNeeded();
    s->SetUnits(Text(), Length());
    const int n = s->Length();
    if (index < 0 || index > n || count < 1) {
        s->SetUnits(L"", 0);
    } else {
        if (count > n - index) count = n - index;
        s->SetUnits(s->Text() + index, count);
    }
    return *s;
}

TKVar& TKVar::LowerCase() {
    if (FTag == kvText) ::CharLowerW(reinterpret_cast<LPWSTR>(FData));
    return *this;
}

TKVar& TKVar::UpperCase() {
    if (FTag == kvText) ::CharUpperW(reinterpret_cast<LPWSTR>(FData));
    return *this;
}

#ifdef KESTOVAR_MENU_BUILD
TKVar* TKVar::FirstLine(int count) {
    if (FTag != kvText) return this;
    TKVar* s = SlotNeeded();
    s->SetUnits(Text(), Length());
    auto* t = reinterpret_cast<wchar_t*>(s->FData);
    int i = 0;
    while (i < count && t[i] != 0 && t[i] != 13 && t[i] != 10) ++i;
    t[i] = 0;
    return s;
}
#endif
