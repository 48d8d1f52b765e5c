// The web console of darvo-service: every printer's status, refreshed live;
// the journal's requests, newest first; the daily report for an owner; the
// resolution of an unknown outcome for a technician. The token lives in
// sessionStorage for this tab only, never in a URL. What a token's role may
// not do is not offered.
import { TEXTS as T } from "./texts-pl.js";

const RANK = { monitor: 0, pos: 1, owner: 2, technician: 3 };
const $ = (id) => document.getElementById(id);
let token = "";
let role = "";
let refresh = 0;
let journalBefore = 0;

function text(node, value) {
  node.textContent = value;
  return node;
}

function element(tag, value, className) {
  const node = document.createElement(tag);
  if (value !== undefined) node.textContent = value;
  if (className) node.className = className;
  return node;
}

function fill(template, values) {
  return template.replace(/\{(\w+)\}/g, (_, name) => values[name] ?? "");
}

async function api(method, path, body, headers = {}) {
  const response = await fetch(path, {
    method,
    headers: {
      Authorization: `Bearer ${token}`,
      ...(body !== undefined ? { "Content-Type": "application/json" } : {}),
      ...headers,
    },
    body: body !== undefined ? JSON.stringify(body) : undefined,
    cache: "no-store",
  });
  let answer = {};
  try {
    answer = await response.json();
  } catch {
    answer = {};
  }
  return { status: response.status, answer };
}

// A dialog with Tak / Nie; resolves to true for Tak.
function ask(question, withOutcome = false) {
  const dialog = $("confirm");
  text($("confirm-text"), question);
  $("resolve-fields").hidden = !withOutcome;
  $("resolve-note").value = "";
  dialog.returnValue = "";
  dialog.showModal();
  return new Promise((resolve) => dialog.addEventListener("close", () => resolve(dialog.returnValue === "yes"), { once: true }));
}

// A sign-in or sign-out while an earlier sign-in still waits for its answer
// wins over it.
let attempt = 0;

async function signIn(candidate) {
  const mine = ++attempt;
  clearInterval(refresh);
  token = candidate;
  let result;
  try {
    result = await api("GET", "/v1/whoami");
  } catch {
    if (mine === attempt) text($("sign-in-error"), T.noService);
    return;
  }
  if (mine !== attempt) return;
  if (result.status !== 200) {
    sessionStorage.removeItem("darvo-token");
    text($("sign-in-error"), T.badToken);
    token = "";
    return;
  }
  sessionStorage.setItem("darvo-token", token);
  role = result.answer.role;
  text($("sign-in-error"), "");
  text($("who"), `${T.signedInAs} ${T.roles[role] || role}`);
  $("sign-in").hidden = true;
  $("sign-out").hidden = false;
  $("printers").hidden = false;
  $("journal").hidden = RANK[role] < RANK.owner;
  await showPrinters();
  refresh = setInterval(showPrinters, 5000);
  if (RANK[role] >= RANK.owner) await showJournal(true);
}

function signOut() {
  attempt++;
  sessionStorage.removeItem("darvo-token");
  clearInterval(refresh);
  token = role = "";
  $("printer-cards").replaceChildren();
  $("printers").hidden = $("journal").hidden = $("sign-out").hidden = true;
  $("sign-in").hidden = false;
  text($("who"), "");
  $("token").value = "";
}

async function showPrinters() {
  const list = await api("GET", "/v1/printers");
  if (list.status === 401) return signOut();
  const printers = list.answer.printers || [];
  const select = $("journal-printer");
  if (select.options.length !== printers.length)
    select.replaceChildren(...printers.map((p) => new Option(p.name, p.name)));
  const cards = await Promise.all(printers.map(async (p) => card(p, await api("GET", `/v1/printers/${encodeURIComponent(p.name)}/status`))));
  $("printer-cards").replaceChildren(...cards);
}

function card(summary, status) {
  const box = element("article", undefined, "card");
  box.dataset.printer = summary.name;
  box.append(element("h3", summary.name));
  const facts = element("dl");
  const row = (label, value, className) => facts.append(element("dt", label), element("dd", value, className));
  const s = status.answer;
  const pending = (summary.unsettled || 0) + (summary.unresolved || []).length;
  row(T.state, T.states[summary.state] || summary.state, summary.state === "ready" ? "good" : "bad");
  if (status.status === 200) {
    row(T.model, s.model);
    row(T.mode, s.mode === "fiscal" ? T.fiscal : T.training);
    row(T.paper, s.paper === "ok" ? T.paperOk : T.paperOut, s.paper === "ok" ? "" : "bad");
    row(T.clock, (s.clock || "").replace("T", " "));
    row(T.receiptsSinceReport, String(s.receipt_counter));
    row(T.dailyReportNumber, String(s.daily_report));
    if ((s.conditions || []).length) row(T.conditions, s.conditions.join(", "), "bad");
  } else {
    row(T.state, (s.error && s.error.message) || T.notAnswering, "bad");
  }
  row(T.pending, String(pending), pending ? "bad" : "");
  box.append(facts);
  if (RANK[role] >= RANK.owner) {
    const button = element("button", T.dailyReport);
    button.type = "button";
    button.className = "daily-report";
    button.addEventListener("click", () => dailyReport(summary.name));
    box.append(button);
  }
  return box;
}

async function dailyReport(printer) {
  if (!(await ask(fill(T.confirmDailyReport, { printer })))) return;
  const key = `console-daily-${printer}-${Date.now()}`;
  const { answer } = await api("POST", `/v1/printers/${encodeURIComponent(printer)}/reports/daily`, {}, { "Idempotency-Key": key });
  text($("message"), answer.state === "printed" ? T.dailyReportDone : `${T.dailyReportFailed} ${(answer.error && answer.error.message) || answer.state}`);
  await showPrinters();
  await showJournal(true);
}

async function showJournal(fromNewest) {
  const printer = $("journal-printer").value;
  if (!printer) return;
  if (fromNewest) journalBefore = 0;
  const query = new URLSearchParams({ state: $("journal-state").value, day: $("journal-day").value, limit: "50" });
  if (journalBefore) query.set("before", String(journalBefore));
  const { status, answer } = await api("GET", `/v1/printers/${encodeURIComponent(printer)}/requests?${query}`);
  const body = $("journal-table").tBodies[0];
  if (fromNewest) body.replaceChildren();
  if (status !== 200) {
    body.append(row([(answer.error && answer.error.message) || String(status)]));
    return;
  }
  for (const r of answer.rows) body.append(journalRow(printer, r));
  if (!body.rows.length) body.append(row([T.nothing]));
  journalBefore = answer.before;
  $("journal-more").hidden = answer.rows.length < 50;
}

function row(cells) {
  const tr = element("tr");
  for (const c of cells) tr.append(element("td", c));
  return tr;
}

function journalRow(printer, r) {
  const tr = row([
    (r.created || "").replace("T", " ").replace("Z", ""),
    r.key,
    T.kinds[r.kind] || r.kind,
    T.outcome[r.state] || r.state,
    r.receipt_number !== undefined ? String(r.receipt_number) : "",
    r.total || "",
  ]);
  tr.dataset.key = r.key;
  tr.className = r.state;
  if (r.state === "unknown") tr.cells[3].className = "bad";
  const found = element("td", (r.resolution && r.resolution.note) || r.found || "", "found");
  const action = element("td");
  if (r.state === "unknown" && RANK[role] >= RANK.technician) {
    const button = element("button", T.resolve, "resolve");
    button.type = "button";
    button.addEventListener("click", () => resolve(printer, r.key));
    action.append(button);
  }
  tr.append(found, action);
  return tr;
}

async function resolve(printer, key) {
  if (!(await ask(fill(T.resolveTitle, { key }), true))) return;
  const state = document.querySelector('input[name="outcome"]:checked').value;
  const note = $("resolve-note").value.trim();
  const path = `/v1/printers/${encodeURIComponent(printer)}/receipts/${encodeURIComponent(key)}/resolve`;
  const { status, answer } = await api("POST", path, { state, note });
  text($("message"), status === 200 ? T.resolved : `${T.failed} ${(answer.error && answer.error.message) || status}`);
  await showJournal(true);
  await showPrinters();
}

function start() {
  document.querySelectorAll("[data-text]").forEach((node) => text(node, T[node.dataset.text]));
  $("journal-state").replaceChildren(
    new Option(T.allStates, ""),
    ...Object.entries(T.outcome).map(([value, label]) => new Option(label, value)),
  );
  $("sign-in-form").addEventListener("submit", (e) => {
    e.preventDefault();
    signIn($("token").value.trim());
  });
  $("sign-out").addEventListener("click", signOut);
  $("journal-form").addEventListener("submit", (e) => {
    e.preventDefault();
    showJournal(true);
  });
  $("journal-more").addEventListener("click", () => showJournal(false));
  const kept = sessionStorage.getItem("darvo-token");
  if (kept) signIn(kept);
}

start();
