// The keys of a profile section, in the order the loader reads them: for
// each its name, the field it fills and that field's width. The loader walks
// this table, and so does the preview's profile check.
#pragma once

#include <cstddef>

#include "profile/UninstProfile.h"

// A list's count is read as text into a buffer of this size.
enum { COUNT_TEXT_SIZE = 32 };

enum ProfileKeyForm {
  KEY_TITLE,  // read first: an empty one sends every other read to section 1
  KEY_TEXT,   // one key, one text
  KEY_LIST,   // a hexadecimal count and that many entries, indexed from 0
};

// What the uninstaller does with a value: why an empty or odd one matters.
enum ProfileValueKind {
  VALUE_TEXT,           // shown or compared as written
  VALUE_HEX_COUNT,      // a list's count
  VALUE_DEVICE_ID,      // hardware-ID prefix of a device to remove
  VALUE_EXTENSION_ID,   // hardware-ID prefix of an extension device
  VALUE_VARIANT_ID,     // hardware-ID prefix of a variant of a device entry
  VALUE_DRIVER_NAME,    // a class instance's driver description
  VALUE_DRIVER_FILE,    // a kernel driver file name
  VALUE_INF_FILE,       // an INF file name
  VALUE_FILE_NAME,      // another file name, joined to a folder
  VALUE_SERVICE_NAME,   // a service key's name
  VALUE_MAKER_KEY,      // a path below HKLM\Software
  VALUE_COUNT_FORMAT,   // a format taking one number
  VALUE_UNUSED,         // read, but nothing the uninstaller does looks at it
};

// A field of a list's entries; its key is the prefix and the entry's index
// in decimal without leading zeros ("DevDrvID0").
struct ProfileListField {
  const char* prefix;
  ProfileValueKind kind;
  size_t offset;  // within an entry
  int width;      // the buffer, terminating NUL included
};

struct ProfileKey {
  ProfileKeyForm form;
  const char* name;  // the key, or a list's count key
  ProfileValueKind kind;
  const char* defaultText;
  size_t offset;  // of the text, or of a list's count
  int width;      // the buffer the value (or the count's text) is read into
  // A list only: its entries, entrySize apart from entriesOffset.
  size_t entriesOffset;
  size_t entrySize;
  int fieldCount;
  const ProfileListField* fields;
};

extern const ProfileKey kProfileKeys[];
extern const int kProfileKeyCount;

char* KeyText(UninstProfile& profile, const ProfileKey& key);
const char* KeyText(const UninstProfile& profile, const ProfileKey& key);
int& ListCount(UninstProfile& profile, const ProfileKey& list);
int ListCount(const UninstProfile& profile, const ProfileKey& list);
char* EntryText(UninstProfile& profile, const ProfileKey& list, int index, int field);
const char* EntryText(const UninstProfile& profile, const ProfileKey& list, int index, int field);
