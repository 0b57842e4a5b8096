"""A real SMTP server (aiosmtpd) on loopback that records every mail it accepts.

Prints its port as the first stdout line, then reads JSON commands, one per
line, from stdin and answers each with one JSON line:
  {"cmd": "messages"} -> {"messages": [MESSAGE, ...]}, oldest first
  {"cmd": "clear"}    forget the recorded mails
A MESSAGE holds the envelope ("mail_from", "rcpt_tos", "login": the account
that logged in or null), the raw message as hex ("raw_hex") and what a mail
reader makes of it: "headers" (name -> raw value), "subject" (encoded words
decoded, gb2312 read as GBK like mail readers do), "content_type", "charset",
"cte", "body_hex" (the body after base64 decoding) and "max_line" (the longest
raw line). Options: --host, --port (0: any), --user/--password (the one account
the authenticator accepts), --auth-required (no mail without a login).
Stdin at end or SIGTERM ends the server.
"""

import argparse
import asyncio
import email
import email.header
import email.policy
import json
import os
import signal
import sys
import threading
import warnings

from aiosmtpd.smtp import SMTP, AuthResult, LoginPassword

# Login without TLS is what these tests want; say nothing about it.
warnings.filterwarnings("ignore", message="Requiring AUTH while not requiring TLS")
warnings.filterwarnings("ignore", message="Session.login_data is deprecated")

lock = threading.Lock()
messages = []


def decode_words(value):
    parts = []
    for chunk, charset in email.header.decode_header(value):
        if isinstance(chunk, str):
            parts.append(chunk)
            continue
        if charset in (None, "us-ascii", "gb2312", "gbk"):
            charset = "gbk" if charset else "ascii"
        parts.append(chunk.decode(charset))
    return "".join(parts)


def describe(envelope, login):
    raw = envelope.original_content
    parsed = email.message_from_bytes(raw, policy=email.policy.compat32)
    headers = {name: str(value) for name, value in parsed.items()}
    subject = parsed.get("Subject")
    body = parsed.get_payload(decode=True) or b""
    return {
        "mail_from": envelope.mail_from,
        "rcpt_tos": list(envelope.rcpt_tos),
        "login": login,
        "raw_hex": raw.hex(),
        "headers": headers,
        "subject": decode_words(subject) if subject is not None else None,
        "content_type": parsed.get_content_type(),
        "charset": parsed.get_param("charset"),
        "cte": parsed.get("Content-Transfer-Encoding"),
        "body_hex": body.hex(),
        "max_line": max((len(line) for line in raw.split(b"\r\n")), default=0),
    }


class Recorder:
    async def handle_DATA(self, server, session, envelope):
        login = getattr(session, "navoket_login", None)
        with lock:
            messages.append(describe(envelope, login))
        return "250 OK"


class OneAccount:
    def __init__(self, user, password):
        self.user = user.encode("latin-1")
        self.password = password.encode("latin-1")

    def __call__(self, server, session, envelope, mechanism, auth_data):
        ok = (isinstance(auth_data, LoginPassword) and auth_data.login == self.user
              and auth_data.password == self.password)
        if ok:
            session.navoket_login = auth_data.login.decode("latin-1")
        return AuthResult(success=ok, handled=False)


def serve_commands():
    for line in sys.stdin:
        command = json.loads(line)
        with lock:
            if command.get("cmd") == "clear":
                messages.clear()
                result = {"ok": True}
            else:
                result = {"messages": list(messages)}
        print(json.dumps(result), flush=True)
    os._exit(0)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--host", default="127.0.0.1")
    parser.add_argument("--port", type=int, default=0)
    parser.add_argument("--user", default="navoket@example.test")
    parser.add_argument("--password", default="secret")
    parser.add_argument("--auth-required", action="store_true")
    options = parser.parse_args()
    signal.signal(signal.SIGTERM, lambda *_: os._exit(0))

    handler = Recorder()
    authenticator = OneAccount(options.user, options.password)

    def factory():
        return SMTP(handler, hostname="mail.test", authenticator=authenticator,
                    auth_required=options.auth_required, auth_require_tls=False,
                    decode_data=False)

    loop = asyncio.new_event_loop()
    server = loop.run_until_complete(loop.create_server(factory, options.host, options.port))
    print(server.sockets[0].getsockname()[1], flush=True)
    threading.Thread(target=serve_commands, daemon=True).start()
    loop.run_forever()


if __name__ == "__main__":
    main()
