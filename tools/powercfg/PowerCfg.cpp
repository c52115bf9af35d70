// The commands of the stand-in power tool: each checks its arguments, then changes the store.
#include "PowerCfg.h"
#include <string>
#include "PowerStore.h"

namespace powercfg {

namespace {

WCHAR LowerAscii(WCHAR c) { return c >= TEXT('A') && c <= TEXT('Z') ? static_cast<WCHAR>(c - TEXT('A') + TEXT('a')) : c; }

Text Lower(Text text) {
    for (WCHAR& c : text) c = LowerAscii(c);
    return text;
}

Text Widen(const std::string& ascii) { return Text(ascii.begin(), ascii.end()); }

bool IsSwitch(const Text& arg, const char* name) {
    if (arg.size() < 2 || (arg[0] != TEXT('-') && arg[0] != TEXT('/'))) return false;
    return Lower(arg.substr(1)) == Widen(name);
}

bool IsHex(WCHAR c) { return (c >= TEXT('0') && c <= TEXT('9')) || (LowerAscii(c) >= TEXT('a') && LowerAscii(c) <= TEXT('f')); }

// A GUID text of 36 characters, 8-4-4-4-12 hexadecimal digits, without braces.
bool IsGuid(const Text& text) {
    if (text.size() != 36) return false;
    for (size_t i = 0; i < text.size(); ++i) {
        bool dash = i == 8 || i == 13 || i == 18 || i == 23;
        if (dash ? text[i] != TEXT('-') : !IsHex(text[i])) return false;
    }
    return true;
}

// A decimal or 0x-hexadecimal number that fits in 32 bits, without sign.
bool ParseNumber(const Text& text, DWORD& value) {
    unsigned base = 10;
    size_t start = 0;
    if (text.size() > 2 && text[0] == TEXT('0') && LowerAscii(text[1]) == TEXT('x')) base = 16, start = 2;
    if (start >= text.size()) return false;
    unsigned long long v = 0;
    for (size_t i = start; i < text.size(); ++i) {
        WCHAR c = LowerAscii(text[i]);
        unsigned digit;
        if (c >= TEXT('0') && c <= TEXT('9')) digit = static_cast<unsigned>(c - TEXT('0'));
        else if (base == 16 && c >= TEXT('a') && c <= TEXT('f')) digit = static_cast<unsigned>(c - TEXT('a') + 10);
        else return false;
        v = v * base + digit;
        if (v > 0xFFFFFFFFull) return false;
    }
    value = static_cast<DWORD>(v);
    return true;
}

int Refuse(Text& errors, const Text& message) {
    errors += TEXT("powercfg: ") + message + TEXT("\n");
    return 1;
}

int Invalid(Text& errors, const std::vector<Text>& args) {
    Text all;
    for (const Text& arg : args) all += (all.empty() ? Text() : Text(TEXT(" "))) + arg;
    return Refuse(errors, Text(TEXT("invalid arguments: ")) + all);
}

int NoScheme(Text& errors, const Text& scheme) {
    return Refuse(errors, Text(TEXT("the power scheme ")) + scheme + TEXT(" does not exist"));
}

int Done(LSTATUS status, Text& errors) {
    if (status == ERROR_SUCCESS) return 0;
    return Refuse(errors, Text(TEXT("the registry refused the change, error ")) + Widen(std::to_string(status)));
}

}  // namespace

int Execute(const Text& commandLine, Text& errors) {
    std::vector<Text> args = SplitCommandLine(commandLine);
    args.erase(args.begin());
    if (args.empty()) return Refuse(errors, TEXT("no command given"));
    const Text& command = args[0];
    const size_t count = args.size() - 1;

    bool ac = IsSwitch(command, "setacvalueindex");
    if (ac || IsSwitch(command, "setdcvalueindex")) {
        DWORD index = 0;
        if (count != 4 || !IsGuid(args[1]) || !IsGuid(args[2]) || !IsGuid(args[3]) || !ParseNumber(args[4], index))
            return Invalid(errors, args);
        Text scheme = Lower(args[1]);
        if (!SchemeExists(scheme)) return NoScheme(errors, scheme);
        return Done(SetValueIndex(scheme, Lower(args[2]), Lower(args[3]), ac, index), errors);
    }
    if (IsSwitch(command, "changename")) {
        if ((count != 2 && count != 3) || !IsGuid(args[1])) return Invalid(errors, args);
        Text scheme = Lower(args[1]);
        if (!SchemeExists(scheme)) return NoScheme(errors, scheme);
        return Done(SetName(scheme, args[2], count == 3 ? &args[3] : nullptr), errors);
    }
    if (IsSwitch(command, "setactive")) {
        if (count != 1 || !IsGuid(args[1])) return Invalid(errors, args);
        Text scheme = Lower(args[1]);
        if (!SchemeExists(scheme)) return NoScheme(errors, scheme);
        return Done(SetActiveScheme(scheme), errors);
    }
    if (IsSwitch(command, "hibernate")) {
        DWORD percent = 0;
        if (count != 2 || !IsSwitch(args[1], "size") || !ParseNumber(args[2], percent) || percent < 50 || percent > 100)
            return Invalid(errors, args);
        return Done(SetHibernateFileSize(percent), errors);
    }
    if (IsSwitch(command, "replacedefaultschemes")) {
        if (count != 0) return Invalid(errors, args);
        return Done(ReplaceDefaultSchemes(), errors);
    }
    return Invalid(errors, args);
}

}  // namespace powercfg
