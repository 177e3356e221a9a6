#include "app/settings.h"

namespace app {

sources::Profile LoadProfile(const Text& content, const Text& chosen, core::TextArray& problems) {
  return sources::BuildProfile(sources::ParseSettings(content, problems), chosen, problems);
}

Text SettingsReadLine(const Text& path, bool read, bool textTwinFound) {
  if (read) return "已读取设置文件 " + path;
  if (textTwinFound) {
    return "未找到设置文件 " + path + "，但找到了 " + path +
           ".txt：请把它改名为 settings.ini（Windows 可能隐藏了扩展名 .txt）。本次使用默认设置";
  }
  return "未找到设置文件 " + path + "，使用默认设置";
}

}  // namespace app
