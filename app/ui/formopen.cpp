#include "app/ui/formopen.h"

#include "app/ui/prompts.h"
#include "app/ui/textform.h"

#include <QApplication>
#include <QDate>
#include <QEvent>
#include <QGridLayout>
#include <QIcon>
#include <QLabel>
#include <QLayout>
#include <QStyle>
#include <QTimer>

namespace zorvan {

namespace {
const QSize kClientSize(227, 79);
}  // namespace

TOpenForm::TOpenForm(QWidget* parent) : QDialog(parent)
{
    setObjectName("OpenForm");
    setWindowTitle("バージョン情報");
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setFixedSize(kClientSize);

    Image1 = new QLabel(this);
    Image1->setObjectName("Image1");
    Image1->setFixedSize(36, 36);
    const QIcon programIcon = QApplication::windowIcon().isNull()
        ? QApplication::style()->standardIcon(QStyle::SP_FileDialogDetailedView)
        : QApplication::windowIcon();
    Image1->setPixmap(programIcon.pixmap(36, 36));
    Image1->installEventFilter(this);
    StaticText1 = new QLabel("Zorvan", this);
    StaticText1->setObjectName("StaticText1");
    QFont bold = StaticText1->font();
    bold.setBold(true);
    bold.setPixelSize(19);
    StaticText1->setFont(bold);
    Label1 = new QLabel("ver1.2", this);
    Label1->setObjectName("Label1");
    Label2 = new QLabel("NC(MC)仕様のテキストエディター", this);
    Label2->setObjectName("Label2");
    StaticText2 = new QLabel(this);
    StaticText2->setObjectName("StaticText2");

    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(6, 4, 6, 4);
    grid->setVerticalSpacing(0);
    grid->addWidget(Image1, 0, 0, 2, 1, Qt::AlignTop);
    grid->addWidget(StaticText1, 0, 1);
    grid->addWidget(Label1, 0, 2, Qt::AlignRight | Qt::AlignBottom);
    grid->addWidget(Label2, 1, 1, 1, 2);
    grid->addWidget(StaticText2, 2, 0, 1, 3);

    Timer1 = new QTimer(this);
    Timer1->setInterval(1000);
    Timer1->setSingleShot(true);
    connect(Timer1, &QTimer::timeout, this, &TOpenForm::Timer1Timer);
}

QString TOpenForm::versionLine()
{
    return QString("Ver%1.%2.%3.%4")
        .arg(ZORVAN_VERSION_MAJOR)
        .arg(ZORVAN_VERSION_MINOR)
        .arg(ZORVAN_VERSION_PATCH)
        .arg(ZORVAN_VERSION_TWEAK);
}

QString TOpenForm::rightsLine()
{
    return QString("Copyright (C) 2026-%1 Kw").arg(QDate::currentDate().year());
}

void TOpenForm::showEvent(QShowEvent* event)
{
    Label1->setText(versionLine());
    StaticText2->setText(rightsLine());
    // The window keeps its designed size unless the installed font needs more room for the texts.
    setFixedSize(layout()->sizeHint().expandedTo(kClientSize));
    QDialog::showEvent(event);
}

bool TOpenForm::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == Image1 && event->type() == QEvent::MouseButtonRelease) {
        close();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void TOpenForm::FormDeactivate(TFormText* main)
{
    if (!isVisible() || !SplashMode || Timer1->isActive())
        return;
    main_ = main;
    Timer1->start();
    raise();
}

void TOpenForm::Timer1Timer()
{
    Timer1->stop();
    if (main_)
        runGuarded(main_, [&] { main_->OpenFromCommandLine(); });
    SplashMode = false;
    hide();
}

void TOpenForm::showAbout()
{
    exec();
}

}  // namespace zorvan
