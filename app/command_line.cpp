#include "app/command_line.h"

#include <initializer_list>

#include "sources/profile.h"
#include "sources/settings.h"

namespace app {
namespace {

using core::Control;

// The largest minimum length we accept; more than any article has.
constexpr int kMaxMinLength = 100000000;

struct Choice {
  const char* value;
  Control control;
};

bool Choose(const Text& value, std::initializer_list<Choice> choices, std::optional<Control>& slot) {
  for (const Choice& c : choices) {
    if (value == c.value) {
      slot = c.control;
      return true;
    }
  }
  return false;
}

bool ParseCount(const Text& value, int& number) {
  if (value.empty() || value.size() > 9) return false;
  for (char c : value) {
    if (c < '0' || c > '9') return false;
  }
  number = core::TextToInt(value);
  return number <= kMaxMinLength;
}

// The radios of one group, so selecting one clears the others.
const Control kTitleGroup[] = {Control::单选框_关键词, Control::单选框_原标题,
                               Control::单选框_关键词加标题};
const Control kEncodingGroup[] = {Control::单选框_UTF8, Control::单选框_GBK};
const Control kImagesGroup[] = {Control::单选框_元图片, Control::单选框_图片本地化};

template <size_t N>
void Select(core::WindowOps& window, const Control (&group)[N], Control chosen) {
  for (Control c : group) window.SetChecked(c, c == chosen);
}

}  // namespace

bool ParseCommandLine(const core::TextArray& arguments, CommandLine& options, Text& error) {
  options = CommandLine();
  for (const Text& argument : arguments) {
    const size_t equals = argument.find('=');
    const Text name = argument.substr(0, equals);
    const bool hasValue = equals != Text::npos;
    const Text value = hasValue ? argument.substr(equals + 1) : Text();
    bool ok = false;
    if (name == "--auto" || name == "--dedupe" || name == "--keep-images") {
      ok = !hasValue;
      if (name == "--auto") options.autoRun = true;
      if (name == "--dedupe") options.dedupe = true;
      if (name == "--keep-images") options.keepImages = true;
    } else if (name == "--images") {
      ok = Choose(value, {{"original", Control::单选框_元图片}, {"local", Control::单选框_图片本地化}},
                  options.images);
    } else if (name == "--title") {
      ok = Choose(value,
                  {{"keyword", Control::单选框_关键词},
                   {"original", Control::单选框_原标题},
                   {"keyword-title", Control::单选框_关键词加标题}},
                  options.title);
    } else if (name == "--encoding") {
      ok = Choose(value, {{"gbk", Control::单选框_GBK}, {"utf8", Control::单选框_UTF8}},
                  options.encoding);
    } else if (name == "--min-length") {
      int number = 0;
      ok = ParseCount(value, number);
      if (ok) options.minLength = number;
    } else if (name == "--profile") {
      ok = sources::BuiltInProfile(value) != nullptr;
      if (ok) options.profile = value;
    } else if (name == "--proxy") {
      options.proxy = sources::ProxyValue(value);
      ok = !options.proxy.empty();
    } else {
      error = "未知的参数：" + argument;
      return false;
    }
    if (!ok) {
      error = "参数的值无效：" + argument;
      return false;
    }
  }
  return true;
}

void ApplyCommandLine(const CommandLine& options, core::WindowOps& window) {
  if (options.dedupe) window.SetChecked(Control::选择框_过滤重复, true);
  if (options.keepImages) window.SetChecked(Control::选择框_保留图片, true);
  if (options.images) Select(window, kImagesGroup, *options.images);
  if (options.title) Select(window, kTitleGroup, *options.title);
  if (options.encoding) Select(window, kEncodingGroup, *options.encoding);
  if (options.minLength) window.ReplaceText(Control::编辑框_线程1, core::IntToText(*options.minLength));
}

Text CommandLineUsage() {
  return "用法：hotarticles.exe [--auto] [--dedupe] [--keep-images] [--images=original|local]\r\n"
         "    [--title=keyword|original|keyword-title] [--encoding=gbk|utf8] [--min-length=N]\r\n"
         "    [--profile=" + sources::ProfileNames() + "] [--proxy=主机:端口]";
}

}  // namespace app
