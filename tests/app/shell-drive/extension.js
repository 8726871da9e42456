// Drives the VoxBench toggle inside a headless gnome-shell as a user would:
// opens its menu, picks the 7.1 Surround tab, clicks Mic ENC, and reports
// what the toggle shows after each step, one JSON line each, to $DRIVE_OUT.
'use strict';

const {GLib, Gio, Shell} = imports.gi;
const Main = imports.ui.main;

const out = GLib.getenv('DRIVE_OUT');

function toggle() {
    return Main.panel.statusArea.quickSettings.menu._grid.get_children()
        .find(child => child.constructor.name.endsWith('VoxBenchToggle'));
}

function items(t) {
    return t.menu._getMenuItems().flatMap(i => (i._getMenuItems ? i._getMenuItems() : [i]))
        .filter(i => i.label?.text);
}

function report(step) {
    const t = toggle();
    const line = JSON.stringify({step, visible: t.visible, checked: t.checked,
        subtitle: t.menu._headerSubtitle.text,
        items: items(t).map(i => `${i.label.text}${i._ornament ? `[${i._ornament}]` : ''}`)});
    const stream = Gio.File.new_for_path(`${out}/report`).append_to(Gio.FileCreateFlags.NONE, null);
    stream.write_all(`${line}\n`, null);
    stream.close(null);
}

function shoot(name, then) {
    const stream = Gio.File.new_for_path(`${out}/${name}.png`)
        .replace(null, false, Gio.FileCreateFlags.NONE, null);
    new Shell.Screenshot().screenshot(false, stream, (shooter, result) => {
        shooter.screenshot_finish(result);
        stream.close(null);
        then();
    });
}

let enc = null;

// Each step runs once its condition has held for a second, so that the
// menu has opened before it is shot or used.
const steps = [
    [t => t?.visible && t.menu._headerSubtitle.text.includes('PelagoPlay Standard'), t => {
        report('shown');
        Main.panel.statusArea.quickSettings.menu.open(false);
        t.menu.open(false);
    }],
    [() => true, t => shoot('menu', () => items(t).find(i => i.label.text === '7.1 Surround').activate(null))],
    [t => t.menu._headerSubtitle.text.startsWith('7.1 Surround'), t => {
        report('surround');
        enc = t.checked;
        t.emit('clicked', 1);
    }],
    [t => t.checked !== enc, t => report('toggled')],
    [t => !t.visible, t => report('hidden')],
];

let source = 0;

function init() {
    return {
        enable() {
            let wait = 0;
            source = GLib.timeout_add(GLib.PRIORITY_DEFAULT, 200, () => {
                const t = toggle();
                if (steps.length > 0 && steps[0][0](t) && ++wait > 4) {
                    wait = 0;
                    steps.shift()[1](t);
                }
                return GLib.SOURCE_CONTINUE;
            });
        },
        disable() {
            GLib.source_remove(source);
        },
    };
}
