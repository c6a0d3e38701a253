#pragma once
#include <QString>

namespace qv {

// The application title: the main window's caption at start and the title of the plain message boxes.
inline QString AppTitle() { return QStringLiteral("QV 歌曲管理"); }

}  // namespace qv
