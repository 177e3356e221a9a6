#!/usr/bin/env python3
"""The demo site: a small stand-in for the hot lists, the search engine, the
news site and its image hosts, served by tools/test_server.py on 127.0.0.1.

    demo_site.py answers HTTP_PORT HTTPS_PORT     the answers, JSON, for POST /__script
    demo_site.py settings HTTP_PORT HTTPS_PORT [current|classic]
                                                  settings.ini pointing at the server

It serves the sites of both source profiles at once.

classic, the sites as the program first knew them: the hot list is GBK over
http, the hot-search page UTF-8 over https, the search engine answers over
https. The articles cover the three page layouts (with style and script
blocks, entities and images), a result link that redirects from http to
https, an article too short to keep, a title holding characters Windows
forbids in file names, and a keyword without a result.

current, the sites as they are today, all over https: the hot list as the
board's JSON (a pinned item, a JSON escape in a keyword), the microblog's
visitor service and its summary page, which shows the visitor page to a
request without a visitor cookie and refuses the first cookie it issued (so
that the program has to renew it), a Bing-like result page with wrapped
links, articles in the news site's present markup, and one article page of
no known layout for the general extractor. The demo itself (demo_answers)
refuses every cookie on the summary page, so its pass reads the hot search
from the next address, the side list's JSON (an advertising row left out).

The page builders are also used by the end-to-end tests (tests/e2e).
"""

import base64
import html
import json
import struct
import subprocess
import sys
import urllib.parse
import zlib

NEWS_SITE = "news.demo"
# The demo's second news site, laid out as 163's pages: another name of the
# loopback host (by its address), so that its articles are on a host of their own.
WANGYI_SITE = "127.0.0.1"
WANGYI_PATH = "/dy/article/J22CN60P0514R9KQ.html"
WANGYI_KEYWORD = "滑雪场客流大增"
# Today's sites are searched on the host that serves their articles: a
# result on any other host is passed over. A name, not an address: the
# program checks today's sites' certificates, and a certificate names hosts
# (the loopback server's test CA signs one for "localhost").
CURRENT_SITE = "localhost"
# The server date of the demo: the pass folder is 2026年12月6日21时2分13秒
# (the program shows the server's time shifted by eight hours).
SERVER_DATE = "Sun, 06 Dec 2026 13:02:13 GMT"

HOT_LIST_TARGET = "/buzz?b=1&fr=20811"
HOT_SEARCH_TARGET = "/top/summary?Refer=top_hot&topnav=1&wvr=6"

BOARD_TARGET = "/api/board?platform=wise&tab=realtime"
VISITOR_TARGET = "/visitor/genvisitor2"
VISITOR_FORM = "cb=visitor_gray_callback&tid=&from=weibo"
SUMMARY_TARGET = "/top/summary?cate=realtimehot"
SIDE_TARGET = "/ajax/side/hotSearch"


# The key today's news site encrypts its picture addresses under.
SOHU_IMAGE_KEY = "www.sohu.com6666"


def encrypted_address(address, key=SOHU_IMAGE_KEY):
    """`address` as today's news site writes it into a picture's data-src:
    AES-128-ECB with PKCS#7 padding under `key`, in base64, made by the
    openssl command-line tool."""
    made = subprocess.run(["openssl", "enc", "-aes-128-ecb", "-K", key.encode().hex(), "-base64", "-A"],
                          input=address.encode(), stdout=subprocess.PIPE, check=True)
    return made.stdout.decode().strip()


# --- answers -----------------------------------------------------------------

def answer(data, content_type="text/html", status=200, headers=()):
    """A scripted answer sending `data` (bytes) as it stands."""
    return {"status": status, "body_b64": base64.b64encode(data).decode(),
            "headers": [["Content-Type", content_type]] + [list(h) for h in headers]}


def gbk_page(html):
    return answer(html.encode("gbk"), "text/html")


def utf8_page(html):
    return answer(html.encode("utf-8"), "text/html")


def redirect(location):
    return {"status": 302, "redirect": location}


# --- pages -------------------------------------------------------------------

def hot_list_page(keywords):
    """The hot list as the Baidu page writes it: GBK, one link per keyword."""
    rows = "".join(
        '<tr><td class="keyword"><a class="list-title" target="_blank" '
        'href="./s?wd=%d" href_top="./detail?b=1&c=513&w=%d">%s</a></td></tr>\n' % (i, i, k)
        for i, k in enumerate(keywords))
    return ('<html><head><meta http-equiv="content-type" content="text/html;charset=gb2312">'
            "<title>百度风云榜</title></head><body><table>\n%s</table></body></html>" % rows)


def hot_search_page(keywords):
    """The hot-search summary as the Weibo page writes it: UTF-8."""
    rows = "".join(
        '<tr><td class="td-02"><a href="/weibo?q=%%23%s%%23&Refer=top" target="_blank">%s</a>'
        "</td></tr>\n" % (urllib.parse.quote(k), k) for k in keywords)
    return ('<html><head><meta charset="utf-8"><title>微博热搜</title></head><body><table>\n'
            "%s</table></body></html>" % rows)


def search_target(keyword, news_site=NEWS_SITE):
    """The request target the program asks for a keyword."""
    return "/s?wd=site%3A" + news_site + "%20" + percent_encoded(keyword)


def result_page(link, blanks=True):
    """A result page whose first result points at `link`."""
    equals = " = " if blanks else "="
    return ('<html><head><meta charset="utf-8"></head><body><div id="content_left">'
            '<div class="result c-container " id="1" srcid="1599" tpl="se_com_default">'
            '<h3 class="t"><a data-click="{}" href%s"%s" target="_blank">第一条结果</a></h3></div>'
            '<div class="result c-container " id="2"><h3><a href = "http://other.demo/2" '
            'target="_blank">第二条</a></h3></div></div></body></html>' % (equals, link))


def no_result_page():
    return ('<html><head><meta charset="utf-8"></head><body><div class="nors">'
            "<p>抱歉没有找到相关的网页。</p></div></body></html>")


PAGE_FRAME = ('<!DOCTYPE html><html><head><meta charset="utf-8"><title>%s</title>'
              "<style>body{font-size:16px}</style></head><body>%s</body></html>")


def layout1(title, body):
    """Layout 1: the title in a script's "title: " field, the body in the editor's article."""
    script = ('<script>var article = {title: "%s", channel: "news"};</script>' % title)
    return PAGE_FRAME % (title + "_搜狐网", script +
                         '<div class="left main"><article class="article" id="mp-editor">' + body +
                         '<p data-role="original-title">原标题：%s</p>'
                         '<a href="/?spm=1">返回搜狐，查看更多</a>'
                         '<p data-role="editor-name">责任编辑：<span>小编</span></p></article></div>'
                         % title)


def layout2(title, body):
    """Layout 2: the title in single quotes, the body in the article-main block."""
    script = "<script>window.page = {title: '%s', id: 1002};</script>" % title
    return PAGE_FRAME % (title, script + '<div class="article-main">' + body +
                         '</div><footer class="footer-tag-state">标签</footer>')


def layout3(title, body):
    """Layout 3: the title element with the site suffix, the body in the content block."""
    return ('<!DOCTYPE html><html><head><meta charset="utf-8"><title>%s-搜狐新闻</title></head>'
            '<body><div class="content">%s<a class="news_download_btn" href="/app">下载客户端</a>'
            "</div></body></html>" % (title, body))


def paragraphs(*texts):
    return "".join("<p>%s</p>\n" % t for t in texts)


# --- pages of today's sites ----------------------------------------------------

def board_json(words, pinned):
    """The search engine's hot board as its JSON API writes it: UTF-8, the pinned
    item in topContent, "&" written as \u0026 and a middle dot as \u00b7."""
    def item(i, word):
        query = urllib.parse.quote(word)
        return {"appUrl": "https://www.baidu.com/s?wd=%s&sa=fyb_news&rsv_dl=fyb_news" % query,
                "desc": "", "hotChange": "same", "hotScore": str(7809452 - 61733 * i),
                "hotTag": "3" if i == 0 else "0", "img": "https://fyb-1.cdn.bcebos.com/fyb/%d.jpeg" % i,
                "index": i, "indexUrl": "", "query": word,
                "rawUrl": "https://www.baidu.com/s?wd=" + query, "show": [],
                "url": "https://www.baidu.com/s?wd=%s&sa=fyb_news&rsv_dl=fyb_news" % query, "word": word}
    card = {"component": "hotList", "content": [item(i, w) for i, w in enumerate(words)],
            "more": True, "moreAppUrl": "", "moreUrl": "https://top.baidu.com/board?tab=realtime",
            "text": "实时热点", "topContent": [item(0, pinned)], "typeName": "realtime",
            "updateTime": 1765026133}
    data = {"success": True, "data": {"cards": [card], "curBoardName": "热搜榜", "logid": "2093",
                                      "platform": "wise", "tabBoard": [], "tag": []}, "error": {}}
    text = json.dumps(data, ensure_ascii=False, separators=(",", ":"))
    return text.replace("&", "\\u0026").replace("\u00b7", "\\u00b7")


def summary_row(rank, keyword_html):
    """One row of the hot-search table; rank "top" is the pinned row."""
    first = '<i class="icon-top"></i>' if rank == "top" else str(rank)
    query = urllib.parse.quote("#%s#" % html.unescape(keyword_html))
    heat = "" if rank == "top" else "<span>%d</span>" % (2400000 - 90000 * rank)
    return ('<tr class="">\n<td class="td-01 ranktop">%s</td>\n<td class="td-02">\n'
            '<a href="/weibo?q=%s&t=31&band_rank=%s&Refer=top">%s</a>\n%s\n</td>\n'
            '<td class="td-03"><i class="icon-txt icon-txt-hot">热</i></td>\n</tr>\n'
            % (first, query, 1 if rank == "top" else rank, keyword_html, heat))


def summary_ad_row(keyword):
    """An advertising row: no search link, only the ad's click handler."""
    return ('<tr class="">\n<td class="td-01"></td>\n<td class="td-02">\n'
            '<a href="javascript:void(0);" word="%s" action-type="realtimehot_ad" '
            'action-data="type=ad">%s</a>\n<span>剧集 1021334</span>\n</td>\n'
            '<td class="td-03"><i class="icon-txt icon-txt-recommend">荐</i></td>\n</tr>\n'
            % (keyword, keyword))


def summary_page(pinned, keywords_html, ad, ad_after=1):
    """The microblog's hot-search summary (desktop markup, UTF-8): the pinned
    row, the ranked rows (keywords as HTML text) and one advertising row."""
    rows = [summary_row("top", pinned)] + [summary_row(i + 1, k) for i, k in enumerate(keywords_html)]
    rows.insert(ad_after + 1, summary_ad_row(ad))
    return ('<!DOCTYPE html><html><head><meta charset="utf-8"><title>微博搜索-热搜榜</title></head>'
            '<body><div class="m-main"><div id="pl_top_realtimehot" class="data">\n<table>\n'
            '<thead><tr class="thead_tr"><th class="th-01">序号</th><th class="th-02">关键词</th>'
            '<th class="th-03"></th></tr></thead>\n<tbody>\n%s</tbody>\n</table>\n</div></div>'
            '</body></html>' % "".join(rows))


def side_json(keywords, ad, ad_after=1, gov="#全国统一大市场建设#"):
    """The microblog's side list as its JSON writes it: data.realtime[] rows
    with their word (an advertising row marked is_ad 1), then the
    government row in hotgov, which is not one of them."""
    rows = [{"word_scheme": "#%s#" % k, "word": k, "num": 2400000 - 90000 * i, "note": k,
             "star_name": {}, "icon_desc": "热", "rank": i, "is_ad": 0} for i, k in enumerate(keywords)]
    rows.insert(ad_after + 1, {"word": ad, "note": ad, "is_ad": 1, "ad_info": "", "rank": -1, "star_name": {}})
    data = {"ok": 1, "data": {"realtime": rows, "hotgov": {"word": gov, "note": gov, "is_gov": 1}}}
    return json.dumps(data, ensure_ascii=False, separators=(",", ":"))


def visitor_wall():
    """The page the microblog shows a request without a visitor cookie: GB2312,
    the script that would fetch a cookie in a browser and come back."""
    return ('<!DOCTYPE html>\n<html>\n<head>\n'
            '    <meta http-equiv="Content-type" content="text/html; charset=gb2312"/>\n'
            '    <title>Sina Visitor System</title>\n</head>\n<body>\n<span id="message"></span>\n'
            '<script type="text/javascript" src="/js/visitor/mini_original.js?v=20161116"></script>\n'
            '<script type="text/javascript">\n    window.use_fp = "1" == "1";\n'
            '    var back = function() {\n'
            '        var url = "https://s.weibo.com/top/summary?cate=realtimehot";\n'
            '        window.location.href = url;\n    };\n</script>\n</body>\n</html>\n')


def visitor_answers(from_pass=0, wall_status=200):
    """The visitor service and the summary page's gate: passes numbered below
    `from_pass` are refused."""
    wall = answer(visitor_wall().encode("gb2312"), "text/html; charset=gb2312", status=wall_status)
    return ({"visitor_service": {"form": VISITOR_FORM, "callback": "visitor_gray_callback"}},
            {"from": from_pass, "wall": wall})


def percent_encoded(text):
    """UTF-8 percent-encoding as the program writes keywords into addresses."""
    return "".join(c if (c.isascii() and (c.isalnum() or c in "-.")) else
                   "".join("%%%02X" % b for b in c.encode("utf-8")) for c in text)


def bing_target(keyword, news_site=CURRENT_SITE):
    """The request target of the site-restricted search for a keyword."""
    return "/search?q=site%3A" + news_site + "+" + percent_encoded(keyword)


def bing_link(target):
    """A result link as Bing wraps it: the target base64url-encoded after u=a1."""
    code = base64.urlsafe_b64encode(target.encode("utf-8")).decode().rstrip("=")
    return ("https://www.bing.com/ck/a?!&&p=7c3f0e5b2d1a9e84JmltdHM9MTc2NTAyNjEzMw&ptn=3&ver=2"
            "&hsh=4&fclid=1f2e3d4c&u=a1%s&ntb=1" % code)


def bing_result_page(keyword, link, title, snippet=None):
    """Bing's answer with `link` as the first result. An ad block comes before
    it, and the result's site icon links elsewhere: the link is the one in the
    result's h2. Attribute values escape "&" as &amp;."""
    attr = link.replace("&", "&amp;")
    return ('<!DOCTYPE html><html lang="zh"><head><meta charset="utf-8"><title>%s - 搜索</title></head>'
            '<body><div id="b_content"><main aria-label="搜索结果"><ol id="b_results">'
            '<li class="b_ad"><ul><li><div class="sb_add"><h2><a href="https://ad.demo/click?x=1&amp;y=2">'
            '广告：冬季特惠</a></h2></div></li></ul></li>'
            '<li class="b_algo" data-id iid="SERP.5104"><div class="b_tpcn"><a class="tilk" '
            'href="https://%s/" h="ID=SERP,5104.1"><div class="tpic"></div><div class="tptxt">'
            '<div class="tptt">新闻</div></div></a></div>'
            '<h2><a target="_blank" href="%s" h="ID=SERP,5105.1">%s</a></h2>'
            '<div class="b_caption"><p class="b_lineclamp2">%s ...</p></div></li>'
            '<li class="b_algo" iid="SERP.5120"><h2><a target="_blank" href="https://other.demo/2" '
            'h="ID=SERP,5120.1">第二条结果</a></h2></li></ol></main></div></body></html>'
            % (keyword, NEWS_SITE, attr, title, keyword if snippet is None else snippet))


def bing_no_result_page():
    return ('<!DOCTYPE html><html lang="zh"><head><meta charset="utf-8"><title>搜索</title></head>'
            '<body><div id="b_content"><main aria-label="搜索结果"><ol id="b_results">'
            '<li class="b_no"><h1>没有找到相关的结果</h1><ul><li>请检查输入字词有无错误。</li></ul></li>'
            '</ol></main></div></body></html>')


def article_today(title, paragraphs_html, hidden_html="", script_title=True, source="新华社"):
    """A news-site article in its present markup, as the 2020 page has it: the
    title in the h1 of text-title beside an empty article-tag span, the body in
    the editor's article (a hidden original-title paragraph first, the rest
    behind the "show all" box, the back link in its own paragraph, the editor's
    name last) and the title again in a script object, unless `script_title`
    is false."""
    script = ('<script>\ntry{\n        window.sohu_mp.article_abroad({\n        channel_id: "8",\n'
              '        news_id: "500100",\n        title: "%s",\n        channel_url:"//news.sohu.com",\n'
              '        })\n}catch(e){}\n</script>\n' % title) if script_title else ""
    return ('<!DOCTYPE html>\n<html>\n<head>\n<meta charset="utf-8">\n<title>%s_%s</title>\n'
            '<meta property="og:title" content="%s">\n<style>.text-title h1{font-size:32px}</style>\n'
            '</head>\n<body>\n<header id="main-header" class="main-header"><nav><a href="/">首页</a></nav></header>\n'
            '<div class="area clearfix" id="article-container">\n<div class="left main">\n'
            '<div data-spm="content">\n<div class="text">\n<div class="text-title">\n    <h1>\n'
            '                    %s\n                <span class="article-tag">\n                 </span>\n'
            '    </h1>\n    <div class="article-info">\n'
            '        <span class="time" id="news-time" data-val="1765022400000">2026-12-06 20:00</span>\n'
            '        <span data-role="original-link">来源:<a href="http://www.news.cn/" target="_blank">%s</a></span>\n'
            '    </div>\n</div>\n<article class="article" id="mp-editor">\n'
            '      <p data-role="original-title" style="display:none">原标题：%s</p>\n'
            '%s            <div class="lookall-box">\n                <div class="lookall-shadow"></div>\n'
            '                <section class="lookall">\n'
            '                    <a href="javascript:;" class="show-all" id="showMore">\n'
            '                        <em>展开全文</em>\n                    </a>\n                </section>\n'
            '            </div>\n            <div class="hidden-content control-hide">\n%s'
            '<p><span>【编辑:王小明】 </span><a href="//www.sohu.com/?strategyid=00001 " target="_blank" '
            'title="点击进入搜狐首页" id="backsohucom" style="white-space: nowrap;"><span class="backword">'
            '<i class="backsohu"></i>返回搜狐，查看更多</span></a></p>            </div>\n\n'
            '        <p data-role="editor-name">责任编辑：<span></span></p>\n</article>\n%s'
            '</div>\n</div>\n</div>\n</div>\n<footer class="footer">搜狐公司版权所有</footer>\n</body>\n</html>\n'
            % (title[:12], "搜狐网", title[:12], title, source, title, paragraphs_html, hidden_html, script))


def netease_article(title, paragraphs_html):
    """An article in 163's markup: the headline in h1.post_title, the date and
    source in post_info, the body in post_body, the statement after it."""
    return ('<!DOCTYPE html>\n<html>\n<head>\n<meta charset="utf-8">\n<title>%s|滑雪|冬季_网易订阅</title>\n'
            '</head>\n<body>\n<div class="N-nav-channel"><a href="https://news.163.com/">新闻</a>'
            '<a href="https://sports.163.com/">体育</a><a href="https://ent.163.com/">娱乐</a></div>\n'
            '<div class="post_main">\n<h1 class="post_title">%s</h1>\n'
            '<div class="post_info">2026-12-06 18:16:21　来源: 城市晚报</div>\n'
            '<div class="post_content">\n<div class="post_body">\n%s</div>\n'
            '<div class="post_statement"><p>特别声明：以上内容(如有图片或视频亦包括在内)为自媒体平台“网易号”用户上传并发布，'
            '本平台仅提供信息存储服务。</p></div>\n</div>\n</div>\n'
            '<div class="post_recommends"><h3>热门推荐</h3><ul><li><a href="/dy/article/A.html">冬季出行指南</a></li>'
            '<li><a href="/dy/article/B.html">雪场安全提示</a></li></ul></div>\n'
            '<div class="ntes_foot">网易公司版权所有</div>\n</body>\n</html>\n' % (title, title, paragraphs_html))


def generic_news_page(title, paragraphs_html, image):
    """An article page of no known layout: a header with navigation, the article
    with its paragraphs and a picture, a sidebar of links, comments, a footer."""
    links = "".join('<li><a href="/news/%d.html">相关阅读：本地新闻第%d条</a></li>' % (i, i) for i in range(1, 8))
    return ('<!DOCTYPE html>\n<html lang="zh-CN">\n<head>\n<meta charset="utf-8">\n<title>%s - 城市日报</title>\n'
            '</head>\n<body>\n<header class="site-header"><div class="logo"><a href="/">城市日报</a></div>\n'
            '<nav class="main-nav"><ul><li><a href="/">首页</a></li><li><a href="/city">本地</a></li>'
            '<li><a href="/china">国内</a></li><li><a href="/world">国际</a></li>'
            '<li><a href="/sports">体育</a></li></ul></nav></header>\n'
            '<div class="container">\n<main class="content">\n<article class="post">\n<h1 class="post-title">%s</h1>\n'
            '<div class="post-meta">2026-12-06 18:30 来源：城市日报 记者 李华</div>\n'
            '<div class="post-body">\n%s<figure><img src="%s" alt="现场图片"><figcaption>现场图片</figcaption></figure>\n'
            '</div>\n</article>\n<section class="comments"><h3>网友评论</h3>\n'
            '<div class="comment"><span class="user">网友甲</span><p>支持！</p></div>\n'
            '<div class="comment"><span class="user">网友乙</span><p>希望早日落实。</p></div>\n</section>\n'
            '</main>\n<aside class="sidebar"><h3>热门推荐</h3><ul>%s</ul></aside>\n</div>\n'
            '<footer class="site-footer"><p>关于我们 | 联系我们 | 广告服务</p><p>版权所有 城市日报社</p></footer>\n'
            '</body>\n</html>\n' % (title, title, paragraphs_html, image, links))


# --- images ------------------------------------------------------------------

def png(width, height, rgb):
    """A plain PNG of one colour."""
    def chunk(kind, data):
        return (struct.pack(">I", len(data)) + kind + data +
                struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF))
    row = b"\x00" + bytes(rgb) * width
    return (b"\x89PNG\r\n\x1a\n" +
            chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)) +
            chunk(b"IDAT", zlib.compress(row * height)) + chunk(b"IEND", b""))


# --- the demo ----------------------------------------------------------------

HOT_LIST_KEYWORDS = ["嫦娥七号发射成功", "冬季流感防护指南", "城市马拉松开跑", "新能源汽车下乡"]
HOT_SEARCH_KEYWORDS = ["冰雪旅游热度攀升", "神秘关键词无结果"]


def demo_answers(http_port, https_port):
    """Every answer of the demo site, by request target."""
    http = "http://127.0.0.1:%d" % http_port
    https = "https://127.0.0.1:%d" % https_port
    a = {}
    a["/"] = {"status": 200, "headers": [["Date", SERVER_DATE]], "body": "demo"}
    a[HOT_LIST_TARGET] = gbk_page(hot_list_page(HOT_LIST_KEYWORDS))
    a[HOT_SEARCH_TARGET] = utf8_page(hot_search_page(HOT_SEARCH_KEYWORDS))

    # 1: layout 1 with pictures, a style block, a script block and entities.
    a[search_target("嫦娥七号发射成功")] = utf8_page(result_page(http + "/a/1001.html"))
    a["/a/1001.html"] = utf8_page(layout1("嫦娥七号探测器发射成功", paragraphs(
        "12月6日，嫦娥七号探测器在文昌航天发射场发射升空，&nbsp;飞行正常。",
        '<img src="%s/img/launch.png" alt="发射现场" width="600">' % http,
        "探测器将前往月球南极，开展环境与资源勘查。<style>.x{color:red}</style>",
        "<script>track('a1001');</script>专家表示，这是探月工程四期的关键一步&amp;重要里程碑。",
        '<img class="big" src="%s/img/moon.png">' % http,
        "后续任务将陆续展开。")))
    a["/img/launch.png"] = answer(png(60, 40, (200, 40, 40)), "image/png")
    a["/img/moon.png"] = answer(png(40, 40, (230, 230, 160)), "image/png")

    # 2: layout 2 behind a result link that redirects from http to https.
    a[search_target("冬季流感防护指南")] = utf8_page(result_page(http + "/link?url=1002"))
    a["/link"] = redirect(https + "/a/1002.html")
    a["/a/1002.html"] = utf8_page(layout2("冬季流感高发，这份防护指南请收好", paragraphs(
        "进入冬季，流感进入高发期。医生提醒，接种疫苗是最有效的预防手段。",
        "<strong>勤洗手</strong>、常通风、规律作息，都能降低感染风险。",
        "出现高热等症状时应及时就医，避免自行用药。")))

    # 3: layout 3.
    a[search_target("城市马拉松开跑")] = utf8_page(result_page(http + "/a/1003.html"))
    a["/a/1003.html"] = utf8_page(layout3("三万名跑者参加城市马拉松", paragraphs(
        "清晨七点半，发令枪响，三万名跑者从市民广场出发。",
        "赛道沿江而设，沿途设有二十个补给站和医疗点。",
        "组委会表示，今年报名人数创下新高。")))

    # 4: an article too short to keep.
    a[search_target("新能源汽车下乡")] = utf8_page(result_page(http + "/a/1004.html"))
    a["/a/1004.html"] = utf8_page(layout1("新能源汽车下乡", paragraphs("详见后续报道。")))

    # 5: a title with characters Windows forbids in file names, and a picture.
    a[search_target("冰雪旅游热度攀升")] = utf8_page(result_page(https + "/a/1005.html"))
    a["/a/1005.html"] = utf8_page(layout1("冰雪季来了: 哪里最热?", paragraphs(
        "随着气温下降，冰雪旅游迎来旺季，多地滑雪场客流同比大幅增长。",
        '<img src="%s/img/snow.png">' % https,
        "业内人士建议游客错峰出行，提前预订门票和住宿。")))
    a["/img/snow.png"] = answer(png(50, 30, (180, 210, 250)), "image/png")

    # 6: no result at all.
    a[search_target("神秘关键词无结果")] = utf8_page(no_result_page())
    a.update(current_answers(http_port, https_port))
    # The microblog's summary page shows the demo's current pass the visitor
    # page to every cookie, so the hot search is read from its next address,
    # the side list's JSON.
    wall = visitor_answers(10 ** 6)[1]
    a[SUMMARY_TARGET] = dict(a[SUMMARY_TARGET], visitor_gate=wall)
    a[SIDE_TARGET] = answer(side_json([SUMMARY_PINNED] + [html.unescape(k) for k in SUMMARY_KEYWORDS_HTML],
                                      SUMMARY_AD).encode("utf-8"), "application/json;charset=UTF-8")
    return a


BOARD_PINNED = "全国冰雪季启幕"
BOARD_KEYWORDS = ["嫦娥七号\u00b7月球南极着陆", "高校毕业生就业季", "旧城改造新规出台", "周末寒潮来袭"]
SUMMARY_PINNED = "冬至吃饺子还是汤圆"
SUMMARY_KEYWORDS_HTML = ["R&amp;B音乐节官宣阵容", "滑雪场客流大增"]
SUMMARY_AD = "某品牌新品首发"


def current_answers(http_port, https_port, first_valid_pass=1, wall_status=200, news=None):
    """The answers of today's sites. The summary page takes visitor passes
    numbered `first_valid_pass` and later: by default the first cookie the
    program gets is refused, so a pass shows the renewal. Refused requests get
    the visitor page with `wall_status`. With `news` (an origin such as
    "https://www.sohu.com") the results link to the articles there, as a
    proxy standing in for the real site serves them, and the searches are
    restricted to its host."""
    http = news or "http://%s:%d" % (CURRENT_SITE, http_port)
    https = news or "https://%s:%d" % (CURRENT_SITE, https_port)
    searched = news.split("://")[1] if news else CURRENT_SITE
    a = {}
    a[BOARD_TARGET] = answer(board_json(BOARD_KEYWORDS, BOARD_PINNED).encode("utf-8"),
                             "application/json;charset=UTF-8")
    service, gate = visitor_answers(first_valid_pass, wall_status)
    a[VISITOR_TARGET] = service
    a[SUMMARY_TARGET] = dict(utf8_page(summary_page(SUMMARY_PINNED, SUMMARY_KEYWORDS_HTML, SUMMARY_AD)),
                             visitor_gate=gate)
    # A keyword without a page of its own gets Bing's empty answer.
    a["/search"] = utf8_page(bing_no_result_page())

    def result(keyword, link, title, snippet=None):
        a[bing_target(keyword, searched)] = utf8_page(bing_result_page(keyword, link, title, snippet))

    # 1: today's markup with both pictures as the site serves them: the
    # address encrypted in data-src without a src, and lazy behind a data:
    # placeholder with a plain data-src.
    result(BOARD_KEYWORDS[0], bing_link(http + "/a/500101_120"), "嫦娥七号成功着陆月球南极")
    a["/a/500101_120"] = utf8_page(article_today("嫦娥七号成功着陆月球南极", (
        "<p>12月6日20时，嫦娥七号着陆器在月球南极沙克尔顿环形山附近成功着陆。</p> \n"
        '<p><img max-width="600" data-src="%s" alt="着陆器"></p> \n'
        "<p>着陆器携带的 7 台科学载荷 将陆续开机，开展月表环境与水冰勘查。</p> \n"
        % encrypted_address("//%s:%d/img/lander.png" % (CURRENT_SITE, http_port))),
        ('<p><img src="data:image/gif;base64,R0lGODlhAQABAAAAACw=" data-src="//%s:%d/img/crater.png"></p> \n'
         "<p>专家介绍，南极地区光照条件特殊，永久阴影区内可能存有水冰。</p> \n" % (CURRENT_SITE, http_port))))
    a["/img/lander.png"] = answer(png(60, 40, (150, 150, 160)), "image/png")
    a["/img/crater.png"] = answer(png(40, 40, (90, 90, 100)), "image/png")

    # 2: no title in the script (the h1 gives it), a direct link with &amp; in it.
    result(BOARD_KEYWORDS[1], http + "/a/500102_121?from=bing&id=2", "2027届高校毕业生预计达1280万人")
    a["/a/500102_121"] = utf8_page(article_today("2027届高校毕业生预计达1280万人", (
        "<p>记者从教育部获悉，2027届高校毕业生规模预计达1280万人，同比增加58万人。</p> \n"
        "<p>今年秋季招聘中，AI   产品经理 与 Data Analyst 岗位需求增长最快。</p> \n"),
        "<p>教育部将组织 100 场 线上专场招聘，持续到明年春季。</p> \n", script_title=False))

    # 3: a page of no known layout, for the general extractor.
    result(BOARD_KEYWORDS[2], bing_link(http + "/news/300001.html"), "旧城改造新规出台")
    a["/news/300001.html"] = utf8_page(generic_news_page("旧城改造新规出台：居民意见纳入方案审批", (
        "<p>市住房和城乡建设局6日发布旧城改造新规，明确改造方案须征求居民意见，并作为审批的必要材料。</p>\n"
        "<p>新规要求，涉及拆除的项目须公示三十日，居民可通过线上平台或社区服务站提出意见。</p>\n"
        "<p>据介绍，全市今年已启动四十二个老旧小区改造项目，惠及居民三万余户。</p>\n"
        "<p>相关负责人表示，新规将于明年一月一日起施行，此前已批项目按原规定执行。</p>\n"),
        "//%s:%d/img/street.png" % (CURRENT_SITE, http_port)))
    a["/img/street.png"] = answer(png(50, 30, (200, 180, 140)), "image/png")

    # An article of the site about something else: passed over, and the
    # keyword's log line says so.
    result(BOARD_KEYWORDS[3], http + "/a/500109_130", "2026年_百度百科", "2026年是星期四开始的平年")

    # 5: the only result of the last keyword is on the second site, found by
    # the search restricted to that site (the demo's settings list both).
    a[bing_target(WANGYI_KEYWORD, WANGYI_SITE)] = utf8_page(bing_result_page(
        WANGYI_KEYWORD, "http://%s:%d%s" % (WANGYI_SITE, http_port, WANGYI_PATH), "滑雪场客流大增 冰雪游持续升温"))
    a[WANGYI_PATH] = utf8_page(netease_article("滑雪场客流大增 冰雪游持续升温", (
        '<p id="1">入冬以来，本市各大滑雪场客流持续增长，周末单日接待游客超过两万人次。</p>'
        '<p class="f_center"><img src="//127.0.0.1:%d/img/slope.png"><br></p>'
        '<p id="2">滑雪场负责人介绍，今年新增了夜场和初学者课程，吸引了不少家庭游客。</p>'
        '<p id="3">业内人士表示，冰雪旅游正成为冬季消费的新增长点。</p>' % http_port)))
    a["/img/slope.png"] = answer(png(50, 30, (230, 235, 240)), "image/png")

    # 4: the keyword with an entity on the summary page.
    result("R&B音乐节官宣阵容", bing_link(https + "/a/500104_122"), "R&B音乐节官宣首批阵容")
    a["/a/500104_122"] = utf8_page(article_today("R&B音乐节官宣首批阵容", (
        "<p>第三届城市 R&amp;B 音乐节6日公布首批演出阵容，共有十二组音乐人参加。</p> \n"
        "<p>音乐节将于明年五月在滨江公园举行，门票12月10日开售。</p> \n")))
    return a


def settings_ini(http_port, https_port, news_site=NEWS_SITE, profile="classic"):
    """settings.ini for a pass of the profile against the demo site. Today's
    sites are all over https; the date stays a plain http request."""
    h = "127.0.0.1:%d" % http_port
    s = "127.0.0.1:%d" % https_port
    if profile == "current":
        s = "%s:%d" % (CURRENT_SITE, https_port)  # checked certificates name hosts
        # Every engine on the server (only Bing's answers are scripted), no
        # pacing, and the demo's page of no known layout under /news/.
        return ("[sources]\r\nprofile=current\r\n[hosts]\r\ndate=%s\r\nhotlist=%s\r\nhotlist2=%s\r\n"
                "hotsearch=%s\r\nhotsearch2=%s\r\nhotsearch3=%s\r\n"
                "visitor=%s\r\nsearch=%s\r\nsogou=%s\r\nso360=%s\r\n"
                "[search]\r\nsites=%s\r\ninterval=0\r\n[site.%s]\r\narticle=^/(a/\\d+_\\d+|news/)\r\n"
                "imagekey=%s\r\n"
                % (h, s, s, s, s, s, s, s, s, s, CURRENT_SITE, CURRENT_SITE, SOHU_IMAGE_KEY))
    return ("[sources]\r\nprofile=classic\r\n"
            "[hosts]\r\ndate=%s\r\nhotlist=%s\r\nhotsearch=%s\r\nsearch=%s\r\nnewssite=%s\r\n"
            % (h, h, s, s, news_site))


def main(argv):
    if (len(argv) not in (4, 5) or argv[1] not in ("answers", "settings")
            or (len(argv) == 5 and (argv[1] != "settings" or argv[4] not in ("classic", "current")))):
        sys.stderr.write(__doc__)
        return 2
    http_port, https_port = int(argv[2]), int(argv[3])
    if argv[1] == "answers":
        json.dump(demo_answers(http_port, https_port), sys.stdout)
    else:
        profile = argv[4] if len(argv) == 5 else "current"
        settings = settings_ini(http_port, https_port, profile=profile)
        if profile == "current":
            # The demo searches a second site, laid out as 163's.
            settings += ("[search]\r\nsites=%s,%s\r\n[site.%s]\r\narticle=^/[a-z]+/article/[0-9A-Z]{16}\\.html\r\n"
                         % (CURRENT_SITE, WANGYI_SITE, WANGYI_SITE))
        sys.stdout.write(settings)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
