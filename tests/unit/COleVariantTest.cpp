// COleVariant: value semantics over VariantCopy and VariantClear.
#include <gtest/gtest.h>
#include <new>
#include "ArchiveFixture.h"
#include "framework/CString.h"

namespace {

TEST(OleVariant, CopiesAreIndependentAndEverythingIsFreed) {
    sim::Reset();
    const long& strings = sim::machine().automation.liveStrings;
    const long& arrays = sim::machine().automation.liveArrays;
    {
        COleVariant text(u"first");
        COleVariant copy(text);
        text = CString(u"second");
        EXPECT_EQ("vt 8 \"first\"", Describe(copy));
        EXPECT_EQ("vt 8 \"second\"", Describe(text));

        COleVariant list = StringArray(2, {u"a", nullptr});
        COleVariant other;
        other = list;
        LONG index = 2;
        BSTR changed = SysAllocString(u"changed");
        SafeArrayPutElement(list.parray, &index, changed);
        SysFreeString(changed);
        EXPECT_EQ("vt 8200 [2..3] {\"a\", NULL}", Describe(other));
        EXPECT_EQ(2, arrays);

        COleVariant moved(std::move(other));
        EXPECT_EQ(VT_EMPTY, other.vt);
        EXPECT_EQ("vt 8200 [2..3] {\"a\", NULL}", Describe(moved));
        copy = moved;
        copy = copy;
        EXPECT_EQ("vt 8200 [2..3] {\"a\", NULL}", Describe(copy));

        text.Clear();
        EXPECT_EQ(VT_EMPTY, text.vt);
        VARIANT held = list.Detach();
        EXPECT_EQ(VT_EMPTY, list.vt);
        text.Attach(held);
        EXPECT_EQ(VT_EMPTY, held.vt);
        EXPECT_EQ("vt 8200 [2..3] {\"changed\", NULL}", Describe(text));
    }
    EXPECT_EQ(0, strings);
    EXPECT_EQ(0, arrays);
}

TEST(OleVariant, NumberConstructors) {
    struct Case {
        COleVariant value;
        const char* expected;
    } cases[] = {
        {COleVariant(BYTE(200)), "vt 17 200"},
        {COleVariant(SHORT(-2)), "vt 2 -2"},
        {COleVariant(SHORT(5), VT_BOOL), "vt 11 -1"},
        {COleVariant(LONG(-7)), "vt 3 -7"},
        {COleVariant(LONG(0x80041001), VT_ERROR), "vt 10 0x80041001"},
        {COleVariant(LONG(0), VT_BOOL), "vt 11 0"},
        {COleVariant(FLOAT(1.5f)), "vt 4 1.5"},
        {COleVariant(DOUBLE(2.25)), "vt 5 2.25"},
        {COleVariant(DOUBLE(40000.5), VT_DATE), "vt 7 40000.5"},
        {COleVariant(LONGLONG(-3)), "vt 20 -3"},
        {COleVariant(ULONGLONG(18446744073709551615ull)), "vt 21 18446744073709551615"},
        {COleVariant(static_cast<LPCWSTR>(nullptr)), "vt 8 NULL"},
    };
    for (const Case& c : cases) EXPECT_EQ(c.expected, Describe(c.value));
}

TEST(OleVariant, FailedCopyThrowsAndKeepsTheTarget) {
    sim::Reset();
    {
        COleVariant text(u"source");
        COleVariant target(LONG(5));
        sim::machine().faults.Add({"SysAllocString", u"", 1, 0});
        EXPECT_THROW(target = text, std::bad_alloc);
        EXPECT_EQ("vt 3 5", Describe(target));
        sim::machine().faults.Add({"SysAllocString", u"", 1, 0});
        EXPECT_THROW(COleVariant copy(text), std::bad_alloc);
    }
    EXPECT_EQ(0, sim::machine().automation.liveStrings);
}

}  // namespace
