#pragma once

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

    QPushButton *startButton = nullptr; // Command1
    QGroupBox *loopFrame = nullptr; // Frame1
    QButtonGroup *loopGroup = nullptr; // ids 1 and 2
    QRadioButton *loopOption1 = nullptr; // Option1_1
    QRadioButton *loopOption2 = nullptr; // Option1_2
    QGroupBox *boardFrame = nullptr; // Frame3
    QLabel *boardCode = nullptr; // Label1
    QGroupBox *kindFrame = nullptr; // Frame2
    QButtonGroup *kindGroup = nullptr; // ids are the ScanMode values
    QRadioButton *sensorsOption = nullptr; // Option2_1
    QRadioButton *modulesOption = nullptr; // Option2_2
    QRadioButton *sensorTestOption = nullptr; // Option2_0
    QPushButton *lockButton = nullptr; // Command4
    QPushButton *verifyButton = nullptr; // Command3
    QPushButton *downloadButton = nullptr; // Command2
    QLineEdit *replyBox = nullptr; // Text1

    PictureButton *resetPicture = nullptr; // Image7
    PictureButton *stopPicture = nullptr; // Image6
    PictureButton *configurationPicture = nullptr; // Image1
    PictureButton *informationPicture = nullptr; // Image4
    PictureButton *savePicture = nullptr; // Image2
    PictureButton *openPicture = nullptr; // Image5
    PictureButton *printPicture = nullptr; // Image3
};

} // namespace testloop
