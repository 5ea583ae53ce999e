// UTF-8 test texts as the CP936 bytes the program holds (through iconv, or Windows's own code
// page 936, independently of the program's own conversion).
#pragma once

#include <string>
#include <string_view>

std::string cp936(std::string_view utf8);
