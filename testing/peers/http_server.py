#!/usr/bin/python3
"""HTTP test server: the attachment and statistics server of the collaboration client.

  python3 http_server.py FOLDER

POST /upload.php takes a multipart form and stores its "file" part under FOLDER/attachments/
by the base name of the part's file name; GET /attachments/NAME serves such a file (404 when
there is none); POST /statistics.php records the "tendril" field. GET /updates/NAME serves
FOLDER/feeds/NAME (the update feeds; repeated slashes in the path count as one). Every raw request (head and
body, byte for byte) is kept as FOLDER/requests/N.raw.

The first line printed is the port (free, on 127.0.0.1). Every further line is a JSON event:
  request {id, method, path, headers, body_length, raw}   stored {name, size}
  statistics {value}        answered {id, status, kind}   pong {token}   error {command}
Commands on standard input, one a line:
  answer PATH KIND [COUNT]  the next COUNT (default 1, "*" for every) requests to PATH get
                            KIND instead of the normal answer: a status number (404, 500,
                            ...) with a short body; "stall" (the headers of a 200, then
                            nothing until the client goes); "short" (a Content-Length twice
                            the body sent, then the connection closes); "chunked" (the normal
                            body, chunked); "badchunk" (a chunked body broken in its middle);
                            "huge" (a Content-Length of 10^15, a few bytes, then close);
                            "silent" (nothing at all is answered until the client goes)
  clear PATH                drops the scripted answers of PATH
  ping TOKEN                answers pong once every earlier command has been carried out
  quit                      ends the server (so does the end of standard input)
"""
import asyncio
import os
import sys
import urllib.parse

from peer_loop import listen, read_commands, read_head, report, serve_requests, take_scripted

MAX_HEAD = 64 * 1024


def parse_multipart(body, content_type):
    """Parts of a multipart/form-data body as (name, filename, data)."""
    boundary = None
    for item in content_type.split(";"):
        item = item.strip()
        if item.lower().startswith("boundary="):
            boundary = item[len("boundary="):].strip('"')
    if not boundary:
        return []
    delimiter = b"--" + boundary.encode("latin-1")
    parts = []
    for chunk in body.split(delimiter)[1:]:
        if chunk.startswith(b"--"):
            break
        if chunk.startswith(b"\r\n"):
            chunk = chunk[2:]
        head, sep, data = chunk.partition(b"\r\n\r\n")
        if not sep:
            continue
        if data.endswith(b"\r\n"):
            data = data[:-2]
        name = filename = None
        for line in head.decode("utf-8", errors="replace").split("\r\n"):
            if line.lower().startswith("content-disposition:"):
                for field in line.split(";")[1:]:
                    key, _, value = field.strip().partition("=")
                    value = value.strip('"')
                    if key == "name":
                        name = value
                    elif key == "filename":
                        filename = value
        parts.append((name, filename, data))
    return parts


class Server:
    def __init__(self, folder):
        self.folder = folder
        self.attachments = os.path.join(folder, "attachments")
        self.requests = os.path.join(folder, "requests")
        os.makedirs(self.attachments, exist_ok=True)
        os.makedirs(self.requests, exist_ok=True)
        self.next_id = 1
        self.scripts = {}  # path -> list of [kind, count]
        self.stalled = []

    def scripted(self, path):
        return take_scripted(self.scripts.get(path))

    async def connection(self, reader, writer):
        await serve_requests(self.one_request, reader, writer)

    async def one_request(self, reader, writer):
        head, method, target, headers = await read_head(reader, writer)
        length = int(headers.get("content-length", "0"))
        body = await reader.readexactly(length) if length else b""
        request_id = self.next_id
        self.next_id += 1
        raw = os.path.join(self.requests, "%d.raw" % request_id)
        with open(raw, "wb") as f:
            f.write(head + body)
        path = urllib.parse.unquote(target.split("?", 1)[0])
        if path.replace("//", "/").startswith("/updates/"):
            while "//" in path:
                path = path.replace("//", "/")
        report("request", id=request_id, method=method, path=target, headers=headers, body_length=len(body), raw=raw)

        kind = self.scripted(path)
        if kind is None:
            status, answer = self.normal(method, path, headers, body)
            kind = "normal"
        elif kind.isdigit():
            status, answer = int(kind), b"scripted %s\n" % kind.encode()
        else:
            status, answer = self.normal(method, path, headers, body)
        report("answered", id=request_id, status=status, kind=kind)
        reason = {200: "OK", 404: "Not Found", 500: "Internal Server Error"}.get(status, "Status")
        start = b"HTTP/1.1 %d %s\r\n" % (status, reason.encode())
        if kind == "silent":
            await reader.read()  # until the client goes
            return False
        if kind == "stall":
            writer.write(start + b"Content-Length: %d\r\n\r\n" % max(len(answer), 1))
            await writer.drain()
            await reader.read()  # until the client goes
            return False
        if kind == "short":
            half = answer[: len(answer) // 2]
            writer.write(start + b"Content-Length: %d\r\n\r\n" % (2 * len(answer) + 2) + half)
            await writer.drain()
            return False
        if kind == "huge":
            writer.write(start + b"Content-Length: 1000000000000000\r\n\r\n" + answer[:16])
            await writer.drain()
            return False
        if kind in ("chunked", "badchunk"):
            writer.write(start + b"Transfer-Encoding: chunked\r\n\r\n")
            pieces = [answer[i:i + 4096] for i in range(0, len(answer), 4096)]
            if kind == "badchunk":
                pieces = pieces[: max(1, len(pieces) // 2)]
            for piece in pieces:
                writer.write(b"%x\r\n" % len(piece) + piece + b"\r\n")
            writer.write(b"0\r\n\r\n" if kind == "chunked" else b"zz\r\n")
            await writer.drain()
            return kind == "chunked"
        writer.write(start + b"Content-Length: %d\r\n\r\n" % len(answer) + answer)
        await writer.drain()
        return headers.get("connection", "").lower() != "close"

    def normal(self, method, path, headers, body):
        if method == "POST" and path == "/upload.php":
            for name, filename, data in parse_multipart(body, headers.get("content-type", "")):
                if name == "file" and filename:
                    base = os.path.basename(filename.replace("\\", "/"))
                    if base and base not in (".", ".."):
                        with open(os.path.join(self.attachments, base), "wb") as f:
                            f.write(data)
                        report("stored", name=base, size=len(data))
                        return 200, b"OK"
            return 200, b"NO FILE"
        if method == "POST" and path == "/statistics.php":
            for name, filename, data in parse_multipart(body, headers.get("content-type", "")):
                if name == "tendril":
                    report("statistics", value=data.decode("utf-8", errors="replace"))
            return 200, b"OK"
        if method == "GET" and path.startswith("/attachments/"):
            base = os.path.basename(path[len("/attachments/"):])
            file = os.path.join(self.attachments, base)
            if base and os.path.isfile(file):
                with open(file, "rb") as f:
                    return 200, f.read()
            return 404, b"not found\n"
        if method == "GET" and path.startswith("/updates/"):
            base = os.path.basename(path[len("/updates/"):])
            file = os.path.join(self.folder, "feeds", base)
            if base and os.path.isfile(file):
                with open(file, "rb") as f:
                    return 200, f.read()
        return 404, b"not found\n"

    def command(self, line):
        words = line.split()
        if not words:
            return None
        name, args = words[0], words[1:]
        try:
            if name == "ping":
                report("pong", token=args[0] if args else "")
            elif name == "answer":
                count = "*" if len(args) > 2 and args[2] == "*" else int(args[2]) if len(args) > 2 else 1
                self.scripts.setdefault(args[0], []).append([args[1], count])
            elif name == "clear":
                self.scripts.pop(args[0], None)
            elif name == "quit":
                return "quit"
            else:
                raise ValueError(name)
        except (IndexError, ValueError):
            report("error", command=line)
        return None


async def main():
    server = Server(sys.argv[1])
    listener = await listen(server.connection, limit=MAX_HEAD)
    await read_commands(server.command)
    listener.close()


if __name__ == "__main__":
    asyncio.run(main())
