#!/usr/bin/env python3
"""Stand-in update host: the update page and the program files, on loopback only.

With no arguments it listens on 127.0.0.1:18611 and its page says "no update", so the
tool started beside it goes straight to its main window. See update_host.md.
"""

import argparse
import datetime
import hashlib
import json
import os
import re
import socket
import subprocess
import sys
import threading
import time
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer

PAGE_PATH = "/vodovuzedova/ravocap1.html"
CHUNK = 64 * 1024


def parse_args(argv):
    p = argparse.ArgumentParser(description="Stand-in update host (loopback only).")
    p.add_argument("--port", type=int, default=18611, help="port on 127.0.0.1; 0 picks a free one")
    p.add_argument("--ready-file", help="write the port here once listening")
    p.add_argument("--lifetime", type=float, default=0, help="exit after this many seconds (0: never)")
    p.add_argument("--log", help="append one JSON line per answered request")
    page = p.add_argument_group("the update page")
    page.add_argument("--force", default="否", help='value of "是否强制更新=" (default 否)')
    page.add_argument("--prompt", default="否", help='value of "是否提示更新=" (default 否)')
    page.add_argument("--address", help='value of "自动更新地址=", "{port}" standing for the port '
                                        '(default: the first served file)')
    page.add_argument("--name", help='value of "程序名字=" (default: the first served file\'s name)')
    page.add_argument("--version", help='value of "新版本号=": with it (or --sign-key) the page carries '
                                        'the manifest of --signed-file (default 3.6.0)')
    page.add_argument("--signed-file", help="the file the manifest describes (default: the first served file, "
                                             "or an empty file when nothing is served)")
    page.add_argument("--sign-key", help="sign the manifest with this RSA private key (PEM); without it "
                                         "the page has no signature")
    page.add_argument("--expires", help='value of "有效期至=", the last day the signed page holds '
                                        '(default: a year from today)')
    page.add_argument("--old-signature", action="store_true",
                      help="sign the old way: the first five lines of the canonical text only, no expiry")
    page.add_argument("--no-section", action="store_true", help="leave out the section markers")
    page.add_argument("--no-end-marker", action="store_true", help="leave out the end marker")
    page.add_argument("--empty-page", action="store_true", help="answer the page with an empty body")
    page.add_argument("--silent", action="store_true",
                      help="accept connections and never answer (nothing is served)")
    page.add_argument("--page-delay", type=float, default=0, help="answer the page after this many seconds")
    page.add_argument("--switch-pages", type=int, default=0,
                      help="the two switches hold for the first N page answers only; later ones say 否 "
                           "(0: every one)")
    page.add_argument("--later-pages", choices=["unswitched", "unsigned", "missing"], default="unswitched",
                      help="what the page answers after the first --switch-pages are: the switches off "
                           "(default), the same page without its signature, or 404")
    page.add_argument("--later-delay", type=float, default=0,
                      help="answer the pages after the first --switch-pages after this many seconds")
    files = p.add_argument_group("files")
    files.add_argument("--serve", action="append", default=[], metavar="NAME=PATH",
                       help="serve PATH as /files/NAME (repeatable)")
    files.add_argument("--no-ranges", action="store_true", help="ignore Range: always 200 with the whole file")
    files.add_argument("--cut-after", type=int, help="close the connection after this many body bytes")
    files.add_argument("--cut-times", type=int, default=0,
                       help="cut only the first N file answers (0: every one)")
    files.add_argument("--claim-total", type=int,
                       help="announce this total instead of the file's size (Content-Range's total, or "
                            "Content-Length without ranges); the body is the file as it is")
    files.add_argument("--no-length", action="store_true",
                       help="send no Content-Length: the body ends when the connection closes")
    files.add_argument("--rate", type=int, default=0, help="bytes per second per connection (0: no limit)")
    files.add_argument("--pause-at", metavar="OFFSET:MS",
                       help="pause MS milliseconds when the body reaches file offset OFFSET")
    files.add_argument("--stall-at", type=int,
                       help="stop sending at this file offset and hold the connection open")
    files.add_argument("--stall-seconds", type=float, default=60, help="how long a stalled answer is held")
    return p.parse_args(argv)


class State:
    def __init__(self, args):
        self.args = args
        self.files = {}
        self.first_file = None
        for item in args.serve:
            name, _, path = item.partition("=")
            if not name or not path:
                sys.exit(f"--serve wants NAME=PATH, got {item!r}")
            self.files[name] = path
            self.first_file = self.first_file or name
        self.pause = None
        if args.pause_at:
            offset, _, ms = args.pause_at.partition(":")
            self.pause = (int(offset), int(ms or 0) / 1000.0)
        self.lock = threading.Lock()
        self.active = 0
        self.file_answers = 0
        self.page_answers = 0
        self.port = None
        self.stop = threading.Event()
        self.with_manifest = bool(args.version or args.sign_key)
        self.signatures = {}  # (force, prompt, address) -> the signature's hex digits

    def manifest(self, force, prompt, address):
        """The manifest lines: version, size, SHA-256, expiry and, with a key, the signature
        over the canonical text (GBK: product name, version, name, size, SHA-256, the two
        switches, the address and the expiry, each ending in LF), made for the switches
        and the address this page carries (the maker signs each page he serves)."""
        if not self.with_manifest:
            return []
        a = self.args
        path = a.signed_file or (self.files.get(self.first_file) if self.first_file else None)
        data = b""  # nothing served: the manifest of an empty file
        if path:
            with open(path, "rb") as f:
                data = f.read()
        version = a.version or "3.6.0"
        name = a.name if a.name is not None else (self.first_file or "")
        size, sha256 = str(len(data)), hashlib.sha256(data).hexdigest()
        expires = a.expires or (datetime.date.today() + datetime.timedelta(days=365)).isoformat()
        lines = [f"<p>新版本号={version}</p>", f"<p>文件大小={size}</p>", f"<p>文件SHA256={sha256}</p>"]
        if not a.old_signature:
            lines.append(f"<p>有效期至={expires}</p>")
        if a.sign_key:
            key = (force, prompt, address)
            with self.lock:
                signature = self.signatures.get(key)
            if signature is None:
                values = [version, name, size, sha256]
                if not a.old_signature:
                    values += [force, prompt, address, expires]
                canonical = "\n".join(["Ravo字幕器"] + values + [""]).encode("gbk")
                signature = subprocess.run(["openssl", "dgst", "-sha256", "-sign", a.sign_key], input=canonical,
                                           stdout=subprocess.PIPE, check=True).stdout.hex()
                with self.lock:
                    self.signatures[key] = signature
            lines.append(f"<p>数字签名={signature}</p>")
        return lines

    def page(self):
        """The page's body (None for a 404), and whether it is one of the later answers."""
        a = self.args
        with self.lock:
            self.page_answers += 1
            switches_hold = a.switch_pages == 0 or self.page_answers <= a.switch_pages
        if not switches_hold and a.later_pages == "missing":
            return None, True
        if a.empty_page:
            return b"", not switches_hold
        later = None if switches_hold else a.later_pages
        force, prompt = ("否", "否") if later == "unswitched" else (a.force, a.prompt)
        name = a.name if a.name is not None else (self.first_file or "")
        if a.address is not None:
            address = a.address.replace("{port}", str(self.port))
        elif self.first_file:
            address = f"http://127.0.0.1:{self.port}/files/{self.first_file}"
        else:
            address = ""
        manifest = [line for line in self.manifest(force, prompt, address)
                    if later != "unsigned" or "数字签名=" not in line]
        lines = ["<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; charset=gbk\">",
                 "<title>字幕工具更新</title></head><body>"]
        if not a.no_section:
            lines.append("<p>////开始</p>")
        lines += [f"<p>是否强制更新={force}</p>", f"<p>是否提示更新={prompt}</p>",
                  f"<p>自动更新地址={address}</p>", f"<p>程序名字={name}</p>"] + manifest
        if not a.no_section and not a.no_end_marker:
            lines.append("<p>////结束</p>")
        lines.append("</body></html>")
        return "\r\n".join(lines).encode("gbk"), not switches_hold

    def log(self, record):
        if not self.args.log:
            return
        with self.lock, open(self.args.log, "a", encoding="utf-8") as f:
            f.write(json.dumps(record, ensure_ascii=False) + "\n")


RANGE_RE = re.compile(r"^bytes=(\d*)-(\d*)$")


def parse_range(header, size):
    """(first, last) of a single byte range, "unsatisfiable", or None to send it all."""
    m = RANGE_RE.match(header.strip()) if header else None
    if not m or (not m.group(1) and not m.group(2)):
        return None
    if m.group(1):
        first = int(m.group(1))
        last = int(m.group(2)) if m.group(2) else size - 1
        if first >= size or last < first:
            return "unsatisfiable"
        return first, min(last, size - 1)
    suffix = int(m.group(2))
    if suffix == 0:
        return "unsatisfiable"
    return max(0, size - suffix), size - 1


class Handler(BaseHTTPRequestHandler):
    server_version = "StandInUpdateHost/1.0"

    def log_message(self, fmt, *args):
        pass

    def do_GET(self):
        state = self.server.state
        path = self.path.split("?", 1)[0]
        if path == "/__quit":
            self.answer(200, b"bye\n", "text/plain")
            state.stop.set()
            return
        if path == PAGE_PATH:
            if state.args.page_delay > 0:
                time.sleep(state.args.page_delay)
            body, later = state.page()
            if later and state.args.later_delay > 0:
                time.sleep(state.args.later_delay)
            status = 404 if body is None else 200
            self.answer(status, b"not found\n" if body is None else body, "text/html; charset=gbk")
            state.log({"path": path, "status": status})
            return
        if path == "/":
            body = "<html><body><p>Ravo语音社区 (stand-in home page)</p></body></html>".encode("gbk")
            self.answer(200, body, "text/html; charset=gbk")
            return
        if path.startswith("/files/") and path[len("/files/"):] in state.files:
            self.send_file(state, state.files[path[len("/files/"):]])
            return
        self.answer(404, b"not found\n", "text/plain")
        state.log({"path": path, "status": 404})

    def answer(self, status, body, content_type):
        self.send_response(status)
        self.send_header("Content-Type", content_type)
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body)

    def send_file(self, state, file_path):
        a = state.args
        size = os.path.getsize(file_path)
        requested = self.headers.get("Range")
        wanted = None if a.no_ranges else parse_range(requested, size)
        if wanted == "unsatisfiable":
            self.send_response(416)
            self.send_header("Content-Range", f"bytes */{size}")
            self.send_header("Content-Length", "0")
            self.end_headers()
            state.log({"path": self.path, "range": requested, "status": 416, "sent": 0})
            return
        with state.lock:
            state.active += 1
            active_at_start = state.active
            state.file_answers += 1
            number = state.file_answers
        first, last = wanted if wanted else (0, size - 1)
        status = 206 if wanted else 200
        cut = a.cut_after if a.cut_after is not None and (a.cut_times == 0 or number <= a.cut_times) else None
        sent = 0
        try:
            self.send_response(status)
            self.send_header("Content-Type", "application/octet-stream")
            claimed = a.claim_total if a.claim_total is not None else size
            if not a.no_length:
                self.send_header("Content-Length", str(last - first + 1 if wanted else claimed))
            if not a.no_ranges:
                self.send_header("Accept-Ranges", "bytes")
            if wanted:
                self.send_header("Content-Range", f"bytes {first}-{last}/{claimed}")
            self.end_headers()
            sent = self.stream(state, file_path, first, last, cut)
        except (BrokenPipeError, ConnectionResetError, ConnectionAbortedError):
            pass
        finally:
            with state.lock:
                state.active -= 1
            state.log({"path": self.path, "range": requested, "status": status, "first": first,
                       "last": last, "sent": sent, "cut": cut is not None and sent == cut,
                       "active_at_start": active_at_start})
            if cut is not None and sent == cut:
                self.close_connection = True
                try:
                    self.connection.shutdown(socket.SHUT_RDWR)
                except OSError:
                    pass

    def stream(self, state, file_path, first, last, cut):
        a = state.args
        pos, sent = first, 0
        started = time.monotonic()
        with open(file_path, "rb") as f:
            f.seek(first)
            # A slow answer goes out in small steps, so that it trickles rather than
            # comes in bursts with long silences between.
            chunk = max(1, min(CHUNK, a.rate // 20)) if a.rate else CHUNK
            while pos <= last:
                n = min(chunk, last - pos + 1)
                if cut is not None:
                    n = min(n, cut - sent)
                for limit in (state.pause[0] if state.pause else None, a.stall_at):
                    if limit is not None and pos < limit:
                        n = min(n, limit - pos)
                if a.stall_at is not None and pos == a.stall_at:
                    self.wfile.flush()
                    state.stop.wait(a.stall_seconds)
                    return sent
                if cut is not None and sent == cut:
                    return sent
                data = f.read(n)
                if not data:
                    return sent
                self.wfile.write(data)
                pos += len(data)
                sent += len(data)
                if state.pause and pos == state.pause[0]:
                    self.wfile.flush()
                    time.sleep(state.pause[1])
                if a.rate:
                    ahead = sent / a.rate - (time.monotonic() - started)
                    if ahead > 0:
                        time.sleep(ahead)
        return sent


def hold_silently(conn, state):
    """Reads the request and never answers; only a request for /__quit ends the host.

    Logs the request's path once it has arrived ("held": "open") and again when the
    connection ends ("held": "ended", with the seconds it was held)."""
    received = b""
    accepted = time.monotonic()
    path = None
    conn.settimeout(0.2)
    while not state.stop.is_set():
        try:
            data = conn.recv(4096)
        except socket.timeout:
            continue
        except OSError:
            break
        if not data:
            break
        received += data
        if received.startswith(b"GET /__quit "):
            state.stop.set()
        if path is None and b"\r\n" in received:
            path = received.split(b"\r\n", 1)[0].decode("latin-1").split(" ")[1:2] or [""]
            path = path[0]
            state.log({"path": path, "held": "open"})
    conn.close()
    if path is not None:
        state.log({"path": path, "held": "ended", "seconds": round(time.monotonic() - accepted, 3)})


def serve_silently(listener, state):
    """Accepts and holds every connection without answering."""
    listener.settimeout(0.2)
    while not state.stop.is_set():
        try:
            conn, _ = listener.accept()
        except socket.timeout:
            continue
        threading.Thread(target=hold_silently, args=(conn, state), daemon=True).start()


def main(argv):
    args = parse_args(argv)
    state = State(args)
    if args.silent:
        listener = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
        listener.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
        listener.bind(("127.0.0.1", args.port))
        listener.listen(64)
        state.port = listener.getsockname()[1]
        server = None
    else:
        ThreadingHTTPServer.allow_reuse_address = True
        ThreadingHTTPServer.daemon_threads = True
        server = ThreadingHTTPServer(("127.0.0.1", args.port), Handler)
        server.state = state
        state.port = server.server_address[1]
    if args.ready_file:
        tmp = args.ready_file + ".tmp"
        with open(tmp, "w") as f:
            f.write(str(state.port))
        os.replace(tmp, args.ready_file)
    print(f"update host on 127.0.0.1:{state.port}"
          + (" (silent)" if args.silent else "")
          + ("" if args.silent or args.force == "是" or args.prompt == "是" else ": no update"),
          flush=True)
    if args.lifetime > 0:
        threading.Timer(args.lifetime, state.stop.set).start()
    if server:
        threading.Thread(target=server.serve_forever, kwargs={"poll_interval": 0.1}, daemon=True).start()
        state.stop.wait()
        server.shutdown()
        server.server_close()
    else:
        serve_silently(listener, state)
        listener.close()
    os._exit(0)


if __name__ == "__main__":
    main(sys.argv[1:])
