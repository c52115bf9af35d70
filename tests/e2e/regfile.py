"""Registry export texts ("Windows Registry Editor Version 5.00") as sets of keys and typed values,
compared by what is stored: each value's type and its bytes, so that a string without its
terminator differs from one with it. Key paths and value names compare without regard to case."""

REG_SZ, REG_BINARY, REG_DWORD = 1, 3, 4
TYPE_NAMES = {0: "REG_NONE", 1: "REG_SZ", 2: "REG_EXPAND_SZ", 3: "REG_BINARY", 4: "REG_DWORD",
              7: "REG_MULTI_SZ", 11: "REG_QWORD"}


def string_value(text):
    return (REG_SZ, (text + "\0").encode("utf-16-le"))


def dword_value(number):
    return (REG_DWORD, number.to_bytes(4, "little"))


def describe(value):
    kind, data = value
    name = TYPE_NAMES.get(kind, f"type {kind}")
    if kind == REG_DWORD and len(data) == 4:
        return f"{name} {int.from_bytes(data, 'little')}"
    if kind in (1, 2) and len(data) % 2 == 0:
        text = data.decode("utf-16-le")
        if text.endswith("\0"):
            return f"{name} of {len(data)} bytes {text[:-1]!r} and its terminator"
        return f"{name} of {len(data)} bytes {text!r} without a terminator"
    return f"{name} of {len(data)} bytes {data.hex(',')}"


class Registry:
    """Keys (with their spelling as first met) and values: (key, name) -> (type, bytes)."""

    def __init__(self):
        self.keys = {}
        self.values = {}

    def add_key(self, key):
        parts = key.split("\\")
        for i in range(1, len(parts) + 1):
            path = "\\".join(parts[:i])
            self.keys.setdefault(path.lower(), path)

    def set(self, key, name, value):
        self.add_key(key)
        self.values[(key.lower(), name.lower())] = (self.keys[key.lower()], name, value)

    def get(self, key, name):
        entry = self.values.get((key.lower(), name.lower()))
        return entry[2] if entry else None

    def has_key(self, key):
        return key.lower() in self.keys

    def delete_tree(self, key):
        low = key.lower()
        inside = lambda k: k == low or k.startswith(low + "\\")
        self.keys = {k: v for k, v in self.keys.items() if not inside(k)}
        self.values = {k: v for k, v in self.values.items() if not inside(k[0])}

    def copy_tree(self, source, target):
        low = source.lower()
        for k, spelled in list(self.keys.items()):
            if k == low or k.startswith(low + "\\"):
                self.add_key(target + spelled[len(source):])
        for (k, _), (spelled, name, value) in list(self.values.items()):
            if k == low or k.startswith(low + "\\"):
                self.set(target + spelled[len(source):], name, value)

    def below(self, roots):
        """The part of the registry at and below the given keys (their ancestors kept as keys)."""
        out = Registry()
        lows = [r.lower() for r in roots]
        inside = lambda k: any(k == r or k.startswith(r + "\\") for r in lows)
        for k, spelled in self.keys.items():
            if inside(k):
                out.add_key(spelled)
        for k, entry in self.values.items():
            if inside(k[0]):
                out.values[k] = entry
        return out

    def entries(self):
        """Every key and value as (sort key without regard to case, line), in sorted order."""
        out = [((k, ""), f"[{spelled}]") for k, spelled in self.keys.items()]
        for (k, n), (spelled, name, value) in self.values.items():
            out.append(((k, "\0" + n), f"[{spelled}] {name or '@'} = {describe(value)}"))
        return sorted(out)


def parse(text, origin="registry export"):
    """Parses an export text (as decoded, any line ends)."""
    registry = Registry()
    lines = text.replace("\r\n", "\n").split("\n")
    if not lines or lines[0].lstrip("\ufeff") != "Windows Registry Editor Version 5.00":
        raise ValueError(f"{origin}: not a registry export (Windows Registry Editor Version 5.00)")
    key = None
    logical = []
    # Long hex data is continued on the next line after a backslash.
    for line in lines[1:]:
        if logical and logical[-1].endswith("\\") and "=hex" in logical[-1]:
            logical[-1] = logical[-1][:-1] + line.strip()
        else:
            logical.append(line)
    for number, line in enumerate(logical, 2):
        line = line.strip()
        if not line or line.startswith(";"):
            continue
        if line.startswith("[") and line.endswith("]"):
            key = line[1:-1]
            if key.startswith("-"):
                raise ValueError(f"{origin}:{number}: key deletions are not read")
            registry.add_key(key)
            continue
        if key is None:
            raise ValueError(f"{origin}:{number}: value outside a key")
        name, rest = _name(line, origin, number)
        registry.set(key, name, _data(rest, origin, number))
    return registry


def _name(line, origin, number):
    if line.startswith("@="):
        return "", line[2:]
    if not line.startswith('"'):
        raise ValueError(f"{origin}:{number}: cannot read {line!r}")
    text, end = _quoted(line, 0, origin, number)
    if line[end:end + 1] != "=":
        raise ValueError(f"{origin}:{number}: no '=' after the value name")
    return text, line[end + 1:]


def _quoted(line, start, origin, number):
    out, i = [], start + 1
    while i < len(line):
        c = line[i]
        if c == "\\" and i + 1 < len(line):
            out.append(line[i + 1])
            i += 2
            continue
        if c == '"':
            return "".join(out), i + 1
        out.append(c)
        i += 1
    raise ValueError(f"{origin}:{number}: unterminated string")


def _data(rest, origin, number):
    if rest.startswith('"'):
        text, end = _quoted(rest, 0, origin, number)
        if rest[end:].strip():
            raise ValueError(f"{origin}:{number}: text after the string")
        return string_value(text)
    if rest.startswith("dword:"):
        return dword_value(int(rest[6:], 16))
    if rest.startswith("hex"):
        head, _, body = rest.partition(":")
        kind = REG_BINARY if head == "hex" else int(head[4:-1], 16)
        data = bytes(int(b, 16) for b in body.replace(" ", "").split(",") if b)
        return (kind, data)
    raise ValueError(f"{origin}:{number}: cannot read the data {rest!r}")


def first_difference(expected, actual, expected_name="expected", actual_name="actual"):
    """The first entry (keys and values in sorted order) where the two registries differ, or None."""
    left, right = dict(expected.entries()), dict(actual.entries())
    for key in sorted(set(left) | set(right)):
        a, b = left.get(key), right.get(key)
        if a is None:
            return f"only in {actual_name}: {b}"
        if b is None:
            return f"only in {expected_name}: {a}"
        if key[1] and expected.values[(key[0], key[1][1:])][2] != actual.values[(key[0], key[1][1:])][2]:
            return f"{expected_name}: {a}\n{actual_name}: {b}"
    return None
