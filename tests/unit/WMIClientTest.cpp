// The WMI client: its states and result codes, the COM guards, the Windows version check and its
// registration as a run-time class.
#include <gtest/gtest.h>
#include <functional>
#include <new>
#include <set>
#include "Support.h"
#include "wmi/WMIClient.h"
#include "wmi/WindowsVersion.h"

namespace {

const char16_t kFirst[] = u"PCI\\VEN_1234&DEV_5678\\4&1&0_0";
const char16_t kSecond[] = u"PCI\\VEN_1234&DEV_5678\\4&2&0_0";
const char16_t kQuery[] = u"SELECT * FROM MSPower_DeviceEnable WHERE InstanceName LIKE \"%PCI\\\\VEN_1234&DEV_5678%\"";
const char16_t kNoMatch[] = u"SELECT * FROM MSPower_DeviceEnable WHERE InstanceName LIKE \"%USB\\\\VID_0BDA%\"";

// The platform calls of the client, in order; ConnectServer with the security flags it was given.
std::string Trace() {
    static const std::set<std::string> kApis = {"CoInitializeEx", "CoUninitialize", "CoInitializeSecurity",
                                                "CoCreateInstance", "GetVersionExW", "ConnectServer",
                                                "CoSetProxyBlanket", "ExecQuery", "Next", "Put", "PutInstance"};
    std::string trace;
    for (const sim::Call& call : sim::machine().calls.All()) {
        if (!kApis.count(call.api)) continue;
        if (!trace.empty()) trace += ' ';
        trace += call.api;
        if (call.api == "ConnectServer") trace += "/" + Utf8(call.detail.substr(call.detail.find(u"flags ") + 6));
    }
    return trace;
}

// Every interface released, and released before each CoUninitialize; no BSTR left.
void ExpectNothingLeaked() {
    const sim::Machine& m = sim::machine();
    EXPECT_EQ(0, m.com.liveObjects);
    EXPECT_EQ(std::vector<long>(m.com.liveObjectsAtCoUninitialize.size(), 0), m.com.liveObjectsAtCoUninitialize);
    EXPECT_EQ(0, m.automation.liveStrings);
}

void ResetWmiMachine() {
    sim::Reset();
    CWMIClient::s_hrComSecurity = 1;
    for (const char16_t* name : {kFirst, kSecond})
        sim::machine().wmi.AddInstance(u"MSPower_DeviceEnable", name, {{u"Active", true}, {u"Enable", false}});
}

VARIANT True() {
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_BOOL;
    v.boolVal = VARIANT_TRUE;
    return v;
}

constexpr HRESULT H(uint32_t code) { return static_cast<HRESULT>(code); }

enum class Op { Connect, ConnectWithoutMemory, Query, QueryNoMatch, QueryNull, Next, Put, PutNull, NewClient };

struct Step {
    Op op;
    HRESULT expected;
};

TEST(WMIClient, StatesAndResultCodes) {
    const HRESULT kAccessDenied = static_cast<HRESULT>(0x80070005);
    struct Case {
        const char* name;
        std::function<void(sim::Machine&)> stage;
        std::vector<Step> steps;
        HRESULT lastResult;
        std::string trace;
        std::vector<std::string> writes;
        HRESULT security;  // s_hrComSecurity afterwards
    } cases[] = {
        {"connect, query and write",
         nullptr,
         {{Op::Connect, 0}, {Op::Query, 0}, {Op::Put, 0}},
         0,
         "CoInitializeEx CoInitializeSecurity CoCreateInstance GetVersionExW ConnectServer/0x80 CoSetProxyBlanket "
         "ExecQuery Next Put PutInstance CoUninitialize",
         {"MSPower_DeviceEnable \"PCI\\VEN_1234&DEV_5678\\4&1&0_0\" Enable=TRUE"},
         0},
        {"connect on a connected client makes no call",
         nullptr,
         {{Op::Connect, 0}, {Op::Connect, 0}},
         0,
         "CoInitializeEx CoInitializeSecurity CoCreateInstance GetVersionExW ConnectServer/0x80 CoSetProxyBlanket "
         "CoUninitialize",
         {},
         0},
        {"security already set: RPC_E_TOO_LATE counts as success, later clients skip it",
         [](sim::Machine& m) { m.com.securityInitialized = true; },
         {{Op::Connect, 0}, {Op::NewClient, 0}, {Op::Connect, 0}},
         0,
         "CoInitializeEx CoInitializeSecurity CoCreateInstance GetVersionExW ConnectServer/0x80 CoSetProxyBlanket "
         "CoUninitialize CoInitializeEx CoCreateInstance GetVersionExW ConnectServer/0x80 CoSetProxyBlanket "
         "CoUninitialize",
         {},
         0},
        {"security failing is returned and tried again by the next connect, reusing the guard",
         [&](sim::Machine& m) { m.faults.Add({"CoInitializeSecurity", u"", 1, kAccessDenied}); },
         {{Op::Connect, kAccessDenied}, {Op::Connect, 0}},
         0,
         "CoInitializeEx CoInitializeSecurity CoInitializeSecurity CoCreateInstance GetVersionExW ConnectServer/0x80 "
         "CoSetProxyBlanket CoUninitialize",
         {},
         0},
        {"security failing stays recorded for the process",
         [&](sim::Machine& m) { m.faults.Add({"CoInitializeSecurity", u"", 0, kAccessDenied}); },
         {{Op::Connect, kAccessDenied}},
         kAccessDenied,
         "CoInitializeEx CoInitializeSecurity CoUninitialize",
         {},
         kAccessDenied},
        {"thread in a multithreaded apartment: connects, no CoUninitialize",
         [](sim::Machine&) { CoInitializeEx(nullptr, COINIT_MULTITHREADED); },
         {{Op::Connect, 0}, {Op::Query, 0}},
         0,
         "CoInitializeEx CoInitializeSecurity CoCreateInstance GetVersionExW ConnectServer/0x80 CoSetProxyBlanket "
         "ExecQuery Next",
         {},
         0},
        {"Windows 2000 connects without WBEM_FLAG_CONNECT_USE_MAX_WAIT",
         [](sim::Machine& m) { m.version = {5, 0, 2195, u"Service Pack 4"}; },
         {{Op::Connect, 0}},
         0,
         "CoInitializeEx CoInitializeSecurity CoCreateInstance GetVersionExW ConnectServer/0x0 CoSetProxyBlanket "
         "CoUninitialize",
         {},
         0},
        {"Windows XP connects with it",
         [](sim::Machine& m) { m.version = {5, 1, 2600, u"Service Pack 3"}; },
         {{Op::Connect, 0}},
         0,
         "CoInitializeEx CoInitializeSecurity CoCreateInstance GetVersionExW ConnectServer/0x80 CoSetProxyBlanket "
         "CoUninitialize",
         {},
         0},
        {"a failing proxy blanket leaves the client unconnected",
         [&](sim::Machine& m) { m.faults.Add({"CoSetProxyBlanket", u"", 0, kAccessDenied}); },
         {{Op::Connect, kAccessDenied}, {Op::Query, H(WBEM_E_INITIALIZATION_FAILURE)}},
         H(WBEM_E_INITIALIZATION_FAILURE),
         "CoInitializeEx CoInitializeSecurity CoCreateInstance GetVersionExW ConnectServer/0x80 CoSetProxyBlanket "
         "CoUninitialize",
         {},
         0},
        {"no locator",
         [](sim::Machine& m) { m.faults.Add({"CoCreateInstance", u"", 0, REGDB_E_CLASSNOTREG}); },
         {{Op::Connect, REGDB_E_CLASSNOTREG}},
         REGDB_E_CLASSNOTREG,
         "CoInitializeEx CoInitializeSecurity CoCreateInstance CoUninitialize",
         {},
         0},
        {"the namespace refused",
         [](sim::Machine& m) { m.faults.Add({"ConnectServer", u"", 0, H(WBEM_E_ACCESS_DENIED)}); },
         {{Op::Connect, H(WBEM_E_ACCESS_DENIED)}, {Op::Put, H(WBEM_E_NOT_FOUND)}},
         H(WBEM_E_NOT_FOUND),
         "CoInitializeEx CoInitializeSecurity CoCreateInstance GetVersionExW ConnectServer/0x80 CoUninitialize",
         {},
         0},
        {"query and write before connecting",
         nullptr,
         {{Op::Query, H(WBEM_E_INITIALIZATION_FAILURE)}, {Op::Put, H(WBEM_E_NOT_FOUND)}},
         H(WBEM_E_NOT_FOUND),
         "",
         {},
         1},
        {"NULL arguments before connecting leave the initial result",
         nullptr,
         {{Op::QueryNull, ERROR_INVALID_PARAMETER}, {Op::PutNull, ERROR_INVALID_PARAMETER}},
         H(WBEM_E_INITIALIZATION_FAILURE),
         "",
         {},
         1},
        {"NULL arguments when positioned leave the last result",
         nullptr,
         {{Op::Connect, 0}, {Op::Query, 0}, {Op::QueryNull, ERROR_INVALID_PARAMETER}, {Op::PutNull, ERROR_INVALID_PARAMETER}},
         0,
         "CoInitializeEx CoInitializeSecurity CoCreateInstance GetVersionExW ConnectServer/0x80 CoSetProxyBlanket "
         "ExecQuery Next CoUninitialize",
         {},
         0},
        {"a query matching nothing leaves no current object",
         nullptr,
         {{Op::Connect, 0}, {Op::QueryNoMatch, H(WBEM_S_FALSE)}, {Op::Put, H(WBEM_E_NOT_FOUND)}},
         H(WBEM_E_NOT_FOUND),
         "CoInitializeEx CoInitializeSecurity CoCreateInstance GetVersionExW ConnectServer/0x80 CoSetProxyBlanket "
         "ExecQuery Next CoUninitialize",
         {},
         0},
        {"Put failing: no PutInstance",
         [](sim::Machine& m) { m.faults.Add({"Put", u"", 0, H(WBEM_E_TYPE_MISMATCH)}); },
         {{Op::Connect, 0}, {Op::Query, 0}, {Op::Put, H(WBEM_E_TYPE_MISMATCH)}},
         H(WBEM_E_TYPE_MISMATCH),
         "CoInitializeEx CoInitializeSecurity CoCreateInstance GetVersionExW ConnectServer/0x80 CoSetProxyBlanket "
         "ExecQuery Next Put CoUninitialize",
         {},
         0},
        {"PutInstance failing",
         [](sim::Machine& m) { m.faults.Add({"PutInstance", u"", 0, H(WBEM_E_ACCESS_DENIED)}); },
         {{Op::Connect, 0}, {Op::Query, 0}, {Op::Put, H(WBEM_E_ACCESS_DENIED)}},
         H(WBEM_E_ACCESS_DENIED),
         "CoInitializeEx CoInitializeSecurity CoCreateInstance GetVersionExW ConnectServer/0x80 CoSetProxyBlanket "
         "ExecQuery Next Put PutInstance CoUninitialize",
         {},
         0},
        {"the query refused: no Next",
         [](sim::Machine& m) { m.faults.Add({"ExecQuery", u"", 0, H(WBEM_E_ACCESS_DENIED)}); },
         {{Op::Connect, 0}, {Op::Query, H(WBEM_E_ACCESS_DENIED)}, {Op::Next, H(WBEM_E_INITIALIZATION_FAILURE)}},
         H(WBEM_E_INITIALIZATION_FAILURE),
         "CoInitializeEx CoInitializeSecurity CoCreateInstance GetVersionExW ConnectServer/0x80 CoSetProxyBlanket "
         "ExecQuery CoUninitialize",
         {},
         0},
        {"Next moves on; each write goes to the current object, each makes its own PutInstance",
         nullptr,
         {{Op::Connect, 0}, {Op::Query, 0}, {Op::Put, 0}, {Op::Next, 0}, {Op::Put, 0}, {Op::Put, 0},
          {Op::Next, H(WBEM_S_FALSE)}, {Op::Put, H(WBEM_E_NOT_FOUND)}},
         H(WBEM_E_NOT_FOUND),
         "CoInitializeEx CoInitializeSecurity CoCreateInstance GetVersionExW ConnectServer/0x80 CoSetProxyBlanket "
         "ExecQuery Next Put PutInstance Next Put PutInstance Put PutInstance Next CoUninitialize",
         {"MSPower_DeviceEnable \"PCI\\VEN_1234&DEV_5678\\4&1&0_0\" Enable=TRUE",
          "MSPower_DeviceEnable \"PCI\\VEN_1234&DEV_5678\\4&2&0_0\" Enable=TRUE",
          "MSPower_DeviceEnable \"PCI\\VEN_1234&DEV_5678\\4&2&0_0\""},
         0},
        {"Next timing out counts as failure",
         [](sim::Machine& m) { m.faults.Add({"Next", u"", 1, H(WBEM_S_TIMEDOUT)}); },
         {{Op::Connect, 0}, {Op::Query, H(WBEM_S_TIMEDOUT)}, {Op::Put, H(WBEM_E_NOT_FOUND)}, {Op::Next, 0}},
         0,
         "CoInitializeEx CoInitializeSecurity CoCreateInstance GetVersionExW ConnectServer/0x80 CoSetProxyBlanket "
         "ExecQuery Next Next CoUninitialize",
         {},
         0},
        {"the COM guard cannot be allocated, then can",
         nullptr,
         {{Op::ConnectWithoutMemory, ERROR_NOT_ENOUGH_MEMORY}, {Op::Connect, 0}},
         0,
         "CoInitializeEx CoInitializeSecurity CoCreateInstance GetVersionExW ConnectServer/0x80 CoSetProxyBlanket "
         "CoUninitialize",
         {},
         0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ResetWmiMachine();
        if (c.stage) c.stage(sim::machine());
        sim::machine().calls.Clear();
        const VARIANT value = True();
        auto client = std::make_unique<CWMIClient>();
        for (const Step& step : c.steps) {
            HRESULT hr = 0;
            switch (step.op) {
            case Op::Connect: hr = client->Connect(); break;
            case Op::ConnectWithoutMemory:
                FailAllocationAfter(1);
                hr = client->Connect();
                FailAllocationAfter(0);
                break;
            case Op::Query: hr = client->ExecQuery(kQuery); break;
            case Op::QueryNoMatch: hr = client->ExecQuery(kNoMatch); break;
            case Op::QueryNull: hr = client->ExecQuery(nullptr); break;
            case Op::Next: hr = client->Next(); break;
            case Op::Put: hr = client->PutProperty(TEXT("Enable"), &value); break;
            case Op::PutNull: hr = client->PutProperty(nullptr, &value); break;
            case Op::NewClient: client = std::make_unique<CWMIClient>(); break;
            }
            EXPECT_EQ(step.expected, hr);
        }
        EXPECT_EQ(c.lastResult, client->m_hr);
        client.reset();
        EXPECT_EQ(c.trace, Trace());
        EXPECT_EQ(c.writes, sim::machine().wmi.WriteTexts());
        EXPECT_EQ(c.security, CWMIClient::s_hrComSecurity);
        ExpectNothingLeaked();
    }
}

TEST(WMIClient, PlatformCallsCarryTheirArguments) {
    ResetWmiMachine();
    const VARIANT value = True();
    {
        CWMIClient client;
        ASSERT_EQ(0, client.Connect());
        ASSERT_EQ(0, client.ExecQuery(kQuery));
        ASSERT_EQ(0, client.PutProperty(TEXT("Enable"), &value));
    }
    std::vector<std::string> calls;
    for (const sim::Call& call : sim::machine().calls.All())
        if (call.api != "SysAllocString") calls.push_back(call.api + ": " + Utf8(call.detail));
    EXPECT_EQ((std::vector<std::string>{
                  "CoInitializeEx: 2",
                  "CoInitializeSecurity: authentication services -1, level 0, impersonation 3, capabilities 0",
                  "CoCreateInstance: {4590F811-1D3A-11D0-891F-00AA004B2E24}; context 0x1",
                  "GetVersionExW: 276",
                  "ConnectServer: \\\\.\\root\\wmi; flags 0x80",
                  "CoSetProxyBlanket: authentication 10, authorisation 0, level 0, impersonation 3, capabilities 0",
                  "ExecQuery: WQL " + Utf8(kQuery) + "; flags 0x20",
                  "Next: " + Utf8(kQuery) + "; timeout 10000, count 1",
                  "Put: MSPower_DeviceEnable.Enable; flags 0x0, type 0",
                  "PutInstance: MSPower_DeviceEnable PCI\\VEN_1234&DEV_5678\\4&1&0_0; flags 0x1",
                  "CoUninitialize: ",
              }),
              calls);
}

TEST(WMIClient, NextWaitsTenSecondsBeforeTimingOut) {
    ResetWmiMachine();
    sim::machine().faults.Add({"Next", u"", 0, WBEM_S_TIMEDOUT});
    uint64_t before = sim::machine().clock.NowMs();
    CWMIClient client;
    ASSERT_EQ(0, client.Connect());
    EXPECT_EQ(static_cast<HRESULT>(WBEM_S_TIMEDOUT), client.ExecQuery(kQuery));
    EXPECT_EQ(10000u, sim::machine().clock.NowMs() - before);
}

TEST(WMIClient, NamespacePathWithoutMemoryIsRaised) {
    ResetWmiMachine();
    sim::machine().faults.Add({"SysAllocString", u"", 1, 0});
    {
        CWMIClient client;
        EXPECT_THROW(client.Connect(), std::bad_alloc);
        EXPECT_TRUE(client.m_pServices == nullptr);
    }
    EXPECT_EQ(1, sim::machine().apartments.CoUninitializeCalls);
    ExpectNothingLeaked();
}

TEST(WMIClient, RegisteredAsCreatableRunTimeClass) {
    const CRuntimeClass* runtimeClass = CRuntimeClass::FromName("CWMIClient");
    ASSERT_NE(nullptr, runtimeClass);
    EXPECT_EQ(0u, runtimeClass->m_wSchema);
    std::unique_ptr<CObject> object(CRuntimeClass::CreateObject("CWMIClient"));
    ASSERT_NE(nullptr, object);
    EXPECT_TRUE(object->IsKindOf(RUNTIME_CLASS(CObject)));
    auto* client = dynamic_cast<CWMIClient*>(object.get());
    ASSERT_NE(nullptr, client);
    EXPECT_EQ(static_cast<HRESULT>(WBEM_E_INITIALIZATION_FAILURE), client->m_hr);
    EXPECT_EQ(nullptr, client->m_pComInit);
    EXPECT_TRUE(client->m_pServices == nullptr && client->m_pEnum == nullptr && client->m_pObject == nullptr);
}

TEST(AutoInitializeCOM, UndoesOnlyASuccessfulInitialisation) {
    struct Case {
        const char* name;
        std::function<void()> before;
        HRESULT hr;
        int uninitialisations;
    } cases[] = {
        {"fresh thread", [] {}, S_OK, 1},
        {"thread already in a single-threaded apartment", [] { OleInitialize(nullptr); }, S_FALSE, 1},
        {"thread in a multithreaded apartment", [] { CoInitializeEx(nullptr, COINIT_MULTITHREADED); },
         RPC_E_CHANGED_MODE, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        sim::Reset();
        c.before();
        {
            CAutoInitializeCOM guard;
            EXPECT_EQ(c.hr, guard.m_hr);
        }
        EXPECT_EQ(c.uninitialisations, sim::machine().apartments.CoUninitializeCalls);
    }
}

TEST(IsWindowsXPOrLater, Versions) {
    struct Case {
        DWORD major, minor;
        bool expected;
    } cases[] = {{4, 10, false}, {5, 0, false}, {5, 1, true}, {5, 2, true}, {6, 0, true}, {6, 1, true}, {10, 0, true}};
    for (const Case& c : cases) {
        sim::Reset();
        sim::machine().version.major = c.major;
        sim::machine().version.minor = c.minor;
        EXPECT_EQ(c.expected, IsWindowsXPOrLater()) << c.major << "." << c.minor;
    }
    sim::Reset();
    sim::machine().faults.Add({"GetVersionExW", u"", 0, FALSE, ERROR_INVALID_PARAMETER});
    EXPECT_FALSE(IsWindowsXPOrLater());
}

}  // namespace
