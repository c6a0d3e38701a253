#pragma once
// Small helpers shared by the forms: Big5 <-> QString at the UI edge, placement and immediate painting.
#include <QString>
#include <string>
#include <string_view>

class QWidget;

namespace qv {

QString FromBig5(std::string_view big5);
std::string ToBig5(const QString& text);

// A message text for display: the line breaks of the catalogue's messages (CR LF, LF CR, lone CR or LF)
// become one line break each.
QString MessageText(std::string_view big5);

// Moves a top-level window to the centre of its screen (call once its size is known, e.g. in showEvent).
void CentreOnScreen(QWidget* window);

// Shows a window and paints it before returning, so it is visible while the GUI thread stays busy.
// User input stays queued meanwhile: no second command can start.
void ShowAndPaintNow(QWidget* window);

}  // namespace qv
