// The syscomments rows of one stored text, checked for a missing row as they are read.
#pragma once

// Rows come in colid2, colid order; each one follows the one before (colid up by one, or
// colid2 up by one and colid starting again), the first at colid2 0. Rows of a procedure
// group start again at every member (number). A missing last row cannot be seen: the
// catalog keeps no count of them.
class TTextPieces {
public:
    // The next row read; the first of another member when `number` changes.
    void add(int number, int colid2, int colid);
    void add(int colid2, int colid) { add(0, colid2, colid); }
    // Whether a row before the last one added is missing.
    bool gap() const { return m_gap; }

private:
    bool m_started = false;
    bool m_gap = false;
    int m_number = 0;
    int m_colid2 = 0;
    int m_colid = 0;
};
