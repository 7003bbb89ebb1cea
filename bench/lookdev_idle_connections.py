#!/usr/bin/python3
"""A new client of a mattora-lookdev that many others hold idle connections
to: starts PROGRAM on a free port, opens COUNT connections that each make one
request and then sit idle, kept alive, and times a new client's 32 x 32
render. Prints the time, the answer's status line and how many of the idle
connections the server closed to make room (at most 512 are open at once).

    bench/lookdev_idle_connections.py PROGRAM [COUNT]

For example: bench/lookdev_idle_connections.py build/release/preview/mattora-lookdev 600
"""

import re
import socket
import subprocess
import sys
import time


def ask(connection, target):
    """One GET on a kept-alive connection; the answer's status line."""
    connection.sendall(("GET %s HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n" % target).encode())
    data = b""
    while b"\r\n\r\n" not in data:
        data += connection.recv(65536)
    head, _, body = data.partition(b"\r\n\r\n")
    length = int(re.search(rb"content-length: (\d+)", head, re.I).group(1))
    while len(body) < length:
        body += connection.recv(65536)
    return head.split(b"\r\n")[0].decode()


def main():
    if len(sys.argv) not in (2, 3):
        sys.exit(__doc__)
    count = int(sys.argv[2]) if len(sys.argv) == 3 else 600
    server = subprocess.Popen([sys.argv[1], "--port", "0"], stdout=subprocess.PIPE, text=True)
    try:
        port = int(re.search(r":(\d+)/", server.stdout.readline()).group(1))
        held = []
        for _ in range(count):
            held.append(socket.create_connection(("127.0.0.1", port)))
            ask(held[-1], "/lookdev.css")
        start = time.time()
        client = socket.create_connection(("127.0.0.1", port), timeout=10)
        status = ask(client, "/render?size=32x32&spp=1")
        seconds = time.time() - start
        closed = 0
        for connection in held:
            connection.setblocking(False)
            try:
                closed += connection.recv(1) == b""
            except BlockingIOError:
                pass
        print("%d idle connections: a new client's 32x32 render answered %s in %.3f s; "
              "%d idle connections closed by the server" % (count, status, seconds, closed))
    finally:
        server.terminate()
        server.wait()


if __name__ == "__main__":
    main()
