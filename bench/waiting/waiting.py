"""Measures a running VoxBench while it waits hidden in the tray, then soaks it
with hides and shows. Run by scripts/bench.d/50-waiting inside Xvfb with a
tray host; argv: pid, window id, seconds, cycles, the floor program, and the
output of a watcher attached all along.

The emulator answers inside the caller's reads and has no thread of its own,
so every thread of the process is the program's."""
import os
import subprocess
import sys
import time

READ_TIMEOUT_MS = 50          # kReadTimeoutMs: one wake-up per quiet read
CPU_AIM_PERCENT = 0.2
CLOSE_BUTTON = (1122, 41)     # pushButton_Close of the device page
TRAY_ICON = (1268, 16)        # the icon at the right end of trayer's panel
WARM_CYCLES = 10

pid, window, seconds, cycles, floor = sys.argv[1], sys.argv[2], int(sys.argv[3]), int(sys.argv[4]), sys.argv[5]
watch_log = sys.argv[6]
hz = os.sysconf('SC_CLK_TCK')


def threads(pid):
    """{tid: (name, cpu ns, context switches)} of every thread of pid now."""
    found = {}
    for tid in os.listdir('/proc/%s/task' % pid):
        base = '/proc/%s/task/%s/' % (pid, tid)
        try:
            name = open(base + 'comm').read().strip()
            try:
                cpu = int(open(base + 'schedstat').read().split()[0])
            except (OSError, ValueError):
                fields = open(base + 'stat').read().rsplit(')', 1)[1].split()
                cpu = (int(fields[11]) + int(fields[12])) * 10**9 // hz
            switches = 0
            for line in open(base + 'status'):
                if line.startswith(('voluntary_ctxt_switches', 'nonvoluntary_ctxt_switches')):
                    switches += int(line.split()[1])
        except OSError:
            continue          # ended meanwhile
        found[tid] = (name, cpu, switches)
    return found


def xdotool(*args):
    return subprocess.run(('xdotool',) + args, capture_output=True, text=True).stdout


def visible():
    return bool(xdotool('search', '--onlyvisible', '--name', '^VoxBench$').strip())


def wait_visible(wanted, limit=5.0):
    end = time.monotonic() + limit
    while visible() != wanted:
        if time.monotonic() > end:
            sys.exit('50-waiting: the window did not %s' % ('show' if wanted else 'hide'))
        time.sleep(0.05)


def click_close():
    geometry = dict(line.split('=') for line in xdotool('getwindowgeometry', '--shell', window).split())
    xdotool('mousemove', '--sync', str(int(geometry['X']) + CLOSE_BUTTON[0]),
            str(int(geometry['Y']) + CLOSE_BUTTON[1]), 'click', '1')
    wait_visible(False)


def click_tray():
    xdotool('mousemove', '--sync', str(TRAY_ICON[0]), str(TRAY_ICON[1]), 'click', '1')
    wait_visible(True)


def resident_kb():
    for line in open('/proc/%s/status' % pid):
        if line.startswith('VmRSS:'):
            return int(line.split()[1])
    return 0


click_close()
time.sleep(1)                 # the spectrum switch and its acknowledgement pass
# Side by side: a bare process waking once per read time-out, the cost of the
# wake-ups alone on this machine.
floor_process = subprocess.Popen([floor, str(seconds + 2), str(READ_TIMEOUT_MS)])
time.sleep(0.5)
def watched_lines():
    with open(watch_log) as log:
        return sum(1 for _ in log)


before, floor_before = threads(pid), threads(floor_process.pid)
lines_before = watched_lines()
time.sleep(seconds)
after, floor_after = threads(pid), threads(floor_process.pid)
lines_during = watched_lines() - lines_before
floor_process.wait()
floor_cpu = sum(cpu for _, cpu, _ in floor_after.values()) - sum(cpu for _, cpu, _ in floor_before.values())

total_cpu, total_switches = 0, 0
rows = []
for tid, (name, cpu, switches) in after.items():
    _, cpu0, switches0 = before.get(tid, (name, 0, 0))
    rows.append((name, tid, cpu - cpu0, switches - switches0))
    total_cpu += cpu - cpu0
    total_switches += switches - switches0
for name, tid, cpu, switches in sorted(rows, key=lambda r: -r[3]):
    if switches == 0 and cpu == 0:
        continue
    print('waiting: thread %s (%s) %.1f wake-ups/s, %.4f%% of one core, against the read time-outs: %.2fx'
          % (name, tid, switches / seconds, 100 * cpu / (seconds * 1e9),
             switches / seconds / (1000 / READ_TIMEOUT_MS)))
share = 100 * total_cpu / (seconds * 1e9)
print('waiting: hidden with a receiver attached, %.3f%% of one core in %d s, against the %.1f%% aim: %.2fx'
      % (share, seconds, CPU_AIM_PERCENT, share / CPU_AIM_PERCENT))
floor_share = 100 * floor_cpu / (seconds * 1e9)
print('waiting: %.3f%% of one core, a bare process waking every %d ms %.3f%%: %.2fx'
      % (share, READ_TIMEOUT_MS, floor_share, share / floor_share if floor_share else 0))
print('waiting: a watcher attached, %d lines (%d in all) in %d s with nothing changing'
      % (lines_during, lines_before + lines_during, seconds))
rate = total_switches / seconds
print('waiting: %.1f wake-ups/s, the read thread\'s own time-outs %d/s: %.2fx'
      % (rate, 1000 // READ_TIMEOUT_MS, rate / (1000 / READ_TIMEOUT_MS)))

warm = None
for cycle in range(1, cycles + 1):
    click_tray()
    click_close()
    if cycle == WARM_CYCLES:
        warm = resident_kb()
end = resident_kb()
print('memory: resident size after %d hides and shows %.1f MB, after the first %d %.1f MB: %.2fx'
      % (cycles, end / 1024, WARM_CYCLES, warm / 1024, end / warm))
