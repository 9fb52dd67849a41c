#include "platform/png.h"

#include <zlib.h>

#include <array>
#include <cstdio>
#include <limits>
#include <memory>
#include <vector>

#include "platform/system.h"

namespace platform {

namespace {

// A frame is mostly long runs of one colour: zlib's run-length strategy finds them about
// seven times as fast as the default setting and writes a smaller file. RGB rows are
// filtered by their left neighbour, so a run of any colour becomes a run of zero bytes.
constexpr int kLevel = 1;
constexpr int kStrategy = Z_RLE;

void Put32(std::string& out, std::uint32_t v) {
  const char b[4] = {static_cast<char>(v >> 24), static_cast<char>(v >> 16), static_cast<char>(v >> 8),
                     static_cast<char>(v)};
  out.append(b, 4);
}

// Ends the chunk OpenChunk began at `start`: its length, and the CRC of its type and data.
void CloseChunk(std::string& out, std::size_t start) {
  const std::size_t n = out.size() - start - 8;
  const auto* p = reinterpret_cast<const Bytef*>(out.data() + start);
  const std::uint32_t len = static_cast<std::uint32_t>(n);
  out[start] = static_cast<char>(len >> 24);
  out[start + 1] = static_cast<char>(len >> 16);
  out[start + 2] = static_cast<char>(len >> 8);
  out[start + 3] = static_cast<char>(len);
  Put32(out, static_cast<std::uint32_t>(crc32(0, p + 4, static_cast<uInt>(n + 4))));
}

std::size_t OpenChunk(std::string& out, const char* type) {
  const std::size_t start = out.size();
  Put32(out, 0);
  out.append(type, 4);
  return start;
}

// The colours of a picture, up to 256, in an open-addressed table.
class PaletteTable {
 public:
  // The colour's index, -1 when the picture has more than 256 colours.
  int IndexOf(std::uint32_t c) {
    std::uint32_t slot = (c * 0x9E3779B1u) >> (32 - kBits);
    for (;;) {
      if (index_[slot] < 0) {
        if (count_ == 256) return -1;
        key_[slot] = c;
        index_[slot] = static_cast<std::int16_t>(count_);
        colours_[static_cast<std::size_t>(count_)] = c;
        return count_++;
      }
      if (key_[slot] == c) return index_[slot];
      slot = (slot + 1) & (kSlots - 1);
    }
  }
  int count() const { return count_; }
  std::uint32_t colour(int i) const { return colours_[static_cast<std::size_t>(i)]; }

 private:
  static constexpr int kBits = 10;
  static constexpr std::uint32_t kSlots = 1u << kBits;
  std::array<std::uint32_t, kSlots> key_{};
  std::array<std::int16_t, kSlots> index_ = Empty();
  std::array<std::uint32_t, 256> colours_{};
  int count_ = 0;
  static constexpr std::array<std::int16_t, kSlots> Empty() {
    std::array<std::int16_t, kSlots> a{};
    for (auto& v : a) v = -1;
    return a;
  }
};

// Rows of palette indices, each after its filter byte (0, none). False when the picture has
// more than 256 colours.
bool IndexedRows(const std::uint32_t* pixels, int width, int height, PaletteTable& palette,
                 std::vector<unsigned char>& raw) {
  const std::size_t w = static_cast<std::size_t>(width);
  raw.resize((w + 1) * static_cast<std::size_t>(height));
  unsigned char* dst = raw.data();
  std::uint32_t last = pixels[0];
  int last_index = palette.IndexOf(last);
  for (int y = 0; y < height; ++y) {
    const std::uint32_t* src = pixels + static_cast<std::size_t>(y) * w;
    *dst++ = 0;
    for (std::size_t x = 0; x < w; ++x) {
      const std::uint32_t c = src[x];
      if (c != last) {
        last_index = palette.IndexOf(c);
        if (last_index < 0) return false;
        last = c;
      }
      *dst++ = static_cast<unsigned char>(last_index);
    }
  }
  return true;
}

// Rows of RGB bytes under filter 1 (each byte less the one of the pixel to its left).
void RgbRows(const std::uint32_t* pixels, int width, int height, std::vector<unsigned char>& raw) {
  const std::size_t w = static_cast<std::size_t>(width);
  raw.resize((3 * w + 1) * static_cast<std::size_t>(height));
  unsigned char* dst = raw.data();
  for (int y = 0; y < height; ++y) {
    const std::uint32_t* src = pixels + static_cast<std::size_t>(y) * w;
    *dst++ = 1;
    std::uint32_t left = 0;
    for (std::size_t x = 0; x < w; ++x) {
      const std::uint32_t c = src[x];
      dst[0] = static_cast<unsigned char>((c >> 16) - (left >> 16));
      dst[1] = static_cast<unsigned char>((c >> 8) - (left >> 8));
      dst[2] = static_cast<unsigned char>(c - left);
      left = c;
      dst += 3;
    }
  }
}

// Compresses `raw` onto the end of `out`.
bool Deflate(const std::vector<unsigned char>& raw, std::string& out) {
  z_stream z{};
  if (deflateInit2(&z, kLevel, Z_DEFLATED, 15, 9, kStrategy) != Z_OK) return false;
  const std::size_t start = out.size();
  const uLong bound = deflateBound(&z, static_cast<uLong>(raw.size()));
  out.resize(start + bound);
  z.next_in = const_cast<Bytef*>(raw.data());
  z.avail_in = static_cast<uInt>(raw.size());
  z.next_out = reinterpret_cast<Bytef*>(out.data() + start);
  z.avail_out = static_cast<uInt>(bound);
  const int status = deflate(&z, Z_FINISH);
  out.resize(start + z.total_out);
  const int end_status = deflateEnd(&z);
  return status == Z_STREAM_END && end_status == Z_OK;
}

}  // namespace

bool EncodePng(const std::uint32_t* pixels, int width, int height, std::string& out, PngForm form) {
  out.clear();
  // The largest framebuffer is 8192 × 8192; beyond some 500 million bytes zlib's 32-bit
  // counts would not do.
  if (width <= 0 || height <= 0 || static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(height) > (1u << 27))
    return false;
  std::vector<unsigned char> raw;
  auto palette = std::make_unique<PaletteTable>();
  const bool indexed =
      form == PngForm::kSmallest && IndexedRows(pixels, width, height, *palette, raw);
  if (!indexed) RgbRows(pixels, width, height, raw);

  out.append("\x89PNG\r\n\x1a\n", 8);
  std::size_t c = OpenChunk(out, "IHDR");
  Put32(out, static_cast<std::uint32_t>(width));
  Put32(out, static_cast<std::uint32_t>(height));
  // Depth 8; colour type 3 (indexed) or 2 (RGB); deflate; adaptive filtering; not interlaced.
  const char rest[5] = {8, static_cast<char>(indexed ? 3 : 2), 0, 0, 0};
  out.append(rest, 5);
  CloseChunk(out, c);
  if (indexed) {
    c = OpenChunk(out, "PLTE");
    for (int i = 0; i < palette->count(); ++i) {
      const std::uint32_t rgb = palette->colour(i);
      const char e[3] = {static_cast<char>(rgb >> 16), static_cast<char>(rgb >> 8), static_cast<char>(rgb)};
      out.append(e, 3);
    }
    CloseChunk(out, c);
  }
  c = OpenChunk(out, "IDAT");
  if (!Deflate(raw, out)) return false;
  CloseChunk(out, c);
  c = OpenChunk(out, "IEND");
  CloseChunk(out, c);
  return true;
}

bool WritePng(const std::string& path, const std::uint32_t* pixels, int width, int height,
              PngForm form) {
  std::string bytes;
  if (!EncodePng(pixels, width, height, bytes, form)) return false;
  FILE* f = OpenStream(path, "wb");
  if (f == nullptr) return false;
  const bool written = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  // A close can fail on a full disk as a write does; a half-written picture does not stay.
  if (std::fclose(f) != 0 || !written) {
    RemoveFile(path);
    return false;
  }
  return true;
}

}  // namespace platform
