// The element store: the polyline being collected by a reader. The first 2000 points and
// 500 contour records live in memory, the rest in the scratch files BUF.TMP and BUFN.TMP.
#pragma once
#include <array>
#include <cstdint>

namespace drawing {

inline constexpr int kMemoryPoints = 2000;
inline constexpr int kMemoryContours = 500;

extern std::int32_t PointCount;
extern std::int32_t ContourCount;
extern std::int32_t ClosedContourCount;
extern std::int32_t ElementColour;

void ElementStoreStartUp();
void BeginElement();
void BeginContour();
void AddPoint(float x, float y, float z);
void CloseElement();
void ContourRange(std::int32_t k, std::int32_t& first, std::int32_t& last, std::int32_t& kind,
                  std::int32_t& colour);
void PutPoint(std::int32_t i, float x, float y, float z);
void GetPoint(std::int32_t i, float& x, float& y, float& z);
void PutContour(std::int32_t k, std::int32_t first, std::int32_t kind, std::int32_t colour);
void GetContour(std::int32_t k, std::int32_t& first, std::int32_t& kind, std::int32_t& colour);

// Closes and removes the scratch files (every end of the program).
void RemoveScratchFiles();

}  // namespace drawing
