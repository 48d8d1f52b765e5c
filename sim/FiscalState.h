// The printer's fiscal memory and configuration: daily report records,
// user data, settings, display and advertising lines. (Filled in with the
// report and service commands.)
#pragma once

namespace darvosim {

struct FiscalState {};

} // namespace darvosim
