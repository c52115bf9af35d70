// National language support and resource lookup (kernel32). The user's locale gives the
// abbreviated language name; the user-interface language picks among a resource's languages,
// falling back to English (United States) and then to the first language the module has.
#include <cstring>
#include <list>
#include "machine.h"
#include "resources.h"
#include "win/kernel.h"
#include "win/locale.h"

namespace sim {

namespace {

std::list<Resource>& LoadedResources() {
    static std::list<Resource> resources;
    return resources;
}

struct Abbreviation {
    LCID lcid;
    const char16_t* name;
};

const Abbreviation kAbbreviations[] = {
    {0x0401, u"ARA"}, {0x0402, u"BGR"}, {0x0404, u"CHT"}, {0x0405, u"CSY"}, {0x0406, u"DAN"},
    {0x0407, u"DEU"}, {0x0408, u"ELL"}, {0x0409, u"ENU"}, {0x040B, u"FIN"}, {0x040C, u"FRA"},
    {0x040D, u"HEB"}, {0x040E, u"HUN"}, {0x0410, u"ITA"}, {0x0411, u"JPN"}, {0x0412, u"KOR"},
    {0x0413, u"NLD"}, {0x0414, u"NOR"}, {0x0415, u"PLK"}, {0x0416, u"PTB"}, {0x0418, u"ROM"},
    {0x0419, u"RUS"}, {0x041A, u"HRV"}, {0x041B, u"SKY"}, {0x041D, u"SVE"}, {0x041E, u"THA"},
    {0x041F, u"TRK"}, {0x0424, u"SLV"}, {0x0425, u"ETI"}, {0x0427, u"LTH"}, {0x0804, u"CHS"},
    {0x0807, u"DES"}, {0x0809, u"ENG"}, {0x080C, u"FRB"}, {0x0816, u"PTG"}, {0x0C04, u"ZHH"},
    {0x0C07, u"DEA"}, {0x0C0A, u"ESN"}, {0x1404, u"ZHM"}, {0x040A, u"ESP"},
};

}  // namespace

void RegisterResource(HMODULE module, uintptr_t type, uintptr_t name, LANGID language, std::vector<uint8_t> data) {
    LoadedResources().push_back(Resource{module, type, name, language, std::move(data)});
}

void UnregisterResources(HMODULE module) {
    LoadedResources().remove_if([module](const Resource& r) { return r.module == module; });
}

const char16_t* AbbreviatedLanguageName(LCID lcid) {
    for (const Abbreviation& a : kAbbreviations)
        if (a.lcid == lcid) return a.name;
    return nullptr;
}

}  // namespace sim

using sim::machine;

LCID GetUserDefaultLCID(void) { return machine().locale.userLcid; }
LANGID GetUserDefaultUILanguage(void) { return machine().locale.uiLanguage; }

int GetLocaleInfoW(LCID Locale, LCTYPE LCType, LPWSTR lpLCData, int cchData) {
    if (Locale == LOCALE_USER_DEFAULT) Locale = machine().locale.userLcid;
    const char16_t* text = LCType == LOCALE_SABBREVLANGNAME ? sim::AbbreviatedLanguageName(Locale) : nullptr;
    if (!text) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    int needed = static_cast<int>(std::char_traits<char16_t>::length(text)) + 1;
    if (cchData == 0) return needed;
    if (!lpLCData || cchData < needed) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    std::memcpy(lpLCData, text, needed * 2);
    return needed;
}

HRSRC FindResourceW(HMODULE hModule, LPCWSTR lpName, LPCWSTR lpType) {
    auto name = reinterpret_cast<uintptr_t>(lpName);
    auto type = reinterpret_cast<uintptr_t>(lpType);
    machine().calls.Add("FindResourceW", sim::FromUtf8(std::to_string(type) + " " + std::to_string(name)));
    if (machine().faults.Hit("FindResourceW", sim::FromUtf8(std::to_string(name)))) {
        SetLastError(1814);  // ERROR_RESOURCE_NAME_NOT_FOUND
        return nullptr;
    }
    sim::Resource* first = nullptr;
    sim::Resource* english = nullptr;
    for (sim::Resource& r : sim::LoadedResources()) {
        if (r.module != hModule || r.type != type || r.name != name) continue;
        if (r.language == machine().locale.uiLanguage) return reinterpret_cast<HRSRC>(&r);
        if (!first) first = &r;
        if (r.language == 0x0409 && !english) english = &r;
    }
    sim::Resource* found = english ? english : first;
    if (!found) SetLastError(1814);
    return reinterpret_cast<HRSRC>(found);
}

HGLOBAL LoadResource(HMODULE, HRSRC hResInfo) { return static_cast<HGLOBAL>(hResInfo); }

LPVOID LockResource(HGLOBAL hResData) {
    if (!hResData) return nullptr;
    return static_cast<sim::Resource*>(hResData)->data.data();
}

DWORD SizeofResource(HMODULE, HRSRC hResInfo) {
    if (!hResInfo) return 0;
    return static_cast<DWORD>(reinterpret_cast<sim::Resource*>(hResInfo)->data.size());
}
