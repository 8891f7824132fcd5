#!/usr/bin/env python3
"""Scripted HTTP server on 127.0.0.1 for the download tests.
  download_server.py SCRIPT BODY_FILE PORT_FILE REQUEST_LOG SECONDS
Writes the body's SHA-256 to PORT_FILE.sha256, then its free port to PORT_FILE, and answers
each GET (path appended to REQUEST_LOG) by SCRIPT: whole; break (the first answer breaks off
half-way); nolength (no Content-Length); empty; missing (status 404 with the body); slow
(whole, paced over about three seconds, so that a watcher sees the download's progress);
stall (half the body, then nothing until the server ends).
Ends after SECONDS, 200 requests or when PORT_FILE.stop appears, then writes PORT_FILE.done.
Its output goes to REQUEST_LOG.err: Wine starts it with the test run's streams."""
import hashlib, http.server, os, socket, sys, time

script, body_file, port_file, request_log, seconds = sys.argv[1:6]
errors = os.open(request_log + ".err", os.O_WRONLY | os.O_CREAT | os.O_APPEND)
os.dup2(errors, 1), os.dup2(errors, 2), os.dup2(os.open(os.devnull, os.O_RDONLY), 0)
body = open(body_file, "rb").read()
served = 0


class Handler(http.server.BaseHTTPRequestHandler):
    def do_GET(self):
        global served
        served += 1
        with open(request_log, "a") as log:
            log.write(self.path + "\n")
        self.send_response(404 if script == "missing" else 200)
        if script != "nolength":
            self.send_header("Content-Length", "0" if script == "empty" else str(len(body)))
        self.end_headers()
        if script == "break" and served == 1:
            self.wfile.write(body[: len(body) // 2])
            self.wfile.flush()
            self.connection.shutdown(socket.SHUT_RDWR)
        elif script == "stall":
            self.wfile.write(body[: len(body) // 2])
            self.wfile.flush()
            while time.monotonic() < deadline and not os.path.exists(port_file + ".stop"):
                time.sleep(0.1)
        elif script == "slow":
            step = max(1, len(body) // 60)
            for start in range(0, len(body), step):
                self.wfile.write(body[start:start + step])
                self.wfile.flush()
                time.sleep(0.05)
        elif script != "empty":
            self.wfile.write(body)

    def log_message(self, *args):
        pass


with open(port_file + ".sha256", "w") as f:
    f.write(hashlib.sha256(body).hexdigest())
deadline = time.monotonic() + float(seconds)
server = http.server.HTTPServer(("127.0.0.1", 0), Handler)
server.timeout = 0.2
with open(port_file + ".tmp", "w") as f:
    f.write(str(server.server_address[1]))
os.replace(port_file + ".tmp", port_file)
while served < 200 and time.monotonic() < deadline and not os.path.exists(port_file + ".stop"):
    server.handle_request()
server.server_close()
open(port_file + ".done", "w").close()
