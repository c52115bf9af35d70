"""Fresh Wine prefixes prepared as notebooks, and what the tests read back from them.

The product is a 32-bit DLL. Where this machine can execute 32-bit x86 code, the tests run the
win32 build in a 32-bit prefix. Where it cannot (a kernel booted with ia32 emulation off has no
32-bit code segment, so no 32-bit Windows code runs at all, under Wine or otherwise), they run the
same sources built for x64 (preset win64) in a 64-bit prefix, and say so in their output.
"""
import os
import shutil
import subprocess
import tempfile

SOURCE_DIR = os.environ.get("NUV_SOURCE_DIR", os.path.abspath(os.path.join(os.path.dirname(__file__), "..", "..")))
WINE32 = "/usr/lib/wine/wine"
WINE64 = "/usr/lib/wine/wine64"
WINESERVER = "/usr/lib/wine/wineserver"


def can_run_32bit():
    try:
        result = subprocess.run([WINE32, "--version"], capture_output=True, timeout=30)
        return result.returncode == 0
    except (OSError, subprocess.TimeoutExpired):
        return False


class Build:
    """The Windows build the tests run: its folder, its Wine loader and the prefix architecture."""

    def __init__(self):
        if can_run_32bit():
            self.name, self.loader, self.arch = "win32", WINE32, "win32"
        else:
            self.name, self.loader, self.arch = "win64", WINE64, "win64"
        self.folder = os.path.join(SOURCE_DIR, "build", self.name)

    def artifact(self, name):
        path = os.path.join(self.folder, name)
        if not os.path.exists(path):
            raise SystemExit(f"missing {path}: build the {self.name} preset first")
        return path


class Prefix:
    """A fresh Wine prefix: C: is its drive_c; removed (and its wineserver stopped) on exit."""

    def __init__(self, build, language=None):
        self.build = build
        self.path = tempfile.mkdtemp(prefix="nuvwine-")
        self.env = dict(os.environ)
        self.env.update({
            "WINEPREFIX": self.path,
            "WINEARCH": build.arch,
            "WINELOADER": build.loader,
            "WINEDEBUG": "-all",
            "WINEDLLOVERRIDES": "mscoree,mshtml=",
        })
        self.env.pop("DISPLAY", None)
        if language:
            self.env["LANG"] = language
            self.env["LC_ALL"] = language
        self.drive_c = os.path.join(self.path, "drive_c")
        self.system32 = os.path.join(self.drive_c, "windows", "system32")

    def __enter__(self):
        self.wine("wineboot", "-i", timeout=300)
        self.wait()
        return self

    def __exit__(self, *exc):
        subprocess.run([WINESERVER, "-k"], env=self.env, capture_output=True)
        shutil.rmtree(self.path, ignore_errors=True)

    def wine(self, *args, timeout=600, check=True):
        result = subprocess.run([self.build.loader, *args], env=self.env, capture_output=True, timeout=timeout)
        if check and result.returncode != 0:
            raise AssertionError(f"wine {' '.join(args)} exited {result.returncode}: {result.stderr.decode(errors='replace')}")
        return result

    def wait(self):
        subprocess.run([WINESERVER, "-w"], env=self.env, capture_output=True, timeout=300)

    def host_path(self, windows_path):
        assert windows_path[:3].upper() == "C:\\", windows_path
        return os.path.join(self.drive_c, *[p for p in windows_path[3:].split("\\") if p])

    def mkdir(self, windows_path):
        os.makedirs(self.host_path(windows_path), exist_ok=True)

    def reg_add(self, key, name, kind, data):
        self.wine("reg", "add", key, "/v", name, "/t", kind, "/d", data, "/f")

    def reg_export(self, key):
        """The key as Windows registry export text, or '' when it does not exist."""
        out = os.path.join(self.path, "export.reg")
        result = self.wine("regedit", "/E", out_windows(out), key, check=False)
        self.wait()
        if result.returncode != 0 or not os.path.exists(out):
            return ""
        with open(out, "rb") as f:
            data = f.read()
        os.remove(out)
        return decode_text(data)


def out_windows(host_path):
    return "Z:" + host_path.replace("/", "\\")


def decode_text(data):
    if data.startswith(b"\xff\xfe"):
        return data[2:].decode("utf-16-le")
    if data.startswith(b"\xef\xbb\xbf"):
        return data[3:].decode("utf-8")
    return data.decode("utf-8", errors="replace")


def log_lines(data):
    """The lines of a defSet.log: (stamp, message) pairs, after checking the mark and CR LF. An
    empty file has none (another program made it and held it, and no line could be written)."""
    if not data:
        return []
    assert data.startswith(b"\xff\xfe"), f"log does not begin with FF FE: {data[:4]!r}"
    text = data[2:].decode("utf-16-le")
    assert text.endswith("\r\n"), "log does not end with CR LF"
    lines = text[:-2].split("\r\n")
    out = []
    for line in lines:
        stamp, tab, message = line[:12], line[12:13], line[13:]
        out.append((stamp, tab, message))
    return out


def log_messages(data):
    """The messages of a defSet.log, without their stamps."""
    return [message for _, _, message in log_lines(data)]


def argument_texts(messages):
    """The messages that are argument texts of the power tool: its switches begin with - or /."""
    return [m for m in messages if m[:1] in "-/"]


def check_stamp(stamp):
    hh, mm, ss, ms = stamp[0:2], stamp[3:5], stamp[6:8], stamp[9:12]
    ok = (len(stamp) == 12 and stamp[2] == stamp[5] == stamp[8] == ":" and
          all(p.isdigit() for p in (hh, mm, ss, ms)) and int(hh) < 24 and int(mm) < 60 and int(ss) < 60)
    assert ok, f"bad time stamp {stamp!r}"
