"""A scripted SMTP peer on loopback for the sender's odd cases.

Prints its port as the first stdout line, then reads JSON commands, one per
line, from stdin and answers each with one JSON line:
  {"cmd": "log"} -> {"lines": [[CONNECTION, LINE], ...], "messages": [[CONNECTION, HEX], ...]}
LINE is each line received outside DATA (commands and AUTH answers, without
CR LF); HEX the raw data of each mail, dot-stuffing undone; CONNECTION counts
from 1. Options:
  --greeting ok|drop|silent|refuse   drop: close right after "220"; silent: never greet
  --auth login|plain|both|none       mechanisms the EHLO reply offers
  --ehlo ok|refuse                   refuse: EHLO gets 502, HELO still 250
  --rcpt ok|refuse                   refuse: RCPT gets 550
  --silent-after VERB                never answer a command starting with VERB
  --bytewise                         write every reply one byte at a time
  --user/--password                  the one account accepted
Stdin at end or SIGTERM ends the peer.
"""

import argparse
import base64
import json
import os
import signal
import socket
import sys
import threading
import time

lock = threading.Lock()
lines = []
messages = []
options = None


def record(connection, line):
    with lock:
        lines.append([connection, line.decode("latin-1")])


class Session:
    def __init__(self, sock, number):
        self.sock = sock
        self.number = number
        self.reader = sock.makefile("rb")

    def reply(self, text):
        data = (text + "\r\n").encode("latin-1")
        if options.bytewise:
            for i in range(len(data)):
                self.sock.sendall(data[i:i + 1])
                time.sleep(0.001)
        else:
            self.sock.sendall(data)

    def line(self):
        raw = self.reader.readline()
        if not raw:
            raise EOFError
        line = raw.rstrip(b"\r\n")
        record(self.number, line)
        return line

    def hold(self):
        # Keep the connection open and say nothing until the client leaves.
        while self.reader.read(4096):
            pass
        raise EOFError

    def check(self, user, password):
        self.reply("235 Authentication succeeded" if (user, password) == (
            options.user.encode("latin-1"), options.password.encode("latin-1"))
            else "535 Authentication credentials invalid")

    def data(self):
        self.reply("354 End data with <CR><LF>.<CR><LF>")
        body = []
        while True:
            raw = self.reader.readline()
            if not raw:
                raise EOFError
            if raw == b".\r\n":
                break
            body.append(raw[1:] if raw.startswith(b".") else raw)
        with lock:
            messages.append([self.number, b"".join(body).hex()])
        self.reply("250 Queued")

    def run(self):
        if options.greeting == "silent":
            self.hold()
        if options.greeting == "refuse":
            self.reply("554 No service here")
        else:
            self.reply("220 peer.test ESMTP")
        if options.greeting == "drop":
            return
        while True:
            line = self.line()
            verb = line.split(b" ")[0].upper().decode("latin-1")
            if options.silent_after and verb == options.silent_after:
                self.hold()
            if verb == "EHLO":
                if options.ehlo == "refuse":
                    self.reply("502 Command not implemented")
                    continue
                mechanisms = {"login": "LOGIN", "plain": "PLAIN", "both": "PLAIN LOGIN"}
                if options.auth in mechanisms:
                    self.reply("250-peer.test")
                    self.reply("250-SIZE 10485760")
                    self.reply("250 AUTH " + mechanisms[options.auth])
                else:
                    self.reply("250-peer.test")
                    self.reply("250 8BITMIME")
            elif verb == "HELO":
                self.reply("250 peer.test")
            elif line.upper() == b"AUTH LOGIN":
                self.reply("334 VXNlcm5hbWU6")
                user = base64.b64decode(self.line())
                self.reply("334 UGFzc3dvcmQ6")
                self.check(user, base64.b64decode(self.line()))
            elif line.upper() == b"AUTH PLAIN":
                self.reply("334 ")
                parts = base64.b64decode(self.line()).split(b"\0")
                self.check(*(parts[1:3] if len(parts) == 3 else (None, None)))
            elif verb == "MAIL":
                self.reply("250 OK")
            elif verb == "RCPT":
                self.reply("550 No such user" if options.rcpt == "refuse" else "250 OK")
            elif verb == "DATA":
                self.data()
            elif verb == "QUIT":
                self.reply("221 Bye")
                return
            else:
                self.reply("250 OK")


def serve(listener):
    number = 0
    while True:
        sock, _ = listener.accept()
        sock.setsockopt(socket.IPPROTO_TCP, socket.TCP_NODELAY, 1)
        number += 1

        def run(sock=sock, number=number):
            try:
                Session(sock, number).run()
            except (EOFError, OSError):
                pass
            finally:
                sock.close()

        threading.Thread(target=run, daemon=True).start()


def main():
    global options
    parser = argparse.ArgumentParser()
    parser.add_argument("--host", default="127.0.0.1")
    parser.add_argument("--greeting", default="ok", choices=["ok", "drop", "silent", "refuse"])
    parser.add_argument("--auth", default="login", choices=["login", "plain", "both", "none"])
    parser.add_argument("--ehlo", default="ok", choices=["ok", "refuse"])
    parser.add_argument("--rcpt", default="ok", choices=["ok", "refuse"])
    parser.add_argument("--silent-after", default="")
    parser.add_argument("--bytewise", action="store_true")
    parser.add_argument("--user", default="navoket@example.test")
    parser.add_argument("--password", default="secret")
    options = parser.parse_args()
    signal.signal(signal.SIGTERM, lambda *_: os._exit(0))

    listener = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
    listener.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
    listener.bind((options.host, 0))
    listener.listen(16)
    print(listener.getsockname()[1], flush=True)
    threading.Thread(target=serve, args=(listener,), daemon=True).start()
    for line in sys.stdin:
        json.loads(line)
        with lock:
            result = {"lines": list(lines), "messages": list(messages)}
        print(json.dumps(result), flush=True)
    os._exit(0)


if __name__ == "__main__":
    main()
