#pragma once
// The operation log: typed entries of the last run, shown by a list view and
// saved as text in full or easy form.

#include <QAbstractTableModel>
#include <QDateTime>
#include <QPixmap>
#include <QString>
#include <QStringList>
#include <QVector>
#include <cstdint>

struct TLogEntry {
    std::uint8_t kind = 0; // 0..6; other codes are stored as 0
    int position = -1;
    QString date;
    QString text;
};

// Type text of a kind ("ERROR", ...); empty for plain and unknown kinds.
QString LogKindText(int kind);
// The platform's default date-time text: short date, a blank and the long
// time; the time is left out at exactly midnight.
QString LogDateText(const QDateTime &when);
// One line of a log file (without its line break).
QString LogFileLine(const TLogEntry &entry);

class TOperationLog : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit TOperationLog(QObject *parent = nullptr);

    void AddLog(int kind, int position, const QString &text);
    void AddLog(int kind, int position, const QString &text, const QDateTime &when);
    void clear();
    int count() const { return int(m_entries.size()); }
    const TLogEntry &entry(int i) const { return m_entries[i]; }

    // Fills `lines` with the full log (every entry) or the easy log (kinds 1..6).
    void SaveLogToFile(bool full, QStringList *lines) const;
    // Writes the lines, each ending with CR LF, in the system's 8-bit
    // encoding, through a temporary file. False with `error` on failure.
    static bool writeLines(const QString &path, const QStringList &lines, QString *error);

    void setIcons(const QVector<QPixmap> &icons) { m_icons = icons; }

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    void append(int kind, int position, const QString &text);

    QVector<TLogEntry> m_entries;
    QVector<QPixmap> m_icons;
    // Entries added within one second share one date text.
    qint64 m_lastSecond = -1;
    QString m_lastDate;
};
