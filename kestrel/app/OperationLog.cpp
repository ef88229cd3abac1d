#include "app/OperationLog.h"

#include "common/StrUtils.h"

#include <QIcon>
#include <QLocale>
#include <QSaveFile>
#include <QStringEncoder>

QString LogKindText(int kind)
{
    switch (kind & 0xFF) {
    case 1: return QStringLiteral("ERROR");
    case 2: return QStringLiteral("ATTENTION");
    case 3: return QStringLiteral("WARNING");
    case 4: return QStringLiteral("REPORT");
    case 5: return QStringLiteral("OK");
    case 6: return QStringLiteral("INFO");
    default: return QString();
    }
}

QString LogDateText(const QDateTime &when)
{
    const QLocale locale = QLocale::system();
    const QString date = locale.toString(when.date(), QLocale::ShortFormat);
    if (when.time() == QTime(0, 0))
        return date;
    // The long time format without its time zone.
    QString timeFormat = locale.timeFormat(QLocale::LongFormat);
    timeFormat.remove(QLatin1Char('t'));
    return date + QLatin1Char(' ') + locale.toString(when.time(), timeFormat.trimmed());
}

QString LogFileLine(const TLogEntry &entry)
{
    const QString pos = entry.position < 0 ? QString() : QString::number(entry.position);
    return PadRight(LogKindText(entry.kind), 12) + PadRight(entry.date, 20) + PadRight(pos, 10) + entry.text;
}

TOperationLog::TOperationLog(QObject *parent)
    : QAbstractTableModel(parent)
{
}

void TOperationLog::AddLog(int kind, int position, const QString &text)
{
    // Reading the clock is cheap; turning it into local time is not, so that
    // is done once per second (and on whole seconds, for the midnight rule).
    const qint64 ms = QDateTime::currentMSecsSinceEpoch();
    if (ms / 1000 != m_lastSecond || ms % 1000 == 0)
        AddLog(kind, position, text, QDateTime::fromMSecsSinceEpoch(ms));
    else
        append(kind, position, text);
}

void TOperationLog::AddLog(int kind, int position, const QString &text, const QDateTime &when)
{
    m_lastSecond = when.toMSecsSinceEpoch() / 1000;
    if (when.time() == QTime(0, 0))
        m_lastSecond = -1; // the next entry of this second shows its time again
    m_lastDate = LogDateText(when);
    append(kind, position, text);
}

void TOperationLog::append(int kind, int position, const QString &text)
{
    const int k = kind & 0xFF;
    const int row = int(m_entries.size());
    beginInsertRows(QModelIndex(), row, row);
    m_entries.append(TLogEntry{std::uint8_t(k <= 6 ? k : 0), position, m_lastDate, text});
    endInsertRows();
}

void TOperationLog::clear()
{
    beginResetModel();
    m_entries.clear();
    m_entries.squeeze();
    endResetModel();
}

void TOperationLog::SaveLogToFile(bool full, QStringList *lines) const
{
    if (!lines)
        return;
    lines->clear();
    lines->reserve(m_entries.size());
    for (const TLogEntry &e : m_entries) {
        if (full || e.kind != 0)
            lines->append(LogFileLine(e));
    }
}

bool TOperationLog::writeLines(const QString &path, const QStringList &lines, QString *error)
{
    QStringEncoder encode(QStringConverter::System);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        if (error)
            *error = file.errorString();
        return false;
    }
    QByteArray chunk;
    for (const QString &line : lines) {
        chunk += encode(line);
        chunk += "\r\n";
        if (chunk.size() > (1 << 20)) {
            if (file.write(chunk) != chunk.size())
                break;
            chunk.clear();
        }
    }
    if (!chunk.isEmpty())
        file.write(chunk);
    if (!file.commit()) {
        if (error)
            *error = file.errorString();
        return false;
    }
    return true;
}

int TOperationLog::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_entries.size());
}

int TOperationLog::columnCount(const QModelIndex &parent) const { return parent.isValid() ? 0 : 4; }

QVariant TOperationLog::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_entries.size())
        return {};
    const TLogEntry &e = m_entries[index.row()];
    if (role == Qt::DisplayRole) {
        switch (index.column()) {
        case 0: return LogKindText(e.kind);
        case 1: return e.date;
        case 2: return e.position < 0 ? QString() : QString::number(e.position);
        case 3: return e.text;
        }
    } else if (role == Qt::DecorationRole && index.column() == 0 && e.kind >= 1 && e.kind <= 6) {
        const int icon = e.kind - 1;
        if (icon < m_icons.size())
            return QIcon(m_icons[icon]);
    }
    return {};
}

QVariant TOperationLog::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    static const char *names[] = {"Type", "Date", "Pos", "Text"};
    return section >= 0 && section < 4 ? QString::fromLatin1(names[section]) : QVariant();
}
