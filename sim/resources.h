// Module resources, as the image loader makes them available. A loaded module registers its
// resources here when it is loaded and removes them when it is unloaded; this state outlives
// machine resets, as a loaded image outlives any change of the machine's settings.
#pragma once
#include <cstdint>
#include <vector>
#include "win/types.h"

namespace sim {

struct Resource {
    HMODULE module;
    uintptr_t type;  // integer resource type, e.g. 6 for RT_STRING
    uintptr_t name;  // integer resource name
    LANGID language;
    std::vector<uint8_t> data;
};

void RegisterResource(HMODULE module, uintptr_t type, uintptr_t name, LANGID language, std::vector<uint8_t> data);
void UnregisterResources(HMODULE module);

}  // namespace sim
