#pragma once
#include <QAbstractScrollArea>
#include <QBasicTimer>
#include <QString>
#include <vector>

namespace orv::ui {

// A read-only view of a long text, such as a report of a million lines. It
// keeps the one text it is given (shared, not copied) and where each line
// starts, and lays out only the lines in sight: fixed-pitch, never wrapped.
// The user scrolls, moves the caret, selects with mouse and keys and copies
// as in any read-only text box.
//
// Positions are character positions in the text, counted from 0; a line
// end CR LF counts as two characters, as it stands in the text.
class LineView : public QAbstractScrollArea {
    Q_OBJECT
public:
    explicit LineView(QWidget *parent = nullptr);

    // The text as parts shown one after the other (a report's header block
    // and its body, say); each is shared with the caller, none is copied.
    void setText(const QList<QString> &parts);
    void setText(const QString &text) { setText(QList<QString>{text}); }
    // The whole text; a copy when it came in several parts.
    QString text() const;
    qsizetype size() const { return m_size; }
    qsizetype lineCount() const { return qsizetype(m_starts.size()); }

    qsizetype selectionStart() const { return qMin(m_anchor, m_caret); }
    qsizetype selectionEnd() const { return qMax(m_anchor, m_caret); }
    // The selection as plain text with LF line ends.
    QString selectedText() const;
    // Selects from `anchor` to `caret` (the caret's side is kept in view).
    void select(qsizetype anchor, qsizetype caret);
    void selectAll();
    void copy() const;

    // The text from `from`, `length` characters long.
    QString mid(qsizetype from, qsizetype length) const;
    qsizetype caret() const { return m_caret; }
    // The line that holds `pos`, where a line starts, and where it ends
    // before its CR LF.
    qsizetype lineOf(qsizetype pos) const;
    qsizetype lineStart(qsizetype line) const { return m_starts[size_t(line)]; }
    qsizetype lineEnd(qsizetype line) const;
    // The box of the character at `pos` in viewport coordinates, and the
    // position under a viewport point, as a screen reader asks for them.
    QRect characterRect(qsizetype pos) const;
    qsizetype positionAt(const QPoint &viewportPoint) const;

    // Finds `needle` from `from` on, ignoring case, also inside words; the
    // match is selected and scrolled into view. -1 when there is none.
    qsizetype find(const QString &needle, qsizetype from);

    // The first line in sight and how many lines fit in the window whole.
    int firstVisibleLine() const;
    int visibleLineCount() const;

protected:
    bool event(QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void timerEvent(QTimerEvent *event) override;
    void changeEvent(QEvent *event) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    QChar at(qsizetype pos) const;
    // Calls `piece` with the stretch [from, to) of each part it touches, in order.
    template <class Piece> void forEachPiece(qsizetype from, qsizetype to, Piece piece) const;
    void moveCaret(qsizetype pos, bool keepAnchor, bool keepColumn = false);
    qsizetype wordStart(qsizetype pos) const;
    qsizetype wordEnd(qsizetype pos) const;
    void ensureVisible(qsizetype pos);
    void updateMetrics();
    void updateScrollBars();
    void putSelectionForMiddleClick() const;
    // Tells assistive technology where the caret and the selection went.
    void announceCaret();

    std::vector<QString> m_parts;
    std::vector<qsizetype> m_partStarts;
    qsizetype m_size = 0;
    std::vector<qsizetype> m_starts; // where each line starts
    qsizetype m_longest = 0;         // characters of the longest line
    qsizetype m_anchor = 0;
    qsizetype m_caret = 0;
    qsizetype m_toldAnchor = 0, m_toldCaret = 0; // what assistive technology last heard
    qsizetype m_column = -1;                     // the column up and down keep; -1: the caret's own
    qreal m_advance = 1;
    int m_lineHeight = 1;
    int m_ascent = 0;
    bool m_selecting = false;
    QPoint m_lastMouse;
    QBasicTimer m_autoScroll;
};

} // namespace orv::ui
