#include "serial/srwin32di.h"

#include "platform/win32/Win32Registry.h"

#include <filesystem>

const TsrSetupGuid srSetupGuids[12] = {
    {"{2C7089AA-2E0E-11D1-B114-00C04FC2AAE4}", "modem device interface", true},
    {"{86E0D1E0-8089-11D0-9CE4-08003E301F73}", "COM port device interface", true},
    {"{4D36E978-E325-11CE-BFC1-08002BE10318}", "Ports setup class", true},
    {"{4D36E978-E325-11CE-BFC1-08002BE10318}", "Ports setup class", false},
    {"{6BDD1FC5-810F-11D0-BEC7-08002BE2092F}", "Infrared setup class", false},
    {"{4D36E964-E325-11CE-BFC1-08002BE10318}", "Adapter setup class", false},
    {"{E0CBF06C-CD8B-4647-BB8A-263B43F0F974}", "Bluetooth setup class", false},
    {"{4D36E96D-E325-11CE-BFC1-08002BE10318}", "Modem setup class", false},
    {"{4D36E971-E325-11CE-BFC1-08002BE10318}", "Multifunction setup class", false},
    {"{50906CB8-BA12-11D1-BF5D-0000F805F530}", "Multiport serial setup class", false},
    {"{8ECC055D-047F-11D1-A537-0000F8753ED1}", "Legacy driver setup class", false},
    {"{DF799E12-3C56-421B-B298-B6D3642BC878}", "", false},
};

bool LoadSetupApi() {
    std::error_code ec;
    return std::filesystem::is_directory(win32::CurrentSerialRoots().sysClassTty, ec);
}

void EnumClassDevices(bool PresentOnly, std::vector<std::unique_ptr<TsrDevice>>& List) {
    if (!LoadSetupApi()) return;
    for (const auto& port : win32::ListSerialPorts()) {
        std::error_code ec;
        if (PresentOnly && !std::filesystem::exists(port.devicePath, ec)) continue;
        auto d = std::make_unique<TsrDevice>();
        d->PortName = "COM" + std::to_string(port.number);
        d->Description = !port.product.empty() ? port.product : port.driver;
        d->Manufacturer = port.manufacturer;
        d->Service = port.driver;
        d->Driver = port.driver;
        d->InstanceId = port.instanceId;
        d->DeviceObject = port.kernelName;
        d->SymbolicName = port.devicePath;
        if (!port.ttyName.empty())
            d->RegistryKey = win32::CurrentSerialRoots().sysClassTty + "/" + port.ttyName;
        List.push_back(std::move(d));
    }
}

std::string GetDeviceIdList(const std::string&, const std::string&, bool) {
    return "";
}
