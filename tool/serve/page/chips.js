// The Chips tab: the attached chips (from GET /api/chips, then from the
// event stream as chips come and go), one of them selected.
"use strict";

const ChipsTab = (() => {
  let chips = [];

  function render() {
    const body = document.querySelector("#chips-table tbody");
    body.replaceChildren();
    const chosen = Kelvane.selected();
    for (const chip of chips) {
      const row = Kelvane.el("tr", { "data-index": chip.index, onclick: () => Kelvane.select(chip, chips) },
        Kelvane.el("td", { text: chip.index }),
        Kelvane.el("td", { text: chip.serial || "(none)" }),
        Kelvane.el("td", { text: chip.firmware }),
        Kelvane.el("td", { text: chip.hardware }),
        Kelvane.el("td", { text: chip.path }));
      if (chosen && Kelvane.chipName(chip, chips) === chosen.name) row.classList.add("chosen");
      body.append(row);
    }
    document.getElementById("chips-empty").hidden = chips.length > 0;
  }

  // A new list: the selection stays on the chip of the same name (a chip
  // that went away and came back is selected again).
  function update(list) {
    chips = list.chips || [];
    const current = Kelvane.selected();
    const wanted = current ? current.name : Kelvane.remembered();
    const match = chips.find((c) => Kelvane.chipName(c, chips) === wanted);
    if (match) {
      if (!current || current.name !== wanted) Kelvane.select(match, chips);
    } else if (!current && chips.length > 0) {
      Kelvane.select(chips[0], chips);
    }
    const header = document.getElementById("selected-chip");
    const selected = Kelvane.selected();
    const present = selected && chips.some((c) => Kelvane.chipName(c, chips) === selected.name);
    header.textContent = selected ? (selected.serial || selected.name) + (present ? "" : " (not attached)") : "no chip";
    render();
  }

  Kelvane.on("chip", render);
  return { update, chips: () => chips };
})();
