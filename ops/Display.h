// What a PEXA printer shows its customers: the display picture (64 rows of
// 24 picture bytes, each row sent as 25 bytes) and three advertising lines.
#pragma once

#include "darvodr/Host.h"

#include <cstdint>
#include <string>

namespace darvo::ops {

constexpr int kDisplayRows = darvo::kDisplayRows;
constexpr int kDisplayRowBytes = darvo::kDisplayRowBytes;
using DisplayRows = darvo::DisplayRows;

// Keeps the picture to send (a row's picture bytes at offsets 1..24, its
// XOR last); it stays until another is kept.
void KeepDisplayPicture(const DisplayRows &rows);
// Sends the kept picture; a transfer stops at the first refused row. The
// printer's code 234: sent twice, kept, but not printed by the daily report.
int32_t WriteDisplayPicture();
// Reads the printer's picture into `rows` (24 bytes a row at offsets 1..24).
int32_t ReadDisplayPicture(DisplayRows &rows);
int32_t EraseDisplayPicture();

// The advertising lines 0..2: 40 characters (Windows-1250; a shorter text
// is padded with blanks); bit 0 of the attribute read: the line holds a text.
constexpr int kAdvertLineLength = 40;
constexpr int kAdvertLines = 3;
int32_t WriteAdvertLine(uint8_t line, const std::string &cp1250);
int32_t ReadAdvertLine(uint8_t line, std::string &cp1250, uint8_t &attribute);
int32_t EraseAdvertLines();

} // namespace darvo::ops
