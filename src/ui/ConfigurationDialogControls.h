#pragma once

#include "config/ThresholdChecks.h"

#include <QStringList>

#include <array>

class QButtonGroup;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QWidget;

namespace testloop {

// The controls of the configuration dialog, created at their places in twips. Each carries the
// objectName the tests know it by; an element of a control array is named "Name_index".
// The threshold boxes, bars and frames come in pairs: index 0 for sensors, 1 for modules.
class ConfigurationDialogControls
{
public:
    // The board codes of the second model group, offered in Combo1.
    static const QStringList ListedBoardCodes;
    // The code the first model group always uses.
    static inline const QString SingleBoardCode = QStringLiteral("j00");

    static ConfigurationDialogControls create(QWidget *dialog);

    // The box of a threshold.
    QLineEdit *box(ThresholdBox which) const;

    QGroupBox *portFrame = nullptr; // Frame4, "COM": the serial port
    QButtonGroup *portGroup = nullptr; // ids 0..2: the port numbers less one
    std::array<QRadioButton *, 3> portOptions {}; // Option6_0..2, ports 1 to 3

    QGroupBox *modelFrame = nullptr; // Frame1, "CENTRALE": the panel model
    QRadioButton *singleCodeOption = nullptr; // Option1_0, the model with board code j00
    QRadioButton *codeListOption = nullptr; // Option1_1, the models with a listed code
    QComboBox *codeList = nullptr; // Combo1, the listed board codes

    std::array<QGroupBox *, 2> thresholdFrames {}; // Frame3, Frame5: sensor and module thresholds
    // Indexed like the text box arrays: 0 lower limit, 1 upper limit, 2 fault threshold.
    std::array<QLineEdit *, 3> sensorBoxes {}; // Text1_0..2: sensor lower, upper, fault
    std::array<QLineEdit *, 3> moduleBoxes {}; // Text2_0..2: module lower, upper, fault
    std::array<QWidget *, 2> fullScaleBars {}; // Shape3_0..1: the full-scale bars
    std::array<QWidget *, 2> faultBars {}; // Shape1_0..1: the fault-threshold bars
    std::array<QWidget *, 2> normalBars {}; // Shape2_0..1: the normal-range bars

    QGroupBox *advancedFrame = nullptr; // Frame6, "ADVANCED"
    QLabel *retriesLabel = nullptr; // Label1, "N° chiamate se guasto"
    QComboBox *retriesList = nullptr; // Combo2, the requests made to a faulty device

    QPushButton *okButton = nullptr; // Command1, "OK"
    QPushButton *advancedButton = nullptr; // Command2, "ADVANCED OPTION"
};

} // namespace testloop
