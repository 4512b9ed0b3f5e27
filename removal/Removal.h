// The registry clean-ups and the receiver stop of the removal sequences.
#pragma once

int CleanRegistryNT();
int CleanRegistryWin9x();
void KillProcessByName(const char* name);
