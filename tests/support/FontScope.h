// The application's font at a given point size for as long as the scope lives.
#pragma once

#include <QApplication>
#include <QFont>

class FontScope {
public:
    explicit FontScope(int points) : m_previous(QApplication::font())
    {
        QFont font = m_previous;
        font.setPointSize(points);
        QApplication::setFont(font);
    }
    ~FontScope() { QApplication::setFont(m_previous); }
    FontScope(const FontScope&) = delete;
    FontScope& operator=(const FontScope&) = delete;

private:
    QFont m_previous;
};
