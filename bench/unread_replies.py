#!/usr/bin/env python3
"""Clients that ask for a large reply and never read it, against corvanta-server on loopback.

A teacher with a record file of about 2 MB (50 classes of 200 students); COUNT connections from
127.0.0.2..9 (a small receive buffer each) ask for it and read nothing for SECONDS, while an
ordinary client measures servertime.php from 127.0.0.1. Printed: the server's resident memory
and the kernel's TCP memory before and while they wait, and the ordinary client's times.

Every count is fixed, every phase bounded in time; nothing leaves 127.0.0.0/8.
Usage: bench/unread_replies.py SERVER_BINARY [--count 1000] [--seconds 15]
"""
import argparse
import asyncio
import concurrent.futures
import hashlib
import os
import resource
import socket
import sys
import tempfile
import time

from slow_clients import Probe, get, post, request, running_server


def resident_mb(pid):
    with open('/proc/%d/status' % pid) as status:
        for line in status:
            if line.startswith('VmRSS:'):
                return int(line.split()[1]) / 1024
    return 0


def tcp_kernel_mb():
    with open('/proc/net/sockstat') as stat:
        for line in stat:
            if line.startswith('TCP:'):
                words = line.split()
                return int(words[words.index('mem') + 1]) * os.sysconf('SC_PAGE_SIZE') / (1024 * 1024)
    return 0


async def set_up(port):
    oper, login = 'oper', 'login'
    name = '班' * 45
    classes = ['%s%d' % (name, c) for c in range(50)]
    students = '|'.join('%s%d' % (name, i) for i in range(200))
    steps = [post('/score/regteacher.php', [('username', 'unread'), ('teachername', 'bench'), ('password', login),
                                            ('superpassword', oper), ('email', 'b@example.org'), ('mb', ''),
                                            ('tel', ''), ('qq', '')]),
             post('/score/setclass.php', [('username', 'unread'), ('password', oper), ('class', '|'.join(classes))])]
    steps += [post('/score/student.php', [('username', 'unread'), ('password', oper), ('class', c),
                                          ('student', students)]) for c in classes]
    for step in steps:
        status, body = await request(port, step, timeout=60)
        if status != 200 or body != b'Success!':
            sys.exit('setting up failed: %d %r' % (status, body[:200]))
    target = '/score/record.php?t=unread&mp=' + hashlib.md5(login.encode()).hexdigest()
    status, body = await request(port, get(target), timeout=60)
    return target, len(body)


async def run(port, pid, count, seconds):
    target, size = await set_up(port)
    print('record file: %.2f MB' % (size / 1e6))
    before = resident_mb(pid), tcp_kernel_mb()
    held = []
    for i in range(count):
        s = socket.socket()
        s.setsockopt(socket.SOL_SOCKET, socket.SO_RCVBUF, 4096)
        s.bind(('127.0.0.%d' % (2 + i % 8), 0))
        try:
            s.connect(('127.0.0.1', port))
            s.sendall(get(target))
        except OSError:
            pass
        held.append(s)
    probe = Probe(port, '127.0.0.1')
    probe_task = asyncio.create_task(probe.run())
    peak_rss, peak_tcp = before
    for _ in range(seconds * 2):
        await asyncio.sleep(0.5)
        peak_rss, peak_tcp = max(peak_rss, resident_mb(pid)), max(peak_tcp, tcp_kernel_mb())
    probe.stopped = True
    await probe_task
    # Then each is read to its end (many at once: a slow reader would let the others' idle
    # limit pass); a reply cut short was closed by the server.
    def whole(s):
        s.setsockopt(socket.SOL_SOCKET, socket.SO_RCVBUF, 1 << 20)
        s.settimeout(10)
        got = bytearray()
        try:
            while True:
                data = s.recv(1 << 20)
                if not data:
                    break
                got += data
        except OSError:
            pass
        s.close()
        return len(got) - got.find(b'\r\n\r\n') - 4 >= size
    reading = time.monotonic()
    with concurrent.futures.ThreadPoolExecutor(32) as pool:
        cut = sum(not ok for ok in pool.map(whole, held))
    print('read in %.1f s' % (time.monotonic() - reading))
    print('%d connections asking for it, reading nothing, %d s: server resident %.0f -> %.0f MB (peak), '
          'kernel TCP memory %.0f -> %.0f MB (peak); %d replies cut short by the server'
          % (count, seconds, before[0], peak_rss, before[1], peak_tcp, cut))
    probe.report('unread replies')


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument('server')
    parser.add_argument('--count', type=int, default=1000)
    parser.add_argument('--seconds', type=int, default=15)
    args = parser.parse_args()
    soft, hard = resource.getrlimit(resource.RLIMIT_NOFILE)
    resource.setrlimit(resource.RLIMIT_NOFILE, (hard, hard))
    with tempfile.TemporaryDirectory() as work, running_server(args.server, work) as (port, server):
        asyncio.run(run(port, server.pid, args.count, args.seconds))

if __name__ == '__main__':
    main()
