#pragma once
// Device descriptions for the full port listings. The machine's own device database is sysfs here:
// each serial port's USB product, manufacturer, serial number and driver stand in for the setup
// records (description, manufacturer, instance id, service and driver).
#include "serial/srclasses.h"

#include <memory>
#include <vector>

// The setup classes and interfaces a full walk covers, in order (kept to name what a device is).
struct TsrSetupGuid {
    const char* Guid;
    const char* PublishedAs;
    bool Interfaces; // walks device interfaces rather than device-information records
};
extern const TsrSetupGuid srSetupGuids[12];

// True when the device database can be read (sysfs is mounted).
bool LoadSetupApi();

// Every described serial device, in port-number order: PortName "COMn", Description (product, or
// the driver's name), Manufacturer, Service and Driver (the driver), InstanceId, RegistryKey (the
// sysfs folder), SymbolicName (the device path). PresentOnly leaves out bindings to paths that do
// not exist now.
void EnumClassDevices(bool PresentOnly, std::vector<std::unique_ptr<TsrDevice>>& List);

// Bus relations are not kept by sysfs in a form worth listing: always empty.
std::string GetDeviceIdList(const std::string& DeviceId, const std::string& Separator, bool BusRelations);
