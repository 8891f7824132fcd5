#!/usr/bin/env python3
"""A scripted HTTP server on 127.0.0.1 for the runtime download tests.

  download_server.py SCRIPT BODY_FILE PORT_FILE REQUEST_LOG [SECONDS]

Listens on a free port, writes its number to PORT_FILE and answers every GET by SCRIPT:
  whole     Content-Length and the whole body
  break     the first answer announces the whole body and breaks off half-way; later ones are whole
  nolength  the body without a Content-Length (the connection's end marks its end)
  empty     Content-Length 0
Each request's path is appended to REQUEST_LOG. Ends after SECONDS (default 120) or 200
requests, whichever comes first, or when the file PORT_FILE + ".stop" appears; then it writes
PORT_FILE + ".done". Its standard streams go to REQUEST_LOG + ".err": Wine starts it with
those of the test run, which must not wait for it.
"""
import http.server
import os
import socket
import sys
import time

script, body_file, port_file, request_log = sys.argv[1:5]
errors = os.open(request_log + ".err", os.O_WRONLY | os.O_CREAT | os.O_APPEND)
for fd in (1, 2):
    os.dup2(errors, fd)
os.dup2(os.open(os.devnull, os.O_RDONLY), 0)
seconds = float(sys.argv[5]) if len(sys.argv) > 5 else 120.0
with open(body_file, "rb") as f:
    body = f.read()
served = 0


class Handler(http.server.BaseHTTPRequestHandler):
    def do_GET(self):
        global served
        served += 1
        with open(request_log, "a") as log:
            log.write(self.path + "\n")
        self.send_response(200)
        self.send_header("Content-Type", "application/octet-stream")
        if script == "empty":
            self.send_header("Content-Length", "0")
            self.end_headers()
            return
        if script != "nolength":
            self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        if script == "break" and served == 1:
            self.wfile.write(body[: len(body) // 2])
            self.wfile.flush()
            self.connection.shutdown(socket.SHUT_RDWR)
            return
        self.wfile.write(body)

    def log_message(self, *args):
        pass


server = http.server.HTTPServer(("127.0.0.1", 0), Handler)
server.timeout = 0.2
with open(port_file + ".tmp", "w") as f:
    f.write(str(server.server_address[1]))
os.replace(port_file + ".tmp", port_file)
deadline = time.monotonic() + seconds
while served < 200 and time.monotonic() < deadline and not os.path.exists(port_file + ".stop"):
    server.handle_request()
server.server_close()
open(port_file + ".done", "w").close()
