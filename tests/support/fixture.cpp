#include "support/fixture.h"

#include <zlib.h>
#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <cstdio>
#include <algorithm>
#include <cstdlib>
#include <filesystem>

#include "app/program.h"
#include "drawing/element_store.h"
#include "graphics/driver.h"
#include "graphics/window.h"
#include "platform/headless.h"
#include "platform/key_script.h"
#include "platform/system.h"
#include "platform/text_win32.h"

#ifndef _WIN32
extern char** environ;
#endif

namespace testing_support {

void ProgramTest::SetUp() {
  old_cwd_ = platform::CurrentFolder();
  ASSERT_EQ(platform::CreateUniqueFolder(platform::TempFolder(), "ugftest-", dir_), 0);
  ASSERT_TRUE(ChangeDir(dir_));
  app::StartProgram();
}

void ProgramTest::TearDown() {
  drawing::RemoveScratchFiles();
  RestoreTempDirVar();
  if (!ChangeDir(old_cwd_)) std::perror("chdir");
  std::error_code ec;
  std::filesystem::remove_all(dir_, ec);
}

std::string CurrentDir() { return platform::CurrentFolder(); }
bool ChangeDir(const std::string& path) { return platform::ChangeFolder(path); }

namespace {
#ifdef _WIN32
constexpr const char* kTempDirVar = "TMP";
#else
constexpr const char* kTempDirVar = "TMPDIR";
#endif
bool g_temp_var_saved = false;
bool g_temp_var_was_set = false;
std::string g_temp_var_old;

void SetEnvVar(const char* name, const std::string* value) {
#ifdef _WIN32
  _wputenv_s(platform::Utf8ToWide(name).c_str(), value ? platform::Utf8ToWide(*value).c_str() : L"");
#else
  if (value) setenv(name, value->c_str(), 1);
  else unsetenv(name);
#endif
}
}  // namespace

void SetTempDirVar(const std::string& value) {
  if (!g_temp_var_saved) {
    const char* old = std::getenv(kTempDirVar);
    g_temp_var_saved = true;
    g_temp_var_was_set = old != nullptr;
    g_temp_var_old = old ? old : "";
  }
  SetEnvVar(kTempDirVar, &value);
}

void SetReaderThreads(const char* value) {
#ifdef _WIN32
  _putenv_s("UGFVIEW_READER_THREADS", value ? value : "");
#else
  if (value) setenv("UGFVIEW_READER_THREADS", value, 1);
  else unsetenv("UGFVIEW_READER_THREADS");
#endif
}

void RestoreTempDirVar() {
  if (!g_temp_var_saved) return;
  g_temp_var_saved = false;
  SetEnvVar(kTempDirVar, g_temp_var_was_set ? &g_temp_var_old : nullptr);
}

bool MakeSymlink(const std::string& target, const std::string& link) {
#ifdef _WIN32
  (void)target;
  (void)link;
  return false;
#else
  return symlink(target.c_str(), link.c_str()) == 0;
#endif
}

void ProgramTest::OpenHeadless(int width, int height, const std::string& script) {
  app::StartProgram();
  platform::KeyScript ks;
  std::string error;
  ASSERT_TRUE(platform::ParseKeyScript(script, ks, error)) << error;
  platform::ConfigureHeadless(width, height, std::move(ks));
  graphics::SelectBackend(&platform::HeadlessBackend);
  graphics::InitGraphics();
}


#ifdef _WIN32
namespace {
std::wstring Quoted(const std::string& arg) {
  // The quoting CommandLineToArgvW undoes: backslashes double only before a quote.
  std::wstring w = platform::Utf8ToWide(arg), out = L"\"";
  std::size_t slashes = 0;
  for (const wchar_t c : w) {
    if (c == L'\\') {
      ++slashes;
    } else {
      if (c == L'"') out.append(slashes + 1, L'\\');
      slashes = 0;
    }
    out += c;
  }
  out.append(slashes, L'\\');
  return out + L"\"";
}
}  // namespace

RunResult RunUgfview(const std::vector<std::string>& args, const std::string& cwd,
                     const std::vector<std::string>& env) {
  RunResult r;
  const std::string out_path = cwd + "/.stdout", err_path = cwd + "/.stderr";
  std::wstring line = Quoted(UGFVIEW_PATH);
  for (const auto& a : args) line += L" " + Quoted(a);
  // The environment of the test, without a display and a key log, plus `env`.
  std::wstring block;
  if (wchar_t* e = GetEnvironmentStringsW()) {
    for (const wchar_t* p = e; *p; p += std::wcslen(p) + 1) {
      const std::wstring_view v = p;
      if (v.starts_with(L"DISPLAY=") || v.starts_with(L"UGFVIEW_KEYLOG=")) continue;
      block.append(v);
      block += L'\0';
    }
    FreeEnvironmentStringsW(e);
  }
  for (const auto& e : env) {
    block += platform::Utf8ToWide(e);
    block += L'\0';
  }
  block += L'\0';
  SECURITY_ATTRIBUTES sa{sizeof sa, nullptr, TRUE};
  auto open = [&](const std::string& p, DWORD access, DWORD how) {
    return CreateFileW(platform::WidePath(p).c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE, &sa,
                       how, FILE_ATTRIBUTE_NORMAL, nullptr);
  };
  const HANDLE in = open("NUL", GENERIC_READ, OPEN_EXISTING);
  const HANDLE out = open(out_path, GENERIC_WRITE, CREATE_ALWAYS);
  const HANDLE err = open(err_path, GENERIC_WRITE, CREATE_ALWAYS);
  STARTUPINFOW si{};
  si.cb = sizeof si;
  si.dwFlags = STARTF_USESTDHANDLES;
  si.hStdInput = in;
  si.hStdOutput = out;
  si.hStdError = err;
  PROCESS_INFORMATION pi{};
  const BOOL ok = CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, CREATE_UNICODE_ENVIRONMENT,
                                 block.data(), platform::WidePath(cwd).c_str(), &si, &pi);
  CloseHandle(in);
  CloseHandle(out);
  CloseHandle(err);
  if (!ok) return r;
  WaitForSingleObject(pi.hProcess, INFINITE);
  DWORD code = 0;
  GetExitCodeProcess(pi.hProcess, &code);
  CloseHandle(pi.hProcess);
  CloseHandle(pi.hThread);
  r.status = static_cast<int>(code);
  // Console output is CRLF; the tests compare lines.
  for (std::string* text : {&r.out, &r.err}) {
    *text = ReadFile(text == &r.out ? out_path : err_path);
    std::erase(*text, '\r');
  }
  std::remove(out_path.c_str());
  std::remove(err_path.c_str());
  return r;
}
#else
RunResult RunUgfview(const std::vector<std::string>& args, const std::string& cwd,
                     const std::vector<std::string>& env) {
  RunResult r;
  const std::string out_path = cwd + "/.stdout", err_path = cwd + "/.stderr";
  std::vector<std::string> argv_s = {UGFVIEW_PATH};
  argv_s.insert(argv_s.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (auto& a : argv_s) argv.push_back(a.data());
  argv.push_back(nullptr);
  std::vector<std::string> env_s;
  for (char** e = environ; *e; ++e) {
    const std::string_view v = *e;
    if (v.starts_with("DISPLAY=") || v.starts_with("WAYLAND_DISPLAY=") ||
        v.starts_with("UGFVIEW_KEYLOG="))
      continue;
    env_s.emplace_back(v);
  }
  for (const auto& e : env) env_s.push_back(e);
  std::vector<char*> envp;
  for (auto& e : env_s) envp.push_back(e.data());
  envp.push_back(nullptr);

  posix_spawn_file_actions_t fa;
  posix_spawn_file_actions_init(&fa);
  posix_spawn_file_actions_addchdir_np(&fa, cwd.c_str());
  posix_spawn_file_actions_addopen(&fa, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&fa, 1, out_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_addopen(&fa, 2, err_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  pid_t pid = 0;
  if (posix_spawn(&pid, argv[0], &fa, nullptr, argv.data(), envp.data()) != 0) {
    posix_spawn_file_actions_destroy(&fa);
    return r;
  }
  posix_spawn_file_actions_destroy(&fa);
  int st = 0;
  waitpid(pid, &st, 0);
  r.status = WIFEXITED(st) ? WEXITSTATUS(st) : 128 + WTERMSIG(st);
  r.out = ReadFile(out_path);
  r.err = ReadFile(err_path);
  std::remove(out_path.c_str());
  std::remove(err_path.c_str());
  return r;
}

#endif

std::string ReadFile(const std::string& path) {
  // Through the system layer: UTF-8 names on every system.
  std::string bytes;
  if (std::FILE* f = platform::OpenStream(path, "rb")) {
    char buf[1 << 16];
    for (std::size_t n; (n = std::fread(buf, 1, sizeof buf, f)) > 0;) bytes.append(buf, n);
    std::fclose(f);
  }
  return bytes;
}

namespace {

std::uint32_t U32(const unsigned char* p) {
  return std::uint32_t{p[0]} << 24 | std::uint32_t{p[1]} << 16 | std::uint32_t{p[2]} << 8 | p[3];
}

int Paeth(int a, int b, int c) {
  const int p = a + b - c, pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
  return pa <= pb && pa <= pc ? a : pb <= pc ? b : c;
}

}  // namespace

// Not interlaced; 8-bit grey, RGB, RGBA or a palette of 1 to 8 bits.
bool ReadPng(const std::string& path, std::vector<std::uint32_t>& pixels, int& width, int& height) {
  const std::string file = ReadFile(path);
  const auto* d = reinterpret_cast<const unsigned char*>(file.data());
  if (file.size() < 8 || file.compare(0, 8, "\x89PNG\r\n\x1a\n") != 0) return false;
  std::string idat;
  std::vector<std::uint32_t> palette;
  int depth = 0, type = -1;
  for (std::size_t at = 8; at + 12 <= file.size();) {
    const std::uint32_t len = U32(d + at);
    if (at + 12 + len > file.size()) return false;
    const std::string kind = file.substr(at + 4, 4);
    const unsigned char* body = d + at + 8;
    if (kind == "IHDR") {
      width = static_cast<int>(U32(body));
      height = static_cast<int>(U32(body + 4));
      depth = body[8];
      type = body[9];
      if (body[12] != 0) return false;
    } else if (kind == "PLTE") {
      for (std::uint32_t i = 0; i + 3 <= len; i += 3)
        palette.push_back(std::uint32_t{body[i]} << 16 | std::uint32_t{body[i + 1]} << 8 | body[i + 2]);
    } else if (kind == "IDAT") {
      idat.append(file, at + 8, len);
    }
    at += 12 + len;
  }
  const int channels = type == 0 ? 1 : type == 2 ? 3 : type == 6 ? 4 : type == 3 ? 1 : 0;
  if (channels == 0 || width <= 0 || height <= 0 || (type != 3 && depth != 8)) return false;
  const std::size_t bpp = static_cast<std::size_t>(std::max(1, channels * depth / 8));
  const std::size_t stride = (static_cast<std::size_t>(width) * channels * depth + 7) / 8;
  std::vector<unsigned char> raw((stride + 1) * height);
  uLongf raw_size = static_cast<uLongf>(raw.size());
  if (uncompress(raw.data(), &raw_size, reinterpret_cast<const Bytef*>(idat.data()),
                 static_cast<uLong>(idat.size())) != Z_OK || raw_size != raw.size())
    return false;
  std::vector<unsigned char> prev(stride, 0), row(stride);
  pixels.resize(static_cast<std::size_t>(width) * height);
  for (int y = 0; y < height; ++y) {
    const unsigned char* in = &raw[y * (stride + 1)];
    for (std::size_t i = 0; i < stride; ++i) {
      const int a = i >= bpp ? row[i - bpp] : 0, b = prev[i], c = i >= bpp ? prev[i - bpp] : 0;
      const int pred = in[0] == 1 ? a : in[0] == 2 ? b : in[0] == 3 ? (a + b) / 2 : in[0] == 4 ? Paeth(a, b, c) : 0;
      row[i] = static_cast<unsigned char>(in[1 + i] + pred);
    }
    for (int x = 0; x < width; ++x) {
      std::uint32_t& px = pixels[static_cast<std::size_t>(y) * width + x];
      const unsigned char* p = &row[static_cast<std::size_t>(x) * bpp];
      if (type == 3) {
        const int bit = x * depth;
        const unsigned index = (row[bit / 8] >> (8 - depth - bit % 8)) & ((1u << depth) - 1);
        px = index < palette.size() ? palette[index] : 0;
      } else if (channels == 1) {
        px = std::uint32_t{p[0]} * 0x010101u;
      } else {
        px = std::uint32_t{p[0]} << 16 | std::uint32_t{p[1]} << 8 | p[2];
      }
    }
    row.swap(prev);
  }
  return true;
}

}  // namespace testing_support
