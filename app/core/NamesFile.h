// The article names file "baza.txt": one article a line.
#pragma once

#include <QByteArray>
#include <cstdint>
#include <string>

// One line (its line end removed): the name (a leading "$" removed), a TAB,
// the rate letter (only its first character counts; none means "A");
// anything after a second TAB is ignored. False for a line that names no
// article: an empty one, or one whose name field is empty (it begins with
// a TAB, or holds only the "$").
bool SplitNamesLine(const QByteArray &line, std::string &name, uint8_t &rate);
