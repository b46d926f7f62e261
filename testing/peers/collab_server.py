#!/usr/bin/python3
"""Collaboration test server: the peer of the client's TCP link in tests.

Frames are a 12-byte little-endian header (type, argument, body length) and the body. A
frame with a type outside 1..47 or a body length outside 0..1,050,612 closes the connection
that sent it, and only that one. A type-2 frame (room name, narrow and terminated, then user
name, UTF-16LE and terminated) registers the connection in its room. Types 24, 28, 29, 31 to
34 and 39 are relayed unchanged to the room's other connections (and to the sender when its
echo is on); 21 and 22 are kept, not relayed.

The first line printed is the port (free, on 127.0.0.1). Every further line is a JSON event:
  connected {conn}            registered {conn, room, user}     refused {conn}
  frame {conn, type, arg, length, body (hex)}                  relayed {conn, type, to}
  kept {conn, type}           bad_frame {conn, type, arg, length}
  closed {conn, reason}       pong {token}                     error {command}
Commands, one a line on standard input (conn is the number the events give):
  inject CONN HEX            write the bytes (any frame, malformed ones too) to the connection
  slow CONN BYTES DELAY_MS   read at most BYTES at a time, waiting DELAY_MS after each read
                             (BYTES 0 reads normally again)
  pause CONN / resume CONN   stop reading from the connection / read again
  refuse on|off              close new connections as soon as they are accepted
  drop CONN / drop all       close a connection / every connection
  echo CONN on|off           relay the connection's frames back to it too
  ping TOKEN                 answers pong once every earlier command has been carried out
  quit                       ends the server (so does the end of standard input)
"""
import asyncio
import struct

from peer_loop import listen, read_commands, report

HEADER = 12
MAX_PACKET = 0x100800
MAX_BODY = MAX_PACKET - HEADER
RELAYED = {24, 28, 29, 31, 32, 33, 34, 39}
KEPT = {21, 22}


def parse_opening(body):
    """Room (narrow) and user (UTF-16LE) of a type-2 body, or None."""
    end = body.find(b"\0")
    if end < 0:
        return None
    room = body[:end].decode("latin-1")
    rest = body[end + 1:]
    for i in range(0, len(rest) - 1, 2):
        if rest[i] == 0 and rest[i + 1] == 0:
            return room, rest[:i].decode("utf-16-le", errors="replace")
    return None


class Connection:
    def __init__(self, server, conn, reader, writer):
        self.server = server
        self.conn = conn
        self.reader = reader
        self.writer = writer
        self.room = None
        self.user = None
        self.echo = False
        self.running = asyncio.Event()
        self.running.set()
        self.slow_bytes = 0
        self.slow_delay = 0.0
        self.task = None

    async def read_exact(self, count):
        data = bytearray()
        while len(data) < count:
            await self.running.wait()
            want = count - len(data)
            if self.slow_bytes:
                want = min(want, self.slow_bytes)
            got = await self.reader.read(want)
            if not got:
                return None
            data += got
            if self.slow_bytes and self.slow_delay:
                await asyncio.sleep(self.slow_delay)
        return bytes(data)

    async def run(self):
        reason = "peer closed"
        try:
            while True:
                header = await self.read_exact(HEADER)
                if header is None:
                    break
                type_, arg, length = struct.unpack("<iii", header)
                if not 1 <= type_ <= 47 or not 0 <= length <= MAX_BODY:
                    report("bad_frame", conn=self.conn, type=type_, arg=arg, length=length)
                    reason = "bad frame"
                    break
                body = await self.read_exact(length) if length else b""
                if body is None:
                    reason = "peer closed inside a frame"
                    break
                self.server.on_frame(self, type_, arg, header + body)
        except (ConnectionError, OSError) as error:
            reason = "error: %s" % error
        except asyncio.CancelledError:
            reason = "dropped"
        finally:
            self.server.forget(self)
            self.writer.close()
            report("closed", conn=self.conn, reason=reason)

    def send(self, data):
        if not self.writer.is_closing():
            self.writer.write(data)


class Server:
    def __init__(self):
        self.connections = {}
        self.next_conn = 1
        self.refusing = False
        self.kept = []

    async def accept(self, reader, writer):
        conn = self.next_conn
        self.next_conn += 1
        if self.refusing:
            report("refused", conn=conn)
            writer.close()
            return
        connection = Connection(self, conn, reader, writer)
        self.connections[conn] = connection
        report("connected", conn=conn)
        connection.task = asyncio.current_task()
        await connection.run()

    def forget(self, connection):
        self.connections.pop(connection.conn, None)

    def on_frame(self, connection, type_, arg, frame):
        body = frame[HEADER:]
        report("frame", conn=connection.conn, type=type_, arg=arg, length=len(body), body=body.hex())
        if type_ == 2:
            opening = parse_opening(body)
            if opening is not None:
                connection.room, connection.user = opening
                report("registered", conn=connection.conn, room=connection.room, user=connection.user)
        elif type_ in KEPT:
            self.kept.append((connection.conn, type_, arg, body))
            report("kept", conn=connection.conn, type=type_)
        elif type_ in RELAYED and connection.room is not None:
            targets = [c for c in self.connections.values()
                       if c.room == connection.room and (c is not connection or connection.echo)]
            for target in targets:
                target.send(frame)
            report("relayed", conn=connection.conn, type=type_, to=[t.conn for t in targets])

    def command(self, line):
        words = line.split()
        if not words:
            return
        name, args = words[0], words[1:]
        try:
            if name == "ping":
                report("pong", token=args[0] if args else "")
            elif name == "inject":
                self.connection(args[0]).send(bytes.fromhex("".join(args[1:])))
            elif name == "slow":
                c = self.connection(args[0])
                c.slow_bytes = max(0, int(args[1]))
                c.slow_delay = int(args[2]) / 1000.0 if len(args) > 2 else 0.0
            elif name == "pause":
                self.connection(args[0]).running.clear()
            elif name == "resume":
                self.connection(args[0]).running.set()
            elif name == "refuse":
                self.refusing = args[0] == "on"
            elif name == "drop":
                targets = list(self.connections.values()) if args[0] == "all" else [self.connection(args[0])]
                for c in targets:
                    c.task.cancel()
            elif name == "echo":
                self.connection(args[0]).echo = args[1] == "on"
            elif name == "quit":
                return "quit"
            else:
                raise ValueError(name)
        except (IndexError, KeyError, ValueError):
            report("error", command=line)
        return None

    def connection(self, word):
        return self.connections[int(word)]


async def main():
    server = Server()
    listener = await listen(server.accept)
    await read_commands(server.command)
    listener.close()
    for c in list(server.connections.values()):
        c.task.cancel()
    await asyncio.sleep(0)


if __name__ == "__main__":
    asyncio.run(main())
