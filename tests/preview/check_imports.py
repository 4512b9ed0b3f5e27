#!/usr/bin/env python3
"""Fails when a Windows program imports any function that writes to the
machine: registry writes and deletes, file deletes, attribute changes, moves,
profile-string writes, device removal and class-installer calls, process
termination, messages to other windows, token adjustment.

Reads the PE import and delay-import tables itself (both PE32 and PE32+).
--expect-writes turns it round: the program must import at least one of them,
which shows on DrvUninst.exe that the reading finds what it looks for.

Exit status: 0 as expected, 1 not, 77 the program is not built.
"""
import argparse
import os
import struct
import sys

SKIP = 77

WRITES = {
    "registry": ["RegSetValueA", "RegSetValueW", "RegSetValueExA", "RegSetValueExW", "RegSetKeyValueA",
                 "RegSetKeyValueW", "RegCreateKeyA", "RegCreateKeyW", "RegCreateKeyExA", "RegCreateKeyExW",
                 "RegCreateKeyTransactedA", "RegCreateKeyTransactedW", "RegDeleteKeyA", "RegDeleteKeyW",
                 "RegDeleteKeyExA", "RegDeleteKeyExW", "RegDeleteKeyTransactedA", "RegDeleteKeyTransactedW",
                 "RegDeleteValueA", "RegDeleteValueW", "RegDeleteTreeA", "RegDeleteTreeW", "RegDeleteKeyValueA",
                 "RegDeleteKeyValueW", "RegCopyTreeA", "RegCopyTreeW", "RegRestoreKeyA", "RegRestoreKeyW",
                 "RegReplaceKeyA", "RegReplaceKeyW", "RegLoadKeyA", "RegLoadKeyW", "RegUnLoadKeyA", "RegUnLoadKeyW",
                 "RegSaveKeyA", "RegSaveKeyW", "RegSaveKeyExA", "RegSaveKeyExW", "RegSetKeySecurity",
                 "SHDeleteKeyA", "SHDeleteKeyW", "SHDeleteValueA", "SHDeleteValueW", "SHDeleteEmptyKeyA",
                 "SHDeleteEmptyKeyW", "SHSetValueA", "SHSetValueW", "SHRegSetUSValueA", "SHRegSetUSValueW",
                 "SHCopyKeyA", "SHCopyKeyW"],
    "file delete": ["DeleteFileA", "DeleteFileW", "DeleteFileTransactedA", "DeleteFileTransactedW",
                    "RemoveDirectoryA", "RemoveDirectoryW", "remove", "_wremove", "_unlink", "_wunlink", "unlink",
                    "_rmdir", "_wrmdir", "rmdir"],
    "attribute change": ["SetFileAttributesA", "SetFileAttributesW", "SetFileAttributesTransactedA",
                         "SetFileAttributesTransactedW", "SetFileTime", "SetFileInformationByHandle",
                         "SetFileSecurityA", "SetFileSecurityW", "SetEndOfFile", "_chmod", "_wchmod"],
    "move": ["MoveFileA", "MoveFileW", "MoveFileExA", "MoveFileExW", "MoveFileWithProgressA",
             "MoveFileWithProgressW", "MoveFileTransactedA", "MoveFileTransactedW", "ReplaceFileA", "ReplaceFileW",
             "CopyFileA", "CopyFileW", "CopyFileExA", "CopyFileExW", "rename", "_wrename"],
    "profile-string write": ["WritePrivateProfileStringA", "WritePrivateProfileStringW",
                             "WritePrivateProfileSectionA", "WritePrivateProfileSectionW",
                             "WritePrivateProfileStructA", "WritePrivateProfileStructW", "WriteProfileStringA",
                             "WriteProfileStringW", "WriteProfileSectionA", "WriteProfileSectionW"],
    "device removal or class installer": ["SetupDiRemoveDevice", "SetupDiCallClassInstaller",
                                          "SetupDiSetClassInstallParamsA", "SetupDiSetClassInstallParamsW",
                                          "SetupDiSetDeviceRegistryPropertyA", "SetupDiSetDeviceRegistryPropertyW",
                                          "SetupDiChangeState", "SetupDiInstallDevice", "SetupDiDeleteDeviceInfo",
                                          "SetupDiDeleteDevRegKey", "SetupDiCreateDevRegKeyA",
                                          "SetupDiCreateDevRegKeyW", "SetupUninstallOEMInfA",
                                          "SetupUninstallOEMInfW", "SetupCopyOEMInfA", "SetupCopyOEMInfW",
                                          "DiUninstallDevice", "DiUninstallDriverA", "DiUninstallDriverW",
                                          "CM_Uninstall_DevNode", "CM_Query_And_Remove_SubTreeA",
                                          "CM_Query_And_Remove_SubTreeW", "UpdateDriverForPlugAndPlayDevicesA",
                                          "UpdateDriverForPlugAndPlayDevicesW"],
    "process termination": ["TerminateProcess", "TerminateThread", "TerminateJobObject"],
    "message to another window": ["SendMessageA", "SendMessageW", "SendMessageTimeoutA", "SendMessageTimeoutW",
                                  "PostMessageA", "PostMessageW", "SendNotifyMessageA", "SendNotifyMessageW",
                                  "SendMessageCallbackA", "SendMessageCallbackW", "PostThreadMessageA",
                                  "PostThreadMessageW", "BroadcastSystemMessageA", "BroadcastSystemMessageW",
                                  "SetWindowTextA", "SetWindowTextW"],
    "token adjustment": ["AdjustTokenPrivileges", "AdjustTokenGroups", "SetTokenInformation"],
}


class PE:
    def __init__(self, data):
        self.data = data
        if data[:2] != b"MZ":
            raise ValueError("not a Windows program")
        pe = struct.unpack_from("<I", data, 0x3C)[0]
        if data[pe:pe + 4] != b"PE\0\0":
            raise ValueError("no PE header")
        sections, optional_size = struct.unpack_from("<H12xH", data, pe + 6)
        optional = pe + 24
        self.pe32plus = struct.unpack_from("<H", data, optional)[0] == 0x20B
        directories = optional + (112 if self.pe32plus else 96)
        self.directories = [struct.unpack_from("<II", data, directories + 8 * i) for i in range(16)]
        self.sections = []
        table = optional + optional_size
        for i in range(sections):
            size, rva, raw_size, raw = struct.unpack_from("<IIII", data, table + 40 * i + 8)
            self.sections.append((rva, max(size, raw_size), raw))

    def offset(self, rva):
        for start, size, raw in self.sections:
            if start <= rva < start + size:
                return raw + rva - start
        raise ValueError("address 0x%x is in no section" % rva)

    def text(self, rva):
        at = self.offset(rva)
        return self.data[at:self.data.index(b"\0", at)].decode("ascii", "replace")

    def names(self, thunks_rva):
        """Function names of one import lookup table (ordinals as #n)."""
        width, flag = (8, 1 << 63) if self.pe32plus else (4, 1 << 31)
        at = self.offset(thunks_rva)
        while True:
            thunk = struct.unpack_from("<Q" if width == 8 else "<I", self.data, at)[0]
            if thunk == 0:
                return
            yield "#%d" % (thunk & 0xFFFF) if thunk & flag else self.text((thunk & 0x7FFFFFFF) + 2)
            at += width

    def imports(self):
        """(dll, function) for the import and the delay-import tables."""
        for index, size, lookup_field, name_field in ((1, 20, 0, 3), (13, 32, 4, 1)):
            rva = self.directories[index][0]
            if rva == 0:
                continue
            at = self.offset(rva)
            while True:
                fields = struct.unpack_from("<%dI" % (size // 4), self.data, at)
                if not any(fields):
                    break
                dll = self.text(fields[name_field])
                lookup = fields[lookup_field] or fields[4 if index == 1 else 3]
                for function in self.names(lookup):
                    yield dll, function
                at += size


def main():
    p = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    p.add_argument("program")
    p.add_argument("--expect-writes", action="store_true")
    args = p.parse_args()
    if not os.path.exists(args.program):
        print("SKIP: %s is not built" % args.program)
        return SKIP
    with open(args.program, "rb") as f:
        imports = list(PE(f.read()).imports())
    kinds = {name: kind for kind, names in WRITES.items() for name in names}
    found = [(dll, function, kinds[function]) for dll, function in imports if function in kinds]
    print("%s: %d imported functions from %d libraries" % (args.program, len(imports),
                                                           len({dll.lower() for dll, _ in imports})))
    for dll, function, kind in found:
        print("  writes (%s): %s!%s" % (kind, dll, function))
    if args.expect_writes:
        print("imports functions that write, as expected" if found else "FAIL: found no function that writes")
        return 0 if found else 1
    print("imports nothing that writes" if not found else "FAIL: imports %d functions that write" % len(found))
    return 1 if found else 0


if __name__ == "__main__":
    sys.exit(main())
