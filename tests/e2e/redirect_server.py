"""Two servers for the password's sake. On 127.0.0.1 (the subscribed
address) a CalDAV-looking server asks for Basic credentials and, once they
come, redirects every request to the other one; on 127.0.0.2 (another host)
the other asks for credentials too and logs every header it receives.
Writes "PORT_A PORT_B" to the file named by its first argument; the other
host's requests go to stderr, one "METHOD path Authorization=yes|no" a line."""
import http.server
import sys
import threading


def handler(other):
    class Handler(http.server.BaseHTTPRequestHandler):
        def answer(self):
            length = int(self.headers.get("Content-Length") or 0)
            if length:
                self.rfile.read(length)
            authorized = "Authorization" in self.headers
            if other is None:
                sys.stderr.write("%s %s Authorization=%s\n"
                                 % (self.command, self.path, "yes" if authorized else "no"))
                sys.stderr.flush()
            if not authorized or other is None:
                self.send_response(401)
                self.send_header("WWW-Authenticate", 'Basic realm="cal"')
            else:
                self.send_response(302)
                self.send_header("Location", "http://127.0.0.2:%d%s" % (other, self.path))
            self.send_header("Content-Length", "0")
            self.end_headers()

        do_GET = do_PROPFIND = do_REPORT = answer

        def log_message(self, *args):
            pass

    return Handler


elsewhere = http.server.ThreadingHTTPServer(("127.0.0.2", 0), handler(None))
here = http.server.ThreadingHTTPServer(("127.0.0.1", 0),
                                       handler(elsewhere.server_address[1]))
for server in (elsewhere, here):
    threading.Thread(target=server.serve_forever, daemon=True).start()
with open(sys.argv[1] + ".tmp", "w") as f:
    f.write("%d %d\n" % (here.server_address[1], elsewhere.server_address[1]))
import os
os.rename(sys.argv[1] + ".tmp", sys.argv[1])
threading.Event().wait()
