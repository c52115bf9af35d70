"""The built installer packages, read back from their tables with msiinfo (what Windows Installer
sees, not what the WiX source asked for): the commit custom action, its place in the execute
sequence, the product's identity, per-machine installation and the product folder."""
import os
import subprocess
import sys
import tempfile

SOURCE_DIR = os.environ.get("NUV_SOURCE_DIR", os.path.abspath(os.path.join(os.path.dirname(__file__), "..", "..")))

# preset, summary template (platform;language), the Program Files folder of the platform
PACKAGES = [
    ("win32", "Intel;1033", "ProgramFilesFolder"),
    ("win64", "x64;1033", "ProgramFiles64Folder"),
]

# DLL in the Binary table (1) + in-script (0x400) + commit (0x200) + no impersonation (0x800)
COMMIT_DLL_ACTION = 3585


def export(package, table):
    """The table's rows as dicts by column name (msiinfo export: names, types, keys, then rows)."""
    # A table with streams (Binary) is exported with its streams as files in the working folder.
    with tempfile.TemporaryDirectory() as folder:
        text = subprocess.run(["msiinfo", "export", package, table], capture_output=True, check=True,
                              text=True, cwd=folder).stdout
    lines = text.split("\r\n") if "\r\n" in text else text.split("\n")
    columns = lines[0].split("\t")
    return [dict(zip(columns, line.split("\t"))) for line in lines[3:] if line]


def summary(package):
    text = subprocess.run(["msiinfo", "suminfo", package], capture_output=True, check=True, text=True).stdout
    return dict(line.split(": ", 1) for line in text.splitlines() if ": " in line)


def long_name(default_dir):
    """The long name of a Directory row's DefaultDir ("short|long" or one name; target part only)."""
    target = default_dir.split(":")[0]
    return target.split("|")[-1]


def check(preset, template, program_files):
    package = os.path.join(SOURCE_DIR, "build", preset, "NuvraDefSet.msi")
    if not os.path.exists(package):
        raise AssertionError(f"missing {package}: build the {preset} preset first")
    failures = []

    def expect(what, actual, expected):
        if actual != expected:
            failures.append(f"{preset}: {what} is {actual!r}, expected {expected!r}")

    properties = {row["Property"]: row["Value"] for row in export(package, "Property")}
    expect("ProductName", properties.get("ProductName"), "Nuvra System Default Settings")
    expect("ProductVersion", properties.get("ProductVersion"), "2.1.2.1")
    expect("ALLUSERS", properties.get("ALLUSERS"), "1")
    expect("summary Template", summary(package).get("Template"), template)

    actions = {row["Action"]: row for row in export(package, "CustomAction")}
    action = actions.get("nuvMSICommit")
    if action is None:
        failures.append(f"{preset}: no CustomAction row nuvMSICommit (rows: {sorted(actions)})")
    else:
        expect("CustomAction type", int(action["Type"]), COMMIT_DLL_ACTION)
        expect("CustomAction target", action["Target"], "nuvMSICommit")
        binaries = [row["Name"] for row in export(package, "Binary")]
        expect("CustomAction source in the Binary table", action["Source"] in binaries, True)

    sequence = {row["Action"]: row for row in export(package, "InstallExecuteSequence")}
    if "nuvMSICommit" not in sequence:
        failures.append(f"{preset}: nuvMSICommit is not in InstallExecuteSequence")
    else:
        number = int(sequence["nuvMSICommit"]["Sequence"])
        after, before = int(sequence["InstallFiles"]["Sequence"]), int(sequence["InstallFinalize"]["Sequence"])
        expect(f"nuvMSICommit's sequence {number} between InstallFiles {after} and InstallFinalize {before}",
               after < number < before, True)
        expect("nuvMSICommit's condition", sequence["nuvMSICommit"]["Condition"], "NOT Installed")

    # The product folder, walked up to TARGETDIR: Program Files\Arvenco\Nuvra System Default Settings.
    directories = {row["Directory"]: row for row in export(package, "Directory")}
    components = export(package, "Component")
    files = export(package, "File")
    folder = [c["Directory_"] for c in components if any(f["Component_"] == c["Component"] for f in files)]
    path = []
    node = folder[0] if folder else None
    while node:
        path.append(node if node in (program_files, "TARGETDIR") else long_name(directories[node]["DefaultDir"]))
        node = directories[node]["Directory_Parent"] or None
    expect("folder of the installed files", list(reversed(path)),
           ["TARGETDIR", program_files, "Arvenco", "Nuvra System Default Settings"])
    return failures


def main():
    failures = []
    for case in PACKAGES:
        failures += check(*case)
    if failures:
        raise SystemExit("\n".join(failures))
    print("ok: " + ", ".join(preset for preset, _, _ in PACKAGES))


if __name__ == "__main__":
    sys.exit(main())
