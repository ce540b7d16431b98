// Two databases of the server compared: pick them, then see the objects found on one side
// only and those that differ, each with the two texts side by side and the unified diff
// that turns the target's into the source's.
#pragma once

#include "SchemaCompare.h"

#include <QDialog>
#include <functional>

class QCheckBox;
class QComboBox;
class QLabel;
class QListWidget;
class QPlainTextEdit;
class QPushButton;

class TCompareWindow : public QDialog {
    Q_OBJECT
public:
    // `readSchema` writes one database's objects as schema texts (showing progress);
    // `writeMigration` puts the migration from the target to the source into the text view.
    using SchemaReader = std::function<TSchemaTextSet(const QString& database)>;
    using MigrationWriter =
        std::function<void(const QString& source, const QString& target, TMigrationPlan plan)>;
    TCompareWindow(const QStringList& databases, SchemaReader readSchema,
                   MigrationWriter writeMigration, QWidget* parent = nullptr);

    QComboBox* cb_source;
    QComboBox* cb_target;
    QPushButton* btn_compare;
    // Writes the migration into the text view and closes the window.
    QPushButton* btn_migration;
    QCheckBox* chk_drop_extra;       // drop what only the target has ...
    QCheckBox* chk_allow_data_loss;  // ... its tables too
    QListWidget* lv_differences;
    QPlainTextEdit* m_targetText;
    QPlainTextEdit* m_sourceText;
    QPlainTextEdit* m_diff;
    QLabel* lbl_summary;

private:
    void compare();
    void migrate();
    void showDifference(int row);

    SchemaReader m_readSchema;
    MigrationWriter m_writeMigration;
    TSchemaTextSet m_source;
    TSchemaTextSet m_target;
    QList<TSchemaDifference> m_differences;
};
