// Test helper: plays an enhanced metafile into a white bitmap at 600 dpi (its frame fills the
// bitmap) and writes it as a binary PGM, black where anything was drawn.
#include <windows.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <vector>

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: emf_play IN.emf OUT.pgm\n");
    return 2;
  }
  const HENHMETAFILE emf = GetEnhMetaFileA(argv[1]);
  if (!emf) {
    std::fprintf(stderr, "emf_play: cannot read %s\n", argv[1]);
    return 1;
  }
  ENHMETAHEADER h{};
  GetEnhMetaFileHeader(emf, sizeof h, &h);
  // The frame is in hundredths of a millimetre.
  const int w = static_cast<int>(std::lround((h.rclFrame.right - h.rclFrame.left) / 2540.0 * 600));
  const int ht = static_cast<int>(std::lround((h.rclFrame.bottom - h.rclFrame.top) / 2540.0 * 600));
  BITMAPINFO bmi{};
  bmi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  bmi.bmiHeader.biWidth = w;
  bmi.bmiHeader.biHeight = -ht;
  bmi.bmiHeader.biPlanes = 1;
  bmi.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  const HDC dc = CreateCompatibleDC(nullptr);
  const HBITMAP bmp = CreateDIBSection(dc, &bmi, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (!bmp || !bits) return 1;
  SelectObject(dc, bmp);
  PatBlt(dc, 0, 0, w, ht, WHITENESS);
  const RECT r{0, 0, w, ht};
  PlayEnhMetaFile(dc, emf, &r);
  GdiFlush();
  std::FILE* out = std::fopen(argv[2], "wb");
  if (!out) return 1;
  std::fprintf(out, "P5\n%d %d\n255\n", w, ht);
  const auto* px = static_cast<const std::uint32_t*>(bits);
  std::vector<unsigned char> row(static_cast<std::size_t>(w));
  for (int y = 0; y < ht; ++y) {
    for (int x = 0; x < w; ++x) row[x] = (px[static_cast<std::size_t>(y) * w + x] & 0xFFFFFF) == 0xFFFFFF ? 255 : 0;
    std::fwrite(row.data(), 1, row.size(), out);
  }
  std::fclose(out);
  std::printf("%d %d\n", w, ht);
  return 0;
}
