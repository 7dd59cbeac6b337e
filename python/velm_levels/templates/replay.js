"use strict";
// Draws one step of a run at a time from the compact form that
// velm_levels.replay_data writes into the page. Every text of the run goes
// into the page through textContent, so identifiers can never become markup.
(function () {
  const data = JSON.parse(document.getElementById("replay-data").textContent);
  // One entry a step: null for the level before its first frame, else
  // [frame_index, index into data.metas, edits from the step before].
  const steps = data.has_start ? [null].concat(data.frames) : data.frames;
  const last = steps.length - 1;
  const SIGNS = { positive: "+", negative: "\u2212", neutral: "\u00b1" };
  const NOT_FINITE = "NaN/\u221e";
  const EVENT_NAMES = { FINISHED: "level complete" };
  // A merge's event names the merged zone by this prefix and its id.
  const SHIELD = "shield_";

  const ui = {};
  for (const id of ["title", "first", "prev", "play", "next", "last", "slider", "speed",
                    "frame-index", "status", "position", "message", "event", "outcome",
                    "outcome-text", "level"]) {
    ui[id] = document.getElementById(id);
  }

  // ---- Rebuilding the state of each step ------------------------------------

  // States are rebuilt on demand and kept: each shares every part that its
  // frame left unchanged with the state before it, so a long run stays small.
  const states = [];

  function stateAt(position) {
    let known = position;
    while (known >= 0 && states[known] === undefined) known -= 1;
    for (let next = known + 1; next <= position; next += 1) {
      const before = next === 0 ? data.base : states[next - 1].root;
      states[next] = applyEdits(before, steps[next] ? steps[next][2] : []);
    }
    return states[position];
  }

  // Applies one frame's edits without touching the state before: every zone
  // and list on an edited path is copied once. Returns the new top zone and,
  // for each zone that an edit touched, what changed there.
  function applyEdits(root, edits) {
    const marks = new Map();
    if (edits.length === 0) return { root, marks };
    const copies = new Set();
    const own = (value) => {
      if (copies.has(value)) return value;
      const copy = Array.isArray(value) ? value.slice() : Object.assign({}, value);
      copies.add(copy);
      return copy;
    };
    root = own(root);
    for (const edit of edits) {
      const [path, key] = edit;
      let zone = root;
      for (const index of path) {
        const inner = zone.sub_environments = own(zone.sub_environments);
        zone = inner[index] = own(inner[index]);
      }
      const mark = marks.get(zone) || {};
      marks.set(zone, mark);
      if (edit.length === 3) {
        zone[key] = edit[2];
        mark[key] = true;
      } else {
        const [, , start, removed, inserted] = edit;
        const list = zone[key];
        mark[key] = { start, removed: list.slice(start, start + removed), inserted: inserted.length };
        const spliced = list.slice(0, start).concat(inserted, list.slice(start + removed));
        copies.add(spliced);
        zone[key] = spliced;
      }
    }
    return { root, marks };
  }

  // ---- Drawing -------------------------------------------------------------

  function element(tag, className, text) {
    const node = document.createElement(tag);
    if (className) node.className = className;
    if (text !== undefined) node.textContent = text;
    return node;
  }

  function ident(text, extraClass) {
    return element("span", extraClass ? "ident " + extraClass : "ident", text);
  }

  function numberText(value) {
    return value === null ? NOT_FINITE : String(value).replaceAll("-", "\u2212");
  }

  function chargeChip(charge) {
    const chip = element("span", "chip " + charge.polarity);
    const amount = element("span", "amount");
    const value = element("span", "value", numberText(charge.magnitude));
    if (charge.magnitude === null) {
      value.classList.add("nonfinite");
      value.title = "not a finite number: NaN or an infinity (reports write both as null)";
    } else if (charge.magnitude < 0) {
      // A negative magnitude is kept apart from the sign the polarity gives.
      value.textContent = "(" + value.textContent + ")";
    }
    amount.append(element("span", "sign", SIGNS[charge.polarity]), value);
    chip.append(amount, ident(charge.visual_id));
    chip.title = charge.polarity + " charge";
    return chip;
  }

  function agentCard(agent) {
    const card = element("span", "agent");
    const details = ["priority " + agent.priority];
    if (agent.state !== "dormant") details.push(agent.state);
    if ("target_value" in agent) {
      details.push("opens when the sum " + (agent.rule || "=") + " " + numberText(agent.target_value));
      if (agent.is_open) details.push("open");
    }
    card.append(element("span", "agent-title", agent.name), ident(agent.visual_id),
                element("span", "details", details.join(" \u00b7 ")));
    return card;
  }

  function tagged(node, classNames, tag) {
    node.classList.add(...classNames.split(" "));
    node.prepend(element("span", "tag", tag));
    return node;
  }

  // The items of one list as drawn: the current ones, those that this frame
  // put in marked new, and those it took out drawn as ghosts where they stood.
  function drawList(items, change, draw, drawGone) {
    let nodes = [];
    const ghosts = () => change.removed.map(drawGone);
    items.forEach((item, index) => {
      if (change && index === change.start) nodes = nodes.concat(ghosts());
      const node = draw(item);
      if (change && index >= change.start && index < change.start + change.inserted) {
        tagged(node, "new", "new");
      }
      nodes.push(node);
    });
    if (change && change.start >= items.length) nodes = nodes.concat(ghosts());
    return nodes;
  }

  function fragment(nodes) {
    const holder = document.createDocumentFragment();
    for (const node of nodes) holder.append(node);
    return holder;
  }

  function row(label, nodes, emptyText) {
    const line = element("div", "row " + label);
    line.append(element("span", "row-label", label));
    if (nodes.length === 0) line.append(element("span", "empty-row", emptyText));
    line.append(fragment(nodes));
    return line;
  }

  // Draws a zone and everything in it. `focus` says which departed agent or
  // zone the frame's event names, so that exactly one is highlighted.
  function zoneBox(zone, marks, focus) {
    const mark = marks.get(zone) || null;
    const box = element("section", "zone");
    if (zone.is_time_frozen) box.classList.add("frozen");
    if (mark) box.classList.add("touched");
    const head = element("div", "zone-head");
    const id = ident(zone.id, "zone-id");
    if (mark && mark.id) id.classList.add("changed");
    head.append(element("span", "row-label", "zone"), id);
    const frozenChanged = Boolean(mark && mark.is_time_frozen);
    if (zone.is_time_frozen || frozenChanged) {
      const badge = element("span", "badge frozen-badge",
                            zone.is_time_frozen ? "frozen: its agents wait" : "no longer frozen");
      if (frozenChanged) badge.classList.add("changed");
      head.append(badge);
    }
    const goneAgent = (agent) => {
      const card = agentCard(agent);
      if (focus.agent && agent.visual_id === focus.agent.visual_id && agent.name === focus.agent.agent_name) {
        focus.agent = null;
        box.classList.add("acting");
        return tagged(card, "ghost acted", "acted");
      }
      return tagged(card, "ghost", "gone");
    };
    box.append(
      head,
      row("charges", drawList(zone.charges, mark && mark.charges, chargeChip,
                              (charge) => tagged(chargeChip(charge), "ghost", "used")), "no charges"),
      row("agents", drawList(zone.agents, mark && mark.agents, agentCard, goneAgent), "no agents"));
    const inner = drawList(zone.sub_environments, mark && mark.sub_environments,
                           (innerZone) => zoneBox(innerZone, marks, focus),
                           (innerZone) => goneZone(innerZone, box, focus));
    if (inner.length > 0) {
      const holder = element("div", "inner");
      holder.append(fragment(inner));
      box.append(holder);
    }
    return box;
  }

  function goneZone(zone, parent, focus) {
    const box = element("section", "zone ghost");
    const head = element("div", "zone-head");
    head.append(element("span", "row-label", "zone"), ident(zone.id, "zone-id"));
    box.append(head);
    if (focus.zone !== null && SHIELD + zone.id === focus.zone) {
      focus.zone = null;
      parent.classList.add("acting");
      return tagged(box, "acted", "merged");
    }
    return tagged(box, "gone", "gone");
  }

  function eventText(meta) {
    if (meta === null) return "";
    const event = meta.last_event;
    if (event === null) return "No event: nothing changed in this call.";
    if (event.type === "CAST_SPELL") return "Acted: " + event.agent_name + " \u201c" + event.visual_id + "\u201d";
    if (event.type === "COLLAPSE_ZONE") {
      const merged = event.visual_id.startsWith(SHIELD) ? event.visual_id.slice(SHIELD.length) : event.visual_id;
      return "Merged into its parent: zone \u201c" + merged + "\u201d";
    }
    return "Event: " + (EVENT_NAMES[event.type] || event.type);
  }

  // ---- The current step and the controls ------------------------------------

  let position = 0;
  let timer = null;

  function render() {
    const { root, marks } = stateAt(position);
    const step = steps[position];
    const meta = step ? Object.assign({ frame_index: step[0] }, data.metas[step[1]]) : null;
    ui["frame-index"].textContent = meta ? String(meta.frame_index) : "0";
    ui.status.textContent = meta ? meta.status : "NOT STARTED";
    ui.status.className = "status " + (meta ? meta.status : "");
    ui.message.textContent = meta ? meta.message : "The level as built, before its first frame.";
    ui.event.textContent = eventText(meta);
    ui.position.textContent = (position + 1) + " of " + steps.length;
    ui.outcome.hidden = position !== last;
    ui.slider.value = String(position);
    ui.first.disabled = ui.prev.disabled = position === 0;
    ui.next.disabled = ui.last.disabled = position === last;
    const event = meta && meta.last_event;
    const focus = {
      agent: event && event.type === "CAST_SPELL" ? event : null,
      zone: event && event.type === "COLLAPSE_ZONE" ? event.visual_id : null,
    };
    ui.level.replaceChildren(zoneBox(root, marks, focus));
  }

  function go(target) {
    position = Math.max(0, Math.min(last, target));
    render();
  }

  function stepBy(delta) {
    pause();
    go(position + delta);
  }

  function play() {
    if (position === last) go(0);
    timer = setInterval(() => {
      go(position + 1);
      if (position === last) pause();
    }, 1000 / Number(ui.speed.value));
    ui.play.setAttribute("aria-pressed", "true");
    ui.play.textContent = "\u275a\u275a Pause";
  }

  function pause() {
    if (timer === null) return;
    clearInterval(timer);
    timer = null;
    ui.play.setAttribute("aria-pressed", "false");
    ui.play.textContent = "\u25b6 Play";
  }

  function togglePlay() {
    if (timer === null && last > 0) play();
    else pause();
  }

  ui.first.addEventListener("click", () => { pause(); go(0); });
  ui.prev.addEventListener("click", () => stepBy(-1));
  ui.next.addEventListener("click", () => stepBy(1));
  ui.last.addEventListener("click", () => { pause(); go(last); });
  ui.play.addEventListener("click", togglePlay);
  ui.slider.addEventListener("input", () => { pause(); go(Number(ui.slider.value)); });
  ui.speed.addEventListener("change", () => { if (timer !== null) { pause(); play(); } });

  const KEYS = {
    ArrowRight: () => stepBy(1),
    ArrowLeft: () => stepBy(-1),
    Home: () => { pause(); go(0); },
    End: () => { pause(); go(last); },
    " ": togglePlay,
  };
  // The keys work wherever the focus is: their own meaning on a focused
  // button or slider (pressing it, moving it) is cancelled, so that each key
  // press moves exactly one step.
  document.addEventListener("keydown", (event) => {
    const action = KEYS[event.key];
    if (!action || event.altKey || event.ctrlKey || event.metaKey) return;
    event.preventDefault();
    if (!event.repeat || event.key !== " ") action();
  });
  document.addEventListener("keyup", (event) => {
    if (event.key === " ") event.preventDefault();
  });

  ui.title.textContent = data.title;
  document.title = data.title + " \u2013 replay";
  ui["outcome-text"].textContent = data.outcome;
  ui.slider.max = String(last);
  render();
})();
