// The panel on the left of every page of the archive wizard ("Archive Job Info"): what the job is
// so far (call count, required space, write method, what happens to the originals, structure)
// and its five steps, each pending, done or current.
#pragma once

#include <QFrame>
#include <array>

class QLabel;

namespace qor {

class CWizardStatusPanel : public QFrame {
    Q_OBJECT

public:
    enum Field { kCallCount, kRequiredSpace, kWriteMethod, kModification, kStructure, kFieldCount };
    static constexpr int kStepCount = 5;

    explicit CWizardStatusPanel(QWidget* parent = nullptr);

    void SetText(Field field, const QString& text);
    QString Text(Field field) const;
    // Steps before current are done, those after it pending.
    void SetCurrentStep(int current);

private:
    std::array<QLabel*, kFieldCount> m_values{};
    std::array<QLabel*, kStepCount> m_marks{};
    std::array<QLabel*, kStepCount> m_steps{};
};

} // namespace qor
