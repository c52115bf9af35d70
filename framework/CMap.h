// CMap: the framework's hash map. Associations are allocated in blocks of `nBlockSize` and kept on
// a free list; the hash table (17 buckets unless InitHashTable says otherwise) is allocated at the
// first insertion, and everything is freed when the map becomes empty. A key's bucket is its hash
// modulo the table size; a new association goes to the front of its bucket's chain. Iteration
// visits the buckets in order and each chain from its front.
#pragma once
#include <new>
#include "CObject.h"
#include "CString.h"

// An iteration position: NULL at the end.
struct CPositionTag;
typedef CPositionTag* POSITION;
#define BEFORE_START_POSITION (reinterpret_cast<POSITION>(static_cast<INT_PTR>(-1)))

// The hash of a key: for integers the value shifted right by 4; for strings the framework's
// string hash, nHash = (nHash << 5) + nHash + ch over the characters.
template <class ARG_KEY>
inline UINT HashKey(ARG_KEY key) {
    return static_cast<UINT>(static_cast<ULONGLONG>(key) >> 4);
}
template <>
inline UINT HashKey<LPCWSTR>(LPCWSTR key) {
    UINT nHash = 0;
    while (*key) nHash = (nHash << 5) + nHash + static_cast<UINT>(*key++);
    return nHash;
}
template <>
inline UINT HashKey<const CString&>(const CString& key) {
    return HashKey<LPCWSTR>(key.GetString());
}

template <class KEY, class ARG_KEY, class VALUE, class ARG_VALUE>
class CMap : public CObject {
public:
    class CPair {
    public:
        const KEY key;
        VALUE value;

    protected:
        explicit CPair(ARG_KEY keyval) : key(keyval), value() {}
    };

    explicit CMap(INT_PTR nBlockSize = 10) : m_nBlockSize(nBlockSize > 0 ? nBlockSize : 10) {}
    CMap(const CMap&) = delete;
    CMap& operator=(const CMap&) = delete;
    ~CMap() override { RemoveAll(); }

    INT_PTR GetCount() const { return m_nCount; }
    INT_PTR GetSize() const { return m_nCount; }
    BOOL IsEmpty() const { return m_nCount == 0; }
    UINT GetHashTableSize() const { return m_nHashTableSize; }

    BOOL Lookup(ARG_KEY key, VALUE& rValue) const {
        const CPair* pPair = PLookup(key);
        if (!pPair) return FALSE;
        rValue = pPair->value;
        return TRUE;
    }
    const CPair* PLookup(ARG_KEY key) const {
        UINT nBucket, nHash;
        return GetAssocAt(key, nBucket, nHash);
    }

    // The value of `key`, inserted with a default value when the key is new.
    VALUE& operator[](ARG_KEY key) {
        UINT nBucket, nHash;
        CAssoc* pAssoc = GetAssocAt(key, nBucket, nHash);
        if (!pAssoc) {
            if (!m_pHashTable) InitHashTable(m_nHashTableSize);
            pAssoc = NewAssoc(key);
            pAssoc->nHashValue = nHash;
            pAssoc->pNext = m_pHashTable[nBucket];
            m_pHashTable[nBucket] = pAssoc;
        }
        return pAssoc->value;
    }
    // Inserts `key` or replaces its value.
    void SetAt(ARG_KEY key, ARG_VALUE newValue) { (*this)[key] = newValue; }

    BOOL RemoveKey(ARG_KEY key) {
        if (!m_pHashTable) return FALSE;
        UINT nHash = HashKey<ARG_KEY>(key);
        for (CAssoc** ppLink = &m_pHashTable[nHash % m_nHashTableSize]; *ppLink; ppLink = &(*ppLink)->pNext) {
            CAssoc* pAssoc = *ppLink;
            if (pAssoc->nHashValue == nHash && pAssoc->key == key) {
                *ppLink = pAssoc->pNext;
                FreeAssoc(pAssoc);
                return TRUE;
            }
        }
        return FALSE;
    }

    void RemoveAll() {
        if (m_pHashTable) {
            for (UINT n = 0; n < m_nHashTableSize; ++n)
                for (CAssoc* pAssoc = m_pHashTable[n]; pAssoc;) {
                    CAssoc* pNext = pAssoc->pNext;
                    pAssoc->~CAssoc();
                    pAssoc = pNext;
                }
            delete[] m_pHashTable;
            m_pHashTable = nullptr;
        }
        while (m_pBlocks) {
            CBlock* pNext = m_pBlocks->pNext;
            ::operator delete(m_pBlocks);
            m_pBlocks = pNext;
        }
        m_pFreeList = nullptr;
        m_nCount = 0;
    }

    // Sets the number of buckets (0 is ignored). Associations already in the map are moved to
    // their buckets in the new table.
    void InitHashTable(UINT nHashSize, BOOL bAllocNow = TRUE) {
        if (nHashSize == 0) return;
        if (!bAllocNow && m_nCount == 0) {
            delete[] m_pHashTable;
            m_pHashTable = nullptr;
            m_nHashTableSize = nHashSize;
            return;
        }
        CAssoc** pTable = new CAssoc*[nHashSize]();
        if (m_pHashTable) {
            for (UINT n = 0; n < m_nHashTableSize; ++n)
                for (CAssoc* pAssoc = m_pHashTable[n]; pAssoc;) {
                    CAssoc* pNext = pAssoc->pNext;
                    CAssoc*& head = pTable[pAssoc->nHashValue % nHashSize];
                    pAssoc->pNext = head;
                    head = pAssoc;
                    pAssoc = pNext;
                }
            delete[] m_pHashTable;
        }
        m_pHashTable = pTable;
        m_nHashTableSize = nHashSize;
    }

    POSITION GetStartPosition() const { return m_nCount == 0 ? nullptr : BEFORE_START_POSITION; }
    // The association at `rNextPosition`; moves the position on (to NULL after the last one).
    void GetNextAssoc(POSITION& rNextPosition, KEY& rKey, VALUE& rValue) const {
        const CPair* pPair = PGetNext(rNextPosition);
        if (!pPair) return;
        rKey = pPair->key;
        rValue = pPair->value;
    }

    // The associations in iteration order without copying them.
    const CPair* PGetFirstAssoc() const { return FirstAssoc(); }
    const CPair* PGetNextAssoc(const CPair* pPair) const {
        return pPair ? NextAssoc(static_cast<const CAssoc*>(pPair)) : nullptr;
    }
    CPair* PGetFirstAssoc() { return FirstAssoc(); }
    CPair* PGetNextAssoc(const CPair* pPair) { return pPair ? NextAssoc(static_cast<const CAssoc*>(pPair)) : nullptr; }

private:
    class CAssoc : public CPair {
    public:
        explicit CAssoc(ARG_KEY keyval) : CPair(keyval) {}
        CAssoc* pNext = nullptr;
        UINT nHashValue = 0;
    };
    // A block's header; its associations follow it.
    struct alignas(CAssoc) CBlock {
        CBlock* pNext;
    };
    // An unused association's storage on the free list.
    struct CFreeSlot {
        CFreeSlot* pNext;
    };
    union CSlot {
        alignas(CAssoc) unsigned char assoc[sizeof(CAssoc)];
        CFreeSlot free;
    };

    CAssoc* GetAssocAt(ARG_KEY key, UINT& nBucket, UINT& nHash) const {
        nHash = HashKey<ARG_KEY>(key);
        nBucket = nHash % m_nHashTableSize;
        if (!m_pHashTable) return nullptr;
        for (CAssoc* pAssoc = m_pHashTable[nBucket]; pAssoc; pAssoc = pAssoc->pNext)
            if (pAssoc->nHashValue == nHash && pAssoc->key == key) return pAssoc;
        return nullptr;
    }

    CAssoc* NewAssoc(ARG_KEY key) {
        if (!m_pFreeList) {
            size_t nSlots = static_cast<size_t>(m_nBlockSize);
            auto* pBlock = static_cast<CBlock*>(::operator new(sizeof(CBlock) + nSlots * sizeof(CSlot)));
            pBlock->pNext = m_pBlocks;
            m_pBlocks = pBlock;
            auto* pSlots = reinterpret_cast<CSlot*>(pBlock + 1);
            // The block's first slot is taken first.
            for (size_t i = nSlots; i-- > 0;) PushFree(&pSlots[i]);
        }
        CFreeSlot* pSlot = m_pFreeList;
        m_pFreeList = pSlot->pNext;
        CAssoc* pAssoc;
        try {
            pAssoc = ::new (static_cast<void*>(pSlot)) CAssoc(key);
        } catch (...) {
            PushFree(reinterpret_cast<CSlot*>(pSlot));
            throw;
        }
        ++m_nCount;
        return pAssoc;
    }

    void FreeAssoc(CAssoc* pAssoc) {
        pAssoc->~CAssoc();
        PushFree(reinterpret_cast<CSlot*>(pAssoc));
        if (--m_nCount == 0) RemoveAll();
    }

    void PushFree(CSlot* pSlot) {
        CFreeSlot* pFree = ::new (static_cast<void*>(pSlot)) CFreeSlot;
        pFree->pNext = m_pFreeList;
        m_pFreeList = pFree;
    }

    CAssoc* FirstAssoc() const {
        if (!m_pHashTable) return nullptr;
        for (UINT n = 0; n < m_nHashTableSize; ++n)
            if (m_pHashTable[n]) return m_pHashTable[n];
        return nullptr;
    }
    CAssoc* NextAssoc(const CAssoc* pAssoc) const {
        if (pAssoc->pNext) return pAssoc->pNext;
        for (UINT n = pAssoc->nHashValue % m_nHashTableSize + 1; n < m_nHashTableSize; ++n)
            if (m_pHashTable[n]) return m_pHashTable[n];
        return nullptr;
    }
    const CPair* PGetNext(POSITION& rNextPosition) const {
        if (!rNextPosition) return nullptr;
        const CAssoc* pAssoc = rNextPosition == BEFORE_START_POSITION
                                   ? FirstAssoc()
                                   : reinterpret_cast<const CAssoc*>(rNextPosition);
        if (!pAssoc) {
            rNextPosition = nullptr;
            return nullptr;
        }
        rNextPosition = reinterpret_cast<POSITION>(const_cast<CAssoc*>(NextAssoc(pAssoc)));
        return pAssoc;
    }

    CAssoc** m_pHashTable = nullptr;
    UINT m_nHashTableSize = 17;
    INT_PTR m_nCount = 0;
    CFreeSlot* m_pFreeList = nullptr;
    CBlock* m_pBlocks = nullptr;
    INT_PTR m_nBlockSize;
};
