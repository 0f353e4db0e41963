#pragma once
// The one installation the engine and window tests run against. With the default thresholds
// (sensors 200 / 400..1500, modules 200 / 400..2500, in stored units, ten times the panel's)
// loop 1 shows every state a button can take; loop 2 has sensors at 1..50 only.
#include "sim/Installation.h"

namespace testsupport {

template<typename Device = testloop::sim::Sensor> Device device(int analogue, int current = 15)
{
    Device d;
    d.analogue = analogue;
    d.current = current;
    return d;
}

inline testloop::sim::Installation testInstallation()
{
    using testloop::sim::Module;
    testloop::sim::Installation installation;
    for (int address = 1; address <= 99; ++address) {
        installation.setSensor(1, address, device(50)); // green, test "TY"
        if (address <= 50)
            installation.setSensor(2, address, device(60));
    }
    installation.setSensor(1, 3, device(30)); // below the range: yellow
    const auto sensor = [&](int loop, int address, int analogue, auto change) {
        auto changed = device(analogue);
        change(changed);
        installation.setSensor(loop, address, changed);
    };
    sensor(1, 5, 50, [](auto &s) {
        s.type = s.zone = 3;
        s.description = QStringLiteral("UFFICIO 3");
    });
    sensor(1, 6, 10, [](auto &s) { s.test = QStringLiteral("TN"); }); // faulty: red, fails
    installation.setSensor(1, 7, device(50, 42)); // address conflict: white
    installation.setSensor(1, 8, device(200)); // above the range: yellow
    sensor(1, 9, 50, [](auto &s) { s.type = 9; }); // no type label
    sensor(1, 20, 50, [](auto &s) { s.status = 2; }); // left out of the test, as zone 0 is
    sensor(1, 21, 50, [](auto &s) { s.zone = 0; });
    sensor(2, 1, 60, [](auto &s) { s.type = 7; }); // KELVARO
    installation.setModule(1, 10, device<Module>(50));
    installation.setModule(1, 11, device<Module>(5)); // faulty
    installation.setModule(1, 12, device<Module>(60, 30)); // address conflict
    return installation;
}

} // namespace testsupport
