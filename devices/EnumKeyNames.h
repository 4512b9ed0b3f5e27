// The 9x enumeration-key names: tails of hardware IDs at a set of
// characters, recorded into the fixed lists g_strVenID and g_strCxID.
#pragma once

#include "profile/UninstProfile.h"

// The text from the first character that belongs to the set to the end
// (case-sensitive); empty when none occurs. Taken from the whole ID, so an ID
// of any length gives the same tail.
CString TailAt(const char* hardwareId, const char* characterSet);

// Stores the text in the next free slot of a list of MAX_ENUM_IDS texts. An
// empty text names no key and a full list takes no more: both are dropped.
void RecordEnumKeyName(CString* list, int* count, const CString& text);
