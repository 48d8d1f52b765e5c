// What a program with a window does while the driver works for it: it shows
// the driver's progress texts, lets its window process messages during the
// long waits, names the port the user chose, and follows the clock
// initialisation of a PEXA printer. A program without a window installs none.
#pragma once

#include "ops/Connection.h"

#include <string>

namespace darvo::ops {

class ProgramHost {
  public:
    virtual ~ProgramHost() = default;
    // The running operation's progress text (Windows-1250); empty clears it.
    virtual void ShowActivity(const std::string &cp1250) = 0;
    // Lets the window process its pending messages, between the status polls
    // of a printout and inside every wait for a byte longer than 25 ms. Inside
    // a byte wait an exchange is half done: no printer operation may start
    // then (InsideByteWait tells).
    virtual void ProcessMessages() = 0;
    // The port and speed the user chose; false when none is chosen yet.
    virtual bool ChosenPort(PortChoice &choice) = 0;
    // A PEXA printer erasing its memory after the clock initialisation: a
    // text (Windows-1250, may be empty) and a position 0..100.
    virtual void ClockInitProgress(const std::string &cp1250, int position) = 0;

  protected:
    ProgramHost() = default;
    ProgramHost(const ProgramHost &) = default;
    ProgramHost &operator=(const ProgramHost &) = default;
};

// Installs the program's host for the driver's calls; null removes it.
void AttachHost(ProgramHost *host);
// True while the host processes its messages inside a wait for a byte.
bool InsideByteWait();

} // namespace darvo::ops
