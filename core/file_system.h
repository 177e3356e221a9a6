// Whole-file reads and writes and directory creation, with GB18030 path names.
//
// On Windows every name crosses as UTF-16 converted from GB18030 by our own tables
// to the W functions; natively names become UTF-8 and "\" separates like "/".
#pragma once

#include <string_view>

#include "core/text.h"

namespace core {

// The whole file, or false when it cannot be read.
bool ReadWholeFile(const Text& path, std::string& content);
// Creates or truncates the file and writes `content`. On failure a partly
// written file is removed and false is returned.
bool WriteWholeFile(const Text& path, std::string_view content);
// Writes to a temporary name beside `path`, then moves it over `path`, so a
// crash leaves either the old file or the new one.
bool ReplaceFileSafely(const Text& path, std::string_view content);
// Creates one directory level. True when it exists afterwards.
bool CreateDirectoryLevel(const Text& path);
bool DirectoryExists(const Text& path);
bool FileExists(const Text& path);
bool RemoveFile(const Text& path);
// The directory that holds the running executable, without a trailing separator.
Text ExecutableDirectory();

}  // namespace core
