// File access for the native build: GB18030 names become UTF-8, "\" becomes "/".
#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>

#include "core/encoding.h"
#include "core/file_system.h"

namespace core {
namespace {

std::string NativePath(const Text& path) {
  std::string out = GbkToUtf8(path);
  for (char& c : out) {
    if (c == '\\') c = '/';
  }
  return out;
}

bool WriteAt(const std::string& native, std::string_view content) {
  std::FILE* f = std::fopen(native.c_str(), "wb");
  if (!f) return false;
  // An empty view may carry a null pointer, which fwrite must not get.
  const bool ok = content.empty() || std::fwrite(content.data(), 1, content.size(), f) == content.size();
  const bool closed = std::fclose(f) == 0;
  if (ok && closed) return true;
  std::remove(native.c_str());
  return false;
}

}  // namespace

bool ReadWholeFile(const Text& path, std::string& content) {
  content.clear();
  std::ifstream in(NativePath(path), std::ios::binary);
  if (!in) return false;
  content.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return !in.bad();
}

bool WriteWholeFile(const Text& path, std::string_view content) {
  return WriteAt(NativePath(path), content);
}

bool ReplaceFileSafely(const Text& path, std::string_view content) {
  const std::string target = NativePath(path);
  const std::string temp = target + ".tmp";
  if (!WriteAt(temp, content)) return false;
  if (std::rename(temp.c_str(), target.c_str()) != 0) {
    std::remove(temp.c_str());
    return false;
  }
  return true;
}

bool CreateDirectoryLevel(const Text& path) {
  const std::string native = NativePath(path);
  if (mkdir(native.c_str(), 0777) == 0) return true;
  return DirectoryExists(path);
}

bool DirectoryExists(const Text& path) {
  struct stat st;
  return stat(NativePath(path).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool FileExists(const Text& path) {
  struct stat st;
  return stat(NativePath(path).c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool RemoveFile(const Text& path) { return std::remove(NativePath(path).c_str()) == 0; }

Text ExecutableDirectory() {
  char buffer[PATH_MAX];
  const ssize_t n = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
  if (n <= 0) return Text(".");
  std::string path(buffer, size_t(n));
  const size_t slash = path.rfind('/');
  path = slash == std::string::npos ? std::string(".") : path.substr(0, slash);
  return Utf8ToGbk(path);
}

}  // namespace core
