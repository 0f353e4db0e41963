#include "ui/AboutWindow.h"

#include "scan/Prompts.h"
#include "ui/DeviceButton.h"
#include "ui/GridGeometry.h"
#include "ui/ToolbarCommands.h"
#include "ui/WindowCentring.h"

#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>
#include <array>

namespace testloop {

namespace {

// The legend's area, in twips.
constexpr int LegendWidth = 9120;
constexpr int LegendHeight = 4845;

struct LabelPlace
{
    QStringView name;
    QStringView text;
    QRect twips;
    bool small;
};

const std::array<LabelPlace, 15> Labels {{
    {u"Label1", u"indirizzo dispositivo", {3360, 240, 1575, 255}, false},
    {u"Label3", u" valore analogico", {240, 480, 1335, 255}, false},
    {u"Label2", u" valore assorbimento", {3360, 720, 1575, 255}, false},
    {u"Label4", u"GUASTO", {6000, 360, 735, 255}, false},
    {u"Label5", u"ASSORBIMENTO FUORI RANGE", {6000, 840, 2535, 255}, false},
    {u"Label6", u"ANALOGICO FUORI RANGE", {6000, 1320, 2175, 255}, false},
    {u"Label7", u"OK ", {6000, 1800, 255, 255}, false},
    {u"Label8",
     u"I PARAMETRI CHE DEFINISCONO I RANGE DEL SENSORE SI POSSONO MODIFICARE DAL MENU DI SETUP E "
     u"SONO PROTETTI DA PASSWORD",
     {480, 1200, 3975, 735},
     false},
    {u"Label9",
     u"COMANDO PER RESETTARE TUTTI I VALORI ACQUISITI, EQUIVALE ALLA RIPARTENZA DEL PROGRAMMA",
     {960, 2280, 2775, 495},
     true},
    {u"Label10",
     u"ARRESTA LA SCANSIONE DEI SENSORI O MODULI, FERMA LA COMUNICAZIONE CON LA CENTRALE",
     {5040, 2280, 2655, 615},
     true},
    {u"Label11",
     u"RICHIAMA IL MENU DI SETUP, MODIFICA PARAMETRI DI COMUNICAZIONE E SETTAGGIO",
     {960, 3000, 3015, 495},
     true},
    {u"Label12", u"VISUALIZZA QUESTA FINESTRA", {5040, 3120, 2295, 255}, true},
    {u"Label13",
     u"SALVA UN FILE CON I VALORI ACQUISITI DAL PROGRAMMA",
     {960, 3840, 3135, 375},
     true},
    {u"Label14", u"CARICA UN FILE PRECEDENTEMENTE SALVATO ", {5160, 3720, 2655, 495}, true},
    {u"Label15", u"STAMPA UN TESTO DEI VALORI ACQUISITI", {960, 4440, 2895, 255}, true},
}};

// The lines joining the sample button's caption lines to their labels: from, to.
struct LinePlace
{
    QStringView name;
    QPoint from;
    QPoint to;
};

const std::array<LinePlace, 3> Lines {{
    {u"Line2", {2640, 360}, {3480, 360}},
    {u"Line3", {1440, 600}, {2160, 600}},
    {u"Line4", {2520, 840}, {3480, 840}},
}};

struct ShapePlace
{
    QStringView name;
    QColor colour;
    int top;
};

const std::array<ShapePlace, 4> Shapes {{
    {u"Shape1", QColor(255, 0, 0), 240},
    {u"Shape2", QColor(255, 255, 255), 720},
    {u"Shape3", QColor(255, 255, 0), 1200},
    {u"Shape4", QColor(0, 192, 0), 1680},
}};
constexpr int ShapeLeft = 5520;
constexpr int ShapeSide = 375;

// Where the information window shows each toolbar picture; name, picture and tooltip are the
// toolbar's own.
struct PicturePlace
{
    ToolbarCommand command;
    QRect twips;
};

const std::array<PicturePlace, 7> Pictures {{
    {ToolbarCommand::Reset, {240, 2160, 480, 480}},
    {ToolbarCommand::Stop, {4440, 2280, 480, 480}},
    {ToolbarCommand::Configuration, {240, 3000, 480, 480}},
    {ToolbarCommand::Information, {4440, 3000, 480, 480}},
    {ToolbarCommand::Save, {360, 3840, 360, 345}},
    {ToolbarCommand::Open, {4560, 3720, 360, 345}},
    {ToolbarCommand::Print, {360, 4440, 360, 345}},
}};

const QRect SamplePlace(1920, 240, 855, 735);
const QRect ClosePlace(8280, 3840, 660, 705);

QRect pixels(const QWidget *widget, const QRect &twips)
{
    return twipsToPixels(twips, widget->logicalDpiX(), widget->logicalDpiY());
}

QFont smallFont()
{
    QFont font(QStringLiteral("Small Fonts"));
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(6.75);
    return font;
}

// A line in twips as a rectangle one pixel thick from one end to the other.
QRect lineGeometry(const QWidget *widget, const QPoint &from, const QPoint &to)
{
    const int left = twipsToPixels(std::min(from.x(), to.x()), widget->logicalDpiX());
    const int right = twipsToPixels(std::max(from.x(), to.x()), widget->logicalDpiX());
    const int top = twipsToPixels(std::min(from.y(), to.y()), widget->logicalDpiY());
    const int bottom = twipsToPixels(std::max(from.y(), to.y()), widget->logicalDpiY());
    return QRect(left, top, std::max(right - left, 1), std::max(bottom - top, 1));
}

// A filled area of a single colour with a thin black border: the colour squares and the lines.
QWidget *filled(QWidget *parent, const QString &name, const QColor &colour, bool border)
{
    auto *area = new QLabel(parent);
    area->setObjectName(name);
    area->setAutoFillBackground(true);
    QPalette palette = area->palette();
    palette.setColor(QPalette::Window, colour);
    palette.setColor(QPalette::WindowText, QColor(0, 0, 0));
    area->setPalette(palette);
    if (border)
        area->setFrameShape(QFrame::Box);
    return area;
}

// The close button's picture: a green tick.
QPixmap tickPicture(const QSize &size, qreal ratio)
{
    QPixmap picture(size * ratio);
    picture.setDevicePixelRatio(ratio);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(size.width() / 100.0, size.height() / 100.0);
    QPolygonF tick({QPointF(14, 54), QPointF(40, 80), QPointF(88, 22)});
    painter.setPen(QPen(QColor(20, 70, 20), 22, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.drawPolyline(tick);
    painter.setPen(QPen(QColor(40, 170, 40), 14, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.drawPolyline(tick);
    return picture;
}

} // namespace

AboutWindow::AboutWindow(Prompts &prompts, QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint)
    , m_prompts(prompts)
{
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(QStringLiteral("Informazioni"));
    setAttribute(Qt::WA_DeleteOnClose);
    setModal(false);
    setSizeGripEnabled(false);

    // The help is a column of sections, each placing its own controls; the window takes the
    // size of the column and cannot be resized.
    m_sections = new QVBoxLayout(this);
    m_sections->setContentsMargins(0, 0, 0, 0);
    m_sections->setSpacing(0);
    m_sections->setSizeConstraint(QLayout::SetFixedSize);
    addSection(createLegend());
}

void AboutWindow::addSection(QWidget *section)
{
    section->setParent(this);
    m_sections->addWidget(section);
    // Centred again with every section, so a longer page does not run off the screen.
    adjustSize();
    centreOnScreen(this);
}

QWidget *AboutWindow::createLegend()
{
    auto *legend = new QWidget(this);
    legend->setObjectName(QStringLiteral("legend"));
    // The places were laid out for a small 8-point face; the platform's default may be larger
    // or wider. The main window's controls use the same face.
    QFont compact = legend->font();
    compact.setPointSize(8);
    compact.setStretch(QFont::SemiCondensed);
    legend->setFont(compact);
    legend->setFixedSize(pixels(this, QRect(0, 0, LegendWidth, LegendHeight)).size());

    // Lines first: the sample button and the labels cover their ends.
    for (const LinePlace &place : Lines) {
        QWidget *line = filled(legend, place.name.toString(), QColor(0, 0, 0), false);
        line->setGeometry(lineGeometry(this, place.from, place.to));
    }
    for (const ShapePlace &place : Shapes) {
        QWidget *shape = filled(legend, place.name.toString(), place.colour, true);
        shape->setGeometry(pixels(this, QRect(ShapeLeft, place.top, ShapeSide, ShapeSide)));
    }
    for (const LabelPlace &place : Labels) {
        auto *label = new QLabel(place.text.toString(), legend);
        label->setObjectName(place.name.toString());
        label->setGeometry(pixels(this, place.twips));
        label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        label->setAutoFillBackground(true);
        if (place.small)
            label->setFont(smallFont());
        // Texts break into lines where the label has room for more than one; a one-line label
        // keeps its text on its line rather than push the rest below its bottom edge.
        label->setWordWrap(label->height() >= 2 * label->fontMetrics().height());
    }
    for (const PicturePlace &place : Pictures) {
        const ToolbarEntry &entry = toolbarEntry(place.command);
        auto *image = new QLabel(legend);
        image->setObjectName(entry.name.toString());
        const QRect where = pixels(this, place.twips);
        image->setGeometry(where);
        image->setPixmap(ToolbarIcons::pixmap(entry.picture, where.size(), devicePixelRatioF()));
        image->setToolTip(entry.toolTip.toString());
    }

    auto *sample = new DeviceButton(99, legend);
    sample->setObjectName(QStringLiteral("Command1"));
    sample->setGeometry(pixels(this, SamplePlace));
    sample->setFont(smallFont());
    sample->setText(QStringLiteral("99\n830\n[15]"));
    connect(sample, &DeviceButton::clicked, this, [this] { m_prompts.beep(); });

    m_ok = new QPushButton(legend);
    m_ok->setObjectName(QStringLiteral("cmdOK"));
    const QRect closeWhere = pixels(this, ClosePlace);
    m_ok->setGeometry(closeWhere);
    const QSize tickSize(32, 32);
    m_ok->setIcon(QIcon(tickPicture(tickSize, devicePixelRatioF())));
    m_ok->setIconSize(tickSize);
    m_ok->setToolTip(QStringLiteral("Click qui per chiudere finestra"));
    m_ok->setDefault(true);
    m_ok->setFocus();
    connect(m_ok, &QPushButton::clicked, this, &QWidget::close);
    return legend;
}

void AboutWindow::keyPressEvent(QKeyEvent *event)
{
    // cmdOK is the cancel button too: Escape presses it.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        m_ok->click();
        return;
    }
    QDialog::keyPressEvent(event);
}

} // namespace testloop
