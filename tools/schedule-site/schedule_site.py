#!/usr/bin/python3
"""A local stand-in of the vessel-schedule site, for the tests and the demo.

Serve (prints the port it listens on as the first line of standard output):

    schedule_site.py [--host 127.0.0.1] [--port 0]

It answers POST /guestbook/cbxx.php with the body "vessel=" + name, the name
in GBK bytes exactly as Navoket posts them (neither trimmed nor
percent-encoded), with a UTF-8 page. A known vessel's page holds its schedule
block between the text "width:1200px;margin:0 auto" (the end of a div's style
attribute) and the next "<br> <br>"; an unknown vessel's page holds neither.

Control channel, on the same port:

    POST /control/schedule   form fields vessel, text: sets a vessel's schedule.
                             text is rows "port,ETA,ETD" separated by ";" or
                             line ends; an empty text is an empty timetable.
    POST /control/page?vessel=NAME[&status=CODE][&cut=1]
                             the body becomes that vessel's whole reply page,
                             byte for byte, served with that status (200); with
                             cut=1 the reply announces more bytes than it sends
                             and the connection closes after the page.
    POST /control/remove     form field vessel: the vessel becomes unknown.
    GET  /control/last       the body of the latest schedule request, raw.

Names in the control channel are UTF-8 (percent-encoded as forms are). Change
a schedule from a shell with:

    schedule_site.py --port PORT set VESSEL "NINGBO,12-20 08:00,12-21 18:00"
"""

import argparse
import html
import sys
import threading
import urllib.parse
import urllib.request
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer

SCHEDULE_PATH = "/guestbook/cbxx.php"

# Seeded so that the demo has something to check from the first click.
DEMO_SCHEDULES = {
    "ORIENT LARK": [
        ("宁波 NINGBO", "12-18 06:00", "12-19 14:00"),
        ("新加坡 SINGAPORE", "12-24 20:00", "12-25 18:00"),
        ("鹿特丹 ROTTERDAM", "01-19 04:00", "01-21 09:00"),
    ],
    "海鹭号": [
        ("上海 SHANGHAI", "12-20 10:00", "12-21 08:00"),
        ("釜山 BUSAN", "12-23 07:00", "12-23 22:00"),
    ],
}

PAGE_HEAD = """<!DOCTYPE html>
<html>
<head><meta charset="utf-8"><title>船期查询</title></head>
<body>
<div class="top">船期查询结果</div>
"""

PAGE_TAIL = """<div class="foot">数据仅供参考，以船公司公布为准。</div>
</body>
</html>
"""


def gbk_name(name):
    """The key of a vessel: its name as the GBK bytes the program posts."""
    return name.encode("gbk")


def render_schedule_page(name, rows):
    cells = "".join(
        "<tr><td>{}</td><td>{}</td><td>{}</td><td>{}</td></tr>\n".format(
            html.escape(name), *(html.escape(field) for field in row)
        )
        for row in rows
    )
    return (
        PAGE_HEAD
        + '<div style="width:1200px;margin:0 auto">\n'
        + '<table class="schedule">\n'
        + "<tr><th>船名</th><th>港口</th><th>预计到港 ETA</th><th>预计离港 ETD</th></tr>\n"
        + cells
        + "</table>\n<br> <br>\n"
        + PAGE_TAIL
    ).encode("utf-8")


def unknown_vessel_page():
    return (PAGE_HEAD + "<p>没有找到该船的船期信息。</p>\n" + PAGE_TAIL).encode("utf-8")


def parse_rows(text):
    rows = []
    for line in text.replace(";", "\n").splitlines():
        if line.strip():
            fields = [field.strip() for field in line.split(",")]
            rows.append(tuple((fields + ["", "", ""])[:3]))
    return rows


class ScheduleStore:
    """Per vessel (GBK name bytes): (status, page bytes, cut). Shared by the handler threads."""

    def __init__(self):
        self._lock = threading.Lock()
        self._pages = {}
        self._last_request = b""
        for name, rows in DEMO_SCHEDULES.items():
            self.set_page(gbk_name(name), 200, render_schedule_page(name, rows))

    def set_page(self, key, status, page, cut=False):
        with self._lock:
            self._pages[key] = (status, page, cut)

    def remove(self, key):
        with self._lock:
            self._pages.pop(key, None)

    def answer(self, body):
        with self._lock:
            self._last_request = body
            if body.startswith(b"vessel="):
                found = self._pages.get(body[len("vessel=") :])
                if found:
                    return found
        return 200, unknown_vessel_page(), False

    def last_request(self):
        with self._lock:
            return self._last_request


class Handler(BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"
    store = None  # set by serve()

    def log_message(self, format, *args):  # noqa: A002 - the base class's name
        pass

    def _body(self):
        length = int(self.headers.get("Content-Length") or 0)
        return self.rfile.read(length) if length else b""

    def _reply(self, status, body, content_type="text/html; charset=utf-8", cut=False):
        self.send_response(status)
        self.send_header("Content-Type", content_type)
        # A cut reply promises more than it sends, then the connection ends.
        self.send_header("Content-Length", str(len(body) + (1000 if cut else 0)))
        self.end_headers()
        self.wfile.write(body)
        if cut:
            self.close_connection = True

    def _form(self, body):
        return {
            key: values[0]
            for key, values in urllib.parse.parse_qs(
                body.decode("utf-8"), keep_blank_values=True
            ).items()
        }

    def do_POST(self):  # noqa: N802 - the base class's name
        url = urllib.parse.urlsplit(self.path)
        body = self._body()
        try:
            if url.path == SCHEDULE_PATH:
                status, page, cut = self.store.answer(body)
                self._reply(status, page, cut=cut)
            elif url.path == "/control/schedule":
                form = self._form(body)
                name = form["vessel"]
                rows = parse_rows(form.get("text", ""))
                self.store.set_page(gbk_name(name), 200, render_schedule_page(name, rows))
                self._reply(200, b"ok\n", "text/plain")
            elif url.path == "/control/page":
                query = self._form(url.query.encode("ascii"))
                status = int(query.get("status", "200"))
                cut = query.get("cut") == "1"
                self.store.set_page(gbk_name(query["vessel"]), status, body, cut)
                self._reply(200, b"ok\n", "text/plain")
            elif url.path == "/control/remove":
                self.store.remove(gbk_name(self._form(body)["vessel"]))
                self._reply(200, b"ok\n", "text/plain")
            else:
                self._reply(404, b"not found\n", "text/plain")
        except (KeyError, ValueError, UnicodeError) as error:
            self._reply(400, "bad control request: {}\n".format(error).encode(), "text/plain")

    def do_GET(self):  # noqa: N802 - the base class's name
        if urllib.parse.urlsplit(self.path).path == "/control/last":
            self._reply(200, self.store.last_request(), "application/octet-stream")
        else:
            self._reply(404, b"not found\n", "text/plain")


def serve(arguments):
    Handler.store = ScheduleStore()
    server = ThreadingHTTPServer((arguments.host, arguments.port), Handler)
    server.daemon_threads = True
    print(server.server_address[1], flush=True)
    try:
        server.serve_forever()
    except KeyboardInterrupt:
        pass
    finally:
        server.server_close()


def set_schedule(arguments):
    form = urllib.parse.urlencode({"vessel": arguments.vessel, "text": arguments.text})
    request = urllib.request.Request(
        "http://{}:{}/control/schedule".format(arguments.host, arguments.port),
        data=form.encode("ascii"),
    )
    # Loopback only: no proxy from the environment.
    opener = urllib.request.build_opener(urllib.request.ProxyHandler({}))
    with opener.open(request, timeout=10) as reply:
        sys.stdout.write(reply.read().decode())


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--host", default="127.0.0.1")
    parser.add_argument("--port", type=int, default=0)
    commands = parser.add_subparsers(dest="command")
    setter = commands.add_parser("set", help="set a vessel's schedule on a running stand-in")
    setter.add_argument("vessel")
    setter.add_argument("text", help='rows "port,ETA,ETD" separated by ";"')
    arguments = parser.parse_args()
    if arguments.command == "set":
        set_schedule(arguments)
    else:
        serve(arguments)


if __name__ == "__main__":
    main()
