#include "CtlOutput.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cstdio>

namespace {

QByteArray documentOf(const QJsonValue& json, QJsonDocument::JsonFormat format)
{
    return json.isArray() ? QJsonDocument(json.toArray()).toJson(format)
                          : QJsonDocument(json.toObject()).toJson(format);
}

} // namespace

void TCtlOutput::print(const QStringList& lines, const QJsonValue& json) const
{
    if (isJson()) {
        std::fputs(documentOf(json, QJsonDocument::Indented).constData(), stdout);
        return;
    }
    for (const QString& text : lines)
        line(text);
}

void TCtlOutput::line(const QString& text)
{
    std::fputs(text.toUtf8().append('\n').constData(), stdout);
    // A reader at the other end of a pipe (a monitor, `events --follow`)
    // sees each line when it is written.
    std::fflush(stdout);
}

void TCtlOutput::jsonLine(const QJsonValue& json)
{
    line(QString::fromUtf8(documentOf(json, QJsonDocument::Compact)));
}

void TCtlOutput::message(const QString& text)
{
    std::fprintf(stderr, "qvzctl: %s\n", text.toUtf8().constData());
}
