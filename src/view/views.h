// Stored views (standard, user, viewport) and the seven viewport layouts.
#pragma once
#include <array>

#include "view/view_state.h"

namespace view {

struct ViewRecord {
  float ScaleX = 1, ScaleY = 1, CentreU = 0, CentreV = 0;
  // Indexed 1..3; identity, so an unused slot recalls a plan view.
  std::array<std::array<float, 4>, 4> Matrix{{{0, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}}};
};

enum class ViewTable { kStandard, kUser, kViewport };

struct ViewsState {
  std::array<ViewRecord, 10> UserViews{};     // slots 1..9
  std::array<ViewRecord, 8> ViewportViews{};  // slots 1..7
  int ActiveViewport = 1;                     // 1..7
};
extern ViewsState ViewsVars;

inline constexpr auto& UserViews = ViewsVars.UserViews;
inline constexpr auto& ViewportViews = ViewsVars.ViewportViews;
inline constexpr auto& ActiveViewport = ViewsVars.ActiveViewport;

// Out-of-range k leaves m as it is.
void LoadStandardView(int k, Matrix3& m);
void CopyMatrix(const Matrix3& source, Matrix3& destination);
void StoreView(ViewTable table, int n);
void RecallView(ViewTable table, int n);
void SetViewportRect(int left, int top, int width, int height);
void SelectViewport(int k);
// Both tables back to scales 1, centre 0, identity matrix.
void EmptyStoredViews();

void ViewsStartUp();

}  // namespace view
