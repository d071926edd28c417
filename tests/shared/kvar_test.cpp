// Tests of the tagged value TKVar: conversions, sums, comparisons, the
// conversion slot, text operations, storage growth and out-of-memory safety.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <limits>
#include <string>

#include "kvar.h"
#include "sysutils.h"

namespace {

// A value described by its kind and content, for tables.
struct Val {
    TKVarKind kind;
    int i = 0;
    double d = 0;
    const wchar_t* t = L"";
};
Val I(int v) { return {kvInt, v, 0, L""}; }
Val I2(int v) { return {kvInt2, v, 0, L""}; }
Val D(double v) { return {kvDouble, 0, v, L""}; }
Val T(const wchar_t* v) { return {kvText, 0, 0, v}; }

TKVar Make(const Val& v) {
    TKVar x;
    switch (v.kind) {
    case kvInt: x.SetInt(v.i); break;
    case kvInt2: x.SetInt2(v.i); break;
    case kvDouble: x.SetDouble(v.d); break;
    case kvText: x.SetString(v.t); break;
    }
    return x;
}

std::string Describe(const Val& v) {
    switch (v.kind) {
    case kvInt: return "int " + std::to_string(v.i);
    case kvInt2: return "int2 " + std::to_string(v.i);
    case kvDouble: return "double " + std::to_string(v.d);
    default: return "text '" + UnicodeToUtf8(v.t) + "'";
    }
}

testing::AssertionResult Holds(const TKVar& x, const Val& want) {
    if (x.Kind() != want.kind) {
        return testing::AssertionFailure() << "kind " << x.Kind() << ", wanted " << Describe(want);
    }
    switch (want.kind) {
    case kvInt:
    case kvInt2:
        if (x.IntValue() != want.i) return testing::AssertionFailure() << "value " << x.IntValue() << ", wanted " << want.i;
        break;
    case kvDouble:
        if (!(x.DoubleValue() == want.d) && !(std::isnan(x.DoubleValue()) && std::isnan(want.d)))
            return testing::AssertionFailure() << "value " << x.DoubleValue() << ", wanted " << want.d;
        break;
    case kvText:
        if (std::wstring(x.Text()) != want.t)
            return testing::AssertionFailure() << "text '" << UnicodeToUtf8(x.Text()) << "', wanted '" << UnicodeToUtf8(want.t) << "'";
        break;
    }
    return testing::AssertionSuccess();
}

// Every test leaves no block or slot behind.
class KVar : public testing::Test {
protected:
    void SetUp() override { FLive = KVarLiveAllocations(); }
    void TearDown() override {
        KVarFailAllocation(0);
        EXPECT_EQ(KVarLiveAllocations(), FLive) << "blocks or slots not given back";
    }
    int FLive = 0;
};

}  // namespace

TEST_F(KVar, ConvertsBetweenAllKindsByTheTable) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    struct Case {
        Val from;
        TKVarKind to;
        Val want;
    } cases[] = {
        {I(42), kvInt, I(42)},
        {I(42), kvDouble, D(42.0)},
        {I(42), kvText, T(L"42")},
        {I(42), kvInt2, I2(42)},
        {I(0), kvText, T(L"0")},
        {I(-7), kvText, T(L"-7")},
        {I(INT_MIN), kvText, T(L"-2147483648")},
        {I(INT_MAX), kvText, T(L"2147483647")},
        {I(INT_MIN), kvDouble, D(-2147483648.0)},
        {D(2.9), kvInt, I(2)},
        {D(-2.9), kvInt, I(-2)},
        {D(2.9), kvInt2, I2(2)},
        {D(2.9), kvDouble, D(2.9)},
        {D(0.5), kvText, T(L"0.5")},
        {D(100.0), kvText, T(L"100")},
        {D(-1.25), kvText, T(L"-1.25")},
        {D(1.0 / 3.0), kvText, T(L"0.333333333333333")},
        {D(123456789012345.0), kvText, T(L"123456789012345")},
        {D(1e15), kvText, T(L"1e+15")},
        {D(0.0001), kvText, T(L"0.0001")},
        {D(0.00001), kvText, T(L"1e-05")},
        {D(4294967298.7), kvInt, I(2)},  // low 32 bits of the 64-bit truncation
        {D(-4294967296.0), kvInt, I(0)},
        {D(nan), kvInt, I(0)},
        {T(L" 42abc"), kvInt, I(42)},
        {T(L" 42abc"), kvInt2, I2(42)},
        {T(L" 42abc"), kvDouble, D(42.0)},
        {T(L" 42abc"), kvText, T(L" 42abc")},
        {T(L"3.5e2"), kvDouble, D(350.0)},
        {T(L"3.5e2"), kvInt, I(3)},
        {T(L"-0.25"), kvDouble, D(-0.25)},
        {T(L"abc"), kvInt, I(0)},
        {T(L"abc"), kvDouble, D(0.0)},
        {T(L""), kvText, T(L"")},
        {T(L"a longer text than the inline buffer"), kvText, T(L"a longer text than the inline buffer")},
        {I2(9), kvInt, I(9)},
        {I2(9), kvDouble, D(9.0)},
        {I2(-9), kvText, T(L"-9")},
        {I2(9), kvInt2, I2(9)},
    };
    for (const auto& c : cases) {
        TKVar x = Make(c.from);
        TKVar& slot = x.ConvertTo(c.to);
        EXPECT_EQ(&slot, x.Slot()) << Describe(c.from);
        EXPECT_TRUE(Holds(slot, c.want)) << Describe(c.from) << " to kind " << c.to;
        EXPECT_TRUE(Holds(x, c.from)) << "the value itself changed: " << Describe(c.from);
    }
}

TEST_F(KVar, TextToIntegerSkipsBlanksTakesASignAndWraps) {
    struct Case {
        const wchar_t* text;
        int want;
    } cases[] = {
        {L" 42abc", 42},     {L"abc", 0},           {L"-7", -7},
        {L"\t+8", 8},        {L"", 0},              {L"- 5", 0},
        {L"007", 7},         {L"12 34", 12},        {L"-2147483648", INT_MIN},
        {L"2147483648", INT_MIN},  {L"4294967297", 1},  {L"3.9", 3},
    };
    for (const auto& c : cases) {
        TKVar x(c.text);
        EXPECT_EQ(x.ToInt(), c.want) << UnicodeToUtf8(c.text);
        EXPECT_EQ(x.Slot(), nullptr) << "ToInt must not make a slot";
    }
    EXPECT_EQ(Make(D(2.9)).ToInt(), 2);
    EXPECT_EQ(Make(D(-2.9)).ToInt(), -2);
    EXPECT_EQ(Make(I2(-5)).ToInt(), -5);
    EXPECT_EQ(TKVar(17).ToInt(), 17);
}

TEST_F(KVar, SumTakesTheKindOfTheRightOperand) {
    enum Where { InSlot, Itself };
    struct Case {
        Val a, b;
        Where where;
        Val want;  // the returned value
    } cases[] = {
        {T(L"12"), I(3), InSlot, I(15)},
        {T(L"B"), I(1), InSlot, I(1)},
        {I(3), T(L"x"), InSlot, T(L"3x")},
        {T(L"ab"), T(L"cd"), InSlot, T(L"abcd")},
        {T(L""), T(L""), InSlot, T(L"")},
        {I(INT_MAX), I(1), InSlot, I(INT_MIN)},
        {I(1), D(0.5), InSlot, D(1.5)},
        {D(1.5), I(2), InSlot, I(3)},
        {D(-2.5), T(L"x"), InSlot, T(L"-2.5x")},
        {T(L"1.25"), D(1.0), InSlot, D(2.25)},
        {I2(-3), D(1.5), InSlot, I2(-2)},
        {I2(5), I(4), InSlot, I2(9)},
        {I2(INT_MAX), I(1), InSlot, I2(INT_MIN)},
        {I2(5), T(L"x"), Itself, I2(5)},
        {I2(5), I2(1), Itself, I2(5)},
        {I(5), I2(1), Itself, I(5)},
        {T(L"7"), I2(1), Itself, T(L"7")},
    };
    for (const auto& c : cases) {
        TKVar a = Make(c.a);
        TKVar b = Make(c.b);
        TKVar& r = a + b;
        const std::string what = Describe(c.a) + " + " + Describe(c.b);
        if (c.where == InSlot) {
            EXPECT_EQ(&r, a.Slot()) << what;
        } else {
            EXPECT_EQ(&r, &a) << what;
        }
        EXPECT_TRUE(Holds(r, c.want)) << what;
        EXPECT_TRUE(Holds(a, c.a)) << "left operand changed: " << what;
        EXPECT_TRUE(Holds(b, c.b)) << "right operand changed: " << what;
    }
}

TEST_F(KVar, EqualityConvertsTheLeftOperandToTheRightOnesKind) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    struct Case {
        Val a, b;
        bool eq, ne;
    } cases[] = {
        {T(L"05"), I(5), true, false},
        {I(5), T(L"05"), false, true},
        {I(5), T(L"5"), true, false},
        {T(L"5"), T(L"5 "), false, true},
        {T(L"A"), T(L"a"), false, true},
        {T(L"abc"), T(L"abc"), true, false},
        {T(L"x"), T(L""), false, true},
        {T(L""), T(L""), true, false},
        {D(2.5), I(2), true, false},
        {I(2), D(2.5), false, true},
        {D(2.5), T(L"2.5"), true, false},
        {D(nan), D(nan), false, true},
        {D(nan), D(1.0), false, true},
        {I(-1), I(-1), true, false},
        {I2(3), I(3), true, false},
        {I2(3), I2(4), false, true},
        {I2(3), D(3.9), true, false},
        {I2(3), D(-3.9), false, true},
        {I2(3), T(L"3"), false, false},
        {I(3), I2(3), false, false},
        {T(L"3"), I2(3), false, false},
        {D(3.7), I2(3), false, false},
    };
    for (const auto& c : cases) {
        const std::string what = Describe(c.a) + " vs " + Describe(c.b);
        TKVar a = Make(c.a);
        TKVar b = Make(c.b);
        EXPECT_EQ(a == b, c.eq) << what;
        EXPECT_EQ(a != b, c.ne) << what;
        EXPECT_TRUE(Holds(a, c.a)) << what;
        if (c.a.kind == kvInt2) {
            EXPECT_EQ(a.Slot(), nullptr) << "an int2 comparison must not touch the slot: " << what;
        }
    }
}

TEST_F(KVar, TheSlotHoldsOnlyTheLatestResult) {
    TKVar a(L"ab");
    TKVar& first = a + TKVar(L"cd");
    EXPECT_STREQ(first.Text(), L"abcd");
    TKVar kept = first;  // a copy survives the next operation
    TKVar& second = a + TKVar(L"ef");
    EXPECT_EQ(&first, &second);
    EXPECT_STREQ(first.Text(), L"abef");
    EXPECT_STREQ(kept.Text(), L"abcd");
    EXPECT_EQ(kept.Slot(), nullptr) << "a copy starts without a slot";

    // The text view is a copy in the slot, and a comparison overwrites it.
    TKVar v(L"abc");
    const wchar_t* view = v.c_str();
    EXPECT_NE(view, v.Text());
    EXPECT_STREQ(view, L"abc");
    EXPECT_FALSE(v == TKVar(7));
    EXPECT_STRNE(view, L"abc");
    EXPECT_STREQ(v.Text(), L"abc");
}

TEST_F(KVar, ChainsWorkOnTheSlotOfTheSlotAndAreReleasedWhole) {
    const int before = KVarLiveAllocations();
    {
        TKVar number(12);
        TKVar key = TKVar(L"B") + TKVar(number.c_str());
        EXPECT_STREQ(key.Text(), L"B12");

        TKVar a(L"first part, ");
        TKVar& r = (a + TKVar(L"second part, ")) + TKVar(L"third part");
        ASSERT_NE(a.Slot(), nullptr);
        EXPECT_EQ(&r, a.Slot()->Slot());
        EXPECT_STREQ(r.Text(), L"first part, second part, third part");
        EXPECT_FALSE(a.UsesInlineBuffer());
        EXPECT_FALSE(a.Slot()->UsesInlineBuffer());
        EXPECT_FALSE(r.UsesInlineBuffer());
    }
    EXPECT_EQ(KVarLiveAllocations(), before);
}

TEST_F(KVar, ShortTextsStayInTheInlineBufferAndAFifthUnitMovesThem) {
    TKVar v(L"abcd");
    EXPECT_TRUE(v.UsesInlineBuffer());
    EXPECT_EQ(v.Capacity(), 8);
    EXPECT_EQ(v.Length(), 4);
    v.AppendString(L"e");
    EXPECT_FALSE(v.UsesInlineBuffer());
    EXPECT_EQ(v.Capacity(), 10);
    EXPECT_EQ(::GlobalSize(const_cast<wchar_t*>(v.Text())), 12u);
    EXPECT_STREQ(v.Text(), L"abcde");

    TKVar w(L"abcde");
    EXPECT_EQ(w.Capacity(), 10);
    EXPECT_EQ(::GlobalSize(const_cast<wchar_t*>(w.Text())), 12u);
    // The capacity never shrinks.
    w.SetString(L"a");
    EXPECT_EQ(w.Capacity(), 10);
    EXPECT_FALSE(w.UsesInlineBuffer());
    w.SetInt(5);
    EXPECT_EQ(w.IntValue(), 5);
    EXPECT_EQ(w.Capacity(), 10);

    // Numbers never need a block.
    TKVar d;
    d.SetDouble(1e300);
    EXPECT_TRUE(d.UsesInlineBuffer());

    // Reserve: nothing when large enough; otherwise a zero-filled block of +2 bytes.
    TKVar r(L"xy");
    EXPECT_EQ(r.Reserve(8), r.Text());
    EXPECT_STREQ(r.Text(), L"xy");
    void* p = r.Reserve(30);
    EXPECT_EQ(r.Capacity(), 30);
    EXPECT_EQ(::GlobalSize(p), 32u);
    EXPECT_STREQ(r.Text(), L"");
}

TEST_F(KVar, ConstructionAndAssignment) {
    EXPECT_TRUE(Holds(TKVar(), I(0)));
    EXPECT_TRUE(Holds(TKVar(L'x'), T(L"x")));
    EXPECT_TRUE(Holds(TKVar(L'\0'), T(L"")));
    EXPECT_TRUE(Holds(TKVar(static_cast<const wchar_t*>(nullptr)), T(L"")));
    EXPECT_TRUE(Holds(TKVar(std::wstring(L"std text")), T(L"std text")));
    EXPECT_EQ(TKVar(123).Length(), 0);
    EXPECT_EQ(TKVar(L"").Length(), 0);
    EXPECT_STREQ(TKVar(L"").c_str(), L"");

    TKVar longText(L"more than four units");
    TKVar copy(longText);
    EXPECT_TRUE(Holds(copy, T(L"more than four units")));
    EXPECT_NE(copy.Text(), longText.Text());
    EXPECT_EQ(copy.Slot(), nullptr);

    TKVar target(L"old");
    target.c_str();
    const TKVar* slot = target.Slot();
    target = TKVar(7);
    EXPECT_TRUE(Holds(target, I(7)));
    EXPECT_EQ(target.Slot(), slot) << "assignment leaves the slot";
    target = Make(D(1.5));
    EXPECT_TRUE(Holds(target, D(1.5)));
    target = Make(I2(3));
    EXPECT_TRUE(Holds(target, I2(3)));
    target = longText;
    EXPECT_TRUE(Holds(target, T(L"more than four units")));
    TKVar& self = target;
    target = self;
    EXPECT_TRUE(Holds(target, T(L"more than four units")));
    target = static_cast<const wchar_t*>(nullptr);
    EXPECT_TRUE(Holds(target, T(L"")));
    target = L"plain";
    EXPECT_TRUE(Holds(target, T(L"plain")));
    target.SetString(nullptr);
    EXPECT_TRUE(Holds(target, T(L"")));
}

TEST_F(KVar, MidAndAssignSubCutTexts) {
    struct MidCase {
        const wchar_t* text;
        int index, count;
        const wchar_t* want;
    } mids[] = {
        {L"TFoo", 0, 2, L"TF"},  {L"TFoo", 4, 1, L""},  {L"abc", 1, 100, L"bc"},
        {L"TFoo", 5, 1, L""},    {L"TFoo", -1, 2, L""}, {L"TFoo", 1, 0, L""},
        {L"TFoo", 0, 4, L"TFoo"}, {L"", 0, 1, L""},     {L"a much longer text", 7, 6, L"longer"},
    };
    for (const auto& c : mids) {
        TKVar v(c.text);
        TKVar& r = v.Mid(c.index, c.count);
        EXPECT_EQ(&r, v.Slot()) << UnicodeToUtf8(c.text);
        EXPECT_TRUE(Holds(r, T(c.want))) << UnicodeToUtf8(c.text) << " " << c.index << "," << c.count;
        EXPECT_TRUE(Holds(v, T(c.text)));
    }
    TKVar number(5);
    EXPECT_EQ(&number.Mid(0, 1), &number);
    EXPECT_TRUE(Holds(number, I(5)));

    struct SubCase {
        Val target;
        Val source;
        int start, count;
        Val want;
    } subs[] = {
        {I(9), T(L"abcdef"), 2, 10, T(L"cdef")},
        {T(L"zz"), T(L"abcdef"), 0, 3, T(L"abc")},
        {I(9), T(L"abcdef"), 6, 1, I(9)},
        {T(L"zz"), T(L"abcdef"), 6, 1, T(L"zz")},
        {D(1.5), T(L"abcdef"), -1, 2, D(1.5)},
        {T(L"zz"), T(L"abcdef"), 1, 0, T(L"zz")},
        {T(L"zz"), I(123456), 0, 2, T(L"zz")},
        {T(L"zz"), T(L"a long enough source text"), 2, 100, T(L"long enough source text")},
    };
    for (const auto& c : subs) {
        TKVar target = Make(c.target);
        TKVar source = Make(c.source);
        EXPECT_EQ(&target.AssignSub(source, c.start, c.count), &target);
        EXPECT_TRUE(Holds(target, c.want)) << Describe(c.source) << " " << c.start << "," << c.count;
    }
}

TEST_F(KVar, CaseFoldingChangesOnlyTexts) {
    TKVar v(L"AbC \u00c7\u00e9");
    EXPECT_EQ(&v.LowerCase(), &v);
    EXPECT_STREQ(v.Text(), L"abc \u00e7\u00e9");
    EXPECT_EQ(&v.UpperCase(), &v);
    EXPECT_STREQ(v.Text(), L"ABC \u00c7\u00c9");
    TKVar n(-12);
    n.LowerCase();
    n.UpperCase();
    EXPECT_TRUE(Holds(n, I(-12)));
}

// A text taken from the value's own storage or its slot must come out right.
TEST_F(KVar, TextsFromTheOwnStorageAndSlotAreSafe) {
    TKVar v(L"0123456789");
    v.SetString(v.Text() + 3);
    EXPECT_STREQ(v.Text(), L"3456789");
    v = v.Text();
    EXPECT_STREQ(v.Text(), L"3456789");
    v = v.c_str();
    EXPECT_STREQ(v.Text(), L"3456789");
    v = v.Mid(1, 3);
    EXPECT_STREQ(v.Text(), L"456");
    v.AssignSub(v, 1, 5);
    EXPECT_STREQ(v.Text(), L"56");

    TKVar s(L"abcdefgh");  // 16 bytes in a block of capacity 16
    s.AppendString(s.Text());  // grows: appended from the old block
    EXPECT_STREQ(s.Text(), L"abcdefghabcdefgh");
    s.SetString(L"xyz");  // capacity 32 now
    s.AppendString(s.Text());  // fits: copied within the block
    EXPECT_STREQ(s.Text(), L"xyzxyz");
    s.AppendString(s.Text() + 4);
    EXPECT_STREQ(s.Text(), L"xyzxyzyz");

    TKVar t(L"ab");
    TKVar& slot = t + TKVar(L"cd");
    TKVar& r = t + slot;  // the right operand is the left one's slot
    EXPECT_EQ(&r, &slot);
    EXPECT_STREQ(r.Text(), L"abab");
    EXPECT_TRUE(t == *t.Slot());
    slot = t;  // the owner assigned into its own slot
    EXPECT_STREQ(t.Slot()->Text(), L"ab");
    t = *t.Slot();
    EXPECT_STREQ(t.Text(), L"ab");
    TKVar w(L"ab");
    EXPECT_STREQ((w + w).Text(), L"abab");
}

TEST_F(KVar, OutOfMemoryLeavesTheValueSafeToDestroy) {
    {
        TKVar v(L"abcd");
        KVarFailAllocation(1);
        EXPECT_THROW(v.AppendString(L"efgh"), OutOfMemoryError);
        EXPECT_TRUE(Holds(v, T(L"abcd")));
        v.AppendString(L"efgh");
        EXPECT_STREQ(v.Text(), L"abcdefgh");
    }
    {
        TKVar v(L"a heap text");
        KVarFailAllocation(1);
        EXPECT_THROW(v.AppendString(L" that grows"), OutOfMemoryError);
        EXPECT_STREQ(v.Text(), L"a heap text");
        KVarFailAllocation(1);
        EXPECT_THROW(v.Reserve(200), OutOfMemoryError);
        EXPECT_EQ(v.Capacity(), 22);
        KVarFailAllocation(1);
        EXPECT_THROW(v.SetString(L"a still longer heap text"), OutOfMemoryError);
        EXPECT_EQ(v.Kind(), kvText);
        EXPECT_EQ(v.Length(), 11);
    }
    {
        TKVar n(5);
        KVarFailAllocation(1);  // the slot itself
        EXPECT_THROW(n.c_str(), OutOfMemoryError);
        EXPECT_EQ(n.Slot(), nullptr);
        KVarFailAllocation(2);  // the slot's block for the digits
        EXPECT_THROW(n.c_str(), OutOfMemoryError);
        ASSERT_NE(n.Slot(), nullptr);
        EXPECT_STREQ(n.c_str(), L"5");
    }
    {
        TKVar a(L"ab");
        KVarFailAllocation(1);
        EXPECT_THROW(a + TKVar(L"cd"), OutOfMemoryError);
        KVarFailAllocation(1);
        EXPECT_THROW(a.Mid(0, 1), OutOfMemoryError);
        TKVar i2;
        i2.SetInt2(1);
        KVarFailAllocation(1);
        EXPECT_THROW(i2 + TKVar(1), OutOfMemoryError);
        TKVar slotted(L"some text");
        slotted.c_str();
        KVarFailAllocation(1);  // the slot's block when the sum outgrows it
        EXPECT_THROW(slotted + TKVar(L", and a lot more text"), OutOfMemoryError);
        EXPECT_STREQ(slotted.Text(), L"some text");
    }
}
