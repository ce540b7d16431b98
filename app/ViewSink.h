// Script lines into the text view, in blocks: a script of 20,000 tables is a few dozen
// insertions into the view rather than one per statement.
#pragma once

#include "ScriptSink.h"

#include <QElapsedTimer>
#include <QString>

class QPlainTextEdit;

class TViewSink : public TScriptSink {
public:
    explicit TViewSink(QPlainTextEdit* view) : m_view(view) {}

    // Before a run. With `replace` on, the run's first block takes the place of what the
    // view holds: a run that fails before it has any lines leaves the view as it was.
    void startRun(bool replace);
    // Lines are kept until a block is full or a moment has passed since the last one, so
    // that a slow run still shows its progress.
    void appendLines(const QStringList& lines) override;
    // Puts the lines kept into the view; at the end of a run, whatever its outcome.
    void flush();

private:
    QPlainTextEdit* m_view;
    bool m_replace = false;
    QString m_pending;  // the lines kept, joined by line breaks
    int m_pendingLines = 0;
    QElapsedTimer m_sinceFlush;
};
