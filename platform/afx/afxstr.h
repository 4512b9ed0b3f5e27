// CString: the class library's heap-held ANSI string, with the operations the
// program uses.
#pragma once

#include <string>

#include "platform/win32.h"

class CString {
 public:
  CString() = default;
  CString(LPCSTR text) : m_text(text == nullptr ? "" : text) {}  // NOLINT: implicit as in the class library
  CString(const CString&) = default;
  CString& operator=(const CString&) = default;
  CString& operator=(LPCSTR text);

  int GetLength() const { return static_cast<int>(m_text.size()); }
  BOOL IsEmpty() const { return m_text.empty() ? TRUE : FALSE; }
  operator LPCSTR() const { return m_text.c_str(); }  // NOLINT
  char GetAt(int index) const { return m_text[static_cast<size_t>(index)]; }

  CString& operator+=(LPCSTR text);
  CString& operator+=(const CString& text) { return *this += static_cast<LPCSTR>(text); }
  friend CString operator+(const CString& a, const CString& b);
  friend CString operator+(const CString& a, LPCSTR b);
  friend CString operator+(LPCSTR a, const CString& b);

  void MakeLower();
  void MakeUpper();
  // Replaces every occurrence of old (case-sensitively); returns the count.
  int Replace(LPCSTR oldText, LPCSTR newText);
  // The leading part that holds none of the characters of the set.
  CString SpanExcluding(LPCSTR charSet) const;
  int Find(LPCSTR sub, int start = 0) const;

 private:
  std::string m_text;
};
