#include "lists/ui/macrochangeform.h"

#include "app/logic/user_error.h"
#include "app/ui/dialog_opening.h"
#include "app/ui/prompts.h"
#include "lists/ui/conversion_grid.h"
#include "lists/ui/name_box.h"

#include <QApplication>
#include <QComboBox>
#include <QHeaderView>
#include <QPushButton>
#include <QShowEvent>

namespace zorvan {

TFormMacroChenge::TFormMacroChenge(lists::ListFileLookup lookup, QWidget* parent)
    : QDialog(parent), lookup_(std::move(lookup))
{
    setObjectName("FormMacroChenge");
    setWindowTitle(QStringLiteral("マック　笑顔  \\0"));
    setFixedDialogFrame(this);
    QFont font(QStringLiteral("ＭＳ Ｐゴシック"));
    font.setPixelSize(12);
    setFont(font);
    setFixedSize(247, 390);

    auto button = [this](const char* name, const QString& text, int x, int y, int w, int h) {
        auto* b = new QPushButton(text, this);
        b->setObjectName(name);
        b->setGeometry(x, y, w, h);
        return b;
    };
    BitBtn1 = button("BitBtn1", "OK", 24, 360, 81, 25);
    BitBtn1->setDefault(true);
    BitBtn2 = button("BitBtn2", QStringLiteral("キャンセル"), 128, 360, 81, 25);
    Button1 = button("Button1", "Add", 200, 0, 41, 17);
    Button2 = button("Button2", "Del", 200, 24, 41, 17);
    ComboBox1 = new QComboBox(this);
    ComboBox1->setObjectName("ComboBox1");
    ComboBox1->setEditable(true);
    ComboBox1->setInsertPolicy(QComboBox::NoInsert);
    ComboBox1->setGeometry(8, 8, 185, 20);
    StringGrid1 = new ConversionGrid(4, 3, this);
    StringGrid1->setObjectName("StringGrid1");
    StringGrid1->setGeometry(8, 48, 233, 281);
    StringGrid1->verticalHeader()->hide();
    StringGrid1->verticalHeader()->setDefaultSectionSize(20);
    StringGrid1->setShowGrid(true);
    Button3 = button("Button3", "+", 8, 336, 75, 17);
    Button4 = button("Button4", "-", 88, 336, 73, 17);
    Button5 = button("Button5", "Clear", 176, 336, 41, 17);
    QWidget* order[] = {BitBtn1, BitBtn2, Button1, Button2, ComboBox1, StringGrid1, Button3, Button4, Button5};
    for (std::size_t i = 0; i + 1 < std::size(order); ++i)
        setTabOrder(order[i], order[i + 1]);

    connect(ComboBox1, &QComboBox::activated, this, [this](int index) { ComboBox1Select(index); });
    connect(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
    connect(Button2, &QPushButton::clicked, this, [this] { Button2Click(); });
    connect(Button3, &QPushButton::clicked, this, [this] { Button3Click(); });
    connect(Button4, &QPushButton::clicked, this, [this] { Button4Click(); });
    connect(Button5, &QPushButton::clicked, this, [this] { Button5Click(); });
    connect(BitBtn1, &QPushButton::clicked, this, [this] { runGuarded(this, [this] { BitBtn1Click(); }); });
    connect(BitBtn2, &QPushButton::clicked, this, &QDialog::reject);
    focusWatch_ = connect(qApp, &QApplication::focusChanged, this, [this](QWidget* old, QWidget* now) {
        if (isVisible() && StringGrid1->holds(old) && !StringGrid1->holds(now) && now && now->window() == this)
            StringGrid1Exit();
    });
}

// The base class's destructor hides a shown window, which moves the focus; by then this window's
// own members are gone, so it must no longer hear of focus changes.
TFormMacroChenge::~TFormMacroChenge() { disconnect(focusWatch_); }

void TFormMacroChenge::showEvent(QShowEvent* event)
{
    // Only when the window is opened: the show event of a restore from minimised (spontaneous,
    // from the window system) must not reload the file over what the user typed.
    if (!event->spontaneous())
        FormShow();
    QDialog::showEvent(event);
}

int TFormMacroChenge::dataRowCount() const { return StringGrid1->rowCount(); }

QString TFormMacroChenge::cell(int row, int column) const
{
    const QTableWidgetItem* item = StringGrid1->item(row, column);
    return item ? item->text() : QString();
}

void TFormMacroChenge::setCell(int row, int column, const QString& text)
{
    auto* item = new QTableWidgetItem(text);
    if (column == 0)
        item->setFlags(item->flags() & ~Qt::ItemIsEditable);
    StringGrid1->setItem(row, column, item);
}

lists::GridRows TFormMacroChenge::gridRows() const
{
    lists::GridRows rows;
    for (int r = 0; r < dataRowCount(); ++r)
        rows.emplace_back(cell(r, 1).toStdString(), cell(r, 2).toStdString());
    return rows;
}

void TFormMacroChenge::numberRows()
{
    for (int r = 0; r < dataRowCount(); ++r)
        setCell(r, 0, QString::number(r + 1));
}

void TFormMacroChenge::clearCells()
{
    for (int r = 0; r < dataRowCount(); ++r)
        for (int c = 0; c < 3; ++c)
            setCell(r, c, QString());
}

std::string TFormMacroChenge::typedName() const { return ComboBox1->currentText().toStdString(); }

void TFormMacroChenge::addName(int index)
{
    ComboBox1->addItem(QString::fromStdString(book_.tables()[static_cast<std::size_t>(index)].name));
}

void TFormMacroChenge::FormShow()
{
    StringGrid1->setHorizontalHeaderLabels({QString(), QStringLiteral("検索文字"), QStringLiteral("置換文字")});
    numberRows();
    StringGrid1->setColumnWidth(0, 20);
    StringGrid1->setColumnWidth(1, 90);
    StringGrid1->setColumnWidth(2, 90);
    book_.load(lists::loadConversionTables(lookup_));
    clearCells();
    ComboBox1->clear();
    ComboBox1->setEditText(QString());
    for (int i = 0; i < static_cast<int>(book_.tables().size()); ++i)
        addName(i);
    if (book_.selected() >= 0) {
        ComboBox1->setCurrentIndex(book_.selected());
        ComboBox1Select(book_.selected());
    }
}

void TFormMacroChenge::ComboBox1Select(int index)
{
    book_.select(index);
    if (index < 0)
        return;
    const lists::GridRows rows = lists::ConversionTableBook::rowsOf(book_.tables()[static_cast<std::size_t>(index)]);
    StringGrid1->setRowCount(static_cast<int>(rows.size()));
    clearCells();
    numberRows();
    for (int r = 0; r < static_cast<int>(rows.size()); ++r) {
        setCell(r, 1, QString::fromStdString(rows[static_cast<std::size_t>(r)].first));
        setCell(r, 2, QString::fromStdString(rows[static_cast<std::size_t>(r)].second));
    }
}

void TFormMacroChenge::StringGrid1Exit()
{
    StringGrid1->commitOpenEditor();
    const int added = book_.storeGrid(typedName(), gridRows());
    if (added >= 0)
        keepingTypedName(ComboBox1, [&] { addName(added); });
}

void TFormMacroChenge::Button1Click()
{
    keepingTypedName(ComboBox1, [&] { addName(book_.add(typedName(), gridRows())); });
}

void TFormMacroChenge::Button2Click() { removeSelectedName(ComboBox1, book_); }

void TFormMacroChenge::Button3Click()
{
    StringGrid1->setRowCount(dataRowCount() + 1);
    numberRows();
    StringGrid1Exit();
}

void TFormMacroChenge::Button4Click()
{
    if (dataRowCount() > 0)
        StringGrid1->setRowCount(dataRowCount() - 1);
    StringGrid1Exit();
}

void TFormMacroChenge::Button5Click() { clearCells(); }

void TFormMacroChenge::BitBtn1Click()
{
    // An edit still open in the grid is stored as leaving the grid would store it.
    if (StringGrid1->holds(focusWidget()))
        StringGrid1Exit();
    lists::ConversionTableBook trial = book_;
    const int chosen = trial.ok(typedName(), gridRows());
    const std::string bytes = lists::conversionTableFileBytes(trial.tables());
    const bool added = trial.tables().size() > book_.tables().size();
    book_ = std::move(trial);
    if (added)
        addName(chosen);
    chosen_ = book_.tables()[static_cast<std::size_t>(chosen)];
    try {
        lists::saveListFile(lookup_, QString::fromLatin1(lists::kConversionTableFileName), bytes);
    } catch (const UserError& e) {
        // The tables stay in memory and the pass still runs; the user learns they were not kept.
        showUserError(this, UserError(e.what(), windowTitle().toStdString(), UserError::Icon::Warning));
    }
    accept();
}

}  // namespace zorvan
