// Splitting a command line into arguments as the C runtime builds argv: the program name runs to
// the first blank (or is quoted, without escapes); then blanks separate arguments, double quotes
// group, 2n backslashes before a quote give n backslashes and a quote that groups, 2n+1 give n and
// a literal quote, and "" inside quotes gives a literal quote.
#include "PowerCfg.h"

namespace powercfg {

namespace {

bool IsBlank(WCHAR c) { return c == TEXT(' ') || c == TEXT('\t'); }

}  // namespace

std::vector<Text> SplitCommandLine(const Text& line) {
    std::vector<Text> args;
    size_t i = 0;
    Text program;
    if (i < line.size() && line[i] == TEXT('"')) {
        for (++i; i < line.size() && line[i] != TEXT('"'); ++i) program += line[i];
        if (i < line.size()) ++i;
    } else {
        for (; i < line.size() && !IsBlank(line[i]); ++i) program += line[i];
    }
    args.push_back(program);

    for (;;) {
        while (i < line.size() && IsBlank(line[i])) ++i;
        if (i >= line.size()) break;
        Text arg;
        bool quoted = false;
        while (i < line.size() && (quoted || !IsBlank(line[i]))) {
            if (line[i] == TEXT('\\')) {
                size_t n = 0;
                while (i < line.size() && line[i] == TEXT('\\')) ++n, ++i;
                if (i < line.size() && line[i] == TEXT('"')) {
                    arg.append(n / 2, TEXT('\\'));
                    if (n % 2) {
                        arg += TEXT('"');
                        ++i;
                    }
                } else {
                    arg.append(n, TEXT('\\'));
                }
            } else if (line[i] == TEXT('"')) {
                if (quoted && i + 1 < line.size() && line[i + 1] == TEXT('"')) {
                    arg += TEXT('"');
                    i += 2;
                } else {
                    quoted = !quoted;
                    ++i;
                }
            } else {
                arg += line[i++];
            }
        }
        args.push_back(arg);
    }
    return args;
}

}  // namespace powercfg
