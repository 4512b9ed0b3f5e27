#include "platform/afx/afxstr.h"

#include <cstring>

CString& CString::operator=(LPCSTR text) {
  m_text = text == nullptr ? "" : text;
  return *this;
}

CString& CString::operator+=(LPCSTR text) {
  if (text != nullptr) m_text += text;
  return *this;
}

CString operator+(const CString& a, const CString& b) {
  CString result(a);
  result += b;
  return result;
}

CString operator+(const CString& a, LPCSTR b) {
  CString result(a);
  result += b;
  return result;
}

CString operator+(LPCSTR a, const CString& b) {
  CString result(a);
  result += b;
  return result;
}

// ASCII only, as the "C" locale lower-cases; other bytes of the ANSI code page stay.
namespace {

// Letters change case, never the second byte of a double-byte character of
// the system code page (932, 936, 949, 950): that byte may look like a
// letter, and changing it makes another character, so another file name.
template <typename Change>
void ChangeSingleByteLetters(std::string* text, Change change) {
  for (size_t i = 0; i < text->size(); ++i) {
    const BYTE c = static_cast<BYTE>((*text)[i]);
    if (IsDBCSLeadByteEx(CP_ACP, c) && i + 1 < text->size()) {
      ++i;
      continue;
    }
    (*text)[i] = change(static_cast<char>(c));
  }
}

}  // namespace

void CString::MakeLower() {
  ChangeSingleByteLetters(&m_text, [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; });
}

void CString::MakeUpper() {
  ChangeSingleByteLetters(&m_text, [](char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; });
}

int CString::Replace(LPCSTR oldText, LPCSTR newText) {
  if (oldText == nullptr || *oldText == '\0') return 0;
  const std::string from(oldText);
  const std::string to(newText == nullptr ? "" : newText);
  int count = 0;
  std::string result;
  size_t pos = 0;
  for (size_t hit; (hit = m_text.find(from, pos)) != std::string::npos; pos = hit + from.size()) {
    result.append(m_text, pos, hit - pos);
    result += to;
    ++count;
  }
  result.append(m_text, pos, std::string::npos);
  m_text = result;
  return count;
}

CString CString::SpanExcluding(LPCSTR charSet) const {
  const size_t n = std::strcspn(m_text.c_str(), charSet == nullptr ? "" : charSet);
  return CString(m_text.substr(0, n).c_str());
}

int CString::Find(LPCSTR sub, int start) const {
  if (sub == nullptr || start < 0) return -1;
  const size_t hit = m_text.find(sub, static_cast<size_t>(start));
  return hit == std::string::npos ? -1 : static_cast<int>(hit);
}
