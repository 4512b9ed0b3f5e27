#!/usr/bin/env python3
"""Fails when a Windows program imports any function that writes to the
machine: registry writes and deletes, file deletes, attribute changes, moves,
profile-string writes, device removal and class-installer calls, process
termination, messages to other windows, token adjustment.

Reads the import table with tools/pe/pe_image.py (both PE32 and PE32+); the
builds make no delay-load imports. --expect-writes turns it round: the program must import at least one of them,
which shows on DrvUninst.exe that the reading finds what it looks for.

Exit status: 0 as expected, 1 not, 77 the program is not built.
"""
import argparse
import os
import sys

REPO = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
sys.path.insert(0, os.path.join(REPO, "tools", "pe"))
from pe_image import PeImage  # noqa: E402

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


def main():
    p = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    p.add_argument("program")
    p.add_argument("--expect-writes", action="store_true")
    args = p.parse_args()
    if not os.path.exists(args.program):
        print("SKIP: %s is not built" % args.program)
        return SKIP
    imports = [(dll, function) for dll, functions in PeImage.read(args.program).imports().items()
               for function in functions]
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
