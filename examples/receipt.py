#!/usr/bin/env python3
"""Prints a fiscal receipt with two items, a payment and an extra line
through libdarvodr.so.

Usage: receipt.py [LIBRARY [PORT [TIMEOUT]]]
  LIBRARY  path of libdarvodr.so (default: $DARVO_LIBRARY, else "libdarvodr.so.1")
  PORT     COM port number 1..255 (default: $DARVO_PORT, else 1)
  TIMEOUT  port time-out in seconds (default: $DARVO_TIMEOUT, else 5)
On Linux COM<n> is the path in $DARVO_COM<n>, else the one /etc/darvo/ports.conf
gives it, else /dev/ttyS<n-1>.
"""
import ctypes
import os
import sys


def setting(index, variable, fallback):
    if len(sys.argv) > index:
        return sys.argv[index]
    return os.environ.get(variable) or fallback


def main():
    library = setting(1, "DARVO_LIBRARY", "libdarvodr.so.1")
    try:
        port = int(setting(2, "DARVO_PORT", "1"))
        timeout = int(setting(3, "DARVO_TIMEOUT", "5"))
    except ValueError:
        port = timeout = 0
    if not 1 <= port <= 255 or not 1 <= timeout <= 60:
        print(__doc__, file=sys.stderr)
        return 2

    d = ctypes.CDLL(library)
    i32, u32, u8, text = ctypes.c_int32, ctypes.c_uint32, ctypes.c_uint8, ctypes.c_char_p
    d.CommunicationInit.argtypes = [u8, i32, i32]
    d.pReceiptItem.argtypes = [i32, text, i32, i32, u32, i32, text, u32, ctypes.POINTER(u32)]
    d.pFillPayment.argtypes = [i32, text, i32, i32]
    d.pFillLines.argtypes = [i32, text, ctypes.POINTER(i32)]
    d.ReceiptEnd.argtypes = [i32]
    d.pErrMessage.argtypes = [i32, ctypes.c_char_p]
    for name in ("CommunicationInit", "CommunicationEnd", "ReceiptBegin", "pReceiptItem", "pFillPayment",
                 "pFillLines", "ReceiptEnd", "ReceiptCancel", "pErrMessage"):
        getattr(d, name).restype = i32

    def check(step, result):
        if result != 0:
            buffer = ctypes.create_string_buffer(622)
            d.pErrMessage(result, buffer)
            print(f"{step}: {result} {buffer.value.decode('cp1250', 'replace')}", file=sys.stderr)
            raise RuntimeError(step)

    # Texts go to the driver in Windows-1250.
    def cp(s):
        return s.encode("cp1250")

    check("CommunicationInit", d.CommunicationInit(port, 9600, timeout))
    try:
        check("ReceiptBegin", d.ReceiptBegin())
        try:
            value = u32(0)  # 0: the driver computes quantity x price
            check("ReceiptItem", d.pReceiptItem(1, cp("Jabłka luz"), 1, 0, 1500, 3, cp("kg"), 399,
                                                ctypes.byref(value)))
            value = u32(0)
            check("ReceiptItem", d.pReceiptItem(1, cp("Sok pomarańczowy 1l"), 2, 0, 1, 0, cp("szt"), 549,
                                                ctypes.byref(value)))
            free_lines = i32(0)
            check("FillPayment", d.pFillPayment(1, cp("Karta"), 1148, 0))
            check("FillLines", d.pFillLines(0, cp("Życzymy miłego dnia"), ctypes.byref(free_lines)))
            check("ReceiptEnd", d.ReceiptEnd(0))
        except RuntimeError:
            d.ReceiptCancel()  # nothing is left open in the printer
            raise
    except RuntimeError:
        return 1
    finally:
        d.CommunicationEnd()
    print("receipt printed")
    return 0


if __name__ == "__main__":
    sys.exit(main())
