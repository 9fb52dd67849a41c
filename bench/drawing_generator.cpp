#include "drawing_generator.h"

#include "drawing/element_store.h"
#include "platform/system.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <stdexcept>

namespace bench {
namespace {

// Coordinates are kept in hundredths, so the 2-decimal text is exact.
constexpr long kWidth = 100'000;
constexpr long kHeight = 70'000;

long Reflect(long v, long max) {
  if (v < 0) return -v;
  if (v > max) return 2 * max - v;
  return v;
}

// As "%5.2f" prints it: at least 5 characters, right-aligned.
void AppendHundredths(std::string& out, long h) {
  char tmp[24];
  char* p = tmp + sizeof tmp;
  const bool neg = h < 0;
  unsigned long a = neg ? static_cast<unsigned long>(-h) : static_cast<unsigned long>(h);
  *--p = static_cast<char>('0' + a % 10);
  a /= 10;
  *--p = static_cast<char>('0' + a % 10);
  a /= 10;
  *--p = '.';
  do {
    *--p = static_cast<char>('0' + a % 10);
    a /= 10;
  } while (a != 0);
  if (neg) *--p = '-';
  const auto len = static_cast<std::size_t>(tmp + sizeof tmp - p);
  if (len < 5) out.append(5 - len, ' ');
  out.append(p, len);
}

std::string g_file;

void RemoveFile() { unlink(g_file.c_str()); }

}  // namespace

std::string MakeBenchDrawing(long records, unsigned seed) {
  std::mt19937 rng(seed);
  std::uniform_int_distribution<long> start_x(0, kWidth), start_y(0, kHeight);
  std::uniform_int_distribution<long> step_x(-kWidth / 100, kWidth / 100);
  std::uniform_int_distribution<long> step_y(-kHeight / 100, kHeight / 100);
  std::uniform_int_distribution<int> pen(1, 15);

  std::string out;
  out.reserve(static_cast<std::size_t>(records) * 20 + 64);
  out += " X   Y   PenNo (0-continue,-1-stop)\r\n";
  long x = 0, y = 0;
  for (long i = 0; i < records; ++i) {
    int p = 0;
    if (i % kWalkPoints == 0) {
      x = start_x(rng);
      y = start_y(rng);
      p = pen(rng);
    } else {
      x = Reflect(x + step_x(rng), kWidth);
      y = Reflect(y + step_y(rng), kHeight);
    }
    AppendHundredths(out, x);
    out += ' ';
    AppendHundredths(out, y);
    out += ' ';
    out += std::to_string(p);
    out += "\r\n";
  }
  out += " 0 0 -1\r\n";
  return out;
}

const std::string& BenchDrawingFile() {
  if (g_file.empty()) {
    std::string pattern = platform::TempFolder() + "/ugf_bench_XXXXXX";
    const int fd = mkstemp(pattern.data());
    if (fd < 0) throw std::runtime_error("cannot create " + pattern);
    close(fd);
    g_file = pattern;
    std::atexit(RemoveFile);
    const std::string text = MakeBenchDrawing();
    std::ofstream(g_file, std::ios::binary).write(text.data(), static_cast<std::streamsize>(text.size()));
  }
  return g_file;
}

TempCwd::TempCwd() {
  char buf[4096];
  old = getcwd(buf, sizeof buf) ? buf : "/";
  std::string tmpl = (std::filesystem::temp_directory_path() / "ugfbench-XXXXXX").string();
  if (mkdtemp(tmpl.data()) == nullptr || chdir(tmpl.c_str()) != 0) {
    std::perror("ugfbench temp dir");
    std::exit(1);
  }
  dir = tmpl;
}

TempCwd::~TempCwd() {
  drawing::RemoveScratchFiles();
  if (chdir(old.c_str()) != 0) std::perror("chdir");
  std::error_code ec;
  std::filesystem::remove_all(dir, ec);
}

}  // namespace bench
