// darvo-client.js: darvo-service from a browser till. One ES module, no
// dependencies; served by the service at /darvo-client.js.
//
//   import { DarvoClient } from "http://127.0.0.1:8787/darvo-client.js";
//   const darvo = new DarvoClient({ baseUrl: "http://127.0.0.1:8787", token });
//   const answer = await darvo.printReceipt("till", receipt, { key: saleId });
//   // answer.state: "printed" (answer.receipts_since_daily_report), "not_printed" or "unknown"
//
// A receipt is printed once under its key: an answer lost on the way is
// asked for again under the same key, never printed twice. The page's
// origin must be one the service allows (allowed_origins, --allow-origin).

/** A failure the service answered, or no answer at all. */
export class DarvoError extends Error {
  constructor(kind, message, { status = 0, code, problems = [], answer } = {}) {
    super(message);
    this.name = "DarvoError";
    this.kind = kind; // "bad_input", "printer_refused", "no_communication", "unauthorized", ...
    this.status = status; // the HTTP status, 0 when nothing came back
    this.code = code; // the driver's result code, when the printer said it
    this.problems = problems; // bad input: [{path, message}]
    this.answer = answer; // the service's whole answer
  }
}

const FINAL = new Set(["printed", "not_printed", "unknown"]);

export class DarvoClient {
  /**
   * @param {{baseUrl: string, token: string, retries?: number, waitSeconds?: number}} options
   */
  constructor({ baseUrl, token, retries = 5, waitSeconds = 30 }) {
    if (!baseUrl || !token) throw new TypeError("DarvoClient needs a baseUrl and a token");
    this.baseUrl = baseUrl.replace(/\/+$/, "");
    this.token = token;
    this.retries = retries;
    this.waitSeconds = waitSeconds;
  }

  /** The printers' status (a monitor token or more). */
  status(printer) {
    return this.#call("GET", `/v1/printers/${encodeURIComponent(printer)}/status`);
  }

  /**
   * Prints a receipt (docs/schemas/receipt.schema.json) once under `key`:
   * resolves to the service's answer once its outcome is known ("printed",
   * "not_printed", or "unknown": never print it again then, a technician
   * settles it). A lost answer is asked for again under the same key.
   */
  async printReceipt(printer, receipt, { key } = {}) {
    if (!key) throw new TypeError("printReceipt needs a key of your own for this sale, the same when sent again");
    const path = `/v1/printers/${encodeURIComponent(printer)}/receipts`;
    let answer;
    for (let attempt = 0; ; attempt++) {
      try {
        answer = await this.#call("POST", path, receipt, { "Idempotency-Key": key });
        break;
      } catch (e) {
        // Nothing came back: the same key again, which never prints twice.
        if (!(e instanceof DarvoError) || e.status !== 0 || attempt >= this.retries) throw e;
        await sleep(Math.min(250 * 2 ** attempt, 4000));
      }
    }
    return this.#outcome(printer, key, answer);
  }

  /** The daily report (an owner token), under a key of its own. */
  async dailyReport(printer, { key } = {}) {
    const headers = key ? { "Idempotency-Key": key } : {};
    const answer = await this.#call("POST", `/v1/printers/${encodeURIComponent(printer)}/reports/daily`, {}, headers);
    return answer.state === "in_progress" && key ? this.#outcome(printer, key, answer) : answer;
  }

  /** What is known of the request sent under `key`, waiting up to `wait` seconds. */
  outcome(printer, key, wait = 0) {
    const path = `/v1/printers/${encodeURIComponent(printer)}/receipts/${encodeURIComponent(key)}`;
    return this.#call("GET", `${path}?wait=${wait}`);
  }

  async #outcome(printer, key, answer) {
    for (let attempt = 0; !FINAL.has(answer.state); attempt++) {
      try {
        answer = await this.outcome(printer, key, this.waitSeconds);
      } catch (e) {
        if (!(e instanceof DarvoError) || e.status !== 0 || attempt >= this.retries) throw e;
        await sleep(Math.min(250 * 2 ** attempt, 4000));
      }
    }
    return answer;
  }

  async #call(method, path, body, headers = {}) {
    let response;
    try {
      response = await fetch(this.baseUrl + path, {
        method,
        headers: {
          Authorization: `Bearer ${this.token}`,
          ...(body !== undefined ? { "Content-Type": "application/json" } : {}),
          ...headers,
        },
        body: body !== undefined ? JSON.stringify(body) : undefined,
        credentials: "omit",
        cache: "no-store",
      });
    } catch (e) {
      throw new DarvoError("no_answer", `no answer from the service: ${e.message}`);
    }
    let answer = {};
    try {
      answer = await response.json();
    } catch {
      throw new DarvoError("no_answer", `an answer that is not JSON (HTTP ${response.status})`, {
        status: response.status,
      });
    }
    // An outcome, whatever it is, is an answer; anything else is a failure.
    if (response.ok || FINAL.has(answer.state) || answer.state === "in_progress") return answer;
    const error = answer.error || {};
    throw new DarvoError(error.kind || "internal", error.message || `HTTP ${response.status}`, {
      status: response.status,
      code: error.code,
      problems: error.problems || [],
      answer,
    });
  }
}

function sleep(ms) {
  return new Promise((resolve) => setTimeout(resolve, ms));
}
