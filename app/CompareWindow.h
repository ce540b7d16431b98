// Two databases of the server compared: pick them, then see the objects found on one side
// only and those that differ, each with the two texts side by side and the unified diff
// that turns the target's into the source's.
#pragma once

#include "SchemaCompare.h"

#include <QDialog>
#include <functional>

class QComboBox;
class QLabel;
class QListWidget;
class QPlainTextEdit;
class QPushButton;

class TCompareWindow : public QDialog {
    Q_OBJECT
public:
    // `readSchema` writes one database's objects as schema texts (showing progress).
    using SchemaReader = std::function<TSchemaTexts(const QString& database)>;
    TCompareWindow(const QStringList& databases, SchemaReader readSchema,
                   QWidget* parent = nullptr);

    QComboBox* cb_source;
    QComboBox* cb_target;
    QPushButton* btn_compare;
    QListWidget* lv_differences;
    QPlainTextEdit* m_targetText;
    QPlainTextEdit* m_sourceText;
    QPlainTextEdit* m_diff;
    QLabel* lbl_summary;

private:
    void compare();
    void showDifference(int row);

    SchemaReader m_readSchema;
    TSchemaTexts m_source;
    TSchemaTexts m_target;
    QList<TSchemaDifference> m_differences;
};
