// The element store: the polyline being collected by a reader. The first 2000 points and
// 500 contour records live in memory, the rest in the scratch files BUF.TMP and BUFN.TMP.
#pragma once
#include <array>
#include <cstdint>
#include <limits>

namespace drawing {

inline constexpr int kMemoryPoints = 2000;
inline constexpr int kMemoryContours = 500;

struct ElementStoreState {
  std::int32_t PointCount = 0;
  std::int32_t ContourCount = 0;
  std::int32_t ClosedContourCount = 0;
  std::int32_t ElementColour = 0;
  // Points 1..kMemoryPoints (index 0 unused). Every replay passes each point through here, so
  // their access is inline; points beyond them go to the scratch file.
  std::array<float, kMemoryPoints + 1> PointX{};
  std::array<float, kMemoryPoints + 1> PointY{};
  std::array<float, kMemoryPoints + 1> PointZ{};
};
extern ElementStoreState ElementStoreVars;

inline constexpr auto& PointCount = ElementStoreVars.PointCount;
inline constexpr auto& ContourCount = ElementStoreVars.ContourCount;
inline constexpr auto& ClosedContourCount = ElementStoreVars.ClosedContourCount;
inline constexpr auto& ElementColour = ElementStoreVars.ElementColour;

inline constexpr auto& PointX = ElementStoreVars.PointX;
inline constexpr auto& PointY = ElementStoreVars.PointY;
inline constexpr auto& PointZ = ElementStoreVars.PointZ;
void PutFilePoint(std::int32_t i, float x, float y, float z);
void GetFilePoint(std::int32_t i, float& x, float& y, float& z);

void ElementStoreStartUp();
void BeginElement();
void BeginContour();
void CloseElement();
void ContourRange(std::int32_t k, std::int32_t& first, std::int32_t& last, std::int32_t& kind,
                  std::int32_t& colour);

inline void PutPoint(std::int32_t i, float x, float y, float z) {
  if (i <= 0) return;
  if (i > kMemoryPoints) return PutFilePoint(i, x, y, z);
  PointX[i] = x;
  PointY[i] = y;
  PointZ[i] = z;
}

inline void GetPoint(std::int32_t i, float& x, float& y, float& z) {
  if (i <= 0) return;
  if (i > kMemoryPoints) return GetFilePoint(i, x, y, z);
  x = PointX[i];
  y = PointY[i];
  z = PointZ[i];
}

inline void AddPoint(float x, float y, float z) {
  if (PointCount < std::numeric_limits<std::int32_t>::max()) ++PointCount;
  PutPoint(PointCount, x, y, z);
}
void PutContour(std::int32_t k, std::int32_t first, std::int32_t kind, std::int32_t colour);
void GetContour(std::int32_t k, std::int32_t& first, std::int32_t& kind, std::int32_t& colour);

// Closes and removes the scratch files (every end of the program).
void RemoveScratchFiles();

}  // namespace drawing
