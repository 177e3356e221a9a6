#!/usr/bin/env python3
"""The demo site: a small stand-in for the hot lists, the search engine, the
news site and its image hosts, served by tools/test_server.py on 127.0.0.1.

    demo_site.py answers HTTP_PORT HTTPS_PORT     the answers, JSON, for POST /__script
    demo_site.py settings HTTP_PORT HTTPS_PORT    settings.ini pointing at the server

The hot list is GBK over http, the hot-search page UTF-8 over https, the
search engine answers over https. The articles cover the three page layouts
(with style and script blocks, entities and images), a result link that
redirects from http to https, an article too short to keep, a title holding
characters Windows forbids in file names, and a keyword without a result.

The page builders are also used by the end-to-end tests (tests/e2e).
"""

import base64
import json
import struct
import sys
import urllib.parse
import zlib

NEWS_SITE = "news.demo"
# The server date of the demo: the pass folder is 2026年12月6日21时2分13秒
# (the program shows the server's time shifted by eight hours).
SERVER_DATE = "Sun, 06 Dec 2026 13:02:13 GMT"

HOT_LIST_TARGET = "/buzz?b=1&fr=20811"
HOT_SEARCH_TARGET = "/top/summary?Refer=top_hot&topnav=1&wvr=6"


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
    encoded = "".join(c if (c.isascii() and (c.isalnum() or c in "-.")) else
                      "".join("%%%02X" % b for b in c.encode("utf-8")) for c in keyword)
    return "/s?wd=site%3A" + news_site + "%20" + encoded


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
    return a


def settings_ini(http_port, https_port, news_site=NEWS_SITE):
    h = "127.0.0.1:%d" % http_port
    s = "127.0.0.1:%d" % https_port
    return ("[hosts]\r\ndate=%s\r\nhotlist=%s\r\nhotsearch=%s\r\nsearch=%s\r\nnewssite=%s\r\n"
            % (h, h, s, s, news_site))


def main(argv):
    if len(argv) != 4 or argv[1] not in ("answers", "settings"):
        sys.stderr.write(__doc__)
        return 2
    http_port, https_port = int(argv[2]), int(argv[3])
    if argv[1] == "answers":
        json.dump(demo_answers(http_port, https_port), sys.stdout)
    else:
        sys.stdout.write(settings_ini(http_port, https_port))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
