#pragma once

#include <QString>

// The names of the canvas's undo steps (TUndoList entries' `action`): what kind of
// action a step takes back.
namespace UndoActions {

inline const QString kAdd = QStringLiteral("ACT_ADD");
inline const QString kDelete = QStringLiteral("ACT_DELETE");
inline const QString kChange = QStringLiteral("ACT_CHANGE");
inline const QString kGroup = QStringLiteral("ACT_GROUP");
inline const QString kUngroup = QStringLiteral("ACT_UNGROUP");
inline const QString kBringToFront = QStringLiteral("ACT_BRINGTOFRONT");
inline const QString kSendToBack = QStringLiteral("ACT_SENDTOBACK");

} // namespace UndoActions
