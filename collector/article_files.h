// Naming, checking and writing one article file, and its log line.
#pragma once

#include "core/text.h"

namespace collector {

using core::Text;

// How the file title is made from the keyword and the page's title.
enum class TitleMode { kKeyword, kKeywordAndTitle, kTitle };

// Longest path the file functions accept, in UTF-16 units, without the
// terminating zero.
inline constexpr int kMaxPathUnits = 259;

// The body is kept only when its byte length is greater than the minimum.
bool IsLongEnough(const Text& body, int minimumLength);

// "keyword", "keyword,title" or "title".
Text FileTitle(TitleMode mode, const Text& keyword, const Text& title);

// A file title that Windows accepts and that stays inside `outputFolder`:
// \ / : * ? " < > | become their full-width forms, control bytes are
// dropped, trailing dots and blanks are cut, a reserved device name gets a
// "_" prefix, and the title is shortened at a character boundary until
// `outputFolder` + "\" + title + ".txt" fits in kMaxPathUnits.
Text SafeFileTitle(const Text& title, const Text& outputFolder);

// `outputFolder` + "\" + fileTitle + ".txt".
Text ArticleFilePath(const Text& outputFolder, const Text& fileTitle);

// The log line for an article: saved, or its write failed.
Text SavedLogLine(const Text& fileTitle);
Text SaveFailedLogLine(const Text& fileTitle);

}  // namespace collector
