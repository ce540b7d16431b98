#include "CompareWindow.h"

#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
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

}  // namespace

TCompareWindow::TCompareWindow(const QStringList& databases, SchemaReader readSchema,
                               QWidget* parent)
    : QDialog(parent), m_readSchema(std::move(readSchema))
{
    setObjectName(QStringLiteral("f_compare"));
    setWindowTitle(QStringLiteral("Compare Databases"));
    cb_source = new QComboBox(this);
    cb_source->setObjectName(QStringLiteral("cb_source"));
    cb_source->addItems(databases);
    cb_target = new QComboBox(this);
    cb_target->setObjectName(QStringLiteral("cb_target"));
    cb_target->addItems(databases);
    btn_compare = new QPushButton(QStringLiteral("&Compare"), this);
    btn_compare->setObjectName(QStringLiteral("btn_compare"));
    lbl_summary = new QLabel(this);
    lbl_summary->setObjectName(QStringLiteral("lbl_summary"));
    lv_differences = new QListWidget(this);
    lv_differences->setObjectName(QStringLiteral("lv_differences"));
    m_targetText = readOnlyText("m_targetText", this);
    m_sourceText = readOnlyText("m_sourceText", this);
    m_diff = readOnlyText("m_diff", this);

    auto* choice = new QFormLayout;
    choice->addRow(QStringLiteral("&Source"), cb_source);
    choice->addRow(QStringLiteral("&Target"), cb_target);
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
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(lbl_summary);
    layout->addWidget(body, 1);
    resize(900, 600);

    connect(btn_compare, &QPushButton::clicked, this, &TCompareWindow::compare);
    connect(lv_differences, &QListWidget::currentRowChanged, this, &TCompareWindow::showDifference);
}

void TCompareWindow::compare()
{
    lv_differences->clear();
    m_source = m_readSchema(cb_source->currentText());
    m_target = m_readSchema(cb_target->currentText());
    m_differences =
        compareSchemas(m_source, m_target, cb_source->currentText(), cb_target->currentText());
    for (const TSchemaDifference& difference : m_differences)
        lv_differences->addItem(sideName(difference.side) + QStringLiteral(": ") + difference.name);
    lbl_summary->setText(QStringLiteral("%1 of %2 objects differ")
                             .arg(m_differences.size())
                             .arg(QSet<QString>(m_source.keyBegin(), m_source.keyEnd())
                                      .unite(QSet<QString>(m_target.keyBegin(), m_target.keyEnd()))
                                      .size()));
    if (!m_differences.isEmpty())
        lv_differences->setCurrentRow(0);
}

void TCompareWindow::showDifference(int row)
{
    if (row < 0 || row >= m_differences.size())
        return;
    const TSchemaDifference& difference = m_differences[row];
    m_targetText->setPlainText(m_target.value(difference.name).join(QLatin1Char('\n')));
    m_sourceText->setPlainText(m_source.value(difference.name).join(QLatin1Char('\n')));
    m_diff->setPlainText(difference.diff);
}
