// The maker's own keys below HKLM\Software that the profile names
// (UnInstRegKey0..): deleted with everything below them in every registry
// view that holds them, and the keys above them that this leaves empty, up to
// the maker's key.
#pragma once

// Why a named path is or is not acted on. Only a path of two or more plain
// components below HKLM\Software, outside the branches Windows and other
// programs share, names a product's own key.
enum MakerKeyVerdict {
  MAKER_KEY_ALLOWED,
  MAKER_KEY_EMPTY,            // names nothing
  MAKER_KEY_TOO_SHORT,        // one component: the whole maker's key
  MAKER_KEY_BAD_COMPONENT,    // an empty, "." or ".." component
  MAKER_KEY_SHARED_BRANCH,    // Microsoft, Classes, Wow6432Node, Policies, Clients
  MAKER_KEY_MAY_BE_CUT,       // fills its buffer: the profile's path may be longer
};

MakerKeyVerdict MakerKeyVerdictOf(const char* path);

// Every allowed UnInstRegKey path of the profile; what stays is noted as a
// leftover.
void DeleteMakerKeys();
