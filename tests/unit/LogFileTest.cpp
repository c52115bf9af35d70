// Where the log lies, its byte-order marks, its lines and its time stamps.
#include <gtest/gtest.h>
#include "Support.h"
#include "host/AdvInstaller.h"
#include "host/LogFile.h"

namespace {

const std::u16string kSavedLog = u"C:\\System.sav\\defSet.log";
const std::u16string kProductLog = u"C:\\Program Files\\Arvenco\\Nuvra System Default Settings\\defSet.log";

// An installer object whose log path is set as a commit sets it.
struct Installer : CAdvInstaller {
    Installer() {
        m_strProductName = TEXT("Nuvra System Default Settings");
        m_strLogFileName = TEXT("defSet.log");
        m_strProductFolder = TEXT("C:\\Program Files\\Arvenco\\Nuvra System Default Settings\\");
        SetLogFilePath();
    }
};

TEST(LogFile, PlacementFollowsSystemSav) {
    struct Case {
        bool systemSav, productFolder;
        std::u16string expected;  // empty: no file anywhere
    } cases[] = {
        {true, true, kSavedLog},
        {false, true, kProductLog},
        {false, false, u""},
    };
    for (const Case& c : cases) {
        ResetNotebook();
        auto& m = sim::machine();
        if (!c.systemSav) m.drive.Remove(u"C:\\System.sav");
        if (!c.productFolder) m.drive.Remove(u"C:\\Program Files\\Arvenco");
        LoadedModule module;
        EXPECT_EQ(0u, module.Commit());
        EXPECT_EQ(c.expected == kSavedLog, m.drive.Exists(kSavedLog));
        EXPECT_EQ(c.expected == kProductLog, m.drive.Exists(kProductLog));
        if (!c.expected.empty()) {
            EXPECT_EQ((std::vector<std::string>{"***** Nuvra System Default Settings 2.0.1 *****", "Machine ID = NB-4711"}),
                      BannerMessages(c.expected));
        }
    }
}

TEST(LogFile, ByteOrderMarkOfExistingFileDecidesEncoding) {
    const std::string utf16Line = std::string("o\0l\0d\0\r\0\n\0", 10);
    struct Case {
        const char* name;
        std::string before;
        std::string expectedStart;  // the file must begin with this, then hold the new line
        bool written;
        bool utf8;
    } cases[] = {
        {"new", "", "\xFF\xFE", true, false},
        {"empty", std::string(), "\xFF\xFE", true, false},
        {"FF FE", "\xFF\xFE" + utf16Line, "\xFF\xFE" + utf16Line, true, false},
        {"no mark", utf16Line, utf16Line, true, false},
        {"UTF-8", "\xEF\xBB\xBFold\r\n", "\xEF\xBB\xBFold\r\n", true, true},
        {"big-endian", "\xFE\xFF", "\xFE\xFF", false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ResetNotebook();
        if (std::string(c.name) != "new") sim::machine().drive.WriteFile(kSavedLog, c.before);
        sim::machine().clock.SetLocal(2012, 3, 1, 9, 5, 3, 7);
        Installer installer;
        WriteLog(&installer, TEXT("line"));
        std::string bytes = LogBytes();
        ASSERT_EQ(0u, bytes.rfind(c.expectedStart, 0));
        std::string added = bytes.substr(c.expectedStart.size());
        if (!c.written) {
            EXPECT_EQ("", added);
        } else if (c.utf8) {
            EXPECT_EQ("09:05:03:007\tline\r\n", added);
        } else {
            EXPECT_EQ(std::string("0\0" "9\0:\0" "0\0" "5\0:\0" "0\0" "3\0:\0" "0\0" "0\0" "7\0\t\0l\0i\0n\0e\0\r\0\n\0", 38), added);
        }
    }
}

TEST(LogFile, SecondRunAppendsWithoutSecondMark) {
    ResetNotebook();
    LoadedModule module;
    module.Commit();
    module.Commit();
    std::string bytes = LogBytes();
    EXPECT_EQ(0u, bytes.find("\xFF\xFE"));
    EXPECT_EQ(std::string::npos, bytes.find("\xFF\xFE", 2));
    EXPECT_EQ(4u, BannerMessages().size());
}

TEST(LogFile, FileHeldByAnotherProgramLosesLinesUntilReleased) {
    ResetNotebook();
    Installer installer;
    WriteLog(&installer, TEXT("first"));
    sim::machine().drive.Hold(kSavedLog);
    WriteLog(&installer, TEXT("lost"));
    sim::machine().drive.Release(kSavedLog);
    WriteLog(&installer, TEXT("third"));
    EXPECT_EQ((std::vector<std::string>{"first", "third"}), LogMessages());
}

TEST(LogFile, TextIsWrittenAsItIs) {
    ResetNotebook();
    sim::machine().clock.SetLocal(2012, 3, 1, 23, 59, 58, 999);
    Installer installer;
    std::u16string longText(1000, u'x');
    WriteLog(&installer, TEXT("100%s done %d"));
    WriteLog(&installer, TEXT("one\ntwo"));
    WriteLog(&installer, longText.c_str());
    EXPECT_EQ((std::vector<std::string>{"23:59:58:999\t100%s done %d", "23:59:58:999\tone", "two",
                                        "23:59:58:999\t" + std::string(1000, 'x')}),
              LogLines());
}

TEST(LogFile, StampTakesMillisecondsFromTheSystemTime) {
    ResetNotebook();
    sim::machine().clock.SetLocal(2012, 3, 1, 0, 0, 0, 45);
    Installer installer;
    WriteLog(&installer, TEXT("midnight"));
    EXPECT_EQ((std::vector<std::string>{"00:00:00:045\tmidnight"}), LogLines());
}

}  // namespace
