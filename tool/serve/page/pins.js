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
          level.addEventListener("click", () => change({ pin: pin.pin, direction: "out", level: pin.level ? 0 : 1 }));
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

  function update(doc) {
    if (doc && doc.pins && doc.pins.length === 4) {
      pins = doc.pins;
      render();
    }
  }

  async function load() {
    const { doc } = await Kelvane.call("gpio", {});
    update(doc);
  }

  return { update, load };
})();
