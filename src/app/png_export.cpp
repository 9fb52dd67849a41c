#include "app/png_export.h"

#include <algorithm>
#include <cmath>

#include "drawing/replay.h"
#include "graphics/driver.h"
#include "platform/errors.h"
#include "platform/output_file.h"
#include "platform/png.h"
#include "view/view_state.h"

namespace app {

namespace {

// FitWindow leaves this many pixels of a side around the picture.
constexpr int kFitBorder = 7;

// The shorter side for a picture whose longer side is `longer`, in the drawing's proportion.
int ShorterSide(int longer, double long_extent, double short_extent) {
  if (!(long_extent > 0)) return longer;
  const double inner = (longer - kFitBorder) * (short_extent / long_extent);
  return std::clamp(static_cast<int>(std::lround(inner)) + kFitBorder, kMinPngSide, longer);
}

}  // namespace

void ExportPng(const std::string& path, const std::string& display, int width, int height, bool longer_side) {
  // A folder that is not there fails before the drawing is read.
  platform::OutputFile file;
  file.Open(path, display);
  drawing::ExtentsProc = drawing::ExtentsOfDrawing;
  float u1 = 0, v1 = 0, u2 = 0, v2 = 0;
  drawing::ExtentsProc(u1, v1, u2, v2);
  // No point at all: an empty picture.
  if (drawing::FirstExtentsPoint != 0) u1 = v1 = u2 = v2 = 0;
  if (longer_side) {
    const double du = static_cast<double>(u2) - u1, dv = static_cast<double>(v2) - v1;
    if (du >= dv) {
      height = ShorterSide(width, du, dv);
    } else {
      height = width;
      width = ShorterSide(height, dv, du);
    }
  }
  // The whole picture is the viewport: no frame, text rows or panel.
  graphics::ResizeFramebuffer(width, height);
  graphics::SetViewport(0, 0, width, height);
  std::fill(graphics::Screen.pixels.begin(), graphics::Screen.pixels.end(),
            graphics::SchemeBrushColour(graphics::BackgroundScheme));
  view::ViewportLeft = view::ViewportTop = 0;
  view::ViewportWidth = width;
  view::ViewportHeight = height;
  view::ScreenCentreX = width / 2;
  view::ScreenCentreY = height / 2;
  view::FitWindow(u1, v1, u2, v2);
  drawing::OutputMode = 0;
  if (drawing::DrawingVariant == 0) {
    drawing::ReadNewVariant(drawing::SourceFile, 0.0f);
  } else {
    drawing::ReadOldVariant(drawing::SourceFile, 0.0f);
  }
  std::string bytes;
  if (!platform::EncodePng(graphics::Screen.pixels.data(), width, height, bytes,
                           platform::PngForm::kSmallest))
    platform::RunTimeError(platform::kWriteFailed, display, 0, "cannot encode the picture");
  file.Write(bytes);
  file.Commit();
}

}  // namespace app
