"""A small reader of Windows PE images: headers, sections, the import table
and the load configuration, enough for the build's post-link step and the
tests that read the programs it ships."""
import struct

IMAGE_DIRECTORY_ENTRY_IMPORT = 1
IMAGE_DIRECTORY_ENTRY_LOAD_CONFIG = 10
PE32_MAGIC = 0x10B
PE32_PLUS_MAGIC = 0x20B
# Where DependentLoadFlags sits in IMAGE_LOAD_CONFIG_DIRECTORY32 / 64.
DEPENDENT_LOAD_FLAGS_OFFSET = {PE32_MAGIC: 0x36, PE32_PLUS_MAGIC: 0x4E}


class PeError(Exception):
    pass


class PeImage:
    def __init__(self, data):
        self.data = bytearray(data)
        if self.data[:2] != b"MZ":
            raise PeError("not an MZ image")
        pe = self.u32(0x3C)
        if self.data[pe:pe + 4] != b"PE\0\0":
            raise PeError("no PE signature")
        coff = pe + 4
        self.machine, sections, _, _, _, optional_size, _ = struct.unpack_from("<HHIIIHH", self.data, coff)
        self.optional = coff + 20
        self.magic = self.u16(self.optional)
        if self.magic == PE32_MAGIC:
            self.image_base = self.u32(self.optional + 28)
            directories = self.optional + 96
        elif self.magic == PE32_PLUS_MAGIC:
            self.image_base = struct.unpack_from("<Q", self.data, self.optional + 24)[0]
            directories = self.optional + 112
        else:
            raise PeError("unknown optional header 0x%x" % self.magic)
        self.directory_count = self.u32(directories - 4)
        self.directories = directories
        self.sections = []
        table = self.optional + optional_size
        for i in range(sections):
            entry = table + 40 * i
            name = bytes(self.data[entry:entry + 8]).rstrip(b"\0").decode("latin-1")
            vsize, vaddr, raw_size, raw_offset = struct.unpack_from("<IIII", self.data, entry + 8)
            self.sections.append((name, vaddr, max(vsize, raw_size), raw_offset, raw_size))

    @classmethod
    def read(cls, path):
        with open(path, "rb") as f:
            return cls(f.read())

    def u16(self, offset):
        return struct.unpack_from("<H", self.data, offset)[0]

    def u32(self, offset):
        return struct.unpack_from("<I", self.data, offset)[0]

    @property
    def is_64bit(self):
        return self.magic == PE32_PLUS_MAGIC

    def section_names(self):
        return [s[0] for s in self.sections]

    def offset_of(self, rva):
        """The file offset of an address inside a section's stored data."""
        for _, vaddr, vsize, raw_offset, raw_size in self.sections:
            if vaddr <= rva < vaddr + vsize and rva - vaddr < raw_size:
                return raw_offset + rva - vaddr
        raise PeError("address 0x%x is in no section's data" % rva)

    def directory(self, index):
        if index >= self.directory_count:
            return 0, 0
        return struct.unpack_from("<II", self.data, self.directories + 8 * index)

    def set_directory(self, index, rva, size):
        if index >= self.directory_count:
            raise PeError("the image has no data directory %d" % index)
        struct.pack_into("<II", self.data, self.directories + 8 * index, rva, size)

    def _string(self, rva):
        offset = self.offset_of(rva)
        end = self.data.index(b"\0", offset)
        return bytes(self.data[offset:end]).decode("latin-1")

    def imports(self):
        """{library (lower case): [function names; "#n" for an ordinal]}."""
        rva, _ = self.directory(IMAGE_DIRECTORY_ENTRY_IMPORT)
        result = {}
        if rva == 0:
            return result
        entry = self.offset_of(rva)
        thunk_size = 8 if self.is_64bit else 4
        ordinal_flag = 1 << (thunk_size * 8 - 1)
        while True:
            lookup, _, _, name_rva, address = struct.unpack_from("<IIIII", self.data, entry)
            if name_rva == 0:
                return result
            names = result.setdefault(self._string(name_rva).lower(), [])
            thunk = self.offset_of(lookup or address)
            while True:
                value = struct.unpack_from("<Q" if self.is_64bit else "<I", self.data, thunk)[0]
                if value == 0:
                    break
                names.append("#%d" % (value & 0xFFFF) if value & ordinal_flag else self._string(value + 2))
                thunk += thunk_size
            entry += 20

    def load_config(self):
        """(directory size, the structure's Size field, DependentLoadFlags), or
        None when the image has no load configuration."""
        rva, size = self.directory(IMAGE_DIRECTORY_ENTRY_LOAD_CONFIG)
        if rva == 0:
            return None
        offset = self.offset_of(rva)
        flags_offset = DEPENDENT_LOAD_FLAGS_OFFSET[self.magic]
        struct_size = self.u32(offset)
        flags = self.u16(offset + flags_offset) if struct_size >= flags_offset + 2 else None
        return size, struct_size, flags
