#!/usr/bin/python3
"""Raw SOAP test server: the update web service as bytes on a socket, for the usage report.

  python3 soap_raw_server.py FOLDER

Every request is kept byte for byte as FOLDER/requests/N.raw; its body, read with
xml.etree (independently of the client's own description of the message), is written as
FOLDER/requests/N.outline: one line per element in document order, two blanks per depth,
"{namespace}name", then " = text" when the element holds text, then " xmlns:PREFIX=URI"
for each namespace declared on the element; "unparsed" when the body is not XML.

The first line printed is the port (free, on 127.0.0.1). Every further line is a JSON event:
  request {id, method, path, headers, body_length, raw, outline}
  answered {id, kind}     released {count}     pong {token}     error {command}
Commands on standard input, one a line:
  answer KIND [COUNT]  the next COUNT (default 1, "*" for every) requests get KIND instead
                       of the normal answer ("ok": a GetAllInformationResponse with its
                       result): "noresult" (a response without its result element);
                       "fault" (a SOAP 1.2 fault, status 500); "500" (status 500, a plain
                       text body); "garbage" (status 200, bytes that are not XML); "silent"
                       (nothing until the client goes); "close" (the connection closes
                       unanswered); "hold" (the normal answer, once "release" is given)
  release              answers every held request
  ping TOKEN           answers pong once every earlier command has been carried out
  quit                 ends the server (so does the end of standard input)
"""
import asyncio
import os
import sys
import xml.etree.ElementTree as ElementTree
from io import BytesIO

from peer_loop import listen, read_commands, read_head, report, serve_requests, take_scripted

MAX_HEAD = 64 * 1024
ENVELOPE = "http://www.w3.org/2003/05/soap-envelope"
SERVICE = "http://update.kx2.test/"


def outline(body):
    """The element outline of an XML body, or "unparsed"."""
    lines = []
    depth = 0
    declared = []
    try:
        for event, item in ElementTree.iterparse(BytesIO(body), events=("start-ns", "start", "end")):
            if event == "start-ns":
                declared.append(item)
            elif event == "start":
                line = "  " * depth + item.tag
                lines.append([line, item, declared])
                declared = []
                depth += 1
            else:
                depth -= 1
    except ElementTree.ParseError:
        return "unparsed\n"
    text = []
    for line, item, names in lines:
        if item.text and item.text.strip():
            line += " = " + item.text.strip()
        for prefix, uri in names:
            line += " xmlns:%s=%s" % (prefix, uri)
        text.append(line)
    return "\n".join(text) + "\n"


def envelope(inner):
    return (
        '<?xml version="1.0" encoding="utf-8"?>'
        '<soap:Envelope xmlns:soap="%s"><soap:Body>%s</soap:Body></soap:Envelope>' % (ENVELOPE, inner)
    ).encode()


ANSWERS = {
    "ok": (200, envelope('<GetAllInformationResponse xmlns="%s">'
                         "<GetAllInformationResult>ok</GetAllInformationResult>"
                         "</GetAllInformationResponse>" % SERVICE)),
    "noresult": (200, envelope('<GetAllInformationResponse xmlns="%s"/>' % SERVICE)),
    "fault": (500, envelope("<soap:Fault><soap:Code><soap:Value>soap:Receiver</soap:Value></soap:Code>"
                            '<soap:Reason><soap:Text xml:lang="en">refused</soap:Text></soap:Reason>'
                            "</soap:Fault>")),
    "500": (500, b"scripted 500\n"),
    "garbage": (200, b"\x00\xffnot xml at all <<<&&&\n"),
}


class Server:
    def __init__(self, folder):
        self.requests = os.path.join(folder, "requests")
        os.makedirs(self.requests, exist_ok=True)
        self.next_id = 1
        self.scripts = []  # [kind, count]
        self.held = []  # futures of held answers

    def scripted(self):
        return take_scripted(self.scripts) or "ok"

    async def connection(self, reader, writer):
        await serve_requests(self.one_request, reader, writer)

    async def read_body(self, reader, headers):
        if headers.get("transfer-encoding", "").lower() == "chunked":
            body = b""
            while True:
                size = int((await reader.readuntil(b"\r\n")).split(b";")[0].strip(), 16)
                if size == 0:
                    await reader.readuntil(b"\r\n")
                    return body
                body += await reader.readexactly(size)
                await reader.readexactly(2)
        length = int(headers.get("content-length", "0"))
        return await reader.readexactly(length) if length else b""

    async def one_request(self, reader, writer):
        head, method, target, headers = await read_head(reader, writer)
        body = await self.read_body(reader, headers)
        request_id = self.next_id
        self.next_id += 1
        raw = os.path.join(self.requests, "%d.raw" % request_id)
        with open(raw, "wb") as f:
            f.write(head + body)
        shape = os.path.join(self.requests, "%d.outline" % request_id)
        with open(shape, "w", encoding="utf-8") as f:
            f.write(outline(body))
        report("request", id=request_id, method=method, path=target, headers=headers, body_length=len(body),
               raw=raw, outline=shape)

        kind = self.scripted()
        if kind in ("silent", "close"):
            report("answered", id=request_id, kind=kind)
            if kind == "silent":
                await reader.read()  # until the client goes
            return False
        if kind == "hold":
            released = asyncio.get_running_loop().create_future()
            self.held.append(released)
            await released
        status, answer = ANSWERS.get(kind, ANSWERS["ok"])
        reason = {200: "OK", 500: "Internal Server Error"}[status]
        content_type = b"text/plain" if kind in ("500", "garbage") else b"application/soap+xml; charset=utf-8"
        writer.write(b"HTTP/1.1 %d %s\r\nContent-Type: %s\r\nContent-Length: %d\r\n\r\n"
                     % (status, reason.encode(), content_type, len(answer)) + answer)
        await writer.drain()
        report("answered", id=request_id, kind=kind)
        return headers.get("connection", "").lower() != "close"

    def command(self, line):
        words = line.split()
        if not words:
            return None
        name, args = words[0], words[1:]
        try:
            if name == "ping":
                report("pong", token=args[0] if args else "")
            elif name == "answer":
                count = "*" if len(args) > 1 and args[1] == "*" else int(args[1]) if len(args) > 1 else 1
                if args[0] not in ANSWERS and args[0] not in ("silent", "close", "hold"):
                    raise ValueError(args[0])
                self.scripts.append([args[0], count])
            elif name == "release":
                held, self.held = self.held, []
                for future in held:
                    if not future.done():
                        future.set_result(None)
                report("released", count=len(held))
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
