// What a run set out to remove and could not, neither at once nor at the next
// restart. The final message names these instead of claiming a clean removal.
#pragma once

void ResetLeftovers();
// A path or a registry key path, as the user would recognise it, whole; one
// already noted (case ignored) is not noted again.
void NoteLeftover(const char* item);
int LeftoverCount();
// In the order noted; "" past the end.
const char* LeftoverAt(int index);
