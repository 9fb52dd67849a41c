#include "support/fixture.h"

#include <png.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fcntl.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "app/program.h"
#include "drawing/element_store.h"
#include "graphics/driver.h"
#include "graphics/window.h"
#include "platform/headless.h"
#include "platform/key_script.h"

extern char** environ;

namespace testing_support {

void ProgramTest::SetUp() {
  char cwd[4096];
  old_cwd_ = getcwd(cwd, sizeof cwd) ? cwd : "/";
  std::string tmpl = (std::filesystem::temp_directory_path() / "ugftest-XXXXXX").string();
  ASSERT_NE(mkdtemp(tmpl.data()), nullptr);
  dir_ = tmpl;
  ASSERT_EQ(chdir(dir_.c_str()), 0);
  app::StartProgram();
}

void ProgramTest::TearDown() {
  drawing::RemoveScratchFiles();
  if (chdir(old_cwd_.c_str()) != 0) std::perror("chdir");
  std::error_code ec;
  std::filesystem::remove_all(dir_, ec);
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

std::string ReadFile(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  std::stringstream ss;
  ss << f.rdbuf();
  return ss.str();
}

bool ReadPng(const std::string& path, std::vector<std::uint32_t>& pixels, int& width, int& height) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&image, path.c_str())) return false;
  image.format = PNG_FORMAT_RGB;
  std::vector<png_byte> buf(PNG_IMAGE_SIZE(image));
  if (!png_image_finish_read(&image, nullptr, buf.data(), 0, nullptr)) return false;
  width = static_cast<int>(image.width);
  height = static_cast<int>(image.height);
  pixels.resize(static_cast<std::size_t>(width) * height);
  for (std::size_t i = 0; i < pixels.size(); ++i)
    pixels[i] = (std::uint32_t{buf[3 * i]} << 16) | (std::uint32_t{buf[3 * i + 1]} << 8) | buf[3 * i + 2];
  return true;
}

}  // namespace testing_support
