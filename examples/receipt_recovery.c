/* Prints a fiscal receipt and, when an answer is lost on the way (cable
 * pulled, printer switched off, a time-out), finds out whether the receipt
 * printed before it prints it again: a receipt is never lost and never
 * printed twice.
 *
 * Usage: receipt-recovery-example [PORT [TIMEOUT]]   (as receipt-example)
 */
#include "darvodr.h"

#include <stdio.h>
#include <stdlib.h>

static long Setting(int argc, char **argv, int index, const char *variable, long fallback) {
    const char *text = index < argc ? argv[index] : getenv(variable);
    if (!text || !*text) return fallback;
    char *end = NULL;
    long value = strtol(text, &end, 10);
    return *end ? -1 : value;
}

static void Say(const char *step, int32_t result) {
    char text[622];
    if (pErrMessage(result, text) != 0) text[0] = '\0';
    fprintf(stderr, "%s: %d %s\n", step, (int)result, text);
}

/* The receipt; the first failing step's code. */
static int32_t PrintReceipt(void) {
    int32_t rc = ReceiptBegin();
    uint32_t value = 0;
    if (rc == 0) rc = pReceiptItem(1, "Chleb razowy", 1, 0, 1000, 3, "kg", 450, &value);
    value = 0;
    if (rc == 0) rc = pReceiptItem(1, "Mleko 3,2% 1l", 2, 0, 2, 0, "szt", 329, &value);
    if (rc == 0) rc = pFillPayment(1, "Gotowka", 2000, 892);
    if (rc == 0) rc = ReceiptEnd(0);
    return rc;
}

/* After a failure: start the session again, which ends a receipt the
 * printer still holds open, then end the one the driver still holds (201
 * when it holds none). A printer already told a discounted total refuses
 * that cancel (24); closing with the driver's totals, which the new session
 * emptied, makes it cancel the receipt itself. */
static int32_t Recover(uint8_t port, int32_t timeout) {
    int32_t rc = CommunicationInit(port, 9600, timeout);
    if (rc != 0) return rc;
    if (ReceiptCancel() == 24) ReceiptEnd(0);
    return 0;
}

int main(int argc, char **argv) {
    long port = Setting(argc, argv, 1, "DARVO_PORT", 1);
    long timeout = Setting(argc, argv, 2, "DARVO_TIMEOUT", 5);
    if (port < 1 || port > 255 || timeout < 1 || timeout > 60) {
        fprintf(stderr, "usage: %s [PORT 1..255 [TIMEOUT 1..60]]\n", argv[0]);
        return 2;
    }
    int32_t rc = CommunicationInit((uint8_t)port, 9600, (int32_t)timeout);
    if (rc != 0) {
        Say("CommunicationInit", rc);
        return 1;
    }
    /* Receipts since the daily report: one more once this one has printed. */
    int32_t before = 0, after = 0;
    if ((rc = ReceiptNumber(&before)) != 0) {
        Say("ReceiptNumber", rc);
        return 1;
    }
    for (int attempt = 1; attempt <= 3; ++attempt) {
        rc = PrintReceipt();
        if (rc == 0) {
            printf("receipt printed\n");
            CommunicationEnd();
            return 0;
        }
        Say("receipt", rc);
        /* The answer was lost: did the receipt print? Until the printer
         * answers again nobody knows, and it must not be printed again. */
        int known = 0;
        for (int tries = 0; tries < 5 && !known; ++tries) {
            if ((rc = Recover((uint8_t)port, (int32_t)timeout)) == 0 && (rc = ReceiptNumber(&after)) == 0)
                known = 1;
            else
                Say("after the failure", rc);
        }
        if (!known) {
            fprintf(stderr, "the printer does not answer: whether the receipt printed is not known\n");
            return 1;
        }
        if (after != before) {
            printf("receipt printed (its answer was lost)\n");
            CommunicationEnd();
            return 0;
        }
        fprintf(stderr, "the receipt did not print; printing it again\n");
    }
    CommunicationEnd();
    return 1;
}
