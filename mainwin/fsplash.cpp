#include "mainwin/fsplash.h"

#include <QGuiApplication>
#include <QLabel>
#include <QPixmap>
#include <QScreen>

TFSplash::TFSplash(QWidget* parent) : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint)
{
    setObjectName(QStringLiteral("FSplash"));
    setFixedSize(ClientWidth, ClientHeight);
    Image1 = new QLabel(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setScaledContents(true);
    Image1->setGeometry(0, 0, ClientWidth, ClientHeight - StateBarHeight);
    Image1->setStyleSheet(QStringLiteral("background: #1f3a5f;"));
    StateBar = new QLabel(this);
    StateBar->setObjectName(QStringLiteral("StateBar"));
    StateBar->setGeometry(0, ClientHeight - StateBarHeight, ClientWidth, StateBarHeight);
    StateBar->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    StateBar->setIndent(4);
    StateBar->setText(QStringLiteral("Loading program files"));
    if (QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    show();
}

bool TFSplash::LoadPicture(const QString& fileName)
{
    QPixmap picture;
    if (!picture.load(fileName))
        return false;
    Image1->setPixmap(picture);
    return true;
}

void TFSplash::SetState(const QString& text)
{
    StateBar->setText(text);
    StateBar->repaint();
}
