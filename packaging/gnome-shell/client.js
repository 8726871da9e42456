// VoxBench as the quick settings see it, through its session-bus interface
// only. Free of gnome-shell's modules, so that plain gjs can load it.
'use strict';

const {Gio} = imports.gi;

var BUS_NAME = 'io.github.voxbench.VoxBench';
var OBJECT_PATH = '/io/github/voxbench/VoxBench';

// The tabs that have modes, as the interface names them and prefixes their
// properties. The Mic ENC tab has none; the toggle stands for it.
var TABS = [
    {id: 'stereo', prefix: 'Stereo', title: 'Stereo'},
    {id: 'surround', prefix: 'Surround', title: '7.1 Surround'},
];

// Follows the name: a proxy while it has an owner, none otherwise, so that
// nothing starts VoxBench and nothing is shown for an instance that is gone.
// `changed` runs after each change of `state`.
var Client = class {
    constructor(interfaceXml, changed) {
        this._Proxy = Gio.DBusProxy.makeProxyWrapper(interfaceXml);
        this._changed = changed;
        this._proxy = null;
        this._cancellable = null;
        this._watch = Gio.bus_watch_name(Gio.BusType.SESSION, BUS_NAME,
            Gio.BusNameWatcherFlags.NONE, () => this._appeared(), () => this._vanished());
    }

    destroy() {
        Gio.bus_unwatch_name(this._watch);
        this._drop();
    }

    _appeared() {
        this._drop();
        const cancellable = new Gio.Cancellable();
        this._cancellable = cancellable;
        this._Proxy(Gio.DBus.session, BUS_NAME, OBJECT_PATH, (proxy, error) => {
            if (cancellable.is_cancelled())
                return;
            this._cancellable = null;
            if (error) {
                logError(error, 'VoxBench: no proxy');
                return;
            }
            this._proxy = proxy;
            this._changedId = proxy.connect('g-properties-changed', () => this._changed());
            this._changed();
        }, cancellable, Gio.DBusProxyFlags.DO_NOT_AUTO_START);
    }

    _vanished() {
        const shown = this._proxy !== null;
        this._drop();
        if (shown)
            this._changed();
    }

    _drop() {
        this._cancellable?.cancel();
        this._cancellable = null;
        if (this._proxy)
            this._proxy.disconnect(this._changedId);
        this._proxy = null;
    }

    // What the menu shows: every mode of the tab, the built-in ones first,
    // as `voxbench modes` lists them.
    get state() {
        const p = this._proxy;
        if (!p)
            return {visible: false};
        const tabs = TABS.filter(t => t.id !== 'surround' || p.Surround71);
        const tab = tabs.find(t => t.id === p.Tab);
        const modes = [];
        let mode = '';
        if (tab) {
            mode = p[`${tab.prefix}Mode`];
            const all = p[`${tab.prefix}Modes`];
            const builtIn = all.length - p[`${tab.prefix}CustomModes`].length;
            all.forEach((name, i) => modes.push({name, builtIn: i < builtIn}));
        }
        return {
            visible: true,
            attached: p.Attached,
            tabs,
            tab: p.Tab,
            mode,
            modes,
            micEnc: p.MicEnc,
        };
    }

    // The menu's actions. Each ends in `done(error)`, error null on success;
    // a refusal carries VoxBench's own text (the D-Bus error's message).
    selectTab(tab, done) {
        this._call('SelectTab', [tab], done);
    }

    // The tab is the one the menu showed, should the window have moved on.
    chooseMode(name, tab, done) {
        this._call('ChooseMode', [name, tab], done);
    }

    nextMode(tab, done) {
        this._call('NextMode', [tab], done);
    }

    previousMode(tab, done) {
        this._call('PreviousMode', [tab], done);
    }

    setMicEnc(on, done) {
        this._call('SetMicEnc', [on], done);
    }

    show(done) {
        this._call('Show', [], done);
    }

    _call(method, args, done = () => {}) {
        if (!this._proxy) {
            done(new Error('VoxBench is not running'));
            return;
        }
        this._proxy[`${method}Remote`](...args, (result, error) => {
            if (error)
                Gio.DBusError.strip_remote_error(error);
            done(error ?? null);
        });
    }
};
