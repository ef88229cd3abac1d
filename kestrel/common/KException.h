#pragma once
#include <QString>
#include <exception>
#include <string>

// The program's general exception. Error boxes show className() as their
// caption and message() as their text; subclasses name themselves.
class KException : public std::exception {
public:
    explicit KException(QString message, QString className = QStringLiteral("Exception"))
        : m_message(std::move(message)), m_className(std::move(className)), m_what(m_message.toStdString())
    {
    }
    const QString &message() const noexcept { return m_message; }
    const QString &className() const noexcept { return m_className; }
    const char *what() const noexcept override { return m_what.c_str(); }

private:
    QString m_message;
    QString m_className;
    std::string m_what;
};
