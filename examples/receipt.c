/* Prints a fiscal receipt with two items, a payment and an extra line
 * through libdarvodr.so.
 *
 * Usage: receipt-example [PORT [TIMEOUT]]
 *   PORT     COM port number 1..255 (default: $DARVO_PORT, else 1)
 *   TIMEOUT  port time-out in seconds (default: $DARVO_TIMEOUT, else 5)
 * On Linux COM<n> is the path in $DARVO_COM<n>, else the one /etc/darvo/ports.conf
 * gives it, else /dev/ttyS<n-1>.
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

/* Reports a failed step with the driver's own text (Windows-1250). */
static int Check(const char *step, int32_t result) {
    if (result == 0) return 0;
    char text[622];
    if (pErrMessage(result, text) != 0) text[0] = '\0';
    fprintf(stderr, "%s: %d %s\n", step, (int)result, text);
    return 1;
}

int main(int argc, char **argv) {
    long port = Setting(argc, argv, 1, "DARVO_PORT", 1);
    long timeout = Setting(argc, argv, 2, "DARVO_TIMEOUT", 5);
    if (port < 1 || port > 255 || timeout < 1 || timeout > 60) {
        fprintf(stderr, "usage: %s [PORT 1..255 [TIMEOUT 1..60]]\n", argv[0]);
        return 2;
    }
    if (Check("CommunicationInit", CommunicationInit((uint8_t)port, 9600, (int32_t)timeout))) return 1;

    int failed = Check("ReceiptBegin", ReceiptBegin());
    uint32_t value = 0; /* 0: the driver computes quantity x price */
    if (!failed)        /* 1.000 kg at 4.50 */
        failed = Check("ReceiptItem", pReceiptItem(1, "Chleb razowy", 1, 0, 1000, 3, "kg", 450, &value));
    value = 0;
    if (!failed) /* 2 pieces at 3.29, rate B */
        failed = Check("ReceiptItem", pReceiptItem(1, "Mleko 3,2% 1l", 2, 0, 2, 0, "szt", 329, &value));
    int32_t freeLines = 0;
    if (!failed) failed = Check("FillPayment", pFillPayment(1, "Gotowka", 2000, 892));
    if (!failed) failed = Check("FillLines", pFillLines(0, "Dziekujemy za zakupy", &freeLines));
    if (!failed) failed = Check("ReceiptEnd", ReceiptEnd(0));
    if (failed) ReceiptCancel(); /* nothing is left open in the printer */

    CommunicationEnd();
    if (!failed) printf("receipt printed\n");
    return failed;
}
