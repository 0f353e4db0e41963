#include "ui/ConfigurationDialog.h"

#include "config/BoardCodeCheck.h"
#include "config/ThresholdBars.h"
#include "loopdata/NumberText.h"
#include "loopdata/SharedState.h"
#include "scan/Prompts.h"
#include "ui/DeviceChooser.h"
#include "ui/GridGeometry.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>

#include <cmath>

namespace testloop {

namespace {

// The designed client area, and the device frame to the right of it.
constexpr QSize ClientTwips(5610, 5820);
constexpr QRect DeviceFrameTwips(5640, 120, 4260, 4935);
// The password that shows the main window's reply box, and the one that unlocks the boxes.
const QString ReplyBoxPassword = QStringLiteral("tulmeno");
const QString UnlockPassword = QStringLiteral("brasovika");

// Puts a text into a threshold box. The four-character limit is for typing: a stored value
// that is longer (a wide value from the file) is shown whole, since a cut one would be saved.
void setBoxText(QLineEdit *box, const QString &text)
{
    box->setMaxLength(std::max(box->maxLength(), int(text.size())));
    box->setText(text);
}

int toPixels(double twips, int dpi)
{
    return int(std::lround(twips * dpi / TwipsPerInch));
}

void placeBar(QWidget *bar, const QRectF &twips)
{
    const int dpiX = bar->logicalDpiX();
    const int dpiY = bar->logicalDpiY();
    bar->setGeometry(toPixels(twips.x(), dpiX), toPixels(twips.y(), dpiY),
                     toPixels(twips.width(), dpiX), toPixels(twips.height(), dpiY));
}

} // namespace

ConfigurationDialog::ConfigurationDialog(SharedState &shared, Prompts &prompts,
                                         QString configurationPath, QWidget *parent)
    : QDialog(parent)
    , m_shared(shared)
    , m_prompts(prompts)
    , m_configurationPath(std::move(configurationPath))
{
    setObjectName(QStringLiteral("Form2"));
    setWindowTitle(Title);
    setAttribute(Qt::WA_DeleteOnClose);
    setModal(false);
    setFixedSize(twipsToPixels(DeviceFrameTwips.right() + 1 + 120, logicalDpiX()),
                 twipsToPixels(ClientTwips.height(), logicalDpiY()));
    // Centred on the screen rather than over the main window; once moved, Qt leaves it there.
    QScreen *screen = parent ? parent->screen() : QGuiApplication::primaryScreen();
    if (screen)
        move(screen->availableGeometry().center() - rect().center());

    m_controls = ConfigurationDialogControls::create(this);
    m_devices = new DeviceChooser(this);
    m_devices->setGeometry(twipsToPixels(DeviceFrameTwips, logicalDpiX(), logicalDpiY()));
    connectControls();
    fillControls();
}

void ConfigurationDialog::connectControls()
{
    const ConfigurationDialogControls &c = m_controls;
    connect(c.portGroup, &QButtonGroup::idToggled, this, [this](int id, bool checked) {
        if (checked)
            m_shared.settings.ComPort = qint16(id + 1);
    });
    connect(c.singleCodeOption, &QRadioButton::toggled, this, [this](bool checked) {
        if (!checked)
            return;
        m_shared.settings.BoardCode = ConfigurationDialogControls::SingleBoardCode;
        m_controls.codeList->hide();
    });
    connect(c.codeListOption, &QRadioButton::toggled, this, [this](bool checked) {
        if (!checked)
            return;
        m_controls.codeList->show();
        m_shared.settings.BoardCode = m_controls.codeList->currentText();
    });
    connect(m_devices, &DeviceChooser::chosen, this, [this](const QString &device) {
        m_shared.chosenDevice = device;
        emit deviceChosen(device);
    });
    connect(c.codeList, &QComboBox::editTextChanged, this, &ConfigurationDialog::codeListChanged);
    connect(c.codeList, &QComboBox::textActivated, this, &ConfigurationDialog::codeListChanged);
    connect(c.retriesList, &QComboBox::editTextChanged, this,
            &ConfigurationDialog::retriesListChanged);
    connect(c.retriesList, &QComboBox::textActivated, this,
            &ConfigurationDialog::retriesListChanged);
    connect(c.okButton, &QPushButton::clicked, this, &ConfigurationDialog::confirm);
    connect(c.advancedButton, &QPushButton::clicked, this, &ConfigurationDialog::advancedOptions);
}

// Fills the controls from memory in a fixed order. Each control's handler runs and copies the
// value back into the setting it came from, so opening changes no setting.
void ConfigurationDialog::fillControls()
{
    const Settings &settings = m_shared.settings;
    const ConfigurationDialogControls &c = m_controls;
    m_filling = true;
    c.retriesList->setEditText(plainForm(settings.FaultRetries));
    m_acceptedCodeText = settings.BoardCode;
    m_codeAtOpening = settings.BoardCode;
    c.codeList->setEditText(settings.BoardCode);
    // A port number with no option button (from a hand-edited file) selects none.
    if (settings.ComPort >= 1 && settings.ComPort <= int(c.portOptions.size()))
        c.portOptions[size_t(settings.ComPort - 1)]->setChecked(true);
    for (int box = 0; box < ThresholdBoxCount; ++box) {
        const auto which = ThresholdBox(box);
        setBoxText(c.box(which), plainForm(settings.*thresholdSetting(which)));
    }
    // A code that belongs to neither model group selects neither option.
    const QString code = settings.BoardCode;
    if (code == ConfigurationDialogControls::SingleBoardCode) {
        c.singleCodeOption->setChecked(true);
    } else if (ConfigurationDialogControls::ListedBoardCodes.contains(code)) {
        c.codeList->show();
        c.codeListOption->setChecked(true);
    }
    m_filling = false;
    m_devices->setChosen(m_shared.chosenDevice);
    m_devices->refresh();
    drawThresholdBars();
}

void ConfigurationDialog::codeListChanged(const QString &text)
{
    if (!m_filling) {
        if (const std::optional<QString> problem = boardCodeProblem(text)) {
            // The box gets the last accepted code back, which its handler takes again.
            m_controls.codeList->setEditText(m_acceptedCodeText);
            m_prompts.showMessage(*problem, Title, Prompts::Icon::Warning);
            return;
        }
    }
    m_acceptedCodeText = text;
    m_shared.settings.BoardCode = text;
}

void ConfigurationDialog::retriesListChanged(const QString &text)
{
    // Only a whole number that fits the setting is taken; anything else, an empty list while
    // typing included, leaves the count in force as it was.
    bool ok = false;
    const short count = text.trimmed().toShort(&ok);
    if (ok)
        m_shared.settings.FaultRetries = count;
}

void ConfigurationDialog::confirm()
{
    const ConfigurationDialogControls &c = m_controls;
    ThresholdTexts texts;
    for (int box = 0; box < ThresholdBoxCount; ++box)
        texts[size_t(box)] = c.box(ThresholdBox(box))->text();

    const ThresholdCheckResult result = checkThresholds(texts, m_shared.settings);
    for (const ThresholdFailure &failure : result.failures) {
        m_prompts.beep();
        // The checks' messages carry the application's title.
        m_prompts.showMessage(failure.message, QString(), Prompts::Icon::None);
        setBoxText(c.box(failure.box), failure.restoredText);
    }
    // Only the thresholds come from the boxes; the other settings already act from memory.
    for (int box = 0; box < ThresholdBoxCount; ++box) {
        qint16 Settings::*setting = thresholdSetting(ThresholdBox(box));
        m_shared.settings.*setting = result.settings.*setting;
    }
    drawThresholdBars();
    // Every request carries the code at fixed positions; a code of another length would be
    // refused at the next start. The code in force at the opening stays, like a threshold
    // that fails its check.
    if (m_shared.settings.BoardCode.size() != BoardCodeLength) {
        m_prompts.beep();
        m_prompts.showMessage(QStringLiteral("Codice scheda \"%1\" non valido: deve avere %2 "
                                             "caratteri. Resta il codice %3.")
                                  .arg(m_shared.settings.BoardCode)
                                  .arg(BoardCodeLength)
                                  .arg(m_codeAtOpening),
                              QString(), Prompts::Icon::None);
        m_shared.settings.BoardCode = m_codeAtOpening;
    }

    const std::optional<QString> failure
        = SaveConfiguration(m_shared.settings, m_configurationPath);
    if (failure)
        m_prompts.showMessage(*failure, ConfigurationMessageTitle, Prompts::Icon::Critical);
    emit boardCodeChanged(m_shared.settings.BoardCode);
    if (!failure)
        close();
}

void ConfigurationDialog::advancedOptions()
{
    QLineEdit *lowerLimit = m_controls.sensorBoxes[0];
    QString password;
    // Cancel counts as an empty password.
    if (!lowerLimit->isEnabled())
        password = m_prompts.askText(PasswordPrompt, PasswordPrompt).value_or(QString());
    if (password == ReplyBoxPassword)
        emit replyBoxRequested();
    if (!lowerLimit->isEnabled() && password == UnlockPassword)
        unlock();
}

void ConfigurationDialog::unlock()
{
    for (QLineEdit *box : m_controls.sensorBoxes)
        box->setEnabled(true);
    for (QLineEdit *box : m_controls.moduleBoxes)
        box->setEnabled(true);
    m_controls.retriesList->setEnabled(true);
}

void ConfigurationDialog::drawThresholdBars()
{
    const Settings &s = m_shared.settings;
    const std::array<ThresholdBars, 2> bars
        = {ThresholdBars::forThresholds(s.GSMax, s.VaSMin, s.VaSMax),
           ThresholdBars::forThresholds(s.GMMax, s.VaMMin, s.VaMMax)};
    for (size_t kind = 0; kind < bars.size(); ++kind) {
        placeBar(m_controls.faultBars[kind], bars[kind].fault);
        placeBar(m_controls.normalBars[kind], bars[kind].normal);
    }
}

} // namespace testloop
