#pragma once
// Texts of the image, the files and the language table are Windows-1252; the windows speak UTF-8.
#include <string>
#include <string_view>

std::string Cp1252ToUtf8(std::string_view Testo);
// Characters with no Windows-1252 form become '?'.
std::string Utf8ToCp1252(std::string_view Testo);
