// PNG over zlib's deflate: zlib is at hand on every system the program is built for (Debian
// packages it for MinGW too, libpng not), and the format around the deflate stream is a few
// chunks with a CRC each.
#include "platform/png.h"

#include <zlib.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

#include "platform/system.h"

namespace platform {

namespace {

struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};

void PutU32(unsigned char* p, std::uint32_t v) {
  p[0] = static_cast<unsigned char>(v >> 24);
  p[1] = static_cast<unsigned char>(v >> 16);
  p[2] = static_cast<unsigned char>(v >> 8);
  p[3] = static_cast<unsigned char>(v);
}

bool WriteChunk(std::FILE* f, const char* type, const unsigned char* data, std::size_t size) {
  unsigned char head[8];
  PutU32(head, static_cast<std::uint32_t>(size));
  std::copy(type, type + 4, head + 4);
  uLong crc = crc32(0, head + 4, 4);
  if (size > 0) crc = crc32(crc, data, static_cast<uInt>(size));
  unsigned char tail[4];
  PutU32(tail, static_cast<std::uint32_t>(crc));
  return std::fwrite(head, 1, 8, f) == 8 && (size == 0 || std::fwrite(data, 1, size, f) == size) &&
         std::fwrite(tail, 1, 4, f) == 4;
}

// The filter of each row is the one whose bytes sum smallest as signed values (None, Sub or
// Up), the usual rule that keeps flat areas and vertical edges small.
int ChooseFilter(const unsigned char* row, const unsigned char* prev, std::size_t n,
                 unsigned char* sub, unsigned char* up) {
  unsigned long sum_none = 0, sum_sub = 0, sum_up = 0;
  for (std::size_t i = 0; i < n; ++i) {
    const unsigned char left = i >= 3 ? row[i - 3] : 0;
    sub[i] = static_cast<unsigned char>(row[i] - left);
    up[i] = static_cast<unsigned char>(row[i] - prev[i]);
    sum_none += row[i] < 128 ? row[i] : 256 - row[i];
    sum_sub += sub[i] < 128 ? sub[i] : 256 - sub[i];
    sum_up += up[i] < 128 ? up[i] : 256 - up[i];
  }
  if (sum_sub <= sum_none && sum_sub <= sum_up) return 1;
  if (sum_up <= sum_none) return 2;
  return 0;
}

}  // namespace

bool WritePng(const std::string& path, const std::uint32_t* pixels, int width, int height) {
  if (width <= 0 || height <= 0) return false;
  std::unique_ptr<std::FILE, FileCloser> f(OpenStream(path, "wb"));
  if (!f) return false;
  static constexpr unsigned char kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  unsigned char ihdr[13] = {};
  PutU32(ihdr, static_cast<std::uint32_t>(width));
  PutU32(ihdr + 4, static_cast<std::uint32_t>(height));
  ihdr[8] = 8;  // bits per sample
  ihdr[9] = 2;  // RGB; compression, filter method and interlace stay 0
  if (std::fwrite(kSignature, 1, 8, f.get()) != 8 || !WriteChunk(f.get(), "IHDR", ihdr, sizeof ihdr))
    return false;

  z_stream z{};
  if (deflateInit(&z, Z_DEFAULT_COMPRESSION) != Z_OK) return false;
  struct ZEnd {
    z_stream* z;
    ~ZEnd() { deflateEnd(z); }
  } z_end{&z};

  const std::size_t n = static_cast<std::size_t>(width) * 3;
  std::vector<unsigned char> row(n), prev(n, 0), sub(n), up(n), line(n + 1);
  std::vector<unsigned char> out(1 << 16);
  z.next_out = out.data();
  z.avail_out = static_cast<uInt>(out.size());
  auto flush_out = [&](bool all) {
    const std::size_t used = out.size() - z.avail_out;
    if (used == 0 || (!all && z.avail_out > 0)) return true;
    if (!WriteChunk(f.get(), "IDAT", out.data(), used)) return false;
    z.next_out = out.data();
    z.avail_out = static_cast<uInt>(out.size());
    return true;
  };
  for (int y = 0; y <= height; ++y) {
    const bool last = y == height;
    if (!last) {
      const std::uint32_t* src = pixels + static_cast<std::size_t>(y) * width;
      for (int x = 0; x < width; ++x) {
        row[3 * x] = static_cast<unsigned char>(src[x] >> 16);
        row[3 * x + 1] = static_cast<unsigned char>(src[x] >> 8);
        row[3 * x + 2] = static_cast<unsigned char>(src[x]);
      }
      const int filter = ChooseFilter(row.data(), prev.data(), n, sub.data(), up.data());
      line[0] = static_cast<unsigned char>(filter);
      const unsigned char* body = filter == 1 ? sub.data() : filter == 2 ? up.data() : row.data();
      std::copy(body, body + n, line.begin() + 1);
      row.swap(prev);
      z.next_in = line.data();
      z.avail_in = static_cast<uInt>(line.size());
    }
    for (;;) {
      const int r = deflate(&z, last ? Z_FINISH : Z_NO_FLUSH);
      if (r == Z_STREAM_ERROR) return false;
      if (!flush_out(false)) return false;
      if (last ? r == Z_STREAM_END : (z.avail_in == 0 && z.avail_out > 0)) break;
    }
  }
  if (!flush_out(true) || !WriteChunk(f.get(), "IEND", nullptr, 0)) return false;
  return std::fflush(f.get()) == 0;
}

}  // namespace platform
