// OleInitialize, OleUninitialize, CoInitializeEx and CoUninitialize (ole32).
#include "apartments.h"
#include "machine.h"
#include "win/ole.h"

using sim::machine;

namespace {

HRESULT Enter(sim::ApartmentType wanted) {
    sim::Apartment& a = machine().apartments.Current();
    if (a.type != sim::ApartmentType::None && a.type != wanted) return RPC_E_CHANGED_MODE;
    bool first = a.type == sim::ApartmentType::None;
    a.type = wanted;
    ++a.initCount;
    return first ? S_OK : S_FALSE;
}

void Leave() {
    sim::Apartment& a = machine().apartments.Current();
    if (a.initCount == 0) return;
    if (--a.initCount == 0) a.type = sim::ApartmentType::None;
}

}  // namespace

HRESULT OleInitialize(LPVOID) {
    ++machine().apartments.OleInitializeCalls;
    machine().calls.Add("OleInitialize", u"");
    if (auto fault = machine().faults.Hit("OleInitialize", u"")) {
        // A staged success code (S_FALSE) still initialises; a failure does not.
        HRESULT hr = static_cast<HRESULT>(fault->result);
        if (SUCCEEDED(hr)) {
            Enter(sim::ApartmentType::SingleThreaded);
            ++machine().apartments.Current().oleCount;
        }
        return hr;
    }
    HRESULT hr = Enter(sim::ApartmentType::SingleThreaded);
    if (SUCCEEDED(hr)) ++machine().apartments.Current().oleCount;
    return hr;
}

void OleUninitialize(void) {
    ++machine().apartments.OleUninitializeCalls;
    machine().calls.Add("OleUninitialize", u"");
    sim::Apartment& a = machine().apartments.Current();
    if (a.oleCount > 0) --a.oleCount;
    Leave();
}

HRESULT CoInitializeEx(LPVOID, DWORD dwCoInit) {
    ++machine().apartments.CoInitializeCalls;
    machine().calls.Add("CoInitializeEx", sim::FromUtf8(std::to_string(dwCoInit)));
    if (auto fault = machine().faults.Hit("CoInitializeEx", u"")) return static_cast<HRESULT>(fault->result);
    return Enter(dwCoInit & COINIT_APARTMENTTHREADED ? sim::ApartmentType::SingleThreaded
                                                     : sim::ApartmentType::MultiThreaded);
}

void CoUninitialize(void) {
    ++machine().apartments.CoUninitializeCalls;
    machine().calls.Add("CoUninitialize", u"");
    machine().com.liveObjectsAtCoUninitialize.push_back(machine().com.liveObjects);
    Leave();
}
