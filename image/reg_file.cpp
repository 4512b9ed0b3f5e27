#include "image/reg_file.h"

#include <cctype>
#include <fstream>
#include <sstream>

#include "platform/sim/faults.h"
#include "platform/sim/registry_store.h"

namespace image {
namespace {

char ToAnsi(unsigned codePoint) { return codePoint <= 0xFF ? static_cast<char>(codePoint) : '?'; }

std::string FromUtf16(const std::string& bytes, size_t start) {
  std::string text;
  for (size_t i = start; i + 1 < bytes.size(); i += 2) {
    const unsigned unit = static_cast<unsigned char>(bytes[i]) | (static_cast<unsigned char>(bytes[i + 1]) << 8);
    if (unit >= 0xDC00 && unit <= 0xDFFF) continue;  // second half of a pair, already shown as '?'
    text += ToAnsi(unit);
  }
  return text;
}

std::string FromUtf8(const std::string& bytes, size_t start) {
  std::string text;
  for (size_t i = start; i < bytes.size();) {
    const unsigned char lead = static_cast<unsigned char>(bytes[i]);
    size_t length = lead < 0x80 ? 1 : (lead >> 5) == 6 ? 2 : (lead >> 4) == 14 ? 3 : (lead >> 3) == 30 ? 4 : 0;
    if (length == 0 || i + length > bytes.size()) {
      text += static_cast<char>(lead);  // not UTF-8: keep the byte
      ++i;
      continue;
    }
    unsigned codePoint = length == 1 ? lead : lead & (0x7F >> length);
    for (size_t k = 1; k < length; ++k) codePoint = (codePoint << 6) | (static_cast<unsigned char>(bytes[i + k]) & 0x3F);
    text += ToAnsi(codePoint);
    i += length;
  }
  return text;
}

bool KnownRoot(const std::string& path) {
  const std::string head = path.substr(0, path.find('\\'));
  for (const char* root : {"HKEY_LOCAL_MACHINE", "HKEY_CURRENT_USER", "HKEY_CLASSES_ROOT", "HKEY_USERS", "HKLM", "HKCU"}) {
    if (head.size() == std::string(root).size() && sim::StartsWithNoCase(head, root)) return true;
  }
  return false;
}

// Reads a quoted text starting at text[pos] == '"'; pos ends after the
// closing quote. Returns false when the quote is never closed.
bool ReadQuoted(const std::string& text, size_t* pos, std::string* out) {
  out->clear();
  for (size_t i = *pos + 1; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '"') {
      *pos = i + 1;
      return true;
    }
    if (c == '\\' && i + 1 < text.size()) {
      const char next = text[++i];
      if (next == 'n') {
        *out += '\n';
      } else if (next == '\\' || next == '"') {
        *out += next;
      } else {
        *out += '\\';
        *out += next;
      }
      continue;
    }
    *out += c;
  }
  return false;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool ParseHexBytes(const std::string& text, std::vector<unsigned char>* out) {
  std::string digits;
  for (char c : text) {
    if (c == ',' || std::isspace(static_cast<unsigned char>(c))) {
      if (!digits.empty()) {
        if (digits.size() > 2) return false;
        int value = 0;
        for (char d : digits) value = value * 16 + HexDigit(d);
        out->push_back(static_cast<unsigned char>(value));
        digits.clear();
      }
      continue;
    }
    if (HexDigit(c) < 0) return false;
    digits += c;
  }
  if (!digits.empty()) {
    if (digits.size() > 2) return false;
    int value = 0;
    for (char d : digits) value = value * 16 + HexDigit(d);
    out->push_back(static_cast<unsigned char>(value));
  }
  return true;
}

// Version 5 files store string-like hex data as UTF-16LE; the program reads
// it through the ANSI calls.
std::vector<unsigned char> Utf16BytesToAnsi(const std::vector<unsigned char>& data) {
  const std::string text = FromUtf16(std::string(data.begin(), data.end()), 0);
  return std::vector<unsigned char>(text.begin(), text.end());
}

bool ParseData(const std::string& data, bool unicode, RegOperation* op, std::string* error) {
  if (data == "-") {
    op->kind = RegOperation::DeleteValue;
    return true;
  }
  op->kind = RegOperation::SetValue;
  if (!data.empty() && data[0] == '"') {
    size_t pos = 0;
    std::string text;
    if (!ReadQuoted(data, &pos, &text)) {
      *error = "unterminated string";
      return false;
    }
    const std::string rest = sim::TrimSpace(data.substr(pos));
    if (!rest.empty() && rest[0] != ';') {
      *error = "text after the string";
      return false;
    }
    op->type = 1;  // REG_SZ
    op->data.assign(text.begin(), text.end());
    op->data.push_back(0);
    return true;
  }
  if (sim::StartsWithNoCase(data, "dword:")) {
    const std::string digits = sim::TrimSpace(data.substr(6));
    if (digits.empty() || digits.size() > 8) {
      *error = "a dword needs 1 to 8 hex digits";
      return false;
    }
    unsigned value = 0;
    for (char c : digits) {
      if (HexDigit(c) < 0) {
        *error = "bad dword digit";
        return false;
      }
      value = value * 16 + static_cast<unsigned>(HexDigit(c));
    }
    op->type = 4;  // REG_DWORD
    for (int i = 0; i < 4; ++i) op->data.push_back(static_cast<unsigned char>(value >> (8 * i)));
    return true;
  }
  if (sim::StartsWithNoCase(data, "hex")) {
    size_t colon = data.find(':');
    if (colon == std::string::npos) {
      *error = "hex data without ':'";
      return false;
    }
    const std::string kind = data.substr(3, colon - 3);
    unsigned type = 3;  // REG_BINARY
    if (!kind.empty()) {
      if (kind.size() < 3 || kind.front() != '(' || kind.back() != ')') {
        *error = "bad hex type";
        return false;
      }
      type = 0;
      for (size_t i = 1; i + 1 < kind.size(); ++i) {
        if (HexDigit(kind[i]) < 0) {
          *error = "bad hex type";
          return false;
        }
        type = type * 16 + static_cast<unsigned>(HexDigit(kind[i]));
      }
    }
    if (!ParseHexBytes(data.substr(colon + 1), &op->data)) {
      *error = "bad hex bytes";
      return false;
    }
    op->type = type;
    if (unicode && (type == 1 || type == 2 || type == 7)) op->data = Utf16BytesToAnsi(op->data);
    return true;
  }
  *error = "unknown value data";
  return false;
}

std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> lines;
  std::string line;
  std::istringstream in(text);
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  return lines;
}

}  // namespace

std::string DecodeRegBytes(const std::string& bytes) {
  if (bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF && static_cast<unsigned char>(bytes[1]) == 0xFE)
    return FromUtf16(bytes, 2);
  if (bytes.size() >= 3 && bytes.compare(0, 3, "\xEF\xBB\xBF") == 0) return FromUtf8(bytes, 3);
  return bytes;
}

RegParseResult ParseRegText(const std::string& text) {
  RegParseResult result;
  const std::vector<std::string> lines = SplitLines(text);
  size_t index = 0;
  while (index < lines.size() && sim::TrimSpace(lines[index]).empty()) ++index;
  if (index == lines.size()) {
    result.errors.push_back("line 1: no REGEDIT4 or \"Windows Registry Editor Version 5.00\" header");
    return result;
  }
  const std::string header = sim::TrimSpace(lines[index]);
  bool unicode = false;
  if (header == "Windows Registry Editor Version 5.00") {
    unicode = true;
  } else if (header != "REGEDIT4") {
    result.errors.push_back("line " + std::to_string(index + 1) + ": not a registry file header: " + header);
    return result;
  }
  std::string currentKey;  // empty: values are not taken (no section, or a deleted one)
  for (++index; index < lines.size(); ++index) {
    const size_t lineNumber = index + 1;
    std::string line = sim::TrimSpace(lines[index]);
    if (line.empty() || line[0] == ';') continue;
    const std::string where = "line " + std::to_string(lineNumber) + ": ";
    if (line[0] == '[') {
      const size_t close = line.rfind(']');
      if (close == std::string::npos) {
        result.errors.push_back(where + "section without ']'");
        currentKey.clear();
        continue;
      }
      std::string path = line.substr(1, close - 1);
      const bool remove = !path.empty() && path[0] == '-';
      if (remove) path = path.substr(1);
      if (!KnownRoot(path)) {
        result.errors.push_back(where + "unknown root key: " + path);
        currentKey.clear();
        continue;
      }
      RegOperation op;
      op.kind = remove ? RegOperation::DeleteKey : RegOperation::CreateKey;
      op.keyPath = path;
      result.operations.push_back(op);
      currentKey = remove ? std::string() : path;
      continue;
    }
    RegOperation op;
    size_t pos = 0;
    if (line[0] == '@') {
      pos = 1;
    } else if (line[0] == '"') {
      if (!ReadQuoted(line, &pos, &op.name)) {
        result.errors.push_back(where + "unterminated value name");
        continue;
      }
    } else {
      result.errors.push_back(where + "not a section or a value: " + line);
      continue;
    }
    const size_t equals = line.find_first_not_of(" \t", pos);
    if (equals == std::string::npos || line[equals] != '=') {
      result.errors.push_back(where + "value without '='");
      continue;
    }
    std::string data = sim::TrimSpace(line.substr(equals + 1));
    // Long hex data goes on over lines that end in a backslash.
    if (sim::StartsWithNoCase(data, "hex")) {
      while (!data.empty() && data.back() == '\\' && index + 1 < lines.size()) {
        data.pop_back();
        data += sim::TrimSpace(lines[++index]);
      }
    }
    if (currentKey.empty()) {
      result.errors.push_back(where + "value outside a key section");
      continue;
    }
    op.keyPath = currentKey;
    std::string error;
    if (!ParseData(data, unicode, &op, &error)) {
      result.errors.push_back(where + error);
      continue;
    }
    result.operations.push_back(op);
  }
  return result;
}

bool ApplyRegOperations(const std::vector<RegOperation>& operations, std::vector<std::string>* errors) {
  bool ok = true;
  for (const RegOperation& op : operations) {
    switch (op.kind) {
      case RegOperation::CreateKey:
        if (sim::registry::Create(op.keyPath) == nullptr) {
          errors->push_back("cannot create " + op.keyPath);
          ok = false;
        }
        break;
      case RegOperation::DeleteKey:
        sim::registry::DeleteTree(op.keyPath);  // a key already missing is no error, as in regedit
        break;
      case RegOperation::SetValue:
        sim::registry::SetValue(op.keyPath, op.name, op.type, std::vector<BYTE>(op.data.begin(), op.data.end()));
        break;
      case RegOperation::DeleteValue:
        if (sim::RegKey* key = sim::registry::Find(op.keyPath)) key->ChangeValues().erase(op.name);
        break;
    }
  }
  return ok;
}

bool ImportRegFile(const std::string& path, std::vector<std::string>* errors) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    errors->push_back("cannot read " + path);
    return false;
  }
  std::ostringstream bytes;
  bytes << in.rdbuf();
  RegParseResult parsed = ParseRegText(DecodeRegBytes(bytes.str()));
  for (const std::string& error : parsed.errors) errors->push_back(path + ": " + error);
  const bool applied = ApplyRegOperations(parsed.operations, errors);
  return applied && parsed.errors.empty();
}

}  // namespace image
