#!/usr/bin/env python3
"""A local stand-in for the maker's web server, reached through http_proxy.

Serves FOLDER/<file name> for any host and any path ending in that name;
a name that starts with "Close" gets its connection closed without an
answer. Writes the port it listens on to PORT_FILE.
    version_server.py FOLDER PORT_FILE
"""
import http.server
import os
import socket
import sys
import urllib.parse

folder, port_file = sys.argv[1], sys.argv[2]


class Handler(http.server.BaseHTTPRequestHandler):
    def do_GET(self):
        name = os.path.basename(urllib.parse.urlparse(self.path).path)
        with open(os.path.join(folder, "requests.log"), "a") as log:
            log.write(self.path + "\n")
        if name.startswith("Close"):
            self.connection.shutdown(socket.SHUT_RDWR)
            self.close_connection = True
            return
        path = os.path.join(folder, name)
        if not name or not os.path.isfile(path):
            self.send_error(404)
            return
        with open(path, "rb") as f:
            body = f.read()
        self.send_response(200)
        self.send_header("Content-Type", "application/octet-stream")
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body)

    def log_message(self, *args):
        pass


server = http.server.HTTPServer(("127.0.0.1", 0), Handler)
with open(port_file + ".tmp", "w") as f:
    f.write(str(server.server_address[1]))
os.rename(port_file + ".tmp", port_file)
server.serve_forever()
