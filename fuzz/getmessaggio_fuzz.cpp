// Random language tables and keys: the lookup must never crash, and a found text must be one
// of the fields of the table. The table goes straight to the lookup that the file read calls.
#include "config/GetMessage_11.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) return 0;
    // First byte: the language; then the key up to the first NUL, then the table.
    const int lingua = std::int8_t(data[0]) % 12;
    const std::string_view resto(reinterpret_cast<const char*>(data + 1), size - 1);
    const std::size_t nul = resto.find('\0');
    const std::string_view chiave = resto.substr(0, nul);
    const std::string_view tabella =
        nul == std::string_view::npos ? std::string_view() : resto.substr(nul + 1);
    const std::string testo = CercaMessaggio(tabella, chiave, lingua);
    if (testo == "...") return 0;
    if (tabella.find(testo) == std::string_view::npos || testo.find_first_of(";\n") != std::string::npos)
        std::abort();
    return 0;
}
