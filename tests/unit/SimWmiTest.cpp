// The simulated machine's COM and WMI: WQL as WMI reads it, the rules of Put and PutInstance, and
// the COM calls' refusals.
#include <gtest/gtest.h>
#include "Support.h"
#include "platform/Platform.h"
#include "framework/CComBSTR.h"
#include "framework/CComPtr.h"

namespace {

constexpr HRESULT H(uint32_t code) { return static_cast<HRESULT>(code); }

TEST(SimWql, Like) {
    struct Case {
        const char16_t* text;
        const char16_t* pattern;
        bool matches;
    } cases[] = {
        {u"PCI\\VEN_8086&DEV_10EA\\3&1_0", u"%PCI\\VEN_8086&DEV_10EA%", true},
        {u"pci\\ven_8086&dev_10ea\\3&1_0", u"%PCI\\VEN_8086&DEV_10EA%", true},  // case ignored
        {u"PCI\\VEN_8086&DEV_10EB\\3&1_0", u"%PCI\\VEN_8086&DEV_10EA%", false},
        {u"PCI\\VENX8086", u"PCI\\VEN_8086", true},                               // _ is any one character
        {u"PCI\\VEN8086", u"PCI\\VEN_8086", false},
        {u"ab", u"a%%b", true},
        {u"", u"%", true},
        {u"abc", u"a[a-c]c", true},
        {u"abc", u"a[^a-c]c", false},
        {u"axc", u"a[^a-c]c", true},
        {u"a_c", u"a[_]c", true},
        {u"abc", u"a[_]c", false},
        {u"aec", u"a[d=f]c", true},
        {u"USB\\VID_0BDA", u"%PCI%", false},
        {u"xxPCIxxPCI", u"%PCI", true},
    };
    for (const Case& c : cases)
        EXPECT_EQ(std::optional<bool>(c.matches), sim::WqlLike(c.text, c.pattern)) << Utf8(c.text) << " / " << Utf8(c.pattern);
    EXPECT_EQ(std::nullopt, sim::WqlLike(u"a", u"[a"));
}

class SimWmi : public ::testing::Test {
protected:
    void SetUp() override {
        sim::Reset();
        OleInitialize(nullptr);
        sim::machine().wmi.AddInstance(u"MSPower_DeviceEnable", u"PCI\\VEN_1\\2_0", {{u"Enable", false}});
        CComPtr<IWbemLocator> locator;
        ASSERT_EQ(S_OK, CoCreateInstance(CLSID_WbemLocator, nullptr, CLSCTX_INPROC_SERVER, IID_IWbemLocator,
                                         reinterpret_cast<void**>(&locator)));
        ASSERT_EQ(S_OK, locator->ConnectServer(CComBSTR(u"\\\\.\\ROOT\\WMI"), nullptr, nullptr, nullptr, 0, nullptr,
                                               nullptr, &services));
    }
    void TearDown() override {
        services.Release();
        EXPECT_EQ(0, sim::machine().com.liveObjects);
    }
    HRESULT Query(const char16_t* text, IEnumWbemClassObject** result) {
        return services->ExecQuery(CComBSTR(u"WQL"), CComBSTR(text), WBEM_FLAG_FORWARD_ONLY, nullptr, result);
    }
    // The instance names that a query finds, in order, as the writes back to each instance found.
    std::vector<std::string> Found(const char16_t* wakeCondition) {
        auto& wmi = sim::machine().wmi;
        for (sim::WmiInstance& instance : wmi.Class(u"MSPower_DeviceWakeEnable")->instances)
            instance.values[u"Enable"] = false;
        wmi.writes.clear();
        std::u16string query = std::u16string(u"SELECT * FROM MSPower_DeviceWakeEnable WHERE ") + wakeCondition;
        CComPtr<IEnumWbemClassObject> result;
        if (services->ExecQuery(CComBSTR(u"WQL"), CComBSTR(query.c_str()), 0, nullptr, &result) != S_OK)
            return {"refused"};
        VARIANT on;
        VariantInit(&on);
        on.vt = VT_BOOL;
        on.boolVal = VARIANT_TRUE;
        for (;;) {
            CComPtr<IWbemClassObject> object;
            ULONG returned = 0;
            if (result->Next(0, 1, &object, &returned) != S_OK) break;
            object->Put(u"Enable", 0, &on, 0);
            services->PutInstance(object, WBEM_FLAG_UPDATE_ONLY, nullptr, nullptr);
        }
        std::vector<std::string> names;
        for (const sim::WmiWrite& write : wmi.writes) names.push_back(Utf8(write.instanceName));
        return names;
    }
    CComPtr<IWbemServices> services;
};

TEST_F(SimWmi, QueryTexts) {
    struct Case {
        const char16_t* query;
        HRESULT result;
        bool found;
    } cases[] = {
        {u"SELECT * FROM MSPower_DeviceEnable WHERE InstanceName LIKE \"%PCI\\\\VEN_1%\"", S_OK, true},
        {u"select * from mspower_deviceenable where instancename like '%pci\\\\ven_1%'", S_OK, true},
        {u"SELECT * FROM MSPower_DeviceEnable WHERE InstanceName = \"PCI\\\\VEN_1\\\\2_0\"", S_OK, true},
        {u"SELECT * FROM MSPower_DeviceEnable", S_OK, true},
        {u"SELECT * FROM MSPower_DeviceWakeEnable", S_OK, false},
        // A single backslash in a string literal is not an escape WMI knows.
        {u"SELECT * FROM MSPower_DeviceEnable WHERE InstanceName LIKE \"%PCI\\VEN_1%\"", H(WBEM_E_INVALID_QUERY), false},
        {u"SELECT * FROM MSPower_DeviceEnable WHERE InstanceName LIKE \"%PCI", H(WBEM_E_INVALID_QUERY), false},
        {u"SELECT * FROM MSPower_DeviceEnable WHERE InstanceName LIKE \"[PCI\"", H(WBEM_E_INVALID_QUERY), false},
        {u"SELECT * FROM MSPower_DeviceEnable WHERE Missing LIKE \"%\"", H(WBEM_E_INVALID_QUERY), false},
        {u"SELECT * FROM Win32_NetworkAdapter", H(WBEM_E_INVALID_CLASS), false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(Utf8(c.query));
        CComPtr<IEnumWbemClassObject> result;
        EXPECT_EQ(c.result, Query(c.query, &result));
        EXPECT_EQ(c.result == S_OK, result != nullptr);
        if (!result) continue;
        CComPtr<IWbemClassObject> object;
        ULONG returned = 7;
        EXPECT_EQ(c.found ? S_OK : H(WBEM_S_FALSE), result->Next(WBEM_INFINITE, 1, &object, &returned));
        EXPECT_EQ(c.found ? 1u : 0u, returned);
    }
    CComPtr<IEnumWbemClassObject> result;
    EXPECT_EQ(H(WBEM_E_INVALID_QUERY_TYPE),
              services->ExecQuery(CComBSTR(u"SQL"), CComBSTR(u"SELECT * FROM MSPower_DeviceEnable"), 0, nullptr, &result));
}

TEST_F(SimWmi, PutChangesTheCopyAndPutInstanceWritesItBack) {
    CComPtr<IEnumWbemClassObject> result;
    ASSERT_EQ(S_OK, Query(u"SELECT * FROM MSPower_DeviceEnable", &result));
    CComPtr<IWbemClassObject> object;
    ULONG returned = 0;
    ASSERT_EQ(S_OK, result->Next(0, 1, &object, &returned));

    VARIANT on;
    VariantInit(&on);
    on.vt = VT_BOOL;
    on.boolVal = VARIANT_TRUE;
    VARIANT number;
    VariantInit(&number);
    number.vt = VT_I4;
    number.lVal = 1;
    EXPECT_EQ(H(WBEM_E_NOT_FOUND), object->Put(u"Missing", 0, &on, 0));
    EXPECT_EQ(H(WBEM_E_TYPE_MISMATCH), object->Put(u"Enable", 0, &number, 0));
    EXPECT_EQ(H(WBEM_E_TYPE_MISMATCH), object->Put(u"Enable", 0, &on, CIM_STRING));
    EXPECT_EQ(S_OK, object->Put(u"enable", 0, &on, 0));
    // Only the copy changed so far.
    EXPECT_EQ(sim::WmiValue(false), sim::machine().wmi.Value(u"MSPower_DeviceEnable", u"PCI\\VEN_1\\2_0", u"Enable"));
    EXPECT_EQ(S_OK, services->PutInstance(object, WBEM_FLAG_UPDATE_ONLY, nullptr, nullptr));
    EXPECT_EQ(sim::WmiValue(true), sim::machine().wmi.Value(u"MSPower_DeviceEnable", u"PCI\\VEN_1\\2_0", u"Enable"));
    // The write knows its PutInstance call in the record, so a reader can tell which step made it.
    const auto& calls = sim::machine().calls.All();
    ASSERT_EQ(1u, sim::machine().wmi.writes.size());
    ASSERT_LT(sim::machine().wmi.writes[0].call, calls.size());
    EXPECT_EQ("PutInstance", calls[sim::machine().wmi.writes[0].call].api);
    EXPECT_EQ(calls.size() - 1, sim::machine().wmi.writes[0].call);
    EXPECT_EQ(H(WBEM_E_ALREADY_EXISTS), services->PutInstance(object, WBEM_FLAG_CREATE_ONLY, nullptr, nullptr));

    // An instance that went away is not made again by an update.
    sim::machine().wmi.Class(u"MSPower_DeviceEnable")->instances.clear();
    EXPECT_EQ(H(WBEM_E_NOT_FOUND), services->PutInstance(object, WBEM_FLAG_UPDATE_ONLY, nullptr, nullptr));
    EXPECT_EQ(std::vector<std::string>{"MSPower_DeviceEnable \"PCI\\VEN_1\\2_0\" Enable=TRUE"},
              sim::machine().wmi.WriteTexts());
}

// A condition on InstanceName is looked up in the class's name index: what it finds, and in
// which order, must be what a look at every instance finds, also after instances come and go.
TEST_F(SimWmi, KeyConditionsFindWhatEveryInstanceWouldGive) {
    const std::string a = "PCI\\VEN_8086&DEV_10EA&SUBSYS_00011028\\3_0";
    const std::string b = "PCI\\VEN_8086&DEV_10EA&SUBSYS_00021028\\3_0";
    const std::string c = "pci\\ven_8086&dev_10ea&subsys_00031028\\3_0";
    const std::string d = "PCI\\VEN_10EC&DEV_8168\\4_0";
    for (const std::string& name : {a, b, c, d})
        sim::machine().wmi.AddInstance(u"MSPower_DeviceWakeEnable", sim::FromUtf8(name), {{u"Enable", false}});

    struct Case {
        const char16_t* condition;
        std::vector<std::string> found;
    } cases[] = {
        {u"InstanceName LIKE \"%PCI\\\\VEN_8086&DEV_10EA&SUBSYS_00021028%\"", {b}},
        {u"InstanceName LIKE \"%PCI\\\\VEN_8086&DEV_10EA&SUBSYS_00031028%\"", {c}},  // case ignored
        {u"instancename like \"%DEV_10EA%\"", {a, b, c}},
        {u"InstanceName LIKE \"%SUBSYS_000_1028%\"", {a, b, c}},
        {u"InstanceName LIKE \"%SUBSYS_000[13]1028%\"", {a, c}},
        {u"InstanceName = \"pci\\\\VEN_10EC&DEV_8168\\\\4_0\"", {d}},
        {u"InstanceName = \"PCI\\\\VEN_10EC&DEV_8168\"", {}},
        {u"InstanceName LIKE \"%_0\"", {a, b, c, d}},  // no piece long enough to look up
        {u"InstanceName LIKE \"%VEN_9999%\"", {}},
    };
    for (const Case& k : cases) EXPECT_EQ(k.found, Found(k.condition)) << Utf8(k.condition);

    const std::string e = "PCI\\VEN_8086&DEV_10EA&SUBSYS_00051028\\3_0";
    sim::machine().wmi.AddInstance(u"MSPower_DeviceWakeEnable", sim::FromUtf8(e), {{u"Enable", false}});
    EXPECT_EQ((std::vector<std::string>{a, b, c, e}), Found(u"InstanceName LIKE \"%DEV_10EA%\""));
    sim::machine().wmi.Class(u"MSPower_DeviceWakeEnable")->instances.clear();
    sim::machine().wmi.AddInstance(u"MSPower_DeviceWakeEnable", sim::FromUtf8(d), {{u"Enable", false}});
    EXPECT_EQ(std::vector<std::string>{}, Found(u"InstanceName LIKE \"%DEV_10EA%\""));
    EXPECT_EQ(std::vector<std::string>{d}, Found(u"InstanceName LIKE \"%DEV_8168%\""));
}

TEST(SimCom, Refusals) {
    sim::Reset();
    CComPtr<IWbemLocator> locator;
    // Before COM is initialised on the thread.
    EXPECT_EQ(CO_E_NOTINITIALIZED, CoCreateInstance(CLSID_WbemLocator, nullptr, CLSCTX_INPROC_SERVER, IID_IWbemLocator,
                                                    reinterpret_cast<void**>(&locator)));
    EXPECT_EQ(CO_E_NOTINITIALIZED, CoInitializeSecurity(nullptr, -1, nullptr, nullptr, 0, 3, nullptr, 0, nullptr));
    ASSERT_EQ(S_OK, CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
    EXPECT_EQ(S_OK, CoInitializeSecurity(nullptr, -1, nullptr, nullptr, 0, 3, nullptr, 0, nullptr));
    EXPECT_EQ(RPC_E_TOO_LATE, CoInitializeSecurity(nullptr, -1, nullptr, nullptr, 0, 3, nullptr, 0, nullptr));
    EXPECT_EQ(REGDB_E_CLASSNOTREG, CoCreateInstance(IID_IWbemServices, nullptr, CLSCTX_INPROC_SERVER, IID_IWbemLocator,
                                                    reinterpret_cast<void**>(&locator)));
    EXPECT_EQ(E_NOINTERFACE, CoCreateInstance(CLSID_WbemLocator, nullptr, CLSCTX_INPROC_SERVER, IID_IWbemServices,
                                              reinterpret_cast<void**>(&locator)));
    ASSERT_EQ(S_OK, CoCreateInstance(CLSID_WbemLocator, nullptr, CLSCTX_INPROC_SERVER, IID_IWbemLocator,
                                     reinterpret_cast<void**>(&locator)));
    // The locator lives in this process: no proxy, no blanket.
    EXPECT_EQ(E_NOINTERFACE, CoSetProxyBlanket(locator, 10, 0, nullptr, 0, 3, nullptr, 0));
    CComPtr<IWbemServices> services;
    EXPECT_EQ(H(WBEM_E_INVALID_NAMESPACE),
              locator->ConnectServer(CComBSTR(u"\\\\.\\root\\cimv2"), nullptr, nullptr, nullptr, 0, nullptr, nullptr, &services));
    EXPECT_EQ(H(WBEM_E_LOCAL_CREDENTIALS),
              locator->ConnectServer(CComBSTR(sim::kWmiNamespace), CComBSTR(u"admin"), nullptr, nullptr, 0, nullptr,
                                     nullptr, &services));
    EXPECT_TRUE(services == nullptr);
    EXPECT_EQ(1, sim::machine().com.liveObjects);
    locator.Release();
    CoUninitialize();
    EXPECT_EQ(std::vector<long>{0}, sim::machine().com.liveObjectsAtCoUninitialize);
}

}  // namespace
