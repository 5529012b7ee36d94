// vm415-com: the serial ports as the programming tool numbers them, the bindings of COM numbers to
// device paths, and the cable port of the user's link settings. scripts/run uses it to put the
// simulated panel's pseudo-terminal behind a COM number; an installer may use it to pin a number.
#include "link/KivCanale.h"
#include "platform/fs/SettingsFolder.h"
#include "platform/win32/Win32Registry.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>
#include <sys/stat.h>
#include <vector>

namespace {

constexpr const char* FileConfigCom = "comconfig.cfg";

void Uso(std::FILE* f) {
    std::fputs(
        "Usage:\n"
        "  vm415-com list                 the COM ports: number, device path, \"device\" or \"bound\"\n"
        "  vm415-com bind N PATH          bind COM<N> to the device path PATH (a pseudo-terminal, a\n"
        "                                 /dev/serial/by-id link)\n"
        "  vm415-com unbind N             remove the binding of COM<N>\n"
        "  vm415-com cable N              make the user's link settings (comconfig.cfg) use the cable\n"
        "                                 on COM<N>, keeping their modem settings\n"
        "  vm415-com folder               the user's settings folder, where the settings store, the\n"
        "                                 program settings and the link settings are kept\n"
        "Port numbers are 1 to 255 (the link settings keep one byte).\n",
        f);
}

bool Numero(std::string_view s, int& n) {
    const auto [p, ec] = std::from_chars(s.data(), s.data() + s.size(), n);
    return ec == std::errc() && p == s.data() + s.size() && n >= 1 && n <= 255;
}

int Cavo(int n) {
    // The settings as the program reads them: the user's, else the distributor's copy beside the
    // program (a shorter file fills only its own bytes), else the defaults the program would write.
    TConfigCom c;
    c.StrInit1.Imposta("ATE0V0");
    c.StrInit2.Imposta("AT&D2X0");
    c.StrInit3.Imposta("ATH");
    c.StrDial.Imposta("ATD");
    std::string dati, errore, file;
    switch (platform::ReadSettingsFile(FileConfigCom, dati, sizeof c, &errore, &file)) {
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
    if (!platform::WriteSettingsFile(FileConfigCom, &c, sizeof c, &errore)) {
        std::fprintf(stderr, "vm415-com: %s\n", errore.c_str());
        return 1;
    }
    return 0;
}

int Lega(int n, const std::string& percorso) {
    if (!win32::BindComPort(n, percorso)) {
        std::fprintf(stderr, "vm415-com: cannot write %s\n", win32::RegistryFilePath().c_str());
        return 1;
    }
    // A device plugged in later, or a pseudo-terminal not made yet, is bound all the same.
    struct stat st {};
    if (::stat(percorso.c_str(), &st) != 0)
        std::fprintf(stderr, "vm415-com: warning: %s does not exist (yet); COM%d is bound to it\n",
                     percorso.c_str(), n);
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
    if (a.size() == 3 && a[0] == "bind" && Numero(a[1], n)) return Lega(n, a[2]);
    if (a.size() == 2 && a[0] == "unbind" && Numero(a[1], n)) {
        if (win32::UnbindComPort(n)) return 0;
        std::fprintf(stderr, "vm415-com: cannot write %s\n", win32::RegistryFilePath().c_str());
        return 1;
    }
    if (a.size() == 2 && a[0] == "cable" && Numero(a[1], n)) return Cavo(n);
    if (a.size() == 1 && a[0] == "folder") {
        std::printf("%s\n", platform::SettingsFolder().c_str());
        return 0;
    }
    if (a.size() == 1 && (a[0] == "--help" || a[0] == "-h")) {
        Uso(stdout);
        return 0;
    }
    Uso(stderr);
    return 2;
}
