// What widget tests share: screenshots for a person to look at, and answering the modal boxes a
// command opens, the way a user would press their buttons.
#pragma once

#include <QDialogButtonBox>
#include <QMessageBox>
#include <QPalette>
#include <QString>
#include <QWidget>
#include <functional>

class QAbstractButton;
class QFileDialog;

namespace qor::test {

// Saves the widget as build/screenshots/<name>.png, and as <name>-dark.png in a dark palette; the
// path, empty when it could not be written. Every window shot is also checked for clashing access keys.
QString SaveScreenshot(QWidget& widget, const QString& name);

// The palette a dark desktop theme gives the application.
QPalette DarkPalette();

// Each Alt+key that two controls shown in the window answer, as "Alt+N: Do&n't modify, &Next >".
QStringList AccessKeyClashes(QWidget& window);

// From now on, the next message box to open is answered with button (its text, and after a blank
// line its informative text, kept for the test to read; a screenshot saved when named); returns at once.
void AnswerNextMessageBox(
    QMessageBox::StandardButton button, QString* text = nullptr, const QString& screenshot = QString());

// From now on, the next modal dialog (other than a message box) to open is handed to act, which
// fills it in and accepts or rejects it; returns at once.
void HandleNextDialog(const std::function<bool(QWidget& dialog)>& act);

// Chooses path in a file dialog the way a user does: goes to its folder, types its name and
// accepts (the dialog's own proposal may still be arriving, so selectFile would race with it).
void ChooseFile(QFileDialog& dialog, const QString& path);

// The button in window that shows text; null when there is none.
QAbstractButton* FindButton(QWidget& window, const QString& text);

// The field that the label showing text names, the way a reader pairs them; null when there is none.
QWidget* FindLabelledField(QWidget& window, const QString& label);
template <typename Field> Field* FindField(QWidget& window, const QString& label)
{
    return qobject_cast<Field*>(FindLabelledField(window, label));
}

// Types the text into the widget key by key, as a keyboard would; unlike QTest::keyClicks it
// takes any character, not only ASCII.
void TypeText(QWidget* widget, const QString& text);

} // namespace qor::test
