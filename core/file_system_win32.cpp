// File access with the W functions; GB18030 names cross as UTF-16 (by our own tables).
#include <windows.h>

#include <algorithm>

#include "core/encoding.h"
#include "core/file_system.h"

namespace core {
namespace {

std::wstring WidePath(const Text& path) {
  const Wide w = Gb18030ToWide(path);
  return std::wstring(w.begin(), w.end());
}

// A file handle with one owner.
class FileHandle {
 public:
  explicit FileHandle(HANDLE h) : h_(h) {}
  ~FileHandle() { close(); }
  FileHandle(const FileHandle&) = delete;
  FileHandle& operator=(const FileHandle&) = delete;
  bool ok() const { return h_ != INVALID_HANDLE_VALUE; }
  HANDLE get() const { return h_; }
  bool close() {
    if (!ok()) return true;
    const bool closed = CloseHandle(h_) != 0;
    h_ = INVALID_HANDLE_VALUE;
    return closed;
  }

 private:
  HANDLE h_;
};

bool WriteAt(const std::wstring& path, std::string_view content) {
  FileHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.ok()) return false;
  size_t done = 0;
  bool ok = true;
  while (ok && done < content.size()) {
    const DWORD chunk = DWORD(std::min<size_t>(content.size() - done, 1u << 20));
    DWORD written = 0;
    ok = WriteFile(file.get(), content.data() + done, chunk, &written, nullptr) && written == chunk;
    done += written;
  }
  ok = file.close() && ok;
  if (!ok) DeleteFileW(path.c_str());
  return ok;
}

}  // namespace

bool ReadWholeFile(const Text& path, std::string& content) {
  content.clear();
  FileHandle file(CreateFileW(WidePath(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.ok()) return false;
  LARGE_INTEGER size;
  if (!GetFileSizeEx(file.get(), &size) || size.QuadPart > 0x7FFFFFFF) return false;
  content.resize(size_t(size.QuadPart));
  size_t done = 0;
  while (done < content.size()) {
    DWORD got = 0;
    const DWORD chunk = DWORD(std::min<size_t>(content.size() - done, 1u << 20));
    if (!ReadFile(file.get(), &content[done], chunk, &got, nullptr) || got == 0) break;
    done += got;
  }
  content.resize(done);
  return true;
}

bool WriteWholeFile(const Text& path, std::string_view content) {
  return WriteAt(WidePath(path), content);
}

bool ReplaceFileSafely(const Text& path, std::string_view content) {
  const std::wstring target = WidePath(path);
  const std::wstring temp = target + L".tmp";
  if (!WriteAt(temp, content)) return false;
  if (!MoveFileExW(temp.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    DeleteFileW(temp.c_str());
    return false;
  }
  return true;
}

bool CreateDirectoryLevel(const Text& path) {
  if (CreateDirectoryW(WidePath(path).c_str(), nullptr)) return true;
  return DirectoryExists(path);
}

bool DirectoryExists(const Text& path) {
  const DWORD a = GetFileAttributesW(WidePath(path).c_str());
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

bool FileExists(const Text& path) {
  const DWORD a = GetFileAttributesW(WidePath(path).c_str());
  return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

bool RemoveFile(const Text& path) { return DeleteFileW(WidePath(path).c_str()) != 0; }

Text ExecutableDirectory() {
  std::wstring buffer(32768, L'\0');
  const DWORD n = GetModuleFileNameW(nullptr, &buffer[0], DWORD(buffer.size()));
  if (n == 0 || n >= buffer.size()) return Text(".");
  buffer.resize(n);
  const size_t slash = buffer.find_last_of(L"\\/");
  if (slash != std::wstring::npos) buffer.resize(slash);
  return WideToGb18030(Wide(buffer.begin(), buffer.end()));
}

}  // namespace core
