"""Checks the built Windows DLL as a loader and Windows Installer see it: a PE32 i386 DLL (or the
x64 build, when asked), only the export nuvMSICommit, imports from system DLLs that Windows 7 has,
the version resource, the manifest, and string 6000 in its 34 languages when a table is given.

Usage: check_dll.py DLL [--x64] [--strings TABLE]  (TABLE: lines "0xLLLL<TAB>text", UTF-8)."""
import sys
import peimage

SYSTEM_DLLS = {"ADVAPI32.DLL", "KERNEL32.DLL", "SHELL32.DLL", "SHLWAPI.DLL", "OLE32.DLL", "OLEAUT32.DLL",
               "SETUPAPI.DLL", "USER32.DLL", "MSVCRT.DLL", "WBEMUUID.DLL"}


def main():
    args = sys.argv[1:]
    path = args[0]
    x64 = "--x64" in args
    image = peimage.PEImage(open(path, "rb").read())
    failures = []

    def expect(ok, what):
        if not ok:
            failures.append(what)

    expect(image.machine == (0x8664 if x64 else 0x14C), f"machine {image.machine:#x}")
    expect(image.magic == (0x20B if x64 else 0x10B), f"optional header magic {image.magic:#x}")
    expect(image.characteristics & 0x2000, "not a DLL")
    expect(image.exports() == ["nuvMSICommit"], f"exports {image.exports()}")
    extra = [d for d in image.imports() if d.upper() not in SYSTEM_DLLS]
    expect(not extra, f"imports beyond the system DLLs: {extra}")

    resources = image.resources()
    versions = [v for k, v in resources.items() if k[0] == 16]
    expect(len(versions) == 1, "one version resource")
    if versions:
        values, file_version, product_version = peimage.version_strings(versions[0])
        expect(file_version == (2, 1, 2, 1), f"file version {file_version}")
        expect(product_version == (2, 1, 2, 1), f"product version {product_version}")
        wanted = {"FileVersion": "2.1B1", "ProductVersion": "2.1B1",
                  "ProductName": "Nuvra System Default Settings",
                  "FileDescription": "Nuvra System Default Settings DLL",
                  "InternalName": "NuvraDefSet.dll", "OriginalFilename": "NuvraDefSet.dll"}
        for key, value in wanted.items():
            expect(values.get(key) == value, f"version value {key} = {values.get(key)!r}")
    manifests = [v for k, v in resources.items() if k[0] == 24]
    expect(len(manifests) == 1, "one manifest")
    if manifests:
        text = manifests[0].decode("utf-8")
        expect('level="asInvoker"' in text, "manifest asks for asInvoker")
        expect(">true</dpiAware>" in text, "manifest declares DPI awareness")

    if "--strings" in args:
        table = {}
        for line in open(args[args.index("--strings") + 1], encoding="utf-8"):
            if line.strip():
                lang, text = line.rstrip("\n").split("\t", 1)
                table[int(lang, 16)] = text
        found = {k[2]: peimage.string_block(v)[0] for k, v in resources.items() if k[0] == 6 and k[1] == 376}
        expect(set(found) == set(table), f"string 6000 languages {sorted(map(hex, found))}")
        for lang, text in table.items():
            expect(found.get(lang) == text, f"string 6000 in {lang:#06x}: {found.get(lang)!r}")

    if failures:
        print("\n".join(f"FAIL {path}: {f}" for f in failures))
        sys.exit(1)
    print(f"ok {path}")


if __name__ == "__main__":
    main()
