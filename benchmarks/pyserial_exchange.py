#!/usr/bin/python3
"""The exchanges of the driver benchmark as a Linux programmer would write
them with pyserial: same line settings, one byte per write, each write
drained (tcdrain) before the next, the answer read at once.

Usage: pyserial_exchange.py DEVICE SPEED COMMAND ANSWER_LENGTH COUNT
Prints the mean wall time of one exchange in microseconds."""
import sys
import time

import serial


def main():
    device, speed, command, answer_length, count = sys.argv[1:6]
    command, answer_length, count = int(command), int(answer_length), int(count)
    port = serial.Serial(device, int(speed), bytesize=serial.EIGHTBITS, parity=serial.PARITY_EVEN,
                         stopbits=serial.STOPBITS_ONE, rtscts=True, timeout=5, write_timeout=3)
    esc, cmd = b"\x1b", bytes([command])

    def exchange():
        port.reset_input_buffer()
        port.write(esc)
        port.flush()
        port.write(cmd)
        port.flush()
        answer = port.read(answer_length)
        if len(answer) != answer_length:
            sys.exit("short answer: %d of %d bytes" % (len(answer), answer_length))

    for _ in range(min(count, 50)):  # warm up
        exchange()
    start = time.perf_counter()
    for _ in range(count):
        exchange()
    elapsed = time.perf_counter() - start
    port.close()
    print("%.3f" % (elapsed / count * 1e6))


if __name__ == "__main__":
    main()
