#pragma once
// How engine-run writes a path on standard output: UTF-8, with the bytes 0x00-0x1F and
// 0x7F, '%' and every byte of a name that is not UTF-8 written as %XX, so that one line is
// always one entry and the output can be read back byte for byte.
#include <string>
#include <string_view>

std::string EscapeForOutput(std::u16string_view text);
