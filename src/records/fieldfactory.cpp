#include "records/fieldfactory.h"

#include "data/format.h"
#include "data/recordset.h"
#include "data/valuelists.h"
#include "ui/textlimit.h"
#include "ui/widgets.h"

#include <QComboBox>
#include <QFontMetrics>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>
#include <QStyle>
#include <QToolButton>

namespace orv::records::fields {
namespace {

int widthFor(const QFont &font, int chars)
{
    // Room for the frame and the caret beside the characters.
    return QFontMetrics(font).horizontalAdvance(QString(chars, QLatin1Char('M'))) + 12;
}

// Disabled fields (keys of stored rows, master data) stay readable: dark text on grey.
void keepReadableWhenDisabled(QWidget *w)
{
    QPalette pal = w->palette();
    for (QPalette::ColorRole role : {QPalette::Text, QPalette::ButtonText, QPalette::WindowText})
        pal.setColor(QPalette::Disabled, role, pal.color(QPalette::Active, role));
    pal.setColor(QPalette::Disabled, QPalette::Base, pal.color(QPalette::Active, QPalette::Window));
    w->setPalette(pal);
}

} // namespace

void showFromStart(QWidget *field)
{
    if (auto *cb = qobject_cast<QComboBox *>(field))
        field = cb->lineEdit();
    if (auto *le = qobject_cast<QLineEdit *>(field))
        le->setCursorPosition(0);
}

QFont fieldFont() { return ui::fixedPitchFont(9); }

QLineEdit *makeField(QWidget *parent, int index, int maxLength, int widthChars, bool rightAligned)
{
    auto *le = new QLineEdit(parent);
    le->setObjectName(QStringLiteral("txtFields(%1)").arg(index));
    le->setFont(fieldFont());
    ui::limitLength(le, maxLength);
    keepReadableWhenDisabled(le);
    if (rightAligned)
        le->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    if (widthChars > 0)
        le->setFixedWidth(widthFor(le->font(), widthChars));
    return le;
}

QComboBox *makeCombo(QWidget *parent, const QString &name, const QStringList &items, int widthChars)
{
    auto *cb = new QComboBox(parent);
    cb->setObjectName(name);
    cb->setFont(fieldFont());
    ui::keepTypedText(cb);
    keepReadableWhenDisabled(cb);
    cb->addItems(items);
    cb->setCurrentIndex(-1);
    cb->setEditText(QString());
    if (widthChars > 0) {
        cb->setFixedWidth(widthFor(cb->font(), widthChars) + 20);
    } else {
        // Stretches with the window; the padded items must not widen it.
        cb->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
        cb->setMinimumContentsLength(20);
    }
    return cb;
}

QLabel *makeLabel(QWidget *parent, const QString &text, QWidget *buddy)
{
    auto *l = new QLabel(text, parent);
    l->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    if (buddy)
        ui::labelField(l, buddy);
    return l;
}

QToolButton *makePictureButton(QWidget *parent, const QString &name, const QString &icon, const QString &toolTip)
{
    auto *b = new QToolButton(parent);
    b->setObjectName(name);
    b->setIcon(QIcon(QStringLiteral(":/records-icons/%1.svg").arg(icon)));
    b->setToolTip(toolTip);
    b->setAutoRaise(false);
    b->setFocusPolicy(Qt::TabFocus);
    return b;
}

QString numberText(const data::RecordSet &rows, const char *column, int decimals)
{
    const QString col = QLatin1String(column);
    return rows.isNull(col) ? QString() : data::formatNumber(rows.number(col), decimals);
}

} // namespace orv::records::fields
