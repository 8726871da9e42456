// The GNOME Shell extension's bus side (packaging/gnome-shell/client.js) in
// plain gjs, against the real program and the preloaded receiver emulator on
// a private bus (CTest runs it under dbus-run-session): it stays hidden and
// starts nothing while the name has no owner, reads the tab, its modes and
// Mic ENC, follows PropertiesChanged after each of its calls, passes on a
// refusal's text, and hides when the name goes away.
// gjs tst_ShellExtension.js EXTENSION_DIR INTERFACE_XML VOXBENCH CLIENT EMULATOR
'use strict';

const {Gio, GLib} = imports.gi;
const ByteArray = imports.byteArray;
const System = imports.system;

const [extensionDir, interfaceXml, voxbenchPath, clientPath, emulatorPath] = ARGV;
imports.searchPath.unshift(extensionDir);
const {Client, BUS_NAME} = imports.client;

let program = null;

function fail(message) {
    printerr(`FAIL: ${message}`);
    program?.force_exit();
    System.exit(1);
}

function check(what, actual, expected) {
    if (JSON.stringify(actual) !== JSON.stringify(expected))
        fail(`${what}: ${JSON.stringify(actual)}, expected ${JSON.stringify(expected)}`);
}

// Runs the main loop until `predicate` holds, or fails after `ms`.
function until(what, predicate, ms = 10000) {
    let expired = false;
    const id = GLib.timeout_add(GLib.PRIORITY_DEFAULT, ms, () => {
        expired = true;
        return GLib.SOURCE_REMOVE;
    });
    while (!predicate() && !expired)
        GLib.MainContext.default().iteration(true);
    if (!expired)
        GLib.source_remove(id);
    if (!predicate())
        fail(`timed out: ${what}`);
}

// Runs the main loop for `ms`, for what must not happen.
function settle(ms) {
    let done = false;
    GLib.timeout_add(GLib.PRIORITY_DEFAULT, ms, () => {
        done = true;
        return GLib.SOURCE_REMOVE;
    });
    until('settle', () => done);
}

function owned() {
    const [owner] = Gio.DBus.session.call_sync('org.freedesktop.DBus', '/org/freedesktop/DBus',
        'org.freedesktop.DBus', 'NameHasOwner', new GLib.Variant('(s)', [BUS_NAME]),
        null, Gio.DBusCallFlags.NONE, -1, null).deepUnpack();
    return owner;
}

// One of the client's actions, waited for: its error, or null.
function act(action) {
    let reply;
    action(error => {
        reply = {error};
    });
    until('reply', () => reply !== undefined);
    return reply.error;
}

function voxbench(...args) {
    const [, out, , status] = GLib.spawn_sync(null, [clientPath, ...args], null, 0, null);
    if (status !== 0)
        fail(`voxbench ${args.join(' ')} exited with ${status}`);
    return ByteArray.toString(out);
}

// A tab's modes as the command line lists them: what the menu must offer.
function listed(tab) {
    return JSON.parse(voxbench('modes', '--json')).modes[tab].map(m => ({name: m.name, builtIn: m.built_in}));
}

const xml = ByteArray.toString(GLib.file_get_contents(interfaceXml)[1]);
let changes = 0;
const client = new Client(xml, () => changes++);

// Nothing is shown for a VoxBench that is not running, and watching does not
// start it, although the bus could.
settle(1000);
check('state without VoxBench', client.state, {visible: false});
check('started by the watch', owned(), false);

const launcher = new Gio.SubprocessLauncher();
launcher.setenv('LD_PRELOAD', emulatorPath, true);
launcher.setenv('VOXBENCH_EMU_LOG', `${GLib.get_home_dir()}/emu.log`, true);
launcher.setenv('QT_LOGGING_RULES', '*.debug=false', true);
program = launcher.spawnv([voxbenchPath, '-autorun']);
// Attached comes before the receiver's modes are read.
until('shown', () => client.state.visible && client.state.mode !== '');
const state = client.state;
check('attached', state.attached, true);
check('tabs', state.tabs.map(t => t.id), ['stereo', 'surround']);
check('tab', state.tab, 'stereo');
check('stereo modes', state.modes, listed('stereo'));
if (!state.modes.some(m => m.name === 'PelagoPlay Standard' && m.builtIn))
    fail('the chosen built-in mode is not offered');
check('mode', state.mode, 'PelagoPlay Standard');
const enc = state.micEnc;

// Each call is followed by the property it changed, as announced.
check('Mic ENC', act(done => client.setMicEnc(!enc, done)), null);
until('Mic ENC follows', () => client.state.micEnc === !enc);
check('tab', act(done => client.selectTab('surround', done)), null);
until('tab follows', () => client.state.tab === 'surround');
check('mode', act(done => client.chooseMode('FPS', 'surround', done)), null);
until('mode follows', () => client.state.mode === 'FPS');
check('surround modes', client.state.modes, listed('surround'));
check('next', act(done => client.nextMode('surround', done)), null);
until('next follows', () => client.state.mode !== 'FPS');
check('previous', act(done => client.previousMode('surround', done)), null);
until('previous follows', () => client.state.mode === 'FPS');

// A refusal comes with VoxBench's own text, the bus's error name stripped.
check('refusal', act(done => client.chooseMode('Nowhere', 'surround', done))?.message,
    'no mode named "Nowhere" on the surround tab');

// A custom mode is listed after the built-in ones, whoever added it.
const builtIns = client.state.modes.length;
voxbench('mode', 'add', 'Night', '--tab', 'surround');
until('custom mode follows', () => client.state.modes.length === builtIns + 1 && client.state.mode === 'Night');
check('custom mode', client.state.modes[builtIns], {name: 'Night', builtIn: false});
check('modes', client.state.modes, listed('surround'));
check('back to built-in', act(done => client.chooseMode('FPS', 'surround', done)), null);
until('built-in chosen', () => client.state.mode === 'FPS');

// Quitting hides it, and nothing starts VoxBench again.
const before = changes;
voxbench('quit');
until('hidden', () => !client.state.visible);
if (changes === before)
    fail('hiding was not announced');
until('program gone', () => program.get_if_exited() || program.get_if_signaled(), 10000);
settle(1000);
check('started again', owned(), false);
check('action while hidden', act(done => client.show(done))?.message, 'VoxBench is not running');
client.destroy();
print('PASS: tst_ShellExtension');
