#pragma once
// The one installation the engine and window tests run against. With the default thresholds
// (sensors 200 / 400..1500, modules 200 / 400..2500, in stored units) loop 1 shows every
// state a button can take; loop 2 has sensors at 1..50 only.
//
// Loop 1 sensors: analogue 50 (stored 500, green), current 15, test "TY", everywhere except
//   3  analogue 30          below the range, yellow
//   5  type 3, zone 3, "UFFICIO 3"
//   6  analogue 10, "TN"    faulty, red; fails its test
//   7  current 42           address conflict, white
//   8  analogue 200         above the range, yellow
//   9  type digit 9         no type label
//  20  status 2             left out of the test
//  21  zone 0               left out of the test
// Loop 1 modules: 10 analogue 50 (green), 11 analogue 5 (faulty), 12 current 30 (conflict).
// Loop 2 sensors 1..50: analogue 60, type 7 "KELVARO" at 1.
#include "sim/Installation.h"

namespace testsupport {

inline testloop::sim::Sensor sensor(int analogue, int current = 15)
{
    testloop::sim::Sensor device;
    device.analogue = analogue;
    device.current = current;
    return device;
}

inline testloop::sim::Installation testInstallation()
{
    using testloop::sim::Module;
    testloop::sim::Installation installation;
    for (int address = 1; address <= 99; ++address) {
        installation.setSensor(1, address, sensor(50));
        if (address <= 50)
            installation.setSensor(2, address, sensor(60));
    }
    installation.setSensor(1, 3, sensor(30));
    auto office = sensor(50);
    office.type = 3;
    office.zone = 3;
    office.description = QStringLiteral("UFFICIO 3");
    installation.setSensor(1, 5, office);
    auto faulty = sensor(10);
    faulty.test = QStringLiteral("TN");
    installation.setSensor(1, 6, faulty);
    installation.setSensor(1, 7, sensor(50, 42));
    installation.setSensor(1, 8, sensor(200));
    auto unknownType = sensor(50);
    unknownType.type = 9;
    installation.setSensor(1, 9, unknownType);
    auto statusTwo = sensor(50);
    statusTwo.status = 2;
    installation.setSensor(1, 20, statusTwo);
    auto zoneZero = sensor(50);
    zoneZero.zone = 0;
    installation.setSensor(1, 21, zoneZero);
    auto kelvaro = sensor(60);
    kelvaro.type = 7;
    installation.setSensor(2, 1, kelvaro);

    const auto module = [](int analogue, int current) {
        Module device;
        device.analogue = analogue;
        device.current = current;
        return device;
    };
    installation.setModule(1, 10, module(50, 15));
    installation.setModule(1, 11, module(5, 15));
    installation.setModule(1, 12, module(60, 30));
    return installation;
}

} // namespace testsupport
