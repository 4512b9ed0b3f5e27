// What a run found in use by another product and so left on purpose: an INF
// another device was installed from, a class instance another device is bound
// to. Keeping them is no failure of this package's removal (the final message
// stays the complete-removal one), but the log and the preview name each with
// the device that keeps it.
#pragma once

void ResetKept();
// A path or a registry key path, and why it stays ("used by <device>"). The
// same item noted again is kept once.
void NoteKept(const char* item, const char* why);
int KeptCount();
const char* KeptItemAt(int index);
const char* KeptWhyAt(int index);
