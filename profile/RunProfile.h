// The profile of this run, for the steps below the application object that
// read it and complete it (the device scans fill in the matched variants).
#pragma once

#include "profile/UninstProfile.h"

// The single application object's profile.
UninstProfile& TheProfile();
