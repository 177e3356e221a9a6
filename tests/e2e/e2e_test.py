#!/usr/bin/env python3
"""End-to-end tests of the real hotarticles.exe under Wine.

Each case scripts the loopback test server (tools/test_server.py) as hot
lists, search engine, news site and image hosts, runs the program with --auto
in a fresh or reused run directory, and checks the exact article files and
bytes, the pictures, the history file, the log lines the program prints on
standard output, and which addresses were and were not requested.

    e2e_test.py --exe build/win32/app/hotarticles.exe [--results FILE] [-k NAME]

Needs a display and the Wine prefix (./test prepares both); writes its
results in the GoogleTest XML shape so ./test counts them.
"""

import argparse
import base64
import ctypes
import json
import os
import re
import shutil
import subprocess
import sys
import tempfile
import time
import traceback
import urllib.parse
import urllib.request
from xml.sax.saxutils import quoteattr

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
sys.path.insert(0, os.path.join(ROOT, "tools"))
import demo_site as site  # noqa: E402

# The scripted server date gives this pass folder.
PASS_FOLDER = "2026年12月6日21时2分13秒"
DONE = "任务完成"


class Failure(Exception):
    pass


def expect(condition, message):
    if not condition:
        raise Failure(message)


def expect_eq(actual, expected, what):
    if actual != expected:
        raise Failure("%s:\n  expected %r\n  actual   %r" % (what, expected, actual))


# --- the server ----------------------------------------------------------------

class Server:
    def __init__(self):
        self.work = tempfile.mkdtemp(prefix="hot-e2e-")
        ports_file = os.path.join(self.work, "ports")
        self.process = subprocess.Popen(
            [sys.executable, os.path.join(ROOT, "tools", "test_server.py"), "--ports-file", ports_file],
            stdout=subprocess.DEVNULL, stderr=open(os.path.join(self.work, "err"), "w"))
        for _ in range(200):
            if os.path.exists(ports_file):
                break
            time.sleep(0.05)
        ports = json.load(open(ports_file))
        self.http, self.https, self.proxy = ports["http"], ports["https"], ports["proxy"]

    def call(self, path, data=None):
        request = urllib.request.Request("http://127.0.0.1:%d%s" % (self.http, path), data=data)
        with urllib.request.urlopen(request, timeout=20) as r:
            return r.read()

    def script(self, answers):
        self.call("/__reset", b"")
        self.call("/__script", json.dumps(answers).encode("utf-8"))

    def requests(self):
        """The recorded requests as (port kind, target), oldest first."""
        return [(e["port"], e["line"].split(" ")[1]) for e in json.loads(self.call("/__log"))]

    def log(self):
        """The recorded requests in full (see tools/test_server.py), oldest first."""
        return json.loads(self.call("/__log"))

    def stop(self):
        try:
            self.call("/__quit", b"")
        except OSError:
            pass
        try:
            self.process.wait(timeout=10)
        except subprocess.TimeoutExpired:
            self.process.kill()
            self.process.wait()
        shutil.rmtree(self.work, ignore_errors=True)

    @property
    def http_base(self):
        return "http://127.0.0.1:%d" % self.http

    @property
    def https_base(self):
        # A host name: under current the certificate is checked, and it names
        # "localhost" (the test CA the Wine prefix trusts signs it).
        return "https://localhost:%d" % self.https


# --- the program -----------------------------------------------------------------

class Run:
    """A run directory with the program and a settings.ini for the server."""

    def __init__(self, base, name, exe, server, profile="classic", more_settings="", settings=None):
        self.dir = os.path.join(base, name)
        self.exe = exe
        shutil.rmtree(self.dir, ignore_errors=True)
        os.makedirs(self.dir)
        shutil.copy(exe, self.dir)
        with open(os.path.join(self.dir, "settings.ini"), "w", newline="") as f:
            if settings is None:
                settings = site.settings_ini(server.http, server.https, profile=profile) + more_settings
            f.write(settings)

    @property
    def folder(self):
        return os.path.join(self.dir, "采集文章", PASS_FOLDER)

    def run(self, *args, timeout=240):
        """Runs one --auto pass; returns the log lines printed."""
        exe = os.path.join(self.dir, os.path.basename(self.exe))
        result = subprocess.run([os.path.join(ROOT, "tools", "wine-run"), exe, "--auto"] + list(args),
                                cwd=self.dir, stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                                timeout=timeout)
        out = result.stdout.decode("utf-8", "replace")
        expect_eq(result.returncode, 0, "exit code (output %r, errors %r)"
                  % (out, result.stderr.decode("utf-8", "replace")[-2000:]))
        return [line for line in out.replace("\r\n", "\n").split("\n") if line]

    def start(self, *args):
        """Starts one --auto pass and returns the process; its stdout is piped."""
        exe = os.path.join(self.dir, os.path.basename(self.exe))
        return subprocess.Popen([os.path.join(ROOT, "tools", "wine-run"), exe, "--auto"] + list(args),
                                cwd=self.dir, stdout=subprocess.PIPE, stderr=subprocess.PIPE)

    def files(self, sub=""):
        path = os.path.join(self.folder, sub)
        return sorted(os.listdir(path)) if os.path.isdir(path) else None

    def read(self, name):
        with open(os.path.join(self.folder, name), "rb") as f:
            return f.read()

    def history(self):
        path = os.path.join(self.dir, "历史关键词库.txt")
        with open(path, "rb") as f:
            return f.read()


class _ClientMessage(ctypes.Structure):
    _fields_ = [("type", ctypes.c_int), ("serial", ctypes.c_ulong), ("send_event", ctypes.c_int),
                ("display", ctypes.c_void_p), ("window", ctypes.c_ulong), ("message_type", ctypes.c_ulong),
                ("format", ctypes.c_int), ("l", ctypes.c_long * 5), ("pad", ctypes.c_long * 12)]


def close_window_of(pid, title="热点文章采集"):
    """Asks the program's window to close, as the user would (WM_DELETE_WINDOW
    to the X window of that process only); returns the number of windows asked.
    During a pass the caption goes on with the progress, so it is matched by its start."""
    tree = subprocess.run(["xwininfo", "-root", "-tree"], capture_output=True).stdout.decode("utf-8", "replace")
    ids = [int(line.split()[0], 16) for line in tree.splitlines() if '"%s' % title in line]
    x11 = ctypes.CDLL("libX11.so.6")
    x11.XOpenDisplay.restype = ctypes.c_void_p
    x11.XInternAtom.restype = ctypes.c_ulong
    x11.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
    x11.XSendEvent.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_long, ctypes.c_void_p]
    x11.XFlush.argtypes = [ctypes.c_void_p]
    x11.XCloseDisplay.argtypes = [ctypes.c_void_p]
    display = x11.XOpenDisplay(None)
    asked = 0
    for wid in ids:
        prop = subprocess.run(["xprop", "-id", hex(wid), "_NET_WM_PID"], capture_output=True).stdout.decode()
        m = re.search(r"= (\d+)", prop)
        if not m or int(m.group(1)) != pid:
            continue
        event = _ClientMessage(type=33, send_event=1, display=display, window=wid, format=32)
        event.message_type = x11.XInternAtom(display, b"WM_PROTOCOLS", 0)
        event.l[0] = x11.XInternAtom(display, b"WM_DELETE_WINDOW", 0)
        x11.XSendEvent(display, wid, 0, 0, ctypes.byref(event))
        asked += 1
    x11.XFlush(display)
    x11.XCloseDisplay(display)
    return asked


def windows_path(path):
    """A Unix path as the program under Wine sees it."""
    return "Z:" + path.replace("/", "\\")


def article_lines(log):
    return [line for line in log if "====" in line]


def gbk(text):
    return text.encode("gbk")


def hot_pages(hot_list, hot_search=()):
    answers = {"/": {"status": 200, "headers": [["Date", site.SERVER_DATE]], "body": "date"},
               site.HOT_LIST_TARGET: site.gbk_page(site.hot_list_page(hot_list)),
               site.HOT_SEARCH_TARGET: site.utf8_page(site.hot_search_page(list(hot_search)))}
    return answers


def searched(requests):
    """The keywords' search targets among the requests, in order."""
    return [t for _, t in requests if t.startswith("/s?")]


# --- the cases -------------------------------------------------------------------

CASES = []


def case(function):
    CASES.append(function)
    return function


# Makes a body long enough for the default minimum of 50 bytes.
PAD = "本段正文足够长，可以通过五十字节的字数检查。"

L1 = '<article class="article" id="mp-editor">'
L1_END = '<p data-role="editor-name">责任编辑：小编</p></article>'


def layout1(title, body):
    return ('<html><head><meta charset="utf-8"></head><body><script>var a = {title: "%s"};</script>'
            '%s%s%s</body></html>' % (title, L1, body, L1_END))


@case
def layouts_markers_limits_and_failing_servers(server, base, exe):
    h, s = server.http_base, server.https_base
    keywords = ["布局一", "布局二", "布局三", "无结果块", "链接无空格", "无版式", "无标题",
                "恰好五十", "五十一", "服务器错误", "中途断开", "之后照常"]
    a = hot_pages(keywords[:6], keywords[6:])
    for k in keywords:
        a[site.search_target(k)] = site.utf8_page(site.result_page(h + "/a/" + str(keywords.index(k))))
    a[site.search_target("无结果块")] = site.utf8_page(site.no_result_page())
    a[site.search_target("链接无空格")] = site.utf8_page(site.result_page(h + "/a/x", blanks=False))
    a[site.search_target("布局二")] = site.utf8_page(site.result_page(h + "/go/2"))
    a["/go/2"] = site.redirect(s + "/a/1")
    a["/a/0"] = site.utf8_page(layout1("布局一的标题", (
        "<p>第一段内容，&nbsp;含有实体&amp;和&#8220;引号。</p>\n"
        '<p class="x">第二段 English words</p><style>.a{color:red}</style>'
        "<script>track('x');</script><STYLE>p{}</STYLE>"
        '<a href="/">返回搜狐，查看更多</a>')))
    a["/a/1"] = site.utf8_page(site.layout2("布局二标题", "<p>第二种版式的正文。" + PAD + "</p>"))
    a["/a/2"] = site.utf8_page(site.layout3("布局三标题", "<p>第三种版式的正文。" + PAD + "</p>"))
    a["/a/5"] = site.utf8_page("<html><div class=\"main\"><p>没有任何版式标记的正文很长很长很长很长很长。</p></div></html>")
    a["/a/6"] = site.utf8_page(
        '<html><title>无后缀标题</title><div class="content"><p>有正文没有标题后缀。' + PAD + '</p>'
        '<a class="news_download_btn" href="/">下载</a></div></html>')
    a["/a/7"] = site.utf8_page(site.layout2("五十字节", "<p>" + "字" * 25 + "</p>"))
    a["/a/8"] = site.utf8_page(site.layout2("五十一字节", "<p>" + "字" * 25 + "a</p>"))
    a["/a/9"] = {"status": 500, "body": ""}
    long_page = site.layout1("中途断开的标题", "<p>" + "长" * 400 + "</p>")
    a["/a/10"] = dict(site.utf8_page(long_page), drop_after=300)
    a["/a/11"] = site.utf8_page(site.layout3("之后照常", "<p>断开之后下一个关键词照常采集。" + PAD + "</p>"))
    server.script(a)

    run = Run(base, "layouts", exe, server)
    log = run.run("--title=original")
    expect_eq(run.files(), sorted(["布局一的标题.txt", "布局二标题.txt", "布局三标题.txt", "五十一字节.txt",
                                   "之后照常.txt"]), "article files")
    expect_eq(run.read("布局一的标题.txt"),
              gbk("第一段内容，含有实体和&#8220;引号。\r\n第二段Englishwords\r\np{}"), "layout 1 bytes")
    expect_eq(run.read("布局二标题.txt"), gbk("第二种版式的正文。" + PAD), "layout 2 bytes")
    expect_eq(run.read("布局三标题.txt"), gbk("第三种版式的正文。" + PAD), "layout 3 bytes")
    expect_eq(run.read("五十一字节.txt"), gbk("字" * 25 + "a"), "51 bytes")
    expect_eq(article_lines(log), ["布局一的标题====采集完成！", "布局二标题====采集完成！",
                                   "布局三标题====采集完成！", "五十一字节====采集完成！",
                                   "之后照常====采集完成！"], "log lines")
    expect_eq(log[-2:], ["本次采集：关键词12个，保存文章5篇，失败7篇", DONE], "summary and last log line")

    requests = server.requests()
    expect_eq(searched(requests), [site.search_target(k) for k in keywords], "searches")
    articles = [(p, t) for p, t in requests if t.startswith(("/a/", "/go/"))]
    expect_eq(articles, [("http", "/a/0"), ("http", "/go/2"), ("https", "/a/1"), ("http", "/a/2"),
                         ("http", "/a/5"), ("http", "/a/6"), ("http", "/a/7"), ("http", "/a/8"),
                         ("http", "/a/9"), ("http", "/a/10"), ("http", "/a/11")],
              "article requests (none for the keywords without a link)")
    expect(all(p == "https" for p, t in requests if t.startswith("/s?")), "searches over https")


@case
def title_modes_and_encodings(server, base, exe):
    h = server.http_base
    a = hot_pages(["模式词"])
    a[site.search_target("模式词")] = site.utf8_page(site.result_page(h + "/a/m"))
    body = "标题模式与编码的正文。" + PAD
    a["/a/m"] = site.utf8_page(site.layout2("原文标题", "<p>%s</p>" % body))
    server.script(a)
    run = Run(base, "modes", exe, server)
    # The window starts with GBK and keyword titles.
    expected = [([], "模式词", gbk(body)),
                (["--title=original", "--encoding=gbk"], "原文标题", gbk(body)),
                (["--title=keyword", "--encoding=utf8"], "模式词", body.encode("utf-8")),
                (["--title=keyword-title", "--encoding=utf8"], "模式词,原文标题", body.encode("utf-8"))]
    for args, title, content in expected:
        log = run.run(*args)
        expect_eq(run.read(title + ".txt"), content, "%s file bytes (no byte-order mark)" % args)
        expect_eq(article_lines(log), [title + "====采集完成！"], "%s log" % args)
    expect_eq(run.files(), sorted(["原文标题.txt", "模式词,原文标题.txt", "模式词.txt"]), "files after the runs")


@case
def characters_outside_gbk_reach_utf8_files(server, base, exe):
    # An emoji keyword from the UTF-8 hot-search page, and an article whose
    # title and text hold Korean, an emoji, © and ™: UTF-8 files and file
    # names keep them; a GBK file has "?" in their places.
    h = server.http_base
    keyword = "\U0001F600热搜"
    title = "한국뉴스\U0001F600"
    text = "© 2026 ™ 한국어 기사。"
    a = hot_pages([], [keyword])
    a[site.search_target(keyword)] = site.utf8_page(site.result_page(h + "/a/k"))
    a["/a/k"] = site.utf8_page(site.layout2(title, "<p>%s</p>" % (text + PAD)))
    server.script(a)
    run = Run(base, "outside-gbk", exe, server)
    # The classic rules remove every blank.
    body = text.replace(" ", "") + PAD
    expected = [(["--title=keyword", "--encoding=utf8"], keyword, body.encode("utf-8")),
                (["--title=original", "--encoding=utf8"], title, body.encode("utf-8")),
                (["--title=original", "--encoding=gbk"], title,
                 body.encode("gbk", "replace"))]
    for args, name, content in expected:
        log = run.run(*args)
        expect_eq(run.read(name + ".txt"), content, "%s file bytes" % args)
        expect_eq(article_lines(log), [name + "====采集完成！"], "%s log" % args)
    expect_eq(searched(server.requests())[:1], [site.search_target(keyword)], "the emoji keyword's search")


@case
def dedupe_against_the_history_of_an_earlier_run(server, base, exe):
    h = server.http_base
    a = hot_pages(["嫦娥七号", "Alpha新闻"])
    for k in ["嫦娥七号", "Alpha新闻", "嫦娥", "ALPHA新闻", "全新词"]:
        a[site.search_target(k)] = site.utf8_page(site.no_result_page())
    server.script(a)
    run = Run(base, "dedupe", exe, server)
    # Classic's settings name the address (it checks no certificate).
    hot_search = "https://127.0.0.1:%d" % server.https + site.HOT_SEARCH_TARGET
    log = run.run()
    expect_eq(run.history(), gbk("\r\n嫦娥七号\r\nAlpha新闻"), "history after the first run")
    expect("热点页面无关键词：" + hot_search in log, "a hot page without keywords is named: %r" % log)

    a.update(hot_pages(["嫦娥", "ALPHA新闻", "全新词"]))
    a[site.HOT_SEARCH_TARGET] = {"status": 500, "body": ""}
    server.script(a)
    log = run.run("--dedupe")
    expect("热点页面获取失败：" + hot_search in log, "a hot page that failed is named: %r" % log)
    # "嫦娥" is found inside an earlier keyword; the search is case-sensitive.
    expect_eq(searched(server.requests()), [site.search_target("ALPHA新闻"), site.search_target("全新词")],
              "searches of the second run")
    expect_eq(run.history(), gbk("\r\n嫦娥七号\r\nAlpha新闻\r\nALPHA新闻\r\n全新词"),
              "history after the second run")


IMAGE_BODY = ('<p>图一<img src="{h}/img/x/a.png" alt="甲"></p>'
              '<p>图二<img class="c" src="{s}/img/y/b.png"></p>'
              '<p>重复<img src="{h}/img/x/a.png" alt="甲"></p>'
              '<p>同名<img src="{h}/img/z/a.png"></p>'
              "<p>单引号<img src='{h}/img/q.png'></p>"
              '<p>大写<IMG SRC="{h}/img/up.png"></p>'
              "<p>图片之后的正文，足够长的一段文字。</p>")


def image_site(server):
    h, s = server.http_base, server.https_base
    a = hot_pages(["图片词"])
    a[site.search_target("图片词")] = site.utf8_page(site.result_page(h + "/a/i"))
    a["/a/i"] = site.utf8_page(layout1("图片文章", IMAGE_BODY.format(h=h, s=s)))
    a["/img/x/a.png"] = site.answer(site.png(3, 2, (255, 0, 0)), "image/png")
    a["/img/y/b.png"] = site.answer(site.png(2, 2, (0, 255, 0)), "image/png")
    a["/img/z/a.png"] = site.answer(site.png(1, 1, (0, 0, 255)), "image/png")
    a["/img/q.png"] = site.answer(site.png(2, 1, (9, 9, 9)), "image/png")
    server.script(a)
    return h, s


@case
def kept_images_with_their_own_addresses(server, base, exe):
    h, s = image_site(server)
    run = Run(base, "images-original", exe, server)
    run.run("--keep-images", "--images=original", "--title=original")
    expect_eq(run.read("图片文章.txt"), gbk(
        '图一<img src="{h}/img/x/a.png">\r\n图二<img src="{s}/img/y/b.png">\r\n'
        '重复<img src="{h}/img/x/a.png">\r\n同名<img src="{h}/img/z/a.png">\r\n'
        # src is read by name, so its single quotes keep the address
        '单引号<img src="{h}/img/q.png">\r\n大写\r\n图片之后的正文，足够长的一段文字。'.format(h=h, s=s)), "article bytes")
    expect_eq(run.files("pic"), None, "no picture folder")
    expect(not any(t.startswith("/img/") for _, t in server.requests()), "no image requested")


@case
def local_pictures_downloaded_and_pointed_at(server, base, exe):
    image_site(server)
    run = Run(base, "images-local", exe, server)
    run.run("--keep-images", "--images=local", "--title=original")
    expect_eq(run.read("图片文章.txt"), gbk(
        '图一<img src="/pic/a.png">\r\n图二<img src="/pic/b.png">\r\n重复<img src="/pic/a.png">\r\n'
        '同名<img src="/pic/a.png">\r\n单引号<img src="/pic/q.png">\r\n大写\r\n'
        "图片之后的正文，足够长的一段文字。"), "article bytes")
    expect_eq(run.files("pic"), sorted(["a.png", "b.png", "q.png"]), "picture files")
    # The later download of the same name wins.
    expect_eq(run.read("pic/a.png"), site.png(1, 1, (0, 0, 255)), "a.png bytes")
    expect_eq(run.read("pic/b.png"), site.png(2, 2, (0, 255, 0)), "b.png bytes")
    images = [(p, t) for p, t in server.requests() if t.startswith("/img/")]
    expect_eq(images, [("http", "/img/x/a.png"), ("https", "/img/y/b.png"), ("http", "/img/x/a.png"),
                       ("http", "/img/z/a.png"), ("http", "/img/q.png")], "image requests")
    expect_eq(run.read("pic/q.png"), site.png(2, 1, (9, 9, 9)), "q.png bytes")


@case
def unsafe_titles_and_a_failing_write(server, base, exe):
    h = server.http_base
    titles = {"斜杠": 'a/b\\c:d*e?f"g<h>i|j', "设备名": "CON", "点结尾": "结尾有点.. ", "占用": "被占用的名字"}
    a = hot_pages(list(titles))
    for i, (k, t) in enumerate(titles.items()):
        a[site.search_target(k)] = site.utf8_page(site.result_page("%s/a/t%d" % (h, i)))
        a["/a/t%d" % i] = site.utf8_page(site.layout2(t, "<p>%s的正文。%s</p>" % (k, PAD)))
    server.script(a)
    run = Run(base, "titles", exe, server)
    # A directory where the article file should go makes its write fail.
    os.makedirs(os.path.join(run.folder, "被占用的名字.txt"))
    log = run.run("--title=original")
    expect_eq(article_lines(log), ["a／b＼c：d＊e？f＂g＜h＞i｜j====采集完成！", "_CON====采集完成！",
                                   "结尾有点====采集完成！", "被占用的名字====保存失败！"], "log lines")
    expect_eq(run.files(), sorted(["_CON.txt", "a／b＼c：d＊e？f＂g＜h＞i｜j.txt", "被占用的名字.txt", "结尾有点.txt"]),
              "files (the occupied name is still the directory)")
    expect(os.path.isdir(os.path.join(run.folder, "被占用的名字.txt")), "the directory is untouched")
    expect_eq(run.read("_CON.txt"), gbk("设备名的正文。" + PAD), "_CON.txt bytes")
    expect_eq(sorted(os.listdir(os.path.join(run.dir, "采集文章"))), [PASS_FOLDER], "nothing outside the folder")


@case
def stop_during_a_picture_download(server, base, exe):
    h = server.http_base
    a = hot_pages(["停止词", "之后的词"])
    a[site.search_target("停止词")] = site.utf8_page(site.result_page(h + "/a/stop"))
    a[site.search_target("之后的词")] = site.utf8_page(site.result_page(h + "/a/after"))
    a["/a/stop"] = site.utf8_page(layout1("停止的文章", (
        '<p>图一<img src="{h}/img/slow.png"></p><p>图二<img src="{h}/img/next.png"></p>'
        "<p>" + PAD + "</p>").format(h=h)))
    # The first picture is slow to come: the stop arrives while it is on its way.
    a["/img/slow.png"] = dict(site.answer(site.png(2, 2, (1, 2, 3)), "image/png"), delay=3)
    a["/img/next.png"] = site.answer(site.png(2, 2, (4, 5, 6)), "image/png")
    a["/a/after"] = site.utf8_page(site.layout2("之后的文章", "<p>" + PAD + "</p>"))
    server.script(a)
    run = Run(base, "stop", exe, server)
    process = run.start("--keep-images", "--images=local", "--title=original")
    try:
        end = time.time() + 120
        while time.time() < end and not any(t == "/img/slow.png" for _, t in server.requests()):
            expect(process.poll() is None, "the program ended before the picture was asked for")
            time.sleep(0.1)
        expect(time.time() < end, "the picture was never asked for")
        # The picture answers after 3 s; the stop comes well before, and the
        # window's close wait (5 s) outlasts the answer, so the pass itself
        # has to leave the picture unwritten.
        time.sleep(0.3)
        expect_eq(close_window_of(process.pid), 1, "windows asked to close")
        out, _ = process.communicate(timeout=60)
    finally:
        if process.poll() is None:
            process.kill()
            process.wait()
    log = [line for line in out.decode("utf-8", "replace").replace("\r\n", "\n").split("\n") if line]
    expect_eq(article_lines(log), [], "log lines after the stop")
    expect(DONE not in log, "a stopped pass does not report 任务完成")
    expect(not any(line.startswith("本次采集") for line in log), "a stopped pass has no summary")
    expect_eq(run.files("pic"), [], "no picture written after the stop")
    expect_eq(run.files(), ["pic"], "no article written after the stop")
    requested = [t for _, t in server.requests()]
    expect("/img/next.png" not in requested, "the second picture is not asked for")
    expect(site.search_target("之后的词") not in requested, "the next keyword is not searched")


# --- today's sites: the current profile -------------------------------------------

DATE_ANSWER = {"/": {"status": 200, "headers": [["Date", site.SERVER_DATE]], "body": "date"}}
HOT_TARGETS = (site.BOARD_TARGET, site.VISITOR_TARGET, site.SUMMARY_TARGET)
# Every keyword of the demo's two hot pages in order, without the advertising
# row; the board's pinned item comes after its ranked ones, as in its JSON.
BOARD_WORDS = site.BOARD_KEYWORDS + [site.BOARD_PINNED]
CURRENT_KEYWORDS = BOARD_WORDS + [site.SUMMARY_PINNED, "R&B音乐节官宣阵容", "滑雪场客流大增"]
CURRENT_ARTICLES = [("http", "/a/500101_120"), ("http", "/a/500102_121?from=bing&id=2"),
                    ("https", "/a/500104_122")]
CURRENT_FILES = sorted(["嫦娥七号成功着陆月球南极.txt", "2027届高校毕业生预计达1280万人.txt",
                        "R&B音乐节官宣首批阵容.txt"])
GENERIC_KEYWORD = site.BOARD_KEYWORDS[2]
GENERIC_PAGE = "/news/300001.html"


def current_site(server, first_valid_pass=0, wall_status=200, generic=False):
    """Today's sites of the demo; the page of no known layout only when `generic`."""
    a = dict(DATE_ANSWER)
    a.update(site.current_answers(server.http, server.https, first_valid_pass, wall_status))
    if not generic:
        a[site.bing_target(GENERIC_KEYWORD)] = site.utf8_page(site.bing_no_result_page())
    server.script(a)
    return a


def header_of(entry, name):
    values = [v for n, v in entry["headers"] if n.lower() == name.lower()]
    return values[0] if len(values) == 1 else values


def visitor_cookie(n):
    return "SUB=_2A25visitor%d; SUBP=0033WrSXvisitor%d" % (n, n)


def hot_page_requests(log):
    """(method, target, Cookie) of the hot pages' and the visitor service's requests."""
    out = []
    for e in log:
        method, target = e["line"].split(" ")[:2]
        if target in HOT_TARGETS:
            out.append((method, target, header_of(e, "Cookie") if target == site.SUMMARY_TARGET else None))
    return out


@case
def current_profile_pass_with_the_visitor_cookie(server, base, exe):
    current_site(server)
    run = Run(base, "current", exe, server, profile="current")
    log = run.run("--profile=current", "--title=original", "--keep-images", "--images=local")
    entries = server.log()
    expect_eq(hot_page_requests(entries),
              [("GET", site.BOARD_TARGET, None), ("POST", site.VISITOR_TARGET, None),
               ("GET", site.SUMMARY_TARGET, visitor_cookie(0))], "hot pages and the visitor post")
    post = next(e for e in entries if e["line"].startswith("POST "))
    expect_eq(base64.b64decode(post["body_b64"]), site.VISITOR_FORM.encode(), "visitor post body")
    expect_eq(header_of(post, "Content-Type"), "application/x-www-form-urlencoded", "visitor post type")
    summary = next(e for e in entries if site.SUMMARY_TARGET in e["line"])
    expect_eq(header_of(summary, "Referer"), "https://weibo.com/", "summary Referer")
    expect_eq(header_of(summary, "Accept-Language"), "zh-CN,zh;q=0.9", "summary Accept-Language")
    for e in entries:
        target = e["line"].split(" ")[1]
        if target != "/" and not target.startswith("/img/"):  # the date's request is the classic one
            expect("Mozilla/5.0" in header_of(e, "User-Agent"), "browser User-Agent on %s" % e["line"])
        expect(target not in HOT_TARGETS or e["port"] == "https", "over https: %s" % e["line"])

    requests = server.requests()
    expect_eq([t for p, t in requests if t.startswith("/search")],
              [site.bing_target(k) for k in CURRENT_KEYWORDS], "searches (never the advertising row's)")
    expect_eq([(p, t) for p, t in requests if t.startswith(("/a/", "/news/"))], CURRENT_ARTICLES,
              "article requests: links unwrapped, &amp; decoded, the site icon's link passed over")

    expect_eq(run.files(), sorted(CURRENT_FILES + ["pic"]), "article files")
    # The pictures: one protocol-relative, one lazy behind a data: placeholder.
    expect_eq([(p, t) for p, t in requests if t.startswith("/img/")],
              [("http", "/img/lander.png"), ("http", "/img/crater.png")], "picture requests")
    expect_eq(run.read("pic/lander.png"), site.png(60, 40, (150, 150, 160)), "lander.png bytes")
    expect_eq(run.read("pic/crater.png"), site.png(40, 40, (90, 90, 100)), "crater.png bytes")
    expect_eq(run.read("嫦娥七号成功着陆月球南极.txt"), gbk(
        "12月6日20时，嫦娥七号着陆器在月球南极沙克尔顿环形山附近成功着陆。\r\n<img src=\"/pic/lander.png\">\r\n"
        "着陆器携带的7台科学载荷将陆续开机，开展月表环境与水冰勘查。\r\n<img src=\"/pic/crater.png\">\r\n"
        "专家介绍，南极地区光照条件特殊，永久阴影区内可能存有水冰。\r\n【编辑:王小明】"), "article bytes, pictures")
    # The title from the h1 without its tag span; the hidden original title,
    # the "show all" box and the back link gone; blank runs kept as one space
    # between ASCII words only; references decoded.
    expect_eq(run.read("2027届高校毕业生预计达1280万人.txt"), gbk(
        "记者从教育部获悉，2027届高校毕业生规模预计达1280万人，同比增加58万人。\r\n"
        "今年秋季招聘中，AI产品经理与Data Analyst岗位需求增长最快。\r\n"
        "教育部将组织100场线上专场招聘，持续到明年春季。\r\n【编辑:王小明】"), "article bytes")
    expect_eq(run.read("R&B音乐节官宣首批阵容.txt"), gbk(
        "第三届城市R&B音乐节6日公布首批演出阵容，共有十二组音乐人参加。\r\n"
        "音乐节将于明年五月在滨江公园举行，门票12月10日开售。\r\n【编辑:王小明】"), "article bytes, &amp;")
    expect_eq(article_lines(log), ["嫦娥七号成功着陆月球南极====采集完成！", "2027届高校毕业生预计达1280万人====采集完成！",
                                   "R&B音乐节官宣首批阵容====采集完成！"], "article log lines")
    expect_eq(log[-2:], ["本次采集：关键词%d个，保存文章3篇，失败%d篇" % (len(CURRENT_KEYWORDS), len(CURRENT_KEYWORDS) - 3),
                         DONE], "summary")

    # A second pass in the same folder, taking the settings' profile: its first
    # cookie is refused with the visitor page, the renewed one is taken.
    current_site(server, first_valid_pass=1)
    log = run.run("--title=original")
    expect_eq(hot_page_requests(server.log()),
              [("GET", site.BOARD_TARGET, None), ("POST", site.VISITOR_TARGET, None),
               ("GET", site.SUMMARY_TARGET, visitor_cookie(0)), ("POST", site.VISITOR_TARGET, None),
               ("GET", site.SUMMARY_TARGET, visitor_cookie(1))], "second pass: the cookie renewed once")
    expect_eq([t for p, t in server.requests() if t.startswith("/search")],
              [site.bing_target(k) for k in CURRENT_KEYWORDS], "second pass searches")
    expect_eq(len(article_lines(log)), 3, "second pass saves again: %r" % log)
    expect_eq(run.files(), sorted(CURRENT_FILES + ["pic"]), "files after the second pass")

    # A renewed cookie refused as well (HTTP 432): one renewal, one log line,
    # and the pass goes on with the first hot page's keywords.
    current_site(server, first_valid_pass=99, wall_status=432)
    log = run.run("--title=original")
    expect_eq([(m, t) for m, t, _ in hot_page_requests(server.log())],
              [("GET", site.BOARD_TARGET), ("POST", site.VISITOR_TARGET), ("GET", site.SUMMARY_TARGET),
               ("POST", site.VISITOR_TARGET), ("GET", site.SUMMARY_TARGET)], "refused pass: one renewal")
    expect("微博热搜 地址1失败（访客验证页）：%s/top/summary" % server.https_base.split("://")[1] in log,
           "visitor page named: %r" % log)
    expect_eq([t for p, t in server.requests() if t.startswith("/search")],
              [site.bing_target(k) for k in BOARD_WORDS],
              "refused pass searches the first hot page's keywords")


@case
def general_extractor_only_where_the_profile_allows(server, base, exe):
    a = current_site(server, generic=True)
    run = Run(base, "fallback-current", exe, server, profile="current")
    log = run.run("--title=original")
    title = "旧城改造新规出台：居民意见纳入方案审批"
    expect_eq(run.files(), sorted(CURRENT_FILES + [title + ".txt"]), "current writes the page (log %r)" % log)
    text = run.read(title + ".txt").decode("gbk")
    for kept in ("市住房和城乡建设局6日发布旧城改造新规", "相关负责人表示，新规将于明年一月一日起施行"):
        expect(kept in text, "the article keeps %r: %r" % (kept, text))
    for dropped in ("首页", "热门推荐", "相关阅读", "网友评论", "希望早日落实", "版权所有"):
        expect(dropped not in text, "the article drops %r: %r" % (dropped, text))
    expect(title + "====采集完成！" in log, "logged: %r" % log)

    # The same page through classic's hot list and search; the command line's
    # profile wins over the settings'.
    a.update(hot_pages([GENERIC_KEYWORD]))
    a[site.search_target(GENERIC_KEYWORD)] = site.utf8_page(site.result_page(server.http_base + GENERIC_PAGE))
    server.script(a)
    run = Run(base, "fallback-classic", exe, server, more_settings="[sources]\r\nprofile=current\r\n")
    log = run.run("--profile=classic", "--title=original")
    expect(("http", GENERIC_PAGE) in server.requests(), "classic fetched the page")
    expect_eq(run.files(), [], "classic writes no article of unknown layout (log %r)" % log)

    server.script(a)
    run = Run(base, "fallback-off", exe, server, profile="current", more_settings="[article]\r\nfallback=off\r\n")
    log = run.run("--title=original")
    expect(("http", GENERIC_PAGE) in server.requests(), "current fetched the page")
    expect_eq(run.files(), CURRENT_FILES, "fallback=off writes only the known layouts (log %r)" % log)


@case
def classic_hint_when_both_hot_pages_are_empty(server, base, exe):
    server.script(hot_pages([]))
    log = Run(base, "hint", exe, server).run()
    expect("提示：两个热点页面都没有关键词，网站可能已改版。可在 settings.ini 的 [sources] 中设置 profile=current，"
           "或用命令行 --profile=current" in log, "the hint names the setting: %r" % log)
    server.script(dict(DATE_ANSWER, **{site.BOARD_TARGET: site.answer(b'{"data":{"cards":[]}}', "application/json")}))
    log = Run(base, "no-hint", exe, server, profile="current").run()
    expect(not any(line.startswith("提示：") for line in log), "no hint with current: %r" % log)


# --- through a proxy ----------------------------------------------------------------

PROXY_KEYWORD = "嫦娥七号成功着陆月球南极"


def real_site_answers():
    """Today's sites under their real names, as the test proxy stands in for
    them: the date, the hot board, a Bing result on www.sohu.com, the
    article and its picture on the site's image host. Everything else (the
    hot search, other engines, other keywords) is not scripted."""
    article = "https://www.sohu.com/a/500101_120"
    page = site.article_today(PROXY_KEYWORD, (
        "<p>12月6日20时，嫦娥七号着陆器在月球南极沙克尔顿环形山附近成功着陆。</p> \n"
        '<p><img src="//p1.itc.cn/lander.png" alt="着陆器"></p> \n'
        "<p>着陆器携带的科学载荷将陆续开机，开展月表环境与水冰勘查。</p> \n"))
    return {
        "www.baidu.com/": DATE_ANSWER["/"],
        "top.baidu.com" + site.BOARD_TARGET: site.answer(
            site.board_json([PROXY_KEYWORD], "冬至吃饺子还是汤圆").encode("utf-8"), "application/json"),
        "cn.bing.com" + site.bing_target(PROXY_KEYWORD, "www.sohu.com"): site.utf8_page(
            site.bing_result_page(PROXY_KEYWORD, site.bing_link(article), PROXY_KEYWORD)),
        "cn.bing.com/search": site.utf8_page(site.bing_no_result_page()),
        "www.sohu.com/a/500101_120": site.utf8_page(page),
        "p1.itc.cn/lander.png": site.answer(site.png(60, 40, (150, 150, 160)), "image/png"),
    }
# Today's sites under their real names, as the proxy stands in for them.
REAL_NEWS_SITE = "www.sohu.com"
NEWS = "http://" + REAL_NEWS_SITE
REAL_HOSTS = {"/": "www.baidu.com", site.BOARD_TARGET: "top.baidu.com",
              site.VISITOR_TARGET: "passport.weibo.com", site.SUMMARY_TARGET: "s.weibo.com"}


def real_host_answers(answers):
    """The demo's answers keyed by the real host each one stands for; the
    articles answer for any host (the results link to www.sohu.com), the
    pictures stay on 127.0.0.1."""
    out = {}
    for key, value in answers.items():
        if key in REAL_HOSTS:
            out[REAL_HOSTS[key] + key] = value
        elif key.startswith("/search"):
            out["cn.bing.com" + key.replace("site%3A" + site.NEWS_SITE, "site%3Awww.sohu.com")] = value
        else:
            out[key] = value
    return out


# The default profile against its real addresses, settings.ini holding only
# the proxy: every request of the pass goes through it, by each client.
@case
def current_profile_through_the_proxy(server, base, exe):
    server.script(real_site_answers())
    run = Run(base, "proxy", exe, server, settings="[network]\r\nproxy=127.0.0.1:%d\r\n" % server.proxy)
    log = run.run("--profile=current", "--title=original", "--keep-images", "--images=local")
    expect_eq(log[0], "已读取设置文件 %s\\settings.ini" % windows_path(run.dir), "first log line")
    entries = server.log()
    expect_eq([e["line"] for e in entries if e["port"] not in ("proxy", "tunnel")], [], "nothing direct")
    seen = [(e["host"], e["line"].split(" ")[0]) for e in entries]
    # The date by the COM object; hot list, visitor and searches by WinHTTP;
    # the article and its picture by WinInet; https always by CONNECT.
    for host, method in [("www.baidu.com", "HEAD"), ("top.baidu.com", "CONNECT"), ("top.baidu.com", "GET"),
                         ("passport.weibo.com", "CONNECT"), ("passport.weibo.com", "POST"),
                         ("cn.bing.com", "CONNECT"), ("cn.bing.com", "GET"), ("www.sohu.com", "CONNECT"),
                         ("www.sohu.com", "GET"), ("p1.itc.cn", "CONNECT"), ("p1.itc.cn", "GET")]:
        expect((host, method) in seen, "%s %s through the proxy: %r" % (method, host, seen))
    expect_eq(run.files(), sorted([PROXY_KEYWORD + ".txt", "pic"]), "article files (log %r)" % log)
    expect_eq(run.read("pic/lander.png"), site.png(60, 40, (150, 150, 160)), "picture bytes")


# The browser-saved sohu page turned back into the form its server sends: the
# body picture's address encrypted into data-src, with no src.
SOHU_CAPTURE = os.path.join(ROOT, "tests", "sources", "captures", "articles", "sohu_780060546_458722_2024-05.html")
SOHU_TITLE = "悲壮！布伦森遭遇左手骨折 第三节受伤提前离场"
SOHU_PICTURE = "//q6.itc.cn/q_70/images01/20240520/68c32a9ebb35432f89f422df63c01004.jpeg"


def served_sohu_page():
    saved = open(SOHU_CAPTURE, encoding="utf-8").read()
    tag = '<img max-width="600" src="%s">' % SOHU_PICTURE
    expect(saved.count(tag) == 1, "the capture's body picture")
    return saved.replace(tag, '<img max-width="600" data-src="%s">' % site.encrypted_address(SOHU_PICTURE))


# A sohu article as served, through the proxy under the real host names and
# with settings.ini holding only the proxy: the picture is fetched from its
# decrypted address and the article points at the local copy; nothing is
# ever asked for at the ciphertext.
@case
def sohu_encrypted_pictures_through_the_proxy(server, base, exe):
    article = "https://www.sohu.com/a/780060546_458722"
    picture = site.png(64, 48, (40, 90, 160))
    page = served_sohu_page()
    cipher = site.encrypted_address(SOHU_PICTURE)
    server.script({
        "www.baidu.com/": DATE_ANSWER["/"],
        "top.baidu.com" + site.BOARD_TARGET: site.answer(
            site.board_json([SOHU_TITLE], "冬至吃饺子还是汤圆").encode("utf-8"), "application/json"),
        "cn.bing.com" + site.bing_target(SOHU_TITLE, "www.sohu.com"): site.utf8_page(
            site.bing_result_page(SOHU_TITLE, site.bing_link(article), SOHU_TITLE)),
        "cn.bing.com/search": site.utf8_page(site.bing_no_result_page()),
        "www.sohu.com/a/780060546_458722": site.answer(page.encode("utf-8"), "text/html; charset=utf-8"),
        "q6.itc.cn" + SOHU_PICTURE[len("//q6.itc.cn"):]: site.answer(picture, "image/jpeg"),
    })
    run = Run(base, "sohu-pictures", exe, server, settings="[network]\r\nproxy=127.0.0.1:%d\r\n" % server.proxy)
    log = run.run("--title=original", "--keep-images", "--images=local")
    entries = server.log()
    lines = [(e["host"], e["line"]) for e in entries]
    expect(("q6.itc.cn", "GET " + SOHU_PICTURE[len("//q6.itc.cn"):] + " HTTP/1.1") in lines,
           "the picture from its decrypted address: %r" % lines)
    for e in entries:
        expect(cipher not in e["line"] and cipher[:20] not in e["line"] and
               urllib.parse.quote(cipher, safe="")[:20] not in e["line"], "asked at a ciphertext: %r" % e["line"])
    name = "68c32a9ebb35432f89f422df63c01004.jpeg"
    expect_eq(run.files(), sorted([SOHU_TITLE + ".txt", "pic"]), "article files (log %r)" % log)
    expect_eq(run.read("pic/" + name), picture, "picture bytes")
    text = run.read(SOHU_TITLE + ".txt").decode("gbk")
    expect_eq(text.count("<img "), 1, "one picture in the article: %r" % text)
    expect('<img src="/pic/%s">' % name in text, "the article points at the local copy: %r" % text)
    expect(SOHU_TITLE + "====采集完成！" in log, "article log line: %r" % log)


def sogou_page(hits):
    """Sogou's web results: the target of each block in its data-url."""
    blocks = "".join(
        '<div class="vrwrap" id="sogou_vr_30000000_wrap_%d"><h3 class="vr-title"><a name="dttl" '
        'href="/link?url=opaque%d">%s</a></h3><div class="fz-mid space-txt">%s</div>'
        '<div class="r-sech" style="display:none" data-url="%s"></div></div>' % (i, i, title, snippet, link)
        for i, (link, title, snippet) in enumerate(hits))
    return "<!DOCTYPE html><html><head><title>搜狗搜索</title></head><body>%s</body></html>" % blocks


def sogou_key(keyword):
    return "www.sogou.com/web?query=site%3A" + REAL_NEWS_SITE + "+" + site.percent_encoded(keyword)


BING_CHALLENGE = ('<!DOCTYPE html><html><head><title>q - Search</title></head><body>'
                  '<div class="captcha_header">One last step</div><div id="turnstile-widget"></div>'
                  '<script>var CfConfig={verify:"/challenge/verify?partner=x"};</script></body></html>')


@case
def engines_in_turn_through_the_proxy(server, base, exe):
    """Only the proxy in settings.ini: Bing answers the first search with its
    challenge and rests; Sogou is asked for the same keyword, its first result
    off the site is passed over; a result about something else is logged with
    its reason; every other keyword gets its reason line too."""
    first, second = site.BOARD_KEYWORDS[0], site.BOARD_KEYWORDS[1]
    a = dict(DATE_ANSWER)
    a.update(site.current_answers(server.http, server.https, 0, news=NEWS))
    a = real_host_answers(a)
    a["cn.bing.com/search"] = site.utf8_page(BING_CHALLENGE)
    for key in [k for k in a if k.startswith("cn.bing.com/search?")]:
        del a[key]
    a[sogou_key(first)] = site.utf8_page(sogou_page([
        ("https://m.other-news.cn/a/500101_120", first, "转载"),
        (NEWS + "/a/500101_120", "嫦娥七号成功着陆月球南极", first + " 着陆器在月球南极成功着陆")]))
    a[sogou_key(second)] = site.utf8_page(sogou_page([
        (NEWS + "/a/500109_130", "2026年_百度百科", "2026年是星期四开始的平年")]))
    server.script(a)
    run = Run(base, "engines", exe, server, settings="[network]\r\nproxy=127.0.0.1:%d\r\n" % server.proxy)
    log = run.run("--title=original")
    expect_eq([line for line in log if line.startswith("搜索引擎要求验证")], ["搜索引擎要求验证：必应，本次不再使用"],
              "one verification line, naming the engine")
    entries = server.log()
    gets = [(e["host"], e["line"].split(" ")[1]) for e in entries if e["line"].startswith("GET ")]
    expect_eq(len([h for h, _ in gets if h == "cn.bing.com"]), 1, "Bing asked once, then it rests: %r" % gets)
    expect(any(h == "www.sogou.com" and site.percent_encoded(first) in t for h, t in gets),
           "Sogou asked for the same keyword: %r" % gets)
    lines = [e["line"] for e in entries if e["port"] == "proxy"]
    expect(not any("other-news" in l for l in lines), "the off-site result is not fetched: %r" % lines)
    expect(not any("500109_130" in l for l in lines), "the unrelated result is not fetched: %r" % lines)
    expect_eq(run.files(), ["嫦娥七号成功着陆月球南极.txt"], "the article Sogou found")
    expect("未采集“%s”：搜索结果与关键词无关" % second in log, "the unrelated page's reason: %r" % log)
    missed = [line for line in log if line.startswith("未采集")]
    expect_eq(len(missed), len(CURRENT_KEYWORDS) - 1, "a reason line for every other keyword: %r" % log)
    expect_eq(log[-2:], ["本次采集：关键词%d个，保存文章1篇，失败%d篇" % (len(CURRENT_KEYWORDS), len(CURRENT_KEYWORDS) - 1),
                         DONE], "summary as before")


MOBILE_CAPTURE = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "sources", "captures",
                              "weibo_mweibocn_container_realtimehot_2025-09-14.json")
MOBILE_TARGET = ("/api/container/getIndex?containerid=106003type%3D25%26t%3D3%26disable_hot%3D1"
                 "%26filter_type%3Drealtimehot")


@case
def hot_search_falls_back_to_the_mobile_api_through_the_proxy(server, base, exe):
    """Only the proxy in settings.ini: the microblog's summary page answers the
    visitor page to both cookies, its side list 403, and its mobile API the
    captured answer to a request with the visitor cookie. The keywords come
    from the capture, in order; the log names the failed addresses and the one
    used, and ends with each source's health. Every engine asks for
    verification, so the pass ends without waiting between searches."""
    with open(MOBILE_CAPTURE, "rb") as f:
        capture = f.read()
    words = [row["desc"] for row in json.loads(capture)["data"]["cards"][0]["card_group"]]
    service, gate = site.visitor_answers(0)
    wall = site.answer(site.visitor_wall().encode("gb2312"), "text/html; charset=gb2312")
    a = {
        "www.baidu.com/": DATE_ANSWER["/"],
        "top.baidu.com" + site.BOARD_TARGET: site.answer(b'{"data":{"cards":[]}}', "application/json"),
        "passport.weibo.com" + site.VISITOR_TARGET: service,
        "s.weibo.com" + site.SUMMARY_TARGET: wall,
        "weibo.com/ajax/side/hotSearch": {"status": 403, "body": "Forbidden"},
        "m.weibo.cn" + MOBILE_TARGET: dict(site.answer(capture, "application/json; charset=utf-8"),
                                           visitor_gate=gate),
        "cn.bing.com/search": site.utf8_page(BING_CHALLENGE),
        "www.sogou.com/web": {"status": 302, "redirect": "http://www.sogou.com/antispider/?from=%2Fweb"},
        "www.so.com/s": site.utf8_page("<html><head><title>访问异常页面</title></head><body></body></html>"),
    }
    server.script(a)
    run = Run(base, "hot-fallback", exe, server, settings="[network]\r\nproxy=127.0.0.1:%d\r\n" % server.proxy)
    log = run.run()
    entries = server.log()
    hot = [(e["host"], e["line"].split(" ")[0], header_of(e, "Cookie") or None) for e in entries
           if e["host"] in ("s.weibo.com", "weibo.com", "m.weibo.cn", "passport.weibo.com")
           and not e["line"].startswith("CONNECT")]
    expect_eq(hot, [("passport.weibo.com", "POST", None), ("s.weibo.com", "GET", visitor_cookie(0)),
                    ("passport.weibo.com", "POST", None), ("s.weibo.com", "GET", visitor_cookie(1)),
                    ("weibo.com", "GET", None), ("m.weibo.cn", "GET", visitor_cookie(1))],
              "the microblog's addresses in turn, the side list without the cookie")
    side = next(e for e in entries if e["host"] == "weibo.com" and e["line"].startswith("GET"))
    expect_eq(header_of(side, "Referer"), "https://weibo.com/", "the side list's Referer")
    searched = [line[len("未采集“"):line.index("”")] for line in log if line.startswith("未采集“")]
    expect_eq(searched, words, "the capture's keywords, in order")
    expect_eq(len(words), 51, "the first card's rows")
    for line in ["百度热搜 地址1失败（无关键词）：top.baidu.com/api/board",
                 "百度热搜 地址2失败（状态404）：top.baidu.com/board",
                 "微博热搜 地址1失败（访客验证页）：s.weibo.com/top/summary",
                 "微博热搜 地址2失败（状态403）：weibo.com/ajax/side/hotSearch",
                 "微博热搜改用地址3：m.weibo.cn/api/container/getIndex"]:
        expect(line in log, "%s in the log: %r" % (line, log[:12]))
    expect_eq(log[-10:], ["热点榜 百度热搜：没有关键词（所有地址都失败）", "热点榜 微博热搜：关键词51个（地址3）",
                          "搜索引擎 必应：搜索1次，验证页1次，失败0次", "搜索引擎 搜狗：搜索1次，验证页1次，失败0次",
                          "搜索引擎 360搜索：搜索1次，验证页1次，失败0次", "网站 www.sohu.com：保存文章0篇",
                          "网站 www.163.com：保存文章0篇", "网站 news.qq.com：保存文章0篇",
                          "本次采集：关键词51个，保存文章0篇，失败51篇", DONE], "the health lines before the summary")


# Under Wine WinHTTP names no reason for a refused certificate.
BING_REFUSED = "证书无效，未连接：cn.bing.com（安全连接失败，系统未说明原因）"
CERTIFICATES_IGNORED = ("注意：证书检查已关闭（settings.ini [network] certificates=ignore），无法确认服务器身份，"
                        "网络上的任何人都可能冒充网站")


def untrusted_bing_site(server):
    """The real sites through the proxy, Bing's certificate from a CA nobody
    trusts; Sogou finds the article Bing would have."""
    a = real_site_answers()
    a[sogou_key(PROXY_KEYWORD)] = site.utf8_page(sogou_page([
        ("https://www.sohu.com/a/500101_120", PROXY_KEYWORD, PROXY_KEYWORD + " 着陆器在月球南极成功着陆")]))
    server.script(a)
    server.call("/__untrusted_hosts", json.dumps(["cn.bing.com"]).encode())


@case
def untrusted_engine_certificate_is_refused_and_the_next_engine_asked(server, base, exe):
    untrusted_bing_site(server)
    run = Run(base, "untrusted-bing", exe, server, settings="[network]\r\nproxy=127.0.0.1:%d\r\n" % server.proxy)
    log = run.run("--title=original", "--keep-images", "--images=local")
    expect_eq([line for line in log if line.startswith("证书")], [BING_REFUSED], "one line for Bing, once: %r" % log)
    expect(CERTIFICATES_IGNORED not in log, "checking is on: %r" % log)
    entries = server.log()
    expect_eq([e["line"] for e in entries if e["host"] == "cn.bing.com" and e["port"] == "tunnel"], [],
              "nothing sent to the untrusted Bing")
    expect(any(e["host"] == "www.sogou.com" and e["port"] == "tunnel" for e in entries), "Sogou asked instead")
    expect_eq(run.files(), sorted([PROXY_KEYWORD + ".txt", "pic"]), "the article saved (log %r)" % log)
    expect_eq(run.read("pic/lander.png"), site.png(60, 40, (150, 150, 160)), "its picture")


@case
def certificates_ignore_gets_through_with_its_warning_line(server, base, exe):
    untrusted_bing_site(server)
    settings = "[network]\r\nproxy=127.0.0.1:%d\r\ncertificates=ignore\r\n" % server.proxy
    run = Run(base, "ignore-certificates", exe, server, settings=settings)
    log = run.run("--title=original")
    expect_eq(log[1], CERTIFICATES_IGNORED, "the warning among the first lines: %r" % log[:3])
    expect_eq(log.count(CERTIFICATES_IGNORED), 1, "said once")
    expect_eq([line for line in log if line.startswith("证书无效")], [], "nothing refused")
    gets = [e["line"] for e in server.log() if e["host"] == "cn.bing.com" and e["port"] == "tunnel"]
    expect(gets, "the untrusted Bing asked")
    expect_eq(run.files(), [PROXY_KEYWORD + ".txt"], "the article saved (log %r)" % log)


@case
def bad_proxy_is_a_settings_line_and_the_pass_goes_direct(server, base, exe):
    server.script(dict(DATE_ANSWER))
    hosts = site.settings_ini(server.http, server.https)
    settings = hosts + "[network]\r\nproxy=proxy.invalid\r\n"
    log = Run(base, "bad-proxy", exe, server, settings=settings).run()
    line = hosts.count("\r\n") + 2
    expect("settings.ini 第%d行的代理 proxy.invalid 无效（应为 主机:端口），使用默认值" % line in log,
           "settings line: %r" % log)
    expect_eq(server.requests()[0], ("http", "/"), "the date asked directly")
    expect_eq([p for p, _ in server.requests() if p == "proxy"], [], "nothing through a proxy")
    expect_eq(log[-1], DONE, "the pass ends")


@case
def hidden_extension_named_and_proxy_from_the_command_line(server, base, exe):
    server.script(real_site_answers())
    run = Run(base, "txt-twin", exe, server, settings="[network]\r\nproxy=127.0.0.1:1\r\n")
    os.rename(os.path.join(run.dir, "settings.ini"), os.path.join(run.dir, "settings.ini.txt"))
    log = run.run("--profile=current", "--proxy=127.0.0.1:%d" % server.proxy)
    path = windows_path(run.dir) + "\\settings.ini"
    expect(log[0].startswith("未找到设置文件 %s，但找到了 %s.txt" % (path, path)), "first line: %r" % log[:2])
    entries = server.log()
    expect(entries and all(e["port"] in ("proxy", "tunnel") for e in entries),
           "every request through the proxy: %r" % [(e["port"], e["line"]) for e in entries])
    expect(entries[0]["line"].split(" ")[:2] in (["HEAD", "http://www.baidu.com/"], ["HEAD", "http://www.baidu.com:80/"]),
           "the date first: %r" % entries[0]["line"])
    expect_eq(log[-1], DONE, "the pass ends")


# --- the other news sites ----------------------------------------------------------

ARTICLES = os.path.join(ROOT, "tests", "sources", "captures", "articles")
WANGYI_KEYWORD = "租户停车要交资源占用费"
TENCENT_KEYWORD = "汽车直播拍到女主播裙底"
WANGYI_ARTICLE = "https://www.163.com/dy/article/J22CN60P0514R9KQ.html"
TENCENT_ARTICLE = "https://new.qq.com/rain/a/20240518A060RN00"


def capture_answer(name):
    with open(os.path.join(ARTICLES, name), "rb") as f:
        return site.answer(f.read(), "text/html; charset=utf-8")


@case
def articles_of_163_and_tencent_through_the_proxy(server, base, exe):
    """Only the proxy in settings.ini, today's sites under their real names and
    the article pages as saved in 2024. Bing honours site: for the first
    keyword (nothing on www.sohu.com), so the next site's search finds its only
    result, on 163; for the second it ignores site: and its answer to the sohu
    search holds a Tencent article on Tencent's other host, taken without a
    second search. Both are saved with their pictures (163's behind its image
    service's wrapper, Tencent's without an extension)."""
    png = site.png(30, 20, (120, 130, 140))
    a = {
        "www.baidu.com/": DATE_ANSWER["/"],
        "top.baidu.com" + site.BOARD_TARGET: site.answer(
            site.board_json([WANGYI_KEYWORD, TENCENT_KEYWORD], "冬至吃饺子还是汤圆").encode("utf-8"),
            "application/json"),
        "cn.bing.com" + site.bing_target(WANGYI_KEYWORD, "www.sohu.com"): site.utf8_page(site.bing_no_result_page()),
        "cn.bing.com" + site.bing_target(WANGYI_KEYWORD, "www.163.com"): site.utf8_page(site.bing_result_page(
            WANGYI_KEYWORD, WANGYI_ARTICLE, "租户将车停自家院子要交“资源占用费”？村民打“12345”讨说法")),
        "cn.bing.com" + site.bing_target(TENCENT_KEYWORD, "www.sohu.com"): site.utf8_page(site.bing_result_page(
            TENCENT_KEYWORD, site.bing_link(TENCENT_ARTICLE), "汽车品牌直播拍到女主播裙底，涉事账号被无限期封禁！")),
        "cn.bing.com/search": site.utf8_page(site.bing_no_result_page()),
        "www.163.com/dy/article/J22CN60P0514R9KQ.html": capture_answer("163_J22CN60P0514R9KQ_2024-05.html"),
        "new.qq.com/rain/a/20240518A060RN00": capture_answer("qq_20240518A060RN00_2024-05.html"),
        "nimg.ws.126.net/": site.answer(png, "image/png"),
        "inews.gtimg.com/news_bt/O17myyyy7by81mr_MpQnW82DtOGJ7V8SkvBSiY_gtVrukAA/641": site.answer(png, "image/png"),
    }
    server.script(a)
    run = Run(base, "other-sites", exe, server, settings="[network]\r\nproxy=127.0.0.1:%d\r\n" % server.proxy)
    log = run.run("--title=original", "--keep-images", "--images=local")
    gets = [(e["host"], e["line"].split(" ")[1]) for e in server.log() if e["line"].startswith("GET ")]
    searches = {k: [t[t.index("/search"):] for h, t in gets if h == "cn.bing.com" and site.percent_encoded(k) in t]
                for k in (WANGYI_KEYWORD, TENCENT_KEYWORD)}
    expect_eq(searches[WANGYI_KEYWORD], [site.bing_target(WANGYI_KEYWORD, "www.sohu.com"),
                                         site.bing_target(WANGYI_KEYWORD, "www.163.com")],
              "163: the sohu search had nothing, the next site's search found it")
    expect_eq(searches[TENCENT_KEYWORD], [site.bing_target(TENCENT_KEYWORD, "www.sohu.com")],
              "Tencent: found in the answer to the sohu search, no second search")
    expect(not any(h == "www.sohu.com" for h, _ in gets), "nothing asked of sohu: %r" % gets)
    wangyi = "租户将车停自家院子要交“资源占用费”？村民打“12345”讨说法"
    tencent = "汽车品牌直播拍到女主播裙底，涉事账号被无限期封禁！"
    expect_eq(article_lines(log), [wangyi + "====采集完成！", tencent + "====采集完成！"], "log: %r" % log)
    pictures = ["2467a110p00sdeiqw006kc000m400duc.png", "afa72314p00sdeioz003cc0009800ewc.png",
                "d1ef0e65j00sdegbm000yd000be008jg.jpg", "O17myyyy7by81mr_MpQnW82DtOGJ7V8SkvBSiY_gtVrukAA_641.png"]
    expect_eq(run.files(), sorted([wangyi + ".txt", tencent + ".txt", "pic"]), "article files")
    expect_eq(run.files("pic"), sorted(pictures), "pictures named after the inner address, with an extension")
    lines = run.read(wangyi + ".txt").decode("gbk").split("\r\n")
    expect_eq(lines[0], "“一闸之隔，进入道闸里面每月要收150元，外面不收费，车子就都停在外面的小树林了。”近来，"
              "一则短视频引起了不少网友的关注。视频里介绍的，是上海部分农村地区试点探索物业管理新模式后，引发的一系列新矛盾。",
              "163's first paragraph")
    expect_eq(lines[-1], "编辑/倪家宁", "163's last paragraph")
    expect_eq(sum(l.count("<img src=\"/pic/") for l in lines), 3, "163's three pictures")
    lines = run.read(tencent + ".txt").decode("gbk").split("\r\n")
    expect(lines[0].startswith("近日，捷途汽车一门店直播时出现女主播裙底的不雅画面"), "Tencent's first line: %r" % lines[:2])
    expect_eq(lines[-1], "来源|综合抖音黑板报、南方都市报", "Tencent's last paragraph")
    expect(any("<img src=\"/pic/%s\">" % pictures[3] in l for l in lines), "Tencent's picture: %r" % lines)
    for picture in pictures:
        expect_eq(run.read("pic/" + picture), png, "picture bytes of " + picture)


# --- the runner ------------------------------------------------------------------

def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--exe", required=True)
    parser.add_argument("--results")
    parser.add_argument("--work", default=None, help="where the run directories go")
    parser.add_argument("-k", default="", help="only cases whose name contains this")
    args = parser.parse_args()
    if not os.environ.get("DISPLAY"):
        print("e2e: no DISPLAY; run through ./test, which starts Xvfb and the wineserver")
        return 1
    base = args.work or os.path.join(os.path.dirname(os.path.abspath(args.exe)), "e2e-runs")
    os.makedirs(base, exist_ok=True)
    server = Server()
    results = []
    try:
        for function in CASES:
            if args.k not in function.__name__:
                continue
            start = time.time()
            try:
                function(server, base, args.exe)
                error = None
            except Failure as e:
                error = str(e)
            except Exception:  # a crash of the harness counts as a failure of the case
                error = traceback.format_exc()
            results.append((function.__name__, error, time.time() - start))
            print("[%s] %s%s" % ("  OK  " if error is None else "FAILED", function.__name__,
                                 "" if error is None else "\n" + error), flush=True)
    finally:
        server.stop()
    failed = sum(1 for _, e, _ in results if e)
    print("%d passed, %d failed" % (len(results) - failed, failed))
    if args.results:
        os.makedirs(os.path.dirname(os.path.abspath(args.results)), exist_ok=True)
        with open(args.results, "w", encoding="utf-8") as f:
            f.write('<?xml version="1.0" encoding="UTF-8"?>\n')
            f.write('<testsuites tests="%d" failures="%d" disabled="0" errors="0" name="e2e">\n'
                    % (len(results), failed))
            f.write('  <testsuite name="e2e" tests="%d" failures="%d" disabled="0" errors="0">\n'
                    % (len(results), failed))
            for name, error, seconds in results:
                f.write('    <testcase name="%s" time="%.1f"%s\n' % (name, seconds, "/>" if error is None else ">"))
                if error is not None:
                    f.write("      <failure message=%s/>\n    </testcase>\n" % quoteattr(error))
            f.write("  </testsuite>\n</testsuites>\n")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
