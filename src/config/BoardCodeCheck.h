#pragma once

#include <QString>
#include <QStringView>

#include <optional>

namespace testloop {

// Why a board code typed by the user cannot be kept, in Italian; nothing when it can. The code
// is written to TestLoop.ini as it is, on a line of its own in single-byte text, and read back
// up to a comma or the line end, with leading blanks skipped and a leading double quote taken
// as the start of a quoted field: a code that would not read back the same is refused.
std::optional<QString> boardCodeProblem(QStringView code);

} // namespace testloop
