#include "StateFile.h"
#include "Printer.h"

namespace darvosim {

std::string StateText(const Printer &) {
    return {};
}
bool LoadState(Printer &, const std::string &, std::string &) {
    return true;
}
bool SaveState(Printer &, const std::string &, std::string &) {
    return true;
}
void AfterCommand(Printer &) {}

} // namespace darvosim
