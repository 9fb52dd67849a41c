// Cutting a printer line to a box before it reaches the printing system, whose coordinate
// range is smaller than that of the dots a scaled drawing can reach.
#pragma once
#include <algorithm>

namespace platform {

struct ClipBox {
  double x1 = 0, y1 = 0, x2 = 0, y2 = 0;
};

// Liang-Barsky: cuts the segment to the box; false when nothing of it is inside.
inline bool ClipSegment(const ClipBox& box, double& x0, double& y0, double& x1, double& y1) {
  double t0 = 0, t1 = 1;
  const double dx = x1 - x0, dy = y1 - y0;
  const double p[4] = {-dx, dx, -dy, dy};
  const double q[4] = {x0 - box.x1, box.x2 - x0, y0 - box.y1, box.y2 - y0};
  for (int i = 0; i < 4; ++i) {
    if (p[i] == 0) {
      if (q[i] < 0) return false;
    } else {
      const double r = q[i] / p[i];
      if (p[i] < 0) {
        if (r > t1) return false;
        t0 = std::max(t0, r);
      } else {
        if (r < t0) return false;
        t1 = std::min(t1, r);
      }
    }
  }
  const double ax = x0 + t0 * dx, ay = y0 + t0 * dy;
  x1 = x0 + t1 * dx;
  y1 = y0 + t1 * dy;
  x0 = ax;
  y0 = ay;
  return true;
}

}  // namespace platform
