#include "ui/widgets.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QScreen>

#include <cmath>

namespace orv::ui {

void labelField(QLabel *label, QWidget *field)
{
    label->setBuddy(field);
    QString name = label->text();
    name.replace(QLatin1String("&&"), QString(QChar(0xFFFF))).remove(u'&').replace(QChar(0xFFFF), u'&');
    name = name.trimmed();
    if (name.endsWith(u':'))
        name.chop(1);
    nameField(field, name);
}

void nameField(QWidget *field, const QString &name)
{
    field->setAccessibleName(name);
    if (auto *combo = qobject_cast<QComboBox *>(field); combo && combo->lineEdit())
        combo->lineEdit()->setAccessibleName(name);
}

QFont fixedPitchFont(double points)
{
    QFont f(QStringLiteral("Courier New"));
    f.setStyleHint(QFont::Monospace);
    f.setFixedPitch(true);
    f.setPointSizeF(points);
    return f;
}

QFont headingFont(double points, bool bold)
{
    QFont f(QStringLiteral("Arial"));
    f.setStyleHint(QFont::SansSerif);
    f.setPointSizeF(points);
    f.setBold(bold);
    return f;
}

QFont fontByName(const QString &family, double points)
{
    if (family == QLatin1String("Courier New"))
        return fixedPitchFont(points);
    if (family == QLatin1String("Arial"))
        return headingFont(points);
    QFont f(family);
    f.setPointSizeF(points);
    return f;
}

void keepTypedText(QComboBox *combo)
{
    combo->setEditable(true);
    combo->setInsertPolicy(QComboBox::NoInsert);
    combo->setCompleter(nullptr);
    // Leaving the box would otherwise turn a typed "it" into the list's "IT".
    QObject::disconnect(combo->lineEdit(), &QLineEdit::editingFinished, combo, nullptr);
    // A chosen list value (fixed width, ending in blanks) shows its beginning.
    QObject::connect(combo, &QComboBox::currentIndexChanged, combo->lineEdit(),
                     [edit = combo->lineEdit()] { edit->setCursorPosition(0); });
}

void paintLogo(QPainter &painter, const QRectF &rect)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    const double s = qMin(rect.width(), rect.height());
    const QPointF centre(rect.left() + s / 2, rect.top() + s / 2);
    // A blue ring round a blue disc with the program's name, as the About
    // window's animation ends (96 units: ring radius 38, width 9; disc 29).
    const QColor blue(0x1f, 0x4e, 0x8c);
    const double unit = s / 96.0;
    painter.setPen(QPen(blue, 9 * unit));
    painter.setBrush(Qt::NoBrush);
    painter.drawEllipse(centre, 38 * unit, 38 * unit);
    painter.setPen(Qt::NoPen);
    painter.setBrush(blue);
    painter.drawEllipse(centre, 29 * unit, 29 * unit);
    QFont f = headingFont(10, true);
    f.setPixelSize(qMax(1, int(std::lround(20 * unit))));
    painter.setFont(f);
    painter.setPen(Qt::white);
    const QRectF inner(centre.x() - 29 * unit, centre.y() - 29 * unit, 58 * unit, 58 * unit);
    painter.drawText(inner, Qt::AlignCenter, QStringLiteral("ORV"));
    painter.restore();
}

QPixmap logoPixmap(int size)
{
    QPixmap pm(size, size);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    paintLogo(p, QRectF(0, 0, size, size));
    return pm;
}

BusyPointer::BusyPointer() { QApplication::setOverrideCursor(Qt::WaitCursor); }
BusyPointer::~BusyPointer() { restore(); }

void BusyPointer::restore()
{
    if (m_on) {
        QApplication::restoreOverrideCursor();
        m_on = false;
    }
}

NormalPointer::NormalPointer()
{
    while (QApplication::overrideCursor()) {
        QApplication::restoreOverrideCursor();
        ++m_lifted;
    }
}

NormalPointer::~NormalPointer()
{
    for (int i = 0; i < m_lifted; ++i)
        QApplication::setOverrideCursor(Qt::WaitCursor);
}

namespace {
constexpr char kHelpChapter[] = "orvHilfe";
} // namespace

void setHelpChapter(QWidget *window, const char *anchor)
{
    window->setProperty(kHelpChapter, QString::fromLatin1(anchor));
}

QString helpChapterOf(const QWidget *widget)
{
    for (; widget; widget = widget->parentWidget())
        if (const QVariant v = widget->property(kHelpChapter); v.isValid())
            return v.toString();
    return {};
}

void sizeForReading(QWidget *dialog, const QSize &wanted)
{
    const QWidget *over = dialog->parentWidget() ? dialog->parentWidget() : dialog;
    const QScreen *screen = over->screen() ? over->screen() : QGuiApplication::primaryScreen();
    QSize room = wanted;
    if (screen)
        room = room.boundedTo(screen->availableGeometry().size() * 0.9);
    dialog->resize(room.expandedTo(dialog->minimumSizeHint()));
}

} // namespace orv::ui
