#include "support/WidgetTesting.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QTest>
#include <QTimer>
#include <QWidget>

namespace qor::test {

QString SaveScreenshot(QWidget& widget, const QString& name)
{
    const QString folder = QStringLiteral(QOR_SCREENSHOT_FOLDER);
    QDir().mkpath(folder);
    const QString path = folder + QLatin1Char('/') + name + QStringLiteral(".png");
    return widget.grab().save(path) ? path : QString();
}

void AnswerNextMessageBox(QMessageBox::StandardButton button, QString* text, const QString& screenshot)
{
    auto* poll = new QTimer;
    QObject::connect(poll, &QTimer::timeout, [poll, button, text, screenshot] {
        for (QWidget* window : QApplication::topLevelWidgets()) {
            auto* box = qobject_cast<QMessageBox*>(window);
            if (!box || !box->isVisible())
                continue;
            poll->stop(); // its deletion may wait until after the test, with text gone
            if (text)
                *text = box->text();
            if (!screenshot.isEmpty())
                SaveScreenshot(*box, screenshot);
            if (QAbstractButton* pressed = box->button(button))
                pressed->click();
            poll->deleteLater();
            return;
        }
    });
    poll->start(10);
}

void HandleNextDialog(const std::function<bool(QWidget& dialog)>& act)
{
    auto* poll = new QTimer;
    QObject::connect(poll, &QTimer::timeout, [poll, act] {
        if (QWidget* modal = QApplication::activeModalWidget(); modal && !qobject_cast<QMessageBox*>(modal)) {
            poll->stop();
            poll->deleteLater();
            act(*modal);
        }
    });
    poll->start(10);
}

void ChooseFile(QFileDialog& dialog, const QString& path)
{
    const QFileInfo file(path);
    dialog.setDirectory(file.absolutePath());
    dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->setText(file.fileName());
    QMetaObject::invokeMethod(&dialog, "accept", Qt::QueuedConnection);
}

QAbstractButton* FindButton(QWidget& window, const QString& text)
{
    for (auto* button : window.findChildren<QAbstractButton*>())
        if (button->text() == text)
            return button;
    return nullptr;
}

QWidget* FindLabelledField(QWidget& window, const QString& label)
{
    for (auto* candidate : window.findChildren<QLabel*>())
        if (candidate->text() == label)
            return candidate->buddy();
    return nullptr;
}

void TypeText(QWidget* widget, const QString& text)
{
    for (const QChar character : text)
        QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, QString(character), Qt::NoModifier);
}

} // namespace qor::test
