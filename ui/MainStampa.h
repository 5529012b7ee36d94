#pragma once
// The configuration printout's texts that do not depend on the window.
#include <cstdint>
#include <string>

// ": TRUE" for 1, ": FALSE" for any other value: a damaged image's 2 is no "yes".
std::string StringaBool(std::uint8_t Valore);
