#!/usr/bin/env python3
"""timestamp_server.py CONFIG KEY CERT PORT_FILE SECONDS

An RFC 3161 time-stamp authority for the package test: it listens on a free port of 127.0.0.1,
writes that port to PORT_FILE (complete, in one rename) and answers each POSTed time-stamp query
with the reply `openssl ts -reply` makes with KEY, CERT and the [tsa] section of CONFIG. It ends
by itself after SECONDS, so that a test that dies before it can stop the server leaves nothing
running for long.
"""
import http.server
import os
import subprocess
import sys
import tempfile
import time

config, key, cert, port_file, seconds = sys.argv[1:6]


class TimestampHandler(http.server.BaseHTTPRequestHandler):
    def do_POST(self):
        length = int(self.headers.get("Content-Length", 0))
        query = self.rfile.read(length)
        with tempfile.TemporaryDirectory() as work:
            query_path = os.path.join(work, "query.tsq")
            reply_path = os.path.join(work, "reply.tsr")
            with open(query_path, "wb") as f:
                f.write(query)
            result = subprocess.run(["openssl", "ts", "-reply", "-config", config,
                                     "-queryfile", query_path, "-inkey", key, "-signer", cert,
                                     "-out", reply_path],
                                    stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
            if result.returncode != 0:
                sys.stderr.write(result.stderr.decode(errors="replace"))
                self.send_error(500, "openssl ts -reply failed")
                return
            with open(reply_path, "rb") as f:
                reply = f.read()
        self.send_response(200)
        self.send_header("Content-Type", "application/timestamp-reply")
        self.send_header("Content-Length", str(len(reply)))
        self.end_headers()
        self.wfile.write(reply)


server = http.server.HTTPServer(("127.0.0.1", 0), TimestampHandler)
with open(port_file + ".part", "w") as f:
    f.write("%d\n" % server.server_address[1])
os.rename(port_file + ".part", port_file)
deadline = time.monotonic() + float(seconds)
server.timeout = 0.5
while time.monotonic() < deadline:
    server.handle_request()
server.server_close()
