// The run's account for /log FILE: one line an event, in the system's ANSI
// code page (the program's own strings are ANSI already), written as it
// happens so that a run cut short still leaves what it did. Every call is a
// no-op while no log is open, so the removal steps call it unconditionally.
#pragma once

// Creates the file, or empties it when it exists. False when it cannot be
// opened for writing; no log is open then.
bool OpenRunLog(const char* path);
void CloseRunLog();
bool RunLogIsOpen();

// One line "<what> <subject>: <outcome>", e.g.
//   LogEvent("file", "c:\\windows\\system32\\drivers\\tuner.sys", "removed").
// An empty outcome leaves out the colon; an empty subject leaves out the blank.
void LogEvent(const char* what, const char* subject, const char* outcome);

// One line as it stands.
void LogLine(const char* text);

// A message box as it is shown: "box <caption>: <text>", its line feeds
// written as \n so that the box stays one line.
void LogBox(const char* caption, const char* text);
// The same for a box /quiet kept from the screen: "message <caption>: <text>".
void LogMessage(const char* caption, const char* text);

