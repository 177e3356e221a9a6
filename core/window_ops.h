// The window as the worker sees it: the main window's controls by name and
// the synchronous operations on them. The app implements it over the real
// window (serviced by the window thread); tests implement it with a fake, so
// the pass, the keyword harvest and the article collection never see a handle.
#pragma once

#include "core/text.h"

namespace core {

// The controls that the pass reads or writes, named as on the form.
enum class Control {
  编辑框_热点关键词,   // the hot keyword list, one keyword per line
  单选框_关键词,       // title mode: keyword
  单选框_原标题,       // title mode: the page's title
  单选框_关键词加标题, // title mode: keyword and title
  单选框_UTF8,         // file encoding UTF-8
  单选框_GBK,          // file encoding GBK
  选择框_过滤重复,     // skip keywords of the history file
  选择框_保留图片,     // keep images
  单选框_元图片,       // pictures stay at their original address
  单选框_图片本地化,   // pictures are downloaded beside the articles
  编辑框_线程1,        // minimum article length
  编辑框1,             // the collection log
};

class WindowOps {
 public:
  virtual ~WindowOps() = default;
  // The content of an edit box.
  virtual Text ReadText(Control control) = 0;
  // Replaces the content of an edit box.
  virtual void ReplaceText(Control control, const Text& text) = 0;
  // Appends to an edit box with the caret at the end, scrolled into view.
  virtual void AppendText(Control control, const Text& text) = 0;
  virtual bool IsChecked(Control control) = 0;
  virtual void SetChecked(Control control, bool checked) = 0;
  virtual void SetDisabled(Control control, bool disabled) = 0;
  // The pass is at keyword `keyword` of `keywords` with `saved` articles
  // saved so far; `keywords` 0: no keyword in hand (the pass ended).
  virtual void ShowProgress(int keyword, int keywords, int saved) = 0;
};

}  // namespace core
