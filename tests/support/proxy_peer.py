"""Runs tinyproxy (HTTP proxy) or danted (SOCKS server) on a loopback port.

Usage: proxy_peer.py tinyproxy|danted --out ADDRESS [--basic-auth USER:PASSWORD]
Writes a configuration into a temporary folder, starts the proxy in the
foreground, waits until its port accepts connections, prints the port as the
first stdout line, and stops the proxy when stdin ends or on SIGTERM.
ADDRESS is the loopback address the proxy uses for its outgoing connections,
so that a server can tell a proxied request from a direct one. With
--basic-auth, tinyproxy admits only requests that carry those Basic credentials.
"""

import argparse
import os
import shutil
import signal
import socket
import subprocess
import sys
import tempfile
import time


def free_port():
    with socket.socket(socket.AF_INET, socket.SOCK_STREAM) as probe:
        probe.bind(("127.0.0.1", 0))
        return probe.getsockname()[1]


def tinyproxy(folder, port, out, basic_auth=""):
    config = os.path.join(folder, "tinyproxy.conf")
    with open(config, "w") as handle:
        handle.write(
            "Port %d\nListen 127.0.0.1\nBind %s\nTimeout 30\nMaxClients 20\n"
            "LogLevel Critical\nAllow 127.0.0.0/8\nDisableViaHeader Yes\n"
            "User nobody\nGroup nogroup\n" % (port, out))
        if basic_auth:
            user, _, password = basic_auth.partition(":")
            handle.write("BasicAuth %s %s\n" % (user, password))
    return ["/usr/bin/tinyproxy", "-d", "-c", config]


def danted(folder, port, out):
    config = os.path.join(folder, "danted.conf")
    with open(config, "w") as handle:
        handle.write(
            "logoutput: %s\n"
            "internal: 127.0.0.1 port = %d\n"
            "external: %s\n"
            "clientmethod: none\nsocksmethod: none\n"
            "user.privileged: root\nuser.unprivileged: nobody\n"
            "client pass { from: 127.0.0.0/8 to: 0.0.0.0/0 }\n"
            "socks pass { from: 127.0.0.0/8 to: 0.0.0.0/0 command: connect }\n"
            % (os.path.join(folder, "danted.log"), port, out))
    return ["/usr/sbin/danted", "-f", config, "-p", os.path.join(folder, "danted.pid")]


def wait_until_listening(port, child, bound=15.0):
    deadline = time.monotonic() + bound
    while time.monotonic() < deadline:
        if child.poll() is not None:
            return False
        try:
            with socket.create_connection(("127.0.0.1", port), timeout=0.5):
                return True
        except OSError:
            time.sleep(0.05)
    return False


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("kind", choices=["tinyproxy", "danted"])
    parser.add_argument("--out", default="127.0.0.1")
    parser.add_argument("--basic-auth", default="")
    options = parser.parse_args()
    folder = tempfile.mkdtemp(prefix="navoket-proxy-")
    os.chmod(folder, 0o755)
    child = None

    def stop(*_):
        if child is not None and child.poll() is None:
            child.terminate()
            try:
                child.wait(timeout=5)
            except subprocess.TimeoutExpired:
                child.kill()
                child.wait()
        shutil.rmtree(folder, ignore_errors=True)
        os._exit(0)

    signal.signal(signal.SIGTERM, stop)
    port = free_port()
    if options.kind == "tinyproxy":
        command = tinyproxy(folder, port, options.out, options.basic_auth)
    else:
        command = danted(folder, port, options.out)
    child = subprocess.Popen(command, stdin=subprocess.DEVNULL, stdout=sys.stderr)
    if not wait_until_listening(port, child):
        print("0 proxy did not start", flush=True)
        stop()
    print(port, flush=True)
    sys.stdin.read()
    stop()


if __name__ == "__main__":
    main()
