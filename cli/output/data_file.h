// The data files of the write commands: hexadecimal numbers separated by
// commas, white space or both.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>

namespace kelvane::cli {

// Reads values from the start of file into destination until the end of the
// file or until capacity values are stored; returns how many were stored.
//
// Each step works as the scanf pattern " %x , ": white space is skipped, one
// hexadecimal number is read (an optional sign, an optional 0x or 0X prefix
// and any number of digits; only the low 8 bits are kept, a minus sign
// negates them, and a 0x prefix without a digit after it reads as 0), then
// white space and one comma, if there is one, are skipped. A character that
// cannot start a number (a sign without a digit after it among them) is
// skipped on its own. Nothing after the capacity-th value is read.
std::size_t ReadDataFile(std::FILE* file, std::uint8_t* destination, std::size_t capacity);

}  // namespace kelvane::cli
