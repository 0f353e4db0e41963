#pragma once

#include "ui/ToolbarCommands.h"

#include <array>

class QButtonGroup;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QWidget;

namespace testloop {

class PictureButton;

// The fixed controls of the main window, created on its client area at their places in twips.
// Each carries the objectName the rest of the program and the tests know it by.
class MainWindowControls
{
public:
    // Creates every control as a child of the client area.
    static MainWindowControls create(QWidget *clientArea);

    QPushButton *startButton = nullptr; // Command1, "INIZIO TEST"
    QGroupBox *loopFrame = nullptr; // Frame1, "Loop N°"
    QButtonGroup *loopGroup = nullptr; // ids 1 and 2
    QRadioButton *loopOption1 = nullptr; // Option1_1, loop 1
    QRadioButton *loopOption2 = nullptr; // Option1_2, loop 2
    QGroupBox *boardFrame = nullptr; // Frame3, "Codie scheda"
    QLabel *boardCode = nullptr; // Label1, the board code in force
    QGroupBox *kindFrame = nullptr; // Frame2, "Dispositivo"
    QButtonGroup *kindGroup = nullptr; // ids are the ScanMode values
    QRadioButton *sensorsOption = nullptr; // Option2_1, "Analisi sensori"
    QRadioButton *modulesOption = nullptr; // Option2_2, "Analisi moduli"
    QRadioButton *sensorTestOption = nullptr; // Option2_0, "Test Sensori" (hidden)
    QPushButton *lockButton = nullptr; // Command4, the lock toggle (hidden)
    QPushButton *verifyButton = nullptr; // Command3, "VERIFICA IMPIANTO" (hidden)
    QPushButton *downloadButton = nullptr; // Command2, "DOWNLOAD" (hidden)
    QLineEdit *replyBox = nullptr; // Text1, the panel's last reply (hidden until asked)

    // The toolbar pictures, "Image7" to "Image3", in the order of toolbarEntries().
    std::array<PictureButton *, 7> pictures {};
    PictureButton *picture(ToolbarCommand command) const { return pictures[size_t(command)]; }
};

} // namespace testloop
