// The simulation tool as its users run it: the whole report of each shipped profile against its
// expected file, the JSON document, the drive and registry written by --out, and the messages for
// profiles and command lines that do not fit. Set NUV_UPDATE_EXPECTED=1 to rewrite the expected
// files from the tool's present output (then review the diff).
#include <gtest/gtest.h>
#include <algorithm>
#include <sys/wait.h>
#include <unistd.h>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

const std::string kSource = NUV_SOURCE_DIR;
const std::string kTool = NUV_SIM_TOOL_PATH;

struct Result {
    int exitCode = -1;
    std::string out;
    std::string err;
};

std::string ReadAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream all;
    all << in.rdbuf();
    return all.str();
}

void WriteAll(const fs::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

// A folder of its own for each test, removed at its end.
struct TempFolder {
    fs::path path;
    TempFolder() {
        std::string pattern = (fs::temp_directory_path() / "nuvsimtool-XXXXXX").string();
        path = mkdtemp(pattern.data());
    }
    ~TempFolder() {
        std::error_code ignored;
        fs::remove_all(path, ignored);
    }
};

// Runs the tool in the source folder, so that profiles are named as the README names them.
Result RunTool(const std::vector<std::string>& args, const fs::path& folder = kSource) {
    TempFolder capture;
    fs::path out = capture.path / "out", err = capture.path / "err";
    pid_t pid = fork();
    if (pid == 0) {
        if (chdir(folder.c_str()) != 0 || !freopen(out.c_str(), "w", stdout) || !freopen(err.c_str(), "w", stderr))
            _exit(127);
        std::vector<char*> argv{const_cast<char*>(kTool.c_str())};
        for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        execv(kTool.c_str(), argv.data());
        _exit(127);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    Result r;
    r.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    r.out = ReadAll(out);
    r.err = ReadAll(err);
    return r;
}

// Compares with the expected file, or rewrites it when asked to.
void ExpectFile(const std::string& name, const std::string& actual) {
    fs::path path = fs::path(kSource) / "tests" / "sim-reports" / name;
    const char* update = std::getenv("NUV_UPDATE_EXPECTED");
    if (update && *update == '1') {
        WriteAll(path, actual);
        return;
    }
    ASSERT_TRUE(fs::exists(path)) << path << " is missing: run with NUV_UPDATE_EXPECTED=1 to write it";
    EXPECT_EQ(ReadAll(path), actual) << "the report differs from " << path;
}

TEST(SimTool, ShippedProfilesGiveTheirExpectedReports) {
    struct Case {
        std::vector<std::string> args;
        const char* expected;
    } cases[] = {
        {{}, "default.txt"},
        {{"--runs", "2"}, "default-two-commits.txt"},
        {{"--profile", "profiles/german-no-system-sav.json"}, "german-no-system-sav.txt"},
        {{"--profile", "profiles/plan-absent.json"}, "plan-absent.txt"},
        {{"--profile", "profiles/hanging-command.json"}, "hanging-command.txt"},
        {{"--profile", "profiles/wmi-failing.json"}, "wmi-failing.txt"},
        {{"--profile", "profiles/win64.json"}, "win64.txt"},
        {{"--profile", "profiles/log-held.json"}, "log-held.txt"},
        {{"--profile", "profiles/hanging-command.json", "--json"}, "hanging-command.json"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.expected);
        Result r = RunTool(c.args);
        EXPECT_EQ(0, r.exitCode) << r.err;
        EXPECT_EQ("", r.err);
        ExpectFile(c.expected, r.out);
    }
}

// The notebook compiled into the tool is the one that profiles/default.json describes.
TEST(SimTool, BuiltInDefaultIsTheShippedDefaultProfile) {
    Result builtIn = RunTool({});
    Result shipped = RunTool({"--profile", "profiles/default.json"});
    ASSERT_EQ(0, builtIn.exitCode);
    ASSERT_EQ(0, shipped.exitCode);
    auto withoutSource = [](std::string text) { return text.substr(text.find('\n')); };
    EXPECT_EQ("Profile: built-in default", builtIn.out.substr(0, builtIn.out.find('\n')));
    EXPECT_EQ("Profile: profiles/default.json", shipped.out.substr(0, shipped.out.find('\n')));
    EXPECT_EQ(withoutSource(builtIn.out), withoutSource(shipped.out));
}

// The text report and the JSON document tell the same run: every log line, the plan's settings,
// the adapters' outcomes, the errors and the results, and nothing else on standard output.
TEST(SimTool, JsonDocumentHoldsTheWholeReport) {
    Result r = RunTool({"--json", "--runs", "2"});
    ASSERT_EQ(0, r.exitCode) << r.err;
    nlohmann::json doc = nlohmann::json::parse(r.out);

    std::vector<std::string> keys;
    for (auto it = doc.begin(); it != doc.end(); ++it) keys.push_back(it.key());
    EXPECT_EQ((std::vector<std::string>{"adapters", "balancedPlan", "commits", "description", "enumerationFailed",
                                        "errors", "optimizedPlan", "profile", "results"}),
              keys);

    Result text = RunTool({"--runs", "2"});
    std::vector<std::string> jsonLines;
    for (const auto& commit : doc["commits"])
        for (const auto& line : commit["log"])
            jsonLines.push_back(line["stamp"].get<std::string>() + "\t" + line["message"].get<std::string>());
    std::vector<std::string> textLines;
    std::istringstream in(text.out);
    for (std::string line; std::getline(in, line);)
        if (line.size() > 17 && line.compare(0, 4, "    ") == 0 && line[16] == '\t') textLines.push_back(line.substr(4));
    EXPECT_FALSE(jsonLines.empty());
    EXPECT_EQ(textLines, jsonLines);

    const auto& plan = doc["optimizedPlan"];
    EXPECT_EQ(true, plan["active"]);
    EXPECT_EQ(true, plan["preferred"]);
    ASSERT_EQ(30u, plan["settings"].size());
    for (const auto& s : plan["settings"]) {
        EXPECT_TRUE(s["name"].is_string() && s["subgroup"].is_string() && s["setting"].is_string());
        EXPECT_TRUE(s["ac"].is_number_unsigned() && s["dc"].is_number_unsigned()) << s.dump();
    }
    std::vector<std::string> outcomes;
    for (const auto& a : doc["adapters"])
        for (const auto& v : a["visits"]) outcomes.push_back(v["outcome"].get<std::string>() + " " + v["commit"].dump());
    // In SetupAPI's order: the Enum tree's keys by name.
    EXPECT_EQ((std::vector<std::string>{"handled 1", "handled 2", "skipped 1", "skipped 2", "handled 1", "handled 2",
                                        "skipped 1", "skipped 2"}),
              outcomes);
    EXPECT_EQ(nlohmann::json::parse("[0, 0]"), doc["results"]);
}

std::string Utf16Text(const std::string& bytes) {
    std::u16string text;
    for (size_t i = 2; i + 1 < bytes.size(); i += 2)
        text += static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) | (static_cast<unsigned char>(bytes[i + 1]) << 8));
    std::string out;
    for (char16_t c : text) out += c < 0x80 ? static_cast<char>(c) : '?';
    return out;
}

// The block of one key in a registry export, from its [key] line to the blank line after it.
std::string KeyBlock(const std::string& exportText, const std::string& key) {
    size_t at = exportText.find("\r\n[" + key + "]\r\n");
    if (at == std::string::npos) return std::string();
    size_t end = exportText.find("\r\n\r\n", at + 2);
    return exportText.substr(at + 2, end + 4 - (at + 2));
}

// An imported registry file comes out of --out in the same form, every value type included, and
// two runs of one profile write the same files.
TEST(SimTool, OutWritesTheDriveAndTheRegistryInExportForm) {
    TempFolder t;
    const std::string key = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Nuvra Test";
    const std::string block =
        "[" + key + "]\r\n"
        "@=\"default\"\r\n"
        "\"Quoted\"=\"a \\\"b\\\" c:\\\\d\"\r\n"
        "\"Number\"=dword:00000120\r\n"
        "\"Expand\"=hex(2):25,00,53,00,79,00,73,00,74,00,65,00,6d,00,52,00,6f,00,6f,00,\\\r\n"
        "  74,00,25,00,00,00\r\n"
        "\"Multi\"=hex(7):61,00,00,00,62,00,00,00,00,00\r\n"
        "\"Binary\"=hex:01,02,03\r\n"
        "\"Unterminated\"=hex(1):41,00,42,00\r\n"
        "\"Quad\"=hex(b):01,00,00,00,00,00,00,00\r\n"
        "\"None\"=hex(0):\r\n"
        "\r\n";
    std::string reg = "Windows Registry Editor Version 5.00\r\n\r\n" + block +
                      "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Nuvra Test\\Gone]\r\n\"x\"=\"y\"\r\n\r\n"
                      "[-HKEY_LOCAL_MACHINE\\SOFTWARE\\Nuvra Test\\Gone]\r\n";
    WriteAll(t.path / "types.reg", reg);  // UTF-8, as a person writes one
    WriteAll(t.path / "p.json", R"({"folders": ["C:\\System.sav"], "registry": ["types.reg"]})");

    Result first = RunTool({"--profile", (t.path / "p.json").string(), "--out", (t.path / "one").string()});
    ASSERT_EQ(0, first.exitCode) << first.err;
    std::string exported = ReadAll(t.path / "one" / "registry.reg");
    ASSERT_EQ("\xFF\xFE", exported.substr(0, 2));
    std::string text = Utf16Text(exported);
    EXPECT_EQ("Windows Registry Editor Version 5.00\r\n\r\n[HKEY_LOCAL_MACHINE]\r\n\r\n", text.substr(0, 64));
    EXPECT_EQ(block, KeyBlock(text, key));
    EXPECT_EQ("", KeyBlock(text, key + "\\Gone"));

    // The plan's 64 commands and the Balanced plan's 3, each the tool's path, one blank, its text.
    std::string commands = ReadAll(t.path / "one" / "commands.txt");
    EXPECT_EQ(67, std::count(commands.begin(), commands.end(), '\n'));
    EXPECT_EQ(0u, commands.find("C:\\Windows\\system32\\powercfg.exe -changename 8759706d-"));
    EXPECT_NE(std::string::npos, commands.find("\nC:\\Windows\\system32\\powercfg.exe -ReplaceDefaultSchemes\n"));

    std::string log = ReadAll(t.path / "one" / "C" / "System.sav" / "defSet.log");
    EXPECT_EQ("\xFF\xFE", log.substr(0, 2));
    EXPECT_NE(std::string::npos, Utf16Text(log).find("\t***** Nuvra System Default Settings  *****\r\n"));

    // An earlier output is replaced; the same profile writes the same bytes.
    Result again = RunTool({"--profile", (t.path / "p.json").string(), "--out", (t.path / "two").string()});
    Result replaced = RunTool({"--profile", (t.path / "p.json").string(), "--out", (t.path / "two").string()});
    ASSERT_EQ(0, again.exitCode);
    ASSERT_EQ(0, replaced.exitCode) << replaced.err;
    EXPECT_EQ(exported, ReadAll(t.path / "two" / "registry.reg"));
    EXPECT_EQ(log, ReadAll(t.path / "two" / "C" / "System.sav" / "defSet.log"));

    // A folder that holds anything else is refused before anything runs.
    WriteAll(t.path / "two" / "notes.txt", "mine");
    Result refused = RunTool({"--out", (t.path / "two").string()});
    EXPECT_EQ(2, refused.exitCode);
    EXPECT_EQ("", refused.out);
    EXPECT_EQ("nuvdefset-sim: --out " + (t.path / "two").string() +
                  " holds notes.txt, which is not an earlier output: give a new or empty folder\n",
              refused.err);
    EXPECT_TRUE(fs::exists(t.path / "two" / "C"));
}

TEST(SimTool, BadProfilesNameFileLineAndFaultAndRunNothing) {
    struct Case {
        const char* name;
        std::string profile;
        std::string message;  // after "nuvdefset-sim: p.json"
    } cases[] = {
        {"not JSON", "{\n  \"folders\": [\"C:\\\\System.sav\",]\n}\n",
         ":2: not valid JSON: syntax error while parsing value - unexpected ']'; expected '[', '{', or a literal"},
        {"empty file", "", ":1: not valid JSON: syntax error while parsing value - unexpected end of input; expected "
                           "'[', '{', or a literal"},
        {"not an object", "[]", ":1: the profile: expected an object, found a list"},
        {"unknown key", "{\n  \"description\": \"x\",\n  \"adapter\": []\n}",
         ":3: unknown key \"adapter\" in the profile (known keys: description, windows, locale, clock, folders, "
         "productKey, registry, powerSchemes, adapters, faults)"},
        {"unknown adapter key", "{\"adapters\": [\n {\"instance\": \"PCI\\\\A\\\\1\"},\n {\"instance\": \"PCI\\\\B\\\\2\",\n  \"drivr\": \"0007\"}]}",
         ":4: unknown key \"drivr\" in adapters[1] (known keys: description, instance, hardwareIds, driver, present, wmi)"},
        {"key twice", "{\"clock\": \"09:00:00.000\",\n \"clock\": \"10:00:00.000\"}",
         ":2: the key \"clock\" is given twice in one object (first on line 1)"},
        {"wrong type", "{\"windows\": {\n  \"64bit\": \"yes\"}}", ":2: windows.64bit: expected true or false, found a text"},
        {"driver", "{\"adapters\": [{\"instance\": \"PCI\\\\A\\\\1\",\n  \"driver\": \"7\"}]}",
         ":2: adapters[0].driver: expected the four digits of the driver key such as \"0007\", not \"7\""},
        {"same device twice", "{\"adapters\": [\n {\"instance\": \"PCI\\\\A\\\\1\"},\n {\"instance\": \"PCI\\\\A\\\\1\"}]}",
         ":3: adapters[1]: the same device instance as adapters[0] on line 2"},
        {"instance missing", "{\"adapters\": [\n  {\"description\": \"x\"}]}",
         ":2: adapters[0]: an adapter needs its \"instance\" (the device instance ID)"},
        {"scheme GUID", "{\"powerSchemes\": {\n  \"{381b4222-f694-41f0-9685-ff5bb260df2e}\": \"Balanced\"}}",
         ":2: powerSchemes: a scheme is named by its GUID text, 36 characters without braces, not "
         "\"{381b4222-f694-41f0-9685-ff5bb260df2e}\""},
        {"product key type", "{\"productKey\": {\"Accelerometer\": 1}}",
         ":1: productKey.Accelerometer: expected a text (productKey values are REG_SZ; import a registry file for "
         "other types), found a whole number"},
        {"fault of two kinds", "{\"faults\": [\n  {\"command\": \"-ReplaceDefaultSchemes\", \"holdFile\": \"C:\\\\x\"}]}",
         ":2: faults[0]: a fault names exactly one of \"command\", \"wmiClass\", \"api\" or \"holdFile\""},
        {"WMI class", "{\"faults\": [{\"wmiClass\": \"MSPower_DeviceWake\", \"noInstance\": true}]}",
         ":1: faults[0].wmiClass: expected one of MSPower_DeviceEnable, MSPower_DeviceWakeEnable, "
         "MSNdis_DeviceWakeOnMagicPacketOnly, not \"MSPower_DeviceWake\""},
        {"HRESULT", "{\"faults\": [{\"wmiClass\": \"MSPower_DeviceEnable\",\n  \"put\": \"E_FAIL\"}]}",
         ":2: faults[0].put: expected a 32-bit number, or its hex text such as \"0x80041001\""},
        {"path", "{\"folders\": [\"D:\\\\Data\"]}",
         ":1: folders[0]: expected a path on drive C such as \"C:\\\\System.sav\", not \"D:\\\\Data\""},
        {"clock", "{\"clock\": \"9:00\"}",
         ":1: clock: expected the local time of day as \"HH:MM:SS.mmm\" such as \"09:00:00.000\", not \"9:00\""},
        {"registry file missing", "{\"registry\": [\n  \"missing.reg\"]}",
         ":2: registry[0]: cannot read missing.reg: No such file or directory"},
    };
    TempFolder t;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WriteAll(t.path / "p.json", c.profile);
        Result r = RunTool({"--profile", "p.json"}, t.path);
        EXPECT_EQ(2, r.exitCode);
        EXPECT_EQ("", r.out);
        EXPECT_EQ("nuvdefset-sim: p.json" + c.message + "\n", r.err);
        EXPECT_FALSE(fs::exists(t.path / "C"));
    }
}

TEST(SimTool, BadRegistryFilesNameTheirLine) {
    struct Case {
        const char* name;
        std::string reg;
        std::string message;  // after "nuvdefset-sim: "
    } cases[] = {
        {"no header", "REGEDIT4\r\n", "x.reg:1: a registry file begins with the line \"Windows Registry Editor Version 5.00\""},
        {"other root", "Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\Software]\r\n",
         "x.reg:3: only keys below HKEY_LOCAL_MACHINE can be imported, not \"HKEY_CURRENT_USER\""},
        {"value outside a key", "Windows Registry Editor Version 5.00\r\n\"a\"=\"b\"\r\n",
         "x.reg:2: a value line before any [key] line, or below a [-key] line"},
        {"dword", "Windows Registry Editor Version 5.00\r\n[HKEY_LOCAL_MACHINE\\A]\r\n\"a\"=dword:123456789\r\n",
         "x.reg:3: a dword value has one to eight hex digits"},
        {"hex continued", "Windows Registry Editor Version 5.00\r\n[HKEY_LOCAL_MACHINE\\A]\r\n\"a\"=hex:01,\\\r\n  0x\r\n",
         "x.reg:3: hex bytes are two hex digits each, separated by commas"},
        {"escape", "Windows Registry Editor Version 5.00\r\n[HKEY_LOCAL_MACHINE\\A]\r\n\"a\"=\"C:\\n\"\r\n",
         "x.reg:3: unknown escape \\n in a quoted text (only \\\\ and \\\" are written)"},
    };
    TempFolder t;
    WriteAll(t.path / "p.json", "{\"description\": \"x\",\n \"registry\": [\"x.reg\"]}");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WriteAll(t.path / "x.reg", c.reg);
        Result r = RunTool({"--profile", "p.json"}, t.path);
        EXPECT_EQ(2, r.exitCode);
        EXPECT_EQ("", r.out);
        EXPECT_EQ("nuvdefset-sim: " + c.message + " (imported by p.json:2)\n", r.err);
    }
}

TEST(SimTool, BadCommandLinesAreRefusedWithTheUsage) {
    struct Case {
        std::vector<std::string> args;
        std::string message;
    } cases[] = {
        {{"--verbose"}, "unknown option \"--verbose\""},
        {{"--runs", "0"}, "--runs takes a number from 1 to 1000, not \"0\""},
        {{"--runs", "two"}, "--runs takes a number from 1 to 1000, not \"two\""},
        {{"--profile"}, "--profile needs a value"},
        {{"--json", "--profile=a", "--profile=b"}, "--profile is given twice"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message);
        Result r = RunTool(c.args);
        EXPECT_EQ(2, r.exitCode);
        EXPECT_EQ("", r.out);
        EXPECT_EQ(0u, r.err.find("nuvdefset-sim: " + c.message + "\nusage: nuvdefset-sim ")) << r.err;
    }
    Result missing = RunTool({"--profile", "/nonexistent/p.json"});
    EXPECT_EQ(2, missing.exitCode);
    EXPECT_EQ("nuvdefset-sim: /nonexistent/p.json: cannot read the profile: No such file or directory\n", missing.err);
}

// A notebook with a thousand wired adapters completes, and every one of them is handled.
TEST(SimTool, ThousandAdaptersComplete) {
    TempFolder t;
    std::string profile = "{\"folders\": [\"C:\\\\System.sav\"], \"adapters\": [\n";
    for (int i = 0; i < 1000; ++i) {
        char adapter[200];
        std::snprintf(adapter, sizeof adapter,
                      "%s{\"description\": \"Ethernet %d\", \"instance\": \"PCI\\\\VEN_8086&DEV_%04X\\\\3&1&0&%d\", "
                      "\"driver\": \"%04d\"}\n",
                      i ? "," : "", i, i, i, i);
        profile += adapter;
    }
    WriteAll(t.path / "many.json", profile + "]}");
    Result r = RunTool({"--profile", (t.path / "many.json").string(), "--json"});
    ASSERT_EQ(0, r.exitCode) << r.err;
    nlohmann::json doc = nlohmann::json::parse(r.out);
    ASSERT_EQ(1000u, doc["adapters"].size());
    size_t complete = 0;
    for (const auto& a : doc["adapters"])
        complete += a["visits"][0]["outcome"] == "handled" && a["visits"][0]["wmiWrites"].size() == 3 &&
                    a["visits"][0]["registryFallback"] == false;
    EXPECT_EQ(1000u, complete);
}

}  // namespace
