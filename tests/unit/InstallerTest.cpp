// The installer object: registry strings, identity, the banner, the dialog search, and the module's
// life as Windows gives it to a DLL.
#include <gtest/gtest.h>
#include <cstring>
#include "Support.h"
#include "defaults/OSDefSet.h"
#include "host/AdvInstaller.h"
#include "host/RegistryString.h"

namespace {

std::vector<uint8_t> Bytes(const std::u16string& text, size_t size) {
    std::vector<uint8_t> data(size, 0);
    std::memcpy(data.data(), text.data(), std::min(size, text.size() * 2));
    return data;
}

TEST(ReadRegistryString, SizesAndTypes) {
    struct Case {
        const char* name;
        uint32_t type;
        std::vector<uint8_t> data;
        std::u16string expected;
    } cases[] = {
        {"10 bytes with terminator", REG_SZ, Bytes(u"ABCD", 10), u"ABCD"},
        {"8 bytes without terminator", REG_SZ, Bytes(u"ABCD", 8), u"ABCD"},
        {"0 bytes", REG_SZ, {}, u""},
        {"odd size", REG_SZ, Bytes(u"ABCD", 9), u"ABCD"},
        {"two terminators: one dropped", REG_SZ, Bytes(u"AB", 8), std::u16string(u"AB\0", 3)},
        {"expandable, not expanded", REG_EXPAND_SZ, Bytes(u"%SystemRoot%\\x", 30), u"%SystemRoot%\\x"},
        {"DWORD", REG_DWORD, {1, 0, 0, 0}, u""},
        {"multi-string", REG_MULTI_SZ, Bytes(u"A", 6), u""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        sim::Reset();
        sim::machine().registry.SetRaw(u"Software\\Test", u"Value", c.type, c.data);
        CString text = ReadRegistryString(TEXT("Software\\Test"), TEXT("Value"));
        EXPECT_EQ(c.expected, std::u16string(text.GetString(), text.GetLength()));
        EXPECT_EQ(0u, sim::machine().handles.Open());
    }
    sim::Reset();
    EXPECT_TRUE(ReadRegistryString(TEXT("Software\\Missing"), TEXT("Value")).IsEmpty());
    sim::machine().registry.Create(u"Software\\Test");
    EXPECT_TRUE(ReadRegistryString(TEXT("Software\\Test"), TEXT("Missing")).IsEmpty());
}

TEST(ReadRegistryString, ValueChangingBetweenTheTwoReadsGivesEmptyText) {
    for (long status : {ERROR_MORE_DATA, ERROR_FILE_NOT_FOUND}) {
        sim::Reset();
        sim::machine().registry.SetString(u"Software\\Test", u"Value", u"ABCD");
        sim::machine().faults.Add({"RegQueryValueExW", u"Software\\Test\\Value", 2, status});
        EXPECT_TRUE(ReadRegistryString(TEXT("Software\\Test"), TEXT("Value")).IsEmpty());
        EXPECT_EQ(0u, sim::machine().handles.Open());
    }
}

TEST(Installer, AppendBackslash) {
    struct Case {
        const char16_t* in;
        const char16_t* out;
    } cases[] = {{u"C:\\Windows", u"C:\\Windows\\"}, {u"C:\\", u"C:\\"}, {u"", u"\\"}};
    for (const Case& c : cases) {
        CString text(c.in);
        AppendBackslash(text);
        EXPECT_EQ(std::u16string(c.out), text.GetString());
    }
}

TEST(Installer, InitialisationFillsFieldsForEveryCall) {
    ResetNotebook();
    sim::machine().registry.SetString(kProductKey, u"Version", u"%SystemRoot%", REG_EXPAND_SZ);
    sim::machine().locale.userLcid = 0x0407;
    CAdvInstaller installer;
    theOSDefSet.Attach(&installer);
    installer.CMSIInstaller::Run();
    EXPECT_EQ(std::u16string(u"%SystemRoot%"), installer.GetVersion().GetString());
    EXPECT_EQ(std::u16string(u"NB-4711"), installer.GetMachineID().GetString());
    EXPECT_EQ(std::u16string(u"DEU"), installer.m_strLanguage.GetString());
    EXPECT_EQ(std::u16string(u"C:\\Windows\\"), installer.m_strWindowsFolder.GetString());
    EXPECT_EQ(std::u16string(u"C:\\Windows\\system32\\"), installer.m_strSystemFolder.GetString());
    EXPECT_EQ(std::u16string(u"C:\\Program Files\\Arvenco\\Nuvra System Default Settings\\"),
              installer.GetProductFolder().GetString());
    EXPECT_EQ(std::u16string(u"Software\\Arvenco\\Nuvra System Default Settings"),
              installer.GetRegistryKey().GetString());

    // The next call overwrites every field: the key is gone and the shell no longer answers.
    sim::machine().registry.Erase(kProductKey);
    sim::machine().faults.Add({"SHGetFolderPathW", u"", 0, E_FAIL});
    installer.CMSIInstaller::Run();
    EXPECT_TRUE(installer.GetVersion().IsEmpty());
    EXPECT_TRUE(installer.GetMachineID().IsEmpty());
    // A failing shell leaves the buffer empty, so the folder is a single backslash.
    EXPECT_EQ(std::u16string(u"\\"), installer.m_strWindowsFolder.GetString());
}

TEST(Installer, BannerWithAndWithoutProductKey) {
    ResetNotebook();
    {
        LoadedModule module;
        EXPECT_EQ(0u, module.Commit());
    }
    sim::machine().registry.Erase(u"Software\\Arvenco");
    {
        LoadedModule module;
        EXPECT_EQ(0u, module.Commit());
    }
    EXPECT_EQ((std::vector<std::string>{"***** Nuvra System Default Settings 2.0.1 *****", "Machine ID = NB-4711",
                                        "***** Nuvra System Default Settings  *****", "Machine ID = "}),
              BannerMessages());
}

TEST(Installer, DialogSearch) {
    const std::u16string kClass = u"MsiDialogCloseClass";
    const std::u16string kTitle = u"Nuvra System Default Settings Setup";
    struct Case {
        const char* name;
        // Builds the windows and returns the control that must be found (or nullptr).
        HWND (*build)(sim::WindowSystem&);
    } cases[] = {
        {"own dialog preferred over another of the class",
         [](sim::WindowSystem& w) {
             HWND own = w.Add(u"MsiDialogCloseClass", u"Nuvra System Default Settings Setup", 500, 400);
             HWND group = w.Add(u"Static", u"", 400, 100, own);
             HWND control = w.Add(u"Static", u"", 340, 13, group);
             HWND other = w.Add(u"MsiDialogCloseClass", u"Other Setup", 500, 400);
             w.Add(u"Static", u"", 340, 13, other);
             return control;
         }},
        {"any dialog of the class as fallback",
         [](sim::WindowSystem& w) {
             HWND other = w.Add(u"MsiDialogCloseClass", u"Other Setup", 500, 400);
             return w.Add(u"Static", u"", 340, 13, other);
         }},
        {"exactly 340 by 13, first match wins",
         [](sim::WindowSystem& w) {
             HWND own = w.Add(u"MsiDialogCloseClass", u"Nuvra System Default Settings Setup", 500, 400);
             w.Add(u"Static", u"", 340, 14, own);
             w.Add(u"Static", u"", 341, 13, own);
             HWND first = w.Add(u"Static", u"", 340, 13, own);
             w.Add(u"Static", u"", 340, 13, own);
             return first;
         }},
        {"no dialog", [](sim::WindowSystem& w) {
             w.Add(u"Notepad", u"Nuvra System Default Settings Setup", 340, 13);
             return static_cast<HWND>(nullptr);
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ResetNotebook();
        HWND expected = c.build(sim::machine().windows);
        CAdvInstaller installer;
        theOSDefSet.Attach(&installer);
        EXPECT_EQ(expected != nullptr, installer.FindProgressTextControl() != FALSE);
        EXPECT_EQ(expected, installer.m_hwndProgress);
    }
}

TEST(Module, OleInitialisedOnceAndUndoneAtUnloadOnlyAfterSOk) {
    struct Case {
        bool stageSFalse;
        int uninitialisations;
    } cases[] = {{false, 1}, {true, 0}};
    for (const Case& c : cases) {
        ResetNotebook();
        if (c.stageSFalse) sim::machine().faults.Add({"OleInitialize", u"", 1, S_FALSE});
        LoadedModule module;
        EXPECT_EQ(0, sim::machine().apartments.OleInitializeCalls);  // no work at load
        EXPECT_EQ(0u, module.Commit());
        EXPECT_EQ(0u, module.Commit());
        EXPECT_EQ(1, sim::machine().apartments.OleInitializeCalls);
        EXPECT_EQ(0, sim::machine().apartments.OleUninitializeCalls);
        EXPECT_EQ(4u, BannerMessages().size());  // two banners
        module.Unload();
        EXPECT_EQ(c.uninitialisations, sim::machine().apartments.OleUninitializeCalls);
    }
}

TEST(Module, SecondCallRereadsTheProductKey) {
    ResetNotebook();
    LoadedModule module;
    module.Commit();
    sim::machine().registry.SetString(kProductKey, u"Version", u"3.0");
    sim::machine().registry.SetString(kProductKey, u"MachineID", u"NB-9");
    module.Commit();
    std::vector<std::string> log = BannerMessages();
    ASSERT_EQ(4u, log.size());
    EXPECT_EQ("***** Nuvra System Default Settings 3.0 *****", log[2]);
    EXPECT_EQ("Machine ID = NB-9", log[3]);
}

TEST(Module, FirstApplicationObjectStaysRegistered) {
    ASSERT_EQ(&theOSDefSet, g_pAppInstaller);
    CAppInstaller second;
    EXPECT_EQ(&theOSDefSet, g_pAppInstaller);
}

TEST(Module, RunEndedByAnExceptionIsReportedAsFailure) {
    ResetNotebook();
    LoadedModule module;
    EXPECT_EQ(0u, module.Commit());
    // Every allocation of the next call fails after the first few: the banner cannot be built.
    for (long n = 1; n < 40; ++n) {
        FailAllocationAfter(n);
        UINT result = module.Commit();
        FailAllocationAfter(0);
        if (result == 0) continue;
        EXPECT_EQ(static_cast<UINT>(ERROR_INSTALL_FAILURE), result);
        EXPECT_EQ("ERROR: Default settings run aborted", LogMessages().back());
        return;
    }
    FAIL() << "no allocation failure reached the export";
}

}  // namespace
