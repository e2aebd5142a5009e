#!/usr/bin/env python3
"""Serves the site folder on localhost, as a static web host would: the right types for
WebAssembly, the manifest and the modules, compressed where the browser takes it (the build's
Brotli or gzip file beside the file, else gzip made here), no caching by the browser beyond the
service worker's own.

Usage: tools/web/serve.py SITE [--port N] [--quiet]   (port 0: any free port)
Prints the address on its first line once it listens.
"""
import argparse
import email.utils
import functools
import gzip
import http.server
import pathlib
import sys

TYPES = {
    ".wasm": "application/wasm",
    ".js": "text/javascript",
    ".webmanifest": "application/manifest+json",
    ".woff2": "font/woff2",
}
COMPRESSIBLE = {".wasm", ".js", ".html", ".css", ".webmanifest", ".json"}
ENCODINGS = {"br": ".br", "gzip": ".gz"}  # in the order preferred


class Handler(http.server.SimpleHTTPRequestHandler):
    protocol_version = "HTTP/1.1"  # connections kept open between requests, as hosts keep them
    extensions_map = {**http.server.SimpleHTTPRequestHandler.extensions_map, **TYPES}
    quiet = False

    def end_headers(self):
        self.send_header("Cache-Control", "no-cache")
        super().end_headers()

    def send_head(self):
        path = pathlib.Path(self.translate_path(self.path))
        if path.is_dir():
            path = path / "index.html"
        taken = accepted(self.headers.get("Accept-Encoding", ""))
        if path.suffix not in COMPRESSIBLE or not path.is_file() or not taken & set(ENCODINGS):
            return super().send_head()
        modified = int(path.stat().st_mtime)
        since = self.headers.get("If-Modified-Since")
        if since and not self.headers.get("If-None-Match"):
            try:
                if modified <= email.utils.parsedate_to_datetime(since).timestamp():
                    self.send_response(304)
                    self.end_headers()
                    return None
            except (TypeError, ValueError):
                pass
        encoding, body = compressed(path, path.stat().st_mtime_ns, frozenset(taken))
        self.send_response(200)
        self.send_header("Content-Type", self.guess_type(str(path)))
        self.send_header("Content-Encoding", encoding)
        self.send_header("Vary", "Accept-Encoding")
        self.send_header("Content-Length", str(len(body)))
        self.send_header("Last-Modified", self.date_time_string(modified))
        self.end_headers()
        return _Body(body)

    def handle(self):
        try:
            super().handle()
        except (BrokenPipeError, ConnectionResetError):
            pass  # the browser went away mid-answer: a page closed, or went elsewhere

    def log_message(self, format, *args):
        if not self.quiet:
            super().log_message(format, *args)


class _Body:
    """The compressed body, read as the handler reads a file."""

    def __init__(self, data):
        self.data = data

    def read(self, *_):
        data, self.data = self.data, b""
        return data

    def close(self):
        pass


def accepted(header):
    """The content codings an Accept-Encoding header takes (those not given q=0)."""
    taken = set()
    for item in header.split(","):
        coding, _, parameters = item.strip().partition(";")
        if coding and parameters.replace(" ", "") not in ("q=0", "q=0.0", "q=0.00", "q=0.000"):
            taken.add(coding.strip().lower())
    return taken


@functools.lru_cache(maxsize=64)
def compressed(path, _mtime, taken):
    """(coding, body): the build's file beside PATH in the first coding the browser takes, else
    gzip made here."""
    for coding, suffix in ENCODINGS.items():
        beside = path.with_name(path.name + suffix)
        if coding in taken and beside.is_file():
            return coding, beside.read_bytes()
    return "gzip", gzip.compress(path.read_bytes(), compresslevel=9, mtime=0)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("site")
    parser.add_argument("--port", type=int, default=8080)
    parser.add_argument("--quiet", action="store_true")
    options = parser.parse_args()
    site = pathlib.Path(options.site).resolve()
    if not (site / "index.html").is_file():
        sys.exit(f"serve: {site} holds no index.html: run 'make web' first")
    Handler.quiet = options.quiet
    handler = functools.partial(Handler, directory=str(site))
    with http.server.ThreadingHTTPServer(("127.0.0.1", options.port), handler) as server:
        print(f"http://localhost:{server.server_address[1]}/", flush=True)
        try:
            server.serve_forever()
        except KeyboardInterrupt:
            pass


if __name__ == "__main__":
    main()
