// What a run set out to remove and could not, neither at once nor at the next
// restart. The final message names these instead of claiming a clean removal.
#pragma once

enum { MAX_LEFTOVERS_KEPT = 64 };

void ResetLeftovers();
// A path or a registry key path, as the user would recognise it.
void NoteLeftover(const char* item);
int LeftoverCount();
// The first MAX_LEFTOVERS_KEPT items; later ones are only counted.
const char* LeftoverAt(int index);
