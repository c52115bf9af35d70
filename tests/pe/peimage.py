"""A reader of the parts of a PE image that the DLL's checks need: machine, imports, exports and
the resource tree (types, names, languages, data)."""
import struct


class PEImage:
    def __init__(self, data):
        self.data = data
        if data[:2] != b"MZ":
            raise ValueError("not an MZ image")
        pe = struct.unpack_from("<I", data, 0x3C)[0]
        if data[pe:pe + 4] != b"PE\0\0":
            raise ValueError("no PE signature")
        self.machine, nsections = struct.unpack_from("<HH", data, pe + 4)
        optsize, self.characteristics = struct.unpack_from("<HH", data, pe + 20)
        opt = pe + 24
        self.magic = struct.unpack_from("<H", data, opt)[0]
        dirs = opt + (96 if self.magic == 0x10B else 112)
        self.directories = [struct.unpack_from("<II", data, dirs + 8 * i) for i in range(16)]
        self.sections = []
        sec = opt + optsize
        for i in range(nsections):
            name = data[sec:sec + 8].rstrip(b"\0").decode()
            vsize, va, rawsize, rawptr = struct.unpack_from("<IIII", data, sec + 8)
            self.sections.append((name, va, max(vsize, rawsize), rawptr))
            sec += 40

    def offset(self, rva):
        for _, va, size, raw in self.sections:
            if va <= rva < va + size:
                return raw + rva - va
        raise ValueError(f"rva {rva:#x} outside every section")

    def cstring(self, rva):
        off = self.offset(rva)
        return self.data[off:self.data.index(b"\0", off)].decode()

    def imports(self):
        rva, size = self.directories[1]
        names = []
        off = self.offset(rva)
        while True:
            entry = struct.unpack_from("<IIIII", self.data, off)
            if not any(entry):
                break
            names.append(self.cstring(entry[3]))
            off += 20
        return names

    def exports(self):
        rva, size = self.directories[0]
        if not rva:
            return []
        off = self.offset(rva)
        nnames = struct.unpack_from("<I", self.data, off + 24)[0]
        names_rva = struct.unpack_from("<I", self.data, off + 32)[0]
        return [self.cstring(struct.unpack_from("<I", self.data, self.offset(names_rva) + 4 * i)[0]) for i in range(nnames)]

    def resources(self):
        """{(type, name, language): bytes} for integer types and names."""
        rva, size = self.directories[2]
        out = {}
        if not rva:
            return out
        base = self.offset(rva)

        def walk(off, path):
            named, ids = struct.unpack_from("<HH", self.data, off + 12)
            for i in range(named + ids):
                ident, target = struct.unpack_from("<II", self.data, off + 16 + 8 * i)
                key = ident if not ident & 0x80000000 else self.resource_name(base + (ident & 0x7FFFFFFF))
                if target & 0x80000000:
                    walk(base + (target & 0x7FFFFFFF), path + [key])
                else:
                    data_rva, data_size = struct.unpack_from("<II", self.data, base + target)
                    start = self.offset(data_rva)
                    out[tuple(path + [key])] = self.data[start:start + data_size]

        walk(base, [])
        return out

    def resource_name(self, off):
        length = struct.unpack_from("<H", self.data, off)[0]
        return self.data[off + 2:off + 2 + 2 * length].decode("utf-16-le")


def string_block(block):
    """The 16 strings of an RT_STRING block."""
    strings, off = [], 0
    for _ in range(16):
        length = struct.unpack_from("<H", block, off)[0]
        strings.append(block[off + 2:off + 2 + 2 * length].decode("utf-16-le"))
        off += 2 + 2 * length
    return strings


def version_strings(block):
    """The StringFileInfo values of a VS_VERSIONINFO resource, and the fixed file version."""
    values = {}
    fixed = block.find(struct.pack("<I", 0xFEEF04BD))
    ms, ls = struct.unpack_from("<II", block, fixed + 8)
    file_version = (ms >> 16, ms & 0xFFFF, ls >> 16, ls & 0xFFFF)
    pms, pls = struct.unpack_from("<II", block, fixed + 16)
    product_version = (pms >> 16, pms & 0xFFFF, pls >> 16, pls & 0xFFFF)

    def walk(off, end):
        while off < end:
            length, value_length, kind = struct.unpack_from("<HHH", block, off)
            if length == 0:
                break
            key_end = off + 6
            while block[key_end:key_end + 2] != b"\0\0":
                key_end += 2
            key = block[off + 6:key_end].decode("utf-16-le")
            value_off = (key_end + 2 + 3) & ~3
            if key in ("VS_VERSION_INFO", "StringFileInfo", "VarFileInfo") or (len(key) == 8 and value_length == 0):
                child = value_off + (52 if key == "VS_VERSION_INFO" else 0)
                child = (child + 3) & ~3
                walk(child, off + length)
            elif kind == 1:
                values[key] = block[value_off:value_off + 2 * value_length].decode("utf-16-le").rstrip("\0")
            off = (off + length + 3) & ~3

    walk(0, len(block))
    return values, file_version, product_version
