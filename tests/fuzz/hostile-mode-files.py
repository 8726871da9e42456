#!/usr/bin/env python3
"""The hostile-file set for `voxbench mode import`, run against a VoxBench that
runs with the emulated receiver: files a careless or hostile sender could
pass around (escape sequences and line breaks in names and text, NaN and
infinities, deep JSON, huge and endless files, links that loop, a FIFO nobody
writes, a pipe nobody closes). For each: the exit code, the time, and whether
standard output or error carried a control character; at the end the totals,
the program's RSS and descriptors before and after, and whether it still
answers `status`. Device nodes are left out (a file of ours stands for each).
Usage: hostile-mode-files.py VOXBENCH_CLIENT PID WORKDIR (with the program's environment)."""
import json, os, subprocess, sys, time

client, pid, work = sys.argv[1], int(sys.argv[2]), sys.argv[3]
os.makedirs(work, exist_ok=True)
CONTROL = {c for c in range(0x20) if c != 0x0a} | {0x7f} | set(range(0x80, 0xa0)) | {0x2028, 0x2029}


def mode(name, gains=None, **extra):
    body = {"format": "voxbench-mode", "version": 1, "name": name, "gains_db": gains or [1] * 10}
    body.update(extra)
    return json.dumps(body).encode()


files = {
    'osc52-name.json': mode('\x1b]52;c;SGVsbG8=\x07'),
    'csi-clear-name.json': mode('\x1b[2J\x1b[H'),
    'c1-csi-name.json': mode('\x9b2J'),
    'newline-name.json': mode('Night\nRaid'),
    'nul-name.json': mode('a\x00b'),
    'del-name.json': mode('x\x7f'),
    'u2028-name.json': mode('a\u2028b'),
    'bell-tab.json': mode('ok', tab='\x07stereo'),
    'long-name.json': mode('N' * 5000),
    'osc-filter.txt': b'Filter 1: ON \x1b]0;pwned\x07 Fc 100 Hz Gain 3 dB Q 1\n',
    'osc-filter-long.txt': b'Filter 1: ON \x1b]0;' + b'A' * 100000 + b'\x07 Fc 1 Hz Gain 1 dB Q 1\n',
    'csi-graphic.txt': b'GraphicEQ: 20 1; \x1b[2J 40 2\n',
    'q-denormal.txt': b'Filter 1: ON PK Fc 1000 Hz Gain 6 dB Q 1e-320\n',
    'gain-1e308.txt': b'Filter 1: ON PK Fc 1000 Hz Gain 1e308 dB Q 1\n',
    'gain-300.txt': b'Filter 1: ON PK Fc 1000 Hz Gain 300 dB Q 1\n',
    'nan-text.txt': b'Filter 1: ON PK Fc nan Hz Gain nan dB Q nan\n',
    'inf-preamp.txt': b'Preamp: inf dB\nFilter 1: ON PK Fc 100 Hz Gain 1 dB Q 1\n',
    'graphic-overflow.txt': b'GraphicEQ: 20 -1e308; 20000 1e308\n',
    'graphic-inf.txt': b'GraphicEQ: 20 inf; 40 -inf\n',
    'json-gain-1e999.json': b'{"format":"voxbench-mode","version":1,"gains_db":[1e999,0,0,0,0,0,0,0,0,0]}',
    'json-gain-1e308.json': mode('big', [1e308, -1e308] + [0] * 8),
    'json-version-huge.json': b'{"format":"voxbench-mode","version":1e300,"gains_db":[0,0,0,0,0,0,0,0,0,0]}',
    'deep-json.json': b'[' * 100000 + b']' * 100000,
    'deep-object.json': b'{"a":' * 50000 + b'1' + b'}' * 50000,
    'empty.txt': b'',
    'bom-only.txt': b'\xef\xbb\xbf',
    'utf16.txt': 'GraphicEQ: 20 1; 40 2\n'.encode('utf-16'),
    'binary.bin': bytes(range(256)) * 64,
    'nul-bytes.txt': b'\x00' * 4096,
    'million-lines.txt': b'# comment\n' * 100000,
    'graphic-60000.txt': b'GraphicEQ: ' + b'; '.join(b'%d %d' % (20 + i, i % 24 - 12) for i in range(60000)) + b'\n',
    'filters-100000.txt': b''.join(b'Filter %d: ON PK Fc 1000 Hz Gain 0.01 dB Q 1\n' % i for i in range(20000)),
    'over-1mib.txt': b'#' * ((1 << 20) + 10),
    'long-line.txt': b'Filter 1: ON PK Fc ' + b'9' * 500000 + b' Hz Gain 1 dB Q 1\n',
    'crlf-mixed.txt': b'Preamp: -1 dB\r\nFilter 1: ON PK Fc 1000 Hz Gain 3 dB Q 1\rFilter 2: ON LSC Fc 100 Hz Gain 2 dB Q 0.7\n',
    'invalid-utf8.txt': b'Filter 1: ON \xff\xfe Fc 100 Hz Gain 1 dB Q 1\n',
    'name-with-bidi.json': mode('\u202eevil'),
    'ok-graphic.txt': b'GraphicEQ: 20 -1; 100 2; 1000 0; 10000 -4; 20000 -8\n',
    'ok-parametric.txt': b'Preamp: -3 dB\nFilter 1: ON PK Fc 1000 Hz Gain 3 dB Q 1\n',
}
for name, data in files.items():
    with open(os.path.join(work, name), 'wb') as f:
        f.write(data)
# Names of files themselves: an escape sequence in the path, and in the base name used as the mode's name.
for name in ('\x1b]0;t\x07.txt', 'line\nbreak.txt'):
    with open(os.path.join(work, name), 'wb') as f:
        f.write(b'GraphicEQ: 20 1; 40 2\n')
links = {'loop-a': 'loop-b', 'loop-b': 'loop-a', 'dangling': 'missing', 'self': 'self'}
for name, target in links.items():
    path = os.path.join(work, name)
    if not os.path.lexists(path):
        os.symlink(target, path)
os.makedirs(os.path.join(work, 'a-folder'), exist_ok=True)
fifo = os.path.join(work, 'fifo')
if not os.path.exists(fifo):
    os.mkfifo(fifo)


def rss_and_fds():
    with open('/proc/%d/status' % pid) as status:
        rss = next(int(line.split()[1]) for line in status if line.startswith('VmRSS:'))
    return rss, len(os.listdir('/proc/%d/fd' % pid))


before = rss_and_fds()
results = []
names = sorted(os.listdir(work)) + ['-']
for name in names:
    path = name if name == '-' else os.path.join(work, name)
    start = time.time()
    run = subprocess.Popen([client, 'mode', 'import', '--tab', 'stereo', path], stdin=subprocess.PIPE,
                           stdout=subprocess.PIPE, stderr=subprocess.PIPE)
    out, err = run.communicate(timeout=60) if name != '-' else (None, None)
    if name == '-':  # a pipe nobody closes
        time.sleep(11)
        out, err = run.communicate(timeout=60)
    took = time.time() - start
    text = (out + err).decode('utf-8', 'replace')
    bad = any(ord(c) in CONTROL for c in text)
    results.append((name, run.returncode, took, bad, err.decode('utf-8', 'replace').strip()[:90]))
    if run.returncode == 0:  # a mode was added: delete it again, so that five never fill the tab
        added = out.decode().split(' added')[0].split(': ', 1)[1]
        subprocess.run([client, 'mode', 'delete', '--tab', 'stereo', added], capture_output=True)
after = rss_and_fds()
status = subprocess.run([client, '--no-start', 'status'], capture_output=True, timeout=10).returncode
for name, code, took, bad, err in results:
    print('%-24r exit %d %6.2f s%s  %s' % (name, code, took, '  CONTROL' if bad else '', err))
codes = {}
for _, code, _, _, _ in results:
    codes[code] = codes.get(code, 0) + 1
print('files: %d; exit codes: %s; control characters in output: %d; longest: %.2f s'
      % (len(results), ', '.join('%d x%d' % (c, n) for c, n in sorted(codes.items())),
         sum(1 for r in results if r[3]), max(r[2] for r in results)))
print('VoxBench RSS %d kB -> %d kB, descriptors %d -> %d, status afterwards: exit %d'
      % (before[0], after[0], before[1], after[1], status))
