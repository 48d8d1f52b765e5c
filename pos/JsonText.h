// Checks of a JSON text that the parser does not make on its own: where a
// text that is no JSON goes wrong (its line and column), and a key given
// twice in one object (the parser would keep the last one silently).
#pragma once

#include "Receipt.h"

#include <string_view>

namespace darvo::pos {

// Nothing when the text is one JSON document whose objects name each key
// once; otherwise the problem, by line and column or by the key's path
// ("lines[0].price").
Problems CheckJsonText(std::string_view text);

} // namespace darvo::pos
