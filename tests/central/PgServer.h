#pragma once

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>

// A real PostgreSQL 15 server of its own in a temporary folder, for as long
// as the object lives: on a free TCP port of 127.0.0.1 and with its socket in
// the folder. As root (CI) the folder goes to the user postgres, who runs
// the server, since initdb refuses root. The server dies with the test
// process, however that ends.
//
// Roles: postgres, the superuser, without password; bench with the password
// BenchPassword (over TCP and the socket alike). Database: quoran, owned by
// postgres, without tables.
class PgServer
{
public:
    static constexpr const char *BenchPassword = "bench-pass";

    PgServer();  // initdb and start; see isRunning() and error()
    ~PgServer(); // fast shutdown
    PgServer(const PgServer &) = delete;
    PgServer &operator=(const PgServer &) = delete;

    [[nodiscard]] bool isRunning() const;
    [[nodiscard]] QString error() const { return m_error; }
    [[nodiscard]] int port() const { return m_port; }
    [[nodiscard]] QString folder() const { return m_dir.path(); }
    [[nodiscard]] QString socketFolder() const;

    // "host=127.0.0.1 port=… user=… dbname=…", or over the socket folder.
    [[nodiscard]] QByteArray conninfo(const QByteArray &user = "postgres",
                                      const QByteArray &database = "quoran") const;
    [[nodiscard]] QByteArray socketConninfo(const QByteArray &user = "postgres",
                                            const QByteArray &database = "quoran") const;
    // A pgpass file (mode 0600) in the folder that gives bench this password.
    [[nodiscard]] QString passFile(const QByteArray &password = BenchPassword) const;

    // Starts again on the same data and port; waits until it takes connections.
    bool start();
    // Fast shutdown; waits for the end.
    void stop();
    // SIGKILL to every process of the server, as a crash does; waits for the end.
    void kill();
    // Runs SQL as postgres in the given database (for setting up a test).
    bool runSql(const QByteArray &sql, const QByteArray &database = "quoran");

private:
    [[nodiscard]] static QString templateFolder();
    [[nodiscard]] static bool copyTree(const QString &from, const QString &to);
    bool copyTemplate();
    void saveTemplate();
    bool initialise();
    bool waitUntilReady(int timeoutMs);
    void startProcess(QProcess &process, const QString &program, const QStringList &arguments,
                      const QString &logFile = {}) const;

    QTemporaryDir m_dir;
    QProcess m_server;
    QString m_error;
    int m_port = 0;
    bool m_asPostgresUser = false;
    uint m_uid = 0;
    uint m_gid = 0;
};
