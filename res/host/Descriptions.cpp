// The host's string table: block 376 of RT_STRING (strings 6000 to 6015) in each language of
// Descriptions.h, registered with the simulated machine's image loader while the module is loaded.
// A block holds 16 entries, each a 16-bit length followed by that many UTF-16 characters; only
// entry 0, string 6000, is filled.
#include <string>
#include <vector>
#include "../../platform/Platform.h"
#include "../../sim/resources.h"
#include "../Descriptions.h"

namespace {

struct Description {
    LANGID language;
    const char16_t* text;
};

#define NUV_HOST_DESCRIPTION(primary, sub, name, text) {MAKELANGID(primary, sub), u"" text},
const Description kDescriptions[] = {NUV_PLAN_DESCRIPTIONS(NUV_HOST_DESCRIPTION)};

const UINT kBlock = IDS_PLAN_DESCRIPTION / 16 + 1;
const UINT kEntry = IDS_PLAN_DESCRIPTION % 16;

std::vector<uint8_t> Block(const char16_t* text) {
    std::vector<char16_t> words;
    for (UINT entry = 0; entry < 16; ++entry) {
        if (entry != kEntry) {
            words.push_back(0);
            continue;
        }
        std::u16string value(text);
        words.push_back(static_cast<char16_t>(value.size()));
        words.insert(words.end(), value.begin(), value.end());
    }
    std::vector<uint8_t> bytes;
    for (char16_t w : words) {
        bytes.push_back(static_cast<uint8_t>(w & 0xFF));
        bytes.push_back(static_cast<uint8_t>(w >> 8));
    }
    return bytes;
}

struct CStringTable {
    CStringTable() {
        for (const Description& d : kDescriptions)
            sim::RegisterResource(NUV_THIS_MODULE, 6, kBlock, d.language, Block(d.text));
    }
    ~CStringTable() { sim::UnregisterResources(NUV_THIS_MODULE); }
} g_stringTable;

}  // namespace
