#!/usr/bin/env python3
"""A TCP proxy between a TDS client and a server that damages one reply of the server.

Replies are counted over every connection the proxy serves, from 0 (the first login
reply). A reply is a whole server message: its packets up to the one whose status has the
last-packet bit. Requests travel unchanged; every reply but the chosen one as well.

Usage: reply_damage_proxy.py --target-port PORT (--reply N | --after-request TEXT)
                             --damage KIND [--drip-ms MS] [--count-file FILE]
--after-request chooses the reply to the first request whose bytes hold TEXT (UTF-8).
It prints "listening on 127.0.0.1:PORT" once it accepts connections, and with --count-file
writes the number of replies seen so far into FILE after each one.

Kinds of damage (the payload is the reply's bytes after the packet headers):
  none                 nothing is damaged (counts the replies of a clean run)
  truncate             the first half of the reply, then the connection is closed
  stall                the first half of the reply, then silence with the connection open
  close                the connection is closed instead of the reply
  garbage              40 bytes of 0xFF in the middle of the payload
  wrong-token          the first token byte replaced by a code no token has
  cut                  4 bytes taken out of the middle of the payload
  doubled              the reply is sent twice
  row-without-format   the leading row format removed, or a ROW token put first where
                       the reply has none
  zeroed-row           in a reply of a row format, one row and a DONE, every byte of the
                       row's values zero (a number reads as 0, a text as NULL)
  drip                 the reply one byte every MS milliseconds (1500 by default)
  flood                an endless stream of DONE tokens with the MORE bit before the reply
"""

import argparse
import os
import socket
import sys
import threading
import time

KINDS = ["none", "truncate", "stall", "close", "garbage", "wrong-token", "cut", "doubled",
         "row-without-format", "zeroed-row", "drip", "flood"]

HEADER = 8
LAST_PACKET = 0x01
ROWFMT, ROWFMT2, ROW = 0xEE, 0x61, 0xD1
UNKNOWN_TOKEN = 0x5A
DONE_MORE = bytes([0xFD, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00])


def read_exactly(sock, count):
    data = b""
    while len(data) < count:
        chunk = sock.recv(count - len(data))
        if not chunk:
            return None
        data += chunk
    return data


def read_message(sock):
    """The packets of one server message, or None at the end of the stream."""
    packets = []
    while True:
        header = read_exactly(sock, HEADER)
        if header is None:
            return None
        length = int.from_bytes(header[2:4], "big")
        body = read_exactly(sock, max(0, length - HEADER))
        if body is None:
            return None
        packets.append(header + body)
        if header[1] & LAST_PACKET:
            return packets


def packetize(payload, packet_type, size):
    """`payload` cut into packets of at most `size` bytes, the last one marked."""
    chunk = max(1, size - HEADER)
    pieces = [payload[i:i + chunk] for i in range(0, len(payload), chunk)] or [b""]
    out = b""
    for index, piece in enumerate(pieces):
        status = LAST_PACKET if index == len(pieces) - 1 else 0
        out += bytes([packet_type, status]) + (HEADER + len(piece)).to_bytes(2, "big") + \
            b"\x00\x00\x00\x00" + piece
    return out


def format_length(payload):
    """The bytes of the payload's leading row format token, 0 when it has none."""
    if payload and payload[0] == ROWFMT and len(payload) >= 3:
        return 3 + int.from_bytes(payload[1:3], "little")
    if payload and payload[0] == ROWFMT2 and len(payload) >= 5:
        return 5 + int.from_bytes(payload[1:5], "little")
    return 0


def with_row_zeroed(payload):
    """A reply of a row format, one ROW and a DONE with the row's values all zero bytes."""
    start = format_length(payload)
    end = len(payload) - len(DONE_MORE)
    if not start or end <= start + 1 or payload[start] != ROW or payload[end] != 0xFD:
        return payload
    return payload[:start + 1] + bytes(end - start - 1) + payload[end:]


def without_row_format(payload):
    """The payload with its leading row format taken out, or a ROW token put first."""
    start = format_length(payload)
    return payload[start:] if start else bytes([ROW]) + bytes(8) + payload


class Proxy:
    def __init__(self, args):
        self.args = args
        self.replies = 0
        self.target = args.reply
        self.marker = args.after_request.encode("utf-8") if args.after_request else None
        self.lock = threading.Lock()

    def request_seen(self, data):
        """Chooses the next reply when `data`, the requests so far, holds the marker."""
        with self.lock:
            if self.marker and self.marker in data:
                self.target = self.replies
                self.marker = None

    def next_index(self):
        with self.lock:
            index = self.replies
            self.replies += 1
            if self.args.count_file:
                partial = self.args.count_file + ".new"
                with open(partial, "w") as out:
                    out.write(str(self.replies))
                os.replace(partial, self.args.count_file)
            return index

    def serve(self, client):
        server = socket.create_connection(("127.0.0.1", self.args.target_port))
        for sock in (client, server):
            sock.setsockopt(socket.IPPROTO_TCP, socket.TCP_NODELAY, 1)
        threading.Thread(target=self.forward_requests, args=(client, server),
                         daemon=True).start()
        try:
            while True:
                packets = read_message(server)
                if packets is None:
                    break
                index = self.next_index()
                if index == self.target and self.args.damage != "none":
                    if not self.damage(client, packets):
                        break
                else:
                    client.sendall(b"".join(packets))
        except OSError:
            pass
        for sock in (client, server):
            try:
                sock.shutdown(socket.SHUT_RDWR)
            except OSError:
                pass
            sock.close()

    def forward_requests(self, client, server):
        seen = b""
        try:
            while True:
                data = client.recv(65536)
                if not data:
                    break
                if self.marker:
                    seen = seen[-4096:] + data
                    self.request_seen(seen)
                server.sendall(data)
        except OSError:
            pass
        try:
            server.shutdown(socket.SHUT_WR)
        except OSError:
            pass

    def damage(self, client, packets):
        """Sends the damaged reply; False when the connection is to end."""
        kind = self.args.damage
        whole = b"".join(packets)
        packet_type = packets[0][0]
        size = max(len(p) for p in packets)
        payload = b"".join(p[HEADER:] for p in packets)
        middle = len(payload) // 2
        if kind == "truncate":
            client.sendall(whole[:len(whole) // 2])
            return False
        if kind == "stall":
            client.sendall(whole[:len(whole) // 2])
            while client.recv(65536):
                pass
            return False
        if kind == "close":
            return False
        if kind == "garbage":
            start = max(0, middle - 20)
            payload = payload[:start] + b"\xff" * 40 + payload[start + 40:]
        elif kind == "wrong-token":
            payload = bytes([UNKNOWN_TOKEN]) + payload[1:]
        elif kind == "cut":
            payload = payload[:middle] + payload[middle + 4:]
        elif kind == "doubled":
            client.sendall(whole + whole)
            return True
        elif kind == "row-without-format":
            payload = without_row_format(payload)
        elif kind == "zeroed-row":
            payload = with_row_zeroed(payload)
        elif kind == "drip":
            for byte in whole:
                client.sendall(bytes([byte]))
                time.sleep(self.args.drip_ms / 1000.0)
            return True
        elif kind == "flood":
            flood = packetize(DONE_MORE * ((size - HEADER) // len(DONE_MORE)), packet_type, size)
            flood = flood[:1] + b"\x00" + flood[2:]  # one packet, not the last of a message
            while True:
                client.sendall(flood)
        client.sendall(packetize(payload, packet_type, size))
        return True


def main():
    parser = argparse.ArgumentParser(description=__doc__,
                                     formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--target-port", type=int, required=True)
    parser.add_argument("--reply", type=int, default=-1)
    parser.add_argument("--after-request")
    parser.add_argument("--damage", choices=KINDS, default="none")
    parser.add_argument("--drip-ms", type=int, default=1500)
    parser.add_argument("--count-file")
    args = parser.parse_args()
    listener = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
    listener.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
    listener.bind(("127.0.0.1", 0))
    listener.listen(8)
    print("listening on 127.0.0.1:%d" % listener.getsockname()[1], flush=True)
    proxy = Proxy(args)
    while True:
        client, _ = listener.accept()
        threading.Thread(target=proxy.serve, args=(client,), daemon=True).start()


if __name__ == "__main__":
    try:
        main()
    except KeyboardInterrupt:
        sys.exit(0)
