#include "search/frmseek.h"

#include "data/format.h"
#include "data/recordset.h"
#include "search/seekresultmodel.h"
#include "services/settings.h"
#include "ui/prompter.h"
#include "ui/twips.h"
#include "ui/widgets.h"

#include <QApplication>
#include <QCheckBox>
#include <QEvent>
#include <QFont>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>
#include <stdexcept>

namespace orv::search {

namespace {

// Restores the normal mouse pointer however the search ends.
class Hourglass {
public:
    Hourglass() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~Hourglass() { QApplication::restoreOverrideCursor(); }
    Hourglass(const Hourglass &) = delete;
    Hourglass &operator=(const Hourglass &) = delete;
};

struct BadLayout : std::runtime_error {
    using std::runtime_error::runtime_error;
};

const SeekField &entry(const SeekLayout &fields, int k)
{
    if (k < 0 || k >= fields.size())
        throw BadLayout("search field without layout entry");
    return fields.at(k);
}

LineLayout lineLayout(const data::RecordSet &rows, const SeekField &field)
{
    LineLayout layout;
    for (const SeekColumn &shown : field.columns) {
        const int c = rows.columnIndex(shown.name);
        if (c < 0 || shown.gap < 0)
            throw BadLayout("unknown column or bad gap");
        layout.columns.push_back(c);
        layout.gaps.push_back(shown.gap);
    }
    return layout;
}

} // namespace

FrmSeek::FrmSeek(QWidget *parent) : QDialog(parent), m_model(new SeekResultModel(this))
{
    setObjectName(QStringLiteral("frmSeek"));
    ui::setHelpChapter(this, "suchen");
    setWindowTitle(QStringLiteral("Suchen"));
    buildControls();

    SeekPosition = 0;
    cmdOK->setEnabled(false);
    chkVolltext->setChecked(services::settings::isOn(services::settings::Switch::TextSeek));
    updateSeekEnabled();
    makeDefault(cmdSeek);

    connect(lstFields, &QListWidget::currentRowChanged, this, [this] { updateSeekEnabled(); });
    connect(txtExpression, &QLineEdit::textChanged, this, [this] { updateSeekEnabled(); });
    connect(cmdSeek, &QPushButton::clicked, this, [this] { seek(); });
    connect(cmdOK, &QPushButton::clicked, this, [this] { choose(); });
    connect(cmdCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(lstResult, &QListView::doubleClicked, this, [this](const QModelIndex &index) {
        if (index.isValid())
            choose();
    });
    txtExpression->installEventFilter(this);
}

FrmSeek::~FrmSeek() = default;

void FrmSeek::buildControls()
{
    const QFont fixed = ui::fixedPitchFont(9);

    lblSuchfeld = new QLabel(QStringLiteral("Suchfeld"), this);
    lblSuchfeld->setObjectName(QStringLiteral("lblSuchfeld"));
    lstFields = new QListWidget(this);
    lstFields->setObjectName(QStringLiteral("lstFields"));
    lstFields->setFont(fixed);
    lstFields->setFixedHeight(ui::twipsToPixels(1400));
    lstFields->setFixedWidth(ui::twipsToPixels(2400));
    lblSuchfeld->setBuddy(lstFields);

    lblEingabe = new QLabel(QStringLiteral("&Eingabe"), this);
    lblEingabe->setObjectName(QStringLiteral("lblEingabe"));
    txtExpression = new QLineEdit(this);
    txtExpression->setObjectName(QStringLiteral("txtExpression"));
    txtExpression->setFont(fixed);
    lblEingabe->setBuddy(txtExpression);
    chkVolltext = new QCheckBox(QStringLiteral("&Volltext"), this);
    chkVolltext->setObjectName(QStringLiteral("chkVolltext"));
    cmdSeek = new QPushButton(QStringLiteral("&Suchen"), this);
    cmdSeek->setObjectName(QStringLiteral("cmdSeek"));

    lblUeberschrift = new QLineEdit(this);
    lblUeberschrift->setObjectName(QStringLiteral("lblUeberschrift"));
    lblUeberschrift->setFont(fixed);
    lblUeberschrift->setReadOnly(true);
    lblUeberschrift->setFocusPolicy(Qt::NoFocus);
    lstResult = new QListView(this);
    lstResult->setObjectName(QStringLiteral("lstResult"));
    lstResult->setFont(fixed);
    lstResult->setModel(m_model);
    // Every line has the same height: the view then never asks for lines it does not show.
    lstResult->setUniformItemSizes(true);
    lstResult->setEditTriggers(QAbstractItemView::NoEditTriggers);
    lstResult->setSelectionMode(QAbstractItemView::SingleSelection);

    cmdOK = new QPushButton(QStringLiteral("&OK"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdCancel = new QPushButton(QStringLiteral("A&bbrechen"), this);
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    // The default button is set by the dialog's own rules, not by the focus.
    for (QPushButton *b : {cmdSeek, cmdOK, cmdCancel})
        b->setAutoDefault(false);
    arrangeControls();
}

void FrmSeek::arrangeControls()
{
    auto *fieldsBox = new QVBoxLayout;
    fieldsBox->addWidget(lblSuchfeld);
    fieldsBox->addWidget(lstFields);
    auto *inputBox = new QVBoxLayout;
    inputBox->addWidget(lblEingabe);
    auto *inputRow = new QHBoxLayout;
    inputRow->addWidget(txtExpression, 1);
    inputRow->addWidget(cmdSeek);
    inputBox->addLayout(inputRow);
    inputBox->addWidget(chkVolltext);
    inputBox->addStretch(1);
    auto *top = new QHBoxLayout;
    top->addLayout(fieldsBox);
    top->addLayout(inputBox, 1);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(cmdOK);
    buttons->addWidget(cmdCancel);

    auto *main = new QVBoxLayout(this);
    main->addLayout(top);
    main->addWidget(lblUeberschrift);
    main->addWidget(lstResult, 1);
    main->addLayout(buttons);

    resize(ui::twipsToPixels(13500), ui::twipsToPixels(7000));
    setTabOrder(lstFields, txtExpression);
    setTabOrder(txtExpression, chkVolltext);
    setTabOrder(chkVolltext, cmdSeek);
    setTabOrder(cmdSeek, lstResult);
    setTabOrder(lstResult, cmdOK);
    setTabOrder(cmdOK, cmdCancel);
    // The user types the search text first; the field list keeps its choice.
    txtExpression->setFocus();
}

bool FrmSeek::eventFilter(QObject *watched, QEvent *event)
{
    // Back in the expression, Enter starts a search again.
    if (watched == txtExpression && event->type() == QEvent::FocusIn)
        makeDefault(cmdSeek);
    return QDialog::eventFilter(watched, event);
}

void FrmSeek::makeDefault(QPushButton *button)
{
    for (QPushButton *b : {cmdSeek, cmdOK, cmdCancel})
        b->setDefault(b == button);
}

void FrmSeek::updateSeekEnabled()
{
    const QListWidgetItem *field = lstFields->currentItem();
    cmdSeek->setEnabled(field && !field->text().isEmpty() && !txtExpression->text().isEmpty());
}

void FrmSeek::setSearchFields(const SeekLayout &fields)
{
    m_fields = fields;
    lstFields->clear();
    for (const SeekField &f : fields)
        lstFields->addItem(f.caption);
    if (lstFields->count() > 0)
        lstFields->setCurrentRow(0);
}

// The positions of the rows that match the expression in `field`, in the
// order of the set; those found before a failure stay in `found`.
void FrmSeek::collectMatches(data::RecordSet &rows, const QString &field, std::vector<int> &found)
{
    const QString expression = txtExpression->text();
    rows.moveFirst();
    if (expression == QLatin1String("*")) {
        found.reserve(size_t(rows.recordCount()));
        for (; !rows.eof(); rows.moveNext())
            found.push_back(rows.bookmark());
    } else {
        data::Criterion criterion;
        if (lstFields->currentItem()->text().contains(QLatin1String("Datum"))) {
            const std::optional<QDate> date = data::parseDate(expression);
            if (!date)
                throw BadLayout("not a date");
            criterion = data::Criterion::dateEquals(field, *date);
        } else if (chkVolltext->isChecked()) {
            criterion = data::Criterion::contains(field, expression);
        } else {
            criterion = data::Criterion::equals(field, expression);
        }
        while (rows.find(criterion)) {
            found.push_back(rows.bookmark());
            rows.moveNext();
        }
    }
}

void FrmSeek::seek()
{
    cmdOK->setEnabled(false);
    m_model->clear();
    std::vector<int> found;
    LineLayout layout;
    bool failed = false;
    {
        Hourglass hourglass;
        try {
            if (!SeekRecordset)
                throw BadLayout("no record set");
            data::RecordSet &rows = *SeekRecordset;
            const int k = lstFields->currentRow();
            const SeekField &chosen = entry(m_fields, k);
            lblUeberschrift->setText(chosen.heading);
            layout = lineLayout(rows, chosen);
            const QString field = chosen.field;
            if (rows.columnIndex(field) < 0)
                throw BadLayout("unknown search column");

            collectMatches(rows, field, found);
        } catch (const std::exception &) {
            failed = true;
        }
    }
    // Rows found before a failure stay listed.
    if (!found.empty())
        m_model->setResult(SeekRecordset, layout, std::move(found));
    if (failed) {
        searchFailed();
        return;
    }
    if (m_model->rowCount() == 0) {
        ui::inform(this, QStringLiteral("Keine entsprechenden Datensätze gefunden!"), QStringLiteral("Suchergebnis"),
                   ui::Icon::Exclamation);
        return;
    }
    lstResult->setCurrentIndex(m_model->index(0));
    lstResult->setFocus();
    cmdOK->setEnabled(true);
    makeDefault(cmdOK);
}

void FrmSeek::searchFailed()
{
    ui::inform(this, QStringLiteral("Die Eingabe ist fehlerhaft!"), QStringLiteral("Error"), ui::Icon::Exclamation);
    txtExpression->setFocus();
    makeDefault(cmdSeek);
}

void FrmSeek::choose()
{
    const QModelIndex current = lstResult->currentIndex();
    if (!current.isValid())
        return;
    SeekPosition = m_model->position(current.row());
    accept();
}

} // namespace orv::search
