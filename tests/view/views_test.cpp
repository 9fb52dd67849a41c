#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>

#include "dialogs/text_area.h"
#include "graphics/driver.h"
#include "support/fixture.h"
#include "view/redraw.h"
#include "view/view_state.h"
#include "view/views.h"

namespace {

using view::Matrix3;
using view::ViewTable;

constexpr std::uint32_t kBlack = 0x000000, kWhite = 0xFFFFFF;

Matrix3 Standard(int k) {
  Matrix3 m{};
  view::LoadStandardView(k, m);
  return m;
}

// A turned frame whose elements are not singles.
Matrix3 Turned() {
  const double a = 0.3, b = 1.1;
  Matrix3 m{};
  m[1] = {0, std::cos(a), std::sin(a), 0};
  m[2] = {0, -std::sin(a) * std::cos(b), std::cos(a) * std::cos(b), std::sin(b)};
  m[3] = {0, std::sin(a) * std::sin(b), -std::cos(a) * std::sin(b), std::cos(b)};
  return m;
}

TEST(StandardViewsTest, ConstantsAreRoundedToSingleOnce) {
  const Matrix3 four = Standard(4), seven = Standard(7);
  EXPECT_EQ(four[1][1], static_cast<double>(0.707107f));
  EXPECT_EQ(four[2][2], static_cast<double>(0.707107f));
  EXPECT_EQ(seven[1][1], static_cast<double>(0.7071067f));
  EXPECT_EQ(seven[3][3], static_cast<double>(0.7071067f));
  EXPECT_NE(four[1][1], seven[1][1]);
  EXPECT_NE(four[1][1], 0.707107);  // not the double constant
  EXPECT_EQ(Standard(5)[3][1], static_cast<double>(-0.433013f));
  EXPECT_EQ(Standard(9)[2][3], static_cast<double>(0.866025f));
}

TEST(StandardViewsTest, EveryViewIsARightHandedFrame) {
  for (int k = 1; k <= 9; ++k) {
    const Matrix3 m = Standard(k);
    for (int i = 1; i <= 3; ++i) {
      const double len = m[i][1] * m[i][1] + m[i][2] * m[i][2] + m[i][3] * m[i][3];
      EXPECT_NEAR(len, 1.0, 3e-6) << "view " << k << " row " << i;
    }
    // Row 3 is row 1 × row 2: a sign slip or swapped entry in the table shows here.
    EXPECT_NEAR(m[1][2] * m[2][3] - m[1][3] * m[2][2], m[3][1], 3e-6) << "view " << k;
    EXPECT_NEAR(m[1][3] * m[2][1] - m[1][1] * m[2][3], m[3][2], 3e-6) << "view " << k;
    EXPECT_NEAR(m[1][1] * m[2][2] - m[1][2] * m[2][1], m[3][3], 3e-6) << "view " << k;
  }
}

TEST(StandardViewsTest, BadNumbersLeaveTheMatrix) {
  Matrix3 m = Turned();
  const Matrix3 before = m;
  view::LoadStandardView(0, m);
  view::LoadStandardView(10, m);
  view::LoadStandardView(-1, m);
  EXPECT_EQ(m, before);
}

class ViewsTest : public testing_support::ProgramTest {
 protected:
  // 800 × 500 drawing area: the 572-pixel window leaves 72 for the four text rows.
  void Open() {
    OpenHeadless(800, 572);
    view::InitView();
    ASSERT_EQ(view::ClientWidth, 800);
    ASSERT_EQ(view::DrawAreaHeight, 500);
  }
};

TEST_F(ViewsTest, ElevationProjectsDepthAway) {
  Open();
  view::RecallView(ViewTable::kStandard, 3);
  float u = 9, v = 9;
  view::ProjectToView(0, 5, 0, u, v);
  EXPECT_EQ(u, 0.0f);
  EXPECT_EQ(v, 0.0f);
  view::ProjectToView(1, 5, 3, u, v);  // u = x, v = z
  EXPECT_EQ(u, 1.0f);
  EXPECT_EQ(v, 3.0f);
  int px = 0, py = 0;
  view::WorldToPixel(0, 5, 0, px, py);
  EXPECT_EQ(px, view::ScreenCentreX);
  EXPECT_EQ(py, view::ScreenCentreY);
}

TEST_F(ViewsTest, StandardRecallChangesOnlyTheRotation) {
  Open();
  view::UnitsPerPixelX = view::UnitsPerPixelY = 2.5f;
  view::ViewCentreU = 7;
  view::RecallView(ViewTable::kStandard, 2);
  EXPECT_EQ(view::ViewMatrix, Standard(2));
  EXPECT_EQ(view::Projection, Standard(2));
  EXPECT_EQ(view::UnitsPerPixelX, 2.5f);
  EXPECT_EQ(view::ViewCentreU, 7.0f);
}

TEST_F(ViewsTest, StoredViewComesBackButDepthScaleStays) {
  Open();
  const Matrix3 turned = Turned();
  view::ViewMatrix = turned;
  view::UnitsPerPixelX = view::UnitsPerPixelY = 0.37f;
  view::ViewCentreU = -12.5f;
  view::ViewCentreV = 44.0f;
  view::StoreView(ViewTable::kViewport, 3);
  view::StoreView(ViewTable::kUser, 9);

  for (const auto& [table, n] : {std::pair{ViewTable::kViewport, 3}, std::pair{ViewTable::kUser, 9}}) {
    view::RecallView(ViewTable::kStandard, 1);
    view::UnitsPerPixelX = view::UnitsPerPixelY = 5.0f;
    view::ViewCentreU = view::ViewCentreV = 0;
    view::DepthScale = 3.0f;
    view::RecallView(table, n);
    EXPECT_EQ(view::UnitsPerPixelX, 0.37f);
    EXPECT_EQ(view::UnitsPerPixelY, 0.37f);
    EXPECT_EQ(view::ViewCentreU, -12.5f);
    EXPECT_EQ(view::ViewCentreV, 44.0f);
    EXPECT_EQ(view::DepthScale, 3.0f);
    for (int i = 1; i <= 3; ++i)
      for (int j = 1; j <= 3; ++j) {
        // Stored as singles, widened back.
        EXPECT_EQ(view::ViewMatrix[i][j], static_cast<double>(static_cast<float>(turned[i][j])));
        EXPECT_EQ(view::Projection[i][j], view::ViewMatrix[i][j]);
      }
  }

  // Selecting the layout shows the slot exactly.
  view::RecallView(ViewTable::kStandard, 1);
  view::UnitsPerPixelX = view::UnitsPerPixelY = 5.0f;
  view::DepthScale = 3.0f;
  view::SelectViewport(3);
  EXPECT_EQ(view::UnitsPerPixelX, 0.37f);
  EXPECT_EQ(view::ViewCentreV, 44.0f);
  EXPECT_EQ(view::ViewMatrix[2][3], static_cast<double>(static_cast<float>(turned[2][3])));
  EXPECT_EQ(view::DepthScale, 3.0f);
}

TEST_F(ViewsTest, SlotsOutsideTheTablesAreIgnored) {
  Open();
  const auto user = view::UserViews;
  const auto ports = view::ViewportViews;
  view::ViewMatrix = Turned();
  view::UnitsPerPixelX = view::UnitsPerPixelY = 4.0f;
  for (int n : {-1, 0, 8, 10, 1 << 30}) {
    if (n != 8) view::StoreView(ViewTable::kUser, n);
    view::StoreView(ViewTable::kViewport, n);
  }
  view::StoreView(ViewTable::kStandard, 1);
  for (std::size_t i = 0; i < user.size(); ++i) EXPECT_EQ(view::UserViews[i].ScaleX, user[i].ScaleX);
  for (std::size_t i = 0; i < ports.size(); ++i) {
    EXPECT_EQ(view::ViewportViews[i].ScaleX, ports[i].ScaleX);
    EXPECT_EQ(view::ViewportViews[i].Matrix, ports[i].Matrix);
  }
  const Matrix3 before = view::ViewMatrix;
  view::RecallView(ViewTable::kUser, 10);
  view::RecallView(ViewTable::kViewport, 8);
  view::RecallView(ViewTable::kViewport, 0);
  EXPECT_EQ(view::ViewMatrix, before);
  EXPECT_EQ(view::UnitsPerPixelX, 4.0f);
}

TEST_F(ViewsTest, LayoutsDivideTheDrawingArea) {
  Open();
  struct Row {
    int k, left, top, width, height;
  };
  const Row rows[] = {{1, 0, 0, 800, 499},   {2, 0, 0, 498, 499},   {3, 500, 0, 300, 499},
                      {4, 0, 0, 398, 248},   {5, 400, 0, 400, 248}, {6, 0, 250, 398, 250},
                      {7, 400, 250, 400, 250}};
  for (const Row& r : rows) {
    view::SelectViewport(r.k);
    EXPECT_EQ(view::ActiveViewport, r.k);
    EXPECT_EQ(view::ViewportLeft, r.left) << r.k;
    EXPECT_EQ(view::ViewportTop, r.top) << r.k;
    EXPECT_EQ(view::ViewportWidth, r.width) << r.k;
    EXPECT_EQ(view::ViewportHeight, r.height) << r.k;
    EXPECT_EQ(view::ScreenCentreX, r.width / 2 - 1) << r.k;
    EXPECT_EQ(view::ScreenCentreY, r.height / 2 - 1) << r.k;
    EXPECT_EQ(view::PanStepX, r.width / 4) << r.k;
    EXPECT_EQ(view::PanStepY, r.height / 4) << r.k;
    // The driver is left on the inner viewport.
    EXPECT_EQ(graphics::Viewport.left, r.left + 1) << r.k;
    EXPECT_EQ(graphics::Viewport.top, r.top + 1) << r.k;
    EXPECT_EQ(graphics::Viewport.right, r.left + r.width - 1) << r.k;
    EXPECT_EQ(graphics::Viewport.bottom, r.top + r.height - 1) << r.k;
  }
  // A number that is no layout keeps the rectangle and the layout in force.
  view::SelectViewport(8);
  EXPECT_EQ(view::ViewportLeft, 400);
  EXPECT_EQ(view::ViewportWidth, 400);
  EXPECT_EQ(view::ActiveViewport, 7);
  view::SelectViewport(0);
  EXPECT_EQ(view::ViewportTop, 250);
  EXPECT_EQ(view::ActiveViewport, 7);
}

TEST_F(ViewsTest, LayoutOneKeepsTheViewOthersRecallTheirSlot) {
  Open();
  view::SelectViewport(5);
  EXPECT_EQ(view::ViewMatrix, view::IdentityMatrix());  // slot 5 as emptied
  EXPECT_EQ(view::UnitsPerPixelX, 1.0f);

  view::ViewMatrix = Turned();
  view::ApplyView();
  view::UnitsPerPixelX = view::UnitsPerPixelY = 0.125f;
  view::ViewCentreU = 3;
  view::SelectViewport(1);
  EXPECT_EQ(view::ViewMatrix, Turned());
  EXPECT_EQ(view::UnitsPerPixelX, 0.125f);
  EXPECT_EQ(view::ViewCentreU, 3.0f);

  view::SelectViewport(7);  // standard view 4 since the view start
  EXPECT_EQ(view::ViewMatrix, Standard(4));
  EXPECT_EQ(view::Projection, Standard(4));
  EXPECT_EQ(view::UnitsPerPixelX, 1.0f);
  EXPECT_EQ(view::ViewCentreU, 0.0f);
}

TEST_F(ViewsTest, SelectingAViewportRemovesTheOldCornerMark) {
  Open();
  view::PrepareDrawArea();  // layout 1, with its corner mark
  // The mark's swatch: inner viewport origin (1, 1), columns 2..8 and rows 2..9 of it.
  auto swatch = [](std::uint32_t colour) {
    int n = 0;
    for (int y = 3; y <= 10; ++y)
      for (int x = 3; x <= 9; ++x) n += graphics::PixelAt(x, y) == colour;
    return n;
  };
  ASSERT_EQ(swatch(kWhite), 7 * 8);
  view::SelectViewport(7);
  EXPECT_EQ(swatch(kBlack), 7 * 8);
  // Nothing of the mark is left, its number included.
  int lit = 0;
  for (int y = 2; y < 40; ++y)
    for (int x = 2; x < 40; ++x) lit += graphics::PixelAt(x, y) == kWhite;
  EXPECT_EQ(lit, 0);
  // The colour is the mark's again for whoever draws next.
  EXPECT_EQ(graphics::DrawColorIndex, dialogs::MarkColour);

  // Layout 7's own mark goes when layout 6 is selected.
  view::PrepareDrawArea();
  EXPECT_EQ(graphics::PixelAt(405, 255), kWhite);
  view::SelectViewport(6);
  EXPECT_EQ(graphics::PixelAt(405, 255), kBlack);
}

TEST_F(ViewsTest, EmptyingTheTablesGivesPlanViewsAtOneUnitPerPixel) {
  Open();
  view::ViewMatrix = Turned();
  view::UnitsPerPixelX = view::UnitsPerPixelY = 9.0f;
  view::ViewCentreU = 5;
  for (int n = 1; n <= 9; ++n) view::StoreView(ViewTable::kUser, n);
  for (int n = 1; n <= 7; ++n) view::StoreView(ViewTable::kViewport, n);
  view::EmptyStoredViews();
  for (int n = 1; n <= 9; ++n) {
    view::RecallView(ViewTable::kUser, n);
    EXPECT_EQ(view::ViewMatrix, view::IdentityMatrix());
    EXPECT_EQ(view::UnitsPerPixelY, 1.0f);
    EXPECT_EQ(view::ViewCentreU, 0.0f);
  }
  view::RecallView(ViewTable::kViewport, 7);
  EXPECT_EQ(view::ViewMatrix, view::IdentityMatrix());
}

}  // namespace
