// Random files offered to the import as format 4.3 of the Vm409.
#include "config/def_ver43.h"
#include "fuzz/oldformat_common.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    return fuzz_vecchi::Esegui(data, size, sizeof(TConfigCentraleVer43), IdCentraleVer43,
                               VersioneCentraleVer43, FormatoVecchio::Ver43);
}
