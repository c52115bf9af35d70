// CWMIParameters: its run-time class and its archive layout, byte for byte.
#include <gtest/gtest.h>
#include <memory>
#include "ArchiveFixture.h"
#include "wmi/WMIParameters.h"

namespace {

// V1 empty, V2 a 32-bit integer, V3 a string, V4 VT_NULL, V5 a double; N; M1 with one string
// array; M2 empty.
const ByteList kRecord = Bytes({U16(VT_EMPTY), U16(VT_I4), U32(0xFFFFFFFF), U16(VT_BSTR), U32(4), Chars(u"Hi"),
                               U16(VT_NULL), U16(VT_R8), F64(0.5), U32(0x01020304), U16(1),
                               WideString(u"Names"), U16(VT_ARRAY | VT_BSTR), U32(0), U32(0), U32(2), Chars(u"a"),
                               U16(0)});

void Fill(CWMIParameters& record) {
    record.m_var2 = COleVariant(LONG(-1));
    record.m_var3 = COleVariant(u"Hi");
    record.m_var4 = Typed(VT_NULL, 0);
    record.m_var5 = COleVariant(DOUBLE(0.5));
    record.m_nValue = 0x01020304;
    record.m_map1.SetAt(u"Names", StringArray(0, {u"a"}));
}

TEST(WMIParameters, RunTimeClassCreatesItByName) {
    const CRuntimeClass* runtimeClass = CRuntimeClass::FromName("CWMIParameters");
    ASSERT_EQ(RUNTIME_CLASS(CWMIParameters), runtimeClass);
    EXPECT_EQ(1u, runtimeClass->m_wSchema);
    EXPECT_TRUE(runtimeClass->IsDerivedFrom(RUNTIME_CLASS(CObject)));
    std::unique_ptr<CObject> object(CRuntimeClass::CreateObject("CWMIParameters"));
    ASSERT_NE(nullptr, object);
    EXPECT_TRUE(object->IsKindOf(RUNTIME_CLASS(CWMIParameters)));
    EXPECT_TRUE(object->IsSerializable());
    EXPECT_EQ(Bytes({U16(0), U16(0), U16(0), U16(0), U16(0), U32(0), U16(0), U16(0)}),
              Store(static_cast<CWMIParameters&>(*object)));
}

TEST(WMIParameters, StoresAndLoadsItsLayout) {
    sim::Reset();
    {
        CWMIParameters record;
        Fill(record);
        EXPECT_EQ(kRecord, Store(record));

        CWMIParameters loaded;
        loaded.m_var1 = COleVariant(u"replaced");
        EXPECT_EQ(0u, Load(kRecord, loaded));
        EXPECT_EQ(Store(record), Store(loaded));
        EXPECT_EQ("vt 0", Describe(loaded.m_var1));
        EXPECT_EQ(0x01020304, loaded.m_nValue);
    }
    EXPECT_EQ(0, sim::machine().automation.liveStrings);
    EXPECT_EQ(0, sim::machine().automation.liveArrays);
}

TEST(WMIParameters, RefusesValuesThatCannotBeLoadedBackBeforeWritingAnything) {
    struct Case {
        const char* name;
        void (*spoil)(CWMIParameters&);
    } cases[] = {
        // The framework's variant form carries no arrays; only the maps do.
        {"array as V1", [](CWMIParameters& r) { r.m_var1 = Array(VT_I4, 0, {1}); }},
        {"object as V5", [](CWMIParameters& r) { r.m_var5 = Typed(VT_UNKNOWN, 0); }},
        {"reference in M2", [](CWMIParameters& r) { r.m_map2.SetAt(u"X", Typed(VT_BYREF | VT_UI1, 0)); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CWMIParameters record;
        Fill(record);
        c.spoil(record);
        CMemoryStream stream;
        CArchive ar(&stream, CArchive::store);
        EXPECT_EQ(CArchiveException::genericException, CauseOf([&] { record.Serialize(ar); }));
        EXPECT_TRUE(stream.GetBytes().empty());
    }
}

TEST(WMIParameters, ArrayTypeWordAsASingleValueIsRefused) {
    const ByteList bytes = Bytes({U16(VT_ARRAY | VT_I4), U32(0), U32(0), U32(1)});
    CWMIParameters record;
    EXPECT_EQ(CArchiveException::badIndex, CauseOf([&] { Load(bytes, record); }));
}

TEST(WMIParameters, DataEndingAnywhereRaisesEndOfFileAndLeaksNothing) {
    sim::Reset();
    for (size_t size = 0; size < kRecord.size(); ++size) {
        SCOPED_TRACE(size);
        ByteList part(kRecord.begin(), kRecord.begin() + static_cast<std::ptrdiff_t>(size));
        {
            CWMIParameters record;
            EXPECT_EQ(CArchiveException::endOfFile, CauseOf([&] { Load(part, record); }));
        }
        EXPECT_EQ(0, sim::machine().automation.liveStrings);
        EXPECT_EQ(0, sim::machine().automation.liveArrays);
    }
}

}  // namespace
