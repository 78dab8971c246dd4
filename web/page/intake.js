// Files the user gives the page (dropped, chosen, or named in the page's
// address) go to the machine by kind; the firmware is kept in the
// browser's storage for the next visit.
import * as storage from './storage.js';
import { fileKind, urlFileName } from './files.js';

export class Intake {
  constructor(app) {
    this.app = app;
    this.machine = app.machine;
    this.firmware = { bios7020: null, '7041b': null };
  }

  async handleFiles(list) {
    const said = [];
    let firmwareGiven = false;
    for (const file of list) {
      const bytes = new Uint8Array(await file.arrayBuffer());
      const kind = fileKind(file.name, bytes);
      if (kind === 'bios7020' || kind === '7041b') {
        this.firmware[kind] = bytes;
        firmwareGiven = true;
        try {
          await storage.store(kind === 'bios7020' ? 'bios7020.bin' : '7041b.bin', bytes);
        } catch (e) {
          said.push(`${file.name} could not be kept in this browser's storage: ${e.message || e}`);
        }
      } else if (kind === 'tape') {
        const [, text] = this.machine.loadTape(file.name, bytes);
        if (text)
          said.push(text);
        else
          this.app.say(`Tape ${file.name} playing`);
      } else if (kind === 'state') {
        const [ok, text] = this.machine.loadState(bytes);
        if (ok) {
          this.app.showPicture();
          this.app.say(text || `State ${file.name} loaded`);
        } else {
          said.push(`${file.name}: ${text}`);
        }
      } else {
        const text = this.machine.loadCartridge(file.name, bytes);
        if (text)
          said.push(text);
        else
          this.app.say(`Cartridge ${file.name} loaded`);
      }
    }
    if (firmwareGiven) {
      const { bios7020, '7041b': rom7041 } = this.firmware;
      if (bios7020 && rom7041) {
        this.machine.setFirmware(bios7020, rom7041);
        const text = this.machine.powerCycle();
        if (text)
          said.push(text);
        this.app.say('Running your firmware (kept in this browser)');
      } else {
        this.app.say(`${bios7020 ? 'bios7020.bin' : '7041b.bin'} kept; add ${bios7020 ? '7041b.bin' : 'bios7020.bin'} to run your firmware`);
      }
    }
    this.app.show(said.join('\n\n'));
  }

  async restoreFirmware() {
    try {
      this.firmware.bios7020 = await storage.load('bios7020.bin');
      this.firmware['7041b'] = await storage.load('7041b.bin');
    } catch {
      return;  // no storage (a private window may refuse it): the built-in firmware runs
    }
    if (this.firmware.bios7020 && this.firmware['7041b'])
      this.machine.setFirmware(this.firmware.bios7020, this.firmware['7041b']);
  }

  async forgetFirmware() {
    try {
      await storage.forget('bios7020.bin');
      await storage.forget('7041b.bin');
    } catch (e) {
      this.app.show(`The firmware could not be removed from this browser's storage: ${e.message || e}`);
    }
    this.firmware = { bios7020: null, '7041b': null };
    this.machine.setFirmware(null, null);
    this.app.show(this.machine.powerCycle());
    this.app.say('Firmware forgotten; running the built-in open firmware');
  }

  async cartridgeFromAddress(address) {
    let url;
    try {
      url = new URL(address, location.href);
      const response = await fetch(url);
      if (!response.ok)
        throw new Error(`HTTP ${response.status} ${response.statusText}`.trim());
      const bytes = new Uint8Array(await response.arrayBuffer());
      const text = this.machine.loadCartridge(urlFileName(url.href), bytes);
      this.app.show(text);
    } catch (e) {
      this.app.show(`${address} could not be fetched: ${e.message || e}`);
    }
  }

}
