// The printer's state kept in a file, so that it survives a restart of the
// emulator (darvo-sim --state FILE).
#pragma once

#include <string>

namespace darvosim {

class Printer;

// The state as the text of a state file.
std::string StateText(const Printer &p);
// Reads a state file into the printer. False with `error` naming the file
// and the line at fault; the printer is then left as it was.
bool LoadState(Printer &p, const std::string &path, std::string &error);
// Writes the state file (a temporary file, then renamed over it).
bool SaveState(Printer &p, const std::string &path, std::string &error);

} // namespace darvosim
