// The log's first lines: which program, on which Windows, with which profile.
#pragma once

class CDrvUninstApp;

void LogRunStart(const CDrvUninstApp& app);
