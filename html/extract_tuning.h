// The extractor's tuning in one place: every threshold and every list of
// tell-tale names the phases read, each with the reason it has its value.
// Lengths are in units: an ASCII non-blank counts once, a double-byte
// character kWideCharUnits times.
#pragma once

#include <string_view>

namespace html::extraction {

// ---- Measuring text -------------------------------------------------------

// A Chinese character carries about as much as two letters of an English
// word, so lengths count it twice.
constexpr int kWideCharUnits = 2;

// ---- Scoring candidates ---------------------------------------------------

// Shorter texts are captions, buttons and labels: they score nothing.
constexpr int kMinParagraphUnits = 25;
// A paragraph earns one point per this much text, up to kMaxLengthPoints, so
// one long block cannot outweigh several ordinary paragraphs.
constexpr int kUnitsPerPoint = 100;
constexpr int kMaxLengthPoints = 3;
// How far up a paragraph's score spreads: the article's container is rarely
// more than a few wrappers above its paragraphs.
constexpr int kAncestorLevels = 5;
// What a tell-tale class or id name adds or takes away.
constexpr double kClassWeight = 25;
// The winner's best few candidates are compared to find an article split
// over several blocks of one parent.
constexpr int kTopCandidates = 5;
// Candidates within this share of the top score count as its equals...
constexpr double kAlternativeShare = 0.75;
// ...and when this many share an ancestor, the ancestor holds the article.
constexpr int kAlternativesNeeded = 3;
// The winner climbs to a parent scoring better, but not past one scoring
// below this share of it (a page-wide wrapper).
constexpr double kClimbShare = 1.0 / 3;

// ---- Widening by siblings -------------------------------------------------

// A sibling joins the winner at this share of its score, and at least this
// score, so a near-empty winner does not pull in everything beside it.
constexpr double kSiblingShare = 0.2;
constexpr double kSiblingMinScore = 10;
// A sibling with the winner's class name is likely another part of it.
constexpr double kSameClassBonusShare = 0.2;
// A paragraph beside the winner joins when long and mostly unlinked...
constexpr int kSiblingLongUnits = 80;
constexpr double kSiblingLongLinkDensity = 0.25;
// ...and a list of short linked items (replies, teasers) never does: its
// paragraphs are below this share of the winner's mean and links above this.
constexpr double kSiblingParagraphShare = 0.5;
constexpr double kSiblingItemLinkDensity = 0.1;

// ---- Retrying with fewer rules --------------------------------------------

// A result shorter than this is retried with fewer rules.
constexpr int kMinArticleUnits = 500;
// Below this the earlier try found next to nothing and any later one may
// replace it.
constexpr int kNextToNothingUnits = 4 * kMinParagraphUnits;

// ---- Guards against choosing the wrong block -----------------------------

// A text with at least kMinCues cues, and no more than kUnitsPerCue units of
// text per cue, is a consent or sign-up request or a footer's rights,
// addresses and phone numbers. One cue in a long paragraph is an article
// that mentions privacy.
constexpr int kMinCues = 2;
constexpr int kUnitsPerCue = 90;
// Texts shorter than this are not searched for cues: a word or two.
constexpr int kMinCueTextUnits = 4;
// How many chosen notices a try sets aside before it gives up: a page has
// a consent bar and a footer, rarely more that outweigh its article.
constexpr int kMaxNoticesPassed = 2;
// How many wrappers of a lone paragraph the strongest run looks through.
constexpr int kWrapperLevels = 3;
// A notice is short: a run of prose this long in the words of a consent
// request or a footer is the page's own subject (a report on consent law, a
// privacy policy), never a bar over it, and the fallback may take it.
constexpr int kLongestNoticeUnits = 2000;
// A choice shorter than this share of the page's strongest run of prose
// (the most prose under one parent) missed the article: the run wins.
constexpr double kFarShorterShare = 0.25;

// A heading that opens readers' discussion ends the article: what follows it
// in the chosen part goes, when a few paragraphs of prose came before it;
// one that comes sooner is one of the article's own subheadings
// ("Discussion" after a research piece's introduction).
constexpr int kProseBeforeDiscussion = 10 * kMinParagraphUnits;
// Such a heading is short; longer blocks are never compared with the phrases.
constexpr int kMaxDiscussionHeadingUnits = 40;

// ---- Tidying the chosen part ----------------------------------------------

// Blocks with at least this many commas are prose and always stay.
constexpr int kFewCommas = 10;
// A table of data is kept whole: its short cells are the data, not clutter.
constexpr int kDataTableRows = 3;
constexpr double kDataTableLinkDensity = 0.1;
// A heading that is mostly a link is a teaser for another page.
constexpr double kHeadingMaxLinkDensity = 0.33;
// More list items than paragraphs, and some links: a list of links.
constexpr double kItemListLinkDensity = 0.1;
// One form field per this many paragraphs or more: a form, not prose.
constexpr int kParagraphsPerInput = 3;
// A short block stays when it is mostly a heading (a subheading's wrapper).
constexpr double kHeadingShare = 0.9;
// A block whose links pass this share is navigation; prose with several
// sentences is allowed more, and a block named like an article more still.
constexpr double kMaxLinkDensity = 0.2;
constexpr double kSentencesLinkAllowance = 0.15;
constexpr int kSentencesForAllowance = 3;
constexpr double kNamedMaxLinkDensity = 0.5;
// One embedded player with less text than this is a player, not an article.
constexpr int kEmbedCaptionUnits = 75;

// ---- The title ------------------------------------------------------------

// Titles longer than this are not titles; reading stops there.
constexpr size_t kMaxTitleBytes = 400;
// A headline stands for the title when it covers more than this share of it.
constexpr double kMinTitleAgreement = 0.5;
// Headlines shorter are labels ("News"), longer ones are paragraphs.
constexpr int kMinHeadlineUnits = 4;
constexpr int kMaxHeadlineUnits = 200;

// What joins a headline and a site name in a page's title when a headline
// or og:title confirms where the headline ends; a bare '-' counts there.
// (Not a colon: "Blog name: post title" and "Headline: subtitle" are both common.)
constexpr std::string_view kTitleSeparators = "-_|>/\\~";
constexpr std::string_view kWideTitleSeparators[] = {
    "\xA1\xAA",  // — em dash
    "\xA8\x43",  // – en dash
    "\xA8\x44",  // ― horizontal bar
    "\xA1\xA4",  // · middle dot
    "\xA3\xFC",  // ｜ full-width bar
};

// ---- Tell-tale names ------------------------------------------------------
// Words in class and id names (parts of words match too), in English and in
// the pinyin that Chinese sites also name their blocks in.

// Blocks so named are dropped before scoring, unless a kMaybeNames word
// says they may hold the article after all.
constexpr std::string_view kUnlikelyNames[] = {
    "-ad-", "banner", "breadcrumb", "combx", "comment", "community", "disqus", "extra", "foot",
    "header", "legends", "menu", "related", "remark", "replies", "reply", "rss", "shoutbox",
    "sidebar", "skyscraper", "social", "sponsor", "supplemental", "ad-break", "agegate",
    "pagination", "pager", "popup", "share", "recommend", "copyright", "login", "nav", "toolbar",
    "hot-list", "hotnews", "ranking", "tags", "byline-social", "tuijian", "xiangguan", "pinglun",
    "fenxiang", "daohang", "guanggao", "remen", "paihang"};
constexpr std::string_view kMaybeNames[] = {"and", "article", "body", "column", "content", "main",
                                            "shadow", "text", "detail", "post", "entry", "zhengwen",
                                            "neirong", "wenzhang"};
// Names that add kClassWeight to a candidate...
constexpr std::string_view kPositiveNames[] = {
    "article", "body", "content", "entry", "hentry", "h-entry", "main", "page", "pagination",
    "post", "text", "blog", "story", "detail", "zhengwen", "neirong", "wenzhang", "cont"};
// ...and names that take it away.
constexpr std::string_view kNegativeNames[] = {
    "-ad-", "hidden", "banner", "combx", "comment", "com-", "contact", "foot", "footer",
    "footnote", "gdpr", "masthead", "media", "meta", "outbrain", "promo", "related", "scroll",
    "share", "shoutbox", "sidebar", "skyscraper", "sponsor", "shopping", "tags", "tool", "widget",
    "recommend", "copyright", "nav", "menu", "rank", "login", "reply", "tuijian", "xiangguan",
    "pinglun", "fenxiang", "daohang", "guanggao", "remen", "paihang", "banquan", "side"};
// Blocks so named hold readers' discussion, never the article's prose: the
// strongest run of prose is never looked for inside them.
constexpr std::string_view kDiscussionNames[] = {"comment", "reply", "replies", "disqus", "respond",
                                                 "discuss", "pinglun", "remark", "forum"};
// Class and id words of the element that holds a page's headline.
constexpr std::string_view kTitleNames[] = {"title", "headline", "heading", "biaoti"};

// The whole text of a heading that opens readers' discussion, lower-case with
// digits, blanks and punctuation left out ("3 Comments:" reads "comments").
constexpr std::string_view kDiscussionHeadings[] = {
    "comments", "comment", "postacomment", "leaveacomment", "leaveareply", "addacomment",
    "addyourcomment", "readercomments", "showcomments", "viewcomments", "discussion", "responses",
    "jointhediscussion", "conversation",
    "\xC6\xC0\xC2\xDB",                  // 评论
    "\xCD\xF8\xD3\xD1\xC6\xC0\xC2\xDB",  // 网友评论
    "\xB7\xA2\xB1\xED\xC6\xC0\xC2\xDB",  // 发表评论
    "\xBE\xAB\xB2\xCA\xC6\xC0\xC2\xDB",  // 精彩评论
    "\xC8\xC8\xC3\xC5\xC6\xC0\xC2\xDB",  // 热门评论
    "\xD7\xEE\xD0\xC2\xC6\xC0\xC2\xDB",  // 最新评论
    "\xB6\xC1\xD5\xDF\xC6\xC0\xC2\xDB",  // 读者评论
    "\xCE\xD2\xD2\xAA\xC6\xC0\xC2\xDB",  // 我要评论
};

// ---- Tell-tale phrases --------------------------------------------------
// Lower-case ASCII, or GBK bytes (the Chinese word in the comment beside).

// A request to the reader rather than an article: consent, sign-up, log-in.
constexpr std::string_view kRequestCues[] = {
    "cookie", "consent", "accept", "subscri", "newsletter", "sign up", "sign in", "log in",
    "logged in", "password", "email address", "your account", "personal data", "personal information",
    "third part", "opt out", "opt-out", "your preferences", "your browser", "we use",
    "\xB6\xA9\xD4\xC4",  // 订阅
    "\xB5\xC7\xC2\xBC",  // 登录
    "\xD2\xFE\xCB\xBD\xD5\xFE\xB2\xDF",  // 隐私政策
};
// A site's footer: rights, terms, addresses, telephone and registration
// numbers. Labels count with their colon: an article about phone fraud says
// "phone" often, a footer says "phone:".
constexpr std::string_view kLegalCues[] = {
    "copyright", "rights reserved", "terms of use", "terms of service", "terms and conditions",
    "user agreement", "privacy policy", "tel:", "fax:", "phone:", "e-mail:", "address:",
    "\xB0\xE6\xC8\xA8\xCB\xF9\xD3\xD0",  // 版权所有
    "icp",
    "\xB1\xB8\xB0\xB8\xBA\xC5",  // 备案号
    "\xB5\xE7\xBB\xB0\xA3\xBA", "\xB5\xE7\xBB\xB0:",  // 电话：
    "\xB4\xAB\xD5\xE6\xA3\xBA", "\xB4\xAB\xD5\xE6:",  // 传真：
    "\xB5\xD8\xD6\xB7\xA3\xBA", "\xB5\xD8\xD6\xB7:",  // 地址：
    "\xD3\xCA\xB1\xE0\xA3\xBA", "\xD3\xCA\xB1\xE0:",  // 邮编：
    "\xD3\xCA\xCF\xE4\xA3\xBA", "\xD3\xCA\xCF\xE4:",  // 邮箱：
    "\xC8\xC8\xCF\xDF\xA3\xBA", "\xC8\xC8\xCF\xDF:",  // 热线：
    "\xC3\xE2\xD4\xF0\xC9\xF9\xC3\xF7",  // 免责声明
    // A publishing platform's statement under each article: the views are
    // the author's, the platform only stores the information.
    "\xBD\xF6\xB4\xFA\xB1\xED\xD7\xF7\xD5\xDF",  // 仅代表作者
    "\xD0\xC5\xCF\xA2\xB4\xE6\xB4\xA2",  // 信息存储
    "\xCC\xD8\xB1\xF0\xC9\xF9\xC3\xF7",  // 特别声明
};

}  // namespace html::extraction
