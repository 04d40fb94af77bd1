#pragma once

#include <QString>
#include <QTemporaryDir>

// A clean program state for window tests: a fresh temporary folder with the
// settings file path pointing into it, the application state at its start
// values, no top-level windows of the program, and the German locale.
class AppTestEnvironment
{
public:
    AppTestEnvironment();
    ~AppTestEnvironment();
    AppTestEnvironment(const AppTestEnvironment &) = delete;
    AppTestEnvironment &operator=(const AppTestEnvironment &) = delete;

    [[nodiscard]] QString iniPath() const { return m_dir.filePath(QStringLiteral("quoran.ini")); }
    [[nodiscard]] QString path(const QString &name) const { return m_dir.filePath(name); }
    void writeIni(const QByteArray &bytes) const;
    [[nodiscard]] QByteArray readIni() const;

    // Deletes the program's top-level windows without their close steps.
    static void destroyWindows();
    static void resetState();

private:
    QTemporaryDir m_dir;
};
