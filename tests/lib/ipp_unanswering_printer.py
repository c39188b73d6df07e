#!/usr/bin/env python3
"""A printer reached by IPP address that takes a whole document and then drops the connection
without answering its end, as one that restarts at once to apply what it took. It answers what
comes before (Get-Printer-Attributes, Create-Job) and after (Cancel-Job, on a new connection).

    ipp_unanswering_printer.py PORT LOG

Each request is logged as one line: the operation's number in hex, then the document's size.
"""
import socket
import struct
import sys
import threading

GET_PRINTER_ATTRIBUTES, CREATE_JOB, SEND_DOCUMENT = 0x000B, 0x0005, 0x0006
JOB_ID = 7


def attribute(tag, name, value):
    name = name.encode()
    return bytes([tag]) + struct.pack(">H", len(name)) + name + struct.pack(">H", len(value)) + value


def answer(request_id, more=b""):
    body = struct.pack(">HHI", 0x0200, 0, request_id) + b"\x01"
    body += attribute(0x47, "attributes-charset", b"utf-8")
    body += attribute(0x48, "attributes-natural-language", b"en")
    return body + more + b"\x03"


def read_request(stream):
    if not stream.readline():
        return None
    headers = {}
    for line in iter(stream.readline, b"\r\n"):
        if not line:
            return None
        key, _, value = line.decode().partition(":")
        headers[key.strip().lower()] = value.strip()
    if "content-length" in headers:
        return stream.read(int(headers["content-length"]))
    body = b""
    while True:
        size = int(stream.readline().split(b";")[0], 16)
        if size == 0:
            stream.readline()
            return body
        body += stream.read(size)
        stream.readline()


def serve(connection, log):
    stream = connection.makefile("rb")
    with connection:
        while (body := read_request(stream)) is not None:
            operation, request_id = struct.unpack(">HI", body[2:8])
            # The attributes end at the end-of-attributes tag; the document follows.
            document = len(body) - body.index(b"\x03", 8) - 1 if operation == SEND_DOCUMENT else 0
            with open(log, "a") as out:
                out.write(f"{operation:04x} {document}\n")
            if operation == SEND_DOCUMENT:
                return
            more = b""
            if operation == GET_PRINTER_ATTRIBUTES:
                more = b"\x04" + attribute(0x49, "document-format-supported",
                                           b"application/octet-stream")
            elif operation == CREATE_JOB:
                more = b"\x02" + attribute(0x21, "job-id", struct.pack(">i", JOB_ID))
            reply = answer(request_id, more)
            connection.sendall(b"HTTP/1.1 200 OK\r\nContent-Type: application/ipp\r\n"
                               b"Content-Length: %d\r\n\r\n" % len(reply) + reply)


def main():
    port, log = int(sys.argv[1]), sys.argv[2]
    listener = socket.create_server(("127.0.0.1", port))
    while True:
        connection, _ = listener.accept()
        threading.Thread(target=serve, args=(connection, log), daemon=True).start()


if __name__ == "__main__":
    main()
