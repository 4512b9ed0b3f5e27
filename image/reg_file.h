// Registry files as regedit writes them ("REGEDIT4" or "Windows Registry
// Editor Version 5.00", ANSI, UTF-8 or UTF-16LE with a BOM), read into a list
// of operations and imported into the simulated registry.
#pragma once

#include <string>
#include <vector>

namespace image {

struct RegOperation {
  enum Kind { CreateKey, DeleteKey, SetValue, DeleteValue };
  Kind kind = CreateKey;
  std::string keyPath;  // as written, "HKEY_LOCAL_MACHINE\..."
  std::string name;     // empty for the default value (@)
  unsigned type = 0;    // REG_SZ, REG_DWORD, ...
  std::vector<unsigned char> data;
};

struct RegParseResult {
  std::vector<RegOperation> operations;
  std::vector<std::string> errors;  // "line 12: ..." for lines that were skipped
};

// Bytes of a file to text: a UTF-16LE or UTF-8 BOM is honoured, characters
// beyond Latin-1 become '?', as an ANSI program would see them.
std::string DecodeRegBytes(const std::string& bytes);

RegParseResult ParseRegText(const std::string& text);

// Applies the operations in order; returns false (with a reason) for a key
// outside the simulated roots.
bool ApplyRegOperations(const std::vector<RegOperation>& operations, std::vector<std::string>* errors);

// Reads, parses and imports a file; every problem is added to errors.
bool ImportRegFile(const std::string& path, std::vector<std::string>* errors);

}  // namespace image
