#include "support/WidgetTesting.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPixmap>
#include <QTest>
#include <QTimer>
#include <QWidget>
#include <gtest/gtest.h>
#include <map>

namespace qor::test {

namespace {

// The key of a text's mnemonic ("&Next" gives N; "&&" is a plain ampersand), or none.
QChar Mnemonic(const QString& text)
{
    for (qsizetype at = 0; at + 1 < text.size(); ++at) {
        if (text[at] != QLatin1Char('&'))
            continue;
        if (text[at + 1] != QLatin1Char('&'))
            return text[at + 1].toUpper();
        ++at;
    }
    return {};
}

} // namespace

QStringList AccessKeyClashes(QWidget& window)
{
    std::map<QChar, QStringList> owners;
    const auto add = [&](const QWidget& widget, const QString& text) {
        if (const QChar key = Mnemonic(text); !key.isNull() && widget.isVisibleTo(&window))
            owners[key] << text;
    };
    for (const QAbstractButton* button : window.findChildren<QAbstractButton*>())
        add(*button, button->text());
    for (const QLabel* label : window.findChildren<QLabel*>())
        if (label->buddy())
            add(*label, label->text());
    for (const QGroupBox* group : window.findChildren<QGroupBox*>())
        add(*group, group->title());
    for (const QMenuBar* bar : window.findChildren<QMenuBar*>())
        for (const QAction* action : bar->actions())
            if (action->isVisible())
                add(*bar, action->text());
    QStringList clashes;
    for (const auto& [key, texts] : owners)
        if (texts.size() > 1)
            clashes << QStringLiteral("Alt+%1: %2").arg(key, texts.join(QStringLiteral(", ")));
    return clashes;
}

QPalette DarkPalette()
{
    QPalette dark;
    dark.setColor(QPalette::Window, QColor(32, 32, 32));
    dark.setColor(QPalette::WindowText, QColor(230, 230, 230));
    dark.setColor(QPalette::Base, QColor(24, 24, 24));
    dark.setColor(QPalette::AlternateBase, QColor(40, 40, 40));
    dark.setColor(QPalette::Text, QColor(230, 230, 230));
    dark.setColor(QPalette::Button, QColor(48, 48, 48));
    dark.setColor(QPalette::ButtonText, QColor(230, 230, 230));
    dark.setColor(QPalette::ToolTipBase, QColor(48, 48, 48));
    dark.setColor(QPalette::ToolTipText, QColor(230, 230, 230));
    dark.setColor(QPalette::PlaceholderText, QColor(150, 150, 150));
    dark.setColor(QPalette::Disabled, QPalette::WindowText, QColor(120, 120, 120));
    dark.setColor(QPalette::Disabled, QPalette::Text, QColor(120, 120, 120));
    dark.setColor(QPalette::Disabled, QPalette::ButtonText, QColor(120, 120, 120));
    return dark;
}

QString SaveScreenshot(QWidget& widget, const QString& name)
{
    for (const QString& clash : AccessKeyClashes(widget))
        ADD_FAILURE() << name.toStdString() << ": two controls on one access key: " << clash.toStdString();
    const QString folder = QStringLiteral(QOR_SCREENSHOT_FOLDER);
    QDir().mkpath(folder);
    const QString path = folder + QLatin1Char('/') + name + QStringLiteral(".png");
    if (!widget.grab().save(path))
        return QString();
    // The same window as a dark desktop theme shows it (the theme gives the application its palette).
    // The window takes it at once; icons tinted to the palette read the application's.
    const QPalette light = QApplication::palette();
    const QPalette own = widget.palette();
    const bool hadOwn = widget.testAttribute(Qt::WA_SetPalette);
    QApplication::setPalette(DarkPalette());
    widget.setPalette(DarkPalette());
    const bool savedDark = widget.grab().save(folder + QLatin1Char('/') + name + QStringLiteral("-dark.png"));
    widget.setPalette(hadOwn ? own : QPalette());
    QApplication::setPalette(light);
    return savedDark ? path : QString();
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
            if (text) // as the user reads it: the message, then why
                *text = box->informativeText().isEmpty()
                    ? box->text()
                    : box->text() + QStringLiteral("\n\n") + box->informativeText();
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
