// The Bus tab: the scan grid (detect), a slave's registers (dump, and set
// with read-back on a click), i2ctransfer's messages (transfer), SMBus reads
// and writes with PEC (get, set), and the transaction log of every call.
"use strict";

const BusTab = (() => {
  const $ = (id) => document.getElementById(id);
  let registerAddress = null;

  function speed() { return Number($("bus-speed").value); }

  function showResult(id, doc, text) {
    const box = $(id);
    box.classList.toggle("error", Boolean(doc && doc.error));
    box.textContent = doc && doc.error ? doc.error.message : text;
  }

  // i2cdetect's grid: a cell per address, the address where a slave answered.
  function drawScan(first, last, found) {
    const grid = $("scan-grid");
    grid.replaceChildren();
    const head = Kelvane.el("tr", {}, Kelvane.el("th"));
    for (let c = 0; c < 16; c++) head.append(Kelvane.el("th", { text: c.toString(16) }));
    grid.append(head);
    const answered = new Set(found.map((f) => f.address));
    for (let row = 0; row < 0x80; row += 16) {
      const tr = Kelvane.el("tr", {}, Kelvane.el("th", { text: row.toString(16).padStart(2, "0") + ":" }));
      for (let a = row; a < row + 16; a++) {
        const cell = Kelvane.el("td", { id: "cell-" + a.toString(16).padStart(2, "0") });
        if (a >= first && a <= last) {
          if (answered.has(a)) {
            cell.textContent = a.toString(16).padStart(2, "0");
            cell.classList.add("found");
            cell.addEventListener("click", () => openRegisters(a));
          } else {
            cell.textContent = "--";
          }
        }
        tr.append(cell);
      }
      grid.append(tr);
    }
  }

  async function scan() {
    $("scan").disabled = true;
    Kelvane.status("scanning…");
    const { doc } = await Kelvane.call("detect", { speed: speed(), probe: $("scan-probe").value });
    $("scan").disabled = false;
    if (doc.error) {
      Kelvane.status("scan: " + doc.error.message, true);
      return;
    }
    drawScan(doc.first, doc.last, doc.found);
    Kelvane.status("scan: " + doc.found.length + " slaves answered");
  }

  function openRegisters(address) {
    $("reg-address-input").value = Kelvane.hex2(address);
    readRegisters();
  }

  function mode() { return $("reg-pec").checked ? "bp" : "b"; }

  async function readRegisters() {
    const address = Kelvane.parseNumber($("reg-address-input").value);
    if (!(address >= 0 && address <= 0x7f)) {
      Kelvane.status("the address must be 0x00 to 0x7f", true);
      return;
    }
    registerAddress = address;
    $("reg-address").textContent = "at " + Kelvane.hex2(address);
    Kelvane.status("reading the registers of " + Kelvane.hex2(address) + "…");
    const { doc } = await Kelvane.call("dump", { address, mode: mode(), speed: speed() });
    if (doc.error) {
      Kelvane.status("dump: " + doc.error.message, true);
      $("reg-grid").replaceChildren();
      return;
    }
    drawRegisters(doc.first, doc.values);
    Kelvane.status("registers of " + Kelvane.hex2(address) + " read");
  }

  // i2cdump's 16 x 16 grid; a click on a cell edits it.
  function drawRegisters(first, values) {
    const grid = $("reg-grid");
    grid.replaceChildren();
    const head = Kelvane.el("tr", {}, Kelvane.el("th"));
    for (let c = 0; c < 16; c++) head.append(Kelvane.el("th", { text: c.toString(16) }));
    grid.append(head);
    for (let row = 0; row < 256; row += 16) {
      const tr = Kelvane.el("tr", {}, Kelvane.el("th", { text: row.toString(16).padStart(2, "0") + ":" }));
      for (let r = row; r < row + 16; r++) {
        const i = r - first;
        const value = i >= 0 && i < values.length ? values[i] : undefined;
        const cell = Kelvane.el("td", { id: "reg-" + r.toString(16).padStart(2, "0"), class: "reg" });
        cell.textContent = value === null ? "XX" : value === undefined ? "" : value.toString(16).padStart(2, "0");
        if (value === null) cell.classList.add("unread");
        cell.addEventListener("click", () => editRegister(cell, r));
        tr.append(cell);
      }
      grid.append(tr);
    }
  }

  function editRegister(cell, register) {
    if (cell.querySelector("input")) return;
    const old = cell.textContent;
    const input = Kelvane.el("input", { value: old === "XX" ? "" : old, maxlength: "4" });
    cell.replaceChildren(input);
    input.focus();
    input.select();
    let done = false;
    const finish = async (write) => {
      if (done) return;
      done = true;
      const value = Kelvane.parseNumber(/^0x/i.test(input.value) ? input.value : "0x" + input.value);
      if (!write || !(value >= 0 && value <= 0xff)) {
        cell.textContent = old;
        if (write) Kelvane.status("a register holds 00 to ff", true);
        return;
      }
      cell.textContent = "…";
      const { doc } = await Kelvane.call("set", {
        address: registerAddress, register, values: [value], mode: mode(), read_back: true, speed: speed(),
      });
      cell.classList.remove("written", "mismatch", "unread");
      if (doc.read_back) {
        cell.textContent = doc.read_back[0].toString(16).padStart(2, "0");
        cell.classList.add(doc.matched ? "written" : "mismatch");
      } else {
        cell.textContent = old;
        cell.classList.add("mismatch");
      }
      Kelvane.status(doc.error ? "set: " + doc.error.message
        : "register " + Kelvane.hex2(register) + " written, read back " + Kelvane.hex2(doc.read_back[0]), Boolean(doc.error));
    };
    input.addEventListener("keydown", (e) => {
      if (e.key === "Enter") finish(true);
      if (e.key === "Escape") finish(false);
    });
    input.addEventListener("blur", () => finish(false));
  }

  async function transfer() {
    const words = $("transfer-messages").value.trim().split(/\s+/).filter((w) => w);
    const { doc } = await Kelvane.call("transfer", {
      messages: words, allow_stop: $("transfer-allow-stop").checked, speed: speed(),
    });
    const lines = (doc.messages || []).map((m) => (m.direction === "read" ? "read " : "wrote ") + m.length +
      " at " + Kelvane.hex2(m.address) + (m.direction === "read" ? ": " + m.data.map(Kelvane.hex2).join(" ") : ""));
    showResult("transfer-result", doc, lines.join("\n"));
  }

  function smbusTarget() {
    return {
      address: Kelvane.parseNumber($("smb-address").value),
      register: Kelvane.parseNumber($("smb-register").value),
      mode: $("smb-mode").value + ($("smb-pec").checked ? "p" : ""),
      speed: speed(),
    };
  }

  async function smbusRead() {
    const { doc } = await Kelvane.call("get", smbusTarget());
    showResult("smb-result", doc, doc.data ? "read: " + doc.data.map(Kelvane.hex2).join(" ") +
      (doc.value !== undefined ? "  (value " + doc.value + ")" : "") : "");
  }

  async function smbusWrite() {
    const values = $("smb-values").value.trim().split(/[\s,]+/).filter((w) => w).map(Kelvane.parseNumber);
    if (values.length === 0 || values.some((v) => !(v >= 0 && v <= 0xffff))) {
      showResult("smb-result", { error: { message: "values are numbers: 0x12 0x34" } });
      return;
    }
    const { doc } = await Kelvane.call("set", { ...smbusTarget(), values, read_back: false });
    showResult("smb-result", doc, doc.written ? "wrote: " + doc.written.map(Kelvane.hex2).join(" ") : "");
  }

  function addLogRow(entry) {
    const row = Kelvane.el("tr", {},
      Kelvane.el("td", { text: entry.time.toISOString().slice(11, 23) }),
      Kelvane.el("td", { text: entry.call }),
      Kelvane.el("td", { text: entry.request }),
      Kelvane.el("td", { text: entry.status }),
      Kelvane.el("td", { text: entry.result }));
    if (entry.status !== 200) row.classList.add("failed");
    const body = document.querySelector("#log tbody");
    body.prepend(row);
    while (body.children.length > 500) body.lastChild.remove();
  }

  function saveLog() {
    const rows = [["time", "call", "request", "status", "result"]];
    for (const e of Kelvane.log) rows.push([e.time.toISOString(), e.call, e.request, e.status, e.result]);
    Kelvane.download("kelvane-transactions.csv", Kelvane.csv(rows));
  }

  function init() {
    $("scan").addEventListener("click", scan);
    $("reg-read").addEventListener("click", readRegisters);
    $("transfer-run").addEventListener("click", transfer);
    $("smb-read").addEventListener("click", smbusRead);
    $("smb-write").addEventListener("click", smbusWrite);
    $("log-save").addEventListener("click", saveLog);
    $("log-clear").addEventListener("click", () => {
      Kelvane.log.length = 0;
      document.querySelector("#log tbody").replaceChildren();
    });
    Kelvane.onLog(addLogRow);
    drawScan(0x08, 0x77, []);
  }

  return { init };
})();
