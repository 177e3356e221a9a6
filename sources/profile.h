// The source profile: every site-specific value a collection pass uses, as
// data. The harvest, the search, the article cutting and the cleaning read
// only this, so following a site's change means changing a value here (or in
// settings.ini), never the code.
//
// Two profiles are built in: `classic`, the program's original sources, and
// `current`, the sites as they are served today.
#pragma once

#include <vector>

#include "core/text.h"

namespace sources {

using core::Text;
using core::TextArray;

// How a captured keyword (or link) is unescaped.
enum class Unescape { kNone, kHtml, kJson };

// What the cleaning does with a run of blanks inside a line: remove it, or
// keep one space where both neighbours are ASCII ("iPhone 15 Pro").
enum class BlankRule { kRemove, kCollapse };

// The cleaning of an article's text.
struct CleaningRules {
  BlankRule blanks = BlankRule::kRemove;
  // Character references decoded ("R&amp;B" gives "R&B"), not deleted.
  bool decodeEntities = false;
  // Pictures as today's sites serve them: the address read from the tag's
  // lazy-loading attributes when src is a placeholder, decrypted with the
  // site's key when encrypted; a local copy named after a wrapped address's
  // inner one and given an extension from its Content-Type when it has none.
  bool servedPictures = false;
};

// How a result link that points at the engine's own redirect is unwrapped.
// kBase64Target: the target is the base64url text after "u=a1" up to the
// next "&".
enum class LinkUnwrap { kNone, kBase64Target };

// How the keyword is put into the search address: percent-encoded UTF-8 or
// percent-encoded GBK.
enum class KeywordEncoding { kUtf8, kGbk };

// A regular expression with its options, as the program's engine runs it.
struct Pattern {
  Text text;
  bool ignoreCase = true;
  bool multiline = true;
  int submatch = 1;  // the group that holds the wanted text
};

// The text between `left` and the next `right` after it; an empty `right`
// takes the rest of the text.
struct Cut {
  Text left;
  Text right;
};

// One address of a hot list, with its own way of reading the answer.
struct HotPage {
  Text address;
  Text headers;  // extra request header lines, CRLF-separated
  // The charset of a page that declares none in a meta tag ("" takes its
  // bytes as GBK); JSON answers declare nothing.
  Text charset;
  // The part of the answer the keywords are read from: from the first
  // `within.left` up to the next `within.right` after it (an empty or absent
  // right: the rest). An empty left: the whole answer.
  Cut within;
  Pattern keyword;
  Unescape unescape = Unescape::kNone;
  Pattern exclude;  // a match in whose text this finds something is left out
  int skip = 0;     // the first this many keywords are left out (a header row)
  bool visitor = false;  // sent with the visitor cookie (see VisitorService)
};

// A hot list: its addresses, tried in turn until one yields keywords.
struct HotList {
  Text name;   // its settings section and its [hosts] key
  Text label;  // its name in the log
  std::vector<HotPage> addresses;
};

// A service that hands out an anonymous visitor cookie, for hot pages that
// answer a request without it with a "visitor system" page.
struct VisitorService {
  Text address;
  Text body;     // POSTed as it stands
  Text headers;
  Text wallMarker;                 // a page holding this is the visitor page
  std::vector<int> wallStatuses;   // so is a page with one of these statuses
};

// Something inside a result block: the first element that `selector` finds
// in the block, and its `attribute` (its text when `attribute` is empty).
// A selector is a chain of steps, each inside the one before: "h2 a",
// "div.b_caption p", "[data-url]". A step is a tag name, ".class" (one
// token of the class attribute), "[attribute]" (present), or a tag with
// either. "a, b" tries a, then b.
struct Picker {
  Text selector;
  Text attribute;
};

// What tells an engine's verification page from its result page. Any one
// sign is enough: a status in `statuses` (and, when `redirect` is set, a
// Location holding it), or a marker in the page when the page lacks
// `resultsMarker` (or `resultsMarker` is empty).
struct VerificationSigns {
  std::vector<int> statuses;
  Text redirect;
  TextArray markers;
  Text resultsMarker;
};

// One search engine: how it is asked, how its result page is read, and how
// it says it wants a person.
struct Engine {
  Text name;   // its settings section and its [hosts] key
  Text label;  // its name in the log
  // "{site}" and "{keyword}" stand for the news site and the encoded keyword;
  // without "{keyword}" the keyword goes at the end.
  Text address;
  KeywordEncoding encoding = KeywordEncoding::kUtf8;
  Text headers;
  Text charset;  // as for a hot page
  // Results read from the page's tree: every element that `block` finds is a
  // result, with its link, title and snippet found inside it.
  Text block;
  Picker link;
  Picker title;
  Picker snippet;
  // Without `block`: the first result's link only, cut from the page's text
  // (the cuts in turn, each within the last one's text; or, when its text is
  // not empty, the pattern's first match).
  std::vector<Cut> firstResult;
  Pattern resultPattern;
  Unescape linkUnescape = Unescape::kNone;
  LinkUnwrap unwrap = LinkUnwrap::kNone;
  VerificationSigns verification;
};

// A news site searched for articles: its host, and the path an article has
// there (a pattern over the path, "" for any path). Its per-site data is read
// from the settings section [site.<host>].
struct NewsSite {
  Text host;
  Text articlePath;
  // The 16-byte AES key the site's pages encrypt picture addresses under
  // ("" when they do not).
  Text imageKey;
  // Other hosts that serve the same articles (new.qq.com beside news.qq.com).
  TextArray otherHosts;
};

struct SearchRules {
  std::vector<Engine> engines;  // every engine the profile knows
  TextArray order;              // the names of those asked, in turn
  std::vector<NewsSite> sites;  // each keyword is tried site by site
  // At most one search per engine in this many seconds (0: no wait).
  int intervalSeconds = 0;
  // The share (in percent) of the keyword a result's title and snippet must
  // hold to count (0: every result counts); see collector/relevance.h.
  int relevancePercent = 0;
};

struct Layout {
  Text detect;              // present in the page; also the body's left marker
  std::vector<Cut> titles;  // tried in turn until one gives a title
  // When set, the title loses the `titleRemove` pattern's matches, then its
  // tags, and its blanks are trimmed.
  bool titleStripTags = false;
  Text titleRemove;
  Text bodyEnd;
};

struct ArticleRules {
  Text headers;  // request header lines for the article page
  std::vector<Layout> layouts;  // tried in order
  TextArray removed;            // texts removed from the body
  Text removePattern;           // its matches are removed from the body too (hidden or noise parts)
  bool percentDecode = true;    // the whole page percent-decoded, not only made GBK
  // Pages of no known layout go to the general extractor.
  bool fallback = false;
};

// Which built-in profile a profile started from: the program's original
// sources keep their old behaviour in every detail.
enum class ProfileKind { kClassic, kCurrent };

struct Profile {
  Text name;
  ProfileKind kind = ProfileKind::kClassic;
  // A keyword that yields no article gets a log line saying why.
  bool explainMisses = false;
  // An article saved for one keyword of a pass is not saved again for
  // another keyword that leads to it.
  bool oneFilePerArticle = false;
  Text dateAddress;  // HEAD, for the server's date
  std::vector<HotList> hotLists;  // every hot list the profile knows
  TextArray hotOrder;             // the names of those read, in turn
  // The hot lists count an answer of status 400 or more as failed and log
  // each address that failed by its list; the pass ends with each source's
  // health, and a keyword two lists share is searched once.
  bool sourceHealth = false;
  VisitorService visitor;
  SearchRules search;
  ArticleRules article;
  CleaningRules cleaning;
  // The HTTP proxy ("host:port") every request of a pass goes through,
  // https by CONNECT; empty: direct.
  Text proxy;
  // Servers' certificates are checked (chain to a trusted root, name,
  // dates); false: every certificate error is ignored.
  bool checkCertificates = false;
};

// The built-in profiles.
const Profile& Classic();
const Profile& Current();

// The built-in profile of that name; null for an unknown name.
const Profile* BuiltInProfile(const Text& name);

// `text` unescaped as `mode` says.
Text Unescaped(const Text& text, Unescape mode);

// The hot list of that name among the profile's lists; null when unknown.
const HotList* FindHotList(const Profile& profile, const Text& name);
HotList* FindHotList(Profile& profile, const Text& name);

// The engine of that name among the rules' engines; null when unknown.
const Engine* FindEngine(const SearchRules& rules, const Text& name);
Engine* FindEngine(SearchRules& rules, const Text& name);

// The site among the rules' sites that `host` (any port, any case) is the
// host or one of the other hosts of; null when none.
const NewsSite* SiteOfHost(const SearchRules& rules, const Text& host);

// "classic|current", for messages.
Text ProfileNames();

// `url` with its host[:port] replaced by `host`: scheme, path and query stay.
Text ReplaceHost(const Text& url, const Text& host);

// The browser User-Agent line the `current` requests send.
extern const char kBrowserAgentLine[];

}  // namespace sources
