// The machine's state kept in one of nine slots of the browser's storage.
import * as storage from './storage.js';

const $ = (id) => document.getElementById(id);

export class Slots {
  constructor(app) {
    this.app = app;
    this.machine = app.machine;
  }

  slotKey() {
    return `state${$('slot').value}`;
  }

  async save() {
    const bytes = this.machine.saveState();
    try {
      await storage.store(this.slotKey(), bytes);
      this.app.say(`Saved to slot ${$('slot').value} in this browser`);
    } catch (e) {
      this.app.show(`The state could not be kept in this browser's storage: ${e.message || e}`);
    }
  }

  async load() {
    let bytes;
    try {
      bytes = await storage.load(this.slotKey());
    } catch (e) {
      this.app.show(`This browser's storage could not be read: ${e.message || e}`);
      return;
    }
    if (!bytes) {
      this.app.say(`Slot ${$('slot').value} is empty`);
      return;
    }
    const [ok, text] = this.machine.loadState(bytes);
    if (ok) {
      this.app.showPicture();
      this.app.say(text || `Loaded slot ${$('slot').value}`);
    } else {
      this.app.show(`Slot ${$('slot').value}: ${text}`);
    }
  }

}
