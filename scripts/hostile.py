#!/usr/bin/env python3
"""Hostile-input probes of the viewer and the tile server, each a few seconds long.

Every case runs the real programs against a misbehaving peer on loopback (or a peer
against ktqserve) and checks what the user would see: the program ends within its
time-out, stays under its memory bound, and says what went wrong.

usage: hostile.py BUILD_DIR
"""
import os
import socket
import struct
import subprocess
import sys
import tempfile
import threading
import time

VIEWER_LIMIT_MB = 300
SERVER_LIMIT_MB = 200


def be32(value):
    return struct.pack(">i", value)


def description(width, height, tile):
    """An image description of one level, protocol version 11 (no thumbnail, no files)."""
    rows = (height + tile - 1) // tile
    columns = (width + tile - 1) // tile
    return be32(1) + b"".join(be32(v) for v in (width, height, tile, tile, rows, columns)) + be32(0) + be32(0)


def bmp_header_only(width, height):
    """A BMP that declares width x height at 24 bits and carries no pixels."""
    header = bytearray(54)
    header[0:2] = b"BM"
    struct.pack_into("<iiiiii", header, 2, 54, 0, 54, 40, width, height)
    header[26] = 1
    header[28] = 24
    return bytes(header)


class Server:
    """A TCP server on 127.0.0.1 and a free port; each connection runs handle(conn)."""

    def __init__(self, handle):
        self.handle = handle
        self.listener = socket.socket()
        self.listener.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
        self.listener.bind(("127.0.0.1", 0))
        self.listener.listen(64)
        self.port = self.listener.getsockname()[1]
        self.lines = []
        self.connections = []
        threading.Thread(target=self._accept, daemon=True).start()

    def _accept(self):
        while True:
            try:
                conn, _ = self.listener.accept()
            except OSError:
                return
            self.connections.append(conn)
            threading.Thread(target=self._serve, args=(conn,), daemon=True).start()

    def _serve(self, conn):
        try:
            self.handle(self, conn)
        except OSError:
            pass

    def read_lines(self, conn):
        buffer = b""
        while True:
            data = conn.recv(65536)
            if not data:
                return
            buffer += data
            while b"\r\n" in buffer:
                line, buffer = buffer.split(b"\r\n", 1)
                self.lines.append(line.decode("latin-1"))
                yield line.decode("latin-1")

    def close(self):
        self.listener.close()
        for conn in self.connections:
            try:
                conn.close()
            except OSError:
                pass


def silent(server, conn):
    for _ in server.read_lines(conn):
        pass


def drip(server, conn):
    conn.recv(4096)
    while True:
        conn.sendall(b"\0")
        time.sleep(0.2)


def bomb_tiles(server, conn):
    """Loads fine, then answers every tile with a picture bomb (or nothing decodable)."""
    payload = be32(0) + be32(255) + be32(0) + bmp_header_only(16384, 16384)
    for line in server.read_lines(conn):
        number, command = line.split(" ", 2)[:2]
        if command == "LOAD":
            body = description(512, 512, 256)
            conn.sendall(be32(8 + len(body)) + be32(0) + be32(int(number)) + body)
        elif command == "GETTILE":
            conn.sendall(be32(8 + len(payload)) + be32(0) + be32(int(number)) + payload)


def close_after_load(server, conn):
    """Loads fine and closes the connection at the first tile request, every time."""
    for line in server.read_lines(conn):
        number, command = line.split(" ", 2)[:2]
        if command == "LOAD":
            body = description(512, 512, 256)
            conn.sendall(be32(8 + len(body)) + be32(0) + be32(int(number)) + body)
        else:
            conn.close()
            return


class Run:
    def __init__(self, seconds, peak_mb, code, output):
        self.seconds, self.peak_mb, self.code, self.output = seconds, peak_mb, code, output


def run(command, limit_seconds, env=None):
    """Runs a program; its wall time, its peak resident memory (MB), exit code and output."""
    start = time.monotonic()
    with tempfile.TemporaryFile(mode="w+") as output:
        process = subprocess.Popen(command, stdout=output, stderr=subprocess.STDOUT, text=True, env=env)
        timer = threading.Timer(limit_seconds, process.kill)
        timer.start()
        _, status, usage = os.wait4(process.pid, 0)
        process.returncode = os.waitstatus_to_exitcode(status)
        hung = not timer.is_alive()
        timer.cancel()
        output.seek(0)
        text = output.read()
    code = "hung" if hung else process.returncode
    return Run(time.monotonic() - start, usage.ru_maxrss // 1024, code, text)


failures = []


def check(name, condition, detail):
    print(("ok    " if condition else "FAIL  ") + name + " (" + detail.strip()[:300] + ")")
    if not condition:
        failures.append(name)


def viewer_case(name, viewer, url, timeout, extra=(), expect_message=None, expect_code=None, max_seconds=None):
    with tempfile.TemporaryDirectory() as home:
        env = dict(os.environ, HOME=home, XDG_CONFIG_HOME=home)  # settings of its own, not the user's
        command = [viewer, "--headless", "--size", "1024x768", "--timeout", str(timeout),
                   "--snapshot", os.path.join(home, "out.png")] + list(extra) + [url]
        result = run(command, timeout + 30, env)
    bound = max_seconds if max_seconds is not None else timeout + 3
    check(name + ": ends in time", result.code != "hung" and result.seconds <= bound,
          "%.1f s (bound %d s), exit %s" % (result.seconds, bound, result.code))
    check(name + ": memory", result.peak_mb < VIEWER_LIMIT_MB, "%d MB" % result.peak_mb)
    if expect_code is not None:
        check(name + ": exit " + str(expect_code), result.code == expect_code, "exit %s: %s" % (result.code, result.output))
    if expect_message is not None:
        check(name + ": says " + repr(expect_message), expect_message in result.output, result.output.strip()[:300])
    return result


def main():
    build = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else "build")
    viewer = os.path.join(build, "apps/zolvex/zolvex")
    tool = os.path.join(build, "apps/ktqtool/ktqtool")
    serve = os.path.join(build, "apps/ktqserve/ktqserve")

    # Opening against servers that accept and then say nothing, or drip a byte at a time.
    for name, handler in (("silent server", silent), ("dripping server", drip)):
        server = Server(handler)
        viewer_case("direct, " + name, viewer, "ktq://127.0.0.1:%d/a.ktq" % server.port, 3,
                    extra=["--param", "DefaultProtocol=alwaysdirect"], expect_message="11.", expect_code=1)
        viewer_case("tunnel, " + name, viewer, "ktq://127.0.0.1:1/a.ktq", 3,
                    extra=["--param", "firewalled=yes", "--param", "httpport=%d" % server.port,
                           "--param", "DefaultProtocol=alwayshttp"], expect_message="2.", expect_code=1)
        server.close()

    # Tiles that are picture bombs: refused at once, given up after a few tries, and the
    # frame ends long before the time-out.
    server = Server(bomb_tiles)
    viewer_case("bomb tiles", viewer, "ktq://127.0.0.1:%d/a.ktq" % server.port, 20, max_seconds=10, expect_code=0)
    tiles = [line for line in server.lines if "GETTILE" in line]
    check("bomb tiles: few requests", 0 < len(tiles) <= 4 * 5, "%d GETTILE lines for 4 tiles" % len(tiles))
    server.close()

    # A server that closes at every tile request: the page hears of it, the frame ends.
    server = Server(close_after_load)
    viewer_case("closing server", viewer, "ktq://127.0.0.1:%d/a.ktq" % server.port, 20, max_seconds=15,
                expect_message="5. Connection broken", expect_code=1)
    server.close()

    # Ten thousand tiles in view: 8-pixel tiles of a 1024-pixel picture at the top level.
    with tempfile.TemporaryDirectory() as folder:
        image = os.path.join(folder, "t8.ktq")
        subprocess.run([tool, "synth", image, "--size", "1024", "--tile", "8"], check=True, capture_output=True)
        viewer_case("12,288 tiles, local file", viewer, image + ",0,0,8", 20, expect_code=0)
        server = subprocess.Popen([serve, folder, "--port", "0", "--http-port", "0"], stdout=subprocess.PIPE,
                                  text=True)
        try:
            port = int(server.stdout.readline().rsplit("port ", 1)[1])
            http_port = int(server.stdout.readline().rsplit("port ", 1)[1])
            # Such a level is drawn from a coarser one, so the frame completes in seconds.
            viewer_case("12,288 tiles, tile server", viewer, "ktq://127.0.0.1:%d/t8.ktq,0,0,8" % port, 20,
                        expect_code=0, max_seconds=10)
            viewer_case("12,288 tiles, tunnel", viewer, "ktq://127.0.0.1:%d/t8.ktq,0,0,8" % port, 20,
                        extra=["--param", "firewalled=yes", "--param", "httpport=%d" % http_port],
                        expect_code=0, max_seconds=10)
        finally:
            server.terminate()
            server.wait()

    print("%d failed" % len(failures) if failures else "all hostile cases passed")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
