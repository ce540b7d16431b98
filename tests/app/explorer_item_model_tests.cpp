// The explorer as the tree view reads it, checked by Qt's model tester through every
// change the window makes: databases listed, folders opened, marks changed, all cleared.
#include "ExplorerImages.h"
#include "ExplorerItemModel.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <QtTest>

class ExplorerItemModelTest : public QObject {
    Q_OBJECT

private slots:
    void everyChangeKeepsTheModelConsistent()
    {
        TExplorerModel explorer;
        TExplorerItemModel model(explorer);
        QAbstractItemModelTester tester(&model,
                                        QAbstractItemModelTester::FailureReportingMode::QtTest);
        model.setDatabases({"demo", "inventory"});
        QCOMPARE(model.rowCount(), 2);
        const QModelIndex demo = model.index(0, 0);
        QCOMPARE(model.rowCount(demo), ObjectKindCount);
        const QModelIndex tables = model.folderIndex(0, ObjectKind::Tables);
        QCOMPARE(tables, model.index(2, 0, demo));
        QCOMPARE(tables.data().toString(), objectKindCaption(ObjectKind::Tables));
        QCOMPARE(tables.parent(), demo);
        // An unopened folder holds one row without a caption.
        QCOMPARE(model.rowCount(tables), 1);
        QCOMPARE(model.index(0, 0, tables).data().toString(), QString());

        model.setObjects(tables, {"dbo.a", "mary.b", "dbo.c"});
        QCOMPARE(model.rowCount(tables), 3);
        const QModelIndex b = model.index(1, 0, tables);
        QCOMPARE(b.data().toString(), QString("mary.b"));
        QCOMPARE(b.data(Qt::ToolTipRole).toString(), QString("mary.b"));
        QCOMPARE(b.parent(), tables);
        QCOMPARE(TExplorerItemModel::kindOf(b), ObjectKind::Tables);
        QCOMPARE(TExplorerItemModel::databaseOf(b), 0);

        QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
        QCOMPARE(model.toggleMark(b), 1);
        QCOMPARE(changed.size(), 1);
        const QImage check = ExplorerImages::icon(ExplorerImages::Marked).pixmap(16).toImage();
        QCOMPARE(b.data(Qt::DecorationRole).value<QIcon>().pixmap(16).toImage(), check);
        QCOMPARE(model.changeMarks(tables, TExplorerModel::MarkChange::Invert), 1);
        QCOMPARE(changed.size(), 2);  // the whole folder in one signal
        QCOMPARE(explorer.markedObjects(),
                 TMarkedObjectList({{"demo", ObjectKind::Tables, "dbo.a"},
                                    {"demo", ObjectKind::Tables, "dbo.c"}}));

        // Read again: the folder is replaced; an empty listing leaves no row.
        model.setObjects(model.folderIndex(1, ObjectKind::Views), {});
        QCOMPARE(model.rowCount(model.folderIndex(1, ObjectKind::Views)), 0);
        model.setObjects(tables, {"dbo.d"});
        QCOMPARE(model.rowCount(tables), 1);
        model.clear();
        QCOMPARE(model.rowCount(), 0);
    }
};

QTEST_MAIN(ExplorerItemModelTest)
#include "explorer_item_model_tests.moc"
