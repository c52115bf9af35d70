"""A notebook under Wine, from a profile (profiles/FORMAT.md): a fresh prefix staged as the profile
describes, the package installed with `msiexec /i NuvraDefSet.msi /qn`, and what the run left
behind: msiexec's exit code, the log, the command lines the stand-in power tool received, the
registry values below the keys the run writes, and the tool processes still running at the end.

A profile asks only for what a prefix can show. Wine's SetupAPI reports no enumerator name for a
network device, so adapters would be skipped whatever the profile says; WMI instances, platform
faults, a start failure of the tool and a Windows version or 64-bit view other than the prefix's
have no counterpart here either. Such a profile is refused with ProfileError, not run half-staged.
A held file is staged: another program of the prefix (nuvholdfile.exe) holds it open, sharing
nothing, for the whole run (tools/holdfile says why it shares nothing).
"""
import json
import os
import shutil
import subprocess
import tempfile
import time

import winelab

PRODUCT_KEY = "HKEY_LOCAL_MACHINE\\Software\\Arvenco\\Nuvra System Default Settings"
PRODUCT_FOLDER = "C:\\Program Files\\Arvenco\\Nuvra System Default Settings"
POWER_KEY = "HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Control\\Power"
SCHEMES_KEY = POWER_KEY + "\\User\\PowerSchemes"
PREFERRED_PLAN_KEY = ("HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\explorer\\ControlPanel"
                      "\\NameSpace\\{025A5937-A6BE-4686-A844-36FE4BEC8B6D}")
# What the run writes: the power-scheme store (through the tool) and the preferred plan.
WRITTEN_KEYS = [POWER_KEY, PREFERRED_PLAN_KEY]
LOG_PLACES = ["C:\\System.sav\\defSet.log", PRODUCT_FOLDER + "\\defSet.log"]

# Wine takes the user's locale and the user-interface language from LANG/LC_ALL.
LANGUAGES = {0x0409: "en_US.UTF-8", 0x0407: "de_DE.UTF-8"}

# Where the stand-in power tool records each command line it receives (one line each, UTF-8), and
# which argument texts make it hang. Both reach it through the environment: Wine's msiexec runs
# the custom action in a process of its own that inherits msiexec's environment, and the DLL starts
# the tool with the caller's environment.
RECORD_FILE = "C:\\nuv-powercfg-commands.txt"

# Wine's error channels that report the missing display, in every run of a prefix without one.
NO_DISPLAY_ERRORS = ("winediag:nodrv_CreateWindow", "systray:initialize_systray")

PROFILE_KEYS = {"description", "windows", "locale", "clock", "folders", "productKey", "registry",
                "powerSchemes", "adapters", "faults"}


class ProfileError(Exception):
    pass


class Profile:
    """A profile as the Wine runs stage it."""

    def __init__(self, path):
        self.path = path
        with open(path, encoding="utf-8") as f:
            try:
                data = json.load(f)
            except json.JSONDecodeError as e:
                raise ProfileError(f"{path}:{e.lineno}: {e.msg}")
        if not isinstance(data, dict):
            raise ProfileError(f"{path}: a profile is one JSON object")
        unknown = sorted(set(data) - PROFILE_KEYS)
        if unknown:
            raise ProfileError(f"{path}: unknown key {unknown[0]!r}")
        self.description = data.get("description", "")
        self.folders = list(data.get("folders", []))
        self.product_key = dict(data.get("productKey", {}))
        self.registry_files = [os.path.join(os.path.dirname(path), f) for f in data.get("registry", [])]
        self.power_schemes = dict(data.get("powerSchemes", {}))
        self.language = self._language(data.get("locale"))
        self.hangs, self.holds = self._faults(data.get("faults", []))
        # "clock" is not staged: the time of day only shifts the log's stamps, which are compared
        # apart from the messages.
        if data.get("adapters"):
            self._refuse("adapters: Wine's SetupAPI reports no enumerator name, so every adapter is skipped")
        # The prefix is what it is. Its Windows version is not staged. A 32-bit Windows, where the
        # DLL's view of the registry and its folders are the plain ones, is what both runs show: the
        # win32 build in a 32-bit prefix, and the win64 build in a 64-bit prefix, where the 64-bit
        # view and the folders are its own. A 32-bit DLL on 64-bit Windows (Wow6432Node, Program
        # Files (x86), SysWOW64) is not shown by either.
        windows = dict(data.get("windows", {}))
        if windows.pop("64bit", False):
            self._refuse("windows.64bit: the 32-bit DLL on 64-bit Windows is not staged")
        if windows:
            self._refuse(f"windows.{sorted(windows)[0]}: the prefix's Windows version is not staged")

    def _refuse(self, why):
        raise ProfileError(f"{self.path}: cannot be staged under Wine: {why}")

    def _language(self, locale):
        if locale is None:
            return LANGUAGES[0x0409]
        user, ui = (int(str(locale.get(k, "0x0409")), 16) for k in ("user", "ui"))
        if user != ui:
            self._refuse("locale: Wine takes the user's locale and the UI language from one LANG")
        if user not in LANGUAGES:
            self._refuse(f"locale: no LANG known here for {user:#06x}")
        return LANGUAGES[user]

    def _faults(self, faults):
        """The power-tool commands that hang, and the files that another program holds."""
        hangs, holds = [], []
        for fault in faults:
            # The stand-in hangs on every start of the command (nth 0 or absent); it keeps no count
            # of starts across its processes.
            if set(fault) - {"nth"} == {"command", "hang"} and fault["hang"] is True and not fault.get("nth"):
                hangs.append(fault["command"])
            elif set(fault) == {"holdFile"}:
                holds.append(fault["holdFile"])
            else:
                self._refuse(f"faults: {json.dumps(fault)} (only a power-tool command that hangs on "
                             "every start and a held file are staged)")
        return hangs, holds

    def registry_text(self):
        """The profile's registry as one export text: the product key, the power schemes (as the
        stand-in adds one: its key with FriendlyName and an empty Description) and the imported files."""
        lines = ["Windows Registry Editor Version 5.00", ""]
        if self.product_key:
            lines.append(f"[{PRODUCT_KEY}]")
            lines += [f"{quote(name)}={quote(value)}" for name, value in self.product_key.items()]
            lines.append("")
        for guid, name in self.power_schemes.items():
            lines += [f"[{SCHEMES_KEY}\\{guid}]", f'"FriendlyName"={quote(name)}', '"Description"=""', ""]
        for path in self.registry_files:
            with open(path, "rb") as f:
                text = winelab.decode_text(f.read())
            body = text.split("\n", 1)[1] if text.startswith("Windows Registry Editor Version 5.00") else None
            if body is None:
                raise ProfileError(f"{path}: not a registry export (Windows Registry Editor Version 5.00)")
            lines += body.replace("\r\n", "\n").strip("\n").split("\n")
            lines.append("")
        return "\r\n".join(lines) + "\r\n"


def quote(text):
    return '"' + text.replace("\\", "\\\\").replace('"', '\\"') + '"'


class Run:
    """What one installation left behind."""

    def __init__(self):
        self.exit_code = None
        self.seconds = 0.0
        self.log_place = None     # the Windows path of the log, or None when none was written
        self.log = b""            # its bytes
        self.log_places = []      # every place where a defSet.log was found
        self.commands = []        # the command lines the stand-in received, in order
        self.registry = ""        # the export of WRITTEN_KEYS after the run
        self.still_running = []   # command lines of tool processes alive when msiexec had ended
        self.installed = []       # the files in the product folder
        self.output = b""         # what msiexec and Wine printed (Wine's own err: and fixme: lines)

    def save(self, folder):
        """Keeps the run for the comparison with the simulated machine: defSet.log, commands.txt,
        registry.reg and run.json; and what Wine printed, in msiexec-output.txt."""
        shutil.rmtree(folder, ignore_errors=True)
        os.makedirs(folder)
        with open(os.path.join(folder, "defSet.log"), "wb") as f:
            f.write(self.log)
        with open(os.path.join(folder, "commands.txt"), "w", encoding="utf-8", newline="\n") as f:
            f.writelines(line + "\n" for line in self.commands)
        with open(os.path.join(folder, "registry.reg"), "wb") as f:
            f.write(b"\xff\xfe" + self.registry.encode("utf-16-le"))
        with open(os.path.join(folder, "run.json"), "w", encoding="utf-8") as f:
            json.dump({"exitCode": self.exit_code, "logPlace": self.log_place, "seconds": round(self.seconds, 3),
                       "stillRunning": self.still_running}, f, indent=2)
        with open(os.path.join(folder, "msiexec-output.txt"), "wb") as f:
            f.write(self.output)

    def commands_not_received(self):
        """The argument texts that the log shows before a start but the tool never received, when
        the tool received all the others, in the log's order; else nothing."""
        try:
            logged = winelab.argument_texts(winelab.log_messages(self.log))
        except AssertionError:
            return []
        received = [line.partition(" ")[2] for line in self.commands]
        missed, at = [], 0
        for text in received:
            while at < len(logged) and logged[at] != text:
                missed.append(logged[at])
                at += 1
            if at == len(logged):
                return []
            at += 1
        return missed + logged[at:]

    def wine_errors(self):
        """Wine's own error lines from the run's output (err:), which name a failure that the DLL's
        log cannot, such as a process that Wine failed to start. The lines that every run prints
        because the prefix has no display are left out."""
        lines = self.output.decode(errors="replace").splitlines()
        errors = [line for line in lines if ":err:" in line or line.startswith("err:") or line.startswith("wine:")]
        return [line for line in errors if not any(n in line for n in NO_DISPLAY_ERRORS)]


class Notebook:
    """A fresh prefix staged from a profile; removed (with every process in it) on exit."""

    def __init__(self, build, profile):
        self.build = build
        self.profile = profile
        self.prefix = winelab.Prefix(build, language=profile.language)
        self.holders = []

    def __enter__(self):
        self.prefix.__enter__()
        try:
            self._stage()
        except BaseException:
            self.prefix.__exit__(None, None, None)
            raise
        return self

    def __exit__(self, *exc):
        for holder in self.holders:
            holder.kill()
            holder.wait()
        self.prefix.__exit__(*exc)

    def _stage(self):
        prefix, profile = self.prefix, self.profile
        for folder in profile.folders:
            # The product folder is the package's to make: staging it would hide a package without it.
            if folder.rstrip("\\").lower() != PRODUCT_FOLDER.lower():
                prefix.mkdir(folder)
        reg = os.path.join(prefix.path, "notebook.reg")
        with open(reg, "wb") as f:
            f.write(b"\xff\xfe" + profile.registry_text().encode("utf-16-le"))
        prefix.wine("regedit", "/S", winelab.out_windows(reg))
        shutil.copy(self.build.artifact("powercfg.exe"), os.path.join(prefix.system32, "powercfg.exe"))
        shutil.copy(self.build.artifact("NuvraDefSet.msi"), os.path.join(prefix.drive_c, "NuvraDefSet.msi"))
        prefix.env["NUV_POWERCFG_RECORD"] = RECORD_FILE
        prefix.env["NUV_POWERCFG_HANG"] = "\n".join(profile.hangs)
        # Wine's error lines are kept for the installation, so a failed run can say what Wine saw.
        prefix.env["WINEDEBUG"] = "fixme-all"
        for n, path in enumerate(profile.holds):
            self._hold(path, f"C:\\nuv-held-{n}.ready")

    def _hold(self, path, ready):
        """Another program of the prefix holds the file open (tools/holdfile) until the prefix ends."""
        holder = subprocess.Popen([self.build.loader, self.build.artifact("nuvholdfile.exe"), path, ready],
                                  env=self.prefix.env, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
        self.holders.append(holder)
        deadline = time.monotonic() + 120
        while not os.path.exists(self.prefix.host_path(ready)):
            if holder.poll() is not None:
                why = holder.stderr.read().decode(errors="replace")
                raise AssertionError(f"nuvholdfile could not hold {path}: {why}")
            if time.monotonic() > deadline:
                raise AssertionError(f"nuvholdfile did not hold {path} within 120 s")
            time.sleep(0.05)

    def install(self):
        """Runs `msiexec /i C:\\NuvraDefSet.msi /qn` and collects what it left behind."""
        prefix, run = self.prefix, Run()
        # msiexec's output goes to files, not pipes: a tool process left running holds on to what it
        # inherited, and a pipe would keep this call waiting for it.
        with tempfile.TemporaryFile() as out:
            start = time.monotonic()
            result = subprocess.run([self.build.loader, "msiexec", "/i", "C:\\NuvraDefSet.msi", "/qn"],
                                    env=prefix.env, stdout=out, stderr=out, timeout=1200)
            run.seconds = time.monotonic() - start
            out.seek(0)
            run.output = out.read()
        run.exit_code = result.returncode
        run.still_running = tool_processes(prefix.path)
        for place in LOG_PLACES:
            if os.path.exists(prefix.host_path(place)):
                run.log_places.append(place)
        if run.log_places:
            run.log_place = run.log_places[0]
            with open(prefix.host_path(run.log_place), "rb") as f:
                run.log = f.read()
        record = prefix.host_path(RECORD_FILE)
        if os.path.exists(record):
            with open(record, encoding="utf-8") as f:
                run.commands = f.read().splitlines()
        folder = prefix.host_path(PRODUCT_FOLDER)
        run.installed = sorted(os.listdir(folder)) if os.path.isdir(folder) else []
        run.registry = self.export(WRITTEN_KEYS)
        return run

    def export(self, keys):
        """The keys as nuvregexport writes them: every value with its type and byte size as stored."""
        out = os.path.join(self.prefix.path, "written.reg")
        self.prefix.wine(self.build.artifact("nuvregexport.exe"), winelab.out_windows(out), *keys)
        with open(out, "rb") as f:
            return winelab.decode_text(f.read())


def install_in_fresh_prefix(build, profile, twice=False):
    """The package installed in a fresh prefix staged from the profile, and, when twice is set,
    installed a second time in the same prefix: (run, second run or None).

    Seen once in CI: a command that the log shows as started never reached the tool, and the power
    store lacked its value, while every other line and value was right. The DLL writes no line when
    a start fails (as on Windows), so only the tool's record shows it. The installation is then
    made once more in a fresh prefix, after printing what Wine said: a start that Wine lost does
    not recur, a fault of the DLL would miss the command again and fail the checks."""
    for attempt in (1, 2):
        with Notebook(build, profile) as machine:
            run = machine.install()
            again = machine.install() if twice else None
        missed = run.commands_not_received()
        if not missed or attempt == 2:
            return run, again
        print(f"the tool received no start for {len(missed)} command line(s) that the log shows, first "
              f"{missed[0]!r}; Wine said:\n  " + "\n  ".join(run.wine_errors()[:20] or ["nothing"]))
        print("installing again in a fresh prefix")


def tool_processes(prefix_path):
    """Command lines of the power-tool processes that run in the prefix."""
    found = []
    for pid in os.listdir("/proc"):
        if not pid.isdigit():
            continue
        try:
            with open(f"/proc/{pid}/cmdline", "rb") as f:
                cmdline = f.read().replace(b"\0", b" ").decode(errors="replace").strip()
            with open(f"/proc/{pid}/environ", "rb") as f:
                environ = f.read().split(b"\0")
        except OSError:
            continue
        if "powercfg.exe" in cmdline.lower() and f"WINEPREFIX={prefix_path}".encode() in environ:
            found.append(cmdline)
    return found
