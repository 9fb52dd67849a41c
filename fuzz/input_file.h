// The fuzz input as a file for the readers: one temporary file per process, rewritten for each
// input and removed at exit.
#pragma once
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/system.h"

namespace fuzz {

inline std::string g_input_path;
inline int g_input_fd = -1;  // kept open: closing a file truncated to zero makes ext4 flush it to disk

inline void RemoveInputFile() { unlink(g_input_path.c_str()); }

// Writes the input as the whole file; returns its path.
inline const std::string& WriteInput(const std::uint8_t* data, std::size_t size) {
  if (g_input_path.empty()) {
    std::string pattern = platform::TempFolder() + "/ugf_fuzz_XXXXXX";
    g_input_fd = mkstemp(pattern.data());
    if (g_input_fd < 0) std::abort();
    g_input_path = pattern;
    std::atexit(RemoveInputFile);
  }
  for (std::size_t done = 0; done < size;) {
    const ssize_t n = pwrite(g_input_fd, data + done, size - done, static_cast<off_t>(done));
    if (n <= 0) std::abort();
    done += static_cast<std::size_t>(n);
  }
  if (ftruncate(g_input_fd, static_cast<off_t>(size)) != 0) std::abort();
  return g_input_path;
}

}  // namespace fuzz
