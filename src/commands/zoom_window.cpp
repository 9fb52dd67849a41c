#include "commands/zoom_window.h"

#include <array>
#include <utility>

#include "dialogs/text_area.h"
#include "graphics/colours.h"
#include "graphics/driver.h"
#include "graphics/keys.h"
#include "platform/text.h"
#include "view/cursor.h"
#include "view/view_state.h"

namespace commands {

namespace keys = graphics::keys;

namespace {

struct ZoomWindowLocal {
  // The first corner as CrossFeedback last drew it. The rectangle is anchored at its world
  // point, so a zoom or pan while the second corner is sought keeps the box on that point.
  std::array<float, 3> corner_world{0, 0, 0};
  // Zoom windows started from the cursor of another zoom window. The key script or a held key
  // could nest them without end; past this depth a new one is cancelled at once.
  int depth = 0;
};
constinit ZoomWindowLocal g;
constexpr std::array<float, 3>& g_corner_world = g.corner_world;
constexpr int& g_depth = g.depth;
constexpr int kMaxDepth = 16;

void BeginFeedback() {
  graphics::SetXorMode(1);
  graphics::SetLineStyle(4, 0x7777, 1);
  graphics::SetDrawColor(graphics::colours::kWhite);
}

void EndFeedback() {
  graphics::SetXorMode(0);
  graphics::SetLineStyle(0, 0, 1);
}

// Puts the marker procedure and the first corner back however the command ends.
struct Restore {
  platform::Hook<void(float, float, float)> proc = view::CursorMarkerProc;
  std::array<float, 3> corner = g_corner_world;
  Restore() { ++g_depth; }
  ~Restore() {
    view::CursorMarkerProc = proc;
    g_corner_world = corner;
    --g_depth;
  }
  Restore(const Restore&) = delete;
  Restore& operator=(const Restore&) = delete;
};

}  // namespace

bool EndsWithoutZoom(std::uint8_t key) {
  return key == keys::kEnter || key == keys::kEsc || key == '[' || key == ']';
}

void ZoomWindowStartUp() {
  g = {};
}

void ZoomWindow(float& u1, float& v1, float& u2, float& v2, std::uint8_t& key) {
  if (g_depth >= kMaxDepth) {
    key = 27;
    return;
  }
  Restore restore;
  key = ' ';
  view::CursorMarkerProc = CrossFeedback;
  dialogs::ShowMessage(0, platform::Cp866("Окно. Укажите угол"));
  float x = 0, y = 0, z = 0;
  view::GraphicCursor(x, y, z, key);
  float u = 0, v = 0;
  view::ProjectToView(x, y, z, u, v);
  if (EndsWithoutZoom(key)) return;
  u1 = u;
  v1 = v;
  g_corner_world = {x, y, z};

  view::CursorMarkerProc = RectFeedback;
  dialogs::ShowMessage(0, platform::Cp866("Окно. Укажите другой угол"));
  key = 'Z';
  view::GraphicCursor(x, y, z, key);
  view::ProjectToView(x, y, z, u2, v2);
  if (u2 < u1) std::swap(u1, u2);
  if (v2 < v1) std::swap(v1, v2);
}

void CrossFeedback(float x, float y, float z) {
  int px = 0, py = 0;
  view::PlaneToPixel(x, y, z, px, py);
  BeginFeedback();
  graphics::DrawLine(0, py, view::ViewportWidth, py);
  graphics::DrawLine(px, 0, px, view::ViewportHeight);
  EndFeedback();
  view::PlaneToWorld(x, y, z, g_corner_world[0], g_corner_world[1], g_corner_world[2]);
}

void RectFeedback(float x, float y, float z) {
  int px = 0, py = 0, cx = 0, cy = 0;
  view::PlaneToPixel(x, y, z, px, py);
  view::WorldToPixel(g_corner_world[0], g_corner_world[1], g_corner_world[2], cx, cy);
  BeginFeedback();
  graphics::DrawLine(cx, cy, cx, py);
  graphics::DrawLine(cx, cy, px, cy);
  graphics::DrawLine(cx, py, px, py);
  graphics::DrawLine(px, cy, px, py);
  EndFeedback();
}

}  // namespace commands
