#pragma once

#include <QJsonObject>
#include <QString>
#include <memory>

namespace qrv {
class clsTavoli;
namespace dao {
class Database;
class Workspace;
} // namespace dao
} // namespace qrv

/** What the command line asks of the demo till. */
struct DemoOptions {
    QString dbUrl;      ///< "" for the demo venue in dataDir
    QString dataDir;    ///< venue, app folder and archive folder of the demo
    QString appDir;     ///< "" for dataDir/app
    QString archiveDir; ///< "" for dataDir/archivi
    qint32 context = 1; ///< Operazione
    qint32 sala = 0;    ///< room to open first, 0 for the first room
    QString tavolo;     ///< table Codice to preselect on the first show, "" for none
    bool once = false;
    QString screenshot; ///< render the map to this PNG and exit
    quint16 port = 0;   ///< PortaNotifiche to write into the settings, 0 to keep what they say
    QString peers;      ///< NotificheA to write into the settings; a null text keeps what they say
    QString cassa;      ///< CodiceCassa to write into the settings, "" to keep what they say
};

/**
 * A small host till: opens (or creates and fills) a venue, shows the table map in a loop,
 * prints each outcome as one JSON line, opens and bills tables itself so the map changes, and
 * tells the other tills which table changed, at the destinations of NotificheA as the map does.
 * The demo venue keeps a journal of the map's changes (RegistroTavoli), and a new app folder gets
 * settings that turn the notifications on (PortaNotifiche 8989, NotificheA to the ports 8989 and
 * 8990 of this machine).
 */
class DemoTill {
public:
    explicit DemoTill(DemoOptions options);
    ~DemoTill();

    /** $XDG_DATA_HOME/qrvtavoli-demo (or ~/.local/share/qrvtavoli-demo). */
    static QString defaultDataDir();
    /** The schema/ folder of the source tree or of the installed package; "" when neither exists. */
    static QString schemaDir();

    /** Opens the database (creating the demo venue when it has no tables) and the folders. */
    bool prepare(QString *error);
    /**
     * Shows the map until it is closed without a command (Ctrl+Q on the map, or the window
     * manager), or once; returns the exit code.
     */
    int run();
    /**
     * Renders the map as it would be shown to file. False with *error set when the image cannot be
     * written, or when the venue has no room (the map would wait for one to be created).
     */
    bool renderScreenshot(const QString &file, QString *error);

private:
    void configure(qrv::clsTavoli &tavoli) const;
    QString perform(const qrv::clsTavoli &tavoli);
    QString openTable(qint32 codice);
    QString billTable(qint32 codice, bool separate, const QString &ids, bool now);
    QString numeroOf(qint32 codice) const;
    void notify(const QString &numero) const;
    void print(const QJsonObject &line) const;
    void prepareAppFolder() const;
    QString settingsFile() const;
    /** Creates RegistroTavoli from the schema folder when the venue has none. */
    void createJournal() const;

    DemoOptions m_options;
    std::shared_ptr<qrv::dao::Database> m_db;
    std::shared_ptr<qrv::dao::Workspace> m_workspace;
};
