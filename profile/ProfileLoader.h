// Reading ZIZURUDO.ini in the Windows directory into the profile.
#pragma once

#include "profile/UninstProfile.h"

// Fills the profile from one section of the file: the one named by the
// country code in decimal, or "1" when that one has no title.
void ReadUninstProfile(UninstProfile& profile, int countryCode);

// The user's country code: from the user's settings on Windows 2000 and
// later, from win.ini before; 1 when neither tells.
int ReadCountryCode();

// Hexadecimal text to a signed 32-bit number, as the profile's counts are
// written.
int HexTextToInt(const char* text);
