#pragma once

#include <QDialog>

#include <memory>

namespace Ui {
class TfmAbout;
}

// The about box: the program's name, part number and version.
class TfmAbout : public QDialog
{
    Q_OBJECT

public:
    // The version strings default to the ones this build was made with.
    explicit TfmAbout(QWidget* owner, const QString& fileVersion = {}, const QString& productVersion = {});
    ~TfmAbout() override;

    // "Version <product> (Build <build>)", the build being what follows the
    // third "." of the file version (empty when there are fewer).
    static QString versionLine(const QString& fileVersion, const QString& productVersion);

private:
    std::unique_ptr<Ui::TfmAbout> ui;
};
