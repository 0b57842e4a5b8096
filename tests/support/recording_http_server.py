"""A scripted HTTP(S) peer on loopback that records the exact request bytes.

Prints its port as the first stdout line, then reads JSON commands, one per
line, from stdin and answers each with one JSON line:
  {"cmd": "script", "replies": [REPLY, ...]}  queue replies for the next requests
  {"cmd": "requests"}   -> {"requests": [{"bytes": LATIN1, "peer": ADDRESS}, ...]}
  {"cmd": "clear"}      forget recorded requests and queued replies
A REPLY is an object with the optional keys
  status      the status line (default "HTTP/1.1 200 OK")
  headers     raw header lines without line ends
  body        the body as a latin-1 string; bodySize N sends N bytes of "x" instead
  length      "auto" (default) adds Content-Length, "none" sends none and closes
              after the body, a number sends that Content-Length whatever the body
  cutAfter    send only this many body bytes, then close the connection
  holdAfter   send only this many body bytes, then keep the connection silent
  pieceDelayMs with pieceSize: send the body in pieces with this pause between
  silent      true: read the request and never answer
  close       true: read the request and close the connection without a reply
When no reply is queued the answer is 200 with the body "ok".
Options: --host ADDRESS, --tls (self-signed certificate made with openssl req),
--blackhole (listen with a full backlog and never accept: connects time out),
--cert-out FILE (with --tls: copy the certificate, which names the host as its
subject alternative name, to FILE so that a client can trust it).
Stdin at end or SIGTERM ends the server.
"""

import argparse
import json
import os
import shutil
import signal
import socket
import ssl
import subprocess
import sys
import tempfile
import threading
import time

lock = threading.Lock()
replies = []
recorded = []
held = []  # connections kept open by silent replies


def next_reply():
    with lock:
        return replies.pop(0) if replies else {"body": "ok"}


def read_request(conn, buffer):
    """One request (head and Content-Length body) or None at end of stream."""
    while b"\r\n\r\n" not in buffer:
        chunk = conn.recv(65536)
        if not chunk:
            return None, buffer
        buffer += chunk
    end = buffer.index(b"\r\n\r\n") + 4
    head = buffer[:end]
    length = 0
    for line in head.split(b"\r\n")[1:]:
        name, _, value = line.partition(b":")
        if name.strip().lower() == b"content-length":
            try:
                length = int(value.strip())
            except ValueError:
                length = 0
    while len(buffer) < end + length:
        chunk = conn.recv(65536)
        if not chunk:
            break
        buffer += chunk
    request = buffer[: end + length]
    return request, buffer[end + length :]


def answer(conn, reply):
    """Sends a reply; returns False when the connection must end."""
    reply = reply or {}
    if reply.get("silent"):
        with lock:
            held.append(conn)
        return False
    if reply.get("close"):
        return False
    if "bodySize" in reply:
        body = b"x" * int(reply["bodySize"])
    else:
        body = reply.get("body", "").encode("latin-1")
    lines = [reply.get("status", "HTTP/1.1 200 OK")] + list(reply.get("headers", []))
    length = reply.get("length", "auto")
    if length == "auto":
        lines.append("Content-Length: %d" % len(body))
    elif length != "none":
        lines.append("Content-Length: %d" % int(length))
    head = ("\r\n".join(lines) + "\r\n\r\n").encode("latin-1")
    if "cutAfter" in reply:
        conn.sendall(head + body[: int(reply["cutAfter"])])
        return False
    if "holdAfter" in reply:
        conn.sendall(head + body[: int(reply["holdAfter"])])
        with lock:
            held.append(conn)
        return False
    if "pieceDelayMs" in reply:
        conn.sendall(head)
        size = max(1, int(reply.get("pieceSize", 1)))
        for start in range(0, len(body), size):
            time.sleep(int(reply["pieceDelayMs"]) / 1000.0)
            conn.sendall(body[start : start + size])
    else:
        conn.sendall(head + body)
    return length not in ("none",) and isinstance(length, str)


def serve(conn, peer):
    buffer = b""
    keep = True
    try:
        while keep:
            request, buffer = read_request(conn, buffer)
            if request is None:
                break
            with lock:
                recorded.append({"bytes": request.decode("latin-1"), "peer": peer})
            keep = answer(conn, next_reply())
    except (OSError, ssl.SSLError):
        pass
    finally:
        with lock:
            if conn in held:
                return
        try:
            conn.shutdown(socket.SHUT_RDWR)
        except OSError:
            pass
        conn.close()


def accept_loop(listener, context):
    while True:
        try:
            conn, address = listener.accept()
        except OSError:
            return
        if context is not None:
            try:
                conn.settimeout(20)
                conn = context.wrap_socket(conn, server_side=True)
                conn.settimeout(None)
            except (OSError, ssl.SSLError):
                conn.close()
                continue
        threading.Thread(target=serve, args=(conn, address[0]), daemon=True).start()


def make_context(folder, host, cert_out):
    key = os.path.join(folder, "key.pem")
    cert = os.path.join(folder, "cert.pem")
    try:
        socket.inet_aton(host)
        alt_name = "IP:" + host
    except OSError:
        alt_name = "DNS:" + host
    subprocess.run(
        ["openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-keyout", key,
         "-out", cert, "-days", "1", "-subj", "/CN=navoket-test",
         "-addext", "subjectAltName=" + alt_name],
        check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    if cert_out:
        shutil.copyfile(cert, cert_out)
    context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
    context.load_cert_chain(cert, key)
    return context


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--host", default="127.0.0.1")
    parser.add_argument("--tls", action="store_true")
    parser.add_argument("--blackhole", action="store_true")
    parser.add_argument("--cert-out", default="")
    options = parser.parse_args()
    signal.signal(signal.SIGTERM, lambda *_: os._exit(0))

    folder = tempfile.mkdtemp(prefix="navoket-peer-")
    try:
        context = make_context(folder, options.host, options.cert_out) if options.tls else None
        listener = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
        listener.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
        listener.bind((options.host, 0))
        port = listener.getsockname()[1]
        fillers = []
        if options.blackhole:
            # A backlog that is full drops further SYNs: connecting never completes.
            listener.listen(0)
            for _ in range(3):
                filler = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
                filler.setblocking(False)
                filler.connect_ex((options.host, port))
                fillers.append(filler)
        else:
            listener.listen(64)
            threading.Thread(target=accept_loop, args=(listener, context), daemon=True).start()
        print(port, flush=True)
        for line in sys.stdin:
            if not line.strip():
                continue
            command = json.loads(line)
            with lock:
                if command["cmd"] == "script":
                    replies.extend(command["replies"])
                    result = {"ok": True}
                elif command["cmd"] == "requests":
                    result = {"requests": list(recorded)}
                elif command["cmd"] == "clear":
                    replies.clear()
                    recorded.clear()
                    result = {"ok": True}
                else:
                    result = {"error": "unknown command"}
            print(json.dumps(result), flush=True)
    finally:
        shutil.rmtree(folder, ignore_errors=True)


if __name__ == "__main__":
    main()
