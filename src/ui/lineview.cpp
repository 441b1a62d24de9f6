#include "ui/lineview.h"
#include "ui/lineviewaccessible.h"

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QFontMetricsF>
#include <QKeyEvent>
#include <QMenu>
#include <QPainter>
#include <QScrollBar>

#include <algorithm>
#include <cmath>

namespace orv::ui {

namespace {
constexpr int margin = 4; // the space around the text, as a plain text box leaves it

bool isWordChar(QChar c) { return c.isLetterOrNumber() || c == u'_'; }

enum class Step {
    NextChar,
    PreviousChar,
    NextLine,
    PreviousLine,
    NextPage,
    PreviousPage,
    LineStart,
    LineEnd,
    TextStart,
    TextEnd,
    NextWord,
    PreviousWord
};

struct KeyMove {
    QKeySequence::StandardKey move, select;
    Step step;
};

const KeyMove keyMoves[] = {
    {QKeySequence::MoveToNextChar, QKeySequence::SelectNextChar, Step::NextChar},
    {QKeySequence::MoveToPreviousChar, QKeySequence::SelectPreviousChar, Step::PreviousChar},
    {QKeySequence::MoveToNextLine, QKeySequence::SelectNextLine, Step::NextLine},
    {QKeySequence::MoveToPreviousLine, QKeySequence::SelectPreviousLine, Step::PreviousLine},
    {QKeySequence::MoveToNextPage, QKeySequence::SelectNextPage, Step::NextPage},
    {QKeySequence::MoveToPreviousPage, QKeySequence::SelectPreviousPage, Step::PreviousPage},
    {QKeySequence::MoveToStartOfLine, QKeySequence::SelectStartOfLine, Step::LineStart},
    {QKeySequence::MoveToEndOfLine, QKeySequence::SelectEndOfLine, Step::LineEnd},
    {QKeySequence::MoveToStartOfDocument, QKeySequence::SelectStartOfDocument, Step::TextStart},
    {QKeySequence::MoveToEndOfDocument, QKeySequence::SelectEndOfDocument, Step::TextEnd},
    {QKeySequence::MoveToNextWord, QKeySequence::SelectNextWord, Step::NextWord},
    {QKeySequence::MoveToPreviousWord, QKeySequence::SelectPreviousWord, Step::PreviousWord},
};

QString shortcutSuffix(QKeySequence::StandardKey key)
{
    return QLatin1Char('\t') + QKeySequence(key).toString(QKeySequence::NativeText);
}
} // namespace

LineView::LineView(QWidget *parent) : QAbstractScrollArea(parent), m_parts(1), m_partStarts{0}, m_starts{0}
{
    installLineViewAccessible();
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setCursor(Qt::IBeamCursor);
    viewport()->setBackgroundRole(QPalette::Base);
    viewport()->setAutoFillBackground(true);
    updateMetrics();
    updateScrollBars();
}

void LineView::setText(const QList<QString> &parts)
{
    // One pass over the text for the line starts and the longest line.
    m_parts.assign(parts.begin(), parts.end());
    if (m_parts.empty())
        m_parts.emplace_back();
    m_partStarts.clear();
    m_size = 0;
    for (const QString &part : m_parts) {
        m_partStarts.push_back(m_size);
        m_size += part.size();
    }
    m_starts.assign(1, 0);
    m_longest = 0;
    for (size_t i = 0; i < m_parts.size(); ++i) {
        const QStringView part(m_parts[i]);
        for (qsizetype lf = part.indexOf(u'\n'); lf >= 0; lf = part.indexOf(u'\n', lf + 1)) {
            const qsizetype pos = m_partStarts[i] + lf, start = m_starts.back();
            const qsizetype end = pos > start && at(pos - 1) == u'\r' ? pos - 1 : pos;
            m_longest = std::max(m_longest, end - start);
            m_starts.push_back(pos + 1);
        }
    }
    m_longest = std::max(m_longest, m_size - m_starts.back());
    m_anchor = m_caret = 0;
    m_column = -1;
    updateScrollBars();
    verticalScrollBar()->setValue(0);
    horizontalScrollBar()->setValue(0);
    viewport()->update();
    if (QAccessible::isActive()) {
        // A report can be millions of characters: the reader is told that the
        // text changed and asks for the stretch it reads.
        QAccessibleTextUpdateEvent changed(this, 0, QString(), QString());
        QAccessible::updateAccessibility(&changed);
    }
    announceCaret();
}

QString LineView::text() const { return m_parts.size() == 1 ? m_parts.front() : mid(0, m_size); }

template <class Piece> void LineView::forEachPiece(qsizetype from, qsizetype to, Piece piece) const
{
    for (size_t i = 0; i < m_parts.size(); ++i) {
        const qsizetype start = m_partStarts[i];
        const qsizetype lo = std::max(from, start), hi = std::min(to, start + m_parts[i].size());
        if (hi > lo)
            piece(QStringView(m_parts[i]).mid(lo - start, hi - lo));
    }
}

QChar LineView::at(qsizetype pos) const
{
    size_t i = m_parts.size() - 1;
    while (i > 0 && m_partStarts[i] > pos)
        --i;
    return m_parts[i].at(pos - m_partStarts[i]);
}

QString LineView::mid(qsizetype from, qsizetype length) const
{
    QString out;
    forEachPiece(from, from + length, [&](QStringView piece) {
        if (out.isEmpty() && piece.size() == length)
            out = piece.toString();
        else
            out += piece;
    });
    return out;
}

QString LineView::selectedText() const
{
    QString out;
    out.reserve(selectionEnd() - selectionStart());
    forEachPiece(selectionStart(), selectionEnd(), [&](QStringView piece) {
        // A CR LF split between two parts is one line end too.
        if (out.endsWith(u'\r') && piece.startsWith(u'\n'))
            out.chop(1);
        qsizetype from = 0;
        for (qsizetype crlf = piece.indexOf(u"\r\n"); crlf >= 0; crlf = piece.indexOf(u"\r\n", from)) {
            out += piece.mid(from, crlf - from);
            out += u'\n';
            from = crlf + 2;
        }
        out += piece.mid(from);
    });
    return out;
}

void LineView::select(qsizetype anchor, qsizetype caret)
{
    m_anchor = std::clamp<qsizetype>(anchor, 0, m_size);
    moveCaret(std::clamp<qsizetype>(caret, 0, m_size), true);
}

void LineView::selectAll()
{
    m_anchor = 0;
    m_caret = m_size;
    m_column = -1;
    viewport()->update();
    announceCaret();
}

void LineView::copy() const
{
    if (selectionEnd() > selectionStart())
        QGuiApplication::clipboard()->setText(selectedText());
}

qsizetype LineView::find(const QString &needle, qsizetype from)
{
    if (needle.isEmpty() || from > m_size)
        return -1;
    from = std::max<qsizetype>(0, from);
    const qsizetype reach = needle.size() - 1; // how far a match can stick out of a part
    for (size_t i = 0; i < m_parts.size(); ++i) {
        const qsizetype start = m_partStarts[i], end = start + m_parts[i].size();
        if (end <= from)
            continue;
        qsizetype at =
            QStringView(m_parts[i]).indexOf(needle, std::max<qsizetype>(0, from - start), Qt::CaseInsensitive);
        if (at >= 0) {
            at += start;
        } else if (i + 1 < m_parts.size() && reach > 0) {
            // A match across the seam to the next part.
            const qsizetype lo = std::max(from, end - reach), hi = std::min(m_size, end + reach);
            at = mid(lo, hi - lo).indexOf(needle, 0, Qt::CaseInsensitive);
            if (at >= 0)
                at += lo;
        }
        if (at >= 0) {
            select(at, at + needle.size());
            ensureVisible(at);
            return at;
        }
    }
    return -1;
}

int LineView::firstVisibleLine() const { return verticalScrollBar()->value(); }

int LineView::visibleLineCount() const { return std::max(1, (viewport()->height() - margin) / m_lineHeight); }

qsizetype LineView::lineOf(qsizetype pos) const
{
    return qsizetype(std::upper_bound(m_starts.begin(), m_starts.end(), pos) - m_starts.begin()) - 1;
}

qsizetype LineView::lineEnd(qsizetype line) const
{
    if (line + 1 >= lineCount())
        return m_size;
    const qsizetype lf = m_starts[line + 1] - 1;
    return lf > m_starts[line] && at(lf - 1) == u'\r' ? lf - 1 : lf;
}

qsizetype LineView::positionAt(const QPoint &p) const
{
    const qsizetype row = p.y() < margin ? -1 : (p.y() - margin) / m_lineHeight;
    const qsizetype line = std::clamp<qsizetype>(firstVisibleLine() + row, 0, lineCount() - 1);
    const qreal x = p.x() + horizontalScrollBar()->value() - margin;
    const qsizetype column = std::max<qsizetype>(0, qRound(x / m_advance));
    return std::min(m_starts[line] + column, lineEnd(line));
}

qsizetype LineView::wordStart(qsizetype pos) const
{
    while (pos > 0 && isWordChar(at(pos - 1)))
        --pos;
    return pos;
}

qsizetype LineView::wordEnd(qsizetype pos) const
{
    while (pos < m_size && isWordChar(at(pos)))
        ++pos;
    return pos;
}

void LineView::moveCaret(qsizetype pos, bool keepAnchor, bool keepColumn)
{
    m_caret = pos;
    if (!keepAnchor)
        m_anchor = pos;
    if (!keepColumn)
        m_column = -1;
    ensureVisible(pos);
    viewport()->update();
    announceCaret();
}

void LineView::announceCaret()
{
    if (!QAccessible::isActive() || (m_toldAnchor == m_anchor && m_toldCaret == m_caret))
        return;
    if (m_toldAnchor != m_anchor || selectionEnd() > selectionStart()) {
        QAccessibleTextSelectionEvent selection(this, int(selectionStart()), int(selectionEnd()));
        selection.setCursorPosition(int(m_caret));
        QAccessible::updateAccessibility(&selection);
    }
    QAccessibleTextCursorEvent cursor(this, int(m_caret));
    QAccessible::updateAccessibility(&cursor);
    m_toldAnchor = m_anchor;
    m_toldCaret = m_caret;
}

QRect LineView::characterRect(qsizetype pos) const
{
    if (pos < 0 || pos > m_size)
        return {};
    const qsizetype line = lineOf(pos);
    const qreal x = margin + (pos - m_starts[line]) * m_advance - horizontalScrollBar()->value();
    const int y = margin + int(line - firstVisibleLine()) * m_lineHeight;
    return QRectF(x, y, m_advance, m_lineHeight).toAlignedRect();
}

void LineView::ensureVisible(qsizetype pos)
{
    const qsizetype line = lineOf(pos);
    QScrollBar *v = verticalScrollBar();
    if (line < v->value())
        v->setValue(int(line));
    else if (line >= v->value() + visibleLineCount())
        v->setValue(int(line - visibleLineCount() + 1));
    QScrollBar *h = horizontalScrollBar();
    const qreal x = (pos - m_starts[line]) * m_advance;
    const int width = viewport()->width() - 2 * margin;
    if (x < h->value())
        h->setValue(int(std::floor(x)));
    else if (x + m_advance > h->value() + width)
        h->setValue(int(std::ceil(x + m_advance - width)));
}

void LineView::updateMetrics()
{
    const QFontMetricsF fm(font());
    m_advance = std::max<qreal>(1, fm.horizontalAdvance(u'M'));
    m_lineHeight = std::max(1, int(std::ceil(fm.lineSpacing())));
    m_ascent = int(std::ceil(fm.ascent()));
}

void LineView::updateScrollBars()
{
    const int visible = visibleLineCount();
    QScrollBar *v = verticalScrollBar();
    v->setRange(0, int(std::max<qsizetype>(0, lineCount() - visible)));
    v->setPageStep(visible);
    v->setSingleStep(1);
    QScrollBar *h = horizontalScrollBar();
    const int width = int(std::ceil(m_longest * m_advance)) + 2 * margin;
    h->setRange(0, std::max(0, width - viewport()->width()));
    h->setPageStep(viewport()->width());
    h->setSingleStep(std::max(1, int(m_advance)));
}

bool LineView::event(QEvent *event)
{
    // Copy and select all belong to the text box while it has the focus,
    // whatever shortcuts the window around it carries.
    if (event->type() == QEvent::ShortcutOverride) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if (key->matches(QKeySequence::Copy) || key->matches(QKeySequence::SelectAll)) {
            event->accept();
            return true;
        }
    }
    return QAbstractScrollArea::event(event);
}

void LineView::paintEvent(QPaintEvent *)
{
    QPainter p(viewport());
    p.setFont(font());
    const QPalette &pal = palette();
    const qreal shift = horizontalScrollBar()->value();
    const qsizetype firstColumn = std::max<qsizetype>(0, qsizetype(std::floor((shift - margin) / m_advance)));
    const qsizetype columns = qsizetype(std::ceil(viewport()->width() / m_advance)) + 2;
    const qsizetype selStart = selectionStart(), selEnd = selectionEnd();
    const int bottom = viewport()->height();
    const bool caretShown = hasFocus();
    int y = margin;
    for (qsizetype line = firstVisibleLine(); line < lineCount() && y < bottom; ++line, y += m_lineHeight) {
        const qsizetype start = m_starts[line], end = lineEnd(line);
        const auto xOf = [&](qsizetype pos) { return margin + (pos - start) * m_advance - shift; };
        const auto draw = [&](qsizetype from, qsizetype to, const QColor &colour) {
            if (to <= from)
                return;
            p.setPen(colour);
            p.drawText(QPointF(xOf(from), y + m_ascent), mid(from, to - from));
        };
        const qsizetype from = std::min(end, start + firstColumn), to = std::min(end, from + columns);
        const qsizetype s = std::clamp(selStart, from, to), e = std::clamp(selEnd, from, to);
        if (e > s)
            p.fillRect(QRectF(xOf(s), y, (e - s) * m_advance, m_lineHeight), pal.highlight());
        // A selected line end shows as a narrow mark, so selected empty lines can be seen.
        if (selStart <= end && selEnd > end && line + 1 < lineCount())
            p.fillRect(QRectF(xOf(end), y, m_advance / 2, m_lineHeight), pal.highlight());
        draw(from, s, pal.color(QPalette::Text));
        draw(s, e, pal.color(QPalette::HighlightedText));
        draw(e, to, pal.color(QPalette::Text));
        if (caretShown && m_caret >= start && m_caret <= end)
            p.fillRect(QRectF(xOf(m_caret), y, 1, m_lineHeight), pal.text());
    }
}

void LineView::resizeEvent(QResizeEvent *event)
{
    QAbstractScrollArea::resizeEvent(event);
    updateScrollBars();
}

void LineView::keyPressEvent(QKeyEvent *event)
{
    if (event->matches(QKeySequence::Copy)) {
        copy();
        return;
    }
    if (event->matches(QKeySequence::SelectAll)) {
        selectAll();
        return;
    }
    for (const KeyMove &k : keyMoves) {
        const bool keep = event->matches(k.select);
        if (!keep && !event->matches(k.move))
            continue;
        const qsizetype line = lineOf(m_caret);
        const qsizetype column = m_column >= 0 ? m_column : m_caret - m_starts[line];
        // Up, down and the page keys keep the column the caret came from.
        const auto toLine = [&](qsizetype target) {
            target = std::clamp<qsizetype>(target, 0, lineCount() - 1);
            moveCaret(std::min(m_starts[target] + column, lineEnd(target)), keep, true);
            m_column = column;
        };
        const bool collapse = !keep && m_anchor != m_caret;
        switch (k.step) {
        case Step::NextChar:
            if (collapse)
                moveCaret(selectionEnd(), false);
            else
                moveCaret(m_caret < lineEnd(line) || line + 1 >= lineCount() ? std::min(m_caret + 1, lineEnd(line))
                                                                             : m_starts[line + 1],
                          keep);
            break;
        case Step::PreviousChar:
            if (collapse)
                moveCaret(selectionStart(), false);
            else
                moveCaret(m_caret > m_starts[line] ? m_caret - 1 : line > 0 ? lineEnd(line - 1) : 0, keep);
            break;
        case Step::NextLine:
            if (line + 1 < lineCount())
                toLine(line + 1);
            break;
        case Step::PreviousLine:
            if (line > 0)
                toLine(line - 1);
            break;
        case Step::NextPage:
        case Step::PreviousPage: {
            const int page = (k.step == Step::NextPage ? 1 : -1) * visibleLineCount();
            verticalScrollBar()->setValue(verticalScrollBar()->value() + page);
            toLine(line + page);
            break;
        }
        case Step::LineStart: moveCaret(m_starts[line], keep); break;
        case Step::LineEnd: moveCaret(lineEnd(line), keep); break;
        case Step::TextStart: moveCaret(0, keep); break;
        case Step::TextEnd: moveCaret(m_size, keep); break;
        case Step::NextWord: {
            qsizetype pos = wordEnd(m_caret);
            while (pos < m_size && !isWordChar(at(pos)))
                ++pos;
            moveCaret(pos, keep);
            break;
        }
        case Step::PreviousWord: {
            qsizetype pos = m_caret;
            while (pos > 0 && !isWordChar(at(pos - 1)))
                --pos;
            moveCaret(wordStart(pos), keep);
            break;
        }
        }
        return;
    }
    QAbstractScrollArea::keyPressEvent(event);
}

void LineView::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return;
    m_selecting = true;
    m_lastMouse = event->position().toPoint();
    moveCaret(positionAt(m_lastMouse), event->modifiers() & Qt::ShiftModifier);
}

void LineView::mouseMoveEvent(QMouseEvent *event)
{
    if (!m_selecting || !(event->buttons() & Qt::LeftButton))
        return;
    m_lastMouse = event->position().toPoint();
    moveCaret(positionAt(m_lastMouse), true);
    // Dragging beyond the edge keeps scrolling until the mouse comes back.
    if (viewport()->rect().contains(m_lastMouse))
        m_autoScroll.stop();
    else if (!m_autoScroll.isActive())
        m_autoScroll.start(50, this);
}

void LineView::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton || !m_selecting)
        return;
    m_selecting = false;
    m_autoScroll.stop();
    putSelectionForMiddleClick();
}

void LineView::mouseDoubleClickEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return;
    const qsizetype pos = positionAt(event->position().toPoint());
    m_anchor = wordStart(pos);
    moveCaret(wordEnd(pos), true);
    putSelectionForMiddleClick();
}

void LineView::timerEvent(QTimerEvent *event)
{
    if (event->timerId() != m_autoScroll.timerId()) {
        QAbstractScrollArea::timerEvent(event);
        return;
    }
    const QRect r = viewport()->rect();
    QScrollBar *v = verticalScrollBar();
    if (m_lastMouse.y() < r.top())
        v->setValue(v->value() - 1);
    else if (m_lastMouse.y() > r.bottom())
        v->setValue(v->value() + 1);
    moveCaret(positionAt(m_lastMouse), true);
}

void LineView::contextMenuEvent(QContextMenuEvent *event)
{
    // What a read-only text box offers: copy and select all.
    auto *menu = new QMenu(this);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    QAction *copyAction =
        menu->addAction(QStringLiteral("&Kopieren") + shortcutSuffix(QKeySequence::Copy), this, &LineView::copy);
    copyAction->setObjectName(QStringLiteral("edit-copy"));
    copyAction->setEnabled(selectionEnd() > selectionStart());
    menu->addSeparator();
    QAction *all = menu->addAction(QStringLiteral("Alles auswählen") + shortcutSuffix(QKeySequence::SelectAll), this,
                                   &LineView::selectAll);
    all->setObjectName(QStringLiteral("select-all"));
    all->setEnabled(m_size > 0);
    menu->popup(event->globalPos());
}

void LineView::focusInEvent(QFocusEvent *event)
{
    QAbstractScrollArea::focusInEvent(event);
    viewport()->update();
}

void LineView::focusOutEvent(QFocusEvent *event)
{
    QAbstractScrollArea::focusOutEvent(event);
    viewport()->update();
}

void LineView::changeEvent(QEvent *event)
{
    QAbstractScrollArea::changeEvent(event);
    if (event->type() == QEvent::FontChange) {
        updateMetrics();
        updateScrollBars();
        viewport()->update();
    }
}

void LineView::scrollContentsBy(int, int) { viewport()->update(); }

void LineView::putSelectionForMiddleClick() const
{
    QClipboard *clipboard = QGuiApplication::clipboard();
    if (clipboard->supportsSelection() && selectionEnd() > selectionStart())
        clipboard->setText(selectedText(), QClipboard::Selection);
}

} // namespace orv::ui
