// The settings table of the optimised plan. The comment after a row says what its index values
// select, AC first.
#include "OptimizedSettings.h"

const WCHAR g_szOptimizedPlanGuid[] = TEXT("8759706d-706b-4c22-b2ec-f91e1ef6ed38");

#define NUV_ROW(name, subgroup, setting, form, ac, dc, dcAccelerometer) \
    {TEXT(name), TEXT(subgroup), TEXT(setting), COptimizedSetting::form, ac, dc, dcAccelerometer}

const COptimizedSetting g_aOptimizedSettings[g_nOptimizedSettings] = {
    NUV_ROW("Settings in no subgroup: require a password on wake-up", "fea3413e-7e05-4911-9a71-700331f1c294",
            "0e796bdb-100d-47d6-a2d5-f7d2daa51f51", Flag, 1, 1, 1),  // yes
    NUV_ROW("Hard disk: turn off hard disk after (seconds)", "0012ee47-9041-4b5d-9b77-535fba8b1442",
            "6738e2c4-e8a5-4a42-b16a-e040e769756e", Integer, 1200, 600, 600),
    NUV_ROW("Hard disk: AHCI link power management, HIPM/DIPM", "0012ee47-9041-4b5d-9b77-535fba8b1442",
            "0b2d69d7-a2a1-449c-9680-f91c70521c60", Integer, 2, 2, 2),
    NUV_ROW("Hard disk: AHCI link power management, adaptive", "0012ee47-9041-4b5d-9b77-535fba8b1442",
            "dab60367-53fe-4fbc-825e-521d069d2456", Integer, 50, 50, 50),
    NUV_ROW("Desktop background settings: slide show", "0d7dbae2-4294-402a-ba8e-26777e8488cd",
            "309dce9b-bef4-4119-9921-a851fb12f0f4", Integer, 0, 1, 1),  // available; paused
    NUV_ROW("Wireless adapter settings: power saving mode", "19cbb8fa-5279-450e-9fac-8a3d5fedd0c1",
            "12bbebe6-58d6-4636-95bb-3217ef867c1a", Integer, 0, 2, 2),  // maximum performance; medium saving
    NUV_ROW("Sleep: sleep after (seconds)", "238c9fa8-0aad-41ed-83f4-97be242c8f20",
            "29f6c1db-86da-48c5-9fdb-f2b67b1f44da", Integer, 1800, 900, 900),
    NUV_ROW("Sleep: allow hybrid sleep", "238c9fa8-0aad-41ed-83f4-97be242c8f20",
            "94ac6d29-73ce-41a6-809f-6363ba21b47e", Flag, 0, 0, 0),  // off
    NUV_ROW("Sleep: hibernate after (seconds)", "238c9fa8-0aad-41ed-83f4-97be242c8f20",
            "9d7815a6-7ee4-497e-8888-515a05f02364", Integer, 86400, 86400, 86400),
    NUV_ROW("Sleep: allow wake timers", "238c9fa8-0aad-41ed-83f4-97be242c8f20",
            "bd3b718a-0680-4d9d-8ab2-e1d2b4ac806d", Flag, 0, 0, 0),  // disable
    NUV_ROW("USB settings: USB selective suspend", "2a737441-1930-4402-8d77-b2bebba308a3",
            "48e6b7a6-50f5-4782-a5d4-53bb8f07e226", Flag, 1, 1, 1),  // enabled
    NUV_ROW("Power buttons and lid: lid close action", "4f971e89-eebd-4455-a8de-9e59040e7347",
            "5ca83367-6e45-459f-a27b-476b1d01c936", Integer, 0, 1, 0),  // do nothing; sleep, or nothing with an accelerometer
    NUV_ROW("Power buttons and lid: power button action", "4f971e89-eebd-4455-a8de-9e59040e7347",
            "7648efa3-dd9c-4e3e-b566-50f929386280", Integer, 1, 1, 1),  // sleep
    NUV_ROW("Power buttons and lid: sleep button action", "4f971e89-eebd-4455-a8de-9e59040e7347",
            "96996bc0-ad50-47ec-923b-6f41874dd9eb", Integer, 1, 1, 1),  // sleep
    NUV_ROW("PCI Express: link state power management", "501a4d13-42af-4429-9fd1-a8218c268e20",
            "ee12f906-d277-404b-b6da-e5fa1a576df5", Integer, 2, 2, 2),  // maximum power savings
    NUV_ROW("Processor power management: minimum processor state (percent)", "54533251-82be-4824-96c1-47b60b740d00",
            "893dee8e-2bef-41e0-89c6-b55d0929964c", Integer, 5, 5, 5),
    NUV_ROW("Processor power management: system cooling policy", "54533251-82be-4824-96c1-47b60b740d00",
            "94d3a615-a899-4ac5-ae2b-e4d8f634367f", Integer, 1, 0, 0),  // active; passive
    NUV_ROW("Processor power management: maximum processor state (percent)", "54533251-82be-4824-96c1-47b60b740d00",
            "bc5038f7-23e0-4960-96da-33abaf5935ec", Integer, 100, 100, 100),
    NUV_ROW("Display: dim display after (seconds)", "7516b95f-f776-4464-8c53-06167f40cc99",
            "17aaa29b-8b43-4b94-aafe-35f64daaf1ee", Integer, 300, 120, 120),
    NUV_ROW("Display: turn off display after (seconds)", "7516b95f-f776-4464-8c53-06167f40cc99",
            "3c0bc021-c8a8-4e07-a973-6b14cbcb2b7e", Integer, 600, 300, 300),
    NUV_ROW("Display: display brightness (percent)", "7516b95f-f776-4464-8c53-06167f40cc99",
            "aded5e82-b909-4619-9949-f5d71dac0bcb", Integer, 100, 40, 40),
    NUV_ROW("Display: dimmed display brightness (percent)", "7516b95f-f776-4464-8c53-06167f40cc99",
            "f1fbfde2-a960-4165-9f88-50667911ce96", Integer, 20, 20, 20),
    NUV_ROW("Multimedia settings: when sharing media", "9596fb26-9850-41fd-ac3e-f7c3c00afd4b",
            "03680956-93bc-4294-bba6-4e0f09bb717f", Integer, 1, 0, 0),  // prevent idling to sleep; allow sleep
    NUV_ROW("Multimedia settings: when playing video", "9596fb26-9850-41fd-ac3e-f7c3c00afd4b",
            "34c7b99f-9a6d-4b3c-8dc7-b6693b78cef4", Integer, 0, 1, 1),  // optimise video quality; balanced
    NUV_ROW("Battery: critical battery action", "e73a048d-bf27-4f12-9731-8b2076e8891f",
            "637ea02f-bbcb-4015-8e2c-a1c7b9c0b546", Integer, 0, 2, 2),  // do nothing; hibernate
    NUV_ROW("Battery: low battery level (percent)", "e73a048d-bf27-4f12-9731-8b2076e8891f",
            "8183ba9a-e910-48da-8769-14ae6dc1170a", Integer, 10, 10, 10),
    NUV_ROW("Battery: critical battery level (percent)", "e73a048d-bf27-4f12-9731-8b2076e8891f",
            "9a66d8d7-4ff7-4ef9-b5a2-5a326ca2a469", Integer, 5, 5, 5),
    NUV_ROW("Battery: low battery notification", "e73a048d-bf27-4f12-9731-8b2076e8891f",
            "bcded951-187b-4d05-bccc-f7e51960c258", Flag, 1, 1, 1),  // on
    NUV_ROW("Battery: low battery action", "e73a048d-bf27-4f12-9731-8b2076e8891f",
            "d8742dcb-3e6a-4b3c-b3fe-374623cdcf06", Integer, 0, 0, 0),  // do nothing
    NUV_ROW("Battery: reserve battery level (percent)", "e73a048d-bf27-4f12-9731-8b2076e8891f",
            "f3c5027d-cd16-4930-aa6b-90db844a8f00", Integer, 7, 7, 7),
};
