"""What the scripted test servers of this folder share: the JSON event lines they print, the
listener whose port is their first line, the loop of commands on standard input, and the
reading of an HTTP request head and of scripted answers.

A peer run as `python3 testing/peers/NAME.py` finds this module beside it.
"""
import asyncio
import json
import sys


def report(event, **fields):
    """Prints one JSON event line."""
    sys.stdout.write(json.dumps({"event": event, **fields}) + "\n")
    sys.stdout.flush()


async def listen(handler, limit=64 * 1024):
    """A listener on a free port of 127.0.0.1, whose number is printed as the first line."""
    listener = await asyncio.start_server(handler, "127.0.0.1", 0, limit=limit)
    sys.stdout.write("%d\n" % listener.sockets[0].getsockname()[1])
    sys.stdout.flush()
    return listener


async def read_commands(command):
    """Hands each line of standard input to command() until it returns "quit" or the input ends."""
    loop = asyncio.get_running_loop()
    commands = asyncio.StreamReader()
    await loop.connect_read_pipe(lambda: asyncio.StreamReaderProtocol(commands), sys.stdin)
    while True:
        line = await commands.readline()
        if not line or command(line.decode("utf-8", errors="replace").strip()) == "quit":
            break


async def serve_requests(one_request, reader, writer):
    """Runs one_request() on the connection while it answers true; a broken or malformed
    request ends the connection quietly."""
    try:
        while await one_request(reader, writer):
            pass
    except (ConnectionError, asyncio.IncompleteReadError, asyncio.LimitOverrunError, ValueError):
        pass
    finally:
        writer.close()


async def read_head(reader, writer):
    """An HTTP request's head as (raw bytes, method, target, headers with lower-case names);
    a client that expects 100-continue is told to go on."""
    head = await reader.readuntil(b"\r\n\r\n")
    lines = head.decode("latin-1").split("\r\n")
    method, target, _ = lines[0].split(" ", 2)
    headers = {}
    for line in lines[1:]:
        if ":" in line:
            key, _, value = line.partition(":")
            headers[key.strip().lower()] = value.strip()
    if headers.get("expect", "").lower() == "100-continue":
        writer.write(b"HTTP/1.1 100 Continue\r\n\r\n")
    return head, method, target, headers


def take_scripted(queue):
    """The kind of the next scripted answer of a queue of [kind, count] (count "*" never runs
    out), or None when the queue is empty."""
    if not queue:
        return None
    kind, count = queue[0]
    if count != "*":
        queue[0][1] = count - 1
        if queue[0][1] <= 0:
            queue.pop(0)
    return kind
