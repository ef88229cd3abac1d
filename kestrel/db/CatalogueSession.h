#pragma once
// The catalogue connection of the main window: the database, its one
// transaction and the general query, with connecting, the version and table
// checks and disconnecting. The Connect command and `kestrel-catalogue check`
// both run ConnectDB.

#include "FbClient.h"

#include <QString>
#include <cstdint>

// Where the connection shows its error boxes. An empty caption means the
// platform's default title for error boxes.
class ErrorBoxes {
public:
    virtual ~ErrorBoxes() = default;
    virtual void showError(const QString &caption, const QString &text) = 0;
};

class CatalogueSession {
public:
    explicit CatalogueSession(ErrorBoxes *boxes = nullptr);
    CatalogueSession(const CatalogueSession &) = delete;
    CatalogueSession &operator=(const CatalogueSession &) = delete;

    void setErrorBoxes(ErrorBoxes *boxes) { m_boxes = boxes; }

    // Attaches to ADataBaseFile as AUserName and keeps the connection only
    // for a catalogue with the required tables and version; true then.
    // Otherwise every failure has been shown and nothing stays open.
    bool ConnectDB(const QString &AUserName, const QString &ADataBaseFile);
    // Closes an open connection; true when it is closed afterwards.
    bool DisconnectDB();
    // Reads the version numbers from SYS_VAR.
    void ReadDBInfo();

    bool connected() const noexcept { return MainIBDatabase.isOpen(); }
    // "Connected to " and the bare file name, for status panel 0.
    QString connectedText() const;

    // Shows an exception the way every database handler does: caption the
    // class name, text the message.
    void showException(const std::exception &e);

    // Declared in this order so that the query goes before the transaction
    // and the transaction before the database.
    fb::Database MainIBDatabase;
    fb::Transaction MainIBTransaction{MainIBDatabase};
    fb::Query MainIBQuery{MainIBDatabase, MainIBTransaction};

    std::uint16_t FMajorVersion = 0;
    std::uint16_t FMinorVersion = 0;
    std::uint16_t FBuildVersion = 0;

private:
    QStringList userTableNames();
    void error(const QString &caption, const QString &text);

    ErrorBoxes *m_boxes;
};
