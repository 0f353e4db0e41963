#pragma once

#include "ui/ToolbarIcons.h"

#include <QKeyCombination>
#include <QSize>
#include <QStringView>

#include <array>

namespace testloop {

// The seven commands of the toolbar row, in their order from left to right.
enum class ToolbarCommand { Reset, Stop, Configuration, Information, Save, Open, Print };

// One toolbar command as the main window's picture, the information window and the menu show
// it: the picture's objectName, its drawing, its tooltip (which is also the menu entry), its
// left edge and size in twips on the main window, its key and the menu's explanation.
struct ToolbarEntry
{
    ToolbarCommand command;
    QStringView name;
    ToolbarPicture picture;
    QStringView toolTip;
    int left;
    QSize twips;
    QKeyCombination key; // no key: QKeyCombination()
    QStringView actionName;
    QStringView explanation;
};

// Every toolbar picture hangs from this top edge, in twips.
inline constexpr int ToolbarTop = 120;

inline const std::array<ToolbarEntry, 7> &toolbarEntries()
{
    static const std::array<ToolbarEntry, 7> entries {{
        {ToolbarCommand::Reset,
         u"Image7",
         ToolbarPicture::ResetReadings,
         u"RESETTA LETTURE",
         6120,
         {480, 480},
         QKeyCombination(),
         u"actionReset",
         u"azzera i valori acquisiti"},
        {ToolbarCommand::Stop,
         u"Image6",
         ToolbarPicture::StopScan,
         u"ARRESTA SCANSIONE",
         6720,
         {480, 480},
         QKeyCombination(Qt::Key_F6),
         u"actionStop",
         u"ferma la comunicazione con la centrale"},
        {ToolbarCommand::Configuration,
         u"Image1",
         ToolbarPicture::Configuration,
         u"CONFIGURAZIONE",
         7320,
         {480, 480},
         QKeyCombination(Qt::Key_F9),
         u"actionConfiguration",
         u"apre il menu di setup"},
        {ToolbarCommand::Information,
         u"Image4",
         ToolbarPicture::Information,
         u"INFORMAZIONI",
         7920,
         {480, 480},
         QKeyCombination(Qt::Key_F1),
         u"actionInformation",
         u"apre questa finestra"},
        {ToolbarCommand::Save,
         u"Image2",
         ToolbarPicture::SaveReadings,
         u"SALVA LETTURE IMPIANTO",
         8520,
         {360, 345},
         QKeyCombination(Qt::CTRL | Qt::Key_S),
         u"actionSave",
         u"salva i valori acquisiti su file"},
        {ToolbarCommand::Open,
         u"Image5",
         ToolbarPicture::OpenReadings,
         u"APRI FILE LETTURE",
         9000,
         {360, 345},
         QKeyCombination(Qt::CTRL | Qt::Key_O),
         u"actionOpen",
         u"carica un file salvato"},
        {ToolbarCommand::Print,
         u"Image3",
         ToolbarPicture::PrintValues,
         u"STAMPA VALORI ANALOGICI",
         9480,
         {360, 345},
         QKeyCombination(Qt::CTRL | Qt::Key_P),
         u"actionPrint",
         u"stampa i valori analogici"},
    }};
    return entries;
}

inline const ToolbarEntry &toolbarEntry(ToolbarCommand command)
{
    return toolbarEntries()[std::size_t(command)];
}

} // namespace testloop
