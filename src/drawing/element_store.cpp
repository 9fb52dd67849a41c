#include "drawing/element_store.h"

#include <algorithm>
#include <bit>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>

#include "dialogs/text_area.h"
#include "graphics/driver.h"
#include "platform/errors.h"
#include "platform/files.h"
#include "platform/output_file.h"
#include "platform/system.h"
#include "platform/text.h"

namespace drawing {

constinit ElementStoreState ElementStoreVars;

namespace {

constexpr std::int32_t kMaxIndex = std::numeric_limits<std::int32_t>::max();

// Index 0 is unused: contours are numbered from 1.
struct ElementStoreLocal {
  std::array<std::int32_t, kMemoryContours + 1> ContourFirst{};
  std::array<std::uint8_t, kMemoryContours + 1> ContourKind{};
  std::array<std::uint8_t, kMemoryContours + 1> ContourColour{};
};
constinit ElementStoreLocal g;
constexpr auto& ContourFirst = g.ContourFirst;
constexpr auto& ContourKind = g.ContourKind;
constexpr auto& ContourColour = g.ContourColour;

// One scratch file of 4-byte records, open for the rest of the run once created.
class ScratchFile {
 public:
  explicit constexpr ScratchFile(const char* name) : name_(name) {}
  ScratchFile(const ScratchFile&) = delete;
  ScratchFile& operator=(const ScratchFile&) = delete;
  bool is_open() const { return file_.is_open(); }
  const std::string& path() const { return path_; }
  void Create();
  void Write(std::int64_t record, std::uint32_t value);
  // False when the record lies past the end of the file.
  bool Read(std::int64_t record, std::uint32_t& value);
  void Remove();

 private:
  bool TryCurrentDirectory();
  void CreateInPrivateFolder();
  void Adopt(platform::SysFile file, std::string path);

  const char* name_;
  platform::SysFile file_;
  std::string path_;  // absolute, so a later change of directory does not matter
  platform::FileId id_;
  bool have_id_ = false;  // without one the name is removed as it stands
};

constinit ScratchFile PointFile("BUF.TMP");
constinit ScratchFile ContourFile("BUFN.TMP");
// Made when the current directory cannot take a scratch file; removed with the files.
constinit std::string PrivateFolder;

void ScratchFile::Adopt(platform::SysFile file, std::string path) {
  // The name was made a moment ago: its identity stands in when the open file gives none.
  have_id_ = platform::IdOfFile(file, id_) || platform::IdOfPath(path, false, id_);
  file_ = std::move(file);
  path_ = std::move(path);
}

// The current directory serves unless it is not writable, the name there is not a plain
// file of its own (a link could lead to the drawing), or another ugfview holds the file.
bool ScratchFile::TryCurrentDirectory() {
  std::string path = platform::CurrentFolder();
  if (path.empty()) return false;
  if (path.back() != '/') path += '/';
  path += name_;
  platform::SysFile file;
  if (platform::OpenScratch(path, false, file) != 0) return false;
  if (!platform::LockExclusive(file) || !platform::TruncateToEmpty(file)) return false;
  Adopt(std::move(file), std::move(path));
  return true;
}

void ScratchFile::CreateInPrivateFolder() {
  if (PrivateFolder.empty()) {
    std::string folder;
    if (const int err = platform::CreateUniqueFolder(platform::TempFolder(), "ugfview-", folder)) {
      platform::RunTimeError(platform::OpenFailureCode(folder, err), folder, 0,
                             std::string("cannot create a folder for ") + name_ + ": " +
                                 std::strerror(err));
    }
    PrivateFolder = std::move(folder);
  }
  std::string path = PrivateFolder + "/" + name_;
  platform::SysFile file;
  if (const int err = platform::OpenScratch(path, true, file)) {
    platform::RunTimeError(platform::OpenFailureCode(path, err), path, 0,
                           std::string("cannot create: ") + std::strerror(err));
  }
  platform::LockExclusive(file);
  Adopt(std::move(file), std::move(path));
}

void ScratchFile::Create() {
  if (!TryCurrentDirectory()) CreateInPrivateFolder();
}

void ScratchFile::Write(std::int64_t record, std::uint32_t value) {
  const unsigned char bytes[4] = {static_cast<unsigned char>(value), static_cast<unsigned char>(value >> 8),
                                  static_cast<unsigned char>(value >> 16),
                                  static_cast<unsigned char>(value >> 24)};
  int err = 0;
  const long long n = platform::WriteAt(file_, bytes, 4, record * 4, err);
  if (n != 4)
    platform::RunTimeError(platform::kWriteFailed, path_, 0,
                           "write failed" + (n < 0 ? std::string(": ") + std::strerror(err) : std::string()));
}

bool ScratchFile::Read(std::int64_t record, std::uint32_t& value) {
  unsigned char bytes[4];
  int err = 0;
  const long long n = platform::ReadAt(file_, bytes, 4, record * 4, err);
  if (n < 0)
    platform::RunTimeError(platform::kReadPastEnd, path_, 0, std::string("read failed: ") + std::strerror(err));
  if (n != 4) return false;
  value = std::uint32_t{bytes[0]} | std::uint32_t{bytes[1]} << 8 | std::uint32_t{bytes[2]} << 16 |
          std::uint32_t{bytes[3]} << 24;
  return true;
}

void ScratchFile::Remove() {
  if (!file_.is_open()) return;
  // Only while the name is still ours: another ugfview may have put its own file there.
  platform::FileId id;
  if (!have_id_ || (platform::IdOfPath(path_, false, id) && id == id_)) platform::RemoveFile(path_);
  file_.Close();
  path_.clear();
}

std::int32_t Succ(std::int32_t n) { return n < kMaxIndex ? n + 1 : n; }

std::int32_t LastBefore(std::int32_t next) {
  const std::int64_t a = next < 0 ? -std::int64_t{next} : next;
  return static_cast<std::int32_t>(a - 1);
}

// Records of point i (> kMemoryPoints) and contour k (> kMemoryContours).
std::int64_t PointRecord(std::int32_t i) { return 3 * (std::int64_t{i} - kMemoryPoints) + 1; }
std::int64_t ContourRecord(std::int32_t k) { return 3 * (std::int64_t{k} - kMemoryContours); }

// Reads a contour record wherever it is. False (outputs untouched) when it is in a scratch
// file that is not open, or past its end and `past_end_fails` is false.
bool LoadContour(std::int32_t k, std::int32_t& first, std::int32_t& kind, std::int32_t& colour,
                 bool past_end_fails) {
  if (k <= 0) return false;
  if (k <= kMemoryContours) {
    first = ContourFirst[k];
    kind = ContourKind[k];
    colour = ContourColour[k];
    return true;
  }
  if (!ContourFile.is_open()) return false;
  const std::int64_t r = ContourRecord(k);
  std::uint32_t v[3];
  for (int j = 0; j < 3; ++j) {
    if (!ContourFile.Read(r + j, v[j])) {
      if (past_end_fails)
        platform::RunTimeError(platform::kReadPastEnd, ContourFile.path(), 0, "read past end of file");
      return false;
    }
  }
  first = static_cast<std::int32_t>(v[0]);
  kind = static_cast<std::int32_t>(v[1]);
  colour = static_cast<std::int32_t>(v[2]);
  return true;
}

// Points of the dump: only memory, since the dump is written because BUF.TMP is not open.
void LoadMemoryPoint(std::int32_t i, float& x, float& y, float& z) {
  if (i < 1 || i > kMemoryPoints) return;
  x = PointX[i];
  y = PointY[i];
  z = PointZ[i];
}

void Append(std::string& out, const char* format, auto... args) {
  char buf[256];
  const int n = std::snprintf(buf, sizeof buf, format, args...);
  if (n > 0) out.append(buf, static_cast<std::size_t>(n) < sizeof buf ? n : sizeof buf - 1);
}

void AppendContourLine(std::string& out, std::int32_t k, std::int32_t& first, std::int32_t& last) {
  std::int32_t kind = 0, colour = 0, next = 0;
  first = 0;
  LoadContour(k, first, kind, colour, false);
  if (k < kMaxIndex) LoadContour(k + 1, next, kind, colour, false);
  last = LastBefore(next);
  Append(out, "%9d %6d %6d\r\n", k, first, last);
}

// Written to a temporary file and renamed, so no file but BUF.ZBF itself is ever replaced.
void WriteDump() {
  std::string text;
  Append(text, "%d %d\r\n", ContourCount, PointCount);
  for (std::int32_t k = 1; k >= 1 && k <= ContourCount; ++k) {
    std::int32_t first = 0, last = 0;
    AppendContourLine(text, k, first, last);
    // Stale contour records may name points the element does not have.
    const std::int64_t from = std::max<std::int64_t>(1, first < 0 ? -std::int64_t{first} : first);
    const std::int64_t to = std::min<std::int64_t>(last, PointCount);
    for (std::int64_t i = from; i <= to; ++i) {
      float x = 0, y = 0, z = 0;
      LoadMemoryPoint(static_cast<std::int32_t>(i), x, y, z);
      Append(text, "%6d %9.4f %9.4f %9.4f\r\n", static_cast<std::int32_t>(i), double{x}, double{y},
             double{z});
    }
    if (k == kMaxIndex) break;
  }
  std::int32_t first = 0, last = 0;
  AppendContourLine(text, Succ(ContourCount), first, last);

  platform::OutputFile file;
  file.Open("BUF.ZBF", "BUF.ZBF");
  file.Write(text);
  file.Commit();
}

}  // namespace

void ElementStoreStartUp() {
  // The scratch files and their private folder go with their files.
  RemoveScratchFiles();
  ElementStoreVars = {};
  g = {};
}

void RemoveScratchFiles() {
  PointFile.Remove();
  ContourFile.Remove();
  if (!PrivateFolder.empty()) {
    platform::RemoveFolder(PrivateFolder);
    PrivateFolder.clear();
  }
}

void BeginElement() {
  PointCount = 0;
  ContourCount = 0;
  ClosedContourCount = 0;
  ElementColour = graphics::GetDrawColor();
}

void BeginContour() {
  // The sentinel goes one past the last contour, so that index must exist too.
  if (ContourCount >= kMaxIndex - 1) return;
  ContourCount = ContourCount + 1;
  ClosedContourCount = ContourCount;
  PutContour(ContourCount, Succ(PointCount), 1, ElementColour);
}

void CloseElement() {
  ClosedContourCount = ContourCount;
  // An element without contours gets a sentinel of kind and colour 0.
  std::int32_t first = 0, kind = 0, colour = 0;
  GetContour(ContourCount, first, kind, colour);
  PutContour(Succ(ContourCount), Succ(PointCount), kind, colour);
}

void ContourRange(std::int32_t k, std::int32_t& first, std::int32_t& last, std::int32_t& kind,
                  std::int32_t& colour) {
  GetContour(k, first, kind, colour);
  std::int32_t next = 0, next_kind = 0, next_colour = 0;
  if (k < kMaxIndex) GetContour(k + 1, next, next_kind, next_colour);
  last = LastBefore(next);
}

void PutFilePoint(std::int32_t i, float x, float y, float z) {
  if (!PointFile.is_open()) {
    dialogs::ShowMessage(0, platform::Cp866("BUF_PUT-Открытие файла"));
    graphics::WaitMilliseconds(500);
    PointFile.Create();
  }
  const std::int64_t r = PointRecord(i);
  PointFile.Write(r, std::bit_cast<std::uint32_t>(x));
  PointFile.Write(r + 1, std::bit_cast<std::uint32_t>(y));
  PointFile.Write(r + 2, std::bit_cast<std::uint32_t>(z));
}

void GetFilePoint(std::int32_t i, float& x, float& y, float& z) {
  if (!PointFile.is_open()) {
    char number[16];
    std::snprintf(number, sizeof number, "%4d", i);
    dialogs::ShowMessage(0, platform::Cp866("BUF_GET-Файл не открыт ") + number);
    WriteDump();
    graphics::ReadCommandKey();
    return;
  }
  const std::int64_t r = PointRecord(i);
  std::uint32_t v[3];
  for (int j = 0; j < 3; ++j)
    if (!PointFile.Read(r + j, v[j]))
      platform::RunTimeError(platform::kReadPastEnd, PointFile.path(), 0, "read past end of file");
  x = std::bit_cast<float>(v[0]);
  y = std::bit_cast<float>(v[1]);
  z = std::bit_cast<float>(v[2]);
}

void PutContour(std::int32_t k, std::int32_t first, std::int32_t kind, std::int32_t colour) {
  if (k <= 0) return;
  if (k <= kMemoryContours) {
    ContourFirst[k] = first;
    ContourKind[k] = static_cast<std::uint8_t>(kind);
    ContourColour[k] = static_cast<std::uint8_t>(colour);
    return;
  }
  if (!ContourFile.is_open()) {
    dialogs::ShowMessage(0, platform::Cp866("BUF_PUTNA-Открытие файла"));
    graphics::WaitMilliseconds(500);
    ContourFile.Create();
  }
  const std::int64_t r = ContourRecord(k);
  ContourFile.Write(r, static_cast<std::uint32_t>(first));
  ContourFile.Write(r + 1, static_cast<std::uint32_t>(kind));
  ContourFile.Write(r + 2, static_cast<std::uint32_t>(colour));
}

void GetContour(std::int32_t k, std::int32_t& first, std::int32_t& kind, std::int32_t& colour) {
  if (k > kMemoryContours && !ContourFile.is_open()) {
    dialogs::ShowMessage(0, platform::Cp866("BUF_GETNA-Файл не открыт"));
    graphics::WaitMilliseconds(500);
    return;
  }
  LoadContour(k, first, kind, colour, true);
}

}  // namespace drawing
