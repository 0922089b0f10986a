// The Analog tab: a live plot of the three ADC channels in volts (uPlot),
// from the "adc" events, with pause, a time window and CSV; the ADC
// reference; the DAC with a slider.
"use strict";

const AnalogTab = (() => {
  const $ = (id) => document.getElementById(id);
  const kept = 3000;  // points kept, 5 minutes at 10 a second
  const times = [];
  const channels = [[], [], []];
  let plot = null;
  let paused = false;
  let received = 0;

  function windowSeconds() { return Number($("plot-window").value); }

  function makePlot() {
    const width = Math.max(400, $("plot").clientWidth || 800);
    plot = new uPlot({
      width, height: 300,
      scales: { x: { time: true }, y: { auto: true } },
      axes: [{}, { label: "V" }],
      series: [
        {},
        { label: "channel 1", stroke: "#1f6feb", width: 1.5 },
        { label: "channel 2", stroke: "#d92d20", width: 1.5 },
        { label: "channel 3", stroke: "#039855", width: 1.5 },
      ],
    }, [times, ...channels], $("plot"));
  }

  function redraw() {
    if (!plot || paused || times.length === 0) return;
    const last = times[times.length - 1];
    plot.setData([times, ...channels], false);
    plot.setScale("x", { min: last - windowSeconds(), max: last });
  }

  function sample(doc) {
    if (!doc.channels || doc.channels.length !== 3) return;
    times.push(doc.time);
    doc.channels.forEach((c, i) => channels[i].push(c.volts));
    if (times.length > kept) {
      times.shift();
      channels.forEach((c) => c.shift());
    }
    received += 1;
    const counter = $("plot-points");
    counter.dataset.points = String(received);
    counter.textContent = received + " points";
    const now = $("adc-now").tBodies[0];
    now.replaceChildren(...doc.channels.map((c) => Kelvane.el("tr", {},
      Kelvane.el("td", { text: "channel " + c.channel }),
      Kelvane.el("td", { text: c.raw }),
      Kelvane.el("td", { text: c.volts.toFixed(3) + " V" }))));
    if ($("adc-reference").dataset.chosen !== "1") $("adc-reference").value = String(doc.reference.number);
    redraw();
  }

  function saveCsv() {
    const rows = [["time", "channel 1 (V)", "channel 2 (V)", "channel 3 (V)"]];
    times.forEach((t, i) => rows.push([new Date(t * 1000).toISOString(), channels[0][i], channels[1][i], channels[2][i]]));
    Kelvane.download("kelvane-adc.csv", Kelvane.csv(rows));
  }

  function showDac(doc) {
    if (doc.error) {
      $("dac-value").textContent = doc.error.message;
      return;
    }
    $("dac-slider").value = String(doc.value);
    $("dac-reference").value = String(doc.reference.number);
    $("dac-value").textContent = doc.value + " of 31: " + doc.volts.toFixed(3) + " V";
  }

  async function setDac() {
    const { doc } = await Kelvane.call("dac", {
      value: Number($("dac-slider").value), reference: Number($("dac-reference").value),
    });
    showDac(doc);
  }

  async function setReference() {
    $("adc-reference").dataset.chosen = "1";
    const { doc } = await Kelvane.call("adc", { reference: Number($("adc-reference").value) });
    $("adc-reference").dataset.chosen = "";
    if (doc.error) Kelvane.status("adc: " + doc.error.message, true);
  }

  async function load() {
    if (!plot) makePlot();
    const { doc } = await Kelvane.call("dac", {});
    showDac(doc);
    redraw();
  }

  function clear() {
    times.length = 0;
    channels.forEach((c) => { c.length = 0; });
    if (plot) plot.setData([times, ...channels]);
  }

  function init() {
    $("plot-pause").addEventListener("click", () => {
      paused = !paused;
      $("plot-pause").textContent = paused ? "Resume" : "Pause";
      redraw();
    });
    $("plot-window").addEventListener("change", redraw);
    $("plot-save").addEventListener("click", saveCsv);
    $("adc-reference").addEventListener("change", setReference);
    $("dac-slider").addEventListener("change", setDac);
    $("dac-slider").addEventListener("input", () => { $("dac-value").textContent = $("dac-slider").value + " of 31"; });
    $("dac-reference").addEventListener("change", setDac);
    window.addEventListener("resize", () => {
      if (plot) plot.setSize({ width: Math.max(400, $("plot").clientWidth), height: 300 });
    });
  }

  return { init, sample, load, clear };
})();
