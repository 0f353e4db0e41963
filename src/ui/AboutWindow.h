#pragma once

#include <QDialog>

class QPushButton;
class QVBoxLayout;

namespace testloop {

class Prompts;

// frmAbout, "Informazioni": a static help page opened from the main window's information
// picture. It shows how a device button of the grid is read, what the button colours mean,
// where the sensor ranges are set and what each toolbar picture does. Modeless, fixed in size,
// centred on the screen; created each time it is opened and deleted when closed.
class AboutWindow : public QDialog
{
    Q_OBJECT
public:
    explicit AboutWindow(Prompts &prompts, QWidget *parent = nullptr);

    // Puts a further section of help under the ones already shown; the window grows to hold it
    // and the places of the existing controls stay as they are.
    void addSection(QWidget *section);

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    QWidget *createLegend();

    Prompts &m_prompts;
    QVBoxLayout *m_sections;
    QPushButton *m_ok = nullptr;
};

} // namespace testloop
