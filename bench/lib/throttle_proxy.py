#!/usr/bin/env python3
"""A TCP proxy that lets the client's bytes through at a fixed rate, for a slow link.

    throttle_proxy.py PORT_FILE TARGET_HOST TARGET_PORT BYTES_PER_SECOND COUNT_FILE

Listens on a free loopback port (written to PORT_FILE once listening), forwards every
connection to the target, the client's bytes at BYTES_PER_SECOND shared by all connections and
the answers at full speed. COUNT_FILE holds the client bytes forwarded so far. Small socket
buffers keep the link's backlog to a few tens of KB, as on a real slow link.
"""
import os
import socket
import sys
import threading
import time

BUFFER = 16384
TICK = 0.01


class Bucket:
    def __init__(self, rate):
        self.rate = rate
        self.lock = threading.Lock()
        self.next = time.monotonic()

    def take(self, size):
        with self.lock:
            now = time.monotonic()
            start = max(now, self.next)
            self.next = start + size / self.rate
        time.sleep(max(0.0, start - now))


class Counter:
    def __init__(self, path):
        self.path = path
        self.total = 0
        self.lock = threading.Lock()

    def add(self, size):
        with self.lock:
            self.total += size
            with open(self.path + ".tmp", "w") as out:
                out.write("%d\n" % self.total)
            # A reader never sees a half-written number.
            os.replace(self.path + ".tmp", self.path)


def pump(src, dst, bucket, counter):
    try:
        while True:
            data = src.recv(int(bucket.rate * TICK) if bucket else 65536)
            if not data:
                break
            if bucket:
                bucket.take(len(data))
            dst.sendall(data)
            if counter:
                counter.add(len(data))
    except OSError:
        pass
    for sock, how in ((dst, socket.SHUT_WR), (src, socket.SHUT_RD)):
        try:
            sock.shutdown(how)
        except OSError:
            pass


def serve(client, target, bucket, counter):
    try:
        upstream = socket.create_connection(target)
    except OSError:
        client.close()
        return
    upstream.setsockopt(socket.SOL_SOCKET, socket.SO_SNDBUF, BUFFER)
    up = threading.Thread(target=pump, args=(client, upstream, bucket, counter), daemon=True)
    down = threading.Thread(target=pump, args=(upstream, client, None, None), daemon=True)
    up.start()
    down.start()
    up.join()
    down.join()
    client.close()
    upstream.close()


def main():
    port_file, host, port, rate, count_file = sys.argv[1:6]
    listener = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
    listener.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
    listener.setsockopt(socket.SOL_SOCKET, socket.SO_RCVBUF, BUFFER)
    listener.bind(("127.0.0.1", 0))
    listener.listen(16)
    bucket = Bucket(float(rate))
    counter = Counter(count_file)
    counter.add(0)
    with open(port_file, "w") as out:
        out.write("%d\n" % listener.getsockname()[1])
    while True:
        client, _ = listener.accept()
        threading.Thread(target=serve, args=(client, (host, int(port)), bucket, counter),
                         daemon=True).start()


if __name__ == "__main__":
    main()
