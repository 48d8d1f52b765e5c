#include "Printer.h"

namespace darvosim {

void DefineFiscalCommands(Printer &) {}

} // namespace darvosim
