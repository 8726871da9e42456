// A quick-settings toggle for VoxBench (GNOME 43): Mic ENC on the toggle,
// the tab and its modes in its menu, shown while VoxBench is on the bus.
'use strict';

const {GObject} = imports.gi;
const ByteArray = imports.byteArray;
const ExtensionUtils = imports.misc.extensionUtils;
const Main = imports.ui.main;
const PopupMenu = imports.ui.popupMenu;
const QuickSettings = imports.ui.quickSettings;

const Me = ExtensionUtils.getCurrentExtension();
const {Client} = Me.imports.client;

const INTERFACE_FILE = 'io.github.voxbench.VoxBench1.xml';
const ICON = 'audio-headset-symbolic';

const VoxBenchToggle = GObject.registerClass(
class VoxBenchToggle extends QuickSettings.QuickMenuToggle {
    _init(client) {
        super._init({label: 'Mic ENC', iconName: ICON, toggleMode: false});
        this._client = client;
        this.menu.setHeader(ICON, 'VoxBench');
        this._tabs = new PopupMenu.PopupMenuSection();
        this._modes = new PopupMenu.PopupMenuSection();
        this.menu.addMenuItem(this._tabs);
        this.menu.addMenuItem(new PopupMenu.PopupSeparatorMenuItem());
        this.menu.addMenuItem(this._modes);
        this.menu.addMenuItem(new PopupMenu.PopupSeparatorMenuItem());
        this.menu.addAction('Open VoxBench', () => this._client.show(report));
        this.connect('clicked', () => this._client.setMicEnc(!this.checked, report));
    }

    sync() {
        const state = this._client.state;
        this.visible = state.visible;
        if (!state.visible)
            return;
        this.checked = state.micEnc;
        this.reactive = state.attached;
        this.menuEnabled = state.attached;
        const tab = state.tabs.find(t => t.id === state.tab);
        this.menu.setHeader(ICON, 'VoxBench',
            !state.attached ? 'No receiver' : [tab?.title, state.mode].filter(Boolean).join(' · '));

        this._tabs.removeAll();
        for (const t of state.tabs) {
            const item = this._tabs.addAction(t.title, () => this._client.selectTab(t.id, report));
            item.setOrnament(t.id === state.tab ? PopupMenu.Ornament.CHECK : PopupMenu.Ornament.NONE);
        }
        this._modes.removeAll();
        if (!tab)
            return;
        for (const m of state.modes) {
            const item = this._modes.addAction(m.name,
                () => this._client.chooseMode(m.name, tab.id, report));
            item.setOrnament(m.name === state.mode ? PopupMenu.Ornament.DOT : PopupMenu.Ornament.NONE);
        }
        // Built-in modes are reached by stepping: the interface lists only the custom ones.
        this._modes.addAction('Next mode', () => this._client.nextMode(tab.id, report));
        this._modes.addAction('Previous mode', () => this._client.previousMode(tab.id, report));
    }
});

function report(error) {
    if (error)
        Main.notify('VoxBench', error.message);
}

class Extension {
    enable() {
        const [, xml] = Me.dir.get_child(INTERFACE_FILE).load_contents(null);
        this._indicator = new QuickSettings.SystemIndicator();
        this._client = new Client(ByteArray.toString(xml), () => this._toggle.sync());
        this._toggle = new VoxBenchToggle(this._client);
        this._toggle.sync();
        this._indicator.quickSettingsItems.push(this._toggle);
        const quickSettings = Main.panel.statusArea.quickSettings;
        quickSettings._indicators.add_child(this._indicator);
        quickSettings._addItems(this._indicator.quickSettingsItems);
    }

    disable() {
        this._client.destroy();
        this._client = null;
        this._indicator.quickSettingsItems.forEach(item => item.destroy());
        this._indicator.destroy();
        this._indicator = null;
        this._toggle = null;
    }
}

function init() {
    return new Extension();
}
