#!/usr/bin/env python3
"""A local stand-in for the maker's web server, reached through http_proxy.

Serves FOLDER/<file name> for any host and any path ending in that name.
By the part of the name after "Version.": "Close" gets its connection closed
without an answer, "Silent" no answer at all, "Trickle" a body of 1000 digits
sent one a second, "Big" a body of 100 MB at about 10 MB a second. With
VERSION_SERVER_SILENT=1 in its environment no request is answered. Writes
the port it listens on to PORT_FILE.
    version_server.py FOLDER PORT_FILE
"""
import http.server
import os
import socket
import sys
import time
import urllib.parse

folder, port_file = sys.argv[1], sys.argv[2]


class Handler(http.server.BaseHTTPRequestHandler):
    def do_GET(self):
        name = os.path.basename(urllib.parse.urlparse(self.path).path)
        stem = name[len("Version."):] if name.startswith("Version.") else name
        with open(os.path.join(folder, "requests.log"), "a") as log:
            log.write(self.path + "\n")
        if stem.startswith("Close"):
            self.connection.shutdown(socket.SHUT_RDWR)
            self.close_connection = True
            return
        if stem.startswith("Silent") or os.environ.get("VERSION_SERVER_SILENT") == "1":
            time.sleep(3600)
            return
        if stem.startswith("Trickle"):
            self.send_body_head(1000)
            try:
                for _ in range(1000):
                    self.wfile.write(b"0")
                    self.wfile.flush()
                    time.sleep(1)
            except (BrokenPipeError, ConnectionResetError):
                pass  # the check gave up
            return
        if stem.startswith("Big"):
            block = b"0" * 65536
            self.send_body_head(100 * 1024 * 1024)
            try:
                for _ in range(100 * 1024 * 1024 // len(block)):
                    self.wfile.write(block)
                    time.sleep(0.005)  # a fast line, no faster than a check's time-out could hide
            except (BrokenPipeError, ConnectionResetError):
                pass  # the check gave up
            return
        path = os.path.join(folder, name)
        if not name or not os.path.isfile(path):
            self.send_error(404)
            return
        with open(path, "rb") as f:
            body = f.read()
        self.send_body_head(len(body))
        self.wfile.write(body)

    def send_body_head(self, length):
        self.send_response(200)
        self.send_header("Content-Type", "application/octet-stream")
        self.send_header("Content-Length", str(length))
        self.end_headers()
        self.wfile.flush()

    def log_message(self, *args):
        pass


server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Handler)
with open(port_file + ".tmp", "w") as f:
    f.write(str(server.server_address[1]))
os.rename(port_file + ".tmp", port_file)
server.serve_forever()
