#!/usr/bin/env python3
"""Holds N TCP connections open between 127.0.0.2 and a listener on
127.0.0.3 (2N sockets, plus the listener), prints "ready" and waits until
its standard input closes. Loopback only."""
import resource
import socket
import struct
import sys


def main() -> int:
    count = int(sys.argv[1])
    need = 2 * count + 64
    soft, hard = resource.getrlimit(resource.RLIMIT_NOFILE)
    if soft < need:
        resource.setrlimit(resource.RLIMIT_NOFILE, (min(max(need, soft), hard), hard))
    listener = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
    listener.bind(("127.0.0.3", 0))
    listener.listen(1024)
    port = listener.getsockname()[1]
    held = []
    for _ in range(count):
        client = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
        client.bind(("127.0.0.2", 0))
        client.connect(("127.0.0.3", port))
        server, _ = listener.accept()
        held += [client, server]
    print("ready", port, flush=True)
    sys.stdin.read()  # until the caller closes our input
    # Reset rather than close, so no TIME_WAIT sockets linger into the next run.
    linger = struct.pack("ii", 1, 0)
    for s in held:
        s.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER, linger)
        s.close()
    return 0


if __name__ == "__main__":
    sys.exit(main())
