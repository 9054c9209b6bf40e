#!/usr/bin/env python3
"""A small forwarding HTTP proxy on loopback, for tests of the system proxy (see
forward_proxy.md). Python standard library only.

It takes requests in proxy form ("GET http://host:port/path HTTP/1.0"), logs each
request line, sends the request on to the host (or to where --map sends that host),
and copies the answer back byte for byte.
"""
import argparse
import os
import socket
import sys
import threading
import urllib.parse
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer

HOP_BY_HOP = {"proxy-connection", "connection", "keep-alive"}


class Proxy(BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.0"

    def log_message(self, *args):
        pass

    def note(self, line):
        with self.server.log_lock, open(self.server.log_path, "a", encoding="utf-8") as log:
            log.write(line + "\n")

    def relay(self):
        self.note(self.requestline)
        url = urllib.parse.urlsplit(self.path)
        if url.scheme != "http" or not url.hostname:
            self.send_error(400, "not a proxy request")
            return
        origin = "%s:%d" % (url.hostname, url.port or 80)
        host, _, port = self.server.mapping.get(origin, origin).rpartition(":")
        target = url.path or "/"
        if url.query:
            target += "?" + url.query
        head = "%s %s %s\r\n" % (self.command, target, self.request_version)
        for name, value in self.headers.items():
            if name.lower() not in HOP_BY_HOP:
                head += "%s: %s\r\n" % (name, value)
        head += "Connection: close\r\n\r\n"
        body = b""
        length = int(self.headers.get("Content-Length") or 0)
        if length:
            body = self.rfile.read(length)
        try:
            upstream = socket.create_connection((host, int(port)), timeout=30)
        except OSError as e:
            self.note("  -> %s:%s refused (%s)" % (host, port, e))
            self.send_error(502, "upstream unreachable")
            return
        self.note("  -> %s:%s" % (host, port))
        with upstream:
            upstream.sendall(head.encode("latin-1") + body)
            while True:
                chunk = upstream.recv(65536)
                if not chunk:
                    break
                self.wfile.write(chunk)
        self.close_connection = True

    do_GET = do_HEAD = do_POST = relay


def main():
    p = argparse.ArgumentParser(description="Forwarding HTTP proxy on 127.0.0.1.")
    p.add_argument("--port", type=int, default=0, help="0 picks a free port (the default)")
    p.add_argument("--log", required=True, help="append each request line here")
    p.add_argument("--map", action="append", default=[], metavar="HOST:PORT=HOST:PORT",
                   help="send requests for the first address to the second")
    p.add_argument("--ready-file", help="write port=<port> here once listening")
    p.add_argument("--lifetime", type=float, default=0, help="end after this many seconds (0: never)")
    args = p.parse_args()

    server = ThreadingHTTPServer(("127.0.0.1", args.port), Proxy)
    server.daemon_threads = True
    server.log_path = args.log
    server.log_lock = threading.Lock()
    server.mapping = dict(m.split("=", 1) for m in args.map)
    port = server.server_address[1]
    if args.ready_file:
        with open(args.ready_file + ".tmp", "w") as f:
            f.write("port=%d\n" % port)
        os.replace(args.ready_file + ".tmp", args.ready_file)
    print("proxy on 127.0.0.1:%d" % port, flush=True)
    if args.lifetime:
        threading.Timer(args.lifetime, server.shutdown).start()
    try:
        server.serve_forever()
    except KeyboardInterrupt:
        pass
    return 0


if __name__ == "__main__":
    sys.exit(main())
