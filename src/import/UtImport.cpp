#include "import/UtImport.h"

#include "data/Errors.h"
#include "data/UtDM.h"
#include "history/HistoryLists.h"
#include "import/ImportModel.h"
#include "import/OfxReader.h"
#include "import/QifReader.h"
#include "import/UtCsvColumns.h"
#include "platform/Platform.h"
#include "platform/WaitCursor.h"
#include "ui/Guarded.h"
#include "ui/HelpIds.h"
#include "ui/Modal.h"
#include "ui/Skin.h"
#include "ui/WindowParts.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QProgressDialog>
#include <QPushButton>
#include <QStandardItemModel>
#include <QTableView>
#include <QVBoxLayout>

namespace {

// A long read or save: the wait pointer at first, then, once it takes a moment, a
// progress dialog with a Cancel button that stops it (and the ordinary pointer to reach
// that button with).
class TProgressBox {
public:
    TProgressBox(QWidget* owner, const QString& label) : m_owner(owner), m_label(label) {
        m_wait.emplace();
        m_timer.start();
    }
    TProgress Progress() {
        return [this](qint64 done, qint64 total) {
            if (!m_dialog && m_timer.elapsed() > 300) {
                m_wait.reset();
                m_dialog = std::make_unique<QProgressDialog>(m_label, QStringLiteral("Cancel"), 0,
                                                             1000, m_owner);
                m_dialog->setObjectName(QStringLiteral("dlgProgress"));
                m_dialog->setWindowModality(Qt::WindowModal);
                m_dialog->setMinimumDuration(0);
                m_dialog->setAutoReset(false);
            }
            if (m_dialog) {
                m_dialog->setValue(int(done * 1000 / std::max<qint64>(total, 1)));
                return !m_dialog->wasCanceled();
            }
            return true;
        };
    }

private:
    QWidget* m_owner;
    QString m_label;
    QElapsedTimer m_timer;
    std::optional<TWaitCursor> m_wait;
    std::unique_ptr<QProgressDialog> m_dialog;
};

// "1,234.50": grouped, two decimals, no currency sign.
QString grouped(Money m) {
    const QLocale locale;
    const qint64 cents = m.roundedToCents().raw() / 100;
    const qint64 whole = cents / 100;
    const QString fraction = QStringLiteral("%1").arg(std::abs(cents % 100), 2, 10, QChar(u'0'));
    return locale.toString(std::abs(whole)) + locale.decimalPoint() + fraction;
}

// The size a drop-down list is made at before the layout widens it: wide enough to open
// onto whole names.
const QRect WideList(0, 0, 240, 22);

QString counted(qsizetype n, const char* one, const char* many) {
    return QStringLiteral("%1 %2").arg(n).arg(QLatin1String(n == 1 ? one : many));
}

} // namespace

TFrmImport::TFrmImport(QWidget* parent) : QDialog(parent) {
    buildControls();
    FillAccountList(cbbAccount, false);
    // The headers are no account to import into.
    if (auto* items = qobject_cast<QStandardItemModel*>(cbbAccount->model()))
        for (int i = 0; i < cbbAccount->count(); ++i)
            if (!CboItemAt(cbbAccount, i))
                items->item(i)->setEnabled(false);
    PresetAccount(0);
}

TFrmImport::~TFrmImport() = default;

void TFrmImport::buildControls() {
    setObjectName(QStringLiteral("FrmImport"));
    setWindowTitle(QStringLiteral("Import Statement"));
    QFont bold = font();
    bold.setBold(true);
    setFont(bold);
    resize(940, 520);
    setMinimumSize(640, 380);

    auto* layout = new QVBoxLayout(this);
    auto* top = new QGridLayout;
    // The layouts place the controls, so they are made without a place of their own.
    const QRect placed;
    const auto label = [&](const char* name, const QString& text) {
        return Label(this, name, text, placed);
    };
    top->addWidget(label("lblFile", QStringLiteral("File:")), 0, 0);
    edtFile = new QLineEdit(this);
    edtFile->setObjectName(QStringLiteral("edtFile"));
    edtFile->setReadOnly(true);
    top->addWidget(edtFile, 0, 1, 1, 2);
    btnBrowse = Button(this, "btnBrowse", QStringLiteral("&Browse..."), placed);
    top->addWidget(btnBrowse, 0, 3);
    top->addWidget(label("lblStatement", QStringLiteral("Statement of:")), 1, 0);
    cbbStatementAccount = PickList(this, "cbbStatementAccount", WideList);
    top->addWidget(cbbStatementAccount, 1, 1);
    lblFormat = label("lblFormat", QString());
    top->addWidget(lblFormat, 1, 2);
    btnColumns = Button(this, "btnColumns", QStringLiteral("C&olumns..."), placed);
    top->addWidget(btnColumns, 1, 3);
    top->addWidget(label("lblAccount", QStringLiteral("Import into:")), 2, 0);
    cbbAccount = PickList(this, "cbbAccount", WideList);
    top->addWidget(cbbAccount, 2, 1);
    top->setColumnStretch(1, 1);
    layout->addLayout(top);

    grdLines = new QTableView(this);
    grdLines->setObjectName(QStringLiteral("grdLines"));
    m_model = new TImportModel(grdLines);
    grdLines->setModel(m_model);
    grdLines->setItemDelegateForColumn(TImportModel::colTransfer, new TTransferDelegate(grdLines));
    grdLines->setEditTriggers(QAbstractItemView::AllEditTriggers);
    grdLines->setSelectionBehavior(QAbstractItemView::SelectRows);
    grdLines->setWordWrap(false);
    grdLines->verticalHeader()->hide();
    // Fixed heights and widths: a statement may have a hundred thousand lines.
    grdLines->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    grdLines->verticalHeader()->setDefaultSectionSize(20);
    const int widths[TImportModel::ColumnCount] = {50, 40, 72, 140, 80, 100, 100, 250, 100};
    for (int c = 0; c < TImportModel::ColumnCount; ++c)
        grdLines->setColumnWidth(c, widths[c]);
    grdLines->horizontalHeader()->setStretchLastSection(true);
    layout->addWidget(grdLines, 1);

    auto* bottom = new QHBoxLayout;
    lblSummary = label("lblSummary", QString());
    bottom->addWidget(lblSummary, 1);
    btnHelp = Button(this, "btnHelp", QStringLiteral("&Help"), placed);
    btnOK = Button(this, "btnOK", QStringLiteral("&OK"), placed);
    btnOK->setDefault(true);
    btnCancel = Button(this, "btnCancel", QStringLiteral("&Cancel"), placed);
    for (QPushButton* b : {btnHelp, btnOK, btnCancel})
        bottom->addWidget(b);
    layout->addLayout(bottom);

    SetTabOrder({btnBrowse, cbbStatementAccount, btnColumns, cbbAccount, grdLines, btnHelp, btnOK,
                 btnCancel});
    GuardedConnect(btnBrowse, &QPushButton::clicked, this, &TFrmImport::btnBrowseClick);
    GuardedConnect(btnColumns, &QPushButton::clicked, this, &TFrmImport::btnColumnsClick);
    GuardedConnect(btnOK, &QPushButton::clicked, this, &TFrmImport::btnOKClick);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
    GuardedConnect(cbbAccount, &QComboBox::activated, this, &TFrmImport::cbbAccountChange);
    GuardedConnect(cbbStatementAccount, &QComboBox::activated, this,
                   &TFrmImport::cbbStatementAccountChange);
    GuardedConnect(m_model, &TImportModel::CheckChanged, this, &TFrmImport::updateSummary);
    GuardedConnect(m_model, &TImportModel::TransferChanged, this, &TFrmImport::markRows);
    SetHelpContext(this, HelpIds::IDH_IMPORT, btnHelp);
    ApplySkin(this);
    showStatement(nullptr);
}

void TFrmImport::showError(const QString& text) {
    TDM::ShowErrorMessage(text, this);
}

void TFrmImport::PresetAccount(int id) {
    m_presetId = id;
    int chosen = -1;
    for (int i = 0; i < cbbAccount->count(); ++i) {
        const PCboItem item = CboItemAt(cbbAccount, i);
        if (item && (item->ID == id || (id == 0 && chosen < 0)))
            chosen = i;
        if (item && item->ID == id)
            break;
    }
    cbbAccount->setCurrentIndex(chosen);
    cbbAccountChange();
}

int TFrmImport::TargetId() const {
    const PCboItem item = CboItemAt(cbbAccount, cbbAccount->currentIndex());
    return item ? item->ID : 0;
}

std::optional<ImportStore::TMappingToKeep>
TFrmImport::askMapping(const TCsvTable& table, const QString& fileName, bool always) {
    const QStringList* first = nullptr;
    for (size_t r = 0; r < table.Records.size() && !first; ++r)
        if (table.RecordErrors[r].isEmpty() && table.Records[r].size() > 1)
            first = &table.Records[r];
    if (!first)
        throw EStatementUnreadable{QStringLiteral("The file \"%1\" is not a statement the program "
                                                  "can read: it is neither OFX, QIF nor CSV.")
                                       .arg(fileName)};
    const TCsvGuess guess = GuessCsvMapping(table);
    std::optional<TCsvMapping> mapping;
    if (!always)
        mapping = ImportStore::RememberedMapping(CsvHeaderKey(table, guess.Mapping.HasHeader));
    const auto fits = [&](const TCsvMapping& m) {
        for (int c : {m.DateColumn, m.AmountColumn, m.InColumn, m.OutColumn, m.PartyColumn,
                      m.PurposeColumn, m.MemoColumn})
            if (c >= first->size())
                return false;
        return true;
    };
    if (!mapping || !fits(*mapping)) {
        TFrmCsvColumns frm(this, table, guess);
        if (ShowModal(frm) != mrOK)
            return std::nullopt;
        mapping = frm.Mapping();
    }
    return ImportStore::TMappingToKeep{CsvHeaderKey(table, mapping->HasHeader), *mapping};
}

bool TFrmImport::LoadFile(const QString& path) {
    std::unique_ptr<TStatement> st;
    try {
        TStatementFile file = OpenStatementFile(path);
        TProgressBox box(this, QStringLiteral("Reading %1...").arg(QFileInfo(path).fileName()));
        std::optional<ImportStore::TMappingToKeep> mapping;
        switch (file.Format) {
        case StatementFormat::Ofx:
            st = std::make_unique<TStatement>(ReadOfx(file.Bytes, file.FileName, box.Progress()));
            break;
        case StatementFormat::Qif: {
            TDateGuess dates = GuessDateOrder(QifFieldValues(file.Text, u'D'), LocaleDateOrder());
            if (dates.ambiguous) {
                const auto spelt = [&](DateOrder order) {
                    return QLocale().toString(ParseStatementDate(dates.example, order),
                                              QStringLiteral("d MMMM yyyy"));
                };
                dates.order =
                    ShowMessage(
                        this, QStringLiteral("Query"),
                        QStringLiteral("The dates of this file can be read day first or "
                                       "month first. Does %1 mean %2?\n\nNo reads it "
                                       "as %3.")
                            .arg(dates.example, spelt(DateOrder::DMY), spelt(DateOrder::MDY)),
                        MsgIcon::Question, mbYes | mbNo) == mbYes
                        ? DateOrder::DMY
                        : DateOrder::MDY;
            }
            st = std::make_unique<TStatement>(
                ReadQif(file.Text, dates.order, GuessDecimalSign(QifFieldValues(file.Text, u'T')),
                        box.Progress()));
            break;
        }
        case StatementFormat::Csv: {
            const TCsvTable table =
                ParseCsv(file.Text, GuessCsvSeparator(file.Text), box.Progress());
            mapping = askMapping(table, file.FileName, false);
            if (!mapping)
                return false;
            st = std::make_unique<TStatement>();
            st->Accounts.push_back({});
            st->Lines = CsvLines(table, mapping->Mapping);
            break;
        }
        }
        file.Bytes.clear(); // only a CSV file's text is read again, for its columns
        m_file = std::move(file);
        m_mapping = mapping;
    } catch (const EStatementUnreadable& e) {
        showError(e.Message);
        return false;
    } catch (const EStatementCancelled&) {
        return false;
    }
    edtFile->setText(QDir::toNativeSeparators(m_file.FileName));
    showStatement(std::move(st));
    return true;
}

void TFrmImport::showStatement(std::unique_ptr<TStatement> statement) {
    m_model->SetRows({});
    m_statement = std::move(statement);
    cbbStatementAccount->clear();
    const bool loaded = m_statement != nullptr;
    btnColumns->setVisible(loaded && m_statement->Format == StatementFormat::Csv);
    lblFormat->setText(!loaded                                       ? QString()
                       : m_statement->Format == StatementFormat::Ofx ? QStringLiteral("OFX")
                       : m_statement->Format == StatementFormat::Qif ? QStringLiteral("QIF")
                                                                     : QStringLiteral("CSV"));
    if (loaded)
        for (const TStatementAccount& a : m_statement->Accounts) {
            QStringList parts{a.Name, a.Id};
            parts.removeAll(QString());
            cbbStatementAccount->addItem(parts.isEmpty() ? QStringLiteral("(the file's account)")
                                                         : parts.join(u' '));
        }
    cbbStatementAccount->setEnabled(cbbStatementAccount->count() > 1);
    cbbStatementAccountChange();
}

void TFrmImport::cbbStatementAccountChange() {
    if (!m_statement) {
        updateSummary();
        return;
    }
    m_model->SetRows(RowsFor(*m_statement, std::max(0, cbbStatementAccount->currentIndex())));
    markRows();
}

void TFrmImport::fillSides() {
    const int target = TargetId();
    QVector<TImportModel::Side> sides;
    TQuery& q = TDM::FreshQuery();
    q.SQL << QStringLiteral("select ID, [name] from Account order by type");
    q.Open();
    for (; !q.Eof(); q.Next())
        if (q.Field(0).AsInteger() != target)
            sides.push_back({q.Field(0).AsInteger(), q.Field(1).AsString()});
    q.Close();
    m_model->SetSides(sides);
    for (TImportRow& r : m_model->Rows())
        if (r.TransferWith == target)
            r.TransferWith = 0;
}

void TFrmImport::cbbAccountChange() {
    fillSides();
    markRows();
}

void TFrmImport::markRows() {
    if (TargetId() != 0 && !m_model->Rows().empty()) {
        TProgressBox box(this, QStringLiteral("Looking for duplicates..."));
        try {
            ImportStore::MarkDuplicates(TargetId(), m_model->Rows(), box.Progress());
        } catch (const EStatementCancelled&) {
            // The marks of the lines not reached stay as they were.
        }
    }
    m_model->RowsChanged();
    updateSummary();
}

void TFrmImport::updateSummary() {
    qsizetype fresh = 0, duplicates = 0, errors = 0;
    Money in, out;
    for (const TImportRow& r : m_model->Rows()) {
        (r.State == RowState::New ? fresh : r.State == RowState::Duplicate ? duplicates : errors)++;
        if (r.Checked && r.State != RowState::Error)
            (r.Line->Amount < Money() ? out : in) =
                (r.Line->Amount < Money() ? out : in).saturatingAdd(r.Line->Amount);
    }
    lblSummary->setText(
        !m_statement
            ? QString()
            : QStringLiteral("%1, %2, %3; +%4 \u2212%5")
                  .arg(counted(fresh, "new", "new"), counted(duplicates, "duplicate", "duplicates"),
                       counted(errors, "error", "errors"), grouped(in), grouped(out)));
}

void TFrmImport::btnBrowseClick() {
    OpenDialogRequest request;
    request.filter = QStringLiteral("Statements (*.csv *.ofx *.qfx *.qif)|*.csv *.ofx *.qfx *.qif|"
                                    "All files (*)|*");
    request.fileName = m_file.FileName;
    const OpenDialogResult chosen = ShowOpenDialog(this, request);
    if (chosen.accepted)
        LoadFile(chosen.fileName);
}

void TFrmImport::btnColumnsClick() {
    if (!m_statement || m_statement->Format != StatementFormat::Csv)
        return;
    try {
        const TCsvTable table = ParseCsv(m_file.Text, GuessCsvSeparator(m_file.Text));
        const std::optional<ImportStore::TMappingToKeep> mapping =
            askMapping(table, m_file.FileName, true);
        if (!mapping)
            return;
        m_mapping = mapping;
        auto st = std::make_unique<TStatement>();
        st->Accounts.push_back({});
        st->Lines = CsvLines(table, mapping->Mapping);
        showStatement(std::move(st));
    } catch (const EStatementUnreadable& e) {
        showError(e.Message);
    }
}

void TFrmImport::btnOKClick() {
    if (!m_statement)
        return showError(QStringLiteral("Please choose the statement file to import."));
    if (TargetId() == 0)
        return showError(QStringLiteral("Please choose the account or wallet to import into."));
    TProgressBox box(this, QStringLiteral("Importing..."));
    try {
        ImportStore::Save(TargetId(), m_model->Rows(), m_mapping, box.Progress());
        accept();
    } catch (const EStatementCancelled&) {
        showError(QStringLiteral("The import was cancelled. Nothing was written."));
    } catch (const ImportStore::ESaveRefused& e) {
        showError(e.Message);
    } catch (const EBudgetError& e) {
        QString why = e.message();
        if (!why.endsWith(u'.'))
            why += u'.';
        showError(QStringLiteral("The statement could not be imported: %1 Nothing was written.")
                      .arg(why));
    }
}
