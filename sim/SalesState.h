// The printer's sales state: tax rates, the open receipt, counters, totals,
// clock, drawers. (Filled in with the receipt commands.)
#pragma once

namespace darvosim {

struct SalesState {};

} // namespace darvosim
