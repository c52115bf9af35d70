"""The simulated machine held against Wine: the scenario's profile runs on the simulated machine
(`build/host/nuvdefset-sim --profile FILE --out DIR`) and is compared with the Wine run of the same
profile that notebooks.py kept. The log messages (time stamps aside), the command lines started
and the registry values below the keys the run writes must be identical; the first difference
fails the test and is named.

What the simulation tool leaves in DIR:
    C/                      the simulated drive C after the run (so C/System.sav/defSet.log)
    registry.reg            HKEY_LOCAL_MACHINE after the run, in the registry export format, every
                            value with its type and byte size as stored (a REG_SZ without its
                            terminator as hex(1):)
    commands.txt            the command lines started, in order, UTF-8, one a line; without it the
                            simulated machine's command lines are taken as its log shows them (its
                            system folder, powercfg.exe, one blank, each argument text), and the
                            output says so

Where Wine differs from Windows, the simulated machine stays with Windows and the difference is
listed in WINE_DIFFERENCES: it is applied to what the simulated machine shows, with its reason
printed, and anything beyond it still fails.

    compare_sim.py NAME              a scenario of notebooks.py, from its kept Wine run
    compare_sim.py --profile FILE    any profile, run under Wine here (skipped when Wine cannot stage it)
"""
import json
import os
import subprocess
import sys
import tempfile

import notebook
import notebooks
import regfile
import winelab

# The system folder of the simulated machine's default notebook, as Windows spells it.
SIM_SYSTEM_FOLDER = "C:\\Windows\\system32"
SIM_TOOL = os.environ.get("NUV_SIM_TOOL", os.path.join(winelab.SOURCE_DIR, "build", "host", "nuvdefset-sim"))


class Side:
    """What one machine showed: the log's place and bytes, the command lines, the registry."""

    def __init__(self, place, log, commands, registry):
        self.place, self.log, self.commands, self.registry = place, log, commands, registry


def program_case(sim, wine):
    """Wine names its Windows folder C:\\windows, Windows C:\\Windows: the program part of a command
    line is compared without regard to case, as Windows compares paths."""
    def lower_program(line):
        program, blank, rest = line.partition(" ")
        return program.lower() + blank + rest
    before = (sim.commands, wine.commands)
    sim.commands = [lower_program(line) for line in sim.commands]
    wine.commands = [lower_program(line) for line in wine.commands]
    return before != (sim.commands, wine.commands)


# What differs, and how the simulated machine's side is read as Wine shows it. Staged around
# instead: Wine's _wfopen_s lets others share the file where Windows' shares nothing, so a program
# that holds the log makes the log's open fail under Wine only when it shares nothing itself; the
# held-log scenario's holder shares nothing (tools/holdfile).
WINE_DIFFERENCES = [
    ("the program path of a command line: C:\\windows\\system32 under Wine, C:\\Windows\\system32 on Windows",
     program_case),
]


class Failure(Exception):
    pass


def read_wine_run(name):
    folder = os.path.join(notebooks.RESULTS_DIR, name)
    if not os.path.exists(os.path.join(folder, "run.json")):
        raise Failure(f"no Wine run of {name} kept in {folder}: wine.notebook.{name} runs it")
    with open(os.path.join(folder, "run.json"), encoding="utf-8") as f:
        run = json.load(f)
    with open(os.path.join(folder, "defSet.log"), "rb") as f:
        log = f.read()
    with open(os.path.join(folder, "commands.txt"), encoding="utf-8") as f:
        commands = f.read().splitlines()
    with open(os.path.join(folder, "registry.reg"), "rb") as f:
        registry = regfile.parse(winelab.decode_text(f.read()), "the Wine run's registry")
    return Side(run["logPlace"], log, commands, registry)


def run_sim(profile_path, out):
    if not os.path.exists(SIM_TOOL):
        raise Failure(f"the simulation tool {SIM_TOOL} is not built: this comparison waits for it")
    result = subprocess.run([SIM_TOOL, "--profile", profile_path, "--out", out], capture_output=True, text=True,
                            timeout=120)
    if result.returncode != 0:
        raise Failure(f"nuvdefset-sim --profile {profile_path} exited {result.returncode}: {result.stderr.strip()}")
    missing = [p for p in ("C", "registry.reg") if not os.path.exists(os.path.join(out, p))]
    if missing:
        raise Failure(f"nuvdefset-sim --profile {profile_path} --out DIR wrote no {' and no '.join(missing)} in DIR: "
                      "the comparison waits for a simulation tool that writes them")
    places = [p for p in notebook.LOG_PLACES if os.path.exists(sim_path(out, p))]
    log = b""
    if places:
        with open(sim_path(out, places[0]), "rb") as f:
            log = f.read()
    if os.path.exists(os.path.join(out, "commands.txt")):
        with open(os.path.join(out, "commands.txt"), encoding="utf-8") as f:
            commands = f.read().splitlines()
    else:
        print("nuvdefset-sim --out wrote no commands.txt: the simulated machine's command lines are taken "
              "from its log")
        arguments = winelab.argument_texts(winelab.log_messages(log))
        commands = [f"{SIM_SYSTEM_FOLDER}\\powercfg.exe {a}" for a in arguments]
    with open(os.path.join(out, "registry.reg"), "rb") as f:
        registry = regfile.parse(winelab.decode_text(f.read()), "nuvdefset-sim's registry.reg")
    return Side(places[0] if places else None, log, commands, registry)


def sim_path(out, windows_path):
    return os.path.join(out, "C", *[p for p in windows_path[3:].split("\\") if p])


def wine_side(run):
    return Side(run.log_place, run.log, run.commands, regfile.parse(run.registry, "the Wine run's registry"))


def compare(profile_path, wine):
    with tempfile.TemporaryDirectory(prefix="nuvsim-") as out:
        sim = run_sim(profile_path, out)
    for what, apply in WINE_DIFFERENCES:
        if apply(sim, wine):
            print(f"Wine differs from Windows here: {what}")

    failures = []
    if sim.place != wine.place:
        failures.append(f"the log is at {sim.place} on the simulated machine, at {wine.place} under Wine")
    for what, left, right in [("log messages", winelab.log_messages(sim.log), winelab.log_messages(wine.log)),
                              ("command lines started", sim.commands, wine.commands)]:
        difference = notebooks.first_difference(left, right, what, ("simulated machine", "Wine"))
        if difference:
            failures.append(difference)
    difference = regfile.first_difference(sim.registry.below(notebook.WRITTEN_KEYS),
                                          wine.registry.below(notebook.WRITTEN_KEYS), "simulated machine", "Wine")
    if difference:
        failures.append("registry after the run: " + difference)
    return failures


def main(args):
    if len(args) == 1 and args[0] in notebooks.SCENARIOS:
        # A scenario whose Wine run wine.notebook.NAME has kept.
        name, profile_path = args[0], notebooks.scenario_files(args[0])[0]
        wine = lambda: read_wine_run(name)
    elif len(args) == 2 and args[0] == "--profile":
        # Any profile, such as those shipped in profiles/: run under Wine here, when it can be staged.
        name, profile_path = os.path.basename(args[1]), args[1]
        try:
            profile = notebook.Profile(profile_path)
        except notebook.ProfileError as e:
            print(f"skipped: {e}")
            return SKIPPED
        wine = lambda: wine_side(run_wine(profile))
    else:
        raise SystemExit(f"usage: compare_sim.py {'|'.join(notebooks.SCENARIOS)} | --profile FILE")
    try:
        failures = compare(profile_path, wine())
    except Failure as e:
        raise SystemExit(f"{name}: {e}")
    if failures:
        raise SystemExit(f"{name}: the simulated machine and Wine differ:\n" + "\n".join(failures))
    print("ok: the simulated machine and Wine agree")
    return 0


def run_wine(profile):
    build = winelab.Build()
    print(f"{profile.path}: {profile.description}")
    print(f"running the {build.name} build under Wine ({build.arch} prefix, LANG={profile.language})")
    return notebook.install_in_fresh_prefix(build, profile)[0]


# The exit code CTest reads as "skipped" (SKIP_RETURN_CODE): a profile that Wine cannot stage.
SKIPPED = 77

if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
