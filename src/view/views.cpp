#include "view/views.h"

#include "dialogs/text_area.h"
#include "graphics/colours.h"
#include "graphics/driver.h"
#include "view/redraw.h"

namespace view {

namespace {

using FloatMatrix = std::array<std::array<float, 4>, 4>;

// The decimal constants are rounded to single once, here; loading widens them.
constexpr std::array<FloatMatrix, 10> kStandardViews = {{
    {},
    {{{}, {0, 1.0f, 0.0f, 0.0f}, {0, 0.0f, 1.0f, 0.0f}, {0, 0.0f, 0.0f, 1.0f}}},
    {{{}, {0, 0.0f, 0.0f, 1.0f}, {0, 0.0f, 1.0f, 0.0f}, {0, -1.0f, 0.0f, 0.0f}}},
    {{{}, {0, 1.0f, 0.0f, 0.0f}, {0, 0.0f, 0.0f, 1.0f}, {0, 0.0f, -1.0f, 0.0f}}},
    {{{},
      {0, 0.707107f, 0.0f, 0.707107f},
      {0, 0.5f, 0.707107f, -0.5f},
      {0, -0.5f, 0.707107f, 0.5f}}},
    {{{},
      {0, 0.866025f, 0.0f, 0.5f},
      {0, 0.25f, 0.866025f, -0.433013f},
      {0, -0.433013f, 0.5f, 0.75f}}},
    {{{},
      {0, 0.866025f, 0.0f, -0.5f},
      {0, -0.25f, 0.866025f, -0.433013f},
      {0, 0.433013f, 0.5f, 0.75f}}},
    {{{},
      {0, 0.7071067f, 0.7071067f, 0.0f},
      {0, -0.5f, 0.5f, 0.7071067f},
      {0, 0.5f, -0.5f, 0.7071067f}}},
    {{{},
      {0, 0.866025f, 0.5f, 0.0f},
      {0, -0.25f, 0.433013f, 0.866025f},
      {0, 0.433013f, -0.75f, 0.5f}}},
    {{{},
      {0, 0.866025f, -0.5f, 0.0f},
      {0, 0.25f, 0.433013f, 0.866025f},
      {0, -0.433013f, -0.75f, 0.5f}}},
}};

// The slot of a table, or null for a number the table does not have.
ViewRecord* Slot(ViewTable table, int n) {
  if (table == ViewTable::kUser && n >= 1 && n <= 9) return &UserViews[static_cast<std::size_t>(n)];
  if (table == ViewTable::kViewport && n >= 1 && n <= 7)
    return &ViewportViews[static_cast<std::size_t>(n)];
  return nullptr;
}

struct Rect {
  int left, top, width, height;
};

Rect LayoutRect(int k) {
  const int w = ClientWidth, h = DrawAreaHeight;
  switch (k) {
    case 1: return {0, 0, w, h - 1};
    case 2: return {0, 0, 5 * w / 8 - 2, h - 1};
    case 3: return {5 * w / 8, 0, 3 * w / 8, h - 1};
    case 4: return {0, 0, w / 2 - 2, h / 2 - 2};
    case 5: return {w / 2, 0, w / 2, h / 2 - 2};
    case 6: return {0, h / 2, w / 2 - 2, h / 2};
    default: return {w / 2, h / 2, w / 2, h / 2};
  }
}

}  // namespace

constinit ViewsState ViewsVars;

void ViewsStartUp() {
  ViewsVars = {};
}

void EmptyStoredViews() {
  UserViews.fill(ViewRecord{});
  ViewportViews.fill(ViewRecord{});
}

void LoadStandardView(int k, Matrix3& m) {
  if (k < 1 || k > 9) return;
  const FloatMatrix& s = kStandardViews[static_cast<std::size_t>(k)];
  for (int i = 1; i <= 3; ++i)
    for (int j = 1; j <= 3; ++j) m[i][j] = s[i][j];
}

void CopyMatrix(const Matrix3& source, Matrix3& destination) {
  for (int i = 1; i <= 3; ++i)
    for (int j = 1; j <= 3; ++j) destination[i][j] = source[i][j];
}

void StoreView(ViewTable table, int n) {
  ViewRecord* r = Slot(table, n);
  if (r == nullptr) return;
  r->ScaleX = UnitsPerPixelX;
  r->ScaleY = UnitsPerPixelY;
  r->CentreU = ViewCentreU;
  r->CentreV = ViewCentreV;
  for (int i = 1; i <= 3; ++i)
    for (int j = 1; j <= 3; ++j) r->Matrix[i][j] = static_cast<float>(ViewMatrix[i][j]);
}

void RecallView(ViewTable table, int n) {
  if (table == ViewTable::kStandard) {
    LoadStandardView(n, ViewMatrix);
    ApplyView();
    return;
  }
  const ViewRecord* r = Slot(table, n);
  if (r == nullptr) return;
  UnitsPerPixelX = r->ScaleX;
  UnitsPerPixelY = r->ScaleY;
  ViewCentreU = r->CentreU;
  ViewCentreV = r->CentreV;
  for (int i = 1; i <= 3; ++i)
    for (int j = 1; j <= 3; ++j) ViewMatrix[i][j] = r->Matrix[i][j];
  ApplyView();
}

void SetViewportRect(int left, int top, int width, int height) {
  ViewportLeft = left;
  ViewportTop = top;
  ViewportWidth = width;
  ViewportHeight = height;
}

void SelectViewport(int k) {
  // The old viewport's corner mark goes; the new one is drawn by whoever frames the area.
  const int m = ViewMargin;
  // The strip below alone would leave the mark's number and one row of its swatch behind.
  dialogs::EraseCornerMark();
  dialogs::SetDrawViewport();
  graphics::SetDrawColor(graphics::colours::kBlack);
  for (int y = m + 1; y <= m + 9; ++y) {
    graphics::MoveToPoint(m + 1, y);
    graphics::LineToPoint(m + 24, y);
  }
  graphics::SetDrawColor(dialogs::MarkColour);

  const bool valid = k >= 1 && k <= 7;
  if (valid) {
    const Rect r = LayoutRect(k);
    SetViewportRect(r.left, r.top, r.width, r.height);
  }
  ScreenCentreX = ViewportWidth / 2 - ViewMargin;
  ScreenCentreY = ViewportHeight / 2 - ViewMargin;
  PanStepX = ViewportWidth / 4;
  PanStepY = ViewportHeight / 4;
  dialogs::SetInnerDrawViewport();
  if (k != 1) RecallView(ViewTable::kViewport, k);
  // ActiveViewport stays a layout number: the commands index the viewport table with it.
  if (valid) ActiveViewport = k;
}

}  // namespace view
