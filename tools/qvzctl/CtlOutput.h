#pragma once

#include <QJsonValue>
#include <QString>
#include <QStringList>

// Where qvzctl writes: data to standard output, as text lines or as one JSON
// document; messages to standard error. JSON is never translated.
class TCtlOutput
{
public:
    enum class Form { Text, Json };

    explicit TCtlOutput(Form form = Form::Text) : m_form(form) {}
    bool isJson() const { return m_form == Form::Json; }

    // Text lines, or the JSON document, whichever the form asks for.
    void print(const QStringList& lines, const QJsonValue& json) const;
    static void line(const QString& text);
    // One JSON value on one line, for output that streams.
    static void jsonLine(const QJsonValue& json);
    // "qvzctl: <text>" on standard error.
    static void message(const QString& text);

private:
    Form m_form;
};
