#include "html/extract_measure.h"

#include "core/text.h"
#include "html/extract_tuning.h"
#include "html/tree.h"

namespace html::extraction {

TextMeasure Measure(std::string_view text) {
  TextMeasure m;
  for (size_t i = 0; i < text.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    if (const size_t length = core::CharLengthAt(text, i); length > 1) {
      const unsigned char d = static_cast<unsigned char>(text[i + 1]);
      i += length - 1;
      if (c == 0xA1 && d == 0xA1) continue;  // the full-width blank
      m.units += kWideCharUnits;
      if ((c == 0xA3 && d == 0xAC) || (c == 0xA1 && d == 0xA2)) ++m.commas;  // ， 、
      if ((c == 0xA1 && d == 0xA3) || (c == 0xA3 && (d == 0xA1 || d == 0xBF || d == 0xBB))) ++m.stops;  // 。！？；
    } else if (!IsAsciiBlank(char(c))) {
      ++m.units;
      if (c == ',') ++m.commas;
      if (c == '.' || c == '!' || c == '?' || c == ';') ++m.stops;
    }
  }
  return m;
}

namespace {

template <size_t N>
int CountPhrases(std::string_view lower, const std::string_view (&phrases)[N]) {
  int count = 0;
  for (const std::string_view phrase : phrases) {
    for (size_t at = lower.find(phrase); at != std::string_view::npos; at = lower.find(phrase, at + phrase.size())) {
      ++count;
    }
  }
  return count;
}

}  // namespace

TextMeasure MeasureWithCues(std::string_view text, std::string& scratch) {
  TextMeasure m = Measure(text);
  if (m.units < kMinCueTextUnits) return m;
  scratch.assign(text);
  for (char& c : scratch) c = core::AsciiLower(c);
  m.requestCues = CountPhrases(scratch, kRequestCues);
  m.legalCues = CountPhrases(scratch, kLegalCues);
  return m;
}

bool CuesDominate(int cues, int units) { return cues >= kMinCues && units <= cues * kUnitsPerCue; }

std::string Lower(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = core::AsciiLower(c);
  return out;
}

bool IsBlock(std::uint32_t t) {
  switch (t) {
    case kTag_p: case kTag_div: case kTag_td: case kTag_th: case kTag_li: case kTag_pre:
    case kTag_blockquote: case kTag_h1: case kTag_h2: case kTag_h3: case kTag_h4: case kTag_h5:
    case kTag_h6: case kTag_section: case kTag_article: case kTag_dd: case kTag_dt: case kTag_table:
    case kTag_tbody: case kTag_thead: case kTag_tfoot: case kTag_tr: case kTag_ul: case kTag_ol:
    case kTag_dl: case kTag_form: case kTag_header: case kTag_footer: case kTag_main: case kTag_aside:
    case kTag_nav: case kTag_figure: case kTag_figcaption: case kTag_center: case kTag_address:
    case kTag_fieldset: case kTag_details: case kTag_summary: case kTag_hr: case kTag_caption:
    case kTag_menu: case kTag_dir:
      return true;
    default:
      return false;
  }
}

bool IsNeverContent(std::uint32_t t) {
  switch (t) {
    case kTag_script: case kTag_style: case kTag_noscript: case kTag_iframe: case kTag_title:
    case kTag_meta: case kTag_link: case kTag_select: case kTag_option: case kTag_button:
    case kTag_input: case kTag_textarea: case kTag_svg: case kTag_canvas: case kTag_template:
    case kTag_object: case kTag_embed: case kTag_nav: case kTag_map: case kTag_head:
    case kTag_frameset: case kTag_frame: case kTag_applet: case kTag_dialog:
      return true;
    default:
      return false;
  }
}

}  // namespace html::extraction
