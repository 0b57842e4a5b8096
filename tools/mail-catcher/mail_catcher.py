#!/usr/bin/python3
"""A local mail catcher for the demo: accepts every mail over SMTP (any login,
no TLS) and prints it decoded, subject and body in readable text.

    mail_catcher.py [--host 127.0.0.3] [--port 25]
"""

import argparse
import email
import email.header
import email.policy
import sys
import threading
import logging

from aiosmtpd.controller import Controller
from aiosmtpd.smtp import AuthResult


def accept_any_login(server, session, envelope, mechanism, auth_data):
    return AuthResult(success=True)


def readable_subject(message):
    raw = message.get("Subject", "")
    parts = []
    for text, charset in email.header.decode_header(raw):
        if isinstance(text, bytes):
            parts.append(text.decode(charset or "ascii", errors="replace"))
        else:
            parts.append(text)
    return "".join(parts)


def readable_body(message):
    payload = message.get_payload(decode=True) or b""
    charset = message.get_content_charset() or "us-ascii"
    if charset.lower() == "gb2312":
        charset = "gbk"  # the sender's code page is a superset of GB 2312
    return payload.decode(charset, errors="replace")


class PrintingHandler:
    async def handle_DATA(self, server, session, envelope):  # noqa: N802 - aiosmtpd's name
        message = email.message_from_bytes(envelope.original_content or envelope.content,
                                           policy=email.policy.compat32)
        print("---------- mail received ----------")
        print("Envelope: from %s to %s" % (envelope.mail_from, ", ".join(envelope.rcpt_tos)))
        print("From:     %s" % message.get("From", ""))
        print("To:       %s" % message.get("To", ""))
        print("Date:     %s" % message.get("Date", ""))
        print("Subject:  %s" % readable_subject(message))
        print()
        print(readable_body(message))
        print(flush=True)
        return "250 OK"


def main():
    # aiosmtpd 1.4 logs a warning about its own deprecated attribute on every login.
    logging.getLogger("mail.log").setLevel(logging.ERROR)
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--host", default="127.0.0.3")
    parser.add_argument("--port", type=int, default=25)
    arguments = parser.parse_args()
    controller = Controller(PrintingHandler(), hostname=arguments.host, port=arguments.port,
                            authenticator=accept_any_login, auth_require_tls=False)
    controller.start()
    print("catching mail on %s:%d" % (arguments.host, arguments.port), flush=True)
    try:
        threading.Event().wait()
    except KeyboardInterrupt:
        pass
    finally:
        controller.stop()
    sys.exit(0)


if __name__ == "__main__":
    main()
