#!/usr/bin/env python3
"""A stand-in lyrics site on loopback for the tool's lyric search (see lyrics_site.md).

Python standard library only. Answers "/?keyword=...&field=all" with a UTF-8 result
page, serves the catalogue's lyric files byte for byte, and offers a few answers that
tests need (an error status, a transfer cut short, a slow answer).
"""
import argparse
import html
import os
import socket
import sys
import threading
import time
import urllib.parse
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer

HERE = os.path.dirname(os.path.abspath(__file__))
NO_RESULT_PAGE = (
    "<html><head><meta charset=\"utf-8\"><title>歌词搜索</title></head><body>\n"
    "<p>对不起，没有找到相关的歌词，请换个歌名再试。</p>\n</body></html>\n"
)
CUT_PATTERN = b"0123456789"


class Catalogue:
    """index.tsv: one song a line, "file<TAB>singer<TAB>song[<TAB>link]", UTF-8.

    The link column, when present, is put into the page as it is, with "{base}"
    replaced by "http://" and the host the request was sent to; otherwise the link is
    {base}/lrc/<file>.
    """

    def __init__(self, folder):
        self.folder = folder

    def songs(self):
        """Read on every request, so that a test may add songs while the site runs."""
        songs = []
        try:
            with open(os.path.join(self.folder, "index.tsv"), encoding="utf-8") as f:
                lines = f.read().splitlines()
        except OSError:
            return songs
        for line in lines:
            cols = line.split("\t")
            if line.startswith("#") or len(cols) < 3:
                continue
            songs.append({"file": cols[0], "singer": cols[1], "song": cols[2],
                          "link": cols[3] if len(cols) > 3 else None})
        return songs

    def find(self, keyword):
        """Songs whose title, singer or file name holds the keyword: the file names are
        pinyin, so that a keyword typed in ASCII finds Chinese titles too."""
        key = keyword.casefold()
        return [s for s in self.songs()
                if any(key in s[field].casefold() for field in ("song", "singer", "file"))]

    def file_bytes(self, name):
        if name not in {s["file"] for s in self.songs()}:
            return None
        try:
            with open(os.path.join(self.folder, name), "rb") as f:
                return f.read()
        except OSError:
            return None


def many_lines(count):
    lines = []
    for i in range(count):
        ms = i * 100
        lines.append("[%02d:%02d.%02d]河水弯弯流过小村 %d\r\n" % (ms // 60000, ms // 1000 % 60, ms % 1000 // 10, i))
    return "".join(lines).encode("utf-8")


# A hostile result page: 4,000,000 bytes (within the tool's 4 MiB page limit) of the
# smallest hits, for the search that must not hold up the window while it is read.
CRAFTED_KEYWORD = "crafted-4mb-page"


def crafted_page():
    hit = "<font size=\"-1\">x</font>甲 乙 LRC歌词下载</a>".encode("utf-8")
    return (hit * (4000000 // len(hit) + 1))[:4000000]


def result_page(hits, base):
    rows = []
    for s in hits:
        link = s["link"].replace("{base}", base) if s["link"] is not None else \
            base + "/lrc/" + urllib.parse.quote(s["file"])
        name = html.escape(s["singer"] + " " + s["song"] + " ", quote=False)
        rows.append("<div class=\"hit\"><font size=\"-1\"><span class=\"url\">" + link + "</font> - "
                    "<a href=\"" + html.escape(link) + "\">" + name + "LRC歌词下载</a></div>")
    return ("<html><head><meta charset=\"utf-8\"><title>歌词搜索</title></head><body>\n"
            "<p>找到 " + str(len(hits)) + " 首歌词</p>\n" + "\n".join(rows) + "\n</body></html>\n")


class Handler(BaseHTTPRequestHandler):
    server_version = "LyricsStandIn/1.0"

    def log_message(self, format, *args):  # the request log below replaces stderr noise
        pass

    def log_request_lines(self):
        log = self.server.log_path
        if not log:
            return
        text = self.raw_requestline.decode("latin-1").rstrip("\r\n") + "\n"
        for key, value in self.headers.items():
            text += key + ": " + value + "\n"
        with self.server.log_lock, open(log, "a", encoding="latin-1", newline="\n") as f:
            f.write(text + "\n")

    def answer(self, status, body, content_type="text/plain; charset=utf-8", length=None):
        self.send_response(status)
        self.send_header("Content-Type", content_type)
        self.send_header("Content-Length", str(len(body) if length is None else length))
        self.end_headers()
        self.wfile.write(body)

    def do_GET(self):
        self.log_request_lines()
        url = urllib.parse.urlsplit(self.path)
        parts = [p for p in url.path.split("/") if p]
        base = "http://" + (self.headers.get("Host") or "%s:%d" % self.server.server_address[:2])
        if url.path == "/" and url.query:
            query = urllib.parse.parse_qs(url.query, keep_blank_values=True, encoding="utf-8",
                                          errors="replace")
            keyword = query.get("keyword", [""])[0]
            if keyword == CRAFTED_KEYWORD:
                self.answer(200, crafted_page(), "text/html; charset=utf-8")
                return
            hits = self.server.catalogue.find(keyword)
            page = result_page(hits, base) if hits else NO_RESULT_PAGE
            self.answer(200, page.encode("utf-8"), "text/html; charset=utf-8")
        elif len(parts) == 2 and parts[0] == "lrc":
            data = self.server.catalogue.file_bytes(urllib.parse.unquote(parts[1]))
            if data is None:
                self.answer(404, b"no such lyric\n")
            else:
                self.answer(200, data, "application/octet-stream")
        elif len(parts) == 2 and parts[0] == "status" and parts[1].isdigit():
            code = int(parts[1])
            self.answer(code, ("status %d body\n" % code).encode("ascii"))
        elif len(parts) == 2 and parts[0] == "cut" and parts[1].isdigit():
            sent = int(parts[1])
            body = (CUT_PATTERN * (sent // len(CUT_PATTERN) + 1))[:sent]
            self.answer(200, body, length=sent + 1000)
            self.wfile.flush()
            self.close_connection = True
        elif len(parts) == 2 and parts[0] == "big" and parts[1].isdigit():
            self.answer(200, b"x" * int(parts[1]))
        elif url.path == "/endless":
            # No length, no end: only the client's closing stops it.
            self.send_response(200)
            self.send_header("Content-Type", "application/octet-stream")
            self.end_headers()
            chunk = b"[00:01.00]" + b"y" * 65526
            try:
                while True:
                    self.wfile.write(chunk)
            except OSError:
                pass
            self.close_connection = True
        elif len(parts) == 2 and parts[0] == "lines" and parts[1].isdigit():
            # A lyric of that many lines (UTF-8), for the preview of a huge lyric.
            self.answer(200, many_lines(int(parts[1])), "application/octet-stream")
        elif len(parts) == 2 and parts[0] == "utf16":
            # A catalogue file as UTF-16 LE with its mark, zero bytes and all.
            data = self.server.catalogue.file_bytes(urllib.parse.unquote(parts[1]))
            if data is None:
                self.answer(404, b"no such lyric\n")
            else:
                text = data.decode("utf-8", errors="replace").lstrip("\ufeff")
                self.answer(200, b"\xff\xfe" + text.encode("utf-16-le"), "application/octet-stream")
        elif url.path == "/silence":
            # Reads the request and never answers: only the client's closing ends it.
            try:
                while self.rfile.read(1):
                    pass
            except OSError:
                pass
            self.close_connection = True
        elif url.path == "/down":
            # Closes the connection without a word, as a site that is down behind its
            # address does.
            self.close_connection = True
        elif len(parts) == 2 and parts[0] == "slow" and parts[1].isdigit():
            time.sleep(int(parts[1]) / 1000.0)
            self.answer(200, ("slow answer after %s ms\n" % parts[1]).encode("ascii"))
        else:
            self.answer(404, b"not found\n")


def main():
    parser = argparse.ArgumentParser(description="Stand-in lyrics site on 127.0.0.1.")
    parser.add_argument("--port", type=int, default=18610, help="0 picks a free port (default 18610)")
    parser.add_argument("--catalogue", default=os.path.join(HERE, "lyrics"),
                        help="folder with index.tsv and the lyric files (default: tools/lyrics)")
    parser.add_argument("--log", help="append each request line and its headers to this file")
    parser.add_argument("--ready-file",
                        help="write port=N here once listening; end when it is deleted, then write "
                             "<ready-file>.ended")
    parser.add_argument("--test-ports", action="store_true",
                        help="also open a silent port (accepts, never answers) and name a refused "
                             "one (free, nothing listens) in the ready file")
    parser.add_argument("--max-seconds", type=float, help="end after this many seconds")
    args = parser.parse_args()

    server = ThreadingHTTPServer(("127.0.0.1", args.port), Handler)
    server.daemon_threads = True
    server.catalogue = Catalogue(args.catalogue)
    server.log_path = args.log
    server.log_lock = threading.Lock()
    port = server.server_address[1]

    ready = "port=%d\n" % port
    silent = None
    if args.test_ports:
        # Connections to the silent port complete in the kernel's backlog and then wait
        # for an answer that never comes.
        silent = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
        silent.bind(("127.0.0.1", 0))
        silent.listen(64)
        refused = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
        refused.bind(("127.0.0.1", 0))
        ready += "silent=%d\nrefused=%d\n" % (silent.getsockname()[1], refused.getsockname()[1])
        refused.close()

    started = time.monotonic()
    if args.ready_file:
        tmp = args.ready_file + ".tmp"
        with open(tmp, "w") as f:
            f.write(ready)
        os.replace(tmp, args.ready_file)

    def watch():
        while True:
            time.sleep(0.1)
            if args.ready_file and not os.path.exists(args.ready_file):
                break
            if args.max_seconds is not None and time.monotonic() - started > args.max_seconds:
                break
        server.shutdown()

    if args.ready_file or args.max_seconds is not None:
        threading.Thread(target=watch, daemon=True).start()
    if not args.ready_file:
        print("lyrics site on http://127.0.0.1:%d/" % port, flush=True)
    try:
        server.serve_forever(poll_interval=0.1)
    except KeyboardInterrupt:
        pass
    server.server_close()
    if silent:
        silent.close()
    if args.ready_file:
        with open(args.ready_file + ".ended", "w") as f:
            f.write("ended\n")
    return 0


if __name__ == "__main__":
    sys.exit(main())
