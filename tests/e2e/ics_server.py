"""A static server for one calendar file, with the validators a published
calendar link has: ETag and Last-Modified, answering 304 to a conditional
GET. Listens on 127.0.0.1 at a free port, which it writes to the file named
by its second argument; logs each answer (method, status) to stderr."""
import email.utils
import hashlib
import http.server
import os
import sys


class Handler(http.server.BaseHTTPRequestHandler):
    def do_GET(self):
        path = sys.argv[1]
        with open(path, "rb") as f:
            body = f.read()
        etag = '"%s"' % hashlib.sha1(body).hexdigest()
        modified = email.utils.formatdate(os.path.getmtime(path), usegmt=True)
        if self.headers.get("If-None-Match") == etag:
            self.send_response(304)
            self.send_header("ETag", etag)
            self.end_headers()
            return
        self.send_response(200)
        self.send_header("Content-Type", "text/calendar; charset=utf-8")
        self.send_header("ETag", etag)
        self.send_header("Last-Modified", modified)
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body)

    def log_message(self, fmt, *args):
        sys.stderr.write("%s %s\n" % (self.command, args[1] if len(args) > 1 else "?"))
        sys.stderr.flush()


server = http.server.HTTPServer(("127.0.0.1", 0), Handler)
with open(sys.argv[2] + ".tmp", "w") as f:
    f.write(str(server.server_address[1]))
os.rename(sys.argv[2] + ".tmp", sys.argv[2])
server.serve_forever()
