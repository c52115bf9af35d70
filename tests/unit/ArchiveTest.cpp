// CArchive: numbers, the count form and the wide-string form, byte for byte in both directions;
// the archive's direction and the end of the data.
#include <gtest/gtest.h>
#include "ArchiveFixture.h"
#include "framework/CString.h"

namespace {

ByteList Stored(void (*write)(CArchive&)) {
    CMemoryStream stream;
    CArchive ar(&stream, CArchive::store);
    write(ar);
    return stream.GetBytes();
}

TEST(Archive, NumbersAreLittleEndianInTheSizeOfTheirType) {
    const ByteList expected = Bytes({U8(0xFE), U16(0xFFFE), U16(0x1234), U32(0xFFFFFFFC), U32(0x89ABCDEF),
                                     U64(0xFFFFFFFFFFFFFFFA), U64(0x0123456789ABCDEF), F32(1.5f), F64(-0.25)});
    EXPECT_EQ(expected, Stored([](CArchive& ar) {
                  ar << BYTE(0xFE) << SHORT(-2) << WORD(0x1234) << LONG(-4) << DWORD(0x89ABCDEF) << LONGLONG(-6)
                     << ULONGLONG(0x0123456789ABCDEFull) << 1.5f << -0.25;
              }));

    CMemoryStream stream(expected.data(), expected.size());
    CArchive ar(&stream, CArchive::load);
    BYTE b;
    SHORT s;
    WORD w;
    LONG l;
    DWORD dw;
    LONGLONG ll;
    ULONGLONG ull;
    float f;
    double d;
    ar >> b >> s >> w >> l >> dw >> ll >> ull >> f >> d;
    EXPECT_EQ(0xFE, b);
    EXPECT_EQ(-2, s);
    EXPECT_EQ(0x1234, w);
    EXPECT_EQ(-4, l);
    EXPECT_EQ(0x89ABCDEFu, dw);
    EXPECT_EQ(-6, ll);
    EXPECT_EQ(0x0123456789ABCDEFull, ull);
    EXPECT_EQ(1.5f, f);
    EXPECT_EQ(-0.25, d);
    EXPECT_EQ(0u, ar.GetRemaining());
}

TEST(Archive, CountForm) {
    struct Case {
        DWORD count;
        ByteList bytes;
    } cases[] = {
        {0, Bytes({U16(0)})},
        {0x1234, Bytes({U16(0x1234)})},
        {0xFFFE, Bytes({U16(0xFFFE)})},
        {0xFFFF, Bytes({U16(0xFFFF), U32(0xFFFF)})},
        {0x10000, Bytes({U16(0xFFFF), U32(0x10000)})},
        {0xFFFFFFFF, Bytes({U16(0xFFFF), U32(0xFFFFFFFF)})},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.count);
        CMemoryStream out;
        CArchive store(&out, CArchive::store);
        store.WriteCount(c.count);
        EXPECT_EQ(c.bytes, out.GetBytes());

        CMemoryStream in(c.bytes.data(), c.bytes.size());
        CArchive load(&in, CArchive::load);
        EXPECT_EQ(c.count, load.ReadCount());
        EXPECT_EQ(0u, load.GetRemaining());
    }
}

TEST(Archive, WideStringForm) {
    struct Case {
        size_t length;
        Piece header;
    } cases[] = {
        {0, Join({U8(0xFF), U16(0xFFFE), U8(0)})},
        {1, Join({U8(0xFF), U16(0xFFFE), U8(1)})},
        {254, Join({U8(0xFF), U16(0xFFFE), U8(254)})},
        {255, Join({U8(0xFF), U16(0xFFFE), U8(0xFF), U16(255)})},
        {0xFFFD, Join({U8(0xFF), U16(0xFFFE), U8(0xFF), U16(0xFFFD)})},
        {0xFFFE, Join({U8(0xFF), U16(0xFFFE), U8(0xFF), U16(0xFFFF), U32(0xFFFE)})},
        {0x10000, Join({U8(0xFF), U16(0xFFFE), U8(0xFF), U16(0xFFFF), U32(0x10000)})},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.length);
        std::u16string text = Letters(c.length);
        ByteList expected = Bytes({c.header, Chars(text)});

        CMemoryStream out;
        CArchive store(&out, CArchive::store);
        store << CString(text.c_str());
        EXPECT_EQ(expected, out.GetBytes());

        CMemoryStream in(expected.data(), expected.size());
        CArchive load(&in, CArchive::load);
        CString loaded(u"previous");
        load >> loaded;
        EXPECT_EQ(text, std::u16string(loaded.GetString(), loaded.GetLength()));
        EXPECT_EQ(0u, load.GetRemaining());
    }
}

TEST(Archive, CharactersBeyondAsciiKeepTheirCodeUnits) {
    const std::u16string text = u"\u00e4\u20ac\xd83d\xde00";
    const ByteList expected = Bytes({U8(0xFF), U16(0xFFFE), U8(4), U16(0x00E4), U16(0x20AC), U16(0xD83D), U16(0xDE00)});
    CMemoryStream out;
    CArchive store(&out, CArchive::store);
    store << CString(text.c_str());
    EXPECT_EQ(expected, out.GetBytes());

    CMemoryStream in(expected.data(), expected.size());
    CArchive load(&in, CArchive::load);
    CString loaded;
    load >> loaded;
    EXPECT_EQ(text, std::u16string(loaded.GetString(), loaded.GetLength()));
}

TEST(Archive, StringsThatAreNotInTheWideFormAreRefused) {
    struct Case {
        const char* name;
        ByteList bytes;
        int cause;
    } cases[] = {
        {"narrow form", Bytes({U8(2), U8('a'), U8('b')}), CArchiveException::badIndex},
        {"no wide marker", Bytes({U8(0xFF), U16(2), U8('a'), U8('b')}), CArchiveException::badIndex},
        {"marker only", Bytes({U8(0xFF), U16(0xFFFE)}), CArchiveException::endOfFile},
        {"characters missing", Bytes({U8(0xFF), U16(0xFFFE), U8(3), Chars(u"ab")}), CArchiveException::endOfFile},
        {"odd byte", Bytes({U8(0xFF), U16(0xFFFE), U8(1), U8('a')}), CArchiveException::endOfFile},
        {"32-bit length past the data",
         Bytes({U8(0xFF), U16(0xFFFE), U8(0xFF), U16(0xFFFF), U32(0xFFFFFFFF), Chars(u"ab")}),
         CArchiveException::endOfFile},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CMemoryStream in(c.bytes.data(), c.bytes.size());
        CArchive load(&in, CArchive::load);
        CString text;
        FailAllocationAfter(1);
        int cause = CauseOf([&] { load >> text; });
        FailAllocationAfter(0);
        EXPECT_EQ(c.cause, cause);
        EXPECT_TRUE(text.IsEmpty());
    }
}

TEST(Archive, DirectionAndEndOfData) {
    CMemoryStream stream;
    CArchive store(&stream, CArchive::store);
    EXPECT_TRUE(store.IsStoring());
    DWORD dw;
    EXPECT_EQ(CArchiveException::writeOnly, CauseOf([&] { store >> dw; }));
    EXPECT_EQ(CArchiveException::writeOnly, CauseOf([&] { store.ReadCount(); }));

    const ByteList three = Bytes({U8(1), U8(2), U8(3)});
    CMemoryStream in(three.data(), three.size());
    CArchive load(&in, CArchive::load);
    EXPECT_TRUE(load.IsLoading());
    EXPECT_EQ(CArchiveException::readOnly, CauseOf([&] { load << DWORD(1); }));
    EXPECT_EQ(CArchiveException::readOnly, CauseOf([&] { load << CString(u"x"); }));
    EXPECT_EQ(CArchiveException::readOnly, CauseOf([&] { load.WriteCount(1); }));
    EXPECT_EQ(CArchiveException::endOfFile, CauseOf([&] { load >> dw; }));
    // A short read takes what there was.
    EXPECT_EQ(0u, load.GetRemaining());
    EXPECT_EQ(CArchiveException::endOfFile, CauseOf([&] { load.EnsureAvailable(1); }));
    EXPECT_EQ(-1, CauseOf([&] { load.EnsureAvailable(0); }));
}

}  // namespace
