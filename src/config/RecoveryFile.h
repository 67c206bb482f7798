#pragma once

#include "DataDef.h"

#include <QString>

#include <memory>
#include <optional>

// The unsaved edits of one group, kept in the operator's own folder when the
// program had to end without asking (a termination signal, a logout), so
// that the next setup editor can offer them. It holds the group as the
// editor loaded it, for the save's merge, and as it was edited.
class TRecoveryFile
{
public:
    // In the operator's own state folder while the program folder is shared.
    static QString defaultPath();

    explicit TRecoveryFile(const QString& path);

    struct Edits
    {
        std::unique_ptr<TZizaVureGroupItem> base;
        std::unique_ptr<TZizaVureGroupItem> edited;
    };

    // Keeps the edits of a group of the configuration at `configPath`,
    // replacing any kept before. Raises EWriteError.
    void write(const QString& configPath, const TZizaVureGroupItem& base, const TZizaVureGroupItem& edited);
    // The edits kept for the configuration at `configPath`, or none.
    std::optional<Edits> read(const QString& configPath) const;
    void remove();

private:
    QString m_path;
};
