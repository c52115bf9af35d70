"""What the power-scheme store should hold after the stand-in power tool carried out a list of
argument texts, in the layout Windows uses (tools/powercfg/PowerStore.h):

    ...\\Control\\Power                                   HiberFileSizePercent  REG_DWORD
    ...\\Power\\User\\PowerSchemes                        ActivePowerScheme     REG_SZ
    ...\\Power\\User\\PowerSchemes\\{scheme}              FriendlyName, Description  REG_SZ
    ...\\PowerSchemes\\{scheme}\\{subgroup}\\{setting}    ACSettingIndex, DCSettingIndex  REG_DWORD
    ...\\Power\\User\\Default\\PowerSchemes               a copy of User\\PowerSchemes

A command naming a scheme that is not in the store is refused and changes nothing. A command that
hangs has been carried out all the same: the tool hangs after its work, as a program of the
simulated machine does its work at its start."""
import regfile

POWER_KEY = "HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Control\\Power"
SCHEMES_KEY = POWER_KEY + "\\User\\PowerSchemes"
DEFAULT_SCHEMES_KEY = POWER_KEY + "\\User\\Default\\PowerSchemes"


def split_arguments(text):
    """The argument text split as the C runtime splits a command line (quotes group, and are dropped)."""
    args, current, quoted, started = [], [], False, False
    for c in text:
        if c == '"':
            quoted, started = not quoted, True
        elif c in " \t" and not quoted:
            if started:
                args.append("".join(current))
            current, started = [], False
        else:
            current.append(c)
            started = True
    if started:
        args.append("".join(current))
    return args


def carry_out(registry, argument_text):
    """Applies one argument text to the registry as the tool does; returns False when refused."""
    args = split_arguments(argument_text)
    if not args:
        return False
    switch = args[0].lstrip("-/").lower()
    exists = lambda scheme: registry.has_key(f"{SCHEMES_KEY}\\{scheme}")
    if switch in ("setacvalueindex", "setdcvalueindex") and len(args) == 5 and exists(args[1]):
        name = "ACSettingIndex" if switch == "setacvalueindex" else "DCSettingIndex"
        registry.set(f"{SCHEMES_KEY}\\{args[1]}\\{args[2]}\\{args[3]}", name, regfile.dword_value(int(args[4], 0)))
    elif switch == "changename" and len(args) in (3, 4) and exists(args[1]):
        registry.set(f"{SCHEMES_KEY}\\{args[1]}", "FriendlyName", regfile.string_value(args[2]))
        if len(args) == 4:
            registry.set(f"{SCHEMES_KEY}\\{args[1]}", "Description", regfile.string_value(args[3]))
    elif switch == "setactive" and len(args) == 2 and exists(args[1]):
        registry.set(SCHEMES_KEY, "ActivePowerScheme", regfile.string_value(args[1]))
    elif switch == "hibernate" and len(args) == 3 and args[1].lower() == "/size" and 50 <= int(args[2]) <= 100:
        registry.set(POWER_KEY, "HiberFileSizePercent", regfile.dword_value(int(args[2])))
    elif switch == "replacedefaultschemes" and len(args) == 1:
        registry.delete_tree(DEFAULT_SCHEMES_KEY)
        registry.copy_tree(SCHEMES_KEY, DEFAULT_SCHEMES_KEY)
    else:
        return False
    return True


def after(registry, argument_texts):
    """The power store (the Power key and below) after the argument texts."""
    store = registry.below([POWER_KEY])
    for text in argument_texts:
        carry_out(store, text)
    return store
