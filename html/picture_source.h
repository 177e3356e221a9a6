// Where an <img> tag keeps the address of its picture: in src, or, while a
// lazy-loading script has yet to run, in one of the attributes such scripts
// read. The extractor and the collector's picture keeping both ask here.
#pragma once

#include <functional>
#include <string_view>

namespace html {

// The attributes lazy-loading scripts keep the real source in, the most
// common first.
inline constexpr std::string_view kLazySourceAttributes[] = {
    "data-src", "data-original", "data-lazy-src", "data-actualsrc", "data-url", "original", "file"};

// Words in a source address that mark it as a stand-in shown until a script
// loads the real picture.
inline constexpr std::string_view kPlaceholderNames[] = {
    "blank", "placeholder", "loading", "lazy", "spacer", "grey.gif", "pixel", "transparent"};

// True when `src` shows no picture of its own: empty, a data: URI, or an
// address holding a placeholder word (in any letter case).
bool IsPlaceholderSource(std::string_view src);

// The picture address of one tag, read through `attribute` (the value of the
// attribute of that lower-case name, "" when absent): src unless it is a
// placeholder, else the first lazy attribute that is neither empty nor a
// data: URI, else src when it names a file (a placeholder file is still the
// tag's picture), else "".
std::string_view PictureSource(const std::function<std::string_view(std::string_view name)>& attribute);

}  // namespace html
