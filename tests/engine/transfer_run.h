#pragma once
// Format transfers run on the engine as a job runs them, for the tests.

#include "engine/transfer_state.h"

#include <QList>
#include <QString>
#include <QStringList>

namespace engine
{
class StyleTableMemo;
}

// The passes of a format transfer: each area copied from the template's first
// sheet onto the same place of every sheet, whole rows onto A1. Sheet i takes
// its snapshots from templates[i % size], each snapshot taken anew per sheet
// unless `snapshotOnce` (then all sheets share the first template's). Returns
// the engine's message, empty on success.
QString TransferFrom(const QStringList &templates, const QString &targetPath,
                     const QStringList &areas, const QList<engine::PasteKind> &kinds,
                     engine::StyleTableMemo *memo = nullptr, bool snapshotOnce = false);

QString Transfer(const QString &templatePath, const QString &targetPath, const QStringList &areas,
                 const QList<engine::PasteKind> &kinds, engine::StyleTableMemo *memo = nullptr);

// The pastes' names as TransferProblems takes them.
QStringList PasteNames(const QList<engine::PasteKind> &kinds);
