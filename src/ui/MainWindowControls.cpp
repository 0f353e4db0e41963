#include "ui/MainWindowControls.h"

#include "scan/ScanMode.h"
#include "ui/GridGeometry.h"
#include "ui/PictureButton.h"
#include "ui/WrappingButton.h"
#include "ui/WrappingRadioButton.h"

#include <QButtonGroup>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>

namespace testloop {

namespace {

QPushButton *button(QWidget *parent, const QString &name, const QString &caption,
                    const QRect &twips, bool visible)
{
    auto *control = place(new WrappingButton(caption, parent), name, twips);
    control->setAutoDefault(false);
    control->setVisible(visible);
    return control;
}

QRadioButton *option(QGroupBox *frame, const QString &name, const QString &caption,
                     const QRect &twips)
{
    return place(new WrappingRadioButton(caption, frame), name, twips);
}

QGroupBox *frame(QWidget *parent, const QString &name, const QString &caption, const QRect &twips)
{
    return place(new QGroupBox(caption, parent), name, twips);
}

// A toolbar picture at its place in twips, hanging from the common top edge.
PictureButton *toolbarPicture(QWidget *parent, const ToolbarEntry &entry)
{
    const QSize pixels(twipsToPixels(entry.twips.width(), parent->logicalDpiX()),
                       twipsToPixels(entry.twips.height(), parent->logicalDpiY()));
    auto *control = new PictureButton(
        ToolbarIcons::pixmap(entry.picture, pixels, parent->devicePixelRatioF()), parent);
    control->setObjectName(entry.name.toString());
    control->move(twipsToPixels(entry.left, parent->logicalDpiX()),
                  twipsToPixels(ToolbarTop, parent->logicalDpiY()));
    control->setToolTip(entry.toolTip.toString());
    return control;
}

} // namespace

MainWindowControls MainWindowControls::create(QWidget *clientArea)
{
    // The controls were sized for a small 8-point face; a larger default would not fit them.
    QFont compact = clientArea->font();
    compact.setPointSize(8);
    compact.setStretch(QFont::SemiCondensed);
    clientArea->setFont(compact);

    MainWindowControls c;
    c.startButton = button(clientArea, QStringLiteral("Command1"), QStringLiteral("INIZIO TEST"),
                           QRect(120, 120, 735, 615), true);
    c.startButton->setToolTip(QStringLiteral("INIZIO SCANSIONE"));

    c.loopFrame = frame(clientArea, QStringLiteral("Frame1"), QStringLiteral("Loop N°"),
                        QRect(960, 0, 1335, 735));
    c.loopOption1 = option(c.loopFrame, QStringLiteral("Option1_1"), QStringLiteral("1"),
                           QRect(120, 360, 375, 195));
    c.loopOption2 = option(c.loopFrame, QStringLiteral("Option1_2"), QStringLiteral("2"),
                           QRect(720, 360, 375, 195));
    c.loopGroup = new QButtonGroup(c.loopFrame);
    c.loopGroup->addButton(c.loopOption1, 1);
    c.loopGroup->addButton(c.loopOption2, 2);
    c.loopOption1->setChecked(true);

    c.boardFrame = frame(clientArea, QStringLiteral("Frame3"), QStringLiteral("Codie scheda"),
                         QRect(2400, 0, 1335, 735));
    c.boardCode
        = place(new QLabel(c.boardFrame), QStringLiteral("Label1"), QRect(360, 240, 495, 255));
    QFont codeFont(QStringLiteral("Arial"), 9);
    codeFont.setStyleHint(QFont::SansSerif);
    codeFont.setBold(true);
    c.boardCode->setFont(codeFont);

    c.kindFrame = frame(clientArea, QStringLiteral("Frame2"), QStringLiteral("Dispositivo"),
                        QRect(3840, 0, 2175, 735));
    c.sensorsOption = option(c.kindFrame, QStringLiteral("Option2_1"),
                             QStringLiteral("Analisi sensori"), QRect(120, 240, 855, 315));
    c.modulesOption = option(c.kindFrame, QStringLiteral("Option2_2"),
                             QStringLiteral("Analisi moduli"), QRect(1080, 240, 855, 315));
    c.sensorTestOption = option(c.kindFrame, QStringLiteral("Option2_0"),
                                QStringLiteral("Test Sensori"), QRect(1080, 720, 1215, 255));
    c.sensorTestOption->hide();
    c.kindGroup = new QButtonGroup(c.kindFrame);
    c.kindGroup->addButton(c.sensorTestOption, int(ScanMode::SensorTest));
    c.kindGroup->addButton(c.sensorsOption, int(ScanMode::Sensors));
    c.kindGroup->addButton(c.modulesOption, int(ScanMode::Modules));
    c.sensorsOption->setChecked(true);

    c.lockButton = button(clientArea, QStringLiteral("Command4"), QStringLiteral("LOCKED OFF"),
                          QRect(3000, 3480, 1155, 255), false);
    c.verifyButton
        = button(clientArea, QStringLiteral("Command3"), QStringLiteral("VERIFICA IMPIANTO"),
                 QRect(4320, 3480, 1815, 255), false);
    c.verifyButton->setToolTip(QStringLiteral("solo x sensori"));
    c.downloadButton = button(clientArea, QStringLiteral("Command2"), QStringLiteral("DOWNLOAD"),
                              QRect(6240, 3480, 1215, 255), false);

    c.replyBox = place(new QLineEdit(QStringLiteral("RX"), clientArea), QStringLiteral("Text1"),
                       QRect(2880, 4920, 4335, 285));
    c.replyBox->hide();

    for (const ToolbarEntry &entry : toolbarEntries())
        c.pictures[size_t(entry.command)] = toolbarPicture(clientArea, entry);
    return c;
}

} // namespace testloop
