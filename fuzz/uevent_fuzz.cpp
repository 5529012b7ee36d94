// The kernel's uevent datagrams come from outside the program: parse anything without harm.
#include "platform/win32/Win32Uevent.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (auto ev = win32::ParseUevent(data, size)) {
        // A parsed event is whole: its header agreed with its fields.
        if (ev->action.empty() || ev->devpath.empty() || ev->devpath[0] != '/') __builtin_trap();
        (void)win32::IsSerialPortEvent(*ev);
    }
    return 0;
}
