// The Pins tab: GP0 to GP3 with function, direction and level (gpio);
// outputs switch on a click, input levels follow the "pins" events.
"use strict";

const PinsTab = (() => {
  let pins = [];

  function functionName(pin) {
    return pin.gpio ? "GPIO" : "function " + pin.designation;
  }

  function render() {
    const body = document.querySelector("#pins-table tbody");
    body.replaceChildren();
    for (const pin of pins) {
      const direction = Kelvane.el("select", { id: "pin-" + pin.pin + "-direction" },
        Kelvane.el("option", { value: "in", text: "in" }), Kelvane.el("option", { value: "out", text: "out" }));
      let level;
      if (!pin.gpio) {
        direction.replaceChildren(Kelvane.el("option", { text: "–" }));
        direction.disabled = true;
        level = Kelvane.el("button", { id: "pin-" + pin.pin + "-level", text: "make GPIO" });
        level.addEventListener("click", () => change({ pin: pin.pin, direction: "in" }));
      } else {
        direction.value = pin.direction;
        direction.addEventListener("change", () => change({ pin: pin.pin, direction: direction.value }));
        level = Kelvane.el("button", {
          id: "pin-" + pin.pin + "-level", class: "level" + (pin.level ? " high" : ""), text: String(pin.level),
        });
        if (pin.direction === "out") {
          level.title = "click to switch";
          level.addEventListener("click", () => {
            const now = pins[pin.pin];
            change({ pin: pin.pin, direction: "out", level: now.level ? 0 : 1 });
          });
        } else {
          level.disabled = true;
        }
      }
      body.append(Kelvane.el("tr", {},
        Kelvane.el("td", { text: "GP" + pin.pin }),
        Kelvane.el("td", { text: functionName(pin) }),
        Kelvane.el("td", {}, direction),
        Kelvane.el("td", {}, level)));
    }
  }

  async function change(body) {
    const { doc } = await Kelvane.call("gpio", body);
    if (doc.error) {
      Kelvane.status("gpio: " + doc.error.message, true);
    } else {
      update(doc);
      Kelvane.status("GP" + body.pin + " set");
    }
  }

  // The table is made again when a pin's function or direction changed;
  // levels alone change in place (so that a click is never lost on a
  // button that was just replaced).
  function update(doc) {
    if (!doc || !doc.pins) return;
    const next = pins.length === 4 ? pins.map((p) => ({ ...p })) : [];
    for (const pin of doc.pins) {
      if (doc.pins.length === 4) next[pin.pin] = pin;
      else if (next[pin.pin]) next[pin.pin] = pin;
    }
    if (next.length !== 4) return;
    const same = pins.length === 4 && next.every((p, i) => p.gpio === pins[i].gpio &&
      p.designation === pins[i].designation && p.direction === pins[i].direction);
    pins = next;
    if (!same) {
      render();
      return;
    }
    for (const pin of pins) {
      const button = document.getElementById("pin-" + pin.pin + "-level");
      if (button && pin.gpio) {
        button.textContent = String(pin.level);
        button.classList.toggle("high", pin.level === 1);
      }
    }
  }

  async function load() {
    const { doc } = await Kelvane.call("gpio", {});
    update(doc);
  }

  return { update, load };
})();
