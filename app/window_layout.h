// The main window's form: every control with its kind, parent, position and
// caption. The window is built from this table, and its tests compare the
// real window with it.
#pragma once

#include <vector>

#include "core/text.h"
#include "core/window_ops.h"

namespace app {

using core::Text;

inline constexpr char kWindowTitle[] = "热点文章采集";
inline constexpr int kWindowLeft = 50;
inline constexpr int kWindowTop = 50;
inline constexpr int kWindowWidth = 666;
inline constexpr int kWindowHeight = 492;

// The keyword box's font.
inline constexpr char kKeywordFontName[] = "微软雅黑";
inline constexpr int kKeywordFontHeight = -14;
inline constexpr int kKeywordFontWeight = 400;

enum class ControlKind { GroupBox, Label, Edit, MultiLineEdit, Radio, Check, Button };

// Control identifiers; the parent of a control is named by its identifier,
// 0 being the window itself.
enum ControlId : int {
  kNoParent = 0,
  k分组框3 = 1001,
  k透明标签1,
  k编辑框_热点关键词,
  k分组框2,
  k分组框4,
  k单选框_关键词,
  k单选框_原标题,
  k单选框_关键词加标题,
  k分组框5,
  k单选框_UTF8,
  k单选框_GBK,
  k选择框_过滤重复,
  k选择框_保留图片,
  k分组框7,
  k单选框_元图片,
  k单选框_图片本地化,
  k分组框6,
  k透明标签3,
  k编辑框_线程1,
  k按钮_开始,
  k按钮_暂停,
  k按钮_继续,
  k按钮_停止,
  k分组框1,
  k编辑框1,
  k按钮_打开文件夹,
};

struct ControlSpec {
  int id;
  const char* name;
  ControlKind kind;
  int parent;  // identifier of the parent, kNoParent for the window
  int left, top, width, height;  // relative to the parent
  const char* caption;
};

// In creation order: every parent comes before its children.
const std::vector<ControlSpec>& MainWindowControls();

// The identifier of a control the worker names; 0 when it has none.
int ControlIdOf(core::Control control);

// The radio group of a radio's identifier (its parent group box), 0 for others.
int RadioGroupOf(int id);

}  // namespace app
