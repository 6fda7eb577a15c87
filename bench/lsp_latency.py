#!/usr/bin/env python3
"""How long `zeb lsp` takes from a change to its diagnostics, and its memory.

For each size a generated mission is opened, then changed RUNS times (a
comment with a counter is put at its end, so each version is new text of
the same size); each change is timed from the moment its message is
written to the moment the publication for its version has been read. The
server's resident memory is read from /proc after the changes.

    bench/lsp_latency.py [--build DIR] [--runs N] [--seed N] [MB ...]

Defaults: build/, 9 runs, seed 1, sizes 1 and 10 MB. MB are 10^6 bytes.
"""

import argparse
import json
import os
import statistics
import subprocess
import sys
import time


def frame(message):
    body = json.dumps(message).encode()
    return b"Content-Length: %d\r\n\r\n" % len(body) + body


class Server:
    def __init__(self, zeb):
        self.process = subprocess.Popen([zeb, "lsp"], stdin=subprocess.PIPE, stdout=subprocess.PIPE)
        self.next_id = 0

    def send(self, message):
        self.process.stdin.write(frame(message))
        self.process.stdin.flush()

    def read(self):
        header = b""
        while not header.endswith(b"\r\n\r\n"):
            byte = self.process.stdout.read(1)
            if not byte:
                raise RuntimeError("the server closed its output")
            header += byte
        length = int(header.split(b":")[1].split(b"\r")[0])
        return json.loads(self.process.stdout.read(length))

    def request(self, method, params):
        self.next_id += 1
        self.send({"jsonrpc": "2.0", "id": self.next_id, "method": method, "params": params})
        while True:
            message = self.read()
            if message.get("id") == self.next_id:
                return message

    def notify(self, method, params):
        self.send({"jsonrpc": "2.0", "method": method, "params": params})

    def diagnostics_for(self, version):
        while True:
            message = self.read()
            if message.get("method") == "textDocument/publishDiagnostics" and \
                    message["params"].get("version") == version:
                return message["params"]["diagnostics"]

    def memory_kb(self):
        fields = {}
        with open("/proc/%d/status" % self.process.pid) as status:
            for line in status:
                name, _, value = line.partition(":")
                fields[name] = value.strip()
        return int(fields["VmRSS"].split()[0]), int(fields["VmHWM"].split()[0])

    def close(self):
        self.request("shutdown", None)
        self.notify("exit", None)
        return self.process.wait()


def measure(zeb, text, runs):
    server = Server(zeb)
    server.request("initialize", {"processId": None, "capabilities": {}})
    server.notify("initialized", {})
    uri = "file:///bench.mission"
    started = time.perf_counter()
    server.notify("textDocument/didOpen",
                  {"textDocument": {"uri": uri, "languageId": "mission", "version": 0, "text": text}})
    found = server.diagnostics_for(0)
    opened = (time.perf_counter() - started) * 1000
    timings = []
    for version in range(1, runs + 1):
        changed = text + "// change %06d\n" % version
        message = frame({"jsonrpc": "2.0", "method": "textDocument/didChange",
                         "params": {"textDocument": {"uri": uri, "version": version},
                                    "contentChanges": [{"text": changed}]}})
        server.process.stdin.write(message)
        started = time.perf_counter()
        server.process.stdin.flush()
        server.diagnostics_for(version)
        timings.append((time.perf_counter() - started) * 1000)
    rss, peak = server.memory_kb()
    status = server.close()
    return opened, timings, len(found), rss, peak, status


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--build", default="build")
    parser.add_argument("--runs", type=int, default=9)
    parser.add_argument("--seed", type=int, default=1)
    parser.add_argument("sizes", nargs="*", type=float, default=[1, 10])
    options = parser.parse_args()
    zeb = os.path.join(options.build, "zeb")
    generator = os.path.join(options.build, "bench", "zebbench")
    print("%8s %10s %10s %10s %10s %8s %10s %10s" %
          ("MB", "open ms", "median ms", "max ms", "diags", "text MB", "RSS MB", "peak MB"))
    for size in options.sizes:
        text = subprocess.run([generator, "--generate-bytes", str(int(size * 1e6)), "--seed", str(options.seed)],
                              check=True, capture_output=True, text=True).stdout
        opened, timings, found, rss, peak, status = measure(zeb, text, options.runs)
        if status != 0:
            print("zeb lsp exited with %d" % status, file=sys.stderr)
            return 1
        print("%8.1f %10.1f %10.1f %10.1f %10d %8.1f %10.1f %10.1f" %
              (len(text) / 1e6, opened, statistics.median(timings), max(timings), found, len(text) / 1e6,
               rss / 1024, peak / 1024))
    return 0


if __name__ == "__main__":
    sys.exit(main())
