"""The cost of following applications: a hidden VoxBench with no rules beside
the same with five rules and a few hundred of the user's processes, and how
soon a rule takes over after its application starts and lets go after it
ends, seen on the wire (the emulator's log). Run by scripts/bench.d/51-rules;
argv: program, emulator library, work folder, seconds, processes, turns; run
under an X server with a tray host, as the program waits at log-on."""
import os
import shutil
import signal
import subprocess
import sys
import time

CPU_AIM_PERCENT = 0.2
REACT_AIM_S = 2.0
SET_PEQ = ' 4F 30 80 18 21 '
CLOSE_BUTTON = (1122, 41)     # pushButton_Close of the device page

program, emulator, work = sys.argv[1], sys.argv[2], sys.argv[3]
seconds, processes, turns = int(sys.argv[4]), int(sys.argv[5]), int(sys.argv[6])
home = os.path.join(work, 'home')
log = os.path.join(work, 'emulator.log')
rules_file = os.path.join(home, '.config', 'VoxBench', 'rules.conf')
environment = dict(os.environ, HOME=home, XDG_CONFIG_HOME=os.path.join(home, '.config'),
                   XDG_RUNTIME_DIR=os.path.join(work, 'run'), VOXBENCH_EMU_LOG=log,
                   LD_PRELOAD=emulator)


def cpu_ns(pid):
    total = 0
    for tid in os.listdir('/proc/%d/task' % pid):
        try:
            total += int(open('/proc/%d/task/%s/schedstat' % (pid, tid)).read().split()[0])
        except (OSError, ValueError):
            pass
    return total


def xdotool(*args):
    return subprocess.run(('xdotool',) + args, capture_output=True, text=True).stdout


started = []


def start():
    running = subprocess.Popen([program, '-autorun'], env=environment,
                               stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    started.append(running)
    time.sleep(3)  # the open, the page 500 ms later, the start-up uploads
    if running.poll() is not None:
        sys.exit('51-rules: VoxBench ended at its start (exit %d)' % running.returncode)
    # A log-on start shows the window once the receiver is there: to the tray
    # with its close button, as a person leaves it.
    window = xdotool('search', '--onlyvisible', '--name', '^VoxBench$').split()
    if window:
        geometry = dict(line.split('=') for line in xdotool('getwindowgeometry', '--shell', window[0]).split())
        xdotool('mousemove', '--sync', str(int(geometry['X']) + CLOSE_BUTTON[0]),
                str(int(geometry['Y']) + CLOSE_BUTTON[1]), 'click', '1')
        time.sleep(1)  # the spectrum switch and its acknowledgement pass
    return running


def stop(running):
    running.send_signal(signal.SIGTERM)
    running.wait(10)


def share(running):
    before = cpu_ns(running.pid)
    time.sleep(seconds)
    return 100 * (cpu_ns(running.pid) - before) / (seconds * 1e9)


def peq_lines():
    try:
        return sum(1 for line in open(log) if SET_PEQ in line)
    except OSError:
        return 0


def until_new_peq(count, limit=10.0):
    began = time.monotonic()
    while peq_lines() <= count:
        if time.monotonic() - began > limit:
            return limit
        time.sleep(0.02)
    return time.monotonic() - began


sleepers = [subprocess.Popen(['sleep', '3600']) for _ in range(processes)]
try:
    idle = start()
    plain = share(idle)
    stop(idle)

    os.makedirs(os.path.dirname(rules_file), exist_ok=True)
    with open(rules_file, 'w') as out:
        out.write('[General]\npaused=false\n\n[rules]\n')
        for n in range(1, 6):
            out.write('%d\\application=bench-game%d\n%d\\mode=%s\n%d\\tab=%s\n'
                      % (n, n, n, 'FPS' if n % 2 else 'Moba', n, 'stereo' if n % 2 else 'surround'))
        out.write('size=5\n')
    ruled = start()
    with_rules = share(ruled)

    game = os.path.join(work, 'bench-game1')
    shutil.copy('/bin/sleep', game)
    starts, ends = [], []
    for _ in range(turns):
        count = peq_lines()
        player = subprocess.Popen([game, '60'])
        starts.append(until_new_peq(count))
        time.sleep(1)  # the second packet of the upload
        count = peq_lines()
        player.kill()
        player.wait()
        ends.append(until_new_peq(count))
        time.sleep(1)
    stop(ruled)
finally:
    # A run cut short leaves no VoxBench behind.
    for running in started:
        if running.poll() is None:
            running.kill()
            running.wait()
    for sleeper in sleepers:
        sleeper.kill()
        sleeper.wait()

print('rules: hidden with no rules, %.3f%% of one core in %d s, against the %.1f%% aim: %.2fx'
      % (plain, seconds, CPU_AIM_PERCENT, plain / CPU_AIM_PERCENT))
print('rules: hidden with five rules and %d more processes, %.3f%% of one core, against the %.1f%% aim: %.2fx'
      % (processes, with_rules, CPU_AIM_PERCENT, with_rules / CPU_AIM_PERCENT))
print('rules: five rules %.3f%%, no rules %.3f%%: %.2fx' % (with_rules, plain, with_rules / plain if plain else 0))
print('rules: a start taken over in %.2f s at worst (median %.2f s), against the %.0f s aim: %.2fx'
      % (max(starts), sorted(starts)[turns // 2], REACT_AIM_S, max(starts) / REACT_AIM_S))
print('rules: an end let go in %.2f s at worst (median %.2f s), against the %.0f s aim: %.2fx'
      % (max(ends), sorted(ends)[turns // 2], REACT_AIM_S, max(ends) / REACT_AIM_S))
