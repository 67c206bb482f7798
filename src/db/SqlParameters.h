#pragma once

#include <QString>
#include <QStringList>

// A statement with named parameters (":NAME") turned into the positional form
// ("?") that ODBC binds.
//
// A parameter is a colon followed by a letter or "_" and then letters, digits
// and "_". Colons inside string literals ('...'), quoted identifiers ("...")
// and comments (-- to the end of the line, /* ... */) are text, and so is a
// double colon (PostgreSQL's cast "x::text"). A name may appear more than
// once; every appearance is its own position bound to the same value.
class SqlParameters
{
public:
    explicit SqlParameters(const QString& sql = {});

    // The statement with every parameter replaced by "?".
    const QString& positionalSql() const { return m_positionalSql; }

    // The parameter name of each "?", in order, as written.
    const QStringList& positions() const { return m_positions; }

    // The distinct names, in the order of their first appearance.
    const QStringList& names() const { return m_names; }

    // The index in names() of a name, compared without regard to the case of
    // a-z; -1 when the statement has no such parameter.
    int indexOf(const QString& name) const;

private:
    // Records the parameter whose colon is at colon; returns where it ends.
    qsizetype takeParameter(const QString& sql, qsizetype colon);

    QString m_positionalSql;
    QStringList m_positions;
    QStringList m_names;
};
