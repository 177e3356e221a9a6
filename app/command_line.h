// The command line. The flags only preset the window's controls; a pass
// reads the controls as usual.
//
//   --auto                        start one pass at once, show no message
//                                 box, exit with 0 when it ends
//   --dedupe                      tick 选择框_过滤重复
//   --keep-images                 tick 选择框_保留图片
//   --images=original|local       picture radio
//   --title=keyword|original|keyword-title   title radio
//   --encoding=gbk|utf8           encoding radio
//   --min-length=N                编辑框_线程1
//   --profile=classic|current     the source profile (wins over settings.ini)
//   --proxy=HOST:PORT             the HTTP proxy of every request (wins over
//                                 settings.ini)
#pragma once

#include <optional>

#include "core/text.h"
#include "core/window_ops.h"

namespace app {

using core::Text;

inline constexpr int kBadCommandLineExitCode = 2;

struct CommandLine {
  bool autoRun = false;
  bool dedupe = false;
  bool keepImages = false;
  std::optional<core::Control> images;    // 单选框_元图片 or 单选框_图片本地化
  std::optional<core::Control> title;     // one of the three title radios
  std::optional<core::Control> encoding;  // 单选框_GBK or 单选框_UTF8
  std::optional<int> minLength;
  Text profile;  // "" when not given
  Text proxy;    // "host:port"; "" when not given
};

// Parses the arguments after the program name. False with a message naming
// the bad argument when one is unknown or its value is.
bool ParseCommandLine(const core::TextArray& arguments, CommandLine& options, Text& error);

// Ticks and selects the controls as the options say; the radio groups keep
// one choice each. Untouched controls keep their state.
void ApplyCommandLine(const CommandLine& options, core::WindowOps& window);

// The usage text shown with an error.
Text CommandLineUsage();

}  // namespace app
