#include "dialogs/frmhandbuch.h"

#include "services/launchers.h"
#include "ui/widgets.h"

#include <QApplication>
#include <QFile>
#include <QGridLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QRegularExpression>
#include <QScrollBar>
#include <QShortcut>
#include <QSplitter>
#include <QStyle>
#include <QTextCursor>
#include <QTextDocumentFragment>
#include <QToolButton>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>

namespace orv::dialogs {

namespace {

QString pageText(const QString &file)
{
    QFile f(file);
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

QString plainTitle(const QString &html) { return QTextDocumentFragment::fromHtml(html).toPlainText().simplified(); }

QToolButton *toolButton(QWidget *parent, const char *name, const QString &text, QStyle::StandardPixmap icon)
{
    auto *b = new QToolButton(parent);
    b->setObjectName(QLatin1String(name));
    b->setText(text);
    b->setIcon(parent->style()->standardIcon(icon));
    b->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    return b;
}

} // namespace

QVariant HandbookBrowser::loadResource(int type, const QUrl &name)
{
    if (type != QTextDocument::HtmlResource || !name.isLocalFile())
        return QTextBrowser::loadResource(type, name);
    // The rich text engine scrolls to named anchors only, not to an element's id.
    static const QRegularExpression ids(QStringLiteral(R"re(<(section|h[1-6])\b([^>]*?)\s+id="([^"]+)")re"));
    QString text = pageText(name.toLocalFile());
    text.replace(ids, QStringLiteral(R"re(<a name="\3"></a><\1\2)re"));
    // Nor does it know figures: as blocks, a picture stands below its heading,
    // with its own height as the line's (the page's line height would add half of it).
    text.replace(QLatin1String("<figure>"), QLatin1String("<div style=\"line-height: 100%\">"));
    text.replace(QLatin1String("</figure>"), QLatin1String("</div>"));
    text.replace(QLatin1String("<figcaption>"), QLatin1String("<p><small>"));
    text.replace(QLatin1String("</figcaption>"), QLatin1String("</small></p>"));
    return text;
}

FrmHandbuch::FrmHandbuch(const QString &page, QWidget *parent) : QWidget(parent, Qt::Window), m_page(page)
{
    setObjectName(QStringLiteral("frmHandbuch"));
    setWindowTitle(QStringLiteral("ORV – Handbuch"));
    setAttribute(Qt::WA_QuitOnClose, false);

    QToolButton *cmdZurueck = toolButton(this, "cmdZurueck", QStringLiteral("&Zurück"), QStyle::SP_ArrowBack);
    QToolButton *cmdVor = toolButton(this, "cmdVor", QStringLiteral("&Vor"), QStyle::SP_ArrowForward);
    cmdZurueck->setShortcut(QKeySequence::Back);
    cmdVor->setShortcut(QKeySequence::Forward);
    cmdZurueck->setEnabled(false);
    cmdVor->setEnabled(false);
    auto *lblSuchen = new QLabel(QStringLiteral("&Suchen:"), this);
    txtSuchen = new QLineEdit(this);
    txtSuchen->setObjectName(QStringLiteral("txtSuchen"));
    ui::labelField(lblSuchen, txtSuchen);
    auto *cmdWeiter = new QPushButton(QStringLiteral("&Weitersuchen"), this);
    cmdWeiter->setObjectName(QStringLiteral("cmdWeitersuchen"));
    auto *cmdBrowser = new QPushButton(QStringLiteral("Im &Browser öffnen"), this);
    cmdBrowser->setObjectName(QStringLiteral("cmdBrowser"));

    lstKapitel = new QTreeWidget(this);
    lstKapitel->setObjectName(QStringLiteral("lstKapitel"));
    lstKapitel->header()->hide();
    ui::nameField(lstKapitel, QStringLiteral("Kapitel"));
    txtHandbuch = new HandbookBrowser(this);
    txtHandbuch->setObjectName(QStringLiteral("txtHandbuch"));
    ui::nameField(txtHandbuch, QStringLiteral("Handbuch"));
    auto *split = new QSplitter(this);
    split->addWidget(lstKapitel);
    split->addWidget(txtHandbuch);
    split->setStretchFactor(1, 1);
    split->setSizes({280, 720});
    lblSuche = new QLabel(this);
    lblSuche->setObjectName(QStringLiteral("lblSuche"));

    auto *grid = new QGridLayout(this);
    auto *bar = new QHBoxLayout;
    bar->addWidget(cmdZurueck);
    bar->addWidget(cmdVor);
    bar->addSpacing(12);
    bar->addWidget(lblSuchen);
    bar->addWidget(txtSuchen, 1);
    bar->addWidget(cmdWeiter);
    bar->addStretch();
    bar->addWidget(cmdBrowser);
    grid->addLayout(bar, 0, 0);
    grid->addWidget(split, 1, 0);
    grid->addWidget(lblSuche, 2, 0);
    grid->setRowStretch(1, 1);

    connect(cmdZurueck, &QToolButton::clicked, txtHandbuch, &QTextBrowser::backward);
    connect(cmdVor, &QToolButton::clicked, txtHandbuch, &QTextBrowser::forward);
    connect(txtHandbuch, &QTextBrowser::backwardAvailable, cmdZurueck, &QToolButton::setEnabled);
    connect(txtHandbuch, &QTextBrowser::forwardAvailable, cmdVor, &QToolButton::setEnabled);
    connect(txtHandbuch, &QTextBrowser::sourceChanged, this, &FrmHandbuch::markChapter);
    connect(lstKapitel, &QTreeWidget::itemActivated, this, &FrmHandbuch::chapterChosen);
    connect(lstKapitel, &QTreeWidget::itemClicked, this, &FrmHandbuch::chapterChosen);
    connect(txtSuchen, &QLineEdit::returnPressed, this, &FrmHandbuch::findNext);
    connect(cmdWeiter, &QPushButton::clicked, this, &FrmHandbuch::findNext);
    connect(cmdBrowser, &QPushButton::clicked, this, [this] { services::showHandbookInBrowser(this, shownChapter()); });
    connect(new QShortcut(QKeySequence::Find, this), &QShortcut::activated, txtSuchen,
            [this] { txtSuchen->setFocus(Qt::ShortcutFocusReason); });
    connect(new QShortcut(QKeySequence::FindNext, this), &QShortcut::activated, this, &FrmHandbuch::findNext);
    connect(new QShortcut(Qt::Key_Escape, this), &QShortcut::activated, this, &QWidget::close);

    buildChapters();
    txtHandbuch->setSource(QUrl::fromLocalFile(m_page));
    ui::sizeForReading(this, QSize(1100, 800));
}

void FrmHandbuch::buildChapters()
{
    // The handbook's own structure: a section with its h2 per chapter, h3 with an id below.
    static const QRegularExpression heads(
        QStringLiteral(R"re(<section id="([^"]+)">\s*<h2[^>]*>(.*?)</h2>|<h3 id="([^"]+)"[^>]*>(.*?)</h3>)re"),
        QRegularExpression::DotMatchesEverythingOption);
    QTreeWidgetItem *chapter = nullptr;
    for (auto it = heads.globalMatch(pageText(m_page)); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        const bool top = !m.captured(1).isEmpty();
        const QString title = plainTitle(top ? m.captured(2) : m.captured(4));
        QTreeWidgetItem *item = top || !chapter ? new QTreeWidgetItem(lstKapitel) : new QTreeWidgetItem(chapter);
        item->setText(0, title);
        item->setData(0, Qt::UserRole, top ? m.captured(1) : m.captured(3));
        if (top)
            chapter = item;
    }
}

void FrmHandbuch::chapterChosen(QTreeWidgetItem *item)
{
    if (item)
        showChapter(item->data(0, Qt::UserRole).toString());
}

void FrmHandbuch::showChapter(const QString &anchor)
{
    QUrl url = QUrl::fromLocalFile(m_page);
    if (!anchor.isEmpty())
        url.setFragment(anchor);
    if (txtHandbuch->source() == url)
        txtHandbuch->scrollToAnchor(anchor); // scrolled away meanwhile
    else
        txtHandbuch->setSource(url);
    if (anchor.isEmpty())
        txtHandbuch->verticalScrollBar()->setValue(0);
}

QString FrmHandbuch::shownChapter() const { return txtHandbuch->source().fragment(); }

void FrmHandbuch::markChapter(const QUrl &source)
{
    const QString anchor = source.fragment();
    for (QTreeWidgetItemIterator it(lstKapitel); *it; ++it)
        if ((*it)->data(0, Qt::UserRole).toString() == anchor) {
            lstKapitel->setCurrentItem(*it);
            return;
        }
}

bool FrmHandbuch::findNext()
{
    const QString text = txtSuchen->text().trimmed();
    lblSuche->clear();
    if (text.isEmpty())
        return false;
    if (txtHandbuch->find(text))
        return true;
    // From the top once more, as a reader expects after the last hit.
    QTextCursor top = txtHandbuch->textCursor();
    top.movePosition(QTextCursor::Start);
    txtHandbuch->setTextCursor(top);
    if (txtHandbuch->find(text))
        return true;
    lblSuche->setText(QStringLiteral("„%1“ steht nicht im Handbuch.").arg(text));
    return false;
}

void showHelp(QWidget *from)
{
    const QString page = services::handbookFile();
    if (page.isEmpty()) {
        services::tellHandbookMissing(from);
        return;
    }
    static QPointer<FrmHandbuch> window;
    QWidget *owner = QApplication::activeModalWidget();
    if (!owner && from)
        owner = from->window();
    if (window && owner == window) { // pressed in the help window itself
        window->raise();
        return;
    }
    if (!window)
        window = new FrmHandbuch(page, owner);
    else if (window->parentWidget() != owner)
        window->setParent(owner, Qt::Window);
    window->showChapter(ui::helpChapterOf(from));
    window->show();
    window->raise();
    window->activateWindow();
}

namespace {

// F1 goes to the help before any shortcut: the widget with the focus tells the chapter.
class HelpKey : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        const QEvent::Type type = event->type();
        if ((type != QEvent::ShortcutOverride && type != QEvent::KeyPress) || !watched->isWidgetType())
            return false;
        const auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() != Qt::Key_F1 || key->modifiers() != Qt::NoModifier)
            return false;
        event->accept();
        if (type == QEvent::KeyPress)
            showHelp(static_cast<QWidget *>(watched));
        return true;
    }
};

} // namespace

void installHelpKey()
{
    static QPointer<HelpKey> key;
    if (!key && qApp) {
        key = new HelpKey(qApp);
        qApp->installEventFilter(key);
    }
}

} // namespace orv::dialogs
