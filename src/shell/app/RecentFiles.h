// The four lists opened or saved last, kept per user in the desktop's settings (company, product).
#pragma once

#include <QStringList>

namespace qor {

class CRecentFiles {
public:
    static constexpr int kCount = 4;

    void Load();
    void Save() const;
    // Puts the path first, dropping it from further down and the oldest beyond four.
    void Add(const QString& path);
    const QStringList& Paths() const { return m_paths; }

private:
    QStringList m_paths;
};

} // namespace qor
