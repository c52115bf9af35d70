// The simulated machine's SetupAPI: the devices of a class from the Enum tree, and the protocol of
// their registry properties.
#include <gtest/gtest.h>
#include <cstring>
#include "Support.h"
#include "platform/Platform.h"

namespace {

const char16_t kIntel[] = u"PCI\\VEN_8086&DEV_10EA&SUBSYS_040B1028&REV_06\\3&21436425&0&C8";

class SimSetupApi : public ::testing::Test {
protected:
    void SetUp() override {
        sim::Reset();
        sim::NetworkAdapter a;
        a.instanceId = kIntel;
        a.description = u"@net1yx32.inf,%e10ea.devicedesc%;Intel(R) 82577LM Gigabit Network Connection";
        a.driverIndex = 7;
        sim::AddNetworkAdapter(sim::machine(), a);
        sim::NetworkAdapter gone;
        gone.instanceId = u"USB\\VID_0BDA&PID_8153\\000001";
        gone.description = u"Realtek USB GbE Family Controller";
        gone.driverIndex = -1;
        gone.present = false;
        sim::AddNetworkAdapter(sim::machine(), gone);
    }
    void TearDown() override { EXPECT_EQ(0u, sim::machine().handles.Open()); }
};

std::u16string Text(const std::vector<BYTE>& bytes) {
    return std::u16string(reinterpret_cast<const char16_t*>(bytes.data()), bytes.size() / 2);
}

TEST_F(SimSetupApi, PropertiesFollowTheBufferProtocol) {
    HDEVINFO set = SetupDiGetClassDevsW(&GUID_DEVCLASS_NET, nullptr, nullptr, 0);
    ASSERT_NE(INVALID_HANDLE_VALUE, set);
    SP_DEVINFO_DATA device = {};
    device.cbSize = sizeof device;
    ASSERT_TRUE(SetupDiEnumDeviceInfo(set, 0, &device));  // PCI sorts before USB
    EXPECT_EQ(GUID_DEVCLASS_NET, device.ClassGuid);

    struct Case {
        DWORD property;
        DWORD type;
        std::u16string value;  // with its terminators
    } cases[] = {
        {SPDRP_DEVICEDESC, REG_SZ, std::u16string(u"Intel(R) 82577LM Gigabit Network Connection") + u'\0'},
        {SPDRP_DRIVER, REG_SZ, std::u16string(u"{4d36e972-e325-11ce-bfc1-08002be10318}\\0007") + u'\0'},
        {SPDRP_ENUMERATOR_NAME, REG_SZ, std::u16string(u"PCI") + u'\0'},
        {SPDRP_HARDWAREID, REG_MULTI_SZ,
         std::u16string(u"PCI\\VEN_8086&DEV_10EA&SUBSYS_040B1028&REV_06") + u'\0' + u"PCI\\VEN_8086&DEV_10EA&SUBSYS_040B1028" +
             u'\0' + u'\0'},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.property);
        DWORD required = 0, type = 0;
        EXPECT_FALSE(SetupDiGetDeviceRegistryPropertyW(set, &device, c.property, &type, nullptr, 0, &required));
        EXPECT_EQ(static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER), GetLastError());
        EXPECT_EQ(c.value.size() * 2, required);
        std::vector<BYTE> buffer(required - 1);
        EXPECT_FALSE(SetupDiGetDeviceRegistryPropertyW(set, &device, c.property, &type, buffer.data(), required - 1, &required));
        EXPECT_EQ(static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER), GetLastError());
        buffer.resize(required);
        EXPECT_TRUE(SetupDiGetDeviceRegistryPropertyW(set, &device, c.property, &type, buffer.data(), required, &required));
        EXPECT_EQ(c.type, type);
        EXPECT_EQ(c.value, Text(buffer));
    }
    // The USB adapter has no driver installed.
    ASSERT_TRUE(SetupDiEnumDeviceInfo(set, 1, &device));
    DWORD required = 0;
    EXPECT_FALSE(SetupDiGetDeviceRegistryPropertyW(set, &device, SPDRP_DRIVER, nullptr, nullptr, 0, &required));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_DATA), GetLastError());
    EXPECT_FALSE(SetupDiEnumDeviceInfo(set, 2, &device));
    EXPECT_EQ(static_cast<DWORD>(ERROR_NO_MORE_ITEMS), GetLastError());
    EXPECT_TRUE(SetupDiDestroyDeviceInfoList(set));
    EXPECT_FALSE(SetupDiDestroyDeviceInfoList(set));
}

TEST_F(SimSetupApi, WhichDevicesASetHolds) {
    auto count = [](const GUID* cls, DWORD flags) {
        HDEVINFO set = SetupDiGetClassDevsW(cls, nullptr, nullptr, flags);
        if (set == INVALID_HANDLE_VALUE) return -1;
        SP_DEVINFO_DATA device = {};
        device.cbSize = sizeof device;
        int n = 0;
        while (SetupDiEnumDeviceInfo(set, n, &device)) ++n;
        SetupDiDestroyDeviceInfoList(set);
        return n;
    };
    const GUID display = {0x4d36e968, 0xe325, 0x11ce, {0xbf, 0xc1, 0x08, 0x00, 0x2b, 0xe1, 0x03, 0x18}};
    EXPECT_EQ(2, count(&GUID_DEVCLASS_NET, 0));              // present or not
    EXPECT_EQ(1, count(&GUID_DEVCLASS_NET, DIGCF_PRESENT));  // the USB adapter is unplugged
    EXPECT_EQ(0, count(&display, 0));
    sim::machine().faults.Add({"SetupDiGetClassDevsW", u"", 1, 0, ERROR_ACCESS_DENIED});
    EXPECT_EQ(-1, count(&GUID_DEVCLASS_NET, 0));
    EXPECT_EQ(static_cast<DWORD>(ERROR_ACCESS_DENIED), GetLastError());
    sim::machine().registry.Erase(sim::kEnumKey);
    EXPECT_EQ(0, count(&GUID_DEVCLASS_NET, 0));
}

}  // namespace
