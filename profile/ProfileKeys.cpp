#include "profile/ProfileKeys.h"

namespace {

#define DRV_FIELD(prefix, member, kind) \
  { prefix, kind, offsetof(DRVENTRY, member), static_cast<int>(sizeof(DRVENTRY::member)) }

const ProfileListField kDevFields[] = {
    DRV_FIELD("DevDrvID", szDrvID, VALUE_DEVICE_ID),
    DRV_FIELD("DevDrvName", szDrvName, VALUE_DRIVER_NAME),
    DRV_FIELD("DevDrvSYS", szDrvSYS, VALUE_DRIVER_FILE),
    DRV_FIELD("DevDrvINF", szDrvINF, VALUE_INF_FILE),
};
const ProfileListField kExtDevFields[] = {
    DRV_FIELD("ExtDevDrvID", szDrvID, VALUE_EXTENSION_ID),
    DRV_FIELD("ExtDevDrvName", szDrvName, VALUE_DRIVER_NAME),
    DRV_FIELD("ExtDevDrvSYS", szDrvSYS, VALUE_DRIVER_FILE),
    DRV_FIELD("ExtDevDrvINF", szDrvINF, VALUE_INF_FILE),
};
const ProfileListField kPossibleDevFields[] = {
    DRV_FIELD("PossibleDevID", szDrvID, VALUE_VARIANT_ID),
    DRV_FIELD("PossibleDevDrvName", szDrvName, VALUE_DRIVER_NAME),
    DRV_FIELD("PossibleDevDrvSYS", szDrvSYS, VALUE_DRIVER_FILE),
    DRV_FIELD("PossibleDevInf", szDrvINF, VALUE_INF_FILE),
};
// Of an extension's variant only the description is used.
const ProfileListField kPossibleExtDevFields[] = {
    DRV_FIELD("PossibleExtDevDrvID", szDrvID, VALUE_UNUSED),
    DRV_FIELD("PossibleExtDevDrvName", szDrvName, VALUE_DRIVER_NAME),
    DRV_FIELD("PossibleExtDevDrvSYS", szDrvSYS, VALUE_UNUSED),
    DRV_FIELD("PossibleExtDevDrvINF", szDrvINF, VALUE_UNUSED),
};
#undef DRV_FIELD

const ProfileListField kExtCopyFileField[] = {{"ExtCopyFileName", VALUE_FILE_NAME, 0, TEXT_SIZE}};
const ProfileListField kServiceField[] = {{"UnInstService", VALUE_SERVICE_NAME, 0, TEXT_SIZE}};
const ProfileListField kMakerKeyField[] = {{"UnInstRegKey", VALUE_MAKER_KEY, 0, TEXT_SIZE}};

#define MEMBER(member) offsetof(UninstProfile, member), static_cast<int>(sizeof(UninstProfile::member))
#define TEXT_KEY(name, member, kind, defaultText) \
  { KEY_TEXT, name, kind, defaultText, MEMBER(member), 0, 0, 0, nullptr }
#define LIST_KEY(name, count, entries, fields)                                                    \
  {                                                                                                \
    KEY_LIST, name, VALUE_HEX_COUNT, "0", offsetof(UninstProfile, count), COUNT_TEXT_SIZE,             \
        offsetof(UninstProfile, entries), sizeof(UninstProfile::entries[0]),                       \
        static_cast<int>(sizeof(fields) / sizeof(fields[0])), fields                               \
  }

}  // namespace

const ProfileKey kProfileKeys[] = {
    {KEY_TITLE, "UnInstDrvAppTitle", VALUE_TEXT, "Velmor Lumex WDM Drivers Uninstallation",
     MEMBER(m_szUnInstDrvAppTitle), 0, 0, 0, nullptr},
    LIST_KEY("DevIDNum", m_nDevIDNum, m_DevDrv, kDevFields),
    LIST_KEY("ExtDevIDNum", m_nExtDevIDNum, m_ExtDevDrv, kExtDevFields),
    LIST_KEY("ExtDllFileNum", m_nExtDllFileNum, m_szExtCopyFileName, kExtCopyFileField),
    LIST_KEY("PossibleDevIDNum", m_nPossibleDevIDNum, m_PossibleDevDrv, kPossibleDevFields),
    LIST_KEY("PossibleExtDevIDNum", m_nPossibleExtDevIDNum, m_PossibleExtDevDrv, kPossibleExtDevFields),
    TEXT_KEY("DrvUninstRegKeyPath", m_szDrvUninstRegKeyPath, VALUE_TEXT, ""),
    TEXT_KEY("DrvUninstRegKeyName", m_szDrvUninstRegKeyName, VALUE_TEXT, "Velmor Lumex WDM Drivers"),
    TEXT_KEY("DrvUninstAppName", m_szDrvUninstAppName, VALUE_FILE_NAME, "q7nunist.exe"),
    TEXT_KEY("MediaClass", m_szMediaClass, VALUE_TEXT, "Yes"),
    TEXT_KEY("UnInstNoRegKeyMsg", m_szUnInstNoRegKeyMsg, VALUE_TEXT, "You do not install Velmor Lumex WDM Drivers."),
    TEXT_KEY("UnInstDrvPassMsg", m_szUnInstDrvPassMsg, VALUE_TEXT,
             "Velmor Lumex WDM Drivers have been uninstalled completely."),
    TEXT_KEY("UnInstDrvPassMsg2", m_szUnInstDrvPassMsg2, VALUE_TEXT,
             "If you want to re-install drivers, you MUST reboot your system."),
    TEXT_KEY("UnInstDrvRunTipMsg", m_szUnInstDrvRunTipMsg, VALUE_TEXT, "Press 'OK' to start ..."),
    TEXT_KEY("UnInstDrvLeftMsg", m_szUnInstDrvLeftMsg, VALUE_TEXT,
             "The drivers could not be removed completely. These parts are still there:"),
    TEXT_KEY("UnInstDrvLeftMoreMsg", m_szUnInstDrvLeftMoreMsg, VALUE_COUNT_FORMAT, ""),
    TEXT_KEY("UnInstDrv64FailMsg", m_szUnInstDrv64FailMsg, VALUE_TEXT,
             "The 64-bit part of the uninstaller could not be started, so nothing was removed. "
             "Run the uninstaller again as an administrator."),
    TEXT_KEY("UnInstDrvNoDevMsg", m_szUnInstDrvNoDevMsg, VALUE_TEXT,
             "The drivers were not removed because the device was not found as expected. "
             "Connect the device and run this program again."),
    LIST_KEY("UnInstServiceNum", m_nUnInstServiceNum, m_szUnInstService, kServiceField),
    TEXT_KEY("OKText", m_szOKText, VALUE_TEXT, "OK"),
    TEXT_KEY("UnInstRemoteTitleName", m_szUnInstRemoteTitleName, VALUE_TEXT, "Remote Control"),
    LIST_KEY("UnInstRegKeyNum", m_nUnInstRegKeyNum, m_szUnInstRegKey, kMakerKeyField),
};
const int kProfileKeyCount = static_cast<int>(sizeof(kProfileKeys) / sizeof(kProfileKeys[0]));

#undef LIST_KEY
#undef TEXT_KEY
#undef MEMBER

namespace {

size_t EntryOffset(const ProfileKey& list, int index, int field) {
  return list.entriesOffset + list.entrySize * static_cast<size_t>(index) + list.fields[field].offset;
}

}  // namespace

char* KeyText(UninstProfile& profile, const ProfileKey& key) {
  return reinterpret_cast<char*>(&profile) + key.offset;
}

const char* KeyText(const UninstProfile& profile, const ProfileKey& key) {
  return reinterpret_cast<const char*>(&profile) + key.offset;
}

int& ListCount(UninstProfile& profile, const ProfileKey& list) {
  return *reinterpret_cast<int*>(KeyText(profile, list));
}

int ListCount(const UninstProfile& profile, const ProfileKey& list) {
  return *reinterpret_cast<const int*>(KeyText(profile, list));
}

char* EntryText(UninstProfile& profile, const ProfileKey& list, int index, int field) {
  return reinterpret_cast<char*>(&profile) + EntryOffset(list, index, field);
}

const char* EntryText(const UninstProfile& profile, const ProfileKey& list, int index, int field) {
  return reinterpret_cast<const char*>(&profile) + EntryOffset(list, index, field);
}
