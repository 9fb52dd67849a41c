// clang 14 with libstdc++ 12 has no std::source_location (it lacks the builtin that header
// needs). The fuzz build alone forces this in; it gives the file and line the error reports use.
#pragma once
#include <version>
#if !defined(__cpp_lib_source_location)
#include <cstdint>
namespace std {
struct source_location {
  static constexpr source_location current(const char* file = __builtin_FILE(),
                                           std::uint_least32_t line = __builtin_LINE()) noexcept {
    source_location s;
    s.file_ = file;
    s.line_ = line;
    return s;
  }
  constexpr const char* file_name() const noexcept { return file_; }
  constexpr const char* function_name() const noexcept { return ""; }
  constexpr std::uint_least32_t line() const noexcept { return line_; }
  constexpr std::uint_least32_t column() const noexcept { return 0; }

 private:
  const char* file_ = "";
  std::uint_least32_t line_ = 0;
};
}  // namespace std
#endif
