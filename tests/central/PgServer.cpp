#include "PgServer.h"

#include "central/CentralConnection.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QThread>
#include <csignal>
#include <cstdio>
#include <grp.h>
#include <netinet/in.h>
#include <pwd.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

const QString BinFolder = QStringLiteral("/usr/lib/postgresql/15/bin/");

// A port nothing listens on just now: the kernel picks it.
int freePort()
{
    const int probe = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (probe < 0)
        return 0;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    int port = 0;
    if (::bind(probe, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0 &&
        ::getsockname(probe, reinterpret_cast<sockaddr *>(&address), &length) == 0)
        port = ntohs(address.sin_port);
    ::close(probe);
    return port;
}

bool chownTree(const QString &path, uint uid, uint gid)
{
    return ::chown(QFile::encodeName(path).constData(), uid, gid) == 0;
}

} // namespace

PgServer::PgServer() : m_dir(QDir::tempPath() + QStringLiteral("/quoran-pg-XXXXXX"))
{
    if (!m_dir.isValid()) {
        m_error = QStringLiteral("no temporary folder");
        return;
    }
    if (::geteuid() == 0) {
        const passwd *user = ::getpwnam("postgres");
        if (!user) {
            m_error = QStringLiteral("running as root, but there is no user postgres");
            return;
        }
        m_asPostgresUser = true;
        m_uid = user->pw_uid;
        m_gid = user->pw_gid;
    }
    QDir(folder()).mkdir(QStringLiteral("socket"));
    if (m_asPostgresUser &&
        (!chownTree(folder(), m_uid, m_gid) || !chownTree(socketFolder(), m_uid, m_gid))) {
        m_error = QStringLiteral("cannot hand the folder to postgres");
        return;
    }
    const bool fromTemplate = copyTemplate();
    if (!fromTemplate && !initialise())
        return;
    // A port taken between the probe and the server's bind: another one.
    for (int attempt = 0; attempt < 3 && !isRunning(); ++attempt) {
        m_port = freePort();
        start();
    }
    if (!isRunning()) {
        if (fromTemplate) // perhaps broken: made anew next time
            QDir(templateFolder()).removeRecursively();
        return;
    }
    if (fromTemplate)
        return;
    if (!runSql("CREATE DATABASE quoran", "postgres") ||
        !runSql("CREATE ROLE bench LOGIN PASSWORD '" + QByteArray(BenchPassword) + "'", "postgres")) {
        m_error = QStringLiteral("cannot create the database and role");
        return;
    }
    saveTemplate();
}

// initdb and the setting up take seconds; a copy of their result made by the
// first server of a build takes a fraction of that for every later one.
QString PgServer::templateFolder()
{
#ifdef QUORAN_PG_TEMPLATE
    return QStringLiteral(QUORAN_PG_TEMPLATE);
#else
    return {};
#endif
}

bool PgServer::copyTree(const QString &from, const QString &to)
{
    // cp -a keeps owner and modes, which the server checks.
    return QProcess::execute(QStringLiteral("cp"), {QStringLiteral("-a"), from, to}) == 0;
}

bool PgServer::copyTemplate()
{
    const QString folder = templateFolder();
    return !folder.isEmpty() && QFileInfo::exists(folder + QStringLiteral("/global/pg_control")) &&
           copyTree(folder, m_dir.filePath(QStringLiteral("data")));
}

void PgServer::saveTemplate()
{
    const QString folder = templateFolder();
    if (folder.isEmpty())
        return;
    stop();
    // Copied aside, then renamed into place at once: a test that starts
    // meanwhile never copies half a template. Another test's template that
    // got there first stays.
    QTemporaryDir aside(folder + QStringLiteral("-XXXXXX"));
    const QString copy = aside.filePath(QStringLiteral("data"));
    if (aside.isValid() && copyTree(m_dir.filePath(QStringLiteral("data")), copy))
        ::rename(QFile::encodeName(copy).constData(), QFile::encodeName(folder).constData());
    start();
}

PgServer::~PgServer()
{
    stop();
}

QString PgServer::socketFolder() const
{
    return m_dir.filePath(QStringLiteral("socket"));
}

QByteArray PgServer::conninfo(const QByteArray &user, const QByteArray &database) const
{
    return "host=127.0.0.1 port=" + QByteArray::number(m_port) + " user=" + user + " dbname=" + database;
}

QByteArray PgServer::socketConninfo(const QByteArray &user, const QByteArray &database) const
{
    return "host=" + QFile::encodeName(socketFolder()) + " port=" + QByteArray::number(m_port) +
           " user=" + user + " dbname=" + database;
}

QString PgServer::passFile(const QByteArray &password) const
{
    const QString path = m_dir.filePath(QStringLiteral("pgpass-") + QString::fromLatin1(password.toHex()));
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        file.write("*:*:*:bench:" + password + '\n');
    }
    return path;
}

void PgServer::startProcess(QProcess &process, const QString &program, const QStringList &arguments,
                            const QString &logFile) const
{
    process.setProgram(BinFolder + program);
    process.setArguments(arguments);
    process.setWorkingDirectory(folder());
    process.setProcessChannelMode(QProcess::MergedChannels);
    // A server talks for as long as it runs: into a file, never a pipe that fills.
    if (!logFile.isEmpty())
        process.setStandardOutputFile(logFile, QIODevice::Append);
    const bool asPostgres = m_asPostgresUser;
    const uid_t uid = m_uid;
    const gid_t gid = m_gid;
    process.setChildProcessModifier([asPostgres, uid, gid] {
        if (asPostgres && (::setgroups(0, nullptr) != 0 || ::setgid(gid) != 0 || ::setuid(uid) != 0))
            ::_exit(127);
        // A process group of its own, so that a kill reaches every server process.
        ::setsid();
        // After the change of user, which would clear it: the server goes
        // down with the test (SIGQUIT: immediate shutdown, memory released).
        ::prctl(PR_SET_PDEATHSIG, SIGQUIT);
    });
    process.start();
}

bool PgServer::initialise()
{
    QProcess initdb;
    startProcess(initdb, QStringLiteral("initdb"),
                 {QStringLiteral("-D"), m_dir.filePath(QStringLiteral("data")), QStringLiteral("-U"),
                  QStringLiteral("postgres"), QStringLiteral("-A"), QStringLiteral("trust"),
                  QStringLiteral("-E"), QStringLiteral("UTF8"), QStringLiteral("--locale=C"),
                  QStringLiteral("--no-sync"), QStringLiteral("--no-instructions")});
    if (!initdb.waitForFinished(60000) || initdb.exitStatus() != QProcess::NormalExit ||
        initdb.exitCode() != 0) {
        m_error = QStringLiteral("initdb failed: ") + QString::fromLocal8Bit(initdb.readAll());
        return false;
    }
    // The superuser without password, every other role by password.
    QFile hba(m_dir.filePath(QStringLiteral("data/pg_hba.conf")));
    if (!hba.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        hba.write("local all postgres trust\n"
                  "host all postgres 127.0.0.1/32 trust\n"
                  "local all all scram-sha-256\n"
                  "host all all 127.0.0.1/32 scram-sha-256\n") < 0) {
        m_error = QStringLiteral("cannot write pg_hba.conf");
        return false;
    }
    return true;
}

bool PgServer::isRunning() const
{
    return m_server.state() == QProcess::Running;
}

bool PgServer::start()
{
    if (isRunning())
        return true;
    // After a kill the old server's processes may still hold its memory for
    // a moment; the postmaster then refuses to start, so try again.
    const QDeadlineTimer deadline(20000);
    do {
        startProcess(m_server, QStringLiteral("postgres"),
                     {QStringLiteral("-D"), m_dir.filePath(QStringLiteral("data")), QStringLiteral("-p"),
                      QString::number(m_port), QStringLiteral("-k"), socketFolder(), QStringLiteral("-c"),
                      QStringLiteral("listen_addresses=127.0.0.1"), QStringLiteral("-c"),
                      QStringLiteral("fsync=off"), QStringLiteral("-c"), QStringLiteral("max_connections=30"),
                      QStringLiteral("-c"), QStringLiteral("shared_buffers=16MB")},
                     m_dir.filePath(QStringLiteral("server.log")));
        if (m_server.waitForStarted(5000) && waitUntilReady(10000))
            return true;
        QFile log(m_dir.filePath(QStringLiteral("server.log")));
        log.open(QIODevice::ReadOnly);
        m_error =
            QStringLiteral("postgres did not start: ") + QString::fromLocal8Bit(log.readAll().right(2000));
        stop();
        QThread::msleep(100);
    } while (!deadline.hasExpired());
    return false;
}

bool PgServer::waitUntilReady(int timeoutMs)
{
    const QDeadlineTimer deadline(timeoutMs);
    while (isRunning() && !deadline.hasExpired()) {
        CentralConnection probe;
        if (probe.open(socketConninfo("postgres", "postgres"), QDeadlineTimer(1000)))
            return true;
        QThread::msleep(20);
    }
    return false;
}

void PgServer::stop()
{
    if (!isRunning())
        return;
    ::kill(pid_t(m_server.processId()), SIGINT); // fast shutdown
    if (!m_server.waitForFinished(15000))
        kill();
    m_server.waitForFinished(5000);
}

void PgServer::kill()
{
    if (!isRunning())
        return;
    // The whole group: a backend left alive would still commit a statement.
    ::kill(-pid_t(m_server.processId()), SIGKILL);
    m_server.waitForFinished(5000);
}

bool PgServer::runSql(const QByteArray &sql, const QByteArray &database)
{
    CentralConnection connection;
    return connection.open(socketConninfo("postgres", database), QDeadlineTimer(10000)) &&
           connection.execScript(sql, QDeadlineTimer(30000));
}
