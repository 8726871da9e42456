#!/usr/bin/env python3
"""Random requests against a running VoxBench's instance socket for SECONDS:
random bytes, deep JSON, lines around the 4,096-byte limit, invalid UTF-8, half
lines and lines with more after them. Prints the count, the program's RSS before
and after and whether it still answers `status`.
Usage: instance-socket-fuzz.py VOXBENCH PID SECONDS (with the program's environment)."""
import os, random, socket, subprocess, sys, time

program, pid, seconds = sys.argv[1], int(sys.argv[2]), float(sys.argv[3])
record = os.path.expanduser("~/Documents/VoxBench/.voxbench-instance")
path = open(record).read().strip()

def rss():
    for line in open(f"/proc/{pid}/status"):
        if line.startswith("VmRSS:"):
            return int(line.split()[1])

def request(rng):
    kind = rng.randrange(7)
    if kind == 0:
        return bytes(rng.randrange(256) for _ in range(rng.randrange(64)))
    if kind == 1:
        depth = rng.randrange(1, 3000)
        return b"command " + b"[" * depth + b"]" * depth + b"\n"
    if kind == 2:
        return b"command " + b"x" * rng.choice([4087, 4088, 4089, 4095, 4096, 4097]) + b"\n"
    if kind == 3:
        return b'command {"verb":"mode","name":"\xff\xfe\xc3"}\n'
    if kind == 4:
        return b'command {"verb":"sta'
    if kind == 5:
        return b'command {"verb":"status"}\n' + os.urandom(rng.randrange(1, 1 << 16))
    return b"command %d %d {\"verb\":\"status\"}\n" % (rng.randrange(1 << 40), rng.randrange(1 << 40))

rng = random.Random(21)
before, count, end = rss(), 0, time.time() + seconds
while time.time() < end:
    with socket.socket(socket.AF_UNIX) as s:
        s.settimeout(0.2)
        try:
            s.connect(path)
            s.sendall(request(rng))
            s.recv(4096)
        except OSError:
            pass
    count += 1
alive = subprocess.run([program, "--no-start", "status"], capture_output=True).returncode == 0
print(f"requests {count}, RSS {before} kB -> {rss()} kB, status answered: {alive}")
