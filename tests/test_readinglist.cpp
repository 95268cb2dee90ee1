// The reading list and a long Open's progress as a screen reader finds them, via QAccessible.

#include "datafile.h"
#include "runsample.h"
#include "windowrig.h"

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QProgressDialog>
#include <QSignalSpy>
#include <QThread>

namespace
{

QString sampleRow(int i)
{
    return QString::number(i) + QStringLiteral(".0   ") + QString::number(450 + i) +
           QStringLiteral("   461   472   483");
}

class Rows final : public RunRows
{
public:
    explicit Rows(int count)
    {
        for (int i = 0; i < count; ++i)
            lines << sampleRow(i);
    }
    qsizetype size() const override { return lines.size(); }
    QString line(qsizetype row) const override { return lines[row]; }
    qsizetype longestLine() const override { return lines.isEmpty() ? 0 : lines.last().size(); }
    QStringList lines;
};

QStringList accessibleRows(QAccessibleInterface* list)
{
    QStringList rows;
    for (int i = 0; i < list->childCount(); ++i)
        rows << list->child(i)->text(QAccessible::Name);
    return rows;
}

} // namespace

class TestReadingList : public QObject
{
    Q_OBJECT
private slots:
    // Every row however scrolled; one current row, selected and focused, found by hit-testing.
    void rowsAndCurrentRow_data()
    {
        QTest::addColumn<int>("rows");
        QTest::addColumn<int>("current");
        QTest::addColumn<int>("pressed");
        QTest::newRow("empty run") << 0 << -1 << -1;
        QTest::newRow("one row") << 1 << 0 << 0;
        QTest::newRow("first of many") << 50 << 0 << 49;
        QTest::newRow("newest of many") << 50 << 49 << 3;
        QTest::newRow("none current") << 5 << -1 << 2;
        QTest::newRow("a day-long run") << 25000 << 7 << 3;
    }
    void rowsAndCurrentRow()
    {
        QFETCH(int, rows);
        QFETCH(int, current);
        QFETCH(int, pressed);
        const Rows run(rows);
        ReadingListView list(run);
        list.resize(200, 100); // a few rows on screen, the rest scrolled away
        list.linesChanged();
        list.setCurrentRow(current);

        QAccessibleInterface* a = QAccessible::queryAccessibleInterface(&list);
        QVERIFY(a && a->isValid());
        QCOMPARE(a->role(), QAccessible::List);
        QCOMPARE(a->text(QAccessible::Name), QStringLiteral("Readings"));
        QVERIFY(a->text(QAccessible::Description).contains(QStringLiteral("run time")));
        const QAccessible::Id currentId = current < 0 ? 0 : QAccessible::uniqueId(a->child(current));
        QCOMPARE(accessibleRows(a), run.lines);
        QCOMPARE(current < 0 ? 0 : QAccessible::uniqueId(a->focusChild()), currentId);
        QVERIFY(!a->child(rows));
        for (int i = 0; i < rows; ++i) {
            QAccessibleInterface* row = a->child(i);
            QCOMPARE(row->role(), QAccessible::ListItem);
            QCOMPARE(row->parent(), a);
            QCOMPARE(a->indexOfChild(row), i);
            QCOMPARE(row->state().selected, i == current);
            QCOMPARE(row->state().focused, i == current);
        }
        QCOMPARE(a->focusChild(), current < 0 ? nullptr : a->child(current));
        if (current >= 0) { // its place on screen is the row the list draws there
            QAccessibleInterface* row = a->child(current);
            QVERIFY(!row->state().invisible);
            QCOMPARE(row->rect().height(), list.rowHeight());
            QCOMPARE(a->childAt(row->rect().center().x(), row->rect().center().y()), row);
            QVERIFY(current < 40 || a->child(0)->state().invisible); // scrolled away
        }

        if (pressed < 0)
            return;
        QSignalSpy changed(&list, &ReadingListView::currentRowChanged);
        QAccessibleActionInterface* action = a->child(pressed)->actionInterface();
        QVERIFY(action);
        action->doAction(QAccessibleActionInterface::pressAction());
        QCOMPARE(list.currentRow(), pressed);
        QCOMPARE(changed.count(), pressed == current ? 0 : 1);
        QVERIFY(a->child(pressed)->state().selected);
        QVERIFY(a->child(pressed)->state().focused);
        QCOMPARE(a->focusChild(), a->child(pressed));
        if (current >= 0 && current != pressed)
            QVERIFY(!a->child(current)->state().selected);
    }

    // Appended rows appear at once; rows of an emptied run are no longer valid.
    void appendedRowsAppear()
    {
        Rows run(2);
        ReadingListView list(run);
        list.linesChanged();
        list.setCurrentRow(1);
        QAccessibleInterface* a = QAccessible::queryAccessibleInterface(&list);
        QAccessibleInterface* old = a->child(1);
        run.lines << sampleRow(2);
        list.rowsAppended(2);
        list.setCurrentRow(2);
        QCOMPARE(accessibleRows(a), run.lines);
        QVERIFY(a->child(2)->state().selected && !old->state().selected);
        run.lines.clear();
        list.linesChanged();
        QCOMPARE(a->childCount(), 0);
        QVERIFY(!old->isValid());
    }

    // A long Open's progress is a named dialog of the window, reachable from the tree's root.
    void longOpenProgressInTheTree()
    {
        WindowRig<> rig;
        rig.show();
        const auto progress = [] {
            for (QWidget* top : QApplication::topLevelWidgets())
                if (auto* dialog = qobject_cast<QProgressDialog*>(top);
                    dialog && dialog->isVisible())
                    return dialog;
            return static_cast<QProgressDialog*>(nullptr);
        };
        // A run drawn before its progress is due shows none: more lines are tried then.
        int lines = 2000;
        while (!progress() && (lines *= 2) <= 2'048'000) {
            QString text;
            for (int i = 0; i < lines; ++i)
                text += sampleRow(i) + QStringLiteral("\r\n");
            const QString path = rig.data(QStringLiteral("long run"));
            rig.write(path, WriteDataFileText(QString(), text, 0, 4, 0));
            rig.prompts.fileAnswers = {path};
            rig.w->onOpen();
            QCOMPARE(rig.rows().size(), lines); // every row is listed at once
            // A machine busy elsewhere holds the drawing back past the time its progress shows.
            QThread::msleep(600);
            QTRY_VERIFY_WITH_TIMEOUT(
                progress() || controls(rig.w).readingList->currentRow() == lines - 1, 60000);
        }
        QVERIFY(progress());
        QAccessibleInterface* d = QAccessible::queryAccessibleInterface(progress());
        QCOMPARE(d->role(), QAccessible::Dialog);
        QCOMPARE(d->text(QAccessible::Name), QStringLiteral("Opening the run"));
        QCOMPARE(progress()->parentWidget(), rig.w.get());
        QAccessibleInterface* root = QAccessible::queryAccessibleInterface(qApp);
        QVERIFY(root->indexOfChild(d) >= 0);
        QTRY_VERIFY_WITH_TIMEOUT(!progress(), 60000);
        QCOMPARE(controls(rig.w).readingList->currentRow(), lines - 1);
    }
};

QTEST_MAIN(TestReadingList)
#include "test_readinglist.moc"
