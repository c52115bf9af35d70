"""Notebooks under Wine: each scenario is a fresh prefix staged from its profile
(scenarios/NAME.json), then `wine msiexec /i NuvraDefSet.msi /qn`. Checked: msiexec's exit code,
where the log is, its FF FE, time stamps and every message (scenarios/NAME.messages, one message a
line), the command lines the stand-in power tool received, the power-scheme store afterwards, and
PreferredPlan's type, size and value; in one scenario, that installing the installed product again
does not run the commit action again. The run is kept for the comparison with the simulated machine
(compare_sim.py).

    notebooks.py NAME
"""
import os
import sys

import notebook
import power_store
import regfile
import winelab

HERE = os.path.dirname(os.path.abspath(__file__))
SCENARIO_DIR = os.path.join(HERE, "scenarios")
RESULTS_DIR = os.environ.get("NUV_RESULTS_DIR", os.path.join(winelab.SOURCE_DIR, "build", "host", "tests", "e2e", "results"))

PLAN = "8759706d-706b-4c22-b2ec-f91e1ef6ed38"
# Wine spells the Windows folder in lower case.
POWERCFG = "C:\\windows\\system32\\powercfg.exe"
TIME_LIMIT = 60.0

# scenario: where its log must be; whether the installed product is installed a second time,
# which must not run the commit action again (its condition is NOT Installed); and the scenario
# whose messages name the commands it starts (its own, unless its log stays empty).
SCENARIOS = {
    "english": ("C:\\System.sav\\defSet.log", True, "english"),
    "german": (notebook.PRODUCT_FOLDER + "\\defSet.log", False, "german"),
    "plan-absent": ("C:\\System.sav\\defSet.log", False, "plan-absent"),
    "hang": ("C:\\System.sav\\defSet.log", False, "hang"),
    # Another program holds the log, so the file is there, empty, and the commands are English's.
    "log-held": ("C:\\System.sav\\defSet.log", False, "english"),
}


def scenario_files(name):
    return os.path.join(SCENARIO_DIR, name + ".json"), os.path.join(SCENARIO_DIR, name + ".messages")


def expected_messages(name):
    with open(scenario_files(name)[1], encoding="utf-8") as f:
        return f.read().split("\n")[:-1]


def first_difference(expected, actual, what, names=("expected", "actual")):
    """None when the lists are equal; else the first differing line, numbered from 1."""
    width = max(len(n) for n in names)
    for i, (e, a) in enumerate(zip(expected, actual)):
        if e != a:
            return (f"{what} differ at line {i + 1}:\n  {names[0]:<{width}} {e!r}\n"
                    f"  {names[1]:<{width}} {a!r}")
    if len(expected) != len(actual):
        i = min(len(expected), len(actual))
        side, more = (names[0], expected[i]) if len(expected) > i else (names[1], actual[i])
        return (f"{what}: {len(expected)} lines ({names[0]}), {len(actual)} ({names[1]}); "
                f"first line only in {side} (line {i + 1}): {more!r}")
    return None


def seconds_of(stamp):
    h, m, s, ms = (int(p) for p in stamp.split(":"))
    return h * 3600 + m * 60 + s + ms / 1000.0


def check(name, profile, run):
    failures = []
    fail = failures.append

    if run.exit_code != 0:
        fail(f"msiexec exited {run.exit_code}")
    if "NuvraDefSet.dll" not in run.installed:
        fail(f"the product folder holds {run.installed}, not NuvraDefSet.dll: the package did not install it")
    place = SCENARIOS[name][0]
    if run.log_places != [place]:
        fail(f"log found at {run.log_places}, expected at {place} only")
        return failures

    lines = winelab.log_lines(run.log)  # FF FE, CR LF
    for stamp, tab, message in lines:
        winelab.check_stamp(stamp)
        if tab != "\t":
            fail(f"no TAB after the stamp in {stamp + tab + message!r}")
    messages = [m for _, _, m in lines]
    expected = expected_messages(name)
    difference = first_difference(expected, messages, "log messages")
    if difference:
        fail(difference)

    # Every argument text in the log was started, as the path, one blank and the text.
    arguments = winelab.argument_texts(expected_messages(SCENARIOS[name][2]))
    difference = first_difference([f"{POWERCFG} {a}" for a in arguments], run.commands, "command lines started")
    if difference:
        fail(difference)

    written = regfile.parse(run.registry, "registry after the run")
    staged = regfile.parse(profile.registry_text(), profile.path)
    store = power_store.after(staged, arguments)
    difference = regfile.first_difference(store, written.below([power_store.POWER_KEY]), "expected store", "Wine")
    if difference:
        fail("power-scheme store after the run: " + difference)

    # The DLL writes the 36 characters and their terminator: 74 bytes. Wine's RegSetValueExW would
    # store 74 also for the 72 bytes without the terminator (it counts the terminator in when a NUL
    # follows the data given), so here the size shows only what Wine stored; the comparison with the
    # simulated machine, which stores the byte count it is given as Windows does, tells the two apart.
    preferred = written.get(notebook.PREFERRED_PLAN_KEY, "PreferredPlan")
    if preferred != regfile.string_value(PLAN):
        fail(f"PreferredPlan is {regfile.describe(preferred) if preferred else 'missing'}, expected "
             f"{regfile.describe(regfile.string_value(PLAN))}")

    hung = [f"{POWERCFG} {h}" for h in profile.hangs]
    if sorted(run.still_running) != sorted(hung):
        fail(f"tool processes running after msiexec ended: {run.still_running}, expected {hung}")
    if profile.hangs and run.seconds < TIME_LIMIT * len(profile.hangs):
        fail(f"msiexec ended after {run.seconds:.1f} s, before the time limit of the hanging commands")
    for command in profile.hangs:
        # The real wait: the time-out line stands 60 s after the command's own line.
        index = messages.index(command) if command in messages else None
        if index is None or index + 1 >= len(lines) or messages[index + 1] != "ERROR: Command timed out":
            fail(f"no time-out line after {command!r}")
            continue
        waited = (seconds_of(lines[index + 1][0]) - seconds_of(lines[index][0])) % 86400
        if not TIME_LIMIT <= waited < TIME_LIMIT + 10:
            fail(f"the time-out of {command!r} came after {waited:.3f} s, expected {TIME_LIMIT:.0f} s")
    return failures


def main(name):
    build = winelab.Build()
    profile = notebook.Profile(scenario_files(name)[0])
    print(f"{name}: {profile.description}")
    print(f"running the {build.name} build under Wine ({build.arch} prefix, LANG={profile.language})")
    run, again = notebook.install_in_fresh_prefix(build, profile, twice=SCENARIOS[name][1])
    run.save(os.path.join(RESULTS_DIR, name))
    print(f"msiexec ended after {run.seconds:.1f} s with {run.exit_code}; {len(run.commands)} command lines started")
    failures = check(name, profile, run)
    if again is not None:
        print(f"installed again: msiexec ended after {again.seconds:.1f} s with {again.exit_code}")
        if again.exit_code != 0 or again.commands != run.commands or again.log != run.log:
            failures.append(f"the second installation exited {again.exit_code}, started "
                            f"{len(again.commands) - len(run.commands)} more command lines and changed the log "
                            f"by {len(again.log) - len(run.log)} bytes: the commit action must run on the first only")
    if failures:
        errors = run.wine_errors()
        if errors:
            failures.append("Wine reported during the run:\n  " + "\n  ".join(errors[:20]))
        raise SystemExit(f"{name}: " + "\n".join(failures))
    print("ok")


if __name__ == "__main__":
    if len(sys.argv) != 2 or sys.argv[1] not in SCENARIOS:
        raise SystemExit(f"usage: notebooks.py {'|'.join(SCENARIOS)}")
    main(sys.argv[1])
