#include "ui/lineviewaccessible.h"

#include "ui/lineview.h"

#include <QAccessibleWidget>
#include <QTextBoundaryFinder>

#include <algorithm>

namespace orv::ui {

namespace {

// The report text can be tens of millions of characters: every answer is
// worked out on the one line it concerns, never on a copy of the whole text.
class LineViewAccessible : public QAccessibleWidget, public QAccessibleTextInterface {
public:
    explicit LineViewAccessible(LineView *view) : QAccessibleWidget(view, QAccessible::EditableText) {}

    void *interface_cast(QAccessible::InterfaceType type) override
    {
        if (type == QAccessible::TextInterface)
            return static_cast<QAccessibleTextInterface *>(this);
        return QAccessibleWidget::interface_cast(type);
    }

    QAccessible::State state() const override
    {
        QAccessible::State s = QAccessibleWidget::state();
        s.readOnly = true;
        s.multiLine = true;
        s.selectableText = true;
        return s;
    }

    QString text(QAccessible::Text t) const override
    {
        // The value of a text box is its text; readers take it from the text interface.
        return t == QAccessible::Value ? QString() : QAccessibleWidget::text(t);
    }

    void selection(int index, int *start, int *end) const override
    {
        *start = *end = 0;
        if (index == 0 && selectionCount() == 1) {
            *start = int(view()->selectionStart());
            *end = int(view()->selectionEnd());
        }
    }
    int selectionCount() const override { return view()->selectionEnd() > view()->selectionStart() ? 1 : 0; }
    void addSelection(int start, int end) override { setSelection(0, start, end); }
    void removeSelection(int index) override
    {
        if (index == 0)
            view()->select(view()->caret(), view()->caret());
    }
    void setSelection(int index, int start, int end) override
    {
        if (index == 0)
            view()->select(start, end);
    }

    int cursorPosition() const override { return int(view()->caret()); }
    void setCursorPosition(int position) override { view()->select(position, position); }

    QString text(int start, int end) const override
    {
        const qsizetype size = view()->size();
        if (end < 0 || end > size)
            end = int(size);
        start = std::clamp(start, 0, end);
        return view()->mid(start, end - start);
    }
    int characterCount() const override { return int(view()->size()); }

    QString textAtOffset(int offset, QAccessible::TextBoundaryType type, int *start, int *end) const override
    {
        const auto [s, e] = unitAt(offset, type);
        *start = int(s);
        *end = int(e);
        return view()->mid(s, e - s);
    }
    QString textBeforeOffset(int offset, QAccessible::TextBoundaryType type, int *start, int *end) const override
    {
        const qsizetype at = unitAt(offset, type).first;
        if (at <= 0) {
            *start = *end = 0;
            return {};
        }
        return textAtOffset(int(at - 1), type, start, end);
    }
    QString textAfterOffset(int offset, QAccessible::TextBoundaryType type, int *start, int *end) const override
    {
        const qsizetype after = unitAt(offset, type).second;
        if (after >= view()->size() || after <= offset) {
            *start = *end = int(view()->size());
            return {};
        }
        return textAtOffset(int(after), type, start, end);
    }

    QRect characterRect(int offset) const override
    {
        const QRect r = view()->characterRect(offset);
        return r.isNull() ? r : QRect(view()->viewport()->mapToGlobal(r.topLeft()), r.size());
    }
    int offsetAtPoint(const QPoint &point) const override
    {
        const QPoint p = view()->viewport()->mapFromGlobal(point);
        return view()->viewport()->rect().contains(p) ? int(view()->positionAt(p)) : -1;
    }
    void scrollToSubstring(int start, int end) override { view()->select(start, end); }
    QString attributes(int offset, int *start, int *end) const override
    {
        // One font and colour throughout: no runs of their own.
        *start = 0;
        *end = int(view()->size());
        Q_UNUSED(offset);
        return {};
    }

private:
    LineView *view() const { return static_cast<LineView *>(widget()); }

    // The stretch [first, second) of the unit (character, word, line ...)
    // that holds `offset`. Words and sentences end at the line's end; a line
    // takes its CR LF with it.
    std::pair<qsizetype, qsizetype> unitAt(qsizetype offset, QAccessible::TextBoundaryType type) const
    {
        const qsizetype size = view()->size();
        offset = std::clamp<qsizetype>(offset, 0, size);
        if (type == QAccessible::NoBoundary)
            return {0, size};
        if (type == QAccessible::CharBoundary)
            return {offset, std::min(size, offset + 1)};
        const qsizetype line = view()->lineOf(offset);
        const qsizetype lineStart = view()->lineStart(line);
        const qsizetype lineEnd = line + 1 < view()->lineCount() ? view()->lineStart(line + 1) : size;
        if (type == QAccessible::LineBoundary || type == QAccessible::ParagraphBoundary)
            return {lineStart, lineEnd};
        const QString lineText = view()->mid(lineStart, lineEnd - lineStart);
        QTextBoundaryFinder finder(
            type == QAccessible::WordBoundary ? QTextBoundaryFinder::Word : QTextBoundaryFinder::Sentence, lineText);
        finder.setPosition(offset - lineStart);
        if (!finder.isAtBoundary())
            finder.toPreviousBoundary();
        const qsizetype first = std::max<qsizetype>(0, finder.position());
        const qsizetype next = finder.toNextBoundary();
        const qsizetype last = next < 0 ? lineText.size() : next;
        return {lineStart + first, lineStart + last};
    }
};

QAccessibleInterface *lineViewFactory(const QString &className, QObject *object)
{
    if (className == QLatin1String(LineView::staticMetaObject.className()) && object && object->isWidgetType())
        return new LineViewAccessible(static_cast<LineView *>(object));
    return nullptr;
}

} // namespace

void installLineViewAccessible()
{
    static const bool installed = [] {
        QAccessible::installFactory(&lineViewFactory);
        return true;
    }();
    Q_UNUSED(installed);
}

} // namespace orv::ui
