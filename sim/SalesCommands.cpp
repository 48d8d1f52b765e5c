#include "Printer.h"

namespace darvosim {

void DefineSalesCommands(Printer &) {}

} // namespace darvosim
