#include "ConsoleProgress.h"

#include <cstdio>

TConsoleProgress::TConsoleProgress(bool enabled) : m_enabled(enabled) {}

TConsoleProgress::~TConsoleProgress()
{
    if (m_drawn)
        std::fputs("\r\033[K", stderr);
}

void TConsoleProgress::setInfoLabel(const QString& text)
{
    m_label = text;
    redraw();
}

void TConsoleProgress::setProgressRange(int, int maximum)
{
    m_maximum = maximum;
}

void TConsoleProgress::setProgressPosition(int position)
{
    m_position = position;
}

void TConsoleProgress::redraw()
{
    if (!m_enabled)
        return;
    std::fprintf(stderr, "\r\033[Kobject %d of %d: %s", m_position + 1, m_maximum,
                 qPrintable(m_label));
    std::fflush(stderr);
    m_drawn = true;
}
