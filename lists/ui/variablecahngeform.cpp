#include "lists/ui/variablecahngeform.h"

#include "app/logic/user_error.h"
#include "app/ui/dialog_opening.h"
#include "app/ui/prompts.h"
#include "lists/ui/name_box.h"

#include <QComboBox>
#include <QFocusEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>

#include <algorithm>

namespace zorvan {

TFormVarChange::TFormVarChange(lists::ListFileLookup lookup, QWidget* parent)
    : QDialog(parent), lookup_(std::move(lookup))
{
    setObjectName("FormVarChange");
    setWindowTitle(QStringLiteral("＄ちゃんで"));
    setFixedDialogFrame(this);
    QFont font(QStringLiteral("ＭＳ Ｐゴシック"));
    font.setPixelSize(12);
    setFont(font);
    setFixedSize(192, 314);

    ComboBox1 = new QComboBox(this);
    ComboBox1->setObjectName("ComboBox1");
    ComboBox1->setEditable(true);
    ComboBox1->setInsertPolicy(QComboBox::NoInsert);
    ComboBox1->setGeometry(8, 8, 145, 20);
    for (int k = 0; k < 9; ++k) {
        auto* field = new QLineEdit(this);
        field->setObjectName(QString("LabeledEdit%1").arg(k + 1));
        field->setGeometry(24, 48 + 24 * k, 153, 20);
        field->installEventFilter(this);
        auto* label = new QLabel(QString("$%1").arg(k + 1), this);
        label->setGeometry(4, 48 + 24 * k, 17, 20);
        label->setBuddy(field);
        LabeledEdits[static_cast<std::size_t>(k)] = field;
    }
    auto button = [this](const char* name, const QString& text, int x, int y, int w, int h) {
        auto* b = new QPushButton(text, this);
        b->setObjectName(name);
        b->setGeometry(x, y, w, h);
        return b;
    };
    BitBtn1 = button("BitBtn1", "OK", 8, 280, 81, 25);
    BitBtn1->setDefault(true);
    BitBtn2 = button("BitBtn2", QStringLiteral("キャンセル"), 104, 280, 81, 25);
    Button1 = button("Button1", "add", 160, 8, 25, 17);
    Button2 = button("Button2", "Del", 160, 32, 25, 17);
    QWidget* order[] = {ComboBox1, LabeledEdits[0], LabeledEdits[1], LabeledEdits[2], LabeledEdits[3], LabeledEdits[4],
                        LabeledEdits[5], LabeledEdits[6], LabeledEdits[7], LabeledEdits[8], BitBtn1, BitBtn2, Button1, Button2};
    for (std::size_t i = 0; i + 1 < std::size(order); ++i)
        setTabOrder(order[i], order[i + 1]);

    connect(ComboBox1, &QComboBox::activated, this, [this](int index) { ComboBox1Select(index); });
    connect(Button1, &QPushButton::clicked, this, [this] { runGuarded(this, [this] { Button1Click(); }); });
    connect(Button2, &QPushButton::clicked, this, [this] { Button2Click(); });
    connect(BitBtn1, &QPushButton::clicked, this, [this] { runGuarded(this, [this] { BitBtn1Click(); }); });
    connect(BitBtn2, &QPushButton::clicked, this, &QDialog::reject);
}

void TFormVarChange::showEvent(QShowEvent* event)
{
    // Only when the window is opened: the show event of a restore from minimised (spontaneous,
    // from the window system) must not reload the file over what the user typed.
    if (!event->spontaneous())
        FormShow();
    QDialog::showEvent(event);
}

bool TFormVarChange::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::FocusOut) {
        // Leaving a field inside the window, not the window losing the activation.
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason)
            runGuarded(this, [this] { LabeledEdit1Exit(); });
    }
    return QDialog::eventFilter(watched, event);
}

lists::Fields TFormVarChange::fields() const
{
    lists::Fields values;
    for (std::size_t k = 0; k < values.size(); ++k)
        values[k] = LabeledEdits[k]->text().toStdString();
    return values;
}

std::string TFormVarChange::typedName() const { return ComboBox1->currentText().toStdString(); }

void TFormVarChange::showFields(const lists::Fields& values)
{
    for (std::size_t k = 0; k < values.size(); ++k)
        LabeledEdits[k]->setText(QString::fromStdString(values[k]));
}

void TFormVarChange::addName(int index)
{
    ComboBox1->addItem(QString::fromStdString(book_.sets()[static_cast<std::size_t>(index)].name));
}

void TFormVarChange::FormShow()
{
    book_.load(lists::loadValueSets(lookup_));
    ComboBox1->clear();
    ComboBox1->setEditText(QString());
    for (int i = 0; i < static_cast<int>(book_.sets().size()); ++i)
        addName(i);
    if (book_.selected() >= 0) {
        ComboBox1->setCurrentIndex(book_.selected());
        ComboBox1Select(book_.selected());
    }
}

void TFormVarChange::ComboBox1Select(int index)
{
    book_.select(index);
    showFields(book_.shownValues(index));
}

void TFormVarChange::LabeledEdit1Exit()
{
    const int added = book_.fieldExit(typedName(), fields());
    if (added < 0)
        return;
    keepingTypedName(ComboBox1, [&] {
        addName(added);
        ComboBox1->setCurrentIndex(added);
    });
}

void TFormVarChange::Button1Click()
{
    keepingTypedName(ComboBox1, [&] { addName(book_.add(typedName(), fields())); });
}

void TFormVarChange::Button2Click()
{
    if (book_.selected() < 0)
        return;
    removeSelectedName(ComboBox1, book_);
    ComboBox1->setEditText(QString());  // the removed set's name goes with it
}

void TFormVarChange::BitBtn1Click()
{
    // A value typed just before Enter is stored as a click on OK would store it.
    const QWidget* focus = focusWidget();
    if (std::find(LabeledEdits.begin(), LabeledEdits.end(), focus) != LabeledEdits.end())
        LabeledEdit1Exit();
    // The sets are checked before anything changes, so a refused OK leaves the window as it was.
    lists::ValueSetBook trial = book_;
    const int chosen = trial.ok(typedName(), fields());
    const std::string bytes = lists::valueSetFileBytes(trial.sets());
    const bool added = trial.sets().size() > book_.sets().size();
    book_ = std::move(trial);
    if (added)
        addName(chosen);
    chosen_ = book_.sets()[static_cast<std::size_t>(chosen)];
    try {
        lists::saveListFile(lookup_, QString::fromLatin1(lists::kValueSetFileName), bytes);
    } catch (const UserError& e) {
        // The sets stay in memory and the pass still runs; the user learns they were not kept.
        showUserError(this, UserError(e.what(), windowTitle().toStdString(), UserError::Icon::Warning));
    }
    accept();
}

}  // namespace zorvan
