#include "platform/headless.h"

#include <utility>

#include "platform/errors.h"

namespace platform {
namespace {

// Everything ConfigureHeadless starts afresh.
struct HeadlessState {
  int width = 1024;
  int height = 768;
  KeyScript script;
  std::size_t next_group = 0;
  EventSink sink = nullptr;
  std::uint64_t clock_ms = 0;
  bool default_answer = true;
  int pending_answer = 0;
};
constinit HeadlessState g;
constexpr int& g_width = g.width;
constexpr int& g_height = g.height;
constexpr KeyScript& g_script = g.script;
constexpr std::size_t& g_next_group = g.next_group;
constexpr EventSink& g_sink = g.sink;
constexpr std::uint64_t& g_clock_ms = g.clock_ms;
constexpr bool& g_default_answer = g.default_answer;
constexpr int& g_pending_answer = g.pending_answer;

void Deliver(const ScriptGroup& group) {
  for (const Event& e : group.events) {
    if (e.kind == EventKind::kClose) g_pending_answer = e.quit_answer;
    if (g_sink) g_sink(e);
    g_pending_answer = 0;
  }
}

bool Open(const std::string&, EventSink sink, int* width, int* height) {
  g_sink = sink;
  *width = g_width;
  *height = g_height;
  if (g_script.type_ahead && g_next_group == 0 && !g_script.groups.empty())
    Deliver(g_script.groups[g_next_group++]);
  return true;
}

void Close() { g_sink = nullptr; }
void Poll() {}

void WaitInput(int) {
  if (g_next_group >= g_script.groups.size()) throw ProgramEnd{0};
  // Copy: a delivered event may reconfigure the backend.
  const ScriptGroup group = g_script.groups[g_next_group++];
  Deliver(group);
}

void Present(const std::uint32_t*, int, int) {}

void ClientOrigin(int* x, int* y) {
  *x = kHeadlessOriginX;
  *y = kHeadlessOriginY;
}

void WarpPointer(int, int) {}
void ShowPointer(bool) {}

bool AskQuit(const std::string&, const std::string&) {
  if (g_pending_answer != 0) return g_pending_answer == 1;
  return g_default_answer;
}

void Sleep(int ms) {
  if (ms > 0) g_clock_ms += static_cast<std::uint64_t>(ms);
}

std::uint64_t NowMs() { return g_clock_ms; }

}  // namespace

const WindowBackend HeadlessBackend = {kHeadlessName.data(), Open,        Close,       Poll,
                                       WaitInput,  Present,     ClientOrigin, WarpPointer,
                                       ShowPointer, AskQuit,    Sleep,       NowMs};

void ConfigureHeadless(int width, int height, KeyScript script) {
  g = {};
  g_width = width;
  g_height = height;
  g_script = std::move(script);
}

void SetHeadlessQuitAnswer(bool yes) { g_default_answer = yes; }

}  // namespace platform
