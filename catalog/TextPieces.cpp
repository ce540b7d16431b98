#include "TextPieces.h"

namespace {
// Where the rows of a text, and the colids after a colid2 step, start: 1 as the server's
// tools read them; 0 is taken as well, as the documented range of colid starts there.
bool isFirstColid(int colid)
{
    return colid == 0 || colid == 1;
}
}  // namespace

void TTextPieces::add(int number, int colid2, int colid)
{
    const bool first = !m_started || number != m_number;
    bool follows = false;
    if (first)
        follows = colid2 == 0 && isFirstColid(colid);
    else if (colid2 == m_colid2)
        follows = colid == m_colid + 1;
    else
        follows = colid2 == m_colid2 + 1 && isFirstColid(colid);
    m_gap = m_gap || !follows;
    m_started = true;
    m_number = number;
    m_colid2 = colid2;
    m_colid = colid;
}
