// UTF-8 and the UTF-16 of the wide Windows calls; paths with '/' inside, '\' for the system.
#pragma once
#include <algorithm>
#include <string>
#include <string_view>

#include "platform/text.h"

namespace platform {

inline std::wstring Utf8ToWide(std::string_view s) {
  std::wstring out;
  out.reserve(s.size());
  for (std::size_t i = 0; i < s.size();) {
    const char32_t c = DecodeUtf8(s, i);
    if (c >= 0x10000) {
      out.push_back(static_cast<wchar_t>(0xD800 + ((c - 0x10000) >> 10)));
      out.push_back(static_cast<wchar_t>(0xDC00 + ((c - 0x10000) & 0x3FF)));
    } else {
      out.push_back(static_cast<wchar_t>(c));
    }
  }
  return out;
}

inline std::string Utf8FromWide(std::wstring_view w) {
  std::string out;
  out.reserve(w.size());
  for (std::size_t i = 0; i < w.size(); ++i) {
    char32_t c = static_cast<char16_t>(w[i]);
    if (c >= 0xD800 && c < 0xDC00 && i + 1 < w.size() && w[i + 1] >= 0xDC00 && w[i + 1] < 0xE000)
      c = 0x10000 + ((c - 0xD800) << 10) + (static_cast<char16_t>(w[++i]) - 0xDC00);
    AppendUtf8(out, c);
  }
  return out;
}

inline std::wstring WidePath(std::string_view path) {
  std::wstring w = Utf8ToWide(path);
  std::replace(w.begin(), w.end(), L'/', L'\\');
  return w;
}

inline std::string PathFromWide(std::wstring_view w) {
  std::string s = Utf8FromWide(w);
  std::replace(s.begin(), s.end(), '\\', '/');
  return s;
}

}  // namespace platform
