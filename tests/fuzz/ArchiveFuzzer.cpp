// libFuzzer target for the archive loaders: arbitrary bytes are loaded as a CWMIPropertyMap and as
// a CWMIParameters record. Loading either succeeds or raises CArchiveException; anything else (a
// crash, another exception, a sanitizer report, a leak, an allocation beyond the limit given on
// the command line) is a finding. Whatever loaded must store without refusal, and what it stores
// must load again into something that stores to as many bytes.
#include <cstdint>
#include <cstdlib>
#include <vector>
#include "framework/CArchive.h"
#include "framework/CMemoryStream.h"
#include "sim/machine.h"
#include "wmi/WMIParameters.h"
#include "wmi/WMIPropertyMap.h"

namespace {

template <class T>
bool Load(const BYTE* data, size_t size, T& object) {
    CMemoryStream stream(data, size);
    CArchive ar(&stream, CArchive::load);
    try {
        object.Serialize(ar);
    } catch (const CArchiveException&) {
        return false;
    }
    return true;
}

template <class T>
std::vector<BYTE> Store(T& object) {
    CMemoryStream stream;
    CArchive ar(&stream, CArchive::store);
    object.Serialize(ar);
    return stream.GetBytes();
}

template <class T>
void LoadAndStore(const BYTE* data, size_t size) {
    std::vector<BYTE> stored;
    {
        T object;
        if (!Load(data, size, object)) return;
        stored = Store(object);
    }
    T again;
    if (!Load(stored.data(), stored.size(), again)) std::abort();
    if (Store(again).size() != stored.size()) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    sim::Reset();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    LoadAndStore<CWMIPropertyMap>(data, size);
    LoadAndStore<CWMIParameters>(data, size);
    // Every string and array that loading allocated has been freed again.
    const sim::Automation& automation = sim::machine().automation;
    if (automation.liveStrings != 0 || automation.liveArrays != 0) std::abort();
    return 0;
}
