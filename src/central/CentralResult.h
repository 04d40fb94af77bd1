#pragma once

#include <QByteArray>
#include <QString>

struct pg_result;

// Owns the result of one statement (rows in text form).
class CentralResult
{
public:
    CentralResult() = default;
    explicit CentralResult(pg_result *result) : m_result(result) {}
    ~CentralResult();
    CentralResult(CentralResult &&other) noexcept;
    CentralResult &operator=(CentralResult &&other) noexcept;
    CentralResult(const CentralResult &) = delete;
    CentralResult &operator=(const CentralResult &) = delete;

    [[nodiscard]] int rowCount() const;
    [[nodiscard]] int columnCount() const;
    [[nodiscard]] bool isNull(int row, int column) const;
    // The value as text, a null QString for SQL NULL.
    [[nodiscard]] QString value(int row, int column) const;
    // Rows an INSERT, UPDATE or DELETE touched (0 when it was none of them).
    [[nodiscard]] qint64 affectedRows() const;

private:
    pg_result *m_result = nullptr;
};
