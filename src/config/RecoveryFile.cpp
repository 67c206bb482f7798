#include "RecoveryFile.h"

#include "ConfigFile.h"
#include "platform/ProgramFolder.h"

#include <QFile>
#include <QFileInfo>

namespace {

const QByteArray KeptSection = QByteArrayLiteral("Recovery");
const QByteArray BaseSection = QByteArrayLiteral("Base");
const QByteArray EditedSection = QByteArrayLiteral("Edited");

// The group sections do not say their group's name or number; the kept
// section does.
std::unique_ptr<TZizaVureGroupItem> readGroup(const ConfigFile& file, const QByteArray& section)
{
    std::unique_ptr<TZizaVureGroupItem> group = file.ReadGroup(QString::fromUtf8(section), 0);
    group->GroupName = file.file().readString(KeptSection, "Group");
    group->PPGIndex = file.file().readInteger(KeptSection, "PPGIndex", 0);
    return group;
}

} // namespace

QString TRecoveryFile::defaultPath()
{
    return ProgramFolder::userFilePath(QStringLiteral("QVZizaVure.recovery"), ProgramFolder::UserFolder::State);
}

TRecoveryFile::TRecoveryFile(const QString& path) : m_path(path) {}

void TRecoveryFile::write(const QString& configPath, const TZizaVureGroupItem& base, const TZizaVureGroupItem& edited)
{
    // The file holds one group's edits at a time: the old ones go first.
    remove();
    ConfigFile file(m_path);
    file.file().update([&](const ProfileFile&) {
        return ProfileFile::Changes{
            {KeptSection,
             {{"Configuration", QFileInfo(configPath).absoluteFilePath()},
              {"Group", edited.GroupName},
              {"PPGIndex", QString::number(edited.PPGIndex)}},
             false},
            {BaseSection, ConfigFile::GroupSectionKeys(base), false},
            {EditedSection, ConfigFile::GroupSectionKeys(edited), false},
        };
    });
}

std::optional<TRecoveryFile::Edits> TRecoveryFile::read(const QString& configPath) const
{
    const ConfigFile file(m_path);
    if (!file.file().hasSection(EditedSection) ||
        file.file().readString(KeptSection, "Configuration") != QFileInfo(configPath).absoluteFilePath())
        return std::nullopt;
    return Edits{readGroup(file, BaseSection), readGroup(file, EditedSection)};
}

void TRecoveryFile::remove()
{
    QFile::remove(m_path);
}
