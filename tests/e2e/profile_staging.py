"""What a Wine run stages from a profile, and the profiles it refuses rather than run half-staged."""
import json
import os
import tempfile

import notebook

REFUSED = [
    ({"adapters": [{"description": "Gigabit Network Connection"}]}, "adapters: Wine's SetupAPI"),
    ({"faults": [{"wmiClass": "MSPower_DeviceWakeEnable", "putInstance": "0x80041001"}]}, "faults:"),
    ({"faults": [{"command": "-ReplaceDefaultSchemes", "startFails": True}]}, "faults:"),
    ({"faults": [{"command": "-ReplaceDefaultSchemes", "hang": True, "nth": 2}]}, "faults:"),
    ({"faults": [{"api": "RegOpenKeyExW", "subject": "ControlSet001", "nth": 0, "result": 5}]}, "faults:"),
    ({"faults": [{"holdFile": "C:\\System.sav\\defSet.log", "nth": 1}]}, "faults:"),
    ({"windows": {"version": "6.1"}}, "windows.version"),
    ({"windows": {"64bit": True}}, "windows.64bit"),
    ({"locale": {"user": "0x0407", "ui": "0x0409"}}, "locale: Wine takes"),
    ({"locale": {"user": "0x0411", "ui": "0x0411"}}, "locale: no LANG"),
    ({"machineName": "NB"}, "unknown key 'machineName'"),
]

ACCEPTED = {
    "description": "staged",
    "windows": {"64bit": False},
    "locale": {"user": "0x0407", "ui": "0x0407"},
    "clock": "09:00:00.000",
    "productKey": {"MachineID": "NB-\"1\"", "Version": "2.1.2.1"},
    "registry": ["extra.reg"],
    "powerSchemes": {"381b4222-f694-41f0-9685-ff5bb260df2e": "Balanced"},
    "adapters": [],
    "faults": [{"command": "-setactive 8759706d-706b-4c22-b2ec-f91e1ef6ed38", "hang": True, "nth": 0},
               {"holdFile": "C:\\System.sav\\defSet.log"}],
}

EXPECTED_REGISTRY = "\r\n".join([
    "Windows Registry Editor Version 5.00",
    "",
    "[HKEY_LOCAL_MACHINE\\Software\\Arvenco\\Nuvra System Default Settings]",
    '"MachineID"="NB-\\"1\\""',
    '"Version"="2.1.2.1"',
    "",
    "[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Control\\Power\\User\\PowerSchemes\\381b4222-f694-41f0-9685-ff5bb260df2e]",
    '"FriendlyName"="Balanced"',
    '"Description"=""',
    "",
    "[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Control\\Power]",
    '"HiberFileSizePercent"=dword:0000004b',
    "",
]) + "\r\n"


def profile(folder, data):
    path = os.path.join(folder, "profile.json")
    with open(path, "w", encoding="utf-8") as f:
        json.dump(data, f)
    return notebook.Profile(path)


def main():
    failures = []
    with tempfile.TemporaryDirectory() as folder:
        for data, reason in REFUSED:
            try:
                profile(folder, data)
                failures.append(f"{data} was accepted, expected refused for {reason!r}")
            except notebook.ProfileError as e:
                if reason not in str(e):
                    failures.append(f"{data} refused with {e}, expected {reason!r}")
        # A registry file in UTF-16LE with FF FE, as regedit saves one.
        with open(os.path.join(folder, "extra.reg"), "wb") as f:
            f.write(b"\xff\xfe" + ("Windows Registry Editor Version 5.00\r\n\r\n"
                                  "[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Control\\Power]\r\n"
                                  '"HiberFileSizePercent"=dword:0000004b\r\n').encode("utf-16-le"))
        staged = profile(folder, ACCEPTED)
        if staged.language != "de_DE.UTF-8":
            failures.append(f"LANG {staged.language}, expected de_DE.UTF-8")
        if staged.hangs != ["-setactive 8759706d-706b-4c22-b2ec-f91e1ef6ed38"]:
            failures.append(f"hangs {staged.hangs}")
        if staged.holds != ["C:\\System.sav\\defSet.log"]:
            failures.append(f"held files {staged.holds}")
        if staged.registry_text() != EXPECTED_REGISTRY:
            failures.append(f"staged registry:\n{staged.registry_text()}\nexpected:\n{EXPECTED_REGISTRY}")
    if failures:
        raise SystemExit("\n".join(failures))
    print("ok")


if __name__ == "__main__":
    main()
