// A web till of another origin, as a point-of-sale program would write it:
// darvo-client.js straight from the service (or, with client=local, from
// the page's own server). The test calls window.sale(); with cutFirstAnswer
// the first answer of the service is lost on its way back, as a dropped
// connection would lose it.
const params = new URL(location.href).searchParams;
const service = params.get("service");
const { DarvoClient } = await import(params.get("client") === "local" ? "./darvo-client.js" : `${service}/darvo-client.js`);

window.sale = async ({ token, key, cutFirstAnswer = false, retries = 5 }) => {
  let cut = cutFirstAnswer;
  const realFetch = window.fetch;
  window.fetch = async (...args) => {
    const response = await realFetch(...args);
    if (cut && (args[1] || {}).method === "POST") {
      cut = false;
      throw new TypeError("Failed to fetch (the answer was lost)");
    }
    return response;
  };
  try {
    const darvo = new DarvoClient({ baseUrl: service, token, retries });
    const receipt = {
      lines: [{ name: "Mleko 2% 1l", quantity: "1", price: "3.49", rate: "A" }],
      payments: [{ type: "cash", amount: "5.00" }],
    };
    const answer = await darvo.printReceipt("till", receipt, { key });
    return { state: answer.state, number: answer.receipts_since_daily_report };
  } catch (e) {
    return { error: e.kind || e.name, message: e.message };
  } finally {
    window.fetch = realFetch;
  }
};
document.getElementById("result").textContent = "ready";
