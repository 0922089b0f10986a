// The manual page KelvaneCLI(1), made from the program's own help pages so
// that the two never tell different things.
#pragma once

#include <string>
#include <string_view>

namespace kelvane::cli {

// One line of text as roff input that prints it as it is: a backslash
// becomes \e, a hyphen-minus \- (so that options keep an ASCII '-' when
// copied from the rendered page), a line that starts with '.' or '\'' gets
// \& in front, and characters beyond ASCII become \[uXXXX]. Control
// characters other than the tab become '?'.
std::string RoffLine(std::wstring_view line);

// The whole page in man(7) format, in ASCII.
std::string ManPage();

}  // namespace kelvane::cli
