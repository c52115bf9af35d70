// The network devices that the adapter task visited, read from the machine's call record: each
// SetupDiEnumDeviceInfo starts one device's share of the calls, so the WMI writes and the registry
// fallback of a device are the ones made in its share. Whether a device was handled is what the
// task did (it reached for WMI); why one was skipped is read from the device's properties.
#pragma once
#include <vector>
#include "Report.h"

namespace simtool {

void GatherAdapters(const std::vector<Commit>& commits, std::vector<AdapterState>& adapters,
                    std::vector<int>& enumerationFailed);

}  // namespace simtool
