// vm415-com: the serial ports as the programming tool numbers them, the bindings of COM numbers to
// device paths, and the cable port of the link settings file. scripts/run uses it to put the
// simulated panel's pseudo-terminal behind a COM number; an installer may use it to pin a number.
#include "link/KivCanale.h"
#include "platform/fs/ReadFile.h"
#include "platform/fs/SafeFile.h"
#include "platform/win32/Win32Registry.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

namespace {

void Uso(std::FILE* f) {
    std::fputs(
        "Usage:\n"
        "  vm415-com list                 the COM ports: number, device path, \"device\" or \"bound\"\n"
        "  vm415-com bind N PATH          bind COM<N> to the device path PATH (a pseudo-terminal, a\n"
        "                                 /dev/serial/by-id link)\n"
        "  vm415-com unbind N             remove the binding of COM<N>\n"
        "  vm415-com cable FILE N         make the link settings file FILE (comconfig.cfg) use the\n"
        "                                 cable on COM<N>, keeping its modem settings\n"
        "Port numbers are 1 to 255 (the link settings keep one byte).\n",
        f);
}

bool Numero(std::string_view s, int& n) {
    const auto [p, ec] = std::from_chars(s.data(), s.data() + s.size(), n);
    return ec == std::errc() && p == s.data() + s.size() && n >= 1 && n <= 255;
}

int Cavo(const std::string& file, int n) {
    // A file of the settings as the program reads it: a shorter file fills only its own bytes,
    // and a missing one starts from the defaults the program would write.
    TConfigCom c;
    c.StrInit1.Imposta("ATE0V0");
    c.StrInit2.Imposta("AT&D2X0");
    c.StrInit3.Imposta("ATH");
    c.StrDial.Imposta("ATD");
    std::string dati, errore;
    switch (platform::ReadWholeFile(file, dati, sizeof c, &errore)) {
    case platform::ReadOutcome::Read:
        std::memcpy(&c, dati.data(), dati.size());
        break;
    case platform::ReadOutcome::Missing:
        break;
    case platform::ReadOutcome::Unreadable:
        // Its modem settings are unknown: writing the defaults in their place would lose them.
        std::fprintf(stderr, "vm415-com: %s cannot be read (%s): left as it is\n", file.c_str(),
                     errore.c_str());
        return 1;
    }
    c.TipoConnessione = ConnessioneCavo;
    c.ComCavo = static_cast<std::uint8_t>(n);
    if (!platform::WriteFileAtomically(file, &c, sizeof c, &errore)) {
        std::fprintf(stderr, "vm415-com: %s\n", errore.c_str());
        return 1;
    }
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> a(argv + 1, argv + argc);
    int n = 0;
    if (a.size() == 1 && a[0] == "list") {
        for (const auto& p : win32::ListSerialPorts())
            std::printf("COM%d\t%s\t%s\n", p.number, p.devicePath.c_str(), p.bound ? "bound" : "device");
        return 0;
    }
    if (a.size() == 3 && a[0] == "bind" && Numero(a[1], n)) {
        if (win32::BindComPort(n, a[2])) return 0;
        std::fprintf(stderr, "vm415-com: cannot write %s\n", win32::RegistryFilePath().c_str());
        return 1;
    }
    if (a.size() == 2 && a[0] == "unbind" && Numero(a[1], n)) {
        if (win32::UnbindComPort(n)) return 0;
        std::fprintf(stderr, "vm415-com: cannot write %s\n", win32::RegistryFilePath().c_str());
        return 1;
    }
    if (a.size() == 3 && a[0] == "cable" && Numero(a[2], n)) return Cavo(a[1], n);
    if (a.size() == 1 && (a[0] == "--help" || a[0] == "-h")) {
        Uso(stdout);
        return 0;
    }
    Uso(stderr);
    return 2;
}
