#pragma once
// Whole-file reads of the program's binary files (".415", the older formats, ".kit").
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

enum class EsitoLettura {
    Ok,
    NonApribile,  // missing, not permitted, or not a regular file
    ErroreLettura // opened, but a read failed
};

// Reads the file from its start, at most MassimoByte bytes. Only regular files are read, so a
// device or a pipe chosen by mistake can neither block the program nor feed it without end.
EsitoLettura LeggiFileBinario(const std::string& Nome, std::size_t MassimoByte,
                              std::vector<std::uint8_t>& Byte);

// The name chosen in a file dialog: used as it is when its fourth character from the end is a
// point (any three-letter extension), otherwise Estensione (with its point) is appended.
std::string ApplicaRegolaNomeFile(const std::string& Nome, const std::string& Estensione);

// Where the last Quanti characters of a file name begin, or npos when it has fewer. File names
// are UTF-8, where a character may take several bytes; a byte that is not part of a well-formed
// sequence counts as one character, so names in a single-byte encoding still work.
std::size_t InizioUltimiCaratteri(std::string_view Nome, std::size_t Quanti);
