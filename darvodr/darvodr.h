/* darvodr.h - driver for the DARVO fiscal printers (Nivra, Nivra F, PEXA,
 * PEXA F, KT820A/B).
 *
 * Every function returns a 32-bit result code: 0 for success, otherwise a
 * code that ErrMessage/pErrMessage turn into a Polish text (Windows-1250).
 * Amounts are hundredths of the currency unit. Text is Windows-1250.
 *
 * Threads: every function may be called from any thread. Calls are
 * serialised: each holds one driver-wide lock from its start to its end,
 * so calls from several threads run one after the other, each with the
 * result it would have alone, and their bytes never mix on the line. A
 * caller that arrives while another call runs waits for it to end, in the
 * order of arrival, however long that takes; the printer's time-outs count
 * only while a call talks to the printer, never while it waits its turn.
 * A long call holds the others back for its whole length: a receipt's end,
 * a report or PrintControl follow the printout until the printer has
 * finished it (or has run out of paper), as long as the printout lasts,
 * and only then may another thread's call, even a short query such as
 * ReceiptNumber, begin. The driver keeps one session and one receipt: two
 * threads that each print receipts must still agree which of them is in
 * the middle of one. ClosePort is the one way to cut a call short: called
 * while another thread's call waits on a printer that does not answer, it
 * ends that wait at once (the call returns 20 or 21) and then closes the
 * port; CommunicationEnd waits its turn like every other call.
 *
 * Functions whose name begins with "p" fill a caller's zero-terminated
 * buffer and return 225 when the buffer is null; the caller's buffer must
 * hold the longest possible text (pErrMessage: 622 bytes).
 */
#ifndef DARVODR_H
#define DARVODR_H

#include <stdint.h>

#if defined(DARVODR_BUILDING)
#define DARVODR_API __attribute__((visibility("default")))
#else
#define DARVODR_API
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* Port and raw sequences */
DARVODR_API int32_t OpenPort(uint8_t port, uint32_t baudRate, uint16_t writeTimeoutS, uint16_t readTimeoutS);
DARVODR_API int32_t ClosePort(void);
DARVODR_API int32_t RSSequence(uint8_t command, int32_t answerLength, int32_t sendLength, uint8_t *answer,
                               const uint8_t *sendData);

/* Print monitoring */
DARVODR_API int32_t PrintControl(int32_t mode, uint8_t deviceType);
DARVODR_API int32_t PrintResume(void);

/* Session and identification.
 * CommunicationInit ends the session in progress (its port is closed) and
 * starts one on `port` at `baudRate` with a time-out of `timeoutS` seconds
 * for every byte. A time-out outside 0..65535 or a speed of 0 or less is
 * refused with 215, and the session in progress is ended all the same: no
 * later call reaches its printer, and every operation returns 114 until
 * CommunicationInit is called again with sound arguments. */
DARVODR_API int32_t CommunicationInit(uint8_t port, int32_t baudRate, int32_t timeoutS);
DARVODR_API int32_t CommunicationEnd(void);
DARVODR_API int32_t pDeviceName(char *buffer);
DARVODR_API int32_t pDllVersion(char *buffer);
DARVODR_API int32_t pDllAuthor(char *buffer);

/* Messages */
DARVODR_API int32_t pErrMessage(int32_t code, char *buffer);

/* Receipts */
DARVODR_API int32_t ReceiptConditions(void);
DARVODR_API int32_t ReceiptBegin(void);
DARVODR_API int32_t pReceiptItem(int32_t rodzaj, const char *nazwa, int32_t stawka, int32_t komunikat,
                                 uint32_t ilosc, int32_t mp, const char *jedn, uint32_t cena,
                                 uint32_t *wartosc);
DARVODR_API int32_t PackageItem(int32_t param, int32_t second, int32_t third, int32_t fourth);
DARVODR_API int32_t PrintSubtotal(void);
DARVODR_API int32_t ReceiptEnd(int32_t discountPercent);
DARVODR_API int32_t ReceiptCancel(void);
DARVODR_API int32_t pCharsInArticleName(const char *nazwa);

/* Payments and extra lines */
DARVODR_API int32_t pFillPayment(int32_t slot, const char *name, int32_t firstAmount, int32_t secondAmount);
DARVODR_API int32_t pFillLines(int32_t lineCode, const char *text, int32_t *freeSlots);
DARVODR_API int32_t ErasePayments(void);
DARVODR_API int32_t EraseLines(void);

/* Tax rates */
DARVODR_API int32_t ReadVAT(int32_t *count, int32_t *a, int32_t *b, int32_t *c, int32_t *d, int32_t *e,
                            int32_t *f, int32_t *g);
DARVODR_API int32_t SetVAT(int32_t *count, int32_t a, int32_t b, int32_t c, int32_t d, int32_t e, int32_t f,
                           int32_t g);

/* Reports */
DARVODR_API int32_t DailyReport(int32_t zeroReport);
DARVODR_API int32_t PeriodReport(int32_t detailed, int32_t y1, int32_t m1, int32_t d1, int32_t y2, int32_t m2,
                                 int32_t d2);
DARVODR_API int32_t MonthlyReport(int32_t detailed, int32_t year, int32_t month);
DARVODR_API int32_t NumberReport(int32_t detailed, uint16_t first, uint16_t last);
DARVODR_API int32_t LockedArticlesReport(void);
DARVODR_API int32_t PrinterStatusReport(void);

/* Counters, totals, clock and drawer */
DARVODR_API int32_t ReceiptNumber(int32_t *number);
DARVODR_API int32_t DailyReportNumber(int32_t *number);
DARVODR_API int32_t pReadTotal(char *buffer);
DARVODR_API int32_t pReadSelTotal(const char *selector, char *buffer);
DARVODR_API int32_t pReadClock(char *buffer);
DARVODR_API int32_t WriteLineFeed(uint8_t lines);
DARVODR_API int32_t pReadUniqueNumber(char *buffer);
DARVODR_API int32_t OpenDrawer(int32_t drawer);

#ifdef __cplusplus
} /* extern "C" */

#include <string>

/* The text functions with std::string (Windows-1250 bytes). */
DARVODR_API int32_t DeviceName(std::string &name);
DARVODR_API int32_t DllVersion(std::string &text);
DARVODR_API int32_t DllAuthor(std::string &text);
DARVODR_API int32_t ErrMessage(int32_t code, std::string &text);
DARVODR_API int32_t ReceiptItem(int32_t rodzaj, const std::string &nazwa, int32_t stawka, int32_t komunikat,
                                uint32_t ilosc, int32_t mp, const std::string &jedn, uint32_t cena,
                                uint32_t &wartosc);
DARVODR_API int32_t CharsInArticleName(const std::string &nazwa);
DARVODR_API int32_t FillPayment(int32_t slot, const std::string &name, int32_t firstAmount,
                                int32_t secondAmount);
DARVODR_API int32_t FillLines(int32_t lineCode, const std::string &text, int32_t &freeSlots);
DARVODR_API int32_t ReadTotal(std::string &total);
DARVODR_API int32_t ReadSelTotal(const std::string &selector, std::string &total);
DARVODR_API int32_t ReadClock(std::string &date, std::string &time);
DARVODR_API int32_t ReadUniqueNumber(std::string &number);
DARVODR_API int32_t PrinterNumber(int32_t &cashRegisterNumber, std::string &operatorCode);
#endif /* __cplusplus */

#endif /* DARVODR_H */
