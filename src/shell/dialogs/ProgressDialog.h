// The small window that shows how far a long task (compiling, deleting, exporting) has got: a text,
// a bar and Cancel. While it is up no other window takes input, but the event loop runs on, so the
// task can let it repaint; Escape or Cancel only set a flag, which the task reads between steps.
#pragma once

#include <QDialog>

class QLabel;
class QProgressBar;

namespace qor {

class CProgressDialog : public QDialog {
    Q_OBJECT

public:
    explicit CProgressDialog(QWidget* owner);
    ~CProgressDialog() override;

    void SetText(const QString& text);
    void SetRange(int minimum, int maximum);
    void SetValue(int value);
    bool IsCancelled() const { return m_cancelled; }

    // Shows the window, blocking input to the others; Finish hides it.
    void Begin();
    void Finish();

protected:
    void reject() override;

private:
    QLabel* m_text;
    QProgressBar* m_bar;
    bool m_cancelled = false;
};

} // namespace qor
