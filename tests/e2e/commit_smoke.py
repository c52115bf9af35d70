"""The real DLL called by a loader in a fresh prefix with C:\\System.sav and the product key: the
log begins with FF FE and holds the two banner lines."""
import os
import shutil
import winelab

PRODUCT_KEY = r"HKLM\Software\Arvenco\Nuvra System Default Settings"


def main():
    build = winelab.Build()
    print(f"running the {build.name} build under Wine ({build.arch} prefix)")
    with winelab.Prefix(build) as prefix:
        prefix.mkdir("C:\\System.sav")
        prefix.reg_add(PRODUCT_KEY, "MachineID", "REG_SZ", "NB-4711")
        prefix.reg_add(PRODUCT_KEY, "Version", "REG_SZ", "2.0.1")
        dll = os.path.join(prefix.drive_c, "NuvraDefSet.dll")
        shutil.copy(build.artifact("NuvraDefSet.dll"), dll)
        result = prefix.wine(build.artifact("nuvloader.exe"), "C:\\NuvraDefSet.dll")
        assert b"nuvMSICommit returned 0" in result.stdout, result.stdout
        with open(prefix.host_path("C:\\System.sav\\defSet.log"), "rb") as f:
            lines = winelab.log_lines(f.read())
        for stamp, tab, _ in lines:
            winelab.check_stamp(stamp)
            assert tab == "\t"
        messages = [m for _, _, m in lines]
        expected = ["***** Nuvra System Default Settings 2.0.1 *****", "Machine ID = NB-4711"]
        assert messages[:2] == expected, messages
    print("ok")


if __name__ == "__main__":
    main()
