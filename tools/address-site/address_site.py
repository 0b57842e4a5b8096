#!/usr/bin/python3
"""A local stand-in of the IP-display site that Navoket asks at start-up.

    address_site.py [--host 127.0.0.1] [--port 0]

Prints the port it listens on as the first line of standard output. GET / is
the site's root page, which embeds the result page in an inline frame with a
protocol-relative address; GET /ic.asp is that result page (UTF-8), telling
the caller its own address and a place.
"""

import argparse
import sys
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer

RESULT_PATH = "/ic.asp"


class Handler(BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"

    def log_message(self, format, *args):  # noqa: A002 - the base class's name
        pass

    def _reply(self, page):
        body = page.encode("utf-8")
        self.send_response(200)
        self.send_header("Content-Type", "text/html; charset=utf-8")
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body)

    def do_GET(self):  # noqa: N802 - the base class's name
        host = self.headers.get("Host", "%s:%d" % self.server.server_address[:2])
        if self.path.split("?")[0] == RESULT_PATH:
            address = self.client_address[0]
            self._reply(
                "<html><head><title>您的IP地址是：%s</title></head><body>\n"
                "<p align=\"center\">您的IP是：[%s] 来自：本机回环地址（演示）\n</p>\n"
                "</body></html>\n" % (address, address)
            )
        else:
            self._reply(
                "<html><head><title>IP地址查询</title></head><body>\n"
                '<iframe src="//%s%s" rel="nofollow" frameborder="0"></iframe>\n'
                "</body></html>\n" % (host, RESULT_PATH)
            )


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--host", default="127.0.0.1")
    parser.add_argument("--port", type=int, default=0)
    arguments = parser.parse_args()
    server = ThreadingHTTPServer((arguments.host, arguments.port), Handler)
    print(server.server_address[1], flush=True)
    try:
        server.serve_forever()
    except KeyboardInterrupt:
        pass
    sys.exit(0)


if __name__ == "__main__":
    main()
