#include "CompareWindow.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSet>
#include <QSplitter>
#include <QVBoxLayout>

namespace {
QPlainTextEdit* readOnlyText(const char* name, QWidget* parent)
{
    auto* text = new QPlainTextEdit(parent);
    text->setObjectName(QString::fromLatin1(name));
    text->setReadOnly(true);
    text->setLineWrapMode(QPlainTextEdit::NoWrap);
    return text;
}

template <typename Widget>
Widget* named(Widget* widget, const char* name)
{
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}
}  // namespace

TCompareWindow::TCompareWindow(const QStringList& databases, SchemaReader readSchema,
                               MigrationWriter writeMigration, QWidget* parent)
    : QDialog(parent),
      m_readSchema(std::move(readSchema)),
      m_writeMigration(std::move(writeMigration))
{
    setObjectName(QStringLiteral("f_compare"));
    setWindowTitle(QStringLiteral("Compare Databases"));
    cb_source = named(new QComboBox(this), "cb_source");
    cb_source->addItems(databases);
    cb_target = named(new QComboBox(this), "cb_target");
    cb_target->addItems(databases);
    btn_compare = named(new QPushButton(QStringLiteral("&Compare"), this), "btn_compare");
    lbl_summary = named(new QLabel(this), "lbl_summary");
    lv_differences = named(new QListWidget(this), "lv_differences");
    m_targetText = readOnlyText("m_targetText", this);
    m_sourceText = readOnlyText("m_sourceText", this);
    m_diff = readOnlyText("m_diff", this);
    chk_drop_extra = named(new QCheckBox(QStringLiteral("&Drop what only the target has"), this),
                           "chk_drop_extra");
    chk_allow_data_loss =
        named(new QCheckBox(QStringLiteral("Its tables &too"), this), "chk_allow_data_loss");
    btn_migration =
        named(new QPushButton(QStringLiteral("&Migration Script"), this), "btn_migration");
    btn_migration->setToolTip(
        QStringLiteral("Put the script that turns the target into the source into the view"));
    btn_migration->setEnabled(false);

    auto* choice = new QFormLayout;
    choice->addRow(QStringLiteral("&Source"), cb_source);
    choice->addRow(QStringLiteral("T&arget"), cb_target);
    auto* top = new QHBoxLayout;
    top->addLayout(choice, 1);
    top->addWidget(btn_compare);
    auto* sides = new QSplitter(Qt::Horizontal, this);
    sides->addWidget(m_targetText);
    sides->addWidget(m_sourceText);
    auto* texts = new QSplitter(Qt::Vertical, this);
    texts->addWidget(sides);
    texts->addWidget(m_diff);
    auto* body = new QSplitter(Qt::Horizontal, this);
    body->addWidget(lv_differences);
    body->addWidget(texts);
    body->setStretchFactor(1, 3);
    auto* migration = new QHBoxLayout;
    migration->addWidget(chk_drop_extra);
    migration->addWidget(chk_allow_data_loss);
    migration->addStretch();
    migration->addWidget(btn_migration);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(lbl_summary);
    layout->addWidget(body, 1);
    layout->addLayout(migration);
    resize(900, 600);

    connect(btn_compare, &QPushButton::clicked, this, &TCompareWindow::compare);
    connect(btn_migration, &QPushButton::clicked, this, &TCompareWindow::migrate);
    connect(lv_differences, &QListWidget::currentRowChanged, this, &TCompareWindow::showDifference);
}

void TCompareWindow::compare()
{
    lv_differences->clear();
    m_source = m_readSchema(cb_source->currentText());
    m_target = m_readSchema(cb_target->currentText());
    const TSchemaTexts& source = m_source.texts();
    const TSchemaTexts& target = m_target.texts();
    m_differences =
        compareSchemas(source, target, cb_source->currentText(), cb_target->currentText());
    for (const TSchemaDifference& difference : m_differences)
        lv_differences->addItem(sideName(difference.side) + QStringLiteral(": ") + difference.name);
    QSet<QString> objects(source.keyBegin(), source.keyEnd());
    objects.unite(QSet<QString>(target.keyBegin(), target.keyEnd()));
    lbl_summary->setText(
        QStringLiteral("%1 of %2 objects differ").arg(m_differences.size()).arg(objects.size()));
    btn_migration->setEnabled(!m_differences.isEmpty());
    if (!m_differences.isEmpty())
        lv_differences->setCurrentRow(0);
}

void TCompareWindow::showDifference(int row)
{
    if (row < 0 || row >= m_differences.size())
        return;
    const TSchemaDifference& difference = m_differences[row];
    m_targetText->setPlainText(m_target.texts().value(difference.name).join(QLatin1Char('\n')));
    m_sourceText->setPlainText(m_source.texts().value(difference.name).join(QLatin1Char('\n')));
    m_diff->setPlainText(difference.diff);
}

void TCompareWindow::migrate()
{
    const bool dropExtra = chk_drop_extra->isChecked();
    m_writeMigration(cb_source->currentText(), cb_target->currentText(),
                     migrationPlan(m_differences, m_source.objects(), m_target.objects(),
                                   {dropExtra, dropExtra && chk_allow_data_loss->isChecked()}));
    accept();
}
