// The page's link to the server: the API calls (JSON, with the token that
// the page was opened with, or the cookie that keeps it), the transaction
// log, the chip that is selected, and small helpers the tabs share.
"use strict";

const Kelvane = (() => {
  // The token of the address the page was opened at; the server keeps it
  // in a cookie too, so that a reload without it still works.
  const params = new URLSearchParams(location.search);
  let token = params.get("token") || "";
  if (token) {
    history.replaceState(null, "", location.pathname);
  }

  const listeners = { chip: [], unauthorised: [] };
  const log = [];
  let selected = null;  // {name, serial, index}

  function on(event, fn) { listeners[event].push(fn); }
  function emit(event, value) { for (const fn of listeners[event]) fn(value); }

  function headers(json) {
    const h = {};
    if (json) h["Content-Type"] = "application/json";
    if (token) h["Authorization"] = "Bearer " + token;
    return h;
  }

  function summary(doc, status) {
    if (doc && doc.error) return doc.error.message;
    if (status >= 400) return "HTTP " + status;
    return "ok";
  }

  function record(call, request, status, result) {
    const entry = { time: new Date(), call, request, status, result };
    log.push(entry);
    if (log.length > 5000) log.shift();
    for (const fn of logListeners) fn(entry);
  }
  const logListeners = [];

  async function answer(response) {
    const type = response.headers.get("Content-Type") || "";
    if (response.status === 401) emit("unauthorised");
    if (type.startsWith("application/json")) return await response.json();
    return { text: await response.text() };
  }

  // GET path: {status, doc}.
  async function get(path) {
    const response = await fetch(path, { headers: headers(false), credentials: "same-origin" });
    return { status: response.status, doc: await answer(response) };
  }

  // POST a call on the selected chip (or on path when it starts with /):
  // {status, doc}, logged.
  async function call(action, body = {}) {
    const path = action.startsWith("/") ? action
      : "/api/chips/" + encodeURIComponent(selected ? selected.name : "@0") + "/" + action;
    let status = 0;
    let doc = null;
    try {
      const response = await fetch(path, {
        method: "POST", headers: headers(true), credentials: "same-origin", body: JSON.stringify(body),
      });
      status = response.status;
      doc = await answer(response);
    } catch (e) {
      doc = { error: { message: "no answer from the server: " + e.message } };
    }
    record(action, JSON.stringify(body), status, summary(doc, status));
    return { status, doc };
  }

  // The name of a chip in the API: its serial number when that names it
  // alone, else @INDEX.
  function chipName(chip, chips) {
    const same = chips.filter((c) => c.serial === chip.serial);
    return chip.serial && same.length === 1 ? chip.serial : "@" + chip.index;
  }

  function select(chip, chips) {
    selected = chip ? { name: chipName(chip, chips), serial: chip.serial, index: chip.index } : null;
    if (selected) localStorage.setItem("kelvane-chip", selected.name);
    emit("chip", selected);
  }

  function eventsUrl() {
    const q = new URLSearchParams();
    if (selected) q.set("chip", selected.name);
    if (token) q.set("token", token);
    return "/api/events?" + q.toString();
  }

  function status(text, error = false) {
    const el = document.getElementById("status");
    el.textContent = text;
    el.classList.toggle("error", error);
  }

  function hex2(v) { return "0x" + Number(v).toString(16).padStart(2, "0"); }

  // "0x50", "80", "0o17": a number, or NaN.
  function parseNumber(text) {
    const t = String(text).trim().toLowerCase();
    if (/^0x[0-9a-f]+$/.test(t)) return parseInt(t.slice(2), 16);
    if (/^[0-9]+$/.test(t)) return parseInt(t, 10);
    return NaN;
  }

  function csv(rows) {
    return rows.map((row) => row.map((cell) => {
      const s = String(cell);
      return /[",\n]/.test(s) ? '"' + s.replace(/"/g, '""') + '"' : s;
    }).join(",")).join("\n") + "\n";
  }

  function download(name, text, type = "text/csv") {
    const url = URL.createObjectURL(new Blob([text], { type }));
    const a = document.createElement("a");
    a.href = url;
    a.download = name;
    document.body.appendChild(a);
    a.click();
    a.remove();
    setTimeout(() => URL.revokeObjectURL(url), 1000);
  }

  function el(tag, attributes = {}, ...children) {
    const e = document.createElement(tag);
    for (const [k, v] of Object.entries(attributes)) {
      if (k === "class") e.className = v;
      else if (k === "text") e.textContent = v;
      else if (k.startsWith("on")) e.addEventListener(k.slice(2), v);
      else e.setAttribute(k, v);
    }
    for (const c of children) e.append(c);
    return e;
  }

  return {
    get, call, select, on, eventsUrl, status, hex2, parseNumber, csv, download, el, chipName,
    selected: () => selected,
    log, onLog: (fn) => logListeners.push(fn),
    remembered: () => localStorage.getItem("kelvane-chip"),
  };
})();
