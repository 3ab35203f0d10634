"""A published calendar over https with a certificate the test made: serves
the file named by the first argument with the certificate and key of the
second and third, on 127.0.0.1 at a free port written to the file named by
the fourth; at the port given fifth, if one is (the same server with
another certificate)."""
import http.server
import os
import ssl
import sys


class Handler(http.server.BaseHTTPRequestHandler):
    def do_GET(self):
        with open(sys.argv[1], "rb") as f:
            body = f.read()
        self.send_response(200)
        self.send_header("Content-Type", "text/calendar; charset=utf-8")
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body)

    def log_message(self, *args):
        pass


port = int(sys.argv[5]) if len(sys.argv) > 5 else 0
server = http.server.ThreadingHTTPServer(("127.0.0.1", port), Handler)
context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
context.load_cert_chain(sys.argv[2], sys.argv[3])
server.socket = context.wrap_socket(server.socket, server_side=True)
with open(sys.argv[4] + ".tmp", "w") as f:
    f.write("%d\n" % server.server_address[1])
os.rename(sys.argv[4] + ".tmp", sys.argv[4])
server.serve_forever()
