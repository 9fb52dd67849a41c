// Test support: a fresh program state on the headless backend in a temporary folder, and
// runs of the real program.
#pragma once
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace testing_support {

class ProgramTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;
  // Starts the program state and opens the graphics headless at the given size.
  void OpenHeadless(int width = 640, int height = 480, const std::string& script = "");
  const std::string& dir() const { return dir_; }

 private:
  std::string dir_;
  std::string old_cwd_;
};

struct RunResult {
  int status = -1;
  std::string out;
  std::string err;
};

// Runs build/ugfview with `args` in `cwd`, with extra environment entries "NAME=value".
RunResult RunUgfview(const std::vector<std::string>& args, const std::string& cwd,
                     const std::vector<std::string>& env = {});

// Reads a PNG written by the program: 0x00RRGGBB pixels.
bool ReadPng(const std::string& path, std::vector<std::uint32_t>& pixels, int& width, int& height);

std::string ReadFile(const std::string& path);

// A UTF-8 name as a path (on Windows a plain string would be read in the ANSI code page).
inline std::filesystem::path U8(const std::string& s) { return std::u8string(s.begin(), s.end()); }

// What the tests ask of the system, the same on every system (through platform/ where the
// program has it).
std::string CurrentDir();
bool ChangeDir(const std::string& path);
// The variable the system's temporary folder comes from (TMPDIR; TMP on Windows).
void SetTempDirVar(const std::string& value);
// Puts back what was there before the first SetTempDirVar of the test.
void RestoreTempDirVar();
// UGFVIEW_READER_THREADS set to `value`, or unset for null.
void SetReaderThreads(const char* value);
// False where making a link needs rights a test does not have (Windows).
bool MakeSymlink(const std::string& target, const std::string& link);

}  // namespace testing_support
