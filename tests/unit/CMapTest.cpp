// CMap: lookup, replacement, removal, iteration by bucket then chain, and when it allocates.
#include <gtest/gtest.h>
#include <new>
#include <utility>
#include <vector>
#include "Support.h"
#include "framework/CMap.h"
#include "wmi/WMIPropertyMap.h"

namespace {

using CIntMap = CMap<int, int, int, int>;

template <class Map, class Key, class Value>
std::vector<std::pair<Key, Value>> Entries(const Map& map) {
    std::vector<std::pair<Key, Value>> entries;
    POSITION pos = map.GetStartPosition();
    while (pos) {
        Key key{};
        Value value{};
        map.GetNextAssoc(pos, key, value);
        entries.emplace_back(key, value);
    }
    return entries;
}

std::vector<std::u16string> Keys(const CWMIPropertyMap& map) {
    std::vector<std::u16string> keys;
    for (const auto& [key, value] : Entries<CWMIPropertyMap, CString, COleVariant>(map))
        keys.emplace_back(key.GetString(), key.GetLength());
    return keys;
}

TEST(Map, LookupSetRemove) {
    CIntMap map;
    EXPECT_EQ(17u, map.GetHashTableSize());
    EXPECT_TRUE(map.IsEmpty());
    EXPECT_EQ(nullptr, map.GetStartPosition());
    int value = -1;
    EXPECT_FALSE(map.Lookup(1, value));
    EXPECT_FALSE(map.RemoveKey(1));

    map.SetAt(1, 10);
    map.SetAt(2, 20);
    map[3] = 30;
    map.SetAt(1, 11);
    EXPECT_EQ(3, map.GetCount());
    EXPECT_TRUE(map.Lookup(1, value));
    EXPECT_EQ(11, value);
    EXPECT_EQ(0, map[4]);  // a new key gets a default value
    EXPECT_EQ(4, map.GetCount());

    EXPECT_TRUE(map.RemoveKey(2));
    EXPECT_FALSE(map.RemoveKey(2));
    EXPECT_FALSE(map.Lookup(2, value));
    EXPECT_EQ(3, map.GetCount());

    map.RemoveAll();
    EXPECT_EQ(0, map.GetCount());
    EXPECT_FALSE(map.Lookup(1, value));
    map.SetAt(5, 50);
    EXPECT_EQ((std::vector<std::pair<int, int>>{{5, 50}}), (Entries<CIntMap, int, int>(map)));
}

TEST(Map, IteratesByBucketThenNewestFirstInEachBucket) {
    // An integer's hash is the integer shifted right by 4: 0 and 5 hash to 0, 16 to 1 and 272 to 17,
    // so with 17 buckets 0, 5 and 272 share bucket 0 and 16 is alone in bucket 1.
    CIntMap map;
    for (int key : {0, 16, 5, 272}) map.SetAt(key, key * 10);
    EXPECT_EQ((std::vector<std::pair<int, int>>{{272, 2720}, {5, 50}, {0, 0}, {16, 160}}),
              (Entries<CIntMap, int, int>(map)));

    EXPECT_TRUE(map.RemoveKey(5));
    EXPECT_EQ((std::vector<std::pair<int, int>>{{272, 2720}, {0, 0}, {16, 160}}), (Entries<CIntMap, int, int>(map)));
}

TEST(Map, StringKeysUseTheFrameworkStringHash) {
    // Hashes: "ab" 3299 (bucket 1), "Name" 2912417 and "Version" 3489216198 (after wrapping; both
    // bucket 11), "name" 4062401 (bucket 13).
    EXPECT_EQ(3299u, HashKey<LPCWSTR>(u"ab"));
    EXPECT_EQ(3489216198u, HashKey<LPCWSTR>(u"Version"));
    CWMIPropertyMap map;
    for (const char16_t* key : {u"Name", u"name", u"ab", u"Version"}) map.SetAt(key, COleVariant(LONG(1)));
    EXPECT_EQ((std::vector<std::u16string>{u"ab", u"Version", u"Name", u"name"}), Keys(map));
}

TEST(Map, InitHashTableKeepsTheAssociations) {
    CIntMap map;
    for (int key = 0; key < 100; key += 16) map.SetAt(key, key);
    map.InitHashTable(3);
    EXPECT_EQ(3u, map.GetHashTableSize());
    // Hashes 0..6 over 3 buckets.
    std::vector<std::pair<int, int>> expected = {{96, 96}, {48, 48}, {0, 0}, {64, 64}, {16, 16}, {80, 80}, {32, 32}};
    EXPECT_EQ(expected, (Entries<CIntMap, int, int>(map)));
    map.InitHashTable(0);
    EXPECT_EQ(3u, map.GetHashTableSize());
}

TEST(Map, AllocatesTheTableAtTheFirstInsertionAndAssociationsInBlocksOfTen) {
    FailAllocationAfter(1);
    {
        CWMIPropertyMap empty;
        COleVariant value;
        EXPECT_FALSE(empty.Lookup(u"A", value));
        EXPECT_FALSE(empty.RemoveKey(u"A"));
        EXPECT_EQ(nullptr, empty.GetStartPosition());
    }
    FailAllocationAfter(0);

    CWMIPropertyMap map;
    map.SetAt(u"k0", COleVariant(LONG(0)));  // the table and the first block
    FailAllocationAfter(1);
    const char16_t* keys[] = {u"k1", u"k2", u"k3", u"k4", u"k5", u"k6", u"k7", u"k8", u"k9"};
    for (const char16_t* key : keys) map.SetAt(key, COleVariant(LONG(1)));
    EXPECT_THROW(map.SetAt(u"k10", COleVariant(LONG(10))), std::bad_alloc);
    FailAllocationAfter(0);
    EXPECT_EQ(10, map.GetCount());
    COleVariant value;
    EXPECT_FALSE(map.Lookup(u"k10", value));
    map.SetAt(u"k10", COleVariant(LONG(10)));
    EXPECT_EQ(11, map.GetCount());
}

TEST(Map, RemovingTheLastAssociationFreesEverything) {
    CIntMap map;
    map.SetAt(1, 1);
    map.RemoveKey(1);
    // The next insertion needs a new table and block again.
    FailAllocationAfter(1);
    EXPECT_THROW(map.SetAt(2, 2), std::bad_alloc);
    FailAllocationAfter(0);
    EXPECT_EQ(0, map.GetCount());
    EXPECT_EQ(nullptr, map.GetStartPosition());
}

TEST(Map, ValuesAreFreedWithTheirAssociations) {
    sim::Reset();
    {
        CWMIPropertyMap map;
        map.SetAt(u"A", COleVariant(u"one"));
        map.SetAt(u"A", COleVariant(u"two"));
        map.SetAt(u"B", COleVariant(u"three"));
        EXPECT_EQ(2, sim::machine().automation.liveStrings);
        map.RemoveKey(u"B");
        EXPECT_EQ(1, sim::machine().automation.liveStrings);
    }
    EXPECT_EQ(0, sim::machine().automation.liveStrings);
}

}  // namespace
