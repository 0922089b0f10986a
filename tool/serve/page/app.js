// The page's start: the first list of chips (or the note on the token when
// the server refuses the page's calls), the tabs, and the event stream of
// the selected chip (chips that come and go, ADC samples, pin levels).
"use strict";

(() => {
  const $ = (id) => document.getElementById(id);
  let source = null;
  let tab = "chips";

  function unauthorised() {
    if (source) source.close();
    source = null;
    $("tabs").hidden = true;
    $("panels").hidden = true;
    $("unauthorised").hidden = false;
    $("connection").textContent = "no token";
    Kelvane.status("the server refused the page's calls: open the address that kelvane serve printed", true);
  }

  function showTab(name) {
    tab = name;
    for (const button of document.querySelectorAll("#tabs button")) {
      button.classList.toggle("active", button.dataset.tab === name);
    }
    for (const panel of document.querySelectorAll(".panel")) {
      panel.hidden = panel.id !== "panel-" + name;
    }
    loadTab();
  }

  function loadTab() {
    if (!Kelvane.selected()) return;
    if (tab === "pins") PinsTab.load();
    if (tab === "analog") AnalogTab.load();
    if (tab === "config") ConfigTab.load();
  }

  // One stream, of the selected chip; EventSource reconnects by itself.
  function listen() {
    if (source) source.close();
    source = new EventSource(Kelvane.eventsUrl());
    source.addEventListener("open", () => {
      $("connection").textContent = "live";
      $("connection").classList.add("live");
    });
    source.addEventListener("error", () => {
      $("connection").textContent = "reconnecting…";
      $("connection").classList.remove("live");
    });
    source.addEventListener("chips", (e) => ChipsTab.update(JSON.parse(e.data)));
    source.addEventListener("adc", (e) => AnalogTab.sample(JSON.parse(e.data)));
    source.addEventListener("pins", (e) => PinsTab.update(JSON.parse(e.data)));
    source.addEventListener("chip-error", (e) => {
      const doc = JSON.parse(e.data);
      Kelvane.status(doc.chip + ": " + doc.error.message, true);
    });
  }

  async function start() {
    Kelvane.on("unauthorised", unauthorised);
    BusTab.init();
    AnalogTab.init();
    ConfigTab.init();
    for (const button of document.querySelectorAll("#tabs button")) {
      button.addEventListener("click", () => showTab(button.dataset.tab));
    }
    let list;
    try {
      list = await Kelvane.get("/api/chips");
    } catch (e) {
      Kelvane.status("no answer from the server: " + e.message, true);
      return;
    }
    if (list.status === 401) return;
    $("tabs").hidden = false;
    $("panels").hidden = false;
    Kelvane.on("chip", () => {
      AnalogTab.clear();
      listen();
      loadTab();
    });
    ChipsTab.update(list.doc);
    if (!source) listen();
    Kelvane.status("ready");
  }

  start();
})();
