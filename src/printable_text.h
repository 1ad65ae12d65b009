// Text from outside, such as a file name, as our messages show it: bytes
// outside printable ASCII are written as \xNN (two lower-case hex digits),
// so that a name cannot send control sequences to a terminal.
#pragma once

#include <string>
#include <string_view>

std::string printable_text(std::string_view text);
