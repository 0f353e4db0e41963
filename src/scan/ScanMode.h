#pragma once

namespace testloop {

// The device kind chosen in the main window; the values are the indexes of its options.
enum class ScanMode {
    SensorTest = 0, // "Test Sensori"
    Sensors = 1, // "Analisi sensori"
    Modules = 2, // "Analisi moduli"
};

} // namespace testloop
