#include "app/window_layout.h"

namespace app {

const std::vector<ControlSpec>& MainWindowControls() {
  using K = ControlKind;
  static const std::vector<ControlSpec> controls = {
      {k分组框3, "分组框3", K::GroupBox, kNoParent, 8, 0, 272, 336, ""},
      {k透明标签1, "透明标签1", K::Label, k分组框3, 8, 8, 64, 32, "热点关键词"},
      {k编辑框_热点关键词, "编辑框_热点关键词", K::MultiLineEdit, k分组框3, 8, 40, 256, 272, ""},
      {k分组框2, "分组框2", K::GroupBox, kNoParent, 280, 0, 376, 336, ""},
      {k分组框4, "分组框4", K::GroupBox, k分组框2, 8, 16, 360, 64, "标题 "},
      {k单选框_关键词, "单选框_关键词", K::Radio, k分组框4, 24, 24, 80, 24, "关键词"},
      {k单选框_原标题, "单选框_原标题", K::Radio, k分组框4, 136, 24, 80, 24, "原标题"},
      {k单选框_关键词加标题, "单选框_关键词加标题", K::Radio, k分组框4, 248, 24, 104, 24,
       "关键词加标题"},
      {k分组框5, "分组框5", K::GroupBox, k分组框2, 8, 80, 360, 64, "编码  "},
      {k单选框_UTF8, "单选框_UTF8", K::Radio, k分组框5, 24, 24, 80, 24, "UTF-8"},
      {k单选框_GBK, "单选框_GBK", K::Radio, k分组框5, 136, 24, 80, 24, "GBK"},
      {k选择框_过滤重复, "选择框_过滤重复", K::Check, k分组框2, 256, 104, 80, 24, "网址去重"},
      {k选择框_保留图片, "选择框_保留图片", K::Check, k分组框2, 32, 152, 80, 24, "保留图片"},
      {k分组框7, "分组框7", K::GroupBox, k分组框2, 8, 176, 360, 40, ""},
      {k单选框_元图片, "单选框_元图片", K::Radio, k分组框7, 24, 8, 80, 24, "原图片"},
      {k单选框_图片本地化, "单选框_图片本地化", K::Radio, k分组框7, 136, 8, 80, 24, "图片本地化"},
      {k分组框6, "分组框6", K::GroupBox, k分组框2, 8, 216, 360, 64, ""},
      // Wide enough for the label on one line, level with its box.
      {k透明标签3, "透明标签3", K::Label, k分组框6, 24, 28, 88, 20, "字数不低于："},
      {k编辑框_线程1, "编辑框_线程1", K::Edit, k分组框6, 120, 24, 72, 24, "50"},
      // Five buttons in a row; the last one's caption is the longest.
      {k按钮_开始, "按钮_开始", K::Button, k分组框2, 8, 288, 64, 32, "开始"},
      {k按钮_暂停, "按钮_暂停", K::Button, k分组框2, 76, 288, 64, 32, "暂停"},
      {k按钮_继续, "按钮_继续", K::Button, k分组框2, 144, 288, 64, 32, "继续"},
      {k按钮_停止, "按钮_停止", K::Button, k分组框2, 212, 288, 64, 32, "停止"},
      {k按钮_打开文件夹, "按钮_打开文件夹", K::Button, k分组框2, 280, 288, 88, 32, "打开文件夹"},
      {k分组框1, "分组框1", K::GroupBox, kNoParent, 8, 336, 648, 128, "采集日志"},
      {k编辑框1, "编辑框1", K::MultiLineEdit, k分组框1, 8, 16, 632, 112, "【采集日志】\r\n"},
  };
  return controls;
}

int ControlIdOf(core::Control control) {
  using C = core::Control;
  switch (control) {
    case C::编辑框_热点关键词: return k编辑框_热点关键词;
    case C::单选框_关键词: return k单选框_关键词;
    case C::单选框_原标题: return k单选框_原标题;
    case C::单选框_关键词加标题: return k单选框_关键词加标题;
    case C::单选框_UTF8: return k单选框_UTF8;
    case C::单选框_GBK: return k单选框_GBK;
    case C::选择框_过滤重复: return k选择框_过滤重复;
    case C::选择框_保留图片: return k选择框_保留图片;
    case C::单选框_元图片: return k单选框_元图片;
    case C::单选框_图片本地化: return k单选框_图片本地化;
    case C::编辑框_线程1: return k编辑框_线程1;
    case C::编辑框1: return k编辑框1;
  }
  return 0;
}

int RadioGroupOf(int id) {
  for (const ControlSpec& c : MainWindowControls()) {
    if (c.id == id) return c.kind == ControlKind::Radio ? c.parent : 0;
  }
  return 0;
}

}  // namespace app
