#pragma once

#include <QIcon>
#include <QPixmap>
#include <QSize>

namespace testloop {

// The pictures of the toolbar row, drawn in code.
enum class ToolbarPicture {
    ResetReadings, // a pencil whose eraser rubs out a scribbled line
    StopScan, // a red octagonal stop sign
    Configuration, // a spanner
    Information, // a speech bubble with a blue question mark
    SaveReadings, // a floppy disk
    OpenReadings, // an opening folder with a curved arrow
    PrintValues, // a printer
};

class ToolbarIcons
{
public:
    // The picture at the given size in device-independent pixels, sharp at the given ratio.
    static QPixmap pixmap(ToolbarPicture picture, const QSize &size, qreal devicePixelRatio = 1.0);
    static QIcon icon(ToolbarPicture picture);
};

} // namespace testloop
