#pragma once

#include <QByteArray>
#include <QString>

#include <array>
#include <optional>

namespace testloop::sim {

// A sensor as the simulated panel knows it. Readings are analogue +/- noise.
struct Sensor
{
    int type = 2; // type digit 1..7
    int zone = 1; // 0..99; zone 0 means not activated
    int status = 0; // status digit 0..9; 2 means not activated
    QString description; // up to 21 characters
    int analogue = 45; // analogue field 0..999 (the program stores ten times this)
    int current = 15; // current draw 0..999
    int noise = 0; // amplitude of the uniform noise added to each reading
    QString test = QStringLiteral("TY"); // two-character test result: "TY", "TN" or other

    friend bool operator==(const Sensor &, const Sensor &) = default;
};

// A module: like a sensor but without status and test result.
struct Module
{
    int type = 2;
    int zone = 1;
    QString description;
    int analogue = 45;
    int current = 15;
    int noise = 0;

    friend bool operator==(const Module &, const Module &) = default;
};

// What is connected to the panel: two loops of 99 addresses, each address holding an optional
// sensor and an optional module.
class Installation
{
public:
    static constexpr int LoopCount = 2;
    static constexpr int AddressCount = 99;
    static constexpr int DescriptionLength = 21;
    static constexpr int MaxField = 999;

    // The installation panelsim serves when no file is given; see InstallationDefault.cpp.
    static Installation defaultInstallation();
    // Reads the JSON form described in InstallationJson.cpp; on failure returns nothing and
    // sets *error to a message naming the offending key.
    static std::optional<Installation> fromJson(const QByteArray &json, QString *error);

    static bool isValidLocation(int loop, int address);

    // Nothing for an empty address or one outside loops 1..2, addresses 1..99.
    std::optional<Sensor> sensor(int loop, int address) const;
    std::optional<Module> module(int loop, int address) const;
    // Out-of-range locations are ignored.
    void setSensor(int loop, int address, std::optional<Sensor> sensor);
    void setModule(int loop, int address, std::optional<Module> module);

    int sensorCount(int loop) const;
    int moduleCount(int loop) const;

    friend bool operator==(const Installation &, const Installation &) = default;

private:
    static std::size_t slot(int loop, int address);

    std::array<std::optional<Sensor>, LoopCount * AddressCount> m_sensors;
    std::array<std::optional<Module>, LoopCount * AddressCount> m_modules;
};

} // namespace testloop::sim
