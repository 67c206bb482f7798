#include "app/PollForm.h"
#include "config/DataDef.h"

#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

namespace {

void fillGroups(TZizaVureGroups& groups, const QList<int>& numbers)
{
    for (int number : numbers) {
        auto group = std::make_unique<TZizaVureGroupItem>();
        group->PPGIndex = number;
        group->GroupName = GroupSectionName(number);
        groups.AddGroup(std::move(group));
    }
}

} // namespace

class TestPollForm : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void rows_data();
    void rows();
    void selectedPositions_data();
    void selectedPositions();
    void captionsAndHints();
    void closeResults_data();
    void closeResults();
};

void TestPollForm::rows_data()
{
    QTest::addColumn<QList<int>>("numbers");
    QTest::addColumn<QStringList>("texts");
    QTest::newRow("list order, not number order")
        << QList<int>{3, 1, 2} << QStringList{QStringLiteral("3"), QStringLiteral("1"), QStringLiteral("2")};
    QTest::newRow("decimal") << QList<int>{12, 999} << QStringList{QStringLiteral("12"), QStringLiteral("999")};
    QTest::newRow("no groups") << QList<int>() << QStringList();
}

void TestPollForm::rows()
{
    QFETCH(QList<int>, numbers);
    QFETCH(QStringList, texts);
    TZizaVureGroups groups;
    fillGroups(groups, numbers);
    TfrmPoll dialog(groups, nullptr);
    auto* list = dialog.findChild<QListWidget*>(QStringLiteral("lbxPollGroups"));
    QVERIFY(list);
    QStringList shown;
    for (int row = 0; row < list->count(); ++row)
        shown << list->item(row)->text();
    QCOMPARE(shown, texts);
}

void TestPollForm::selectedPositions_data()
{
    QTest::addColumn<QList<int>>("clicked");
    QTest::addColumn<QList<int>>("positions");
    QTest::newRow("rows 1 and 2") << QList<int>{1, 2} << QList<int>{1, 2};
    QTest::newRow("ascending whatever the click order") << QList<int>{2, 0} << QList<int>{0, 2};
    QTest::newRow("nothing") << QList<int>() << QList<int>();
}

void TestPollForm::selectedPositions()
{
    QFETCH(QList<int>, clicked);
    QFETCH(QList<int>, positions);
    TZizaVureGroups groups;
    fillGroups(groups, {3, 1, 2});
    TfrmPoll dialog(groups, nullptr);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    auto* list = dialog.findChild<QListWidget*>(QStringLiteral("lbxPollGroups"));
    for (int row : clicked) {
        const QPoint centre = list->visualItemRect(list->item(row)).center();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::ControlModifier, centre);
    }
    QCOMPARE(dialog.selectedPositions(), positions);
}

void TestPollForm::captionsAndHints()
{
    TZizaVureGroups groups;
    TfrmPoll dialog(groups, nullptr);
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Post Processing Groups"));
    QVERIFY(dialog.windowFlags().testFlag(Qt::WindowSystemMenuHint));
    QVERIFY(!dialog.windowFlags().testFlag(Qt::WindowMinimizeButtonHint));
    QVERIFY(!dialog.windowFlags().testFlag(Qt::WindowMaximizeButtonHint));

    bool labelFound = false;
    for (auto* label : dialog.findChildren<QLabel*>())
        labelFound = labelFound || label->text() == QStringLiteral("Select Groups:");
    QVERIFY(labelFound);

    auto* list = dialog.findChild<QListWidget*>(QStringLiteral("lbxPollGroups"));
    QCOMPARE(list->selectionMode(), QAbstractItemView::ExtendedSelection);
    const QString listHint = QStringLiteral("You can select more than 1 poll group for export.");
    QCOMPARE(list->toolTip(), listHint);
    QCOMPARE(list->statusTip(), listHint);

    const struct
    {
        const char* name;
        const char* caption;
        const char* hint;
    } buttons[] = {
        {"BtnOK", "OK", "This will export data for the Poll group/s selected."},
        {"BtnCancel", "Cancel", "This will close the form without exporting data."},
    };
    for (const auto& expected : buttons) {
        auto* button = dialog.findChild<QPushButton*>(QLatin1String(expected.name));
        QVERIFY2(button, expected.name);
        QCOMPARE(button->text(), QLatin1String(expected.caption));
        QCOMPARE(button->toolTip(), QLatin1String(expected.hint));
        QCOMPARE(button->statusTip(), QLatin1String(expected.hint));
    }
}

void TestPollForm::closeResults_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<int>("result");
    QTest::newRow("OK") << "BtnOK" << int(QDialog::Accepted);
    QTest::newRow("Cancel") << "BtnCancel" << int(QDialog::Rejected);
}

void TestPollForm::closeResults()
{
    QFETCH(QString, button);
    QFETCH(int, result);
    TZizaVureGroups groups;
    fillGroups(groups, {1});
    TfrmPoll dialog(groups, nullptr);
    dialog.setResult(-1);
    dialog.show();
    QTest::mouseClick(dialog.findChild<QPushButton*>(button), Qt::LeftButton);
    QVERIFY(!dialog.isVisible());
    QCOMPARE(dialog.result(), result);
}

QTEST_MAIN(TestPollForm)
#include "tst_pollform.moc"
