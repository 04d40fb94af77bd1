#include "central/CentralResult.h"

#include <libpq-fe.h>
#include <utility>

CentralResult::~CentralResult()
{
    PQclear(m_result);
}

CentralResult::CentralResult(CentralResult &&other) noexcept
    : m_result(std::exchange(other.m_result, nullptr))
{}

CentralResult &CentralResult::operator=(CentralResult &&other) noexcept
{
    if (this != &other) {
        PQclear(m_result);
        m_result = std::exchange(other.m_result, nullptr);
    }
    return *this;
}

int CentralResult::rowCount() const
{
    return m_result ? PQntuples(m_result) : 0;
}

int CentralResult::columnCount() const
{
    return m_result ? PQnfields(m_result) : 0;
}

bool CentralResult::isNull(int row, int column) const
{
    return !m_result || row < 0 || row >= rowCount() || column < 0 || column >= columnCount() ||
           PQgetisnull(m_result, row, column);
}

QString CentralResult::value(int row, int column) const
{
    if (isNull(row, column))
        return {};
    return QString::fromUtf8(PQgetvalue(m_result, row, column), PQgetlength(m_result, row, column));
}

qint64 CentralResult::affectedRows() const
{
    return m_result ? QByteArray(PQcmdTuples(m_result)).toLongLong() : 0;
}
