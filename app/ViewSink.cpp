#include "ViewSink.h"

#include "ScriptGenerator.h"

#include <QPlainTextEdit>
#include <QTextCursor>
#include <QTextDocument>
#include <QThread>
#include <utility>

namespace {
// A block of about 1 MB of text, or what came within 200 ms.
constexpr qsizetype kBlockCharacters = 512 * 1024;
constexpr qint64 kBlockMilliseconds = 200;

// Adds `text` as lines at the end of the view, emptying it first with `replace` on. The
// view's undo history does not keep a copy of the script.
void insertBlock(QPlainTextEdit* view, const QString& text, bool replace)
{
    QTextDocument* document = view->document();
    if (replace)
        view->clear();
    const bool undo = document->isUndoRedoEnabled();
    document->setUndoRedoEnabled(false);
    QTextCursor end(document);
    end.movePosition(QTextCursor::End);
    // A view that holds nothing has one empty line, which the block's first line fills.
    end.insertText(document->isEmpty() ? text : QLatin1Char('\n') + text);
    document->setUndoRedoEnabled(undo);
}
}  // namespace

void TViewSink::startRun(bool replace)
{
    m_replace = replace;
    m_pending.clear();
    m_pendingLines = 0;
    m_sinceFlush.start();
}

void TViewSink::appendLines(const QStringList& lines)
{
    for (const QString& line : scriptTextLines(lines)) {
        if (m_pendingLines++ > 0)
            m_pending += QLatin1Char('\n');
        m_pending += line;
    }
    if (m_pending.size() >= kBlockCharacters || m_sinceFlush.elapsed() >= kBlockMilliseconds)
        flush();
}

// A script built in the background hands its blocks over to the window's thread and waits
// until each is in the view, so that the view is whole when the run ends.
void TViewSink::flush()
{
    m_sinceFlush.restart();
    if (m_pendingLines == 0)
        return;
    m_pendingLines = 0;
    QPlainTextEdit* view = m_view;
    const QString text = std::exchange(m_pending, QString());
    const bool replace = std::exchange(m_replace, false);
    QMetaObject::invokeMethod(
        view, [view, &text, replace] { insertBlock(view, text, replace); },
        view->thread() == QThread::currentThread() ? Qt::DirectConnection
                                                   : Qt::BlockingQueuedConnection);
}
