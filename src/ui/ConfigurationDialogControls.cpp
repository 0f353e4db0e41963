#include "ui/ConfigurationDialogControls.h"

#include "ui/GridGeometry.h"
#include "ui/WrappingButton.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>

namespace testloop {

namespace {

constexpr int ThresholdBoxLength = 4;

QString element(const QString &name, int index)
{
    return name + u'_' + QString::number(index);
}

QGroupBox *frame(QWidget *parent, const QString &name, const QString &caption, const QRect &twips,
                 const QString &toolTip)
{
    auto *control = place(new QGroupBox(caption, parent), name, twips);
    control->setToolTip(toolTip);
    return control;
}

QPushButton *button(QWidget *parent, const QString &name, const QString &caption,
                    const QRect &twips)
{
    auto *control = place(new WrappingButton(caption, parent), name, twips);
    // Enter in a box or a list must not press a button.
    control->setAutoDefault(false);
    return control;
}

// An editable list that neither completes nor collects what is typed: the text is the value.
QComboBox *editableList(QWidget *parent, const QString &name, const QStringList &items,
                        const QRect &twips)
{
    auto *control = place(new QComboBox(parent), name, twips);
    control->setEditable(true);
    control->setCompleter(nullptr);
    control->setInsertPolicy(QComboBox::NoInsert);
    control->addItems(items);
    return control;
}

// A threshold box: locked until the password is given, at most four characters typed.
QLineEdit *thresholdBox(QGroupBox *frame, const QString &name, int index, int top,
                        const QString &toolTip)
{
    auto *box = place(new QLineEdit(frame), element(name, index), QRect(1080, top, 735, 285));
    box->setToolTip(toolTip);
    box->setMaxLength(ThresholdBoxLength);
    box->setEnabled(false);
    return box;
}

QWidget *bar(QGroupBox *frame, const QString &name, int index, const QColor &colour,
             const QRect &twips)
{
    auto *shape = place(new QWidget(frame), element(name, index), twips);
    shape->setAutoFillBackground(true);
    QPalette palette = shape->palette();
    palette.setColor(QPalette::Window, colour);
    shape->setPalette(palette);
    return shape;
}

} // namespace

const QStringList ConfigurationDialogControls::ListedBoardCodes
    = {QStringLiteral("jba"), QStringLiteral("jbb"), QStringLiteral("jbc"), QStringLiteral("jbd"),
       QStringLiteral("jbe"), QStringLiteral("jbf"), QStringLiteral("jbg")};

QLineEdit *ConfigurationDialogControls::box(ThresholdBox which) const
{
    switch (which) {
    case ThresholdBox::SensorFault:
        return sensorBoxes[2];
    case ThresholdBox::SensorLower:
        return sensorBoxes[0];
    case ThresholdBox::SensorUpper:
        return sensorBoxes[1];
    case ThresholdBox::ModuleFault:
        return moduleBoxes[2];
    case ThresholdBox::ModuleLower:
        return moduleBoxes[0];
    case ThresholdBox::ModuleUpper:
        break;
    }
    return moduleBoxes[1];
}

ConfigurationDialogControls ConfigurationDialogControls::create(QWidget *dialog)
{
    ConfigurationDialogControls c;
    c.portFrame = frame(dialog, QStringLiteral("Frame4"), QStringLiteral("COM"),
                        QRect(120, 120, 975, 1095), QStringLiteral("Porta seriale PC"));
    c.portGroup = new QButtonGroup(c.portFrame);
    for (int index = 0; index < int(c.portOptions.size()); ++index) {
        auto *option = place(new QRadioButton(QString::number(index + 1), c.portFrame),
                             element(QStringLiteral("Option6"), index),
                             QRect(240, 240 + 240 * index, 495, 255));
        c.portGroup->addButton(option, index);
        c.portOptions[size_t(index)] = option;
    }

    c.modelFrame
        = frame(dialog, QStringLiteral("Frame1"), QStringLiteral("CENTRALE"),
                QRect(1200, 120, 2895, 1095), QStringLiteral("Tipo di Centrale configurata"));
    c.singleCodeOption = place(new QRadioButton(QStringLiteral("VRN140/142/190 "), c.modelFrame),
                               QStringLiteral("Option1_0"), QRect(240, 360, 2055, 195));
    c.codeListOption = place(new QRadioButton(QStringLiteral("VRN442"), c.modelFrame),
                             QStringLiteral("Option1_1"), QRect(240, 600, 1575, 195));
    c.codeList = editableList(c.modelFrame, QStringLiteral("Combo1"), ListedBoardCodes,
                              QRect(1800, 600, 615, 315));
    c.codeList->hide();

    const std::array<QString, 2> frameNames = {QStringLiteral("Frame3"), QStringLiteral("Frame5")};
    const std::array<QString, 2> frameCaptions
        = {QStringLiteral("SOGLIE SENSORE"), QStringLiteral("SOGLIE MODULO")};
    const std::array<int, 2> frameLefts = {120, 2160};
    for (size_t kind = 0; kind < 2; ++kind) {
        QGroupBox *group
            = frame(dialog, frameNames[kind], frameCaptions[kind],
                    QRect(frameLefts[kind], 1320, 1935, 3735), QStringLiteral("Config valori"));
        c.thresholdFrames[kind] = group;
        const int index = int(kind);
        // The red and green bars are created after the yellow one, so they lie in front of it.
        c.fullScaleBars[kind] = bar(group, QStringLiteral("Shape3"), index, QColor(255, 255, 128),
                                    QRect(240, 360, 735, 3255));
        c.faultBars[kind] = bar(group, QStringLiteral("Shape1"), index, QColor(255, 0, 0),
                                QRect(240, 360, 735, 0));
        c.normalBars[kind] = bar(group, QStringLiteral("Shape2"), index, QColor(0, 192, 0),
                                 QRect(240, 360, 735, 0));

        const QString name = kind == 0 ? QStringLiteral("Text1") : QStringLiteral("Text2");
        std::array<QLineEdit *, 3> &boxes = kind == 0 ? c.sensorBoxes : c.moduleBoxes;
        boxes[2] = thresholdBox(group, name, 2, 1200, QStringLiteral("Soglia di guasto"));
        // The sensor box's tooltip has always ended with a blank; the module box's has not.
        boxes[0] = thresholdBox(group, name, 0, 1560,
                                kind == 0 ? QStringLiteral("Soglia inferiore ")
                                          : QStringLiteral("Soglia inferiore"));
        boxes[1] = thresholdBox(group, name, 1, 1920, QStringLiteral("Soglia superiore"));
    }

    c.advancedFrame = frame(dialog, QStringLiteral("Frame6"), QStringLiteral("ADVANCED"),
                            QRect(4200, 120, 1335, 4935), QString());
    c.retriesLabel = place(new QLabel(QStringLiteral("N° chiamate se guasto"), c.advancedFrame),
                           QStringLiteral("Label1"), QRect(120, 360, 975, 375));
    c.retriesLabel->setWordWrap(true);
    QFont smallFont(QStringLiteral("Small Fonts"));
    smallFont.setPointSizeF(6.75);
    c.retriesLabel->setFont(smallFont);
    QStringList counts;
    for (int count = 0; count <= 9; ++count)
        counts.append(QString::number(count));
    c.retriesList = editableList(c.advancedFrame, QStringLiteral("Combo2"), counts,
                                 QRect(120, 840, 615, 315));
    c.retriesList->setToolTip(QStringLiteral("Numero di richieste se guasto"));
    c.retriesList->setEnabled(false);

    c.okButton = button(dialog, QStringLiteral("Command1"), QStringLiteral("OK"),
                        QRect(120, 5160, 735, 615));
    c.okButton->setToolTip(QStringLiteral("Salva e chiudi configurazione"));
    c.advancedButton = button(dialog, QStringLiteral("Command2"), QStringLiteral("ADVANCED OPTION"),
                              QRect(960, 5160, 1215, 615));
    return c;
}

} // namespace testloop
