// The map form of CWMIPropertyMap, byte for byte: every element type as a single value and as an
// array, bounds, strings, the order of associations, refusals and data that lies or ends early.
#include <gtest/gtest.h>
#include <new>
#include "ArchiveFixture.h"
#include "wmi/WMIPropertyMap.h"

namespace {

// A map of one association "P" = `value`, stored.
ByteList StoreOne(const COleVariant& value) {
    CWMIPropertyMap map;
    map.SetAt(u"P", value);
    return Store(map);
}

// The one association of a map loaded from `bytes`, described; "" unless the map has exactly one
// association "P" and every byte was read.
std::string LoadOne(const ByteList& bytes) {
    CWMIPropertyMap map;
    if (Load(bytes, map) != 0 || map.GetCount() != 1) return "";
    COleVariant value;
    if (!map.Lookup(u"P", value)) return "";
    return Describe(value);
}

struct ElementCase {
    const char* name;
    VARTYPE vt;
    uint64_t bits;  // the value's bytes, from the lowest
    Piece form;     // its element form
};

const ElementCase kElements[] = {
    {"VT_I2", VT_I2, 0x8001, U16(0x8001)},
    {"VT_BOOL", VT_BOOL, 0xFFFF, U16(0xFFFF)},
    {"VT_UI2", VT_UI2, 0xFEDC, U16(0xFEDC)},
    {"VT_I1", VT_I1, 0x80, U8(0x80)},
    {"VT_UI1", VT_UI1, 0xFE, U8(0xFE)},
    {"VT_I4", VT_I4, 0x80000001, U32(0x80000001)},
    {"VT_ERROR", VT_ERROR, 0x80041001, U32(0x80041001)},
    {"VT_UI4", VT_UI4, 0xFEDCBA98, U32(0xFEDCBA98)},
    {"VT_I8", VT_I8, 0x8000000000000001, U64(0x8000000000000001)},
    {"VT_UI8", VT_UI8, 0xFEDCBA9876543210, U64(0xFEDCBA9876543210)},
    {"VT_R4 1.5", VT_R4, 0x3FC00000, F32(1.5f)},
    {"VT_R8 -0.25", VT_R8, 0xBFD0000000000000, F64(-0.25)},
    {"VT_DATE 2.5", VT_DATE, 0x4004000000000000, F64(2.5)},
    {"VT_CY low 3, high -2", VT_CY, 0xFFFFFFFE00000003, Join({U32(3), U32(0xFFFFFFFE)})},
};

TEST(WMIPropertyMap, EverySingleValueInItsElementForm) {
    for (const ElementCase& c : kElements) {
        SCOPED_TRACE(c.name);
        COleVariant value = Typed(c.vt, c.bits);
        ByteList expected = Bytes({U16(1), WideString(u"P"), U16(c.vt), c.form});
        EXPECT_EQ(expected, StoreOne(value));
        EXPECT_EQ(Describe(value), LoadOne(expected));
    }
}

TEST(WMIPropertyMap, EveryArrayTypeWithItsBoundsAndElements) {
    for (const ElementCase& c : kElements) {
        SCOPED_TRACE(c.name);
        COleVariant value = Array(c.vt, 0, {c.bits, 0});
        ByteList expected =
            Bytes({U16(1), WideString(u"P"), U16(VT_ARRAY | c.vt), U32(0), U32(1), c.form, Zeros(c.form.bytes.size())});
        EXPECT_EQ(expected, StoreOne(value));
        EXPECT_EQ(Describe(value), LoadOne(expected));
    }
}

TEST(WMIPropertyMap, StringsEmptyNullAndOtherValues) {
    sim::Reset();
    struct Case {
        const char* name;
        COleVariant value;
        Piece form;            // after the key
        const char* loaded;    // the value loaded back
    } cases[] = {
        {"string", COleVariant(u"Ab"), Join({U16(VT_BSTR), U32(4), Chars(u"Ab")}), "vt 8 \"Ab\""},
        {"odd byte length", String(u"Ab", 3), Join({U16(VT_BSTR), U32(3), U8('A'), U8(0), U8('b')}),
         "vt 8 \"A\" and a byte"},
        {"empty string loads as NULL", COleVariant(u""), Join({U16(VT_BSTR), U32(0)}), "vt 8 NULL"},
        {"NULL string", COleVariant(static_cast<LPCWSTR>(nullptr)), Join({U16(VT_BSTR), U32(0)}), "vt 8 NULL"},
        {"VT_EMPTY", COleVariant(), U16(VT_EMPTY), "vt 0"},
        {"VT_NULL", Typed(VT_NULL, 0), U16(VT_NULL), "vt 1"},
        {"string array with lower bound 5 loads with lower bound 0", StringArray(5, {u"Ab", nullptr, u""}),
         Join({U16(VT_ARRAY | VT_BSTR), U32(5), U32(7), U32(4), Chars(u"Ab"), U32(0), U32(0)}),
         "vt 8200 [0..2] {\"Ab\", NULL, NULL}"},
        {"empty array", Array(VT_I4, 0, {}), Join({U16(VT_ARRAY | VT_I4), U32(0), U32(0xFFFFFFFF)}), "vt 8195 [0..-1] {}"},
        {"negative lower bound", Array(VT_I2, -1, {7, 8}), Join({U16(VT_ARRAY | VT_I2), U32(0xFFFFFFFF), U32(0), U16(7), U16(8)}),
         "vt 8194 [0..1] {7, 8}"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ByteList expected = Bytes({U16(1), WideString(u"P"), c.form});
        EXPECT_EQ(expected, StoreOne(c.value));
        EXPECT_EQ(c.loaded, LoadOne(expected));
    }
}

TEST(WMIPropertyMap, EmptyMapIsTheCountAlone) {
    CWMIPropertyMap map;
    EXPECT_EQ(Bytes({U16(0)}), Store(map));
    const ByteList empty = Bytes({U16(0)});
    EXPECT_EQ(0u, Load(empty, map));
    EXPECT_EQ(0, map.GetCount());
}

TEST(WMIPropertyMap, AssociationsInIterationOrderAndKeysCaseSensitive) {
    // "a" hashes to bucket 12, "A" and "R" to bucket 14 ("R" inserted last, so first in its chain).
    CWMIPropertyMap map;
    map.SetAt(u"A", COleVariant(LONG(1)));
    map.SetAt(u"a", COleVariant(LONG(2)));
    map.SetAt(u"R", COleVariant(LONG(3)));
    const ByteList expected = Bytes({U16(3), WideString(u"a"), U16(VT_I4), U32(2), WideString(u"R"), U16(VT_I4),
                                     U32(3), WideString(u"A"), U16(VT_I4), U32(1)});
    EXPECT_EQ(expected, Store(map));

    CWMIPropertyMap loaded;
    EXPECT_EQ(0u, Load(expected, loaded));
    EXPECT_EQ(3, loaded.GetCount());
    COleVariant value;
    ASSERT_TRUE(loaded.Lookup(u"A", value));
    EXPECT_EQ("vt 3 1", Describe(value));
    ASSERT_TRUE(loaded.Lookup(u"a", value));
    EXPECT_EQ("vt 3 2", Describe(value));
}

TEST(WMIPropertyMap, KeyTwiceInTheDataKeepsTheSecondValue) {
    sim::Reset();
    const ByteList bytes = Bytes({U16(2), WideString(u"P"), U16(VT_BSTR), U32(2), Chars(u"1"), WideString(u"P"),
                                  U16(VT_I4), U32(2)});
    EXPECT_EQ("vt 3 2", LoadOne(bytes));
    EXPECT_EQ(0, sim::machine().automation.liveStrings);
}

TEST(WMIPropertyMap, CountInItsLongFormAndLongKeys) {
    const std::u16string longKey = Letters(300);
    const ByteList bytes = Bytes({U16(0xFFFF), U32(1), U8(0xFF), U16(0xFFFE), U8(0xFF), U16(300), Chars(longKey),
                                  U16(VT_UI1), U8(9)});
    CWMIPropertyMap map;
    EXPECT_EQ(0u, Load(bytes, map));
    COleVariant value;
    ASSERT_TRUE(map.Lookup(longKey.c_str(), value));
    EXPECT_EQ("vt 17 9", Describe(value));
}

TEST(WMIPropertyMap, ValuesTheFormCannotCarryAreRefusedBeforeAnythingIsWritten) {
    sim::Reset();
    {
        LONG referenced = 5;
        SAFEARRAYBOUND bounds[2] = {{2, 0}, {3, 0}};
        struct Case {
            const char* name;
            COleVariant value;
        } cases[] = {
            {"reference", Holding(VT_BYREF | VT_I4, &referenced)},
            {"object", Typed(VT_DISPATCH, 0)},
            {"unknown object", Typed(VT_UNKNOWN, 0)},
            {"integer of no fixed size", Typed(VT_INT, 5)},
            {"decimal", Typed(VT_DECIMAL, 0)},
            {"variant array", Holding(VT_ARRAY | VT_VARIANT, SafeArrayCreateVector(VT_VARIANT, 0, 1))},
            {"two dimensions", Holding(VT_ARRAY | VT_I4, SafeArrayCreate(VT_I4, 2, bounds))},
            {"array of another type", Holding(VT_ARRAY | VT_I4, SafeArrayCreateVector(VT_I2, 0, 1))},
            {"array without data", Typed(VT_ARRAY | VT_I4, 0)},
            {"upper bound beyond 32 bits", Holding(VT_ARRAY | VT_UI1, SafeArrayCreateVector(VT_UI1, 0x7FFFFFFF, 2))},
        };
        for (const Case& c : cases) {
            SCOPED_TRACE(c.name);
            CWMIPropertyMap map;
            map.SetAt(u"A", COleVariant(LONG(1)));
            map.SetAt(u"B", c.value);
            CMemoryStream stream;
            CArchive ar(&stream, CArchive::store);
            EXPECT_EQ(CArchiveException::genericException, CauseOf([&] { map.Serialize(ar); }));
            EXPECT_TRUE(stream.GetBytes().empty());
        }
    }
    EXPECT_EQ(0, sim::machine().automation.liveArrays);
}

TEST(WMIPropertyMap, TypeWordsWithoutAFormAreRefusedWhenLoading) {
    const WORD types[] = {VT_DISPATCH, VT_UNKNOWN, VT_VARIANT, VT_DECIMAL, VT_INT, 15, 0x0FFF,
                          VT_BYREF | VT_I4, 0x1000 | VT_I4, 0x8000 | VT_I4, VT_ARRAY, VT_ARRAY | VT_NULL,
                          VT_ARRAY | VT_VARIANT, VT_ARRAY | VT_BYREF | VT_I4, 0xFFFF};
    for (WORD vt : types) {
        SCOPED_TRACE(vt);
        const ByteList bytes = Bytes({U16(1), WideString(u"P"), U16(vt), Zeros(16)});
        CWMIPropertyMap map;
        EXPECT_EQ(CArchiveException::badIndex, CauseOf([&] { Load(bytes, map); }));
        EXPECT_EQ(0, map.GetCount());
    }
}

TEST(WMIPropertyMap, LyingLengthsRaiseEndOfFileBeforeAnythingIsAllocated) {
    struct Case {
        const char* name;
        ByteList bytes;
    } cases[] = {
        {"association count", Bytes({U16(0xFFFF), U32(0xFFFFFFFF), WideString(u""), U16(VT_EMPTY)})},
        {"16-bit count", Bytes({U16(2), WideString(u""), U16(VT_EMPTY), U8(0xFF), U8(0xFE)})},
        {"key length", Bytes({U16(1), U8(0xFF), U16(0xFFFE), U8(0xFF), U16(0xFFFF), U32(0x7FFFFFFF), Chars(u"ab"), U16(0)})},
        {"16-bit key length", Bytes({U16(1), U8(0xFF), U16(0xFFFE), U8(0xFF), U16(0xFFFD), Chars(u"ab"), U16(0)})},
        {"string length", Bytes({U16(1), WideString(u""), U16(VT_BSTR), U32(0xFFFFFFFF), Chars(u"ab")})},
        {"string length one past", Bytes({U16(1), WideString(u""), U16(VT_BSTR), U32(5), Chars(u"ab")})},
        {"array bounds", Bytes({U16(1), WideString(u""), U16(VT_ARRAY | VT_I4), U32(0), U32(0x7FFFFFFF), U32(1)})},
        {"array of 2^32 elements", Bytes({U16(1), WideString(u""), U16(VT_ARRAY | VT_UI1), U32(0x80000000), U32(0x7FFFFFFF), U8(1)})},
        {"string array bounds", Bytes({U16(1), WideString(u""), U16(VT_ARRAY | VT_BSTR), U32(1), U32(3), U32(0), U32(0)})},
        {"upper bound below the lower bound", Bytes({U16(1), WideString(u""), U16(VT_ARRAY | VT_I4), U32(5), U32(3)})},
        {"upper bound far below", Bytes({U16(1), WideString(u""), U16(VT_ARRAY | VT_I4), U32(0x7FFFFFFF), U32(0x80000000)})},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CWMIPropertyMap map;
        CMemoryStream stream(c.bytes.data(), c.bytes.size());
        CArchive ar(&stream, CArchive::load);
        sim::machine().faults.Add({"SysAllocString", u"", 0, 0});
        sim::machine().faults.Add({"SafeArrayCreate", u"", 0, 0});
        FailAllocationAfter(1);
        int cause = -2;
        try {
            map.Serialize(ar);
            cause = -1;
        } catch (const CArchiveException& e) {
            cause = e.m_cause;
        } catch (const std::bad_alloc&) {
        }
        FailAllocationAfter(0);
        sim::machine().faults.Clear();
        EXPECT_EQ(CArchiveException::endOfFile, cause);
        EXPECT_EQ(0, map.GetCount());
    }
}

TEST(WMIPropertyMap, DataEndingAnywhereRaisesEndOfFileAndLeaksNothing) {
    const ByteList full = Bytes({U16(3), WideString(u"Name"), U16(VT_BSTR), U32(6), Chars(u"NIC"),
                                 WideString(u"Wake"), U16(VT_ARRAY | VT_BSTR), U32(0), U32(1), U32(2), Chars(u"x"),
                                 U32(4), Chars(u"yz"), WideString(u"On"), U16(VT_ARRAY | VT_CY), U32(0), U32(0),
                                 U32(1), U32(2)});
    sim::Reset();
    {
        CWMIPropertyMap complete;
        ASSERT_EQ(0u, Load(full, complete));
        ASSERT_EQ(3, complete.GetCount());
        EXPECT_EQ(3, sim::machine().automation.liveStrings);
    }
    for (size_t size = 0; size < full.size(); ++size) {
        SCOPED_TRACE(size);
        ByteList part(full.begin(), full.begin() + static_cast<std::ptrdiff_t>(size));
        {
            CWMIPropertyMap map;
            EXPECT_EQ(CArchiveException::endOfFile, CauseOf([&] { Load(part, map); }));
        }
        EXPECT_EQ(0, sim::machine().automation.liveStrings);
        EXPECT_EQ(0, sim::machine().automation.liveArrays);
    }
}

}  // namespace
