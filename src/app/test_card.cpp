#include "app/test_card.h"

#include <algorithm>
#include <array>

#include "graphics/driver.h"

namespace app {

namespace {

using graphics::PolyPoint;

void Box(int x0, int y0, int x1, int y1) {
  graphics::MoveToPoint(x0, y0);
  graphics::LineToPoint(x1, y0);
  graphics::LineToPoint(x1, y1);
  graphics::LineToPoint(x0, y1);
  graphics::LineToPoint(x0, y0);
}

void FilledRect(int x0, int y0, int x1, int y1) {
  const std::array<PolyPoint, 5> p = {{{x0, y0}, {x1, y0}, {x1, y1}, {x0, y1}, {x0, y0}}};
  graphics::FillPolygon(4, p.data());
}

}  // namespace

void DrawTestCard() {
  const int w = graphics::GetMaxX();
  const int h = graphics::GetMaxY();
  graphics::SetBackgroundScheme(0);
  graphics::SetXorMode(0);
  graphics::SetLineStyle(0, 0, 0);
  graphics::SetViewport(0, 0, w, h);
  graphics::SetDrawColor(8);
  graphics::ClearViewport();
  graphics::EnablePixelOutput();

  const int m = std::max(w / 64, 4);       // margin
  const int band = (h - 5 * m) / 4;         // four bands

  // Band 1: the sixteen base colours, framed, and the eight shade ramps beneath.
  const int sw = (w - 2 * m) / 16;
  const int y0 = m, y1 = m + band * 2 / 3;
  for (int i = 0; i < 16; ++i) {
    graphics::SetDrawColor(i);
    FilledRect(m + i * sw + 2, y0 + 2, m + (i + 1) * sw - 2, y1 - 2);
    graphics::SetDrawColor(15);
    Box(m + i * sw, y0, m + (i + 1) * sw - 1, y1);
  }
  const int ramp_h = std::max((band - (y1 - y0)) / 8, 1);
  for (int k = 0; k < 8; ++k) {
    for (int x = m; x < w - m; ++x) {
      const int i = (x - m) * 64 / std::max(w - 2 * m, 1);
      const int ry = y1 + 2 + k * ramp_h;
      for (int y = ry; y < ry + ramp_h - 1; ++y) graphics::PutPixel(x, y, 16 + 64 * k + i);
    }
  }

  // Band 2: solid and dotted lines, normal and XOR, over a grey bar; a fan of lines.
  const int b2 = 2 * m + band;
  graphics::SetDrawColor(7);
  FilledRect(m, b2, w / 2 - m, b2 + band);
  for (int row = 0; row < 8; ++row) {
    const int y = b2 + (row + 1) * band / 9;
    graphics::SetLineStyle(row % 2, 0, 0);
    graphics::SetXorMode(static_cast<std::int16_t>(row / 4 ? 1 : 0));
    graphics::SetDrawColor(row / 4 ? 14 : 9 + row % 4 * 2);
    graphics::MoveToPoint(m - m / 2, y);
    graphics::LineToPoint(w / 2 - m / 2, y);
  }
  graphics::SetXorMode(0);
  graphics::SetLineStyle(0, 0, 0);
  const int cx = w * 3 / 4, cy = b2 + band / 2, r = std::min(w / 4 - m, band / 2);
  for (int a = 0; a < 24; ++a) {
    graphics::SetDrawColor(9 + a % 7);
    static constexpr int kDir[24][2] = {{100, 0},   {97, 26},   {87, 50},   {71, 71},  {50, 87},
                                        {26, 97},   {0, 100},   {-26, 97},  {-50, 87}, {-71, 71},
                                        {-87, 50},  {-97, 26},  {-100, 0},  {-97, -26}, {-87, -50},
                                        {-71, -71}, {-50, -87}, {-26, -97}, {0, -100}, {26, -97},
                                        {50, -87},  {71, -71},  {87, -50},  {97, -26}};
    graphics::DrawLine(cx, cy, cx + kDir[a][0] * r / 100, cy + kDir[a][1] * r / 100);
  }

  // Band 3: XOR figures over the colours; the diamond drawn twice leaves no trace.
  const int b3 = 3 * m + 2 * band;
  for (int i = 0; i < 8; ++i) {
    graphics::SetDrawColor(i + 8);
    FilledRect(m + i * (w - 2 * m) / 8, b3, m + (i + 1) * (w - 2 * m) / 8 - 1, b3 + band);
  }
  graphics::SetXorMode(1);
  graphics::SetDrawColor(15);
  for (int k = 0; k < 6; ++k)
    Box(m + k * m, b3 + k * m / 2, w - m - k * m, b3 + band - k * m / 2);
  auto diamond = [&] {
    const int dx = w / 2, dy = b3 + band / 2, d = band / 3;
    graphics::MoveToPoint(dx, dy - d);
    graphics::LineToPoint(dx + d, dy);
    graphics::LineToPoint(dx, dy + d);
    graphics::LineToPoint(dx - d, dy);
    graphics::LineToPoint(dx, dy - d);
  };
  graphics::SetDrawColor(12);
  diamond();
  diamond();
  graphics::SetDrawColor(11);
  graphics::SetLineStyle(1, 0, 0);
  graphics::DrawLine(m, b3 + band / 2, w - m, b3 + band / 2);
  graphics::SetLineStyle(0, 0, 0);
  graphics::SetXorMode(0);

  // Band 4: a viewport cleared under each background scheme, with white, black and red.
  const int b4 = 4 * m + 3 * band;
  const int vw = (w - 6 * m) / 5;
  for (int s = 0; s < 5; ++s) {
    const int vx = m + s * (vw + m);
    graphics::SetBackgroundScheme(s);
    graphics::SetViewport(vx, b4, vx + vw, b4 + band);
    graphics::SetDrawColor(15);
    graphics::ClearViewport();
    graphics::DrawLine(-10, -10, vw + 10, band + 10);
    graphics::SetDrawColor(0);
    graphics::DrawLine(-10, band + 10, vw + 10, -10);
    graphics::SetDrawColor(12);
    const std::array<PolyPoint, 4> tri = {{{vw / 4, band / 4}, {vw * 3 / 4, band / 4},
                                           {vw / 2, band * 3 / 4}, {vw / 4, band / 4}}};
    graphics::FillPolygon(3, tri.data());
    // A blanking polygon in the scheme's own background.
    const std::array<PolyPoint, 4> blank = {{{vw / 2, band * 3 / 5}, {vw * 9 / 10, band * 9 / 10},
                                             {vw / 10, band * 9 / 10}, {vw / 2, band * 3 / 5}}};
    graphics::FillPolygon(-3, blank.data());
  }
  graphics::SetBackgroundScheme(0);
  graphics::SetViewport(0, 0, w, h);
  graphics::SetDrawColor(15);
}

void RunTestCard() {
  for (;;) {
    const std::uint8_t key = graphics::ReadCommandKey();
    if (key == 27) graphics::CloseGraphics();
    if (key == 0) graphics::ReadRawKey();
  }
}

}  // namespace app
