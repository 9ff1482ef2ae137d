#!/usr/bin/env python3
"""Hostile clients against corvanta-server on loopback, while one ordinary client measures
how long servertime.php takes (a new connection each time, every 100 ms).

  slow bodies   SLOW connections from 127.0.0.2..9 send headers announcing a body and then
                one byte every 20 s; each that the server closes is opened again at once.
  one address   128 such connections from 127.0.0.2, the ordinary client behind the same
                address (a school's NAT).
  heavy reads   a class of 41,000 scores; HEAVY getscore.php requests at once from
                127.0.0.2..9, the ordinary client on 127.0.0.1.

Every phase is bounded in time, every count is fixed; nothing leaves 127.0.0.0/8.
Usage: bench/slow_clients.py SERVER_BINARY [--seconds 40] [--slow 1000] [--heavy 300]
                             [--phases slow,address,heavy]
"""
import argparse
import asyncio
import contextlib
import hashlib
import os
import resource
import statistics
import subprocess
import sys
import tempfile
import time
import urllib.parse

TIMEOUT = 10.0  # an ordinary request slower than this counts as failed


async def request(port, raw, source='127.0.0.1', timeout=TIMEOUT):
    """Sends raw bytes on a new connection; (status, body bytes) or (0, b'') on failure."""
    try:
        async def exchange():
            reader, writer = await asyncio.open_connection('127.0.0.1', port, local_addr=(source, 0))
            writer.write(raw)
            await writer.drain()
            data = await reader.read()
            writer.close()
            return data
        data = await asyncio.wait_for(exchange(), timeout)
    except (OSError, asyncio.TimeoutError):
        return 0, b''
    head, _, body = data.partition(b'\r\n\r\n')
    words = head.split(b'\r\n', 1)[0].split()
    return (int(words[1]) if len(words) > 1 and words[1].isdigit() else 0), body


def get(target):
    return ('GET %s HTTP/1.1\r\nHost: bench\r\nConnection: close\r\n\r\n' % target).encode()


def post(path, fields):
    body = urllib.parse.urlencode(fields, encoding='gbk').encode()
    return ('POST %s HTTP/1.1\r\nHost: bench\r\nConnection: close\r\nContent-Type: '
            'application/x-www-form-urlencoded\r\nContent-Length: %d\r\n\r\n' % (path, len(body))).encode() + body


class Probe:
    """The ordinary client: servertime.php every 100 ms until stopped."""

    def __init__(self, port, source):
        self.port, self.source = port, source
        self.times, self.failed, self.stopped = [], 0, False

    async def run(self):
        while not self.stopped:
            started = time.monotonic()
            status, _ = await request(self.port, get('/score/servertime.php?t=0.5'), self.source)
            elapsed = time.monotonic() - started
            if status == 200:
                self.times.append(elapsed)
            else:
                self.failed += 1
            await asyncio.sleep(max(0.0, 0.1 - elapsed))

    def report(self, name):
        t = sorted(self.times)
        if not t:
            print('%-14s ordinary client: 0 answered, %d failed' % (name, self.failed))
            return
        p99 = t[min(len(t) - 1, int(len(t) * 0.99))]
        print('%-14s ordinary client: %d answered, %d failed; median %.1f ms, p99 %.1f ms, max %.1f ms'
              % (name, len(t), self.failed, statistics.median(t) * 1000, p99 * 1000, t[-1] * 1000))


async def slow_body(port, source, stop, counts):
    """One hostile connection, opened again whenever the server closes it."""
    while not stop.is_set():
        try:
            reader, writer = await asyncio.open_connection('127.0.0.1', port, local_addr=(source, 0))
        except OSError:
            counts['refused'] += 1
            await asyncio.sleep(0.2)
            continue
        counts['opened'] += 1
        try:
            writer.write(b'POST /score/index.php HTTP/1.1\r\nHost: bench\r\n'
                         b'Content-Type: application/x-www-form-urlencoded\r\nContent-Length: 100000\r\n\r\nu')
            while not stop.is_set():
                await writer.drain()
                try:
                    if await asyncio.wait_for(reader.read(1024), 20.0) == b'':
                        break  # closed by the server
                    break
                except asyncio.TimeoutError:
                    writer.write(b'x')
        except OSError:
            pass
        counts['closed by server'] += 0 if stop.is_set() else 1
        writer.close()


async def hostile_phase(name, port, sources, per_source, probe_source, seconds):
    stop = asyncio.Event()
    counts = {'opened': 0, 'refused': 0, 'closed by server': 0}
    tasks = [asyncio.create_task(slow_body(port, s, stop, counts)) for s in sources for _ in range(per_source)]
    await asyncio.sleep(3)  # let them all connect
    probe = Probe(port, probe_source)
    probe_task = asyncio.create_task(probe.run())
    await asyncio.sleep(seconds)
    probe.stopped = True
    stop.set()
    await probe_task
    for task in tasks:
        task.cancel()
    await asyncio.gather(*tasks, return_exceptions=True)
    print('%-14s %d hostile connections from %d address(es): %d opened, %d closed by the server, %d refused'
          % (name, len(tasks), len(sources), counts['opened'], counts['closed by server'], counts['refused']))
    probe.report(name)


async def heavy_phase(port, heavy, seconds):
    oper, login = 'oper', 'login'
    digest = hashlib.md5(login.encode()).hexdigest()
    fields = [('username', 'heavy'), ('teachername', 'bench'), ('password', login), ('superpassword', oper),
              ('email', 'b@example.org'), ('mb', ''), ('tel', ''), ('qq', '')]
    steps = [post('/score/regteacher.php', fields),
             post('/score/setclass.php', [('username', 'heavy'), ('password', oper), ('class', 'C1')]),
             post('/score/student.php', [('username', 'heavy'), ('password', oper), ('class', 'C1'),
                                         ('student', '|'.join('s%d' % i for i in range(50)))]),
             post('/score/setketi.php', [('username', 'heavy'), ('password', oper), ('keti', 'k')])]
    base = time.mktime((2026, 1, 1, 8, 0, 0, 0, 0, -1))
    for part in range(5):
        lines = []
        for i in range(part * 8200, (part + 1) * 8200):
            stamp = time.strftime('%Y-%m-%d %H:%M:%S', time.localtime(base + i))
            lines.append('C1\ts%d\t5\t%s\t' % (i % 50, stamp))
        steps.append(post('/score/index.php', [('username', 'heavy'), ('password', oper), ('keti', 'k'),
                                               ('score', '|'.join(lines))]))
    for step in steps:
        status, body = await request(port, step, timeout=120)
        if status != 200 or body != b'Success!':
            print('heavy reads: setting up failed: %d %r' % (status, body[:200]))
            return
    target = '/score/getscore.php?class=C1&t=heavy&mp=' + digest
    started = time.monotonic()
    status, body = await request(port, get(target), timeout=120)
    print('heavy reads    one getscore.php alone: status %d, %d lines, %.0f ms'
          % (status, body.count(b'\r\n') + 1, (time.monotonic() - started) * 1000))
    probe = Probe(port, '127.0.0.1')
    probe_task = asyncio.create_task(probe.run())
    started = time.monotonic()
    results = await asyncio.gather(
        *[request(port, get(target), '127.0.0.%d' % (2 + i % 8), timeout=seconds) for i in range(heavy)])
    took = time.monotonic() - started
    probe.stopped = True
    await probe_task
    by_status = {}
    for status, _ in results:
        by_status[status] = by_status.get(status, 0) + 1
    print('heavy reads    %d getscore.php at once took %.1f s; by status: %s (0: no reply within %d s)'
          % (heavy, took, ', '.join('%d: %d' % kv for kv in sorted(by_status.items())), seconds))
    probe.report('heavy reads')


@contextlib.contextmanager
def running_server(binary, work, *extra):
    """corvanta-server on a free loopback port and a new SQLite database in work: (port, process)."""
    server = subprocess.Popen(
        [binary, '--listen', '127.0.0.1:0', '--database', 'sqlite:' + os.path.join(work, 'db'), *extra],
        stdout=subprocess.PIPE, stderr=open(os.path.join(work, 'log'), 'w'), text=True)
    try:
        line = server.stdout.readline()
        if not line.startswith('listening on '):
            sys.exit('the server did not start: ' + line)
        yield int(line.rsplit(':', 1)[1]), server
    finally:
        if server.poll() is not None:
            print('the server ended during the run with status %d; its log ends:' % server.returncode)
            print(''.join(open(os.path.join(work, 'log')).readlines()[-5:]), end='')
        server.terminate()
        try:
            server.wait(10)
        except subprocess.TimeoutExpired:
            server.kill()


async def main():
    parser = argparse.ArgumentParser()
    parser.add_argument('server')
    parser.add_argument('--seconds', type=int, default=40)
    parser.add_argument('--slow', type=int, default=1000)
    parser.add_argument('--heavy', type=int, default=300)
    parser.add_argument('--phases', default='slow,address,heavy')
    args = parser.parse_args()
    soft, hard = resource.getrlimit(resource.RLIMIT_NOFILE)
    resource.setrlimit(resource.RLIMIT_NOFILE, (hard, hard))
    with tempfile.TemporaryDirectory() as work, \
            running_server(args.server, work, '--mail-dir', os.path.join(work, 'mail')) as (port, _):
        eight = ['127.0.0.%d' % i for i in range(2, 10)]
        phases = args.phases.split(',')
        if 'slow' in phases:
            await hostile_phase('slow bodies', port, eight, args.slow // 8, '127.0.0.1', args.seconds)
            await asyncio.sleep(2)
        if 'address' in phases:
            await hostile_phase('one address', port, ['127.0.0.2'], 128, '127.0.0.2', args.seconds)
            await asyncio.sleep(2)
        if 'heavy' in phases:
            await heavy_phase(port, args.heavy, max(60, args.seconds * 2))


if __name__ == '__main__':
    asyncio.run(main())
