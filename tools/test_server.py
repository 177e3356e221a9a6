#!/usr/bin/env python3
"""Loopback test server of the project: scripted HTTP and HTTPS answers, a
forward proxy, and a record of every request. 127.0.0.1 only, free ports.

Start
    python3 tools/test_server.py [--ports-file FILE] [--site DIR]
prints one line of JSON (and writes it to FILE when given), then serves until
killed or until POST /__quit:
    {"http": 40001, "https": 40002, "proxy": 40003, "cert": "/tmp/.../cert.pem",
     "proxy_ca": "...", "bad_tls": {"untrusted": 40004, ...}}
Certificates come from the test CA (tools/test_ca.py) in $HOT_TEST_CA (else
$WINEPREFIX/hotarticles-test-ca), which tools/common.sh makes and trusts in
the Wine prefix; without one the server makes a CA of its own that nothing
trusts. The HTTPS port answers each host name the client asks for (SNI)
with a certificate for that name, and a client that names none (an address)
with the one for "localhost" (SAN also 127.0.0.1); the intermediate is sent
along.
The "bad_tls" ports answer like the HTTPS port, each with one fault in its
certificate for "localhost", so that a client that checks certificates must
refuse them (each on its own port: a client may remember a server it has
accepted):
    untrusted   signed by a CA that nobody trusts
    wrong_name  made for "wrong-name.test" only
    expired     no longer valid
    no_chain    the intermediate is not sent
    switch      a good certificate until POST /__switch_cert, then one signed
                by the untrusted CA (a bad certificate after a good one on
                the same port); every answer there closes its connection. tools/with-test-server starts the server, runs a
command with HOT_TEST_SERVER=127.0.0.1:<http>, HOT_TEST_SERVER_HTTPS=
127.0.0.1:<https>, HOT_TEST_PROXY=127.0.0.1:<proxy> in its environment (Unix
variables reach Windows programs under Wine), and stops the server again.

Control endpoints (on the HTTP port, never recorded)
    POST /__script   JSON object {path: answer, ...}; adds or replaces answers.
                     The key is the request target without scheme and host
                     ("/a?x=1"); a target with a query that has no answer of
                     its own falls back to its path ("/a").
    POST /__reset    forgets every answer and every recorded request.
    GET  /__log      JSON list of the recorded requests, oldest first:
                     {"port": "http"|"https"|"proxy", "line": request line,
                      "headers": [[name, value], ...] in order, "head": the raw
                      request head (latin-1), "body_b64": base64 of the body,
                      "sent": body bytes written, "complete": whole body sent}
    GET  /__request?n=K  the raw bytes of request K (0-based; -1 = the last),
                     head and body exactly as received.
    GET  /__count    the number of recorded requests, as decimal text.
    GET  /__cert     the HTTPS port's certificate for "localhost", DER.
    GET  /__proxy_ca the root of the test CA, DER.
    POST /__switch_cert  the "switch" port's certificate turns bad (body
                     "good": good again).
    POST /__untrusted_hosts  JSON list of stand-in hosts (see the proxy).
    POST /__quit     stops the server.

An answer (every key optional)
    status   int, default 200          reason   text, default from the status
    headers  [[name, value], ...] sent in order (several Set-Cookie allowed)
    body     text (UTF-8 encoded)      body_b64 bytes, base64
    body_size N: N bytes of numbered lines "00000000\n00000001\n..." (cut at N)
    body_file path of a file to send
    chunked  true: Transfer-Encoding chunked, chunks of chunk_size (default 64 KiB)
    chunk_size, chunk_delay: bytes per write and seconds slept after each write
    delay    seconds slept before the status line
    drop_after N: close the connection after N body bytes (Content-Length
             still announces the whole body)
    close    true: read the request and close the connection at once
    silent   true: read the request, never answer; hold the connection until
             the client goes away (at most 600 s)
    header_pad N: add "X-Pad-k" lines until the header block is about N bytes
    redirect URL: status 302 (unless given) and a Location line
    auth     "user:password": 401 with WWW-Authenticate Basic unless the
             request carries that Authorization
    proxy_auth "user:password": through the proxy port, 407 with
             Proxy-Authenticate Basic unless Proxy-Authorization matches
    visitor_service {"form": BODY, "callback": NAME}: the microblog's visitor
             service. A POST of exactly BODY as application/x-www-form-urlencoded
             is given visitor pass N (0, 1, ... since the start or /__reset):
             NAME({"retcode":20000000,"msg":"succ","data":{"sub":S,"subp":P}})
             with S = "_2A25visitor<N>", P = "0033WrSXvisitor<N>", and the same
             as Set-Cookie SUB and SUBP. Anything else gets 400 and retcode 50111.
    visitor_gate {"from": K, "wall": ANSWER}: the answer is given only to a
             request whose Cookie carries SUB and SUBP of one pass numbered K or
             later; any other request gets ANSWER (the visitor page). A K above
             the passes issued so far makes the passes held by a client stale.
A request without an answer gets 404 with the body "not scripted".

The proxy port: a forward proxy that stands in for real sites
    A plain request (absolute URL in the request line, "GET http://host/p")
    and a CONNECT to any host but 127.0.0.1/localhost are answered here, as
    that host: the program can be run against its real addresses
    (https://cn.bing.com/..., http://www.baidu.com/) with settings.ini
    holding only "[network] proxy=127.0.0.1:<proxy port>". A CONNECT is
    answered "200 Connection established" and the TLS inside is ended here
    with a certificate for the host named, signed by the test CA. POST
    /__untrusted_hosts with a JSON list of host names makes the certificates
    of those hosts come from the untrusted CA instead (until /__reset). The
    requests inside the tunnel are recorded with port "tunnel". A CONNECT to
    127.0.0.1 or localhost is tunnelled to that port for real.
    Every recorded request also carries "host": the host (and :port when
    not the default) it was meant for; "" for requests to our own ports.
    Answers for a host: a script keyed "host/path?query" or "host/path" wins
    over the plain "/path?query" and "/path"; then files: with --hosts DIR,
    DIR/<host>/<path> (DIR/<host>/<dir>/index.html for a folder), then
    --site DIR/<path>.
    Example (the default profile through the proxy):
        tools/with-test-server --hosts my-pages ./my-test
    where my-test writes settings.ini with "[network]\r\nproxy=$HOT_TEST_PROXY",
    scripts "cn.bing.com/search" (for instance {"body_file": ".../serp.html"})
    through POST /__script, runs the program, and reads /__log (entries with
    "host": "cn.bing.com", "port": "tunnel").
With --site DIR, files under DIR are answered for paths without a script
(a demo site), with a content type guessed from the name.
"""

import argparse
import base64
import json
import mimetypes
import os
import select
import shutil
import socket
import socketserver
import ssl
import subprocess
import sys
import tempfile
import threading
import time
from http import HTTPStatus

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import test_ca  # noqa: E402

LOCK = threading.Lock()
SCRIPTS = {}
LOG = []
SITE = None
HOSTS_DIR = None
CERT_DER = b""
CA_LOCK = threading.Lock()  # one certificate made at a time
CA = {}  # the test CA (see test_ca.ensure_ca), "work" and "der" (the root)
CONTEXTS = {}  # server contexts by (host, "good"|"untrusted")
UNTRUSTED_HOSTS = set()  # stand-in hosts whose certificates come from the untrusted CA
SWITCH = [False]  # the "switch" port's certificate has turned bad
QUIT = threading.Event()
PATTERN_CACHE = {}
VISITOR_PASSES = [0]  # passes issued by a visitor service since the start or /__reset


def numbered_lines(size):
    """N bytes of "%08d\\n" lines; cached, the benchmark asks for 20 MB often."""
    with LOCK:
        data = PATTERN_CACHE.get(size)
    if data is None:
        count = size // 9 + 1
        data = "".join("%08d\n" % i for i in range(count)).encode()[:size]
        with LOCK:
            PATTERN_CACHE[size] = data
    return data


def reason_of(status):
    try:
        return HTTPStatus(status).phrase
    except ValueError:
        return "Status"


class Conn:
    """A connection with a read buffer, for raw HTTP parsing."""

    def __init__(self, sock):
        self.sock = sock
        self.buf = b""

    def quickack(self):
        # Acknowledge at once: a client that writes its request in two
        # pieces (WinInet does) otherwise waits for our delayed ACK.
        try:
            self.sock.setsockopt(socket.IPPROTO_TCP, socket.TCP_QUICKACK, 1)
        except (OSError, AttributeError):
            pass

    def read_until(self, marker, limit=1 << 20):
        while marker not in self.buf:
            if len(self.buf) > limit:
                return None
            self.quickack()
            data = self.sock.recv(65536)
            if not data:
                return None
            self.buf += data
        i = self.buf.index(marker) + len(marker)
        out, self.buf = self.buf[:i], self.buf[i:]
        return out

    def read_exact(self, n):
        while len(self.buf) < n:
            data = self.sock.recv(65536)
            if not data:
                return None
            self.buf += data
        out, self.buf = self.buf[:n], self.buf[n:]
        return out

    def read_request(self):
        head = self.read_until(b"\r\n\r\n")
        if head is None:
            return None
        lines = head[:-4].split(b"\r\n")
        line = lines[0].decode("latin-1")
        headers = []
        for raw in lines[1:]:
            name, _, value = raw.decode("latin-1").partition(":")
            headers.append([name, value.strip()])
        length = 0
        chunked = False
        for name, value in headers:
            if name.lower() == "content-length":
                length = int(value or 0)
            if name.lower() == "transfer-encoding" and "chunked" in value.lower():
                chunked = True
        body = b""
        if line.startswith("CONNECT "):
            # What follows a CONNECT belongs to the tunnel, whatever length
            # the head announces (Wine's WinHTTP copies a POST's
            # Content-Length onto the CONNECT it sends first).
            length, chunked = 0, False
        if chunked:
            while True:
                size_line = self.read_until(b"\r\n")
                if size_line is None:
                    return None
                size = int(size_line.split(b";")[0].strip() or b"0", 16)
                chunk = self.read_exact(size + 2)
                if chunk is None:
                    return None
                body += chunk[:-2]
                if size == 0:
                    break
        elif length:
            body = self.read_exact(length)
            if body is None:
                return None
        return {"line": line, "headers": headers, "head": head, "body": body}


def header(req, name):
    for n, v in req["headers"]:
        if n.lower() == name.lower():
            return v
    return None


def target_of(line):
    parts = line.split(" ")
    target = parts[1] if len(parts) > 1 else "/"
    if "://" in target:  # absolute form, through the proxy
        rest = target.split("://", 1)[1]
        target = "/" + rest.split("/", 1)[1] if "/" in rest else "/"
    return target


def host_of(line, default_port):
    """The host[:port] of an absolute-form request line; "" for origin form."""
    parts = line.split(" ")
    target = parts[1] if len(parts) > 1 else ""
    if "://" not in target:
        return ""
    scheme, rest = target.split("://", 1)
    host = rest.split("/", 1)[0].split("?", 1)[0].lower()
    port = {"http": "80", "https": "443"}.get(scheme.lower(), default_port)
    if host.endswith(":" + port):
        host = host[: -len(port) - 1]
    return host


def site_file(folder, target):
    """The file under `folder` that answers `target`, or None."""
    root = os.path.abspath(folder)
    local = os.path.normpath(os.path.join(root, target.split("?", 1)[0].lstrip("/")))
    if os.path.isdir(local):
        local = os.path.join(local, "index.html")
    if (local == root or local.startswith(root + os.sep)) and os.path.isfile(local):
        ctype = mimetypes.guess_type(local)[0] or "application/octet-stream"
        return {"body_file": local, "headers": [["Content-Type", ctype]]}
    return None


def answer_for(target, host=""):
    path = target.split("?", 1)[0]
    keys = ([host + target, host + path] if host else []) + [target, path]
    with LOCK:
        for key in keys:
            if key in SCRIPTS:
                return SCRIPTS[key]
    if host and HOSTS_DIR and "/" not in host and host not in (".", ".."):
        found = site_file(os.path.join(HOSTS_DIR, host), target)
        if found:
            return found
    if SITE:
        found = site_file(SITE, target)
        if found:
            return found
    return {"status": 404, "body": "not scripted"}


def visitor_pass(n):
    return "_2A25visitor%d" % n, "0033WrSXvisitor%d" % n


def visit(req, service):
    """The visitor service: a new pass for a well-formed form post."""
    form_type = "application/x-www-form-urlencoded"
    if (not req["line"].startswith("POST ") or req["body"] != service["form"].encode("latin-1")
            or (header(req, "Content-Type") or "").split(";")[0].strip().lower() != form_type):
        return {"status": 400, "headers": [["Content-Type", "application/javascript"]],
                "body": '%s({"retcode":50111,"msg":"bad request","data":null})' % service["callback"]}
    with LOCK:
        n = VISITOR_PASSES[0]
        VISITOR_PASSES[0] += 1
    sub, subp = visitor_pass(n)
    data = json.dumps({"retcode": 20000000, "msg": "succ", "data": {"sub": sub, "subp": subp}},
                      separators=(",", ":"))
    return {"headers": [["Content-Type", "application/javascript; charset=utf-8"],
                        ["Set-Cookie", "SUB=%s; path=/; domain=127.0.0.1; httponly" % sub],
                        ["Set-Cookie", "SUBP=%s; path=/; domain=127.0.0.1" % subp]],
            "body": "%s(%s)" % (service["callback"], data)}


def admitted(req, gate):
    """Whether the request's Cookie holds one visitor pass the gate still takes."""
    cookies = {}
    for part in (header(req, "Cookie") or "").split(";"):
        name, _, value = part.strip().partition("=")
        cookies[name] = value
    with LOCK:
        issued = VISITOR_PASSES[0]
    return any(visitor_pass(n) == (cookies.get("SUB"), cookies.get("SUBP"))
               for n in range(int(gate.get("from", 0)), issued))


def body_of(answer):
    if "body_b64" in answer:
        return base64.b64decode(answer["body_b64"])
    if "body_size" in answer:
        return numbered_lines(int(answer["body_size"]))
    if "body_file" in answer:
        with open(answer["body_file"], "rb") as f:
            return f.read()
    return answer.get("body", "").encode("utf-8")


def wait_until_gone(sock, seconds):
    """Holds a connection open until the peer closes it or time runs out."""
    end = time.time() + seconds
    sock.settimeout(1.0)
    while time.time() < end and not QUIT.is_set():
        try:
            if not sock.recv(65536):
                return
        except socket.timeout:
            continue
        except OSError:
            return


def send_answer(conn, req, kind, entry):
    """Writes the scripted answer; returns False when the connection must close."""
    sock = conn.sock
    answer = answer_for(target_of(req["line"]), entry.get("host", ""))
    if "visitor_service" in answer:
        answer = visit(req, answer["visitor_service"])
    elif "visitor_gate" in answer and not admitted(req, answer["visitor_gate"]):
        answer = answer["visitor_gate"]["wall"]
    if answer.get("close"):
        return False
    if answer.get("silent"):
        wait_until_gone(sock, 600)
        return False
    status = int(answer.get("status", 302 if "redirect" in answer else 200))
    headers = [list(h) for h in answer.get("headers", [])]
    if "redirect" in answer:
        headers.append(["Location", answer["redirect"]])
    if kind == "proxy" and "proxy_auth" in answer:
        expected = "Basic " + base64.b64encode(answer["proxy_auth"].encode("latin-1")).decode()
        if header(req, "Proxy-Authorization") != expected:
            status = 407
            headers = [["Proxy-Authenticate", 'Basic realm="proxy"']]
            answer = {"body": "proxy authentication required"}
    if "auth" in answer:
        expected = "Basic " + base64.b64encode(answer["auth"].encode("latin-1")).decode()
        if header(req, "Authorization") != expected:
            status = 401
            headers = [["WWW-Authenticate", 'Basic realm="test"']]
            answer = {"body": "authentication required"}
    body = body_of(answer)
    if req["line"].startswith("HEAD "):
        send_body = b""
    else:
        send_body = body
    chunked = bool(answer.get("chunked"))
    if chunked:
        headers.append(["Transfer-Encoding", "chunked"])
    else:
        headers.append(["Content-Length", str(len(body))])
    reason = answer.get("reason", reason_of(status))
    head = "HTTP/1.1 %d %s\r\n" % (status, reason)
    head += "".join("%s: %s\r\n" % (n, v) for n, v in headers)
    pad = int(answer.get("header_pad", 0))
    k = 0
    while len(head) < pad:
        head += "X-Pad-%d: %s\r\n" % (k, "p" * 90)
        k += 1
    head += "\r\n"
    delay = float(answer.get("delay", 0))
    if delay:
        time.sleep(delay)
    drop = answer.get("drop_after")
    if drop is not None:
        send_body = send_body[: int(drop)]
    size = int(answer.get("chunk_size", 65536)) or 65536
    pause = float(answer.get("chunk_delay", 0))
    start = 0
    if not chunked and not pause and len(send_body) <= size:
        # A small answer goes out in one write: head and body apart would
        # meet the peer's delayed acknowledgement and cost 40 ms each.
        sock.sendall(head.encode("latin-1") + send_body)
        entry["sent"] += len(send_body)
        start = len(send_body)
    else:
        sock.sendall(head.encode("latin-1"))
    try:
        for i in range(start, len(send_body), size):
            piece = send_body[i:i + size]
            sock.sendall((b"%x\r\n" % len(piece)) + piece + b"\r\n" if chunked else piece)
            entry["sent"] += len(piece)
            if pause:
                time.sleep(pause)
        if drop is not None:
            return False
        if chunked:
            sock.sendall(b"0\r\n\r\n")
        entry["complete"] = True
    except OSError:
        return False
    return header(req, "Connection") != "close"


def control(conn, req):
    """Answers /__ requests; returns True when the request was one."""
    target = target_of(req["line"])
    path, _, query = target.partition("?")
    if not path.startswith("/__"):
        return False
    status, body, ctype = 200, b"ok", "text/plain"
    if path == "/__script":
        with LOCK:
            SCRIPTS.update(json.loads(req["body"].decode("utf-8")))
    elif path == "/__reset":
        with LOCK:
            SCRIPTS.clear()
            LOG.clear()
            VISITOR_PASSES[0] = 0
            UNTRUSTED_HOSTS.clear()
    elif path == "/__untrusted_hosts":
        with LOCK:
            UNTRUSTED_HOSTS.update(h.lower() for h in json.loads(req["body"].decode("utf-8")))
    elif path == "/__switch_cert":
        SWITCH[0] = req["body"] != b"good"
    elif path == "/__log":
        with LOCK:
            items = [dict((k, v) for k, v in e.items() if k not in ("raw", "body")) for e in LOG]
        body, ctype = json.dumps(items).encode(), "application/json"
    elif path == "/__request":
        n = int(dict(p.split("=", 1) for p in query.split("&") if "=" in p).get("n", "-1"))
        with LOCK:
            if -len(LOG) <= n < len(LOG):
                body = LOG[n]["raw"]
            else:
                status, body = 404, b"no such request"
        ctype = "application/octet-stream"
    elif path == "/__count":
        with LOCK:
            body = str(len(LOG)).encode()
    elif path == "/__cert":
        body, ctype = CERT_DER, "application/x-x509-ca-cert"
    elif path == "/__proxy_ca":
        body, ctype = CA["der"], "application/x-x509-ca-cert"
    elif path == "/__quit":
        QUIT.set()
    else:
        status, body = 404, b"unknown control"
    head = "HTTP/1.1 %d %s\r\nContent-Type: %s\r\nContent-Length: %d\r\n\r\n" % (
        status, reason_of(status), ctype, len(body))
    conn.sock.sendall(head.encode() + body)
    return True


def is_loopback(host):
    return host in ("127.0.0.1", "localhost", "[::1]")


def leaf_context(host, kind="good"):
    """A TLS server context with a certificate for `host`: from the test CA's
    intermediate, the chain sent ("good"), or from the untrusted CA."""
    with CA_LOCK:
        context = CONTEXTS.get((host, kind))
        if context:
            return context
        stem = "".join(c if c.isalnum() or c in ".-" else "_" for c in host) + "-" + kind
        names = [host, "127.0.0.1"] if host == "localhost" else [host]
        issuer = CA["untrusted"] if kind == "untrusted" else None
        cert, key = test_ca.server_certificate(CA, CA["work"], stem, names, issuer=issuer)
        context = server_context(cert, key)
        CONTEXTS[(host, kind)] = context
        return context


def server_context(cert, key, pick_by_name=False):
    context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
    context.load_cert_chain(cert, key)
    if pick_by_name:
        # The certificate for the name the client asks for (SNI); a client
        # that names no host (an address) gets the one for "localhost".
        def by_name(sock, name, _context):
            if name and name.lower() != "localhost":
                try:
                    sock.context = leaf_context(name.lower())
                except (subprocess.CalledProcessError, ssl.SSLError, OSError):
                    return ssl.ALERT_DESCRIPTION_INTERNAL_ERROR
            return None
        context.sni_callback = by_name
    return context


def stand_in(client, req):
    """Answers a CONNECT to a real host name as that host: TLS ends here and
    the requests inside are answered like plain ones, recorded as "tunnel"."""
    target = req["line"].split(" ")[1]
    host, _, port = target.rpartition(":")
    host = host.lower()
    with LOCK:
        kind = "untrusted" if host in UNTRUSTED_HOSTS else "good"
    try:
        context = leaf_context(host, kind)
    except (subprocess.CalledProcessError, ssl.SSLError, OSError):
        client.sock.sendall(b"HTTP/1.1 502 Bad Gateway\r\nContent-Length: 0\r\n\r\n")
        return
    client.sock.sendall(b"HTTP/1.1 200 Connection established\r\n\r\n")
    try:
        sock = context.wrap_socket(client.sock, server_side=True)
    except (ssl.SSLError, OSError):
        return
    inner = Conn(sock)
    named = host if port == "443" else host + ":" + port
    try:
        while not QUIT.is_set():
            r = inner.read_request()
            if r is None:
                return
            entry = record("tunnel", r, named)
            # A request for another host down this tunnel would reach the
            # wrong server through a real proxy: refuse it as one would.
            meant = host_of(r["line"], "443") or (header(r, "Host") or "").lower()
            if meant.endswith(":443"):
                meant = meant[:-4]
            if meant and meant != named:
                sock.sendall(b"HTTP/1.1 421 Misdirected Request\r\nContent-Length: 0\r\n\r\n")
                continue
            if not send_answer(inner, r, "tunnel", entry):
                return
    finally:
        try:
            sock.close()
        except OSError:
            pass


def record(kind, req, host):
    entry = {"port": kind, "host": host, "line": req["line"], "headers": req["headers"],
             "head": req["head"].decode("latin-1"),
             "body_b64": base64.b64encode(req["body"]).decode(),
             "raw": req["head"] + req["body"], "body": req["body"],
             "sent": 0, "complete": False}
    with LOCK:
        LOG.append(entry)
    return entry


def tunnel(client, req):
    host, _, port = req["line"].split(" ")[1].rpartition(":")
    try:
        upstream = socket.create_connection((host, int(port)), timeout=10)
    except OSError:
        client.sock.sendall(b"HTTP/1.1 502 Bad Gateway\r\nContent-Length: 0\r\n\r\n")
        return
    upstream.settimeout(None)
    client.sock.sendall(b"HTTP/1.1 200 Connection established\r\n\r\n")
    if client.buf:
        upstream.sendall(client.buf)
    socks = [client.sock, upstream]
    try:
        while not QUIT.is_set():
            ready, _, _ = select.select(socks, [], [], 1.0)
            for s in ready:
                data = s.recv(65536)
                if not data:
                    return
                (upstream if s is client.sock else client.sock).sendall(data)
    except OSError:
        pass
    finally:
        upstream.close()


class Handler(socketserver.BaseRequestHandler):
    def handle(self):
        kind = self.server.kind
        sock = self.request
        sock.setsockopt(socket.IPPROTO_TCP, socket.TCP_NODELAY, 1)
        if kind == "https":
            try:
                context = self.server.context
                if getattr(self.server, "switch", False) and SWITCH[0]:
                    context = self.server.bad_context
                sock = context.wrap_socket(sock, server_side=True)
            except (ssl.SSLError, OSError):
                return
        conn = Conn(sock)
        try:
            while not QUIT.is_set():
                req = conn.read_request()
                if req is None:
                    return
                if kind == "http" and control(conn, req):
                    continue
                connect = kind == "proxy" and req["line"].startswith("CONNECT ")
                if connect:
                    named = req["line"].split(" ")[1] if " " in req["line"] else ""
                    host = named.rpartition(":")[0].lower()
                else:
                    host = host_of(req["line"], "80") if kind == "proxy" else ""
                entry = record(kind, req, host)
                if connect:
                    if is_loopback(host):
                        tunnel(conn, req)
                    else:
                        stand_in(conn, req)
                    return
                if not send_answer(conn, req, kind, entry):
                    return
                if getattr(self.server, "switch", False):
                    return  # each connection there is checked afresh
        except (OSError, ValueError):
            return
        finally:
            try:
                sock.close()
            except OSError:
                pass


class Server(socketserver.ThreadingTCPServer):
    daemon_threads = True
    allow_reuse_address = True
    request_queue_size = 128


def find_ca_folder():
    """The test CA trusted in the Wine prefix, when there is one."""
    folder = os.environ.get("HOT_TEST_CA")
    if not folder:
        prefix = os.environ.get("WINEPREFIX") or os.environ.get("HOT_WINEPREFIX") or os.path.expanduser(
            "~/.local/share/hotarticles/wineprefix")
        folder = os.path.join(prefix, "hotarticles-test-ca")
    return folder if os.path.exists(os.path.join(folder, "ca.pem")) else None


def make_certificates(work):
    """The CA and the certificates of the fixed ports: the good one, the bad ones."""
    CA.update(test_ca.ensure_ca(find_ca_folder() or os.path.join(work, "ca")))
    CA["work"] = work
    CA["der"] = test_ca.der_of(CA["root"][0])
    bad = dict(CA["fixed"])
    return bad.pop("localhost"), bad


def main():
    global SITE, HOSTS_DIR, CERT_DER
    parser = argparse.ArgumentParser()
    parser.add_argument("--ports-file")
    parser.add_argument("--site")
    parser.add_argument("--hosts")
    args = parser.parse_args()
    SITE = os.path.abspath(args.site) if args.site else None
    HOSTS_DIR = os.path.abspath(args.hosts) if args.hosts else None
    folder = tempfile.mkdtemp(prefix="hot-test-server-")
    try:
        (cert, key), bad = make_certificates(folder)
        CERT_DER = test_ca.der_of(cert)
        servers = {}
        for kind in ("http", "https", "proxy") + tuple("bad:" + b for b in bad) + ("bad:switch",):
            server = Server(("127.0.0.1", 0), Handler)
            server.kind = "https" if kind.startswith("bad:") else kind
            if kind == "https":
                server.context = server_context(cert, key, pick_by_name=True)
            elif kind == "bad:switch":
                server.context = server_context(cert, key)
                server.bad_context = server_context(*bad["untrusted"])
                server.switch = True
            elif kind.startswith("bad:"):
                server.context = server_context(*bad[kind[4:]])
            servers[kind] = server
            threading.Thread(target=server.serve_forever, daemon=True).start()
        ports = {k: s.server_address[1] for k, s in servers.items() if not k.startswith("bad:")}
        ports["bad_tls"] = {k[4:]: s.server_address[1] for k, s in servers.items() if k.startswith("bad:")}
        ports["cert"] = cert
        ports["proxy_ca"] = CA["root"][0]
        line = json.dumps(ports)
        if args.ports_file:
            with open(args.ports_file + ".tmp", "w") as f:
                f.write(line + "\n")
            os.replace(args.ports_file + ".tmp", args.ports_file)
        print(line, flush=True)
        try:
            while not QUIT.wait(1.0):
                pass
        except KeyboardInterrupt:
            pass
        for s in servers.values():
            s.shutdown()
    finally:
        shutil.rmtree(folder, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
