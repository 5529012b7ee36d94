// Random files offered to the import as format 1.0 of the Vm415.
#include "config/def_ver10.h"
#include "fuzz/oldformat_common.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    return fuzz_vecchi::Esegui(data, size, sizeof(TConfigCentraleVer10), IdCentraleVer10,
                               VersioneCentraleVer10, FormatoVecchio::Ver10);
}
