// The Configuration tab: a form over the keys of `config show`, what
// differs from the chip before anything is written, Apply with the
// read-back of each key written, the TOML file down and up, a batch apply
// to every attached chip with a serial-number pattern, the access password,
// and the permanent lock after the chip's serial number is typed.
"use strict";

const ConfigTab = (() => {
  const $ = (id) => document.getElementById(id);
  // Keys whose values are one of these strings.
  const choices = {
    "usb.power": ["bus", "self", "none"],
    "protection.state": ["unprotected", "password", "locked", "unknown"],
  };
  const hexKeys = new Set(["usb.vendor_id", "usb.product_id"]);
  let chipConfig = null;  // the flat keys as the chip has them
  let uploaded = "";

  // {"usb": {"product": "x"}, "pins": {"gp0": {...}}} -> {"usb.product": "x", ...}
  function flatten(object, prefix = "", out = {}) {
    for (const [k, v] of Object.entries(object)) {
      if (v !== null && typeof v === "object") flatten(v, prefix + k + ".", out);
      else out[prefix + k] = v;
    }
    return out;
  }

  function nest(flat) {
    const out = {};
    for (const [key, value] of Object.entries(flat)) {
      const parts = key.split(".");
      let at = out;
      for (const p of parts.slice(0, -1)) at = at[p] = at[p] || {};
      at[parts[parts.length - 1]] = value;
    }
    return out;
  }

  function inputFor(key, value) {
    const id = "cfg-" + key;
    if (typeof value === "boolean") {
      return Kelvane.el("input", { type: "checkbox", id, "data-key": key, ...(value ? { checked: "" } : {}) });
    }
    if (choices[key] || key.endsWith(".direction")) {
      const options = choices[key] || ["in", "out"];
      const select = Kelvane.el("select", { id, "data-key": key }, ...options.map((o) => Kelvane.el("option", { value: o, text: o })));
      select.value = value;
      return select;
    }
    const text = typeof value === "number" && hexKeys.has(key) ? "0x" + value.toString(16).padStart(4, "0") : String(value);
    return Kelvane.el("input", { id, "data-key": key, value: text, class: typeof value === "number" ? "hex" : "" });
  }

  // The form's value of a key, in the chip's type; undefined when it cannot be read.
  function formValue(input) {
    const key = input.dataset.key;
    const was = chipConfig[key];
    if (typeof was === "boolean") return input.checked;
    if (typeof was === "number") {
      const n = Kelvane.parseNumber(input.value);
      return Number.isNaN(n) ? undefined : n;
    }
    return input.value;
  }

  function render() {
    const form = $("config-form");
    form.replaceChildren();
    const sections = {};
    for (const [key, value] of Object.entries(chipConfig)) {
      const section = key.split(".").slice(0, -1).join(".");
      if (!sections[section]) {
        sections[section] = Kelvane.el("fieldset", {}, Kelvane.el("legend", { text: section }));
        form.append(sections[section]);
      }
      const input = inputFor(key, value);
      input.addEventListener("input", showChanges);
      input.addEventListener("change", showChanges);
      sections[section].append(Kelvane.el("label", { class: "key" }, key.split(".").pop(), input));
    }
    const password = Kelvane.el("fieldset", {}, Kelvane.el("legend", { text: "new access password" }));
    const pw = Kelvane.el("input", { id: "cfg-protection.password", type: "password", maxlength: "8", placeholder: "8 bytes" });
    pw.addEventListener("input", showChanges);
    password.append(Kelvane.el("label", { class: "key" }, "password (set with state \"password\")", pw));
    form.append(password);
    showChanges();
  }

  // The keys whose form value differs from the chip's.
  function changes() {
    const changed = {};
    for (const input of $("config-form").querySelectorAll("[data-key]")) {
      const key = input.dataset.key;
      const value = formValue(input);
      input.parentElement.classList.toggle("changed", value !== chipConfig[key]);
      if (value !== undefined && value !== chipConfig[key]) changed[key] = value;
    }
    const pw = $("cfg-protection.password");
    if (pw && pw.value) changed["protection.password"] = pw.value;
    return changed;
  }

  function showChanges() {
    if (!chipConfig) return;
    const changed = changes();
    const list = $("config-changes");
    list.replaceChildren();
    for (const [key, value] of Object.entries(changed)) {
      const was = key === "protection.password" ? "" : JSON.stringify(chipConfig[key]) + " → ";
      list.append(Kelvane.el("li", { text: key + ": " + was + (key === "protection.password" ? "(a new password)" : JSON.stringify(value)) }));
    }
    if (list.children.length === 0) list.append(Kelvane.el("li", { class: "hint", text: "nothing" }));
    $("config-apply").disabled = Object.keys(changed).length === 0;
  }

  async function load() {
    const { doc } = await Kelvane.call("config/show", {});
    if (doc.error) {
      Kelvane.status("config show: " + doc.error.message, true);
      return null;
    }
    chipConfig = flatten(doc.config);
    render();
    updateLock();
    return chipConfig;
  }

  // After a write: each key asked for, with what the chip reads back.
  async function showReadBack(asked, doc) {
    const table = $("config-result").tBodies[0];
    table.replaceChildren();
    const entry = (doc.chips || [])[0];
    if (doc.error && !entry) {
      table.append(Kelvane.el("tr", {}, Kelvane.el("td", { class: "bad", text: doc.error.message })));
      return;
    }
    const fresh = await load();
    for (const key of Object.keys(asked)) {
      if (key === "protection.password") continue;
      const back = fresh ? fresh[key] : undefined;
      const same = back === asked[key];
      table.append(Kelvane.el("tr", {},
        Kelvane.el("td", { text: key }),
        Kelvane.el("td", { text: "asked " + JSON.stringify(asked[key]) }),
        Kelvane.el("td", { class: same ? "ok" : "bad", text: "read back " + JSON.stringify(back) + (same ? "" : " (differs)") })));
    }
    if (entry && entry.reset_needed && !entry.reset) {
      table.append(Kelvane.el("tr", {}, Kelvane.el("td", { text: "takes effect when the chip is reset" })));
    }
    if (doc.error) table.append(Kelvane.el("tr", {}, Kelvane.el("td", { class: "bad", text: doc.error.message })));
  }

  function applyOptions(body) {
    const password = $("config-password").value;
    if (password) body.password = password;
    if ($("config-reset").checked) body.reset = true;
    return body;
  }

  async function apply() {
    const changed = changes();
    if (Object.keys(changed).length === 0) return;
    $("config-apply").disabled = true;
    const { doc } = await Kelvane.call("config/apply", applyOptions({ config: nest(changed) }));
    Kelvane.status(doc.error ? "config apply: " + doc.error.message : "configuration written", Boolean(doc.error));
    await showReadBack(changed, doc);
  }

  async function downloadToml() {
    const { doc } = await Kelvane.call("config/export", {});
    if (doc.error) {
      Kelvane.status("config export: " + doc.error.message, true);
      return;
    }
    const selected = Kelvane.selected();
    Kelvane.download((selected && selected.serial ? selected.serial : "chip") + ".toml", doc.text, "application/toml");
  }

  function upload(event) {
    const file = event.target.files[0];
    if (!file) return;
    if (file.size > 65536) {
      Kelvane.status("a configuration file is at most 64 KiB", true);
      return;
    }
    file.text().then((text) => {
      uploaded = text;
      $("config-upload-text").textContent = text;
      $("config-upload-box").hidden = false;
    });
  }

  async function applyUpload() {
    const { doc } = await Kelvane.call("config/apply", applyOptions({ toml: uploaded }));
    const entry = (doc.chips || [])[0];
    Kelvane.status(doc.error ? "config apply: " + doc.error.message
      : "file applied: " + (entry && entry.changed.length ? entry.changed.join(", ") : "nothing changed"), Boolean(doc.error));
    await load();
  }

  async function applyBatch() {
    const body = applyOptions({ config: nest(changes()) });
    const pattern = $("batch-pattern").value.trim();
    if (pattern) {
      body.serial_pattern = pattern;
      body.start = Number($("batch-start").value) || 0;
    } else if ($("batch-same-serial").checked) {
      body.same_serial = true;
    }
    const { doc } = await Kelvane.call("/api/config/apply", body);
    // A chip that failed with "serial" may carry that number: no other chip gets it.
    const serialOf = (c) => !c.serial ? "" : c.status === "failed" ? " (may carry " + c.serial + ")" : " (" + c.serial + ")";
    const lines = (doc.chips || []).map((c) => "chip " + c.index + serialOf(c) + ": " +
      c.status + (c.changed && c.changed.length ? " — " + c.changed.join(", ") : "") + (c.error ? " — " + c.error : ""));
    if (doc.next !== undefined) {
      lines.push("next number: " + doc.next);
      $("batch-start").value = String(doc.next);
    }
    if (doc.error) lines.push(doc.error.message);
    $("batch-result").textContent = lines.join("\n");
    $("batch-result").classList.toggle("error", Boolean(doc.error));
  }

  function updateLock() {
    const selected = Kelvane.selected();
    $("lock-apply").disabled = !selected || !selected.serial || $("lock-confirm").value !== selected.serial;
  }

  async function lock() {
    const selected = Kelvane.selected();
    const body = applyOptions({
      config: { protection: { state: "locked" } }, yes_lock: true, confirm: $("lock-confirm").value,
    });
    const { doc } = await Kelvane.call("config/apply", body);
    $("lock-result").textContent = doc.error ? doc.error.message : selected.serial + " is locked for good" +
      ((doc.chips || [])[0] && doc.chips[0].reset ? "" : " when it is reset");
    $("lock-result").classList.toggle("error", Boolean(doc.error));
    $("lock-confirm").value = "";
    updateLock();
  }

  function init() {
    $("config-load").addEventListener("click", load);
    $("config-apply").addEventListener("click", apply);
    $("config-download").addEventListener("click", downloadToml);
    $("config-upload").addEventListener("change", upload);
    $("config-upload-apply").addEventListener("click", applyUpload);
    $("batch-apply").addEventListener("click", applyBatch);
    $("lock-confirm").addEventListener("input", updateLock);
    $("lock-apply").addEventListener("click", lock);
    Kelvane.on("chip", () => { updateLock(); });
  }

  return { init, load };
})();
